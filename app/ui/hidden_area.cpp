#include "ui/hidden_area.h"

#include "core/text_format.h"
#include "core/texts.h"
#include "hwscope/hwscope.h"
#include "ui/device_queries.h"

namespace ui {

HiddenAreaState ReadHiddenArea(int device) {
  HiddenAreaState s;
  HwscopeDeviceInfo record;
  if (ReadDeviceInfo(device, &record) && record.userSectors != 0) {
    s.haveUser = true;
    s.userSectors = record.userSectors;
    s.user = record.userSectors - 1;
    s.bytesPerSector = record.bytesPerSector;
  }
  s.haveNative = ReadMaxLba(device, &s.native);
  s.haveDisk = ReadDcoMaxLba(device, &s.disk);
  return s;
}

std::wstring SizeText(double bytes) {
  static const wchar_t* units[] = {L"Bytes", L"KB", L"MB", L"GB", L"TB"};
  int divisions = 0;
  while ((bytes > 1024 || bytes < -1024) && divisions < 4) {
    bytes /= 1024;
    ++divisions;
  }
  const wchar_t* format = L"%.0f %s";
  if (divisions > 0) format = bytes < 100 ? L"%.2f %s" : bytes < 1000 ? L"%.1f %s" : L"%.0f %s";
  return appcore::FormatText(format, bytes, units[divisions]);
}

namespace {
std::wstring AreaText(bool known, std::uint64_t high, std::uint64_t low, unsigned bytesPerSector) {
  if (!known) return appcore::LocText(sw::MISC_NA);
  if (high <= low) return SizeText(0);
  return SizeText(static_cast<double>(high - low) * bytesPerSector);
}
}  // namespace

std::wstring HpaSizeText(const HiddenAreaState& s) {
  return AreaText(s.haveNative && s.haveUser, s.native, s.user, s.bytesPerSector);
}

std::wstring DcoSizeText(const HiddenAreaState& s) {
  return AreaText(s.haveDisk && s.haveNative, s.disk, s.native, s.bytesPerSector);
}

namespace {
unsigned Low(std::uint64_t v) { return static_cast<unsigned>(v & 0xFFFFFFFFu); }
unsigned High(std::uint64_t v) { return static_cast<unsigned>(v >> 32); }
}  // namespace

sw::AppKey ApplyHiddenArea(int device, std::uint64_t user, std::uint64_t native,
                           std::uint64_t disk) {
  if (disk != 0 && native > disk) return sw::ERROR_MAX_NATIVE_GREATER_MAX_DISK;
  if (user > native) return sw::ERROR_MAX_USER_GREATER_MAX_NATIVE;
  std::uint64_t current = 0;
  if (!ReadMaxLba(device, &current)) return sw::ERROR_RETRIEVING_MAX_NATIVE;
  if (disk != 0 && native != current) {
    if (HwscopeDll_Smart_SetMaxLBA(device, Low(current), High(current)) != 0)
      return sw::ERROR_REMOVING_HPA;
    if (current < disk && HwscopeDll_Smart_RestoreDCO(device) != 0) return sw::ERROR_REMOVING_DCO;
    if (HwscopeDll_Smart_SetDCOMaxLBA(device, Low(native), High(native)) != 0)
      return sw::ERROR_SETTING_MAX_NATIVE;
  }
  if (HwscopeDll_Smart_SetMaxLBA(device, Low(user), High(user)) != 0)
    return sw::ERROR_SETTING_MAX_USER;
  return sw::HA_TAB_CHANGE_SUCCESS;
}

bool ParseAddress(const std::wstring& text, std::uint64_t* value) {
  if (text.empty() || text.size() > 20) return false;
  std::uint64_t v = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    std::uint64_t digit = static_cast<std::uint64_t>(c - L'0');
    if (v > (UINT64_MAX - digit) / 10) return false;
    v = v * 10 + digit;
  }
  *value = v;
  return true;
}

}  // namespace ui
