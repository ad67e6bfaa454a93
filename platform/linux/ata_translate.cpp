#include "linux/ata_translate.h"

#include <cstring>

#include "linux/system_errors.h"
#include "platform/platform.h"

namespace platform::linux_backend {

AtaProtocol ChooseAtaProtocol(const wire::AtaRegisters& r, std::uint16_t flags, bool hasData) {
  if (!hasData) return AtaProtocol::kNonData;
  switch (r.command) {
    case 0xEC:  // IDENTIFY DEVICE
    case 0xA1:  // IDENTIFY PACKET DEVICE
    case 0x20:  // READ SECTORS
    case 0x24:  // READ SECTORS EXT
    case 0x2F:  // READ LOG EXT
      return AtaProtocol::kPioIn;
    case 0x30:  // WRITE SECTORS
    case 0x34:  // WRITE SECTORS EXT
    case 0x3F:  // WRITE LOG EXT
      return AtaProtocol::kPioOut;
    case 0xC8:  // READ DMA
    case 0x25:  // READ DMA EXT
    case 0x47:  // READ LOG DMA EXT
      return AtaProtocol::kDmaIn;
    case 0xCA:  // WRITE DMA
    case 0x35:  // WRITE DMA EXT
      return AtaProtocol::kDmaOut;
    case 0xB0:  // SMART
      if (r.features == 0xD0 || r.features == 0xD1 || r.features == 0xD5) return AtaProtocol::kPioIn;
      if (r.features == 0xD6) return AtaProtocol::kPioOut;
      return AtaProtocol::kNonData;
    case 0xB1:  // DEVICE CONFIGURATION OVERLAY
      if (r.features == 0xC2) return AtaProtocol::kPioIn;
      if (r.features == 0xC3) return AtaProtocol::kPioOut;
      return AtaProtocol::kNonData;
    case 0xF8: case 0x27: case 0xF9: case 0x37:  // native max / set max
    case 0xE0: case 0xE1: case 0xE2: case 0xE3: case 0xE5: case 0xE7: case 0xEA:
    case 0xEF:  // SET FEATURES
      return AtaProtocol::kNonData;
    default:
      break;
  }
  bool in = (flags & wire::kAtaFlagDataIn) != 0;
  bool out = (flags & wire::kAtaFlagDataOut) != 0;
  bool dma = (flags & wire::kAtaFlagUseDma) != 0;
  if (in) return dma ? AtaProtocol::kDmaIn : AtaProtocol::kPioIn;
  if (out) return dma ? AtaProtocol::kDmaOut : AtaProtocol::kPioOut;
  return AtaProtocol::kNonData;
}

void BuildAtaPassThrough16(const AtaCommand& c, SgCommand* sg) {
  std::uint8_t protocol = 3;  // non-data
  bool fromDevice = false;
  switch (c.protocol) {
    case AtaProtocol::kNonData: protocol = 3; break;
    case AtaProtocol::kPioIn: protocol = 4; fromDevice = true; break;
    case AtaProtocol::kPioOut: protocol = 5; break;
    case AtaProtocol::kDmaIn: protocol = 6; fromDevice = true; break;
    case AtaProtocol::kDmaOut: protocol = 6; break;
  }
  bool data = c.protocol != AtaProtocol::kNonData && c.length > 0;
  if (!data) protocol = 3;
  std::uint8_t* cdb = sg->cdb;
  std::memset(cdb, 0, 16);
  cdb[0] = 0x85;
  cdb[1] = static_cast<std::uint8_t>(protocol << 1 | (c.ext48 ? 1 : 0));
  // CK_COND, T_DIR, BYT_BLOK and T_LENGTH = count register.
  cdb[2] = static_cast<std::uint8_t>((c.checkCondition ? 0x20 : 0) |
                                     (data ? ((fromDevice ? 0x08 : 0) | 0x04 | 0x02) : 0));
  const wire::AtaRegisters& hi = c.previous;
  const wire::AtaRegisters& lo = c.current;
  if (c.ext48) {
    cdb[3] = hi.features;
    cdb[5] = hi.count;
    cdb[7] = hi.lbaLow;
    cdb[9] = hi.lbaMid;
    cdb[11] = hi.lbaHigh;
  }
  cdb[4] = lo.features;
  cdb[6] = lo.count;
  cdb[8] = lo.lbaLow;
  cdb[10] = lo.lbaMid;
  cdb[12] = lo.lbaHigh;
  cdb[13] = lo.device;
  cdb[14] = lo.command;
  sg->cdbLength = 16;
  sg->direction = !data ? SgDirection::kNone : fromDevice ? SgDirection::kFromDevice : SgDirection::kToDevice;
  sg->data = data ? c.data : nullptr;
  sg->dataLength = data ? c.length : 0;
  sg->timeoutMs = c.timeoutMs;
}

bool ParseAtaSense(const std::uint8_t* s, std::size_t length, wire::AtaRegisters* cur,
                   wire::AtaRegisters* prev) {
  *cur = {};
  *prev = {};
  if (length < 8) return false;
  std::uint8_t format = s[0] & 0x7F;
  if (format == 0x72 || format == 0x73) {
    std::size_t end = 8 + s[7];
    if (end > length) end = length;
    for (std::size_t at = 8; at + 1 < end;) {
      std::size_t descLength = s[at + 1];
      if (s[at] == wire::kAtaStatusDescriptor && descLength >= 12 && at + 14 <= end) {
        const std::uint8_t* d = s + at;
        cur->features = d[3];
        cur->count = d[5];
        cur->lbaLow = d[7];
        cur->lbaMid = d[9];
        cur->lbaHigh = d[11];
        cur->device = d[12];
        cur->command = d[13];
        if (d[2] & 0x01) {
          prev->count = d[4];
          prev->lbaLow = d[6];
          prev->lbaMid = d[8];
          prev->lbaHigh = d[10];
        }
        return true;
      }
      at += 2 + descLength;
    }
    return false;
  }
  // Fixed format: the translation layer's own answer (00/1D), or a failed
  // command whose status register shows the error. A rejected command
  // (ILLEGAL REQUEST) carries no registers.
  bool fixed = (format == 0x70 || format == 0x71) && length >= 14;
  if (!fixed || (s[2] & 0x0F) == wire::kSenseKeyIllegalRequest) return false;
  bool passThroughInfo = s[12] == 0x00 && s[13] == 0x1D;
  if (passThroughInfo || (s[4] & 0x01) != 0) {
    // Information: error, status, device, count; command-specific: flags, LBA.
    cur->features = s[3];
    cur->command = s[4];
    cur->device = s[5];
    cur->count = s[6];
    cur->lbaLow = s[9];
    cur->lbaMid = s[10];
    cur->lbaHigh = s[11];
    return true;
  }
  // Older libata puts error, status, device and count of a failed command
  // five bytes later and leaves the information field empty.
  if (s[3] == 0 && s[4] == 0 && s[5] == 0 && s[6] == 0 && (s[9] & 0x01) != 0) {
    cur->features = s[8];
    cur->command = s[9];
    cur->device = s[10];
    cur->count = s[11];
    return true;
  }
  return false;
}

AtaOutcome RunAtaCommand(KernelDevice& device, const AtaCommand& command) {
  AtaOutcome out;
  std::uint8_t sense[64] = {};
  SgCommand sg;
  BuildAtaPassThrough16(command, &sg);
  sg.sense = sense;
  sg.senseCapacity = sizeof sense;
  int rc = device.SgIo(&sg);
  if (rc != 0) {
    out.error = IoErrorFromErrno(rc);
    return out;
  }
  if (sg.timedOut) {
    out.error = kErrorSemTimeout;
    return out;
  }
  if (sg.hostStatus != 0) {
    out.error = kErrorIoDevice;
    return out;
  }
  if (sg.senseLength > 0 && ParseAtaSense(sense, sg.senseLength, &out.current, &out.previous)) {
    out.registersValid = true;
    return out;
  }
  if (sg.status == wire::kScsiStatusGood) {
    out.current.command = 0x50;  // ready, no error
    return out;
  }
  // Rejected without ATA registers: the translation layer does not know the
  // command (a SCSI device that is not ATA) or the transport failed.
  std::uint8_t key = 0;
  if (sg.senseLength >= 3) key = ((sense[0] & 0x7F) >= 0x72) ? (sense[1] & 0x0F) : (sense[2] & 0x0F);
  out.error = key == wire::kSenseKeyIllegalRequest ? kErrorInvalidFunction : kErrorIoDevice;
  return out;
}

}  // namespace platform::linux_backend
