#include "acquisition/smart_read.h"

#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "acquisition/bridge_dispatch.h"
#include "engine/smart_info.h"
#include "frame/log.h"
#include "transport/transport.h"

namespace hwscope {
namespace {

constexpr std::uint8_t kSmartReadData = 0xD0;
constexpr std::uint8_t kSmartReadThresholds = 0xD1;

int ThreadId() {
  return static_cast<int>(std::hash<std::thread::id>{}(std::this_thread::get_id()) & 0x7FFFFFFF);
}

// Copies the data of a native SMART reply whose buffer-size field claims
// `claimed` bytes; more than a sector is refused.
bool CopyNativeReply(const platform::wire::SmartCommandOutput& reply, std::uint8_t* out) {
  const std::uint32_t claimed = reply.bufferSize;
  if (claimed > 512) return false;
  std::memcpy(out, reply.buffer, claimed);
  return true;
}

int ReadNative(platform::Handle handle, int device, std::uint8_t* data, std::uint8_t* thresholds) {
  Logf("Getting SMART attributes for SATA device #%d", device);
  const auto drive = static_cast<std::uint8_t>(device);
  platform::wire::SmartCommandOutput reply{};
  std::uint32_t returned = 0;
  int result = 0;
  if (DoReadSmartDataNative(handle, drive, &reply, &returned)) {
    platform::wire::SmartCommandOutput thresholdReply{};
    std::uint32_t thresholdReturned = 0;
    const bool thresholdsRead =
        DoReadSmartThresholdsNative(handle, drive, &thresholdReply, &thresholdReturned) != 0;
    if (!thresholdsRead) Logf("Failed to get SMART thresholds.");
    Logf("Retrieved all SMART data for device #%d", device);
    result = 1;
    if (!CopyNativeReply(reply, data)) {
      Logf("Retrieved all SMART data for device #%d. Attribute buffer too big %u", device,
           reply.bufferSize);
      result = 0;
    }
    if (thresholdsRead && !CopyNativeReply(thresholdReply, thresholds)) {
      Logf("Retrieved all SMART data for device #%d. Threshold buffer too big %u", device,
           thresholdReply.bufferSize);
      result = 0;
    }
  } else {
    Logf("Failed to get SMART Attributes.");
    Logf("Device #%d does not support SMART", device);
  }
  Logf("Completed retrive of all SMART data for device #%d", device);
  return result;
}

int ReadBridged(platform::Handle handle, int bridgeType, int device, std::uint8_t* data,
                std::uint8_t* thresholds) {
  Logf("Getting SMART attributes for device #%d (bridge type %d)", device, bridgeType);
  int result = 0;
  std::uint32_t size = 512;
  if (bridgeType >= kBridgeSat && bridgeType <= kBridgeSunplus) {
    result = AtaBridgeCommand(bridgeType, handle, kSmartReadData, 0, 0, 0, data, &size, nullptr,
                              nullptr);
  } else if (bridgeType >= kBridgeJms583 && bridgeType <= kBridgeAsm2362) {
    result = NvmeBridgeCommand(bridgeType, handle, kNvmeHealthLog, data, &size);
  } else {
    Logf("We should not reach this point...");
  }
  if (!result) Logf("Failed to get SMART Attributes.");

  if (bridgeType >= kBridgeSat && bridgeType <= kBridgeSunplus) {
    std::uint32_t thresholdSize = 512;
    if (!AtaBridgeCommand(bridgeType, handle, kSmartReadThresholds, 0, 0, 0, thresholds,
                          &thresholdSize, nullptr, nullptr))
      Logf("Failed to get SMART thresholds.");
  } else if (bridgeType >= kBridgeJms583 && bridgeType <= kBridgeAsm2362) {
    Logf("No SMART thresholds for NVMe drives...");
  } else {
    Logf("We should not reach this point...");
  }
  return result;
}

int ReadNvme(platform::Handle handle, int bridgeType, int device, std::uint8_t* data) {
  Logf("Getting SMART attributes for NVMe device #%d (bridge type %d)", device, bridgeType);
  std::uint32_t size = 512;
  int result = 0;
  switch (bridgeType) {
    case kBridgeNvmeSamsung:
    case kBridgeStorageQuery:
      result = NvmeBridgeCommand(bridgeType, handle, kNvmeHealthLog, data, &size);
      break;
    case kBridgeMiniportSamsung:
    case kBridgeMiniportIntel:
      // The health log goes with the Intel form of the miniport request on both.
      result = DoScsiMiniportCmd_NVMeIntel(handle, kNvmeHealthLog, data, &size);
      break;
    default:
      Logf("We should not reach this point...");
      break;
  }
  if (!result) Logf("Failed to get SMART Attributes.");
  return result;
}

}  // namespace

int OpenPhysicalDevice(platform::Platform& os, int device, bool logFailure,
                       platform::Handle* handle) {
  if (device < 0 || device >= kMaxDevices) return HWSCOPE_E_OPEN_FAILED;
  Logf("OpenSMARTNT #%d: Opening physical device (threadid: %d)", device, ThreadId());
  if (*handle != platform::kInvalidHandle) {
    Logf("OpenSMARTNT #%d: already open SMART_STATUS_SUCCESS (threadid: %d)", device, ThreadId());
    return 0;
  }
  const std::wstring path = L"\\\\.\\PhysicalDrive" + std::to_wstring(device);
  *handle = os.OpenDevice(path);
  int result = 0;
  if (*handle == platform::kInvalidHandle) {
    const std::uint32_t error = os.LastError();
    if (logFailure)
      Logf("CreateFile >> LastError = 0x%lx \"%s\"", static_cast<unsigned long>(error),
           SystemErrorText(error).c_str());
    result = HWSCOPE_E_OPEN_FAILED;
  }
  Logf("OpenSMARTNT #%d: physical device ret %d (threadid: %d)", device, result, ThreadId());
  return result;
}

int ReadSMARTData(platform::Handle handle, int busType, int bridgeType, int device,
                  std::uint8_t* data, std::uint8_t* thresholds) {
  if (device < 0 || device >= kMaxDevices) {
    Logf("Error with SMART device id #%d (2)", device);
    return 0;
  }
  if (!IsBridgedBus(busType) && !IsNvmeBus(busType)) return ReadNative(handle, device, data, thresholds);
  const int result = IsNvmeBus(busType) ? ReadNvme(handle, bridgeType, device, data)
                                        : ReadBridged(handle, bridgeType, device, data, thresholds);
  if (result)
    Logf("Retrieved all SMART data for device #%d", device);
  else
    Logf("Device #%d does not support SMART", device);
  Logf("Completed retrive of all SMART data for device #%d", device);
  return result;
}

}  // namespace hwscope
