// The device configuration overlay: its maximum address, setting it and
// restoring the factory configuration.
#include <cstring>

#include "acquisition/bridge_dispatch.h"
#include "commands/command_path.h"
#include "commands/configuration_overlay.h"
#include "frame/log.h"
#include "transport/transport.h"

namespace hwscope {
namespace {

void PutWord(std::uint8_t* block, int offset, std::uint16_t value) {
  block[offset] = static_cast<std::uint8_t>(value & 0xFF);
  block[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

void BuildDcoSetBlock(std::uint64_t maxAddress, std::uint8_t* block) {
  std::memset(block, 0, 512);
  PutWord(block, 0, 0x0002);   // overlay structure revision
  PutWord(block, 2, 0x0007);   // multiword DMA modes 0 to 2
  PutWord(block, 4, 0x007F);   // Ultra DMA modes 0 to 6
  for (int i = 0; i < 8; ++i) block[6 + i] = static_cast<std::uint8_t>(maxAddress >> (8 * i));
  PutWord(block, 14, 0x7BDF);  // command and feature sets
  PutWord(block, 16, 0x001F);  // Serial ATA feature sets
  PutWord(block, 42, 0xFE00);
  block[510] = 0xA5;           // signature
  std::uint8_t sum = 0;
  for (int i = 0; i < 511; ++i) sum = static_cast<std::uint8_t>(sum + block[i]);
  block[511] = static_cast<std::uint8_t>(0x100 - sum);
}

int CSMARTInfo::GetDCOMaxLBA(int device, unsigned* address) {
  CommandTarget target;
  const int started = StartDriveCommand(*this, device, "GetDCOMaxLBA", &target);
  if (started != 0) return started;
  if (address == nullptr) return HWSCOPE_E_BUFFER;
  std::uint8_t data[512] = {};
  int ok = 0;
  switch (SelectPath(target, DriveCommand::kDcoIdentify)) {
    case CommandPath::kNative:
      ok = DoAtaDcoIdentify(target.handle, data);
      break;
    case CommandPath::kAtaBridge: {
      std::uint32_t size = sizeof data;
      // Nothing returned is no answer.
      ok = AtaBridgeCommand(target.bridgeType, target.handle, 0xC2, 0, 0, 0, data, &size, nullptr,
                            nullptr) &&
           size >= sizeof data;
      break;
    }
    case CommandPath::kRefused:
    case CommandPath::kUnknown:
      break;
  }
  if (!ok) {
    Logf("Failed to retrieve DCO Max LBA.");
    return HWSCOPE_E_SMART_REFRESH;
  }
  std::uint64_t max = 0;
  for (int i = 7; i >= 0; --i) max = (max << 8) | data[6 + i];
  address[0] = static_cast<unsigned>(max & 0xFFFFFFFFu);
  address[1] = static_cast<unsigned>(max >> 32);
  return 0;
}

int CSMARTInfo::SetDCOMaxLBA(int device, unsigned addressLow, unsigned addressHigh) {
  CommandTarget target;
  const int started = StartDriveCommand(*this, device, "SetDCOMaxLBA", &target);
  if (started != 0) return started;
  std::uint8_t block[512];
  BuildDcoSetBlock(static_cast<std::uint64_t>(addressHigh) << 32 | addressLow, block);
  int ok = 0;
  switch (SelectPath(target, DriveCommand::kDcoSet)) {
    case CommandPath::kNative:
      ok = DoAtaDcoSet(target.handle, block);
      break;
    case CommandPath::kAtaBridge: {
      std::uint32_t size = sizeof block;
      ok = AtaBridgeCommand(target.bridgeType, target.handle, 0xC3, 0, 0, 0, block, &size, nullptr,
                            nullptr);
      break;
    }
    case CommandPath::kRefused:
    case CommandPath::kUnknown:
      break;
  }
  if (ok) return 0;
  Logf("Failed to set DCO Max LBA.");
  return HWSCOPE_E_SMART_REFRESH;
}

int CSMARTInfo::RestoreDCO(int device) {
  CommandTarget target;
  const int started = StartDriveCommand(*this, device, "RestoreDCO", &target);
  if (started != 0) return started;
  int ok = 0;
  switch (SelectPath(target, DriveCommand::kDcoRestore)) {
    case CommandPath::kNative:
      ok = DoAtaDcoRestore(target.handle);
      break;
    case CommandPath::kAtaBridge:
      ok = AtaBridgeCommand(target.bridgeType, target.handle, 0xC0, 0, 0, 0, nullptr, nullptr,
                            nullptr, nullptr);
      break;
    case CommandPath::kRefused:
    case CommandPath::kUnknown:
      break;
  }
  if (ok) return 0;
  Logf("Failed to restore DCO.");
  return HWSCOPE_E_SMART_REFRESH;
}

}  // namespace hwscope
