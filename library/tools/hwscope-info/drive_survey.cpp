#include "drive_survey.h"

#include <cstring>
#include <cwchar>

#include "common/text.h"
#include "hwscope/hwscope.h"

namespace hwscope_info {
namespace {

template <typename Len, typename Getter>
std::optional<std::string> Text(Getter getter, int device) {
  wchar_t buffer[256] = {};
  Len length = 256;
  if (getter(buffer, &length, device) != 0) return std::nullopt;
  return Utf8(std::wstring(buffer, wcsnlen(buffer, 256)));
}

int IntValue(int id, int selector, int device) {
  int value = 0;
  int length = sizeof value;
  HwscopeDll_Smart_GetSmartAttributeByID(&value, &length, id, selector, device);
  return value;
}

AttributeRow ReadAttribute(int id, int device) {
  AttributeRow row;
  row.id = id;
  row.nvme = IntValue(id, HWSCOPE_VALUE_IS_NVME, device) != 0;
  row.current = IntValue(id, HWSCOPE_VALUE_CURRENT, device);
  row.worst = IntValue(id, HWSCOPE_VALUE_WORST, device);
  row.threshold = IntValue(id, HWSCOPE_VALUE_THRESHOLD, device);
  row.exceeded = IntValue(id, HWSCOPE_VALUE_EXCEEDED, device) != 0;
  // ATA writes 6 raw bytes, NVMe 8: both little-endian into a cleared value.
  unsigned char raw[8] = {};
  int length = sizeof raw;
  if (HwscopeDll_Smart_GetSmartAttributeByID(raw, &length, id, HWSCOPE_VALUE_RAW, device) == 0) {
    for (int i = 7; i >= 0; --i) row.raw = (row.raw << 8) | raw[i];
  }
  wchar_t name[256] = {};
  int nameLength = 256;
  if (HwscopeDll_Smart_GetSmartAttributeByID(name, &nameLength, id, HWSCOPE_VALUE_NAME, device) == 0)
    row.name = Utf8(std::wstring(name, wcsnlen(name, 256)));
  return row;
}

DriveReport ReadDrive(int device) {
  DriveReport drive;
  drive.device = device;
  drive.model = Text<int>(HwscopeDll_Smart_GetDeviceModelNumber, device);
  drive.serial = Text<unsigned>(HwscopeDll_Smart_GetDeviceSerialNumber, device);
  drive.firmware = Text<int>(HwscopeDll_Smart_GetDeviceFirmWareRev, device);
  wchar_t interfaceName[64] = {};
  int interfaceLength = 64;
  bool solid = false;
  if (HwscopeDll_Smart_GetDeviceInterface(interfaceName, &interfaceLength, &solid, device) == 0) {
    drive.interfaceName = Utf8(std::wstring(interfaceName, wcsnlen(interfaceName, 64)));
    drive.solidState = solid;
  }
  unsigned megabytes = 0;
  if (HwscopeDll_Smart_GetDeviceCapacity(&megabytes, device) == 0) drive.capacityMb = megabytes;

  int driveNumbers[126] = {};
  int count = 126;
  if (HwscopeDll_Smart_GetDevicePartitionInfo(driveNumbers, &count, device) == 0) {
    for (int i = 0; i < count; ++i) {
      wchar_t letter = 0;
      // Rows from 26 on are disks without a volume: they have no letter.
      if (driveNumbers[i] < 26 && HwscopeDll_Smart_GetDriveLetterFromDriveNum(&letter, driveNumbers[i]) == 0)
        drive.volumes.push_back(Utf8(std::wstring(1, letter)) + ":");
    }
  }

  drive.smartCode = HwscopeDll_Smart_IsValidSmartDevice(device);
  drive.smart = drive.smartCode == 0;
  if (drive.smart) {
    for (int id = HwscopeDll_Smart_GetSmartAttributeIDFirst(device); id >= 0;
         id = HwscopeDll_Smart_GetSmartAttributeIDNext(device))
      drive.attributes.push_back(ReadAttribute(id, device));
  }
  return drive;
}

}  // namespace

std::string Utf8(const std::wstring& text) { return common::ToUtf8(text); }

Survey TakeSurvey() {
  Survey survey;
  if (const wchar_t* version = HwscopeDll_GetVersion()) survey.version = Utf8(version);
  survey.detectedDrives = HwscopeDll_Smart_GetNumDetectedDrives();
  survey.smartDevices = HwscopeDll_Smart_GetNumSmartDevices();
  for (int device = HwscopeDll_Smart_GetPhysicalDeviceIDFirst(); device >= 0;
       device = HwscopeDll_Smart_GetPhysicalDeviceIDNext())
    survey.drives.push_back(ReadDrive(device));
  return survey;
}

}  // namespace hwscope_info
