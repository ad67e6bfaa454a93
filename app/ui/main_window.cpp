#include "ui/main_window.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QScreen>

#include "common/text.h"
#include "core/app_config.h"
#include "core/app_state.h"
#include "core/attribute_descriptions.h"
#include "core/debug_log.h"
#include "core/help_launcher.h"
#include "hwscope/hwscope.h"
#include "ui/about_dialog.h"
#include "ui/config_dialog.h"
#include "ui/control_ids.h"
#include "ui/device_info_panel.h"
#include "ui/device_list.h"
#include "ui/device_queries.h"
#include "ui/export_dialog.h"
#include "ui/hidden_area_panel.h"
#include "ui/history_panel.h"
#include "ui/icons.h"
#include "ui/selftest_panel.h"
#include "ui/smart_panel.h"
#include "ui/tray_icon.h"
#include "ui/ui_text.h"

namespace ui {

namespace {
constexpr int kButtonWidth = 95;
constexpr int kButtonHeight = 30;
constexpr int kDeviceListHeight = 292;
constexpr int kMaxRows = 64;
}  // namespace

QString CurrentTimeText() {
  return QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
}

MainWindow::MainWindow(const QString& banner, QWidget* parent)
    : QWidget(parent), banner_(banner), monitor_(source_, appcore::LiveConfig()) {
  setObjectName("mainWindow");
  setWindowTitle(banner_);
  setWindowIcon(AppIcon());
  appcore::WriteDebugLog(W(banner_));
  alerts_ = new AlertMailer(this);
  monitor_.SetAlertSender([this](const appcore::AppConfig& config, const std::wstring& subject,
                                 const std::wstring& body) { alerts_->Send(config, subject, body); });
  CreateControls();
  InitDevIconList();
  lastUpdated_->setText(TrFormat(sw::LABEL_LAST_UPDATED, W(CurrentTimeText())));

  activity_.Open();
  std::string descriptions = common::ToUtf8(appcore::ProgramFile(appcore::kDescriptionFileName));
  if (!appcore::LoadAttributeDescriptions(descriptions))
    appcore::WriteDebugLog(appcore::FormatText(
        L"Failed to load SMART attribute description file (%s)", appcore::kDescriptionFileName));

  setMinimumSize(600, 600);
  initialSize_ = QSize(600, 600);
  QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry()
                                                  : QRect(0, 0, 1280, 900);
  appcore::WriteDebugLog(appcore::FormatText(L"%s[%d]:GetSystemMetrics(%d) = %d", L"InitDialog", 2,
                                             0, screen.width()));
  appcore::WriteDebugLog(appcore::FormatText(L"%s[%d]:GetSystemMetrics(%d) = %d", L"InitDialog", 3,
                                             1, screen.height()));
  int h = std::min(800, std::max(600, screen.height() - 60));
  setGeometry(screen.width() / 2 - 350, std::max(0, screen.height() / 2 - h / 2), 700, h);
  LayoutMainWindow(700, h);
  ShowDevice(-1);

  tray_ = new TrayIcon(this);
  tray_->Add(Tr(sw::TASKBAR_ALL_OK));
  connect(tray_, &TrayIcon::showRequested, this, &MainWindow::RestoreFromTray);
  connect(tray_, &TrayIcon::exitRequested, this, [this] { emit quitRequested(0); });

  refreshTimer_.setObjectName(IdName(kTimerRefresh));
  connect(&refreshTimer_, &QTimer::timeout, this, &MainWindow::OnRefreshTimer);
}

MainWindow::~MainWindow() {
  alerts_->WaitForAll();
  activity_.Close();
}

void MainWindow::CreateControls() {
  devicesLabel_ = Named(new QLabel(Tr(sw::LABEL_PHYSICAL_DEVICES), this), kIdDevicesLabel);
  QFont bold = devicesLabel_->font();
  bold.setBold(true);
  devicesLabel_->setFont(bold);
  refresh_ = Named(new QPushButton(this), kIdRefresh);
  refresh_->setIcon(RefreshIcon());
  refresh_->setIconSize(QSize(17, 17));
  refresh_->setToolTip(QString("F5"));
  appIcon_ = Named(new QLabel(this), kIdAppIcon);
  appIcon_->setPixmap(AppIcon().pixmap(32, 32));
  devices_ = new DeviceList(this);
  lastUpdated_ = Named(new QLabel(this), kIdLastUpdated);
  tabs_ = Named(new QTabWidget(this), kIdTabs);
  info_ = new DeviceInfoPanel;
  smart_ = new SmartPanel(monitor_);
  history_ = new HistoryPanel;
  selfTest_ = new SelfTestPanel;
  hidden_ = new HiddenAreaPanel;
  tabs_->addTab(info_, Tr(sw::LABEL_TAB_DEVICE_INFO));
  tabs_->addTab(smart_, Tr(sw::LABEL_TAB_SMART_INFO));
  tabs_->addTab(history_, Tr(sw::LABEL_TAB_SMART_HISTORY));
  tabs_->addTab(selfTest_, Tr(sw::LABEL_TAB_DISK_SELF_TEST));
  tabs_->addTab(hidden_, Tr(sw::LABEL_TAB_HIDDEN_AREA));
  tabs_->setCurrentIndex(0);

  const std::pair<int, sw::AppKey> buttons[6] = {
      {kIdConfiguration, sw::BUTTON_TEXT_CONFIGURATION}, {kIdHomePage, sw::BUTTON_TEXT_CORVANE_HOME},
      {kIdAbout, sw::BUTTON_TEXT_ABOUT},                 {kIdHelp, sw::BUTTON_TEXT_HELP},
      {kIdExport, sw::BUTTON_TEXT_EXPORT},               {kIdExit, sw::BUTTON_TEXT_EXIT}};
  for (int k = 0; k < 6; ++k) buttons_[k] = Named(new QPushButton(Tr(buttons[k].second), this), buttons[k].first);

  connect(refresh_, &QPushButton::clicked, this, &MainWindow::RefreshDrives);
  connect(devices_, &DeviceList::refreshRequested, this, &MainWindow::RefreshDrives);
  connect(devices_, &DeviceList::rowSelected, this, &MainWindow::ShowDevice);
  connect(smart_, &SmartPanel::activityTick, this, [this] { UpdateActivityRows(SelectedDevice()); });
  connect(buttons_[0], &QPushButton::clicked, this, &MainWindow::RunConfiguration);
  connect(buttons_[1], &QPushButton::clicked, this, [] { appcore::OpenHomePage(); });
  connect(buttons_[2], &QPushButton::clicked, this, &MainWindow::ShowAbout);
  connect(buttons_[3], &QPushButton::clicked, this, [] { appcore::OpenHelpTopic(L"hid_overview.htm"); });
  connect(buttons_[4], &QPushButton::clicked, this, &MainWindow::ExportReportCommand);
  connect(buttons_[5], &QPushButton::clicked, this, &MainWindow::ExitProgram);
}

bool MainWindow::InitDevIconList() {
  devices_->Clear();
  int count = HwscopeDll_Smart_GetNumDetectedDrives();
  if (count <= 0) {
    Message(sw::ERROR_NO_DRIVES_DETECTED, sw::MISC_WARNING, appcore::MessageIcon::Information);
    buttons_[4]->setEnabled(false);
    return false;
  }
  buttons_[4]->setEnabled(true);
  appcore::WriteDebugLog(appcore::LogPlace("InitDevIconList", 1) +
                         appcore::FormatText(L"Num drives detected = %d", count));
  appcore::WriteDebugLog(L"Adding drives to icon list view...");
  for (int device : PhysicalDevices()) {
    if (devices_->RowCount() >= kMaxRows) break;
    appcore::WriteDebugLog(appcore::FormatText(L"%s[%d]:Device = %d", L"InitDevIconList", 2, device));
    QString text = TrFormat(sw::LABEL_DEVICES_DISK_NUMBER, device);
    std::wstring model;
    if (ReadModelNumber(device, &model)) text += "\r\n" + Q(model);
    unsigned megabytes = 0;
    if (ReadCapacityMb(device, &megabytes))
      text += "\r\n(" + QString::asprintf("%.2f GB", megabytes / 1024.0) + ")";
    bool smart = IsSmartDevice(device);
    appcore::WriteDebugLog(appcore::FormatText(
        smart ? L"%s[%d]:Device %d is SMART" : L"%s[%d]:Device %d is NOT SMART", L"InitDevIconList", 3, device));
    devices_->AddDevice(smart ? 0 : 1, text, device);
    appcore::WriteDebugLog(
        appcore::FormatText(L"%s[%d]: %s is device %d", L"InitDevIconList", 4,
                            model.empty() ? W(TrFormat(sw::LABEL_DEVICES_DISK_NUMBER, device)) : model, device));
  }
  return true;
}

int MainWindow::SelectedRow() const { return devices_->SelectedRow(); }
int MainWindow::SelectedDevice() const { return devices_->DeviceOfRow(SelectedRow()); }

void MainWindow::RefreshDrives() {
  lastUpdated_->setText(Tr(sw::LABEL_LAST_UPDATED_REFRESHING));
  lastUpdated_->repaint();
  std::wstring serial;
  bool remembered = SelectedDevice() >= 0 && ReadSerialNumber(SelectedDevice(), &serial);
  devices_->Clear();
  int rc = HwscopeDll_Smart_Refresh(appcore::LiveConfig().recordSmart != 0);
  if (rc != 0) {
    appcore::WriteDebugLog(appcore::FormatText(L"HwscopeDll_Smart_Refresh returned err: %i", rc));
    lastUpdated_->setText(Tr(sw::LABEL_LAST_UPDATED_REFRESH_FAILED));
    Message(sw::ERROR_UNABLE_REFRESH_DRIVE_INFO, sw::MB_TITLE_REFRESH_DRIVE_INFO_ERROR,
            appcore::MessageIcon::Error);
  } else {
    lastUpdated_->setText(TrFormat(sw::LABEL_LAST_UPDATED, W(CurrentTimeText())));
  }
  InitDevIconList();
  int row = -1;
  for (int r = 0; remembered && r < devices_->RowCount(); ++r) {
    std::wstring other;
    if (ReadSerialNumber(devices_->DeviceOfRow(r), &other) && other == serial) {
      row = r;
      break;
    }
  }
  devices_->SelectRow(row);
  ShowDevice(row);
  CheckHealth();
}

void MainWindow::CheckHealth() {
  appcore::TrayState state = monitor_.UpdateTrayStatus();
  tray_->SetTip(Q(state.tip));
  tray_->SetWarning(state.warning);
  monitor_.CheckSMARTStatus();
}

void MainWindow::ShowDevice(int row) {
  selfTest_->Stop();
  smart_->ActivityTimer()->stop();
  int device = devices_->DeviceOfRow(row);
  if (row < 0 || device < 0) {
    info_->ShowNoDevice();
    smart_->Clear();
    history_->Clear();
    selfTest_->ClearDevice();
    hidden_->Clear();
    setWindowTitle(banner_);
    return;
  }
  std::wstring status = monitor_.GetDeviceStatusText(device);
  if (info_->Fill(device, status, monitor_.DeviceProblem(device))) {
    UpdateActivityRows(device);
    smart_->Fill(device);
    history_->Fill(device);
  } else {
    smart_->Clear();
    history_->Clear();
    Message(sw::ERROR_RETREIVING_DEV_INFO, sw::MISC_ERROR, appcore::MessageIcon::Warning);
  }
  selfTest_->ShowDevice(device);
  hidden_->Fill(device);
  unsigned seconds = appcore::LiveConfig().activityRefreshSeconds;
  if (seconds != 0) smart_->ActivityTimer()->start(static_cast<int>(std::min(seconds, 2000000u) * 1000));
  UpdateActivityRows(device);
  std::wstring model;
  setWindowTitle(ReadModelNumber(device, &model) ? Q(model) : QString());
}

void MainWindow::UpdateActivityRows(int device) {
  activity_.Collect();
  if (device < 0) return;
  std::vector<std::wstring> texts;
  if (activity_.RowTexts(device, &texts)) info_->SetActivityTexts(texts);
}

void MainWindow::StartRefreshTimer() {
  const appcore::AppConfig& config = appcore::LiveConfig();
  if (config.autoRefresh && config.autoRefreshMinutes != 0)
    refreshTimer_.start(static_cast<int>(std::min(config.autoRefreshMinutes, 35000u) * 60000));
}

void MainWindow::StopRefreshTimer() { refreshTimer_.stop(); }

void MainWindow::OnRefreshTimer() {
  const appcore::AppConfig& config = appcore::LiveConfig();
  if (!config.autoRefresh || config.autoRefreshMinutes == 0) return;
  RefreshDrives();
  StartRefreshTimer();
}

void MainWindow::LayoutMainWindow(int width, int height) {
  int w = std::max(width, initialSize_.width());
  int h = std::max(height, initialSize_.height());
  devicesLabel_->adjustSize();
  devicesLabel_->move(10, 12);
  refresh_->setGeometry(devicesLabel_->geometry().right() + 5, 6, 28, 28);
  appIcon_->setGeometry(w - 32 - 20, 4, 32, 32);
  devices_->setGeometry(10, 42, w - 20, kDeviceListHeight);
  lastUpdated_->setGeometry(10, 42 + kDeviceListHeight + 4, w - 20, 20);
  int buttonY = h - kButtonHeight - 15;
  int gap = (w - 6 * kButtonWidth - 20) / 5;
  for (int k = 0; k < 6; ++k)
    buttons_[k]->setGeometry(10 + k * (kButtonWidth + gap), buttonY, kButtonWidth, kButtonHeight);
  int tabY = lastUpdated_->geometry().bottom() + 6;
  tabs_->setGeometry(10, tabY, w - 20, buttonY - 20 - tabY);
}

void MainWindow::resizeEvent(QResizeEvent*) { LayoutMainWindow(width(), height()); }

void MainWindow::changeEvent(QEvent* event) {
  // Without a tray icon to bring it back, a hidden window would be lost:
  // then it only minimises.
  if (event->type() == QEvent::WindowStateChange && isMinimized() &&
      appcore::LiveConfig().minimizeToTray && tray_ != nullptr && tray_->Available())
    QTimer::singleShot(0, this, &QWidget::hide);
  QWidget::changeEvent(event);
}

void MainWindow::RestoreFromTray() {
  showNormal();
  raise();
  activateWindow();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    ExitProgram();
    return;
  }
  QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (!exiting_) ExitProgram();
}

