// What every drive command shares: the common start (checks, open), the way
// to reach the drive (native requests or one of the bridges), the refusal of
// the USB-to-NVMe bridges and the reading of returned ATA registers.
#pragma once

#include <cstdint>

#include "engine/smart_info.h"

namespace hwscope {

// The drive commands, for their refusal messages.
enum class DriveCommand {
  kSelfTest,
  kMaxAddress,  // GetMaxLBA, GetMax28bitLBA and the read step of SetMaxLBA
  kDcoIdentify,
  kDcoSet,
  kDcoRestore,
  kReadSectors,
};

enum class CommandPath {
  kNative,     // native requests on the device handle
  kAtaBridge,  // SAT, Cypress, JMicron, Sunplus
  kRefused,    // USB-to-NVMe bridges: refusal line logged
  kUnknown,    // a bridged bus without a usable bridge type: logged
};

struct CommandTarget {
  platform::Handle handle = platform::kInvalidHandle;
  int busType = -1;
  int bridgeType = kBridgeNone;
  std::uint32_t bytesPerSector = 0;
};

// The common start: valid SMART device, a drive row, the opening line
// ("<opName> Opening physical device #%d") and the open step. 0 or a code.
int StartDriveCommand(CSMARTInfo& engine, int device, const char* opName, CommandTarget* target);

// The path for a command; kRefused and kUnknown have logged their line.
CommandPath SelectPath(const CommandTarget& target, DriveCommand command);

// Finds the ATA status return descriptor (14 bytes) in a return-register
// block of `size` bytes, after logging the block. nullptr when there is none.
const std::uint8_t* FindAtaStatusDescriptor(const std::uint8_t* block, std::uint32_t size);

// Addresses from an ATA status return descriptor.
std::uint64_t DescriptorAddress48(const std::uint8_t* descriptor);
std::uint32_t DescriptorAddress28(const std::uint8_t* descriptor);

}  // namespace hwscope
