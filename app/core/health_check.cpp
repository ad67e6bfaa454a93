#include "core/health_check.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <unistd.h>

#include <cwctype>
#include <ctime>

#include "core/app_state.h"
#include "core/debug_log.h"
#include "core/message_sink.h"
#include "core/smtp_client.h"
#include "core/texts.h"
#include "hwscope/hwscope.h"

namespace appcore {
namespace {

constexpr int kAttributesPerDevice = 256;
constexpr size_t kCheckNameSize = 128;
constexpr size_t kTrayNameSize = 256;
constexpr size_t kTrayTipSize = 127;
constexpr int kMaxPartitions = 8;

bool ContainsIntel(const std::wstring& model) {
  std::wstring lower;
  for (wchar_t c : model) lower += static_cast<wchar_t>(std::towlower(c));
  return lower.find(L"intel") != std::wstring::npos;
}

std::string HostName() {
  char name[128] = {};
  if (gethostname(name, sizeof name - 1) != 0) return std::string();
  return name;
}

std::string HostAddress(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
    return std::string();
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, text,
            sizeof text);
  freeaddrinfo(found);
  return text;
}

}  // namespace

std::string ClassicTimeText(std::int64_t secondsSinceEpoch) {
  static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm local{};
  localtime_r(&t, &local);
  char text[64];
  std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %04d", kDays[local.tm_wday % 7],
                kMonths[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, local.tm_year + 1900);
  return text;
}

HealthMonitor& Health() {
  static LibrarySmartSource source;
  static HealthMonitor monitor(source, LiveConfig());
  return monitor;
}

HealthMonitor::HealthMonitor(SmartSource& source, const AppConfig& config)
    : source_(source),
      config_(config),
      previousValue_(kHealthDeviceSlots * kAttributesPerDevice, 0),
      valueChanged_(kHealthDeviceSlots * kAttributesPerDevice, 0),
      deviceProblem_(kHealthDeviceSlots, 0) {}

bool HealthMonitor::IsTemperatureAttribute(int attribute, bool isNvme) const {
  return isNvme ? attribute == 1 : (attribute == 194 || attribute == 190);
}

int HealthMonitor::Temperature(int device, int attribute, bool isNvme, int* celsius) {
  if (!IsTemperatureAttribute(attribute, isNvme)) return 1;
  if (isNvme || attribute == 194) {
    std::uint64_t raw = 0;
    if (int rc = source_.Raw(device, attribute, &raw)) return rc;
    *celsius = isNvme ? static_cast<int>(static_cast<std::int64_t>(raw) - 273)
                      : static_cast<int>(raw & 0xFFFF);
    return 0;
  }
  int current = 0;
  if (int rc = source_.Value(device, attribute, HWSCOPE_VALUE_CURRENT, &current)) return rc;
  std::wstring model;
  bool intel = source_.Model(device, &model) == 0 && ContainsIntel(model);
  *celsius = intel ? current : 100 - current;
  return 0;
}

int HealthMonitor::CheckSMARTAttribute(int device, int attribute) {
  int isNvme = 0;
  int threshold = 0;
  if (source_.Value(device, attribute, HWSCOPE_VALUE_IS_NVME, &isNvme) != 0 ||
      source_.Value(device, attribute, HWSCOPE_VALUE_THRESHOLD, &threshold) != 0) {
    WriteDebugLog(FormatText(L"Failed to get threshold attribute value for attribute ID: %d",
                             attribute));
    return 1;
  }
  bool temperature = IsTemperatureAttribute(attribute, isNvme != 0);
  if (!temperature && threshold == 0) return 0;

  int value = 0;
  int limit = 0;
  int rc = 0;
  if (temperature) {
    int celsius = 0;
    rc = Temperature(device, attribute, isNvme != 0, &celsius);
    if (config_.temperatureUnit == 1) {
      value = static_cast<int>(CelsiusToFahrenheit(static_cast<float>(celsius)));
      limit = static_cast<int>(config_.warnLevelF);
    } else {
      value = celsius;
      limit = static_cast<int>(config_.warnLevelC);
    }
  } else {
    rc = source_.Value(device, attribute, HWSCOPE_VALUE_CURRENT, &value);
    limit = threshold;
  }
  if (rc != 0) {
    WriteDebugLog(FormatText(L"Failed to get attribute value for attribute ID: %d", attribute));
    return 1;
  }

  // Devices and attributes outside the table are judged but not remembered.
  bool hasSlot = device >= 0 && device < kHealthDeviceSlots && attribute >= 0 &&
                 attribute < kAttributesPerDevice;
  size_t slot = hasSlot ? static_cast<size_t>(device * kAttributesPerDevice + attribute) : 0;
  bool changed = true;
  if (hasSlot) {
    if (value != previousValue_[slot]) valueChanged_[slot] = 1;
    previousValue_[slot] = value;
    changed = valueChanged_[slot] != 0;
  }

  std::wstring name;
  if (source_.Name(device, attribute, kCheckNameSize, &name) != 0 || name.empty()) {
    WriteDebugLog(
        FormatText(L"Failed to get attribute description for attribute ID: %d", attribute));
    return 1;
  }
  WriteDebugLog(LogPlace("CheckSMARTAttribute", 1) +
                FormatText(L"Checking SMART status, Attribute: \"%s\", Value: %d, Threshold: %d",
                           name, value, limit));
  if (!changed) return 0;
  bool exceeded = temperature ? value >= limit : value <= limit;
  if (!exceeded) return 0;

  switch (config_.tecAction) {
    case 0:
      return 1;
    case 2:
      SendAlert(device, name, value, limit, temperature);
      break;
    default:
      ShowWarning(device, name, value, limit);
      break;
  }
  if (hasSlot) valueChanged_[slot] = 0;
  return 1;
}

