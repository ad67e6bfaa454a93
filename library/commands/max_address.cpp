// Reading the native maximum address and setting a smaller maximum.
#include "acquisition/bridge_dispatch.h"
#include "commands/command_path.h"
#include "frame/log.h"
#include "platform/wire.h"
#include "transport/transport.h"

namespace hwscope {
namespace {

constexpr int kMayBeTooSmall = -9001;
constexpr int kAboveNativeMax = -10005;
constexpr std::uint32_t kSuspicious28 = 0x0FFFFFFE;

struct NativeMax {
  std::uint64_t address = 0;
  bool extended = false;  // read with the 48-bit command
};

std::uint64_t TaskFileAddress48(const AtaTaskFiles& tf) {
  return static_cast<std::uint64_t>(tf.current.lbaLow) |
         static_cast<std::uint64_t>(tf.current.lbaMid) << 8 |
         static_cast<std::uint64_t>(tf.current.lbaHigh) << 16 |
         static_cast<std::uint64_t>(tf.previous.lbaLow) << 24 |
         static_cast<std::uint64_t>(tf.previous.lbaMid) << 32 |
         static_cast<std::uint64_t>(tf.previous.lbaHigh) << 40;
}

std::uint32_t TaskFileAddress28(const AtaTaskFiles& tf) {
  return static_cast<std::uint32_t>(tf.current.lbaLow) |
         static_cast<std::uint32_t>(tf.current.lbaMid) << 8 |
         static_cast<std::uint32_t>(tf.current.lbaHigh) << 16 |
         static_cast<std::uint32_t>(tf.current.device & 0x0F) << 24;
}

// A canned command over an ATA bridge that returns registers.
const std::uint8_t* BridgeRegisters(const CommandTarget& target, std::uint8_t command,
                                    std::uint8_t* block) {
  std::uint32_t size = platform::wire::kReturnRegisterBlockSize;
  if (!AtaBridgeCommand(target.bridgeType, target.handle, command, 0, 0, 0, nullptr, nullptr,
                        block, &size))
    return nullptr;
  return FindAtaStatusDescriptor(block, size);
}

// The native maximum address. allow48: try READ NATIVE MAX ADDRESS EXT
// first (with the bridges' warnings); otherwise only the 28-bit command.
int ReadNativeMax(const CommandTarget& target, bool allow48, NativeMax* out) {
  bool ok = false;
  switch (SelectPath(target, DriveCommand::kMaxAddress)) {
    case CommandPath::kNative: {
      AtaTaskFiles tf{};
      if (allow48 && DoAtaReadNativeMaxExt(target.handle, &tf)) {
        out->address = TaskFileAddress48(tf);
        out->extended = true;
        ok = true;
        break;
      }
      if (allow48) Logf("READ NATIVE MAX ADDRESS EXT Failed. Attempting 28-bit command");
      tf = AtaTaskFiles{};
      if (DoAtaReadNativeMax(target.handle, &tf)) {
        out->address = TaskFileAddress28(tf);
        ok = true;
      }
      break;
    }
    case CommandPath::kAtaBridge: {
      std::uint8_t block[platform::wire::kReturnRegisterBlockSize] = {};
      if (allow48) {
        if (target.bridgeType == kBridgeSat) {
          const std::uint8_t* d = BridgeRegisters(target, 0x27, block);
          if (d != nullptr) {
            out->address = DescriptorAddress48(d);
            out->extended = true;
            ok = true;
            break;
          }
          Logf("READ NATIVE MAX ADDRESS EXT Failed. Attempting 28-bit command");
        } else if (target.bridgeType == kBridgeCypress) {
          Logf("Warning - Cypress bridge does not support 48bit commands. Attemping 28-bit command");
        } else if (target.bridgeType == kBridgeJMicron) {
          Logf("Warning - jmicron bridge does not support 48bit commands. Attemping 28-bit command");
        } else {
          Logf("Warning - sunplus bridge does not support 48bit commands. Attemping 28-bit command");
        }
      }
      std::uint8_t block28[platform::wire::kReturnRegisterBlockSize] = {};
      const std::uint8_t* d = BridgeRegisters(target, 0xF8, block28);
      if (d != nullptr) {
        out->address = DescriptorAddress28(d);
        ok = true;
      }
      break;
    }
    case CommandPath::kRefused:
    case CommandPath::kUnknown:
      break;
  }
  if (ok) return 0;
  Logf("Failed to retrieve max native address.");
  return HWSCOPE_E_SMART_REFRESH;
}

void Store(unsigned* address, std::uint64_t value) {
  address[0] = static_cast<unsigned>(value & 0xFFFFFFFFu);
  address[1] = static_cast<unsigned>(value >> 32);
}

}  // namespace

int CSMARTInfo::GetMaxLBA(int device, unsigned* address) {
  CommandTarget target;
  const int started = StartDriveCommand(*this, device, "GetMaxLBA", &target);
  if (started != 0) return started;
  if (address == nullptr) return HWSCOPE_E_BUFFER;
  NativeMax max;
  const int read = ReadNativeMax(target, true, &max);
  if (read != 0) return read;
  Store(address, max.address);
  if (!max.extended && max.address == kSuspicious28) {
    Logf("Warning - Max LBA may be incorrect as 28-bit command used.");
    return kMayBeTooSmall;
  }
  return 0;
}

int CSMARTInfo::GetMax28bitLBA(int device, unsigned* result) {
  CommandTarget target;
  const int started = StartDriveCommand(*this, device, "GetMax28bitLBA", &target);
  if (started != 0) return started;
  if (result == nullptr) return HWSCOPE_E_BUFFER;
  NativeMax max;
  const int read = ReadNativeMax(target, false, &max);
  if (read != 0) return read;
  *result = static_cast<unsigned>(max.address);
  return 0;
}

int CSMARTInfo::SetMaxLBA(int device, unsigned addressLow, unsigned addressHigh) {
  CommandTarget target;
  const int started = StartDriveCommand(*this, device, "SetMaxLBA", &target);
  if (started != 0) return started;
  NativeMax max;
  const int read = ReadNativeMax(target, true, &max);
  if (read != 0) return read;

  const std::uint64_t requested = static_cast<std::uint64_t>(addressHigh) << 32 | addressLow;
  if (requested > max.address) {
    Logf("The max LBA to set (%llu) is greater than the disk native max LBA (%llu)",
         static_cast<unsigned long long>(requested), static_cast<unsigned long long>(max.address));
    if (!max.extended)
      Logf("If the disk native max LBA is incorrect, this may be due to 48bit commands not being "
           "supported");
    return kAboveNativeMax;
  }

  // The count register stays 0: the new maximum is not volatile.
  int ok = 0;
  if (IsBridgedBus(target.busType)) {
    const std::uint8_t command = target.bridgeType == kBridgeSat && max.extended ? 0x37 : 0xF9;
    ok = AtaBridgeCommand(target.bridgeType, target.handle, command, 0, addressLow, addressHigh,
                          nullptr, nullptr, nullptr, nullptr);
  } else if (max.extended) {
    ok = DoAtaSetMaxExt(target.handle, requested);
  } else {
    ok = DoAtaSetMax(target.handle, static_cast<std::uint32_t>(requested));
  }
  if (ok) return 0;
  Logf("Failed to set max native address.");
  return HWSCOPE_E_SMART_REFRESH;
}

}  // namespace hwscope
