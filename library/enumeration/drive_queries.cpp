// Device lookup, validity checks and the drive-table queries.
#include <algorithm>

#include "engine/smart_info.h"
#include "frame/log.h"

namespace hwscope {

int CSMARTInfo::FindDriveRow(int device) const {
  if (device < 0 || device >= kMaxDevices) return -1;
  for (int index = 0; index < kMaxDriveRows; ++index) {
    const DriveRow& row = drives[index];
    for (int i = 0; i < row.physicalCount && i < kMaxDevices; ++i) {
      if (row.physicalList[i] == device) return row.smartRow;
    }
  }
  return -1;
}

int CSMARTInfo::IsValidPhysicalDevice(int device) {
  int row = -1;
  int err = 0;
  if (device < 0 || device >= kMaxDevices) {
    err = HWSCOPE_E_BAD_DEVICE;
  } else {
    row = FindDriveRow(device);
    if (row == -1) {
      err = HWSCOPE_E_BAD_DEVICE;
    } else if (row < 0 || row >= kMaxDriveRows) {
      err = HWSCOPE_E_BAD_DRIVE;
    } else if (!drives[row].present) {
      err = HWSCOPE_E_DRIVE_NOT_PRESENT;
    } else if (drives[row].driveType == platform::kDriveFixed) {
      return 0;
    } else {
      err = HWSCOPE_E_DRIVE_NOT_FIXED;
    }
  }
  Logf("%s[%d]: iDeviceID = %d, driveID = %d, err = %d", "CSMARTInfo::IsValidPhysicalDevice", 301,
       device, row, err);
  return err;
}

int CSMARTInfo::IsValidSmartDevice(int device) {
  int row = -1;
  int err = 0;
  if (device < 0 || device >= kMaxDevices) {
    err = HWSCOPE_E_BAD_DEVICE;
  } else {
    row = FindDriveRow(device);
    if (row == -1) {
      err = HWSCOPE_E_BAD_DEVICE;
    } else if (row < 0 || row >= kMaxDriveRows || drives[row].smartRow == -1) {
      err = HWSCOPE_E_BAD_DRIVE;
    } else if (!drives[row].present) {
      err = HWSCOPE_E_DRIVE_NOT_PRESENT;
    } else if (drives[row].driveType != platform::kDriveFixed) {
      err = HWSCOPE_E_DRIVE_NOT_FIXED;
    } else if (drives[row].smartCapable != 1) {
      err = HWSCOPE_E_NOT_SMART;
    } else {
      return 0;
    }
  }
  Logf("iDeviceID = %d, driveID = %d, err = %d", device, row, err);
  return err;
}

int CSMARTInfo::GetDeviceIDFromDriveNum(unsigned driveNumber) {
  if (driveNumber >= static_cast<unsigned>(kMaxDriveRows)) return HWSCOPE_E_BAD_DRIVE;
  const DriveRow& row = drives[driveNumber];
  if (!row.present) return HWSCOPE_E_DRIVE_NOT_PRESENT;
  if (row.driveType != platform::kDriveFixed) return HWSCOPE_E_DRIVE_NOT_FIXED;
  // A fixed letter whose mapping failed holds no disk.
  if (row.physicalCount <= 0 || row.physicalList[0] < 0) return HWSCOPE_E_BAD_DEVICE;
  return row.physicalList[0];
}

int CSMARTInfo::GetDriveLetterFromDriveNum(wchar_t* letter, int driveNumber) {
  if (driveNumber < 0 || driveNumber > kMaxDriveRows) return HWSCOPE_E_BAD_DRIVE;
  if (letter == nullptr) return HWSCOPE_E_BUFFER;
  *letter = static_cast<wchar_t>(L'A' + driveNumber);
  return 0;
}

int CSMARTInfo::GetVolumeCapacity(int* megabytes, int driveNumber) {
  if (driveNumber < 0 || driveNumber >= kMaxDriveRows) return HWSCOPE_E_BAD_DRIVE;
  if (megabytes == nullptr) return HWSCOPE_E_BUFFER;
  // The row's letter; a letter row that was never built still names its volume.
  wchar_t letter = drives[driveNumber].driveLetter;
  if (letter == 0 && driveNumber < kFirstDiskRow) letter = static_cast<wchar_t>(L'A' + driveNumber);
  platform::Platform& os = platform::Current();
  std::uint64_t total = 0;
  std::uint64_t freeBytes = 0;
  if (letter != 0 && os.GetDiskFreeSpace(letter, &total, &freeBytes)) {
    *megabytes = static_cast<int>(total / 1048576);
    Logf("GetDiskFreeSpaceEx succeeded.  Volume \"%c:\" capacity: %u MB", static_cast<char>(letter),
         static_cast<unsigned>(*megabytes));
    return 0;
  }
  // A row without a letter has no volume to ask about.
  const std::uint32_t error = letter != 0 ? os.LastError() : platform::kErrorInvalidParameter;
  *megabytes = -1;
  const char shown[2] = {static_cast<char>(letter), 0};
  Logf("GetDiskFreeSpaceEx failed with: %d, %s.  iDriveNum = %d (\"%s\"", static_cast<int>(error),
       SystemErrorText(error).c_str(), driveNumber, shown);
  return error != 0 ? static_cast<int>(error) : static_cast<int>(platform::kErrorGenFailure);
}

int CSMARTInfo::GetDevicePartitionInfo(int* driveNumbers, int* count, int device) {
  const int valid = IsValidPhysicalDevice(device);
  if (valid != 0) return valid;
  if (driveNumbers == nullptr || count == nullptr) return HWSCOPE_E_BUFFER;
  const DriveRow& row = drives[FindDriveRow(device)];
  if (*count < row.volumeCount) return HWSCOPE_E_BUFFER;
  std::copy(row.volumeList, row.volumeList + row.volumeCount, driveNumbers);
  *count = row.volumeCount;
  return 0;
}

int CSMARTInfo::GetNumDetectedDrives() { return detectedDriveCount; }

int CSMARTInfo::GetPhysicalDeviceIDFirst() {
  static const char* const kName = "CSMARTInfo::GetPhysicalDeviceIDFirst";
  if (physicalDeviceIds.empty()) {
    Logf("%s[%d]: m_physicalDeviceID.empty() is true", kName, 311);
    return HWSCOPE_E_PHYSICAL_LIST_EMPTY;
  }
  physicalDeviceIter = 0;
  Logf("%s[%d]: *m_physicalDeviceIDIter = %d", kName, 312, physicalDeviceIds[0]);
  return physicalDeviceIds[0];
}

int CSMARTInfo::GetPhysicalDeviceIDNext() {
  static const char* const kName = "CSMARTInfo::GetPhysicalDeviceIDNext";
  if (physicalDeviceIter >= physicalDeviceIds.size()) {
    Logf("%s[%d]: m_physicalDeviceID.end() is true", kName, 313);
    return HWSCOPE_E_PHYSICAL_LIST_END;
  }
  ++physicalDeviceIter;
  Logf("%s[%d]: after ++m_physicalDeviceIDIter", kName, 314);
  if (physicalDeviceIter >= physicalDeviceIds.size()) {
    Logf("%s[%d]: m_physicalDeviceIDIter==m_physicalDeviceID.end() is true", kName, 315);
    return HWSCOPE_E_PHYSICAL_LIST_END;
  }
  return physicalDeviceIds[physicalDeviceIter];
}

}  // namespace hwscope