void HealthMonitor::ShowWarning(int device, const std::wstring& name, int value, int limit) {
  std::wstring model;
  std::wstring tail = L"\r\n" + LocText(sw::MISC_ACTUAL_VALUE) + L"," +
                      LocText(sw::MISC_THRESHOLD_VALUE);
  std::wstring text;
  if (source_.Model(device, &model) == 0) {
    text = FormatText(LocText(sw::ERROR_THRESHOLD_LIMIT_REACHED_DEVICE) + tail, name, model,
                      value, limit);
  } else {
    text = FormatText(LocText(sw::ERROR_THRESHOLD_LIMIT_REACHED) + tail, name, value, limit);
  }
  ShowMessage(text, LocText(sw::EMAIL_THRESHOLD_EXCEED_CONDITION_LABEL), MessageIcon::Warning);
}

void HealthMonitor::BuildAlert(int device, const std::wstring& name, int value, int limit,
                               bool temperature, std::wstring* subject, std::wstring* body) {
  std::string host = HostName();
  std::string address = HostAddress(host);
  std::string time = ClassicTimeText(std::time(nullptr));
  *subject = LocFormat(sw::EMAIL_THRESHOLD_EXCEED_CONDITION_W_INFO, host, address, time);

  std::wstring unit = temperature ? (config_.temperatureUnit == 1 ? L"F" : L"C") : L"";
  const std::wstring crlf = L"\r\n";
  std::wstring text = LocText(sw::EMAIL_THRESHOLD_EXCEED_CONDITION_LABEL) + crlf;
  text += LocFormat(sw::EMAIL_TIME, time) + crlf;
  text += LocFormat(sw::EMAIL_MACHINE, host) + crlf;
  text += LocFormat(sw::EMAIL_IP, address) + crlf;
  std::wstring model;
  if (source_.Model(device, &model) == 0) text += LocFormat(sw::EMAIL_DEVICE, model) + crlf;
  text += LocFormat(sw::EMAIL_ATTRIBUTE, name) + crlf;
  text += LocFormat(sw::EMAIL_ACTUAL, value, unit) + crlf;
  text += LocFormat(sw::EMAIL_THRESHOLD, limit, unit) + crlf + crlf + crlf;
  text += LocFormat(sw::EMAIL_SPINDLEWATCH_INFO, kProductName, kProductVersion, kProductBuild);
  *body = text;
}

void HealthMonitor::SendAlert(int device, const std::wstring& name, int value, int limit,
                              bool temperature) {
  std::wstring subject;
  std::wstring body;
  BuildAlert(device, name, value, limit, temperature, &subject, &body);
  if (alertSender_)
    alertSender_(config_, subject, body);
  else
    SendMailMessage(config_, &subject, &body, false, nullptr);
}

int HealthMonitor::CheckSMARTStatus() {
  WriteDebugLog(LogPlace("CheckSMARTStatus", 1) +
                L"Checking SMART status for all drives and all attributes");
  int result = 0;
  for (int device : source_.SmartDevices())
    for (int attribute : source_.AttributeIds(device))
      if (CheckSMARTAttribute(device, attribute) == 1) result = 1;
  return result;
}

