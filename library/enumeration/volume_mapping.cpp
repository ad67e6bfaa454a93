#include "enumeration/volume_mapping.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "engine/smart_info.h"
#include "frame/log.h"
#include "platform/wire.h"

namespace hwscope {
namespace {

using platform::wire::kStorageCheckVerify;
using platform::wire::kVolumeGetVolumeDiskExtents;
constexpr std::uint32_t kExtentsReplySize = platform::wire::kVolumeExtentsReplySize;
constexpr std::uint32_t kExtentsHeader = offsetof(platform::wire::VolumeDiskExtents, extents);
constexpr std::uint32_t kExtentSize = sizeof(platform::wire::DiskExtent);

std::uint32_t ReadU32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

void GetPhysicalDeviceIDThread(VolumeMapping& record) {
  platform::Platform& os = *record.platform;
  const char letter = static_cast<char>(record.letter);
  Logf("Checking which physical device ID \"%c:\" is on", letter);
  std::wstring path = L"\\\\.\\";
  path += record.letter;
  path += L':';
  const std::string pathUtf8 = Utf8(path);
  platform::Handle volume = os.OpenDevice(path);
  if (volume == platform::kInvalidHandle) {
    const std::uint32_t error = os.LastError();
    Logf("CreateFile failed");
    Logf("CreateFile >> LastError = 0x%lx \"%s\" for \"%s\"", static_cast<unsigned long>(error),
         SystemErrorText(error).c_str(), pathUtf8.c_str());
    record.result = HWSCOPE_E_VOLUME_TIMEOUT;
    return;
  }

  Logf("Check for mounted volume");
  std::uint32_t returned = 0;
  if (!os.DeviceControl(volume, kStorageCheckVerify, nullptr, 0, nullptr, 0, &returned)) {
    const std::uint32_t error = os.LastError();
    Logf("Mounted volume check failed");
    Logf("IOCTL_STORAGE_CHECK_VERIFY >> LastError = 0x%lx \"%s\" for \"%s\"",
         static_cast<unsigned long>(error), SystemErrorText(error).c_str(), pathUtf8.c_str());
    os.CloseDevice(volume);
    record.result = HWSCOPE_E_DRIVE_NOT_FIXED;
    return;
  }

  std::uint8_t reply[kExtentsReplySize] = {};
  returned = 0;
  const bool ok = os.DeviceControl(volume, kVolumeGetVolumeDiskExtents, nullptr, 0, reply,
                                   sizeof reply, &returned);
  if (ok && returned >= kExtentsHeader) {
    Logf("IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS success - %d", static_cast<int>(returned));
    const std::uint32_t count = ReadU32(reply);
    record.extentCount = static_cast<int>(std::min<std::uint32_t>(count, 0x7FFFFFFF));
    // Only extents that lie wholly inside the bytes returned are read.
    const std::uint32_t inReply = (std::min(returned, kExtentsReplySize) - kExtentsHeader) / kExtentSize;
    const std::uint32_t n = std::min({count, static_cast<std::uint32_t>(kMappingCapacity), inReply});
    for (std::uint32_t i = 0; i < n; ++i) {
      record.diskNumbers[i] = static_cast<int>(ReadU32(reply + kExtentsHeader + i * kExtentSize));
      Logf("%s[%d]: Disk Number = %d, Number of extents = %d", "GetPhysicalDeviceIDThread", 101,
           record.diskNumbers[i], static_cast<int>(count));
    }
    if (n < count && n < static_cast<std::uint32_t>(kMappingCapacity)) record.extentCount = static_cast<int>(n);
    record.result = 0;
  } else {
    const std::uint32_t error = ok ? static_cast<std::uint32_t>(platform::kErrorInvalidFunction) : os.LastError();
    Logf("IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS failed - %d", static_cast<int>(error));
    if (error == kMoreData) {
      // The partial reply still holds the number of extents.
      record.extentCount = static_cast<int>(std::min<std::uint32_t>(ReadU32(reply), 0x7FFFFFFF));
      Logf("%s[%d]: volDiskExt.NumberOfDiskExtents = %d", "GetPhysicalDeviceIDThread", 102,
           record.extentCount);
      record.result = kMoreData;
    } else {
      record.result = -1;
      Logf("%s[%d]: Error IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, %d: \"%s\"",
           "GetPhysicalDeviceIDThread", 103, static_cast<int>(error), SystemErrorText(error).c_str());
    }
  }
  os.CloseDevice(volume);
  Logf("Exiting GetPhysicalDeviceIDThread \"%c:\"", letter);
}

int CSMARTInfo::GetPhysicalDeviceID(wchar_t letter, int* count, int* ids, int capacity) {
  Logf("Enter GetPhysicalDeviceID %c:", static_cast<char>(letter));
  const int index = letter - L'A';
  if (index < 0 || index >= 26 || count == nullptr) return -1;

  // A worker of this letter left behind by an earlier call keeps its own
  // record; it is dropped here and ends on its own.
  std::shared_ptr<VolumeMapping>& slot = volumeMappings[index];
  if (slot && !slot->gate.Done()) {
    Logf("GetPhysicalDeviceIDThread for Drive #%d still running; left to end", index);
  }
  auto record = std::make_shared<VolumeMapping>();
  record->platform = platform::CurrentShared();
  record->letter = letter;
  record->extentCount = kMappingCapacity;
  slot = record;

  switch (RunBounded(record, GetPhysicalDeviceIDThread, InitTimeoutMs())) {
    case WorkerOutcome::kStartFailed:
      Logf("CreateThread(GetPhysicalDeviceIDThread) failed.");
      return -1;
    case WorkerOutcome::kTimedOut:
      Logf("GetPhysicalDeviceIDThread timed out.");
      return -1;
    case WorkerOutcome::kFinished:
      break;
  }
  slot.reset();
  *count = record->extentCount;
  if (record->result == 0 && record->extentCount > 0 && ids != nullptr) {
    const int n = std::min({record->extentCount, capacity, kMappingCapacity});
    for (int i = 0; i < n; ++i) ids[i] = record->diskNumbers[i];
  }
  return record->result;
}

}  // namespace hwscope
