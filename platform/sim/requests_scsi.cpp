// SCSI pass-through (buffered and direct), SCSI address and disk geometry.
#include <algorithm>
#include <cstring>

#include "platform/wire.h"
#include "sim/sim_machine.h"

namespace platform::sim {
namespace {
namespace w = platform::wire;
}

IoResult ScsiPassThroughRequest(SimDisk& disk, bool direct, const std::uint8_t* in,
                                std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize) {
  constexpr std::uint32_t kHeader = sizeof(w::ScsiPassThrough);
  if (inSize < kHeader || outSize < kHeader) return IoFail(kErrorInvalidParameter);
  w::ScsiPassThrough spt;
  std::memcpy(&spt, in, kHeader);
  if (spt.length != kHeader || spt.cdbLength == 0 || spt.cdbLength > 16 || spt.dataIn > 2)
    return IoFail(kErrorInvalidParameter);
  const std::uint32_t bufferSize = std::max(inSize, outSize);
  if (spt.senseInfoLength != 0 &&
      (spt.senseInfoOffset < kHeader ||
       std::uint64_t{spt.senseInfoOffset} + spt.senseInfoLength > outSize))
    return IoFail(kErrorInvalidParameter);
  const bool hostIn = spt.dataIn == w::kScsiDataIn;
  std::vector<std::uint8_t> data;
  std::uint8_t* userBuffer = nullptr;
  if (spt.dataTransferLength != 0) {
    if (direct) {
      w::ScsiPassThroughDirect sptd;
      std::memcpy(&sptd, in, kHeader);
      userBuffer = static_cast<std::uint8_t*>(sptd.dataBuffer);
      if (userBuffer == nullptr) return IoFail(kErrorInvalidParameter);
    } else {
      const std::uint64_t end = spt.dataBufferOffset + spt.dataTransferLength;
      if (spt.dataBufferOffset < kHeader || end > (hostIn ? outSize : inSize) || end > bufferSize)
        return IoFail(kErrorInvalidParameter);
    }
    if (spt.dataTransferLength > (64u << 20)) return IoFail(kErrorInvalidParameter);
    data.assign(spt.dataTransferLength, 0);
    if (!hostIn)
      std::memcpy(data.data(), direct ? userBuffer : in + spt.dataBufferOffset, data.size());
  }
  ScsiCommand cmd;
  cmd.cdb = spt.cdb;
  cmd.cdbLength = spt.cdbLength;
  cmd.dataIn = hostIn;
  cmd.data = data.empty() ? nullptr : data.data();
  cmd.length = spt.dataTransferLength;
  const ScsiOutcome o = disk.Scsi(cmd);

  std::memcpy(out, in, kHeader);
  auto* reply = reinterpret_cast<w::ScsiPassThrough*>(out);
  reply->scsiStatus = o.status;
  const std::uint8_t senseLength =
      o.status != 0 ? std::min<std::uint8_t>(o.senseLength, spt.senseInfoLength) : 0;
  reply->senseInfoLength = senseLength;
  if (senseLength) std::memcpy(out + spt.senseInfoOffset, o.sense, senseLength);
  std::uint32_t bytes = kHeader;
  if (hostIn && o.transferred) {
    std::memcpy(direct ? userBuffer : out + spt.dataBufferOffset, data.data(), o.transferred);
    if (!direct) bytes = static_cast<std::uint32_t>(spt.dataBufferOffset) + o.transferred;
  }
  if (senseLength) bytes = std::max(bytes, spt.senseInfoOffset + senseLength);
  const std::uint32_t moved = hostIn ? o.transferred : spt.dataTransferLength;
  std::memcpy(&reply->dataTransferLength, &moved, sizeof moved);
  return IoOk(bytes);
}

IoResult ScsiAddressRequest(SimDisk& disk, std::uint8_t* out, std::uint32_t outSize) {
  if (outSize < sizeof(w::ScsiAddress)) return IoFail(kErrorInsufficientBuffer);
  const DriveSpec& s = disk.spec();
  w::ScsiAddress a{sizeof(w::ScsiAddress), static_cast<std::uint8_t>(s.port),
                   static_cast<std::uint8_t>(s.path), static_cast<std::uint8_t>(s.target),
                   static_cast<std::uint8_t>(s.lun)};
  std::memcpy(out, &a, sizeof a);
  return IoOk(sizeof a);
}

IoResult GeometryRequest(SimDisk& disk, bool ex, std::uint8_t* out, std::uint32_t outSize) {
  const DriveSpec& s = disk.spec();
  if (s.faults.notReady) return IoFail(kErrorNotReady);
  const std::uint32_t need = ex ? offsetof(w::DiskGeometryEx, data) : sizeof(w::DiskGeometry);
  if (outSize < need) return IoFail(kErrorInsufficientBuffer);
  std::uint64_t sectors = s.sectors;
  if (disk.ata()) sectors = disk.ata()->UserMax() + 1;
  w::DiskGeometryEx g{};
  g.geometry.tracksPerCylinder = 255;
  g.geometry.sectorsPerTrack = 63;
  g.geometry.bytesPerSector = s.sectorSize;
  g.geometry.cylinders = static_cast<std::int64_t>(sectors / (255 * 63));
  g.geometry.mediaType = s.removable ? w::kMediaRemovable : w::kMediaFixed;
  g.diskSize = static_cast<std::int64_t>(sectors * s.sectorSize);
  std::memcpy(out, &g, need);
  return IoOk(need);
}

}  // namespace platform::sim
