// Native SMART requests and ATA pass-through on a libata disk, sent as
// SCSI ATA PASS-THROUGH (16).
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "linux/ata_translate.h"
#include "linux/request_handlers.h"
#include "platform/platform.h"
#include "platform/wire.h"

namespace platform::linux_backend {
namespace {

// Native SMART requests carry no time-out; allow a sleeping disk to spin up.
constexpr std::uint32_t kNativeTimeoutMs = 15000;

bool IsLibataDisk(const ControlRequest& r) { return r.target.disk.libata && r.target.io != nullptr; }

std::uint32_t PassThroughTimeout(std::uint32_t seconds) {
  if (seconds == 0) return kNativeTimeoutMs;
  if (seconds > 3600) seconds = 3600;
  return seconds * 1000;
}

// The SMART subcommands a send request may carry, and whether they move data.
bool IsSendFeature(std::uint8_t f) {
  return f == 0xD2 || f == 0xD3 || f == 0xD4 || f == 0xD6 || f == 0xD8 || f == 0xD9 || f == 0xDA;
}

bool IsReceiveCommand(const wire::AtaRegisters& regs) {
  if (regs.command == 0xEC || regs.command == 0xA1) return true;
  return regs.command == 0xB0 && (regs.features == 0xD0 || regs.features == 0xD1 || regs.features == 0xD5);
}

}  // namespace

std::uint32_t SmartGetVersion(ControlRequest& r) {
  if (!IsLibataDisk(r)) return kErrorInvalidFunction;
  if (r.outSize < sizeof(wire::SmartVersionBlock)) return kErrorInsufficientBuffer;
  // Like a native ATA driver: ATA commands always, SMART when IDENTIFY says so.
  std::vector<std::uint8_t> identify(512);
  AtaCommand c;
  c.current.count = 1;
  c.current.device = 0xA0;
  c.current.command = 0xEC;
  c.protocol = AtaProtocol::kPioIn;
  c.data = identify.data();
  c.length = 512;
  c.timeoutMs = kNativeTimeoutMs;
  AtaOutcome o = RunAtaCommand(*r.target.io, c);
  if (o.error != 0) return o.error;
  wire::SmartVersionBlock v{};
  v.version = 1;
  v.revision = 1;
  v.ideDeviceMap = 1;
  v.capabilities = 1;
  bool smart = !o.ataError() && (identify[164] & 0x01) != 0;  // word 82 bit 0
  if (smart) v.capabilities |= 4;
  std::memcpy(r.buffer, &v, sizeof v);
  *r.returned = sizeof v;
  return kErrorSuccess;
}

std::uint32_t SmartReceiveDriveData(ControlRequest& r) {
  if (!IsLibataDisk(r)) return kErrorInvalidFunction;
  if (r.inSize < wire::kSmartCommandInputSize || r.outSize < wire::kSmartOutputHeaderSize)
    return kErrorInsufficientBuffer;
  wire::SmartCommandInput in;
  std::memcpy(&in, r.buffer, wire::kSmartCommandInputSize);
  if (!IsReceiveCommand(in.regs)) return kErrorInvalidParameter;
  std::uint32_t length = in.bufferSize;
  if (length == 0 || length % 512 != 0 || length > 255 * 512) return kErrorInvalidParameter;
  if (length > r.outSize - wire::kSmartOutputHeaderSize) return kErrorInsufficientBuffer;

  std::vector<std::uint8_t> data(length);
  AtaCommand c;
  c.current = in.regs;
  c.current.reserved = 0;
  c.protocol = AtaProtocol::kPioIn;
  c.data = data.data();
  c.length = length;
  c.timeoutMs = kNativeTimeoutMs;
  AtaOutcome o = RunAtaCommand(*r.target.io, c);
  if (o.error != 0) return o.error;
  if (o.ataError()) return kErrorIoDevice;

  std::memset(r.buffer, 0, wire::kSmartOutputHeaderSize);
  std::memcpy(r.buffer, &length, 4);
  std::memcpy(r.buffer + wire::kSmartOutputHeaderSize, data.data(), length);
  *r.returned = wire::kSmartOutputHeaderSize + length;
  return kErrorSuccess;
}

std::uint32_t SmartSendDriveCommand(ControlRequest& r) {
  if (!IsLibataDisk(r)) return kErrorInvalidFunction;
  if (r.inSize < wire::kSmartCommandInputSize || r.outSize < wire::kSmartOutputHeaderSize)
    return kErrorInsufficientBuffer;
  wire::SmartCommandInput in;
  std::memcpy(&in, r.buffer, wire::kSmartCommandInputSize);
  if (in.regs.command != 0xB0 || !IsSendFeature(in.regs.features)) return kErrorInvalidParameter;

  AtaCommand c;
  c.current = in.regs;
  c.current.reserved = 0;
  c.timeoutMs = kNativeTimeoutMs;
  std::vector<std::uint8_t> data;
  if (in.regs.features == 0xD6) {  // SMART WRITE LOG carries its sectors
    std::uint32_t length = in.bufferSize;
    if (length == 0 || length % 512 != 0 || length > r.inSize - wire::kSmartCommandInputSize)
      return kErrorInvalidParameter;
    data.assign(r.buffer + wire::kSmartCommandInputSize, r.buffer + wire::kSmartCommandInputSize + length);
    c.protocol = AtaProtocol::kPioOut;
    c.data = data.data();
    c.length = length;
  } else {
    c.protocol = AtaProtocol::kNonData;
    c.checkCondition = true;
  }
  AtaOutcome o = RunAtaCommand(*r.target.io, c);
  if (o.error != 0) return o.error;
  if (o.ataError()) return kErrorIoDevice;

  wire::SmartDriverStatus status{};
  status.ideError = o.current.features;
  std::uint32_t bufferSize = 0;
  std::memset(r.buffer, 0, wire::kSmartOutputHeaderSize);
  *r.returned = wire::kSmartOutputHeaderSize;
  if (in.regs.features == 0xDA && r.outSize >= wire::kSmartOutputHeaderSize + sizeof(wire::AtaRegisters)) {
    // SMART RETURN STATUS answers with the registers.
    bufferSize = sizeof(wire::AtaRegisters);
    std::memcpy(r.buffer + wire::kSmartOutputHeaderSize, &o.current, sizeof o.current);
    *r.returned += bufferSize;
  }
  std::memcpy(r.buffer, &bufferSize, 4);
  std::memcpy(r.buffer + 4, &status, sizeof status);
  return kErrorSuccess;
}

std::uint32_t AtaPassThrough(ControlRequest& r, bool direct) {
  if (!IsLibataDisk(r)) return kErrorInvalidFunction;
  static_assert(sizeof(wire::AtaPassThroughEx) == sizeof(wire::AtaPassThroughDirect));
  constexpr std::uint32_t kHeader = sizeof(wire::AtaPassThroughEx);
  if (r.inSize < kHeader || r.outSize < kHeader) return kErrorInsufficientBuffer;
  wire::AtaPassThroughEx apt;
  wire::AtaPassThroughDirect aptd;
  std::memcpy(&apt, r.buffer, kHeader);
  std::memcpy(&aptd, r.buffer, kHeader);
  if (apt.length != kHeader) return kErrorInvalidParameter;

  std::uint32_t length = apt.dataTransferLength;
  std::uint8_t* data = nullptr;
  if (length > 0) {
    if (direct) {
      data = static_cast<std::uint8_t*>(aptd.dataBuffer);
    } else {
      // The data area must lie inside both the request and the reply.
      std::uint64_t end = apt.dataBufferOffset + static_cast<std::uint64_t>(length);
      if (apt.dataBufferOffset < kHeader || end > std::min(r.inSize, r.outSize)) return kErrorInvalidParameter;
      data = r.buffer + apt.dataBufferOffset;
    }
  }
  AtaCommand c;
  c.current = apt.currentTaskFile;
  c.previous = apt.previousTaskFile;
  c.current.reserved = 0;
  c.ext48 = (apt.ataFlags & wire::kAtaFlag48Bit) != 0;
  c.protocol = ChooseAtaProtocol(c.current, apt.ataFlags, data != nullptr && length > 0);
  if (c.protocol != AtaProtocol::kNonData && length % 512 != 0) return kErrorInvalidParameter;
  c.data = data;
  c.length = c.protocol == AtaProtocol::kNonData ? 0 : length;
  c.checkCondition = true;  // the task files come back from the device
  c.timeoutMs = PassThroughTimeout(apt.timeOutValue);
  AtaOutcome o = RunAtaCommand(*r.target.io, c);
  if (o.error != 0) return o.error;

  // The task files come back: error and status in the current one.
  wire::AtaRegisters cur = o.current, prev = o.previous;
  std::memcpy(r.buffer + offsetof(wire::AtaPassThroughEx, currentTaskFile), &cur, sizeof cur);
  std::memcpy(r.buffer + offsetof(wire::AtaPassThroughEx, previousTaskFile), &prev, sizeof prev);
  std::uint32_t returned = kHeader;
  if (!direct && c.protocol != AtaProtocol::kNonData && (apt.ataFlags & wire::kAtaFlagDataIn))
    returned = static_cast<std::uint32_t>(apt.dataBufferOffset) + length;
  *r.returned = returned;
  return kErrorSuccess;
}

}  // namespace platform::linux_backend
