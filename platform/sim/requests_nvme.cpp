// NVMe requests that do not travel as SCSI commands: the miniport
// pass-through ("NvmeMini") on the adapter and the storage property queries
// (device descriptor for every disk; NVMe protocol-specific data for disks
// on the in-box NVMe driver).
#include <algorithm>
#include <cstring>

#include "platform/wire.h"
#include "sim/sim_machine.h"

namespace platform::sim {
namespace {

namespace w = platform::wire;

IoResult DeviceDescriptor(SimDisk& disk, std::uint32_t queryType, std::uint8_t* out,
                          std::uint32_t outSize) {
  if (queryType == w::kPropertyExistsQuery) return IoOk(0);
  if (queryType != w::kPropertyStandardQuery) return IoFail(kErrorInvalidFunction);
  const DriveSpec& s = disk.spec();
  std::vector<std::uint8_t> reply(offsetof(w::StorageDeviceDescriptor, rawDeviceProperties), 0);
  w::StorageDeviceDescriptor d{};
  auto addText = [&](const std::string& text) -> std::uint32_t {
    if (text.empty()) return 0;
    const std::uint32_t at = static_cast<std::uint32_t>(reply.size());
    reply.insert(reply.end(), text.begin(), text.end());
    reply.push_back(0);
    return at;
  };
  const bool bridged = s.bridge != Bridge::kNative && s.bridge != Bridge::kStorageQuery &&
                       s.bridge != Bridge::kMiniportIntel && s.bridge != Bridge::kMiniportSamsung &&
                       s.bridge != Bridge::kSamsungNvme;
  d.vendorIdOffset = addText(!s.vendor.empty() ? s.vendor : (bridged ? "USB" : ""));
  d.productIdOffset = addText(s.model);
  d.productRevisionOffset = addText(s.firmware);
  d.serialNumberOffset = addText(s.serial);
  d.version = sizeof(w::StorageDeviceDescriptor);
  d.size = static_cast<std::uint32_t>(reply.size());
  d.deviceType = 0;  // direct access
  d.removableMedia = s.removable ? 1 : 0;
  d.commandQueueing = bridged ? 0 : 1;
  d.busType = s.bus;
  std::memcpy(reply.data(), &d, offsetof(w::StorageDeviceDescriptor, rawDeviceProperties));
  if (outSize < 8) return IoFail(kErrorInsufficientBuffer);
  const std::uint32_t n = std::min<std::uint32_t>(outSize, static_cast<std::uint32_t>(reply.size()));
  std::memcpy(out, reply.data(), n);
  return IoOk(n);
}

}  // namespace

IoResult StorageQueryRequest(SimDisk& disk, bool adapter, const std::uint8_t* in,
                             std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize) {
  if (inSize < 8) return IoFail(kErrorInvalidParameter);
  std::uint32_t property = 0, queryType = 0;
  std::memcpy(&property, in, 4);
  std::memcpy(&queryType, in + 4, 4);
  if (property == w::kStorageDeviceProperty && !adapter)
    return DeviceDescriptor(disk, queryType, out, outSize);
  const bool protocolProperty = property == w::kStorageAdapterProtocolSpecificProperty ||
                                (property == w::kStorageDeviceProtocolSpecificProperty && !adapter);
  if (!protocolProperty) return IoFail(kErrorInvalidFunction);
  // Only the in-box NVMe driver answers protocol-specific queries.
  if (disk.spec().bridge != Bridge::kStorageQuery || disk.nvme() == nullptr)
    return IoFail(kErrorInvalidFunction);
  if (queryType != w::kPropertyStandardQuery) return IoFail(kErrorInvalidParameter);
  if (inSize < offsetof(w::StorageProtocolQuery, data)) return IoFail(kErrorInvalidParameter);
  w::StorageProtocolSpecificData p;
  std::memcpy(&p, in + 8, sizeof p);
  if (p.protocolType != w::kProtocolTypeNvme || p.dataOffset < sizeof p || p.dataLength == 0 ||
      p.dataLength > 4096)
    return IoFail(kErrorInvalidParameter);
  const std::uint64_t end = 8ull + p.dataOffset + p.dataLength;
  if (end > outSize) return IoFail(kErrorInsufficientBuffer);
  NvmeAdminCommand nc;
  if (p.dataType == w::kNvmeDataTypeIdentify) {
    nc.opcode = 0x06;
    nc.cdw10 = p.requestValue;
    nc.nsid = p.requestValue == 0 ? 1 : 0;
  } else if (p.dataType == w::kNvmeDataTypeLogPage) {
    nc.opcode = 0x02;
    nc.cdw10 = (p.requestValue & 0xFF) | (((p.dataLength / 4) - 1) << 16);
    nc.nsid = 0xFFFFFFFF;
  } else {
    return IoFail(kErrorInvalidParameter);
  }
  std::vector<std::uint8_t> data(p.dataLength, 0);
  if (disk.nvme()->Admin(nc, data.data(), p.dataLength) != kNvmeSuccess)
    return IoFail(kErrorInvalidParameter);
  std::memset(out, 0, static_cast<std::size_t>(end));
  const std::uint32_t version = 8 + sizeof p, size = 8 + sizeof p;
  std::memcpy(out, &version, 4);
  std::memcpy(out + 4, &size, 4);
  std::memcpy(out + 8, &p, sizeof p);
  std::memcpy(out + 8 + p.dataOffset, data.data(), p.dataLength);
  return IoOk(static_cast<std::uint32_t>(end));
}

IoResult MiniportRequest(SimDisk& disk, const std::uint8_t* in, std::uint32_t inSize,
                         std::uint8_t* out, std::uint32_t outSize) {
  const Bridge b = disk.spec().bridge;
  if ((b != Bridge::kMiniportIntel && b != Bridge::kMiniportSamsung) || disk.nvme() == nullptr)
    return IoFail(kErrorInvalidFunction);
  if (inSize < sizeof(w::SrbIoControl)) return IoFail(kErrorInvalidParameter);
  w::SrbIoControl srb;
  std::memcpy(&srb, in, sizeof srb);
  if (srb.headerLength != sizeof srb ||
      std::memcmp(srb.signature, w::kNvmeMiniportSignature, 8) != 0 ||
      srb.controlCode != w::kNvmePassThroughControlCode)
    return IoFail(kErrorInvalidFunction);
  constexpr std::uint32_t kData = offsetof(w::NvmePassThroughIoctl, data);
  if (inSize < kData || outSize < kData || srb.length < kData - sizeof srb)
    return IoFail(kErrorInvalidParameter);
  w::NvmePassThroughIoctl* io = nullptr;
  std::vector<std::uint8_t> copy(in, in + kData);
  io = reinterpret_cast<w::NvmePassThroughIoctl*>(copy.data());
  if (io->queueId != 0 || io->direction != w::kNvmeFromDevice || io->dataBufferLength > 4096 ||
      kData + std::uint64_t{io->dataBufferLength} > std::min(inSize, outSize))
    return IoFail(kErrorInvalidParameter);
  NvmeAdminCommand nc;
  nc.opcode = static_cast<std::uint8_t>(io->command[0]);
  nc.nsid = io->command[1];
  nc.cdw10 = io->command[10];
  nc.cdw11 = io->command[11];
  // The Samsung driver returns whole log pages whatever the dword count.
  if (b == Bridge::kMiniportSamsung && nc.opcode == 0x02) nc.cdw10 = (nc.cdw10 & 0xFF) | (0x7Fu << 16);
  std::vector<std::uint8_t> data(io->dataBufferLength, 0);
  const std::uint16_t status = disk.nvme()->Admin(nc, data.data(), io->dataBufferLength);
  std::memcpy(out, copy.data(), kData);
  auto* reply = reinterpret_cast<w::NvmePassThroughIoctl*>(out);
  const std::uint32_t dw3 = static_cast<std::uint32_t>(status) << 17;
  std::memcpy(&reply->completion[3], &dw3, 4);
  const std::uint32_t rc = status == kNvmeSuccess ? 0 : 1;
  std::memcpy(&reply->srb.returnCode, &rc, 4);
  std::memset(out + kData, 0, io->dataBufferLength);
  if (status == kNvmeSuccess) std::memcpy(out + kData, data.data(), data.size());
  return IoOk(kData + io->dataBufferLength);
}

}  // namespace platform::sim
