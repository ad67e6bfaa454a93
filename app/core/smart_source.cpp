#include "core/smart_source.h"

#include <algorithm>

#include "hwscope/hwscope.h"
#include "platform/platform.h"

namespace appcore {

std::vector<int> LibrarySmartSource::SmartDevices() {
  std::vector<int> devices;
  for (int d = HwscopeDll_Smart_GetSmartDeviceIDFirst(); d >= 0 && devices.size() < 100;
       d = HwscopeDll_Smart_GetSmartDeviceIDNext())
    devices.push_back(d);
  return devices;
}

std::vector<int> LibrarySmartSource::AttributeIds(int device) {
  std::vector<int> ids;
  for (int a = HwscopeDll_Smart_GetSmartAttributeIDFirst(device); a >= 0 && ids.size() < 256;
       a = HwscopeDll_Smart_GetSmartAttributeIDNext(device))
    ids.push_back(a);
  return ids;
}

int LibrarySmartSource::Value(int device, int attribute, int kind, int* value) {
  int out = 0;
  int len = sizeof out;
  int rc = HwscopeDll_Smart_GetSmartAttributeByID(&out, &len, attribute, kind, device);
  if (rc == 0) *value = out;
  return rc;
}

int LibrarySmartSource::Raw(int device, int attribute, std::uint64_t* raw) {
  unsigned char bytes[8] = {};
  int len = sizeof bytes;
  int rc = HwscopeDll_Smart_GetSmartAttributeByID(bytes, &len, attribute, HWSCOPE_VALUE_RAW,
                                                  device);
  if (rc != 0) return rc;
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | bytes[i];
  *raw = v;
  return 0;
}

int LibrarySmartSource::Name(int device, int attribute, std::size_t capacity,
                             std::wstring* name) {
  std::vector<wchar_t> buffer(capacity + 1, L'\0');
  int len = static_cast<int>(capacity);
  int rc = HwscopeDll_Smart_GetSmartAttributeByID(buffer.data(), &len, attribute,
                                                  HWSCOPE_VALUE_NAME, device);
  if (rc != 0) return rc;
  buffer[capacity] = L'\0';
  *name = buffer.data();
  return 0;
}

int LibrarySmartSource::Model(int device, std::wstring* model) {
  wchar_t buffer[256] = {};
  int len = 256;
  int rc = HwscopeDll_Smart_GetDeviceModelNumber(buffer, &len, device);
  if (rc != 0) return rc;
  buffer[255] = L'\0';
  *model = buffer;
  return 0;
}

int LibrarySmartSource::Partitions(int device, std::vector<int>* driveNumbers) {
  int numbers[128] = {};
  int count = 128;
  int rc = HwscopeDll_Smart_GetDevicePartitionInfo(numbers, &count, device);
  if (rc != 0) return rc;
  driveNumbers->assign(numbers, numbers + std::min(std::max(count, 0), 128));
  return 0;
}

int LibrarySmartSource::DriveLetter(int driveNumber, wchar_t* letter) {
  wchar_t text[4] = {};
  int rc = HwscopeDll_Smart_GetDriveLetterFromDriveNum(text, driveNumber);
  if (rc == 0) *letter = text[0];
  return rc;
}

bool LibrarySmartSource::VolumeSpace(wchar_t letter, std::uint64_t* total,
                                     std::uint64_t* free) {
  return platform::Current().GetDiskFreeSpace(letter, total, free);
}

}  // namespace appcore
