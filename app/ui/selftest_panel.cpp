#include "ui/selftest_panel.h"

#include <QElapsedTimer>
#include <QThread>

#include "hwscope/hwscope.h"
#include "ui/control_ids.h"
#include "ui/device_queries.h"
#include "ui/ui_text.h"

namespace ui {

namespace {
constexpr int kInProgress = 15;
}

SelfTestPanel::SelfTestPanel(QWidget* parent) : QWidget(parent) {
  const std::pair<int, sw::AppKey> texts[] = {
      {0, sw::SELFTEST_STATUS_MAP_NO_ERROR},
      {1, sw::SELFTEST_STATUS_MAP_ABORTED},
      {2, sw::SELFTEST_STATUS_MAP_INTERRUPTED},
      {3, sw::SELFTEST_STATUS_MAP_STOPPED_UNKNOWN_ERROR},
      {4, sw::SELFTEST_STATUS_MAP_FAILURE_UNKNOWN_TEST_ELEMENT},
      {5, sw::SELFTEST_STATUS_MAP_FAILURE_ELECTRICAL_ELEMENT},
      {6, sw::SELFTEST_STATUS_MAP_FAILURE_SEEK_ELEMENT},
      {7, sw::SELFTEST_STATUS_MAP_FAILURE_READ_ELEMENT},
      {8, sw::SELFTEST_STATUS_MAP_FAILURE_HANDLING_DAMAGE},
      {15, sw::SELFTEST_STATUS_MAP_IN_PROGRESS}};
  for (const auto& [index, key] : texts) statusTexts_[static_cast<size_t>(index)] = Tr(key);

  typeLabel_ = Named(new QLabel(Tr(sw::DST_TAB_TEST_TYPE), this), 1078);
  choice_ = Named(new QComboBox(this), 1058);
  choice_->addItems({Tr(sw::DST_TAB_SHORT_TEST), Tr(sw::DST_TAB_EXTENDED_TEST)});
  duration_ = Named(new QLabel(Tr(sw::DST_TAB_1_5_MINUTES), this), 1065);
  button_ = Named(new QPushButton(Tr(sw::DST_TAB_START_TEST), this), 1059);
  statusLabel_ = Named(new QLabel(Tr(sw::DST_TAB_STATUS), this), 1079);
  status_ = Named(new QLabel(this), 1062);
  status_->setWordWrap(true);
  progress_ = Named(new QProgressBar(this), 1064);
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  percent_ = Named(new QLabel(this), 1063);
  warningLabel_ = Named(new QLabel(Tr(sw::DST_TAB_WARNING_LABEL), this), 1080);
  warningText_ = Named(new QLabel(Tr(sw::DST_TAB_WARNING_TEXT), this), 1081);
  warningText_->setWordWrap(true);
  pollTimer_.setObjectName(IdName(kTimerSelfTest));
  pollTimer_.setInterval(kPollMs);
  connect(&pollTimer_, &QTimer::timeout, this, &SelfTestPanel::Poll);
  connect(button_, &QPushButton::clicked, this, &SelfTestPanel::OnButton);
  connect(choice_, &QComboBox::currentIndexChanged, this, &SelfTestPanel::OnTestChoice);
}

void SelfTestPanel::resizeEvent(QResizeEvent*) {
  int w = width();
  typeLabel_->setGeometry(12, 16, 110, 24);
  choice_->setGeometry(130, 14, 180, 28);
  duration_->setGeometry(320, 16, std::max(100, w - 332), 24);
  button_->setGeometry(130, 54, 180, 30);
  statusLabel_->setGeometry(12, 100, 110, 24);
  status_->setGeometry(130, 100, std::max(100, w - 142), 40);
  progress_->setGeometry(130, 148, std::max(100, w - 212), 22);
  percent_->setGeometry(w - 72, 148, 60, 22);
  warningLabel_->setGeometry(12, 196, 110, 24);
  warningText_->setGeometry(130, 196, std::max(100, w - 142), 60);
}

void SelfTestPanel::OnTestChoice(int index) {
  duration_->setText(Tr(index == 1 ? sw::DST_TAB_GT_10_MINS : sw::DST_TAB_1_5_MINUTES));
}

void SelfTestPanel::Stop() {
  pollTimer_.stop();
  progress_->setValue(0);
}

void SelfTestPanel::SetRunning(bool running) {
  running_ = running;
  button_->setText(Tr(running ? sw::MISC_ABORT : sw::DST_TAB_START_TEST));
  if (running)
    pollTimer_.start(kPollMs);
  else
    pollTimer_.stop();
}

void SelfTestPanel::ClearDevice() {
  device_ = -1;
  status_->clear();
  percent_->clear();
  progress_->setValue(0);
  running_ = false;
  button_->setText(Tr(sw::DST_TAB_START_TEST));
  button_->setEnabled(true);
}

int SelfTestPanel::ReadSelfTestStatus() {
  int status = 0, remaining = 0;
  if (device_ < 0 || HwscopeDll_Smart_GetSelfTestStatus(device_, &status, &remaining) != 0) {
    status_->setText(Tr(sw::ERROR_UNABLE_TO_RETRIEVE_SELF_TEST_STATUS));
    progress_->setValue(0);
    percent_->clear();
    return -1;
  }
  status_->setText(status >= 0 && status < 16 ? statusTexts_[static_cast<size_t>(status)] : QString());
  int done = 100 - remaining;
  progress_->setValue(std::clamp(done, 0, 100));
  percent_->setText(QString::asprintf("%i%%", done));
  return status;
}

void SelfTestPanel::ShowDevice(int device) {
  device_ = device;
  int status = ReadSelfTestStatus();
  button_->setEnabled(status >= 0);
  SetRunning(status == kInProgress);
}

bool SelfTestPanel::WaitForStatus(bool inProgress) {
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    int status = ReadSelfTestStatus();
    if ((status == kInProgress) == inProgress) return true;
    if (clock.elapsed() > 1000) return false;
    QThread::msleep(100);
  }
}

void SelfTestPanel::OnButton() {
  if (device_ < 0) return;
  if (!IsSmartDevice(device_)) {
    Message(sw::ERROR_UNABLE_EXECUTE_SELF_TEST_NOT_SMART, sw::MB_TITLE_SELF_TEST_ERROR,
            appcore::MessageIcon::Warning);
    return;
  }
  if (running_) {
    HwscopeDll_Smart_ExecuteSelfTest(device_, 0);
    if (!WaitForStatus(false)) {
      Message(sw::ERROR_UNABLE_ABORT_SELF_TEST, sw::MB_TITLE_ABORT_FAILED,
              appcore::MessageIcon::Warning);
      return;
    }
    SetRunning(false);
    return;
  }
  HwscopeDll_Smart_ExecuteSelfTest(device_, choice_->currentIndex() == 1 ? 2 : 1);
  if (!WaitForStatus(true)) {
    Message(sw::ERROR_UNABLE_EXECUTE_SELF_TEST_NO_SUPPORT, sw::MB_TITLE_SELF_TEST_ERROR,
            appcore::MessageIcon::Warning);
    return;
  }
  SetRunning(true);
}

void SelfTestPanel::Poll() {
  if (ReadSelfTestStatus() != kInProgress) SetRunning(false);
}

}  // namespace ui
