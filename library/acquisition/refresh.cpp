// Per-device SMART refresh, the device handle slots and the reset of all
// per-device state.
#include <cstring>

#include "acquisition/device_worker.h"
#include "acquisition/smart_read.h"
#include "frame/log.h"

namespace hwscope {

int CSMARTInfo::OpenSMARTNT(int device, bool logFailure) {
  if (device < 0 || device >= kMaxDevices) return HWSCOPE_E_OPEN_FAILED;
  return OpenPhysicalDevice(platform::Current(), device, logFailure, &devices[device].handle);
}

int CSMARTInfo::RefreshSmartAttributes(int device) {
  const int valid = IsValidSmartDevice(device);
  if (valid != 0) return valid;
  const int index = FindDriveRow(device);
  if (index < 0 || index >= kMaxDriveRows) return HWSCOPE_E_SMART_REFRESH;
  const DriveRow& row = drives[index];

  Logf("RefreshSmartAttributes Opening physical device #%d", device);
  const int opened = OpenSMARTNT(device, true);
  if (opened != 0) {
    Logf("Couldn't open drive.");
    return opened;
  }
  std::uint8_t data[512] = {};
  std::uint8_t thresholds[512] = {};
  if (!ReadSMARTData(devices[device].handle, row.busType, row.bridgeType, device, data, thresholds))
    return HWSCOPE_E_SMART_REFRESH;
  if (IsNvmeBridge(row.bridgeType)) {
    FormatNVMEAttributeData(data, device, 1);
  } else {
    FormatAttributeData(data, thresholds, device, 1);
    std::memcpy(devices[device].selfTestStatus, data + 362, sizeof devices[device].selfTestStatus);
  }
  Logf("Completed SMART refresh: physical device #%d", device);
  return 0;
}

void CSMARTInfo::InitVars() {
  Logf("InitVars start");
  for (int device = 0; device < kMaxDevices; ++device) {
    std::shared_ptr<AcquisitionWorker>& worker = acquisitionWorkers[device];
    if (!worker) continue;
    if (worker->gate.Done()) {
      worker.reset();
    } else {
      // It cannot be stopped; its record stays so that the next acquisition
      // leaves the device alone until it has ended.
      Logf("GetSMARTInfoThread for Device #%d still running; left to end", device);
    }
  }
  physicalDeviceIds.clear();
  physicalDeviceIter = 0;
  smartDeviceIds.clear();
  smartDeviceIter = 0;
  detectedDriveCount = 0;
  smartDeviceCount = 0;

  for (DeviceState& state : devices) {
    if (state.handle != platform::kInvalidHandle) platform::Current().CloseDevice(state.handle);
    state.handle = platform::kInvalidHandle;
    state.legacyPresent = 0;
    state.legacySmart = 0;
    state.attributeList.clear();
    state.attributeIterValid = false;
    state.attributeCount = 0;
    state.smartRevision = 0;
    state.thresholdRevision = 0;
    std::memset(state.identify, 0, sizeof state.identify);
    for (AttributeRecord& record : state.attributes) record = AttributeRecord();
    state.version = DriverVersionBlock{};
    std::memset(state.selfTestStatus, 0, sizeof state.selfTestStatus);
  }
  for (DriveRow& row : drives) row.Reset();
}

}  // namespace hwscope
