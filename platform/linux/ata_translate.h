// ATA commands carried to libata as SCSI ATA PASS-THROUGH (16), and the
// registers read back from the ATA status return in the sense data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "linux/kernel_device.h"
#include "platform/wire.h"

namespace platform::linux_backend {

enum class AtaProtocol { kNonData, kPioIn, kPioOut, kDmaIn, kDmaOut };

struct AtaCommand {
  wire::AtaRegisters current{};   // features, count, LBA, device, command
  wire::AtaRegisters previous{};  // high-order bytes of a 48-bit command
  bool ext48 = false;
  AtaProtocol protocol = AtaProtocol::kNonData;
  void* data = nullptr;
  std::uint32_t length = 0;
  bool checkCondition = false;  // ask for the registers even on success
  std::uint32_t timeoutMs = 10000;
};

// The protocol of a command: known ATA commands by their opcode (and SMART or
// overlay feature), others from the pass-through flags. Without a data
// buffer every command is non-data.
AtaProtocol ChooseAtaProtocol(const wire::AtaRegisters& current, std::uint16_t ataFlags, bool hasData);

// Fills cdb, direction and data of the SG_IO command.
void BuildAtaPassThrough16(const AtaCommand& command, SgCommand* sg);

// Registers of a descriptor-format ATA status return descriptor or of the
// fixed-format ATA pass-through sense. On return features holds the error
// register and command the status register. False when the sense has none.
bool ParseAtaSense(const std::uint8_t* sense, std::size_t length, wire::AtaRegisters* current,
                   wire::AtaRegisters* previous);

struct AtaOutcome {
  std::uint32_t error = 0;       // Windows error when the command did not complete
  bool registersValid = false;   // registers came back from the device
  wire::AtaRegisters current{};  // error in features, status in command
  wire::AtaRegisters previous{};
  bool ataError() const { return (current.command & 0x01) != 0 || current.features != 0; }
};

// Sends the command and reads the registers back.
AtaOutcome RunAtaCommand(KernelDevice& device, const AtaCommand& command);

}  // namespace platform::linux_backend
