#include "ui/device_queries.h"

#include <cwctype>

#include "core/smart_source.h"

namespace ui {

namespace {
template <typename Len, typename Fn>
bool ReadText(Fn fn, std::wstring* text) {
  wchar_t buffer[257] = {};
  Len len = 256;
  if (fn(buffer, &len) != 0) return false;
  buffer[256] = L'\0';
  *text = buffer;
  return true;
}
}  // namespace

bool ReadModelNumber(int device, std::wstring* text) {
  return ReadText<int>([&](wchar_t* b, int* l) { return HwscopeDll_Smart_GetDeviceModelNumber(b, l, device); }, text);
}
bool ReadSerialNumber(int device, std::wstring* text) {
  return ReadText<unsigned>([&](wchar_t* b, unsigned* l) { return HwscopeDll_Smart_GetDeviceSerialNumber(b, l, device); }, text);
}
bool ReadFirmware(int device, std::wstring* text) {
  return ReadText<int>([&](wchar_t* b, int* l) { return HwscopeDll_Smart_GetDeviceFirmWareRev(b, l, device); }, text);
}
bool ReadInterfaceName(int device, std::wstring* text) {
  bool solidState = false;
  return ReadText<int>([&](wchar_t* b, int* l) { return HwscopeDll_Smart_GetDeviceInterface(b, l, &solidState, device); }, text);
}

bool ReadCapacityMb(int device, unsigned* megabytes) {
  return HwscopeDll_Smart_GetDeviceCapacity(megabytes, device) == 0;
}

bool ReadDeviceInfo(int device, HwscopeDeviceInfo* record) {
  *record = HwscopeDeviceInfo{};
  return HwscopeDll_Smart_GetDeviceInfo(record, device) == 0;
}

bool ReadMaxLba(int device, std::uint64_t* address) {
  unsigned words[2] = {};
  if (HwscopeDll_Smart_GetMaxLBA(device, words) != 0) return false;
  *address = (static_cast<std::uint64_t>(words[1]) << 32) | words[0];
  return true;
}

bool ReadDcoMaxLba(int device, std::uint64_t* address) {
  unsigned words[2] = {};
  if (HwscopeDll_Smart_GetDCOMaxLBA(device, words) != 0) return false;
  *address = (static_cast<std::uint64_t>(words[1]) << 32) | words[0];
  return true;
}

std::vector<int> PhysicalDevices() {
  std::vector<int> devices;
  for (int d = HwscopeDll_Smart_GetPhysicalDeviceIDFirst(); d >= 0 && devices.size() < 64;
       d = HwscopeDll_Smart_GetPhysicalDeviceIDNext())
    devices.push_back(d);
  return devices;
}

bool IsSmartDevice(int device) { return HwscopeDll_Smart_IsValidSmartDevice(device) == 0; }

std::vector<int> AttributeIds(int device) {
  appcore::LibrarySmartSource source;
  return source.AttributeIds(device);
}

bool ReadAttributeName(int device, int attribute, std::wstring* name) {
  appcore::LibrarySmartSource source;
  return source.Name(device, attribute, 256, name) == 0;
}

bool IsIntelModel(const std::wstring& model) {
  std::wstring lower;
  for (wchar_t c : model) lower.push_back(static_cast<wchar_t>(std::towlower(c)));
  return lower.find(L"intel") != std::wstring::npos;
}

}  // namespace ui
