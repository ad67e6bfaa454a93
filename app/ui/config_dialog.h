// The Configuration dialog: temperature unit and warning level, action on a
// threshold-exceeded condition (with the e-mail settings), automatic
// refresh, history recording, tray, disk activity period. It edits a
// working copy that replaces the live settings only on a valid OK.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/app_config.h"
#include "ui/config_host.h"

namespace ui {

class ConfigDialog : public QDialog {
  Q_OBJECT
 public:
  ConfigDialog(ConfigHost& host, QWidget* parent = nullptr);

  // OK: validates (first failure shows its message and keeps the dialog
  // open), applies the working copy to the live settings and accepts.
  // Returns whether it was accepted.
  bool Confirm();
  appcore::AppConfig& WorkingCopy() { return working_; }
  // Opens the e-mail settings dialog on the working copy.
  void EditEmailSettings();

 private:
  void SetUnit(int unit);
  void SetAction(int action);
  void OnRecordToggled(bool checked);

  ConfigHost& host_;
  appcore::AppConfig working_;
  QRadioButton* celsius_;
  QRadioButton* fahrenheit_;
  QLineEdit* level_;
  QLabel* levelUnit_;
  QRadioButton* actions_[3];
  QPushButton* emailSettings_;
  QCheckBox* autoRefresh_;
  QLineEdit* minutes_;
  QCheckBox* record_;
  QCheckBox* toTray_;
  QLineEdit* activitySeconds_;
};

// Runs the dialog; on OK writes the settings file. Returns the dialog
// result when it was not confirmed, else the write result (1 written).
int RunConfigDialog(QWidget* owner, ConfigHost& host);

// Text as a float the way the C library reads it (0 for a non-number).
float ReadFloat(const QString& text);
// Text as an unsigned number (0 for a non-number).
unsigned ReadUnsigned(const QString& text, bool* ok = nullptr);

}  // namespace ui
