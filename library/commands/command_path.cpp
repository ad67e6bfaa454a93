#include "commands/command_path.h"

#include <algorithm>
#include <string>

#include "acquisition/bridge_dispatch.h"
#include "frame/log.h"

namespace hwscope {
namespace {

struct Refusal {
  DriveCommand command;
  const char* lines[3];  // bridge types 9, 10, 11
};

constexpr Refusal kRefusals[] = {
    {DriveCommand::kSelfTest,
     {"JMicron JMS583 bridge does not support self test",
      "Realtek RTL9210\tbridge does not support self test",
      "ASMedia ASM2362 bridge does not support self test"}},
    {DriveCommand::kMaxAddress,
     {"JMicron JMS583 bridge does not support MAX LBA command",
      "Realtek RTL9210\tbridge does not support MAX LBA command",
      "ASMedia ASM2362 bridge does not support MAX LBA command"}},
    {DriveCommand::kDcoIdentify,
     {"JMicron JMS583 bridge does not support DCO Max LBA command",
      "Realtek RTL9210\tbridge does not support DCO MAX LBA command",
      "ASMedia ASM2362 bridge does not support DCO MAX LBA command"}},
    {DriveCommand::kDcoSet,
     {"JMicron JMS583 bridge does not support set DCO Max LBA command",
      "Realtek RTL9210\tbridge does not support set DCO MAX LBA command",
      "ASMedia ASM2362 bridge does not support set DCO MAX LBA command"}},
    {DriveCommand::kDcoRestore,
     {"JMicron JMS583 bridge does not support restore DCO command",
      "Realtek RTL9210\tbridge does not support restore DCO command",
      "ASMedia ASM2362 bridge does not support restore DCO command"}},
    {DriveCommand::kReadSectors,
     {"JMicron JMS583 bridge does not support read sectors command",
      "Realtek RTL9210\tbridge does not support read sectors command",
      "ASMedia ASM2362 bridge does not support read sectors command"}},
};

}  // namespace

int StartDriveCommand(CSMARTInfo& engine, int device, const char* opName, CommandTarget* target) {
  const int valid = engine.IsValidSmartDevice(device);
  if (valid != 0) return valid;
  const int index = engine.FindDriveRow(device);
  if (index < 0 || index >= kMaxDriveRows) return HWSCOPE_E_SMART_REFRESH;
  Logf("%s Opening physical device #%d", opName, device);
  const int opened = engine.OpenSMARTNT(device, true);
  if (opened != 0) {
    Logf("Couldn't open drive.");
    return opened;
  }
  const DriveRow& row = engine.drives[index];
  target->handle = engine.devices[device].handle;
  target->busType = row.busType;
  target->bridgeType = row.bridgeType;
  target->bytesPerSector = row.bytesPerSector;
  return 0;
}

CommandPath SelectPath(const CommandTarget& target, DriveCommand command) {
  if (!IsBridgedBus(target.busType)) return CommandPath::kNative;
  const int bridge = target.bridgeType;
  if (bridge >= kBridgeSat && bridge <= kBridgeSunplus) return CommandPath::kAtaBridge;
  if (bridge >= kBridgeJms583 && bridge <= kBridgeAsm2362) {
    for (const Refusal& refusal : kRefusals) {
      if (refusal.command == command) Logf("%s", refusal.lines[bridge - kBridgeJms583]);
    }
    return CommandPath::kRefused;
  }
  Logf("We should not reach this point...");
  return CommandPath::kUnknown;
}

const std::uint8_t* FindAtaStatusDescriptor(const std::uint8_t* block, std::uint32_t size) {
  std::string hex;
  hex.reserve(size * 3);
  static const char kDigits[] = "0123456789ABCDEF";
  for (std::uint32_t i = 0; i < size; ++i) {
    hex += kDigits[block[i] >> 4];
    hex += kDigits[block[i] & 15];
    hex += ' ';
  }
  Logf("%s", hex.c_str());

  if (size <= 7 || block[7] == 0 || (block[0] != 0x72 && block[0] != 0x73)) return nullptr;
  const std::uint32_t end = 8 + std::min<std::uint32_t>(block[7], size - 8);
  std::uint32_t pos = 8;
  while (pos + 1 < end) {
    const std::uint8_t code = block[pos];
    const std::uint8_t length = block[pos + 1];
    // A descriptor is only read when all of its 14 bytes are in the block.
    if (code == 9) return pos + 14 <= size ? block + pos : nullptr;
    pos += 2u + length;
  }
  return nullptr;
}

std::uint64_t DescriptorAddress48(const std::uint8_t* d) {
  return static_cast<std::uint64_t>(d[7]) | static_cast<std::uint64_t>(d[9]) << 8 |
         static_cast<std::uint64_t>(d[11]) << 16 | static_cast<std::uint64_t>(d[6]) << 24 |
         static_cast<std::uint64_t>(d[8]) << 32 | static_cast<std::uint64_t>(d[10]) << 40;
}

std::uint32_t DescriptorAddress28(const std::uint8_t* d) {
  return static_cast<std::uint32_t>(d[7]) | static_cast<std::uint32_t>(d[9]) << 8 |
         static_cast<std::uint32_t>(d[11]) << 16 | static_cast<std::uint32_t>(d[12] & 0x0F) << 24;
}

}  // namespace hwscope
