// Tab 3: the drive self-test: test choice (1058), duration (1065), start
// or abort button (1059), status text (1062), progress bar (1064) and
// percent text (1063); timer 1001 polls a running test.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>

namespace ui {

class SelfTestPanel : public QWidget {
  Q_OBJECT
 public:
  explicit SelfTestPanel(QWidget* parent = nullptr);

  // Stops timer 1001 and puts the progress bar to 0.
  void Stop();
  // No device: status texts cleared, button idle.
  void ClearDevice();
  // Reads the status of device and sets the panel from it.
  void ShowDevice(int device);
  // Asks the drive for its status; -1 when it cannot be read.
  int ReadSelfTestStatus();
  bool Running() const { return running_; }
  QTimer* PollTimer() { return &pollTimer_; }

  // Period of timer 1001.
  static constexpr int kPollMs = 10000;

 public slots:
  void Poll();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnButton();
  void OnTestChoice(int index);
  void SetRunning(bool running);
  // Reads the status every 100 ms until wanted (== 15 or != 15) or about a
  // second has gone; returns whether it came.
  bool WaitForStatus(bool inProgress);

  int device_ = -1;
  bool running_ = false;
  std::array<QString, 16> statusTexts_;
  QLabel* typeLabel_;
  QComboBox* choice_;
  QLabel* duration_;
  QPushButton* button_;
  QLabel* statusLabel_;
  QLabel* status_;
  QProgressBar* progress_;
  QLabel* percent_;
  QLabel* warningLabel_;
  QLabel* warningText_;
  QTimer pollTimer_;
};

}  // namespace ui