int HealthMonitor::CheckSMARTStatusForDevice(int device) {
  WriteDebugLog(LogPlace("CheckSMARTStatus", 2) +
                FormatText(L"Checking SMART status for device #%d", device));
  int result = 0;
  for (int attribute : source_.AttributeIds(device))
    if (CheckSMARTAttribute(device, attribute) == 1) result = 1;
  return result;
}

bool HealthMonitor::IsProblem(int device, int attribute) {
  int isNvme = 0;
  if (source_.Value(device, attribute, HWSCOPE_VALUE_IS_NVME, &isNvme) != 0) return false;
  if (IsTemperatureAttribute(attribute, isNvme != 0)) {
    int celsius = 0;
    if (Temperature(device, attribute, isNvme != 0, &celsius) != 0) return false;
    return static_cast<float>(celsius) >= config_.warnLevelC;
  }
  int exceeded = 0;
  return source_.Value(device, attribute, HWSCOPE_VALUE_EXCEEDED, &exceeded) == 0 &&
         exceeded != 0;
}

TrayState HealthMonitor::UpdateTrayStatus() {
  bool any = false;
  std::wstring problemName;
  int problemDevice = 0;
  for (int device : source_.SmartDevices()) {
    for (int attribute : source_.AttributeIds(device)) {
      if (!IsProblem(device, attribute)) continue;
      any = true;
      problemName.clear();
      source_.Name(device, attribute, kTrayNameSize, &problemName);
      problemDevice = device;
    }
  }
  TrayState state;
  state.warning = any;
  state.tip = any ? LocFormat(sw::TASKBAR_WARNING, problemName, problemDevice + 1)
                  : LocText(sw::TASKBAR_ALL_OK);
  if (state.tip.size() > kTrayTipSize) state.tip.resize(kTrayTipSize);
  return state;
}

std::wstring HealthMonitor::GetDeviceStatusText(int device) {
  bool slot = device >= 0 && device < kHealthDeviceSlots;
  if (slot) deviceProblem_[static_cast<size_t>(device)] = 0;
  auto problem = [&](sw::AppKey reason) {
    if (slot) deviceProblem_[static_cast<size_t>(device)] = 1;
    return FormatText(L"%s (%s)", LocText(sw::MISC_WARNING), LocText(reason));
  };
  for (int attribute : source_.AttributeIds(device)) {
    int isNvme = 0;
    if (source_.Value(device, attribute, HWSCOPE_VALUE_IS_NVME, &isNvme) != 0) continue;
    if (IsTemperatureAttribute(attribute, isNvme != 0)) {
      int celsius = 0;
      if (Temperature(device, attribute, isNvme != 0, &celsius) == 0 &&
          static_cast<float>(celsius) >= config_.warnLevelC)
        return problem(sw::DI_LIST_TEMP_WARNING);
    } else {
      int exceeded = 0;
      if (source_.Value(device, attribute, HWSCOPE_VALUE_EXCEEDED, &exceeded) == 0 &&
          exceeded != 0)
        return problem(sw::DI_LIST_TEC_EXCEEDED);
    }
  }
  std::vector<int> drives;
  if (source_.Partitions(device, &drives) == 0) {
    if (drives.size() > kMaxPartitions) drives.resize(kMaxPartitions);
    for (int drive : drives) {
      wchar_t letter = 0;
      if (drive < 0 || drive > 25 || source_.DriveLetter(drive, &letter) != 0) continue;
      std::uint64_t total = 0;
      std::uint64_t free = 0;
      if (!source_.VolumeSpace(letter, &total, &free)) continue;
      if (total != 0 && static_cast<float>(total) * 0.1f > static_cast<float>(free))
        return problem(sw::DI_LIST_LOW_DISK_SPACE);
    }
  }
  return LocText(sw::MISC_OK);
}

bool HealthMonitor::DeviceProblem(int device) const {
  return device >= 0 && device < kHealthDeviceSlots &&
         deviceProblem_[static_cast<size_t>(device)] != 0;
}

void HealthMonitor::MarkTemperatureChanged() {
  for (int device = 0; device < kHealthDeviceSlots; ++device)
    valueChanged_[static_cast<size_t>(device * kAttributesPerDevice + 194)] = 1;
}

}  // namespace appcore