void MainWindow::ExitProgram() {
  if (exiting_) return;
  exiting_ = true;
  refreshTimer_.stop();
  selfTest_->Stop();
  smart_->ActivityTimer()->stop();
  activity_.Close();
  HwscopeDll_Smart_Cleanup();
  hide();
  emit quitRequested(0);
}

void MainWindow::SetSaveFileChooser(std::function<bool(QWidget*, QString*)> chooser) {
  chooseSaveFile_ = std::move(chooser);
}

void MainWindow::ExportReportCommand() {
  int device = SelectedDevice();
  if (device < 0) {
    Message(sw::ERROR_NO_DRIVE_SELECTED_EXPORT, sw::MB_TITLE_NO_DRIVE_SELECTED,
            appcore::MessageIcon::Warning);
    return;
  }
  ExportOptionsDialog options(device, this);
  int choice = options.Run();
  if (choice == kExportCancel) return;
  QString path = "DriveInfo.txt";
  bool chosen = chooseSaveFile_ ? chooseSaveFile_(this, &path) : ChooseSaveFile(this, &path);
  if (!chosen) return;
  WriteReport(path, device, choice);
}

void MainWindow::RunConfiguration() { RunConfigDialog(this, *this); }

void MainWindow::ShowAbout() {
  AboutDialog about(this);
  about.exec();
}

}  // namespace ui
