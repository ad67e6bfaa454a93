// The e-mail settings dialog: recipients, SMTP server, port, login and
// sender, and the test e-mail. The test message goes out on a worker
// thread; its progress bar (1039) and status line (1041) follow it, so a
// slow server shows progress instead of a frozen window.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

#include "core/app_config.h"

namespace ui {

class EmailDialog : public QDialog {
  Q_OBJECT
 public:
  // working: the Configuration dialog's working copy; OK stores into it.
  EmailDialog(appcore::AppConfig* working, QWidget* parent = nullptr);
  ~EmailDialog() override;

  // Checks the fields; the first failure shows its message.
  bool Validate();
  // The dialog's fields into record (recipients in list order).
  void Store(appcore::AppConfig* record) const;
  void AddAddress();
  void DeleteSelected();
  // Starts the test message on the worker thread (after validation).
  void SendTest();
  bool Sending() const { return worker_ != nullptr; }
  void WaitForSend();

 public slots:
  void Confirm();
  void reject() override;

 signals:
  void sendFinished();

 private:
  void SetSending(bool sending);
  void OnAuthToggled(bool on);

  appcore::AppConfig* working_;
  QListWidget* recipients_;
  QLineEdit* newAddress_;
  QLineEdit* server_;
  QLineEdit* port_;
  QCheckBox* auth_;
  QLineEdit* user_;
  QLineEdit* password_;
  QLineEdit* from_;
  QProgressBar* progress_;
  QLineEdit* status_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QPushButton* send_;
  QThread* worker_ = nullptr;
};

}  // namespace ui
