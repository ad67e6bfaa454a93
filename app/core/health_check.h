// The health rules: each SMART attribute against its threshold and the
// temperature against the user's warning level, the once-per-change warning
// memory, the warning message and alert e-mail, the tray state and the
// device status line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/app_config.h"
#include "core/smart_source.h"

namespace appcore {

// Devices the warning memory has slots for (every device number the
// library can give).
inline constexpr int kHealthDeviceSlots = 100;

// What the tray icon shows.
struct TrayState {
  std::wstring tip;      // at most 127 characters
  bool warning = false;  // warning icon instead of the application icon
};

class HealthMonitor {
 public:
  // source and config must outlive the monitor.
  HealthMonitor(SmartSource& source, const AppConfig& config);

  // 1 when the attribute is in a threshold-exceeded condition (or could not
  // be read), else 0; delivers the configured warning once per change.
  int CheckSMARTAttribute(int device, int attribute);
  // Every attribute of every SMART device; 1 when any gave 1.
  int CheckSMARTStatus();
  // Every attribute of one device.
  int CheckSMARTStatusForDevice(int device);

  // The tray's tip and icon for the current data.
  TrayState UpdateTrayStatus();

  // The device status line; sets or clears DeviceProblem(device).
  std::wstring GetDeviceStatusText(int device);
  bool DeviceProblem(int device) const;

  // Where alert e-mails go: by default they are sent at once on the
  // calling thread; a window hands them to a worker instead.
  using AlertSender = std::function<void(const AppConfig& config, const std::wstring& subject,
                                         const std::wstring& body)>;
  void SetAlertSender(AlertSender sender) { alertSender_ = std::move(sender); }

  // After the warning level changed: the temperature warning of attribute
  // 194 may fire again on every device.
  void MarkTemperatureChanged();

  // Temperature in degrees Celsius when attribute is a temperature
  // attribute of the device (ATA 194, ATA 190, NVMe 1). Returns 0 and sets
  // *celsius; 1 when it is not a temperature attribute; a library code when
  // a needed value cannot be read.
  int Temperature(int device, int attribute, bool isNvme, int* celsius);

  // Alert subject and body for an exceeded attribute (for the e-mail).
  void BuildAlert(int device, const std::wstring& name, int value, int limit, bool temperature,
                  std::wstring* subject, std::wstring* body);

 private:
  bool IsTemperatureAttribute(int attribute, bool isNvme) const;
  void ShowWarning(int device, const std::wstring& name, int value, int limit);
  void SendAlert(int device, const std::wstring& name, int value, int limit, bool temperature);
  // Problem attribute (temperature at or over the level, or exceeded flag).
  bool IsProblem(int device, int attribute);

  SmartSource& source_;
  const AppConfig& config_;
  std::vector<int> previousValue_;
  std::vector<std::uint8_t> valueChanged_;
  std::vector<std::uint8_t> deviceProblem_;
  AlertSender alertSender_;
};

// The process-wide monitor over the library and the live settings (its
// warning memory lives for the whole run).
HealthMonitor& Health();

// "Wed Jan 02 02:03:55 1980": English names, local time.
std::string ClassicTimeText(std::int64_t secondsSinceEpoch);

}  // namespace appcore
