// Requests answered from sysfs and block-device ioctls: the device
// descriptor, geometry, SCSI address, medium check and volume extents.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "linux/request_handlers.h"
#include "linux/system_errors.h"
#include "linux/volume_extents.h"
#include "platform/platform.h"
#include "platform/wire.h"

namespace platform::linux_backend {
namespace {

// Conventional translated geometry: 255 heads, 63 sectors per track.
constexpr std::uint32_t kTracksPerCylinder = 255;
constexpr std::uint32_t kSectorsPerTrack = 63;

std::uint32_t MediumBytes(ControlRequest& r, std::uint64_t* bytes) {
  if (r.target.io == nullptr) return kErrorInvalidFunction;
  if (int rc = r.target.io->MediumSize(bytes); rc != 0) return IoErrorFromErrno(rc);
  return *bytes == 0 ? kErrorNotReady : kErrorSuccess;
}

std::uint32_t DeviceDescriptor(ControlRequest& r, std::uint32_t queryType) {
  if (queryType == wire::kPropertyExistsQuery) return kErrorSuccess;
  if (queryType != wire::kPropertyStandardQuery) return kErrorInvalidParameter;
  if (r.outSize < 8) return kErrorInsufficientBuffer;
  const BlockDevice& d = r.target.disk;
  std::vector<std::uint8_t> reply(sizeof(wire::StorageDeviceDescriptor), 0);
  wire::StorageDeviceDescriptor desc{};
  auto append = [&reply](const std::string& text) -> std::uint32_t {
    if (text.empty()) return 0;
    auto offset = static_cast<std::uint32_t>(reply.size());
    reply.insert(reply.end(), text.begin(), text.end());
    reply.push_back(0);
    return offset;
  };
  desc.version = sizeof(wire::StorageDeviceDescriptor);
  desc.deviceType = 0;  // direct-access block device
  desc.removableMedia = d.removable ? 1 : 0;
  desc.commandQueueing = 0;
  desc.vendorIdOffset = append(d.vendor);
  desc.productIdOffset = append(d.product);
  desc.productRevisionOffset = append(d.revision);
  desc.serialNumberOffset = append(d.serial);
  desc.busType = d.busType;
  desc.size = static_cast<std::uint32_t>(reply.size());
  // Texts that do not fit the caller's reply are left out.
  for (std::uint32_t* offset : {&desc.vendorIdOffset, &desc.productIdOffset, &desc.productRevisionOffset,
                                &desc.serialNumberOffset})
    if (*offset != 0 && std::strlen(reinterpret_cast<const char*>(reply.data() + *offset)) + 1 + *offset > r.outSize)
      *offset = 0;
  std::memcpy(reply.data(), &desc, sizeof desc);
  std::uint32_t n = std::min<std::uint32_t>(r.outSize, static_cast<std::uint32_t>(reply.size()));
  std::memcpy(r.buffer, reply.data(), n);
  *r.returned = n;
  return kErrorSuccess;
}

}  // namespace

std::uint32_t StorageQuery(ControlRequest& r) {
  if (r.inSize < 8) return kErrorInvalidParameter;
  std::uint32_t propertyId, queryType;
  std::memcpy(&propertyId, r.buffer, 4);
  std::memcpy(&queryType, r.buffer + 4, 4);
  if (propertyId == wire::kStorageDeviceProperty) return DeviceDescriptor(r, queryType);
  if (propertyId == wire::kStorageAdapterProtocolSpecificProperty ||
      propertyId == wire::kStorageDeviceProtocolSpecificProperty)
    return NvmeProtocolQuery(r);
  return kErrorNotSupported;
}

std::uint32_t DriveGeometry(ControlRequest& r, bool extended) {
  std::uint32_t need = extended ? offsetof(wire::DiskGeometryEx, data) : sizeof(wire::DiskGeometry);
  if (r.outSize < need) return kErrorInsufficientBuffer;
  std::uint64_t bytes = 0;
  if (std::uint32_t e = MediumBytes(r, &bytes); e != 0) return e;
  std::uint32_t sector = r.target.disk.logicalBlockSize;
  wire::DiskGeometryEx g{};
  g.geometry.bytesPerSector = sector;
  g.geometry.tracksPerCylinder = kTracksPerCylinder;
  g.geometry.sectorsPerTrack = kSectorsPerTrack;
  g.geometry.cylinders = static_cast<std::int64_t>(bytes / (std::uint64_t{kTracksPerCylinder} * kSectorsPerTrack * sector));
  g.geometry.mediaType = r.target.disk.removable ? wire::kMediaRemovable : wire::kMediaFixed;
  g.diskSize = static_cast<std::int64_t>(bytes);
  std::uint32_t n = extended ? std::min<std::uint32_t>(r.outSize, sizeof g) : need;
  std::memcpy(r.buffer, &g, n);
  *r.returned = n;
  return kErrorSuccess;
}

std::uint32_t ScsiGetAddress(ControlRequest& r) {
  if (r.outSize < sizeof(wire::ScsiAddress)) return kErrorInsufficientBuffer;
  const BlockDevice& d = r.target.disk;
  wire::ScsiAddress a{};
  a.length = sizeof a;
  if (!d.nvmeController.empty()) {
    a.portNumber = static_cast<std::uint8_t>(r.target.adapterPort);
    a.lun = static_cast<std::uint8_t>(d.nvmeNamespace > 0 ? d.nvmeNamespace - 1 : 0);
  } else if (d.hasScsiAddress && d.scsiHost <= 255 && d.scsiChannel <= 255 && d.scsiTarget <= 255 &&
             d.scsiLun <= 255) {
    a.portNumber = static_cast<std::uint8_t>(d.scsiHost);
    a.pathId = static_cast<std::uint8_t>(d.scsiChannel);
    a.targetId = static_cast<std::uint8_t>(d.scsiTarget);
    a.lun = static_cast<std::uint8_t>(d.scsiLun);
  } else {
    return kErrorInvalidFunction;
  }
  std::memcpy(r.buffer, &a, sizeof a);
  *r.returned = sizeof a;
  return kErrorSuccess;
}

std::uint32_t CheckVerify(ControlRequest& r) {
  if (r.target.kind == RequestTarget::Kind::kVolume && r.target.io == nullptr)
    return kErrorSuccess;  // network volume: always there
  std::uint64_t bytes = 0;
  return MediumBytes(r, &bytes);
}

std::uint32_t VolumeDiskExtents(ControlRequest& r) {
  constexpr std::uint32_t kHead = offsetof(wire::VolumeDiskExtents, extents);
  if (r.outSize < sizeof(wire::VolumeDiskExtents)) return kErrorInsufficientBuffer;
  const LogicalDrive& v = r.target.volume;
  if (v.blockName.empty()) return kErrorInvalidFunction;
  auto extents = VolumeExtents(r.target.root, v.blockName, PhysicalDrives(r.target.root));
  if (extents.empty()) return kErrorInvalidFunction;
  auto count = static_cast<std::uint32_t>(extents.size());
  std::uint32_t fit = (r.outSize - kHead) / sizeof(wire::DiskExtent);
  std::memset(r.buffer, 0, r.outSize);
  std::memcpy(r.buffer, &count, 4);
  for (std::uint32_t i = 0; i < count && i < fit; ++i) {
    wire::DiskExtent e{};
    e.diskNumber = static_cast<std::uint32_t>(extents[i].diskNumber);
    e.startingOffset = static_cast<std::int64_t>(extents[i].startingOffset);
    e.extentLength = static_cast<std::int64_t>(extents[i].length);
    std::memcpy(r.buffer + kHead + i * sizeof e, &e, sizeof e);
  }
  *r.returned = kHead + std::min(count, fit) * static_cast<std::uint32_t>(sizeof(wire::DiskExtent));
  return count > fit ? wire::kErrorMoreData : kErrorSuccess;
}

}  // namespace platform::linux_backend
