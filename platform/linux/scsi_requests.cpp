// SCSI pass-through, buffered and direct, as SG_IO with the same CDB,
// direction, length and sense buffer.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "linux/request_handlers.h"
#include "linux/system_errors.h"
#include "platform/platform.h"
#include "platform/wire.h"

namespace platform::linux_backend {

std::uint32_t ScsiPassThrough(ControlRequest& r, bool direct) {
  if (r.target.io == nullptr) return kErrorInvalidFunction;
  static_assert(sizeof(wire::ScsiPassThrough) == sizeof(wire::ScsiPassThroughDirect));
  constexpr std::uint32_t kHeader = sizeof(wire::ScsiPassThrough);
  if (r.inSize < kHeader || r.outSize < kHeader) return kErrorInsufficientBuffer;
  wire::ScsiPassThrough spt;
  wire::ScsiPassThroughDirect sptd;
  std::memcpy(&spt, r.buffer, kHeader);
  std::memcpy(&sptd, r.buffer, kHeader);
  if (spt.length != kHeader || spt.cdbLength == 0 || spt.cdbLength > 16) return kErrorInvalidParameter;
  if (spt.dataIn > wire::kScsiDataUnspecified) return kErrorInvalidParameter;

  // Sense area inside the reply, after the header.
  std::uint32_t senseLength = spt.senseInfoLength;
  if (senseLength > 0 &&
      (spt.senseInfoOffset < kHeader || static_cast<std::uint64_t>(spt.senseInfoOffset) + senseLength > r.outSize))
    return kErrorInvalidParameter;

  std::uint32_t length = spt.dataTransferLength;
  void* data = nullptr;
  bool fromDevice = spt.dataIn != wire::kScsiDataOut;
  if (length > 0) {
    if (direct) {
      data = sptd.dataBuffer;
      if (data == nullptr) return kErrorInvalidParameter;
    } else {
      std::uint64_t end = spt.dataBufferOffset + static_cast<std::uint64_t>(length);
      if (spt.dataBufferOffset < kHeader || end > (fromDevice ? r.outSize : r.inSize))
        return kErrorInvalidParameter;
      data = r.buffer + spt.dataBufferOffset;
    }
  }

  SgCommand sg;
  std::memcpy(sg.cdb, spt.cdb, spt.cdbLength);
  sg.cdbLength = spt.cdbLength;
  sg.direction = length == 0 ? SgDirection::kNone : fromDevice ? SgDirection::kFromDevice : SgDirection::kToDevice;
  sg.data = data;
  sg.dataLength = length;
  std::uint8_t sense[252] = {};
  sg.sense = sense;
  sg.senseCapacity = static_cast<std::uint8_t>(std::min<std::uint32_t>(senseLength, sizeof sense));
  std::uint32_t seconds = std::clamp<std::uint32_t>(spt.timeOutValue, 1, 3600);
  sg.timeoutMs = seconds * 1000;
  if (int rc = r.target.io->SgIo(&sg); rc != 0) return IoErrorFromErrno(rc);
  if (sg.timedOut) return kErrorSemTimeout;
  if (sg.hostStatus != 0) return kErrorIoDevice;

  std::uint32_t transferred = length;
  if (sg.resid > 0 && static_cast<std::uint32_t>(sg.resid) <= length) transferred = length - sg.resid;
  std::uint8_t senseWritten = std::min<std::uint8_t>(sg.senseLength, sg.senseCapacity);
  if (senseWritten > 0) std::memcpy(r.buffer + spt.senseInfoOffset, sense, senseWritten);

  r.buffer[offsetof(wire::ScsiPassThrough, scsiStatus)] = sg.status;
  r.buffer[offsetof(wire::ScsiPassThrough, senseInfoLength)] = senseWritten;
  std::memcpy(r.buffer + offsetof(wire::ScsiPassThrough, dataTransferLength), &transferred, 4);

  std::uint32_t returned = kHeader;
  if (senseLength > 0) returned = std::max(returned, spt.senseInfoOffset + senseLength);
  if (!direct && length > 0 && fromDevice)
    returned = std::max(returned, static_cast<std::uint32_t>(spt.dataBufferOffset) + transferred);
  *r.returned = std::min(returned, r.outSize);
  return kErrorSuccess;
}

}  // namespace platform::linux_backend
