// What the Configuration dialog asks of the main window when settings
// change.
#pragma once

namespace ui {

class ConfigHost {
 public:
  virtual ~ConfigHost() = default;
  virtual void StopRefreshTimer() = 0;
  // (Re)starts timer 1000 with the configured period.
  virtual void StartRefreshTimer() = 0;
  virtual void RefreshDrives() = 0;
  virtual void ShowSelectedDevice() = 0;
  // The temperature warning of every device may fire again.
  virtual void MarkTemperatureChanged() = 0;
};

}  // namespace ui
