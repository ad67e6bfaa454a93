#include "linux/device_control.h"

#include "linux/request_handlers.h"
#include "platform/platform.h"
#include "platform/wire.h"

namespace platform::linux_backend {

std::uint32_t HandleDeviceControl(RequestTarget& target, std::uint32_t code, std::uint8_t* buffer,
                                  std::uint32_t inSize, std::uint32_t outSize, std::uint32_t* returned) {
  *returned = 0;
  ControlRequest r{target, buffer, inSize, outSize, returned};
  using K = RequestTarget::Kind;
  switch (target.kind) {
    case K::kDisk:
      switch (code) {
        case wire::kSmartGetVersion: return SmartGetVersion(r);
        case wire::kSmartSendDriveCommand: return SmartSendDriveCommand(r);
        case wire::kSmartRcvDriveData: return SmartReceiveDriveData(r);
        case wire::kAtaPassThrough: return AtaPassThrough(r, false);
        case wire::kAtaPassThroughDirect: return AtaPassThrough(r, true);
        case wire::kScsiPassThrough: return ScsiPassThrough(r, false);
        case wire::kScsiPassThroughDirect: return ScsiPassThrough(r, true);
        case wire::kScsiGetAddress: return ScsiGetAddress(r);
        case wire::kStorageQueryProperty: return StorageQuery(r);
        case wire::kDiskGetDriveGeometry: return DriveGeometry(r, false);
        case wire::kDiskGetDriveGeometryEx: return DriveGeometry(r, true);
        case wire::kStorageCheckVerify: return CheckVerify(r);
        default: return kErrorInvalidFunction;  // SCSI miniport and the rest
      }
    case K::kVolume:
      switch (code) {
        case wire::kStorageCheckVerify: return CheckVerify(r);
        case wire::kVolumeGetVolumeDiskExtents: return VolumeDiskExtents(r);
        default: return kErrorInvalidFunction;
      }
    case K::kAdapter:
      if (code == wire::kStorageQueryProperty) return NvmeProtocolQuery(r);
      return kErrorInvalidFunction;
  }
  return kErrorInvalidFunction;
}

}  // namespace platform::linux_backend
