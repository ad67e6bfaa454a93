// The handlers behind HandleDeviceControl, one group per file.
#pragma once

#include <cstdint>

#include "linux/device_control.h"

namespace platform::linux_backend {

struct ControlRequest {
  RequestTarget& target;
  std::uint8_t* buffer;
  std::uint32_t inSize;
  std::uint32_t outSize;
  std::uint32_t* returned;
  std::uint32_t bufferSize() const { return inSize > outSize ? inSize : outSize; }
};

// smart_requests.cpp: native SMART requests and ATA pass-through (libata).
std::uint32_t SmartGetVersion(ControlRequest& r);
std::uint32_t SmartSendDriveCommand(ControlRequest& r);
std::uint32_t SmartReceiveDriveData(ControlRequest& r);
std::uint32_t AtaPassThrough(ControlRequest& r, bool direct);

// scsi_requests.cpp: SCSI pass-through.
std::uint32_t ScsiPassThrough(ControlRequest& r, bool direct);

// nvme_requests.cpp: NVMe protocol-specific storage queries.
std::uint32_t NvmeProtocolQuery(ControlRequest& r);

// disk_requests.cpp: descriptor, geometry, address, media and extents.
std::uint32_t StorageQuery(ControlRequest& r);
std::uint32_t DriveGeometry(ControlRequest& r, bool extended);
std::uint32_t ScsiGetAddress(ControlRequest& r);
std::uint32_t CheckVerify(ControlRequest& r);
std::uint32_t VolumeDiskExtents(ControlRequest& r);

}  // namespace platform::linux_backend
