// The main window: device list, refresh button and F5, "last updated"
// label, the five panels, the six buttons, timers 1000 (refresh), 1001
// (self-test, in its panel) and 1002 (disk activity, in the SMART panel),
// the tray icon and minimising to it.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/health_check.h"
#include "core/smart_source.h"
#include "ui/activity_counters.h"
#include "ui/alert_mailer.h"
#include "ui/config_host.h"

namespace ui {

class DeviceList;
class DeviceInfoPanel;
class SmartPanel;
class HistoryPanel;
class SelfTestPanel;
class HiddenAreaPanel;
class TrayIcon;

class MainWindow : public QWidget, public ConfigHost {
  Q_OBJECT
 public:
  // banner: the caption when no drive is shown.
  explicit MainWindow(const QString& banner, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Fills the device list; false (after the message) when no drive is there.
  bool InitDevIconList();
  void RefreshDrives() override;
  void ShowDevice(int row);
  void ShowSelectedDevice() override { ShowDevice(SelectedRow()); }
  void LayoutMainWindow(int width, int height);
  // Disk activity rows of the shown device from a new sample.
  void UpdateActivityRows(int device);
  void StartRefreshTimer() override;
  void StopRefreshTimer() override;
  void MarkTemperatureChanged() override { monitor_.MarkTemperatureChanged(); }
  // Tray tip and icon, then the health checks of every device.
  void CheckHealth();

  int SelectedRow() const;
  int SelectedDevice() const;
  DeviceList* Devices() const { return devices_; }
  DeviceInfoPanel* InfoPanel() const { return info_; }
  SmartPanel* SmartAttributes() const { return smart_; }
  HistoryPanel* History() const { return history_; }
  SelfTestPanel* SelfTest() const { return selfTest_; }
  HiddenAreaPanel* HiddenArea() const { return hidden_; }
  QTabWidget* Tabs() const { return tabs_; }
  TrayIcon* Tray() const { return tray_; }
  AlertMailer* Alerts() const { return alerts_; }
  QTimer* RefreshTimer() { return &refreshTimer_; }
  QSize InitialClientSize() const { return initialSize_; }

  // Export (button 3). The chooser asks for the report's path (the save
  // dialog by default; tests put their own).
  void ExportReportCommand();
  void SetSaveFileChooser(std::function<bool(QWidget*, QString*)> chooser);
  void RunConfiguration();
  void ShowAbout();
  // Exit button, Escape, close box: library clean-up, then the window goes.
  void ExitProgram();

 signals:
  // The message loop should end with this code.
  void quitRequested(int code);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CreateControls();
  void RestoreFromTray();
  void OnRefreshTimer();

  QString banner_;
  appcore::LibrarySmartSource source_;
  appcore::HealthMonitor monitor_;
  ActivityCounters activity_;
  AlertMailer* alerts_ = nullptr;
  QLabel* devicesLabel_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QLabel* appIcon_ = nullptr;
  DeviceList* devices_ = nullptr;
  QLabel* lastUpdated_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  DeviceInfoPanel* info_ = nullptr;
  SmartPanel* smart_ = nullptr;
  HistoryPanel* history_ = nullptr;
  SelfTestPanel* selfTest_ = nullptr;
  HiddenAreaPanel* hidden_ = nullptr;
  QPushButton* buttons_[6] = {};
  TrayIcon* tray_ = nullptr;
  QTimer refreshTimer_;
  QSize initialSize_{600, 600};
  bool exiting_ = false;
  std::function<bool(QWidget*, QString*)> chooseSaveFile_;
};

// Current time as the "last updated" label shows it.
QString CurrentTimeText();

}  // namespace ui
