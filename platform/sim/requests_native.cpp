// The disk driver's own ATA requests: native SMART version / send /
// receive and ATA pass-through (buffered and direct). Only drives on the
// native driver answer them; bridged disks reject them as their drivers do.
#include <cstring>

#include "platform/wire.h"
#include "sim/sim_machine.h"

namespace platform::sim {
namespace {

namespace w = platform::wire;

bool NativeAta(const SimDisk& disk) {
  return disk.spec().bridge == Bridge::kNative && disk.spec().kind == DriveKind::kAta;
}

AtaTaskFile FromRegisters(const w::AtaRegisters& cur, const w::AtaRegisters* prev) {
  AtaTaskFile tf;
  tf.features = cur.features;
  tf.count = cur.count;
  tf.device = cur.device;
  tf.command = cur.command;
  tf.lba = cur.lbaLow | (cur.lbaMid << 8) | (cur.lbaHigh << 16);
  if (prev) {
    tf.ext = true;
    tf.features = static_cast<std::uint16_t>(tf.features | (prev->features << 8));
    tf.count = static_cast<std::uint16_t>(tf.count | (prev->count << 8));
    tf.lba |= (static_cast<std::uint64_t>(prev->lbaLow) << 24) |
              (static_cast<std::uint64_t>(prev->lbaMid) << 32) |
              (static_cast<std::uint64_t>(prev->lbaHigh) << 40);
  } else {
    tf.lba |= static_cast<std::uint64_t>(cur.device & 0x0F) << 24;
  }
  return tf;
}

}  // namespace

IoResult NativeSmartRequest(SimDisk& disk, std::uint32_t code, const std::uint8_t* in,
                            std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize) {
  if (!NativeAta(disk)) return IoFail(kErrorInvalidFunction);
  if (code == w::kSmartGetVersion) {
    if (outSize < sizeof(w::SmartVersionBlock)) return IoFail(kErrorInsufficientBuffer);
    w::SmartVersionBlock v{};
    v.version = 1;
    v.revision = 1;
    v.ideDeviceMap = static_cast<std::uint8_t>(1u << (disk.spec().number & 3));
    v.capabilities = 1 | 4;
    std::memcpy(out, &v, sizeof v);
    return IoOk(sizeof v);
  }
  if (inSize < w::kSmartCommandInputSize) return IoFail(kErrorInvalidParameter);
  if (outSize < w::kSmartOutputHeaderSize) return IoFail(kErrorInsufficientBuffer);
  w::SmartCommandInput input;
  std::memcpy(&input, in, w::kSmartCommandInputSize);
  const w::AtaRegisters& r = input.regs;
  const bool receive = code == w::kSmartRcvDriveData;
  const std::uint8_t feature = r.features;
  // Which requests each code carries, as the disk driver checks them.
  bool dataIn = false;
  if (r.command == 0xEC) {
    if (!receive) return IoFail(kErrorInvalidParameter);
    dataIn = true;
  } else if (r.command == 0xB0) {
    const bool readKind = feature == 0xD0 || feature == 0xD1 || feature == 0xD5;
    if (receive != readKind) return IoFail(kErrorInvalidParameter);
    dataIn = readKind;
  } else {
    return IoFail(kErrorInvalidParameter);
  }
  AtaTaskFile tf = FromRegisters(r, nullptr);
  const AtaTransfer t = disk.ata()->TransferOf(tf);
  if (dataIn) {
    if (input.bufferSize < t.bytes) return IoFail(kErrorInvalidParameter);
    if (outSize < w::kSmartOutputHeaderSize + t.bytes) return IoFail(kErrorInsufficientBuffer);
  }
  std::vector<std::uint8_t> data(t.bytes, 0);
  const AtaResult res = disk.RunAta(tf, data.data());
  std::memset(out, 0, w::kSmartOutputHeaderSize);
  w::SmartDriverStatus status{};
  std::uint32_t bufferSize = 0;
  if (!res.ok()) {
    status.driverError = w::kSmartIdeError;
    status.ideError = res.error;
    std::memcpy(out + 4, &status, sizeof status);
    return IoFail(kErrorIoDevice);
  }
  std::uint32_t bytes = w::kSmartOutputHeaderSize;
  if (dataIn) {
    std::memcpy(out + w::kSmartOutputHeaderSize, data.data(), t.bytes);
    bufferSize = t.bytes;
    bytes += t.bytes;
  } else if (feature == 0xDA && outSize >= w::kSmartOutputHeaderSize + 8) {
    // RETURN STATUS: the registers the drive returned follow the status.
    const w::AtaRegisters regs{res.error,
                               static_cast<std::uint8_t>(res.count),
                               static_cast<std::uint8_t>(res.lba),
                               static_cast<std::uint8_t>(res.lba >> 8),
                               static_cast<std::uint8_t>(res.lba >> 16),
                               res.device,
                               res.status,
                               0};
    std::memcpy(out + w::kSmartOutputHeaderSize, &regs, sizeof regs);
    bufferSize = 8;
    bytes += 8;
  }
  if (disk.spec().faults.nativeBufferSize && dataIn) bufferSize = *disk.spec().faults.nativeBufferSize;
  std::memcpy(out, &bufferSize, 4);
  std::memcpy(out + 4, &status, sizeof status);
  return IoOk(bytes);
}

IoResult AtaPassThroughRequest(SimDisk& disk, bool direct, const std::uint8_t* in,
                               std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize) {
  if (!NativeAta(disk)) return IoFail(kErrorNotSupported);
  constexpr std::uint32_t kHeader = sizeof(w::AtaPassThroughEx);
  if (inSize < kHeader || outSize < kHeader) return IoFail(kErrorInvalidParameter);
  w::AtaPassThroughEx apt;
  std::memcpy(&apt, in, kHeader);
  if (apt.length != kHeader) return IoFail(kErrorInvalidParameter);
  const bool flagIn = apt.ataFlags & w::kAtaFlagDataIn;
  const bool flagOut = apt.ataFlags & w::kAtaFlagDataOut;
  if (flagIn && flagOut) return IoFail(kErrorInvalidParameter);
  const std::uint32_t length = apt.dataTransferLength;
  std::uint8_t* userBuffer = nullptr;  // direct form: the caller's data
  if (direct) {
    w::AtaPassThroughDirect aptd;
    std::memcpy(&aptd, in, kHeader);
    userBuffer = static_cast<std::uint8_t*>(aptd.dataBuffer);
  } else if (length != 0) {
    const std::uint64_t end = apt.dataBufferOffset + length;
    if (apt.dataBufferOffset < kHeader || end > (flagIn ? outSize : inSize))
      return IoFail(kErrorInvalidParameter);
  }
  const bool ext = apt.ataFlags & w::kAtaFlag48Bit;
  AtaTaskFile tf = FromRegisters(apt.currentTaskFile, ext ? &apt.previousTaskFile : nullptr);
  const AtaTransfer t = disk.ata()->TransferOf(tf);
  const bool cmdIn = t.protocol == AtaProtocol::kPioIn || t.protocol == AtaProtocol::kDmaIn;
  std::vector<std::uint8_t> data(t.bytes, 0);
  if (t.protocol != AtaProtocol::kNonData) {
    // A data command needs a matching direction and room for all its data.
    if ((cmdIn && !flagIn) || (!cmdIn && !flagOut) || length < t.bytes)
      return IoFail(kErrorInvalidParameter);
    if (direct && userBuffer == nullptr) return IoFail(kErrorInvalidParameter);
    if (!cmdIn) std::memcpy(data.data(), direct ? userBuffer : in + apt.dataBufferOffset, t.bytes);
  }
  const AtaResult res = disk.RunAta(tf, data.data());
  std::uint32_t moved = 0;
  if (cmdIn && res.ok()) {
    std::memcpy(direct ? userBuffer : out + apt.dataBufferOffset, data.data(), t.bytes);
    moved = t.bytes;
  }
  std::memcpy(out, in, kHeader);
  auto* reply = reinterpret_cast<w::AtaPassThroughEx*>(out);
  w::AtaRegisters cur{res.error,
                      static_cast<std::uint8_t>(res.count),
                      static_cast<std::uint8_t>(res.lba),
                      static_cast<std::uint8_t>(res.lba >> 8),
                      static_cast<std::uint8_t>(res.lba >> 16),
                      res.device,
                      res.status,
                      0};
  w::AtaRegisters prev{};
  if (ext) {
    prev.count = static_cast<std::uint8_t>(res.count >> 8);
    prev.lbaLow = static_cast<std::uint8_t>(res.lba >> 24);
    prev.lbaMid = static_cast<std::uint8_t>(res.lba >> 32);
    prev.lbaHigh = static_cast<std::uint8_t>(res.lba >> 40);
    prev.device = res.device;
    prev.command = res.status;
  }
  std::memcpy(&reply->currentTaskFile, &cur, sizeof cur);
  std::memcpy(&reply->previousTaskFile, &prev, sizeof prev);
  std::memcpy(&reply->dataTransferLength, &moved, sizeof moved);
  const std::uint32_t bytes =
      (!direct && moved) ? static_cast<std::uint32_t>(apt.dataBufferOffset) + moved : kHeader;
  return IoOk(bytes);
}

}  // namespace platform::sim
