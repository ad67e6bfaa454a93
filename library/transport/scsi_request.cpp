#include "transport/scsi_request.h"

#include <cstring>
#include <vector>

namespace hwscope::transport {
namespace w = platform::wire;

namespace {

w::ScsiPassThrough Header(std::uint8_t target, const std::uint8_t* cdb, std::uint8_t cdbLength,
                          std::uint8_t direction, std::uint32_t length, std::uint32_t timeout) {
  w::ScsiPassThrough spt{};
  spt.length = sizeof(w::ScsiPassThrough);
  spt.targetId = target;
  spt.cdbLength = cdbLength;
  spt.dataIn = direction;
  spt.dataTransferLength = length;
  spt.timeOutValue = timeout;
  std::memcpy(spt.cdb, cdb, cdbLength);
  return spt;
}

}  // namespace

ScsiExchange SendScsi(platform::Handle device, const SptForm& form, std::uint8_t target,
                      const std::uint8_t* cdb, std::uint8_t cdbLength, std::uint8_t direction,
                      std::uint8_t* data, std::uint32_t length, std::uint32_t timeoutSeconds) {
  const std::uint32_t size = form.dataOffset + length;
  std::vector<std::uint8_t> buffer(size, 0);
  w::ScsiPassThrough spt = Header(target, cdb, cdbLength, direction, length, timeoutSeconds);
  spt.senseInfoLength = static_cast<std::uint8_t>(form.senseLength);
  spt.senseInfoOffset = form.senseOffset;
  spt.dataBufferOffset = form.dataOffset;
  std::memcpy(buffer.data(), &spt, sizeof spt);
  if (direction == w::kScsiDataOut && length && data) std::memcpy(&buffer[form.dataOffset], data, length);
  ScsiExchange x;
  x.ok = platform::Current().DeviceControl(device, w::kScsiPassThrough, buffer.data(), size,
                                           buffer.data(), size, &x.bytesReturned);
  if (!x.ok) {
    x.error = platform::Current().LastError();
    return x;
  }
  std::memcpy(&spt, buffer.data(), sizeof spt);
  x.scsiStatus = spt.scsiStatus;
  x.dataTransferLength = spt.dataTransferLength;
  std::memcpy(x.sense, &buffer[form.senseOffset], form.senseLength);
  if (direction == w::kScsiDataIn && length && data) std::memcpy(data, &buffer[form.dataOffset], length);
  return x;
}

ScsiExchange SendScsiDirect(platform::Handle device, std::uint8_t target, const std::uint8_t* cdb,
                            std::uint8_t cdbLength, std::uint8_t direction, void* buffer,
                            std::uint32_t length, std::uint32_t timeoutSeconds) {
  w::ScsiPassThroughDirectWithSense block{};
  w::ScsiPassThrough spt = Header(target, cdb, cdbLength, direction, length, timeoutSeconds);
  std::memcpy(&block.sptd, &spt, sizeof spt);
  block.sptd.dataBuffer = buffer;
  block.sptd.senseInfoLength = sizeof block.sense;
  block.sptd.senseInfoOffset = offsetof(w::ScsiPassThroughDirectWithSense, sense);
  ScsiExchange x;
  x.ok = platform::Current().DeviceControl(device, w::kScsiPassThroughDirect, &block, sizeof block,
                                           &block, sizeof block, &x.bytesReturned);
  if (!x.ok) {
    x.error = platform::Current().LastError();
    return x;
  }
  x.scsiStatus = block.sptd.scsiStatus;
  x.dataTransferLength = block.sptd.dataTransferLength;
  std::memcpy(x.sense, block.sense, sizeof block.sense);
  return x;
}

bool CannedRegisters(std::uint8_t code, std::uint8_t subValue, std::uint64_t address,
                     bool satCounts, CannedAta* out) {
  CannedAta c;
  const auto a = [&](int byte) { return static_cast<std::uint8_t>(address >> (8 * byte)); };
  auto smart = [&](AtaData data, std::uint8_t count) {
    c.features = code;
    c.count = count;
    c.lbaMid = 0x4F;
    c.lbaHigh = 0xC2;
    c.command = 0xB0;
    c.data = data;
  };
  switch (code) {
    case 0xEC:
      c.count = 1;
      c.command = 0xEC;
      c.data = AtaData::kIn;
      break;
    case 0xD0:
    case 0xD1:
      smart(AtaData::kIn, satCounts ? 1 : 0);
      break;
    case 0xD5:
      smart(AtaData::kIn, 0);
      break;
    case 0xD6:
    case 0xD7:
      smart(AtaData::kOut, 0);
      break;
    case 0xD2:
    case 0xD3:
    case 0xD8:
    case 0xD9:
    case 0xDA:
      smart(AtaData::kNone, 0);
      break;
    case 0xD4:
      smart(AtaData::kNone, 0);
      c.lbaLow = subValue;
      break;
    case 0xC0:
    case 0xC2:
    case 0xC3:
      c.features = code;
      c.count = code == 0xC2 ? 1 : 0;
      c.command = 0xB1;
      c.data = code == 0xC2 ? AtaData::kIn : code == 0xC3 ? AtaData::kOut : AtaData::kNone;
      break;
    case 0xF8:
    case 0x27:
      c.device = 0xE0;
      c.command = code;
      c.ext = code == 0x27;
      break;
    case 0xF9:
      c.lbaLow = a(0);
      c.lbaMid = a(1);
      c.lbaHigh = a(2);
      c.device = static_cast<std::uint8_t>(0xE0 + (a(3) & 0x0F));
      c.command = 0xF9;
      break;
    case 0x37:
      c.lbaLow = a(0);
      c.lbaMid = a(1);
      c.lbaHigh = a(2);
      c.device = 0xE0;
      c.command = 0x37;
      c.ext = true;
      break;
    default:
      return false;
  }
  *out = c;
  return true;
}

bool FillReturnRegisters(void* block, std::uint32_t* size, std::uint8_t error, std::uint8_t count,
                         std::uint8_t lbaLow, std::uint8_t lbaMid, std::uint8_t lbaHigh,
                         std::uint8_t device, std::uint8_t status) {
  if (block == nullptr || size == nullptr) return false;
  if (*size < w::kReturnRegisterBlockSize) {
    *size = 0;
    return false;
  }
  auto* b = static_cast<std::uint8_t*>(block);
  b[0] = w::kSenseDescriptorCurrent;
  b[1] = w::kSenseKeyRecoveredError;
  b[2] = 0x00;
  b[3] = w::kAscqAtaInformationAvailable;
  b[7] = 0x0E;
  b[8] = w::kAtaStatusDescriptor;
  b[9] = 0x0C;
  b[10] = 0x00;
  b[11] = error;
  b[13] = count;
  b[15] = lbaLow;
  b[17] = lbaMid;
  b[19] = lbaHigh;
  b[20] = device;
  b[21] = status;
  return true;
}

bool CopyReturnRegisters(void* block, std::uint32_t* size, const std::uint8_t* sense) {
  if (block == nullptr || size == nullptr) return false;
  if (*size < w::kReturnRegisterBlockSize) {
    *size = 0;
    return false;
  }
  std::memcpy(block, sense, w::kReturnRegisterBlockSize);
  return true;
}

bool ReturnRegistersShowError(const void* block) {
  const auto* b = static_cast<const std::uint8_t*>(block);
  const std::uint8_t key = b[1] & 0x0F;
  if (b[0] == 0x72 || b[0] == 0x73) {
    if (key != 0x00 && key != w::kSenseKeyRecoveredError) return true;
    if (b[8] == w::kAtaStatusDescriptor) return (b[21] & 0x01) != 0;
    return false;
  }
  if ((b[0] & 0x7E) == 0x70) {  // fixed format
    const std::uint8_t fixedKey = b[2] & 0x0F;
    return fixedKey != 0x00 && fixedKey != w::kSenseKeyRecoveredError;
  }
  return true;  // CHECK CONDITION without usable sense
}

void CopySector(void* dst, std::uint32_t* size, const std::uint8_t* src) {
  if (size == nullptr) return;
  if (dst != nullptr && *size >= 512)
    std::memcpy(dst, src, 512);
  else
    *size = 0;
}

}  // namespace hwscope::transport
