#include "ui/config_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QVBoxLayout>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>

#include "core/app_state.h"
#include "core/email_address.h"
#include "core/help_launcher.h"
#include "ui/control_ids.h"
#include "ui/email_dialog.h"
#include "ui/icons.h"
#include "ui/ui_text.h"

namespace ui {

using appcore::MessageIcon;

float ReadFloat(const QString& text) {
  // The level is shown with a decimal point whatever the desktop's locale
  // (and strtof would follow LC_NUMERIC, which the toolkit sets from it):
  // read it back the same way. Blanks and a "+" may lead; reading stops at
  // the first character that does not belong to the number.
  QByteArray bytes = text.toUtf8();
  const char* begin = bytes.constData();
  const char* end = begin + bytes.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(*begin))) ++begin;
  if (begin < end && *begin == '+') ++begin;
  float value = 0.0f;
  if (std::from_chars(begin, end, value).ec != std::errc()) return 0.0f;
  return value;
}

unsigned ReadUnsigned(const QString& text, bool* ok) {
  QByteArray bytes = text.trimmed().toUtf8();
  char* end = nullptr;
  errno = 0;
  unsigned long v = std::strtoul(bytes.constData(), &end, 10);
  bool good = end != bytes.constData() && errno == 0 && !bytes.startsWith('-') && v <= 0xFFFFFFFFul;
  if (ok) *ok = good;
  return good ? static_cast<unsigned>(v) : 0;
}

namespace {
QLineEdit* NumberEdit(int id, QWidget* parent) {
  auto* edit = Named(new QLineEdit(parent), id);
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), edit));
  edit->setMaximumWidth(80);
  return edit;
}
QString LevelText(float level) { return QString::asprintf("%.1f", static_cast<double>(level)); }
}  // namespace

ConfigDialog::ConfigDialog(ConfigHost& host, QWidget* parent)
    : QDialog(parent), host_(host), working_(appcore::LiveConfig()) {
  setObjectName("configDialog");
  setWindowTitle(Tr(sw::CONFIG_DLG_TITLE));
  setWindowIcon(AppIcon());

  auto* unitBox = Named(new QGroupBox(Tr(sw::CONFIG_TEMP_UNIT), this), 1019);
  celsius_ = Named(new QRadioButton(Tr(sw::MISC_CELSIUS), unitBox), 1018);
  fahrenheit_ = Named(new QRadioButton(Tr(sw::MISC_FAHRENHEIT), unitBox), 1020);
  auto* unitLayout = new QHBoxLayout(unitBox);
  unitLayout->addWidget(celsius_);
  unitLayout->addWidget(fahrenheit_);

  auto* levelBox = Named(new QGroupBox(Tr(sw::CONFIG_TEMP_WARN_LEVEL), this), 1021);
  level_ = Named(new QLineEdit(levelBox), 1022);
  level_->setMaximumWidth(80);
  levelUnit_ = Named(new QLabel(levelBox), 1023);
  auto* levelLayout = new QHBoxLayout(levelBox);
  levelLayout->addWidget(level_);
  levelLayout->addWidget(levelUnit_);
  levelLayout->addStretch();

  auto* actionBox = Named(new QGroupBox(Tr(sw::CONFIG_ACTION_ON_TEC), this), 1096);
  const sw::AppKey actionKeys[3] = {sw::CONFIG_DO_NOTHING, sw::CONFIG_DISPLAY_MESSAGE, sw::CONFIG_SEND_EMAIL};
  auto* actionLayout = new QGridLayout(actionBox);
  for (int i = 0; i < 3; ++i) {
    actions_[i] = Named(new QRadioButton(Tr(actionKeys[i]), actionBox), 1024 + i);
    actionLayout->addWidget(actions_[i], i, 0);
    connect(actions_[i], &QRadioButton::clicked, this, [this, i] { SetAction(i); });
  }
  emailSettings_ = Named(new QPushButton(Tr(sw::CONFIG_BUTTON_SETTINGS), actionBox), 1027);
  actionLayout->addWidget(emailSettings_, 2, 1);

  autoRefresh_ = Named(new QCheckBox(this), 1037);
  minutes_ = NumberEdit(1038, this);
  record_ = Named(new QCheckBox(this), 1042);
  toTray_ = Named(new QCheckBox(this), 1044);
  activitySeconds_ = NumberEdit(1039, this);
  auto* options = new QGridLayout;
  options->addWidget(autoRefresh_, 0, 0);
  options->addWidget(Named(new QLabel(Tr(sw::CONFIG_AUTOREFRESH), this), 1097), 0, 1);
  options->addWidget(minutes_, 0, 2);
  options->addWidget(record_, 1, 0);
  options->addWidget(Named(new QLabel(Tr(sw::CONFIG_RECORD_SMART), this), 1098), 1, 1);
  options->addWidget(toTray_, 2, 0);
  options->addWidget(Named(new QLabel(Tr(sw::CONFIG_MINIMIZE_TRAY), this), 1099), 2, 1);
  options->addWidget(Named(new QLabel(Tr(sw::CONFIG_ACTIVITY_REFRESH), this), 1028), 3, 1);
  options->addWidget(activitySeconds_, 3, 2);
  options->setColumnStretch(1, 1);

  auto* ok = Named(new QPushButton(Tr(sw::MISC_OK), this), 1);
  auto* cancel = Named(new QPushButton(Tr(sw::MISC_CANCEL), this), 2);
  auto* help = Named(new QPushButton(Tr(sw::BUTTON_TEXT_HELP), this), 9);
  ok->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(help);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* top = new QHBoxLayout;
  top->addWidget(unitBox);
  top->addWidget(levelBox);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(actionBox);
  layout->addLayout(options);
  layout->addLayout(buttons);

  // Controls from the working copy.
  bool f = working_.temperatureUnit == 1;
  (f ? fahrenheit_ : celsius_)->setChecked(true);
  level_->setText(LevelText(f ? working_.warnLevelF : working_.warnLevelC));
  levelUnit_->setText(Tr(f ? sw::MISC_FAHRENHEIT : sw::MISC_CELSIUS));
  SetAction(working_.tecAction <= 2 ? static_cast<int>(working_.tecAction) : 1);
  autoRefresh_->setChecked(working_.autoRefresh != 0);
  minutes_->setText(QString::number(working_.autoRefreshMinutes));
  record_->setChecked(working_.recordSmart != 0);
  toTray_->setChecked(working_.minimizeToTray != 0);
  activitySeconds_->setText(QString::number(working_.activityRefreshSeconds));

  connect(celsius_, &QRadioButton::clicked, this, [this] { SetUnit(0); });
  connect(fahrenheit_, &QRadioButton::clicked, this, [this] { SetUnit(1); });
  connect(emailSettings_, &QPushButton::clicked, this, &ConfigDialog::EditEmailSettings);
  connect(record_, &QCheckBox::toggled, this, &ConfigDialog::OnRecordToggled);
  connect(ok, &QPushButton::clicked, this, &ConfigDialog::Confirm);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [] { appcore::OpenHelpTopic(L"hid_config.htm"); });
}

void ConfigDialog::SetUnit(int unit) {
  celsius_->setChecked(unit == 0);
  fahrenheit_->setChecked(unit == 1);
  if (static_cast<int>(working_.temperatureUnit) == unit) return;
  float typed = ReadFloat(level_->text());
  if (unit == 0) {
    working_.warnLevelF = typed;
    working_.warnLevelC = appcore::FahrenheitToCelsius(typed);
    level_->setText(LevelText(working_.warnLevelC));
  } else {
    working_.warnLevelC = typed;
    working_.warnLevelF = appcore::CelsiusToFahrenheit(typed);
    level_->setText(LevelText(working_.warnLevelF));
  }
  levelUnit_->setText(Tr(unit == 0 ? sw::MISC_CELSIUS : sw::MISC_FAHRENHEIT));
  working_.temperatureUnit = static_cast<std::uint32_t>(unit);
}

void ConfigDialog::SetAction(int action) {
  for (int i = 0; i < 3; ++i) actions_[i]->setChecked(i == action);
  emailSettings_->setEnabled(action == 2);
}

void ConfigDialog::OnRecordToggled(bool checked) {
  if (!checked) return;
  Message(appcore::LocFormat(sw::CONFIG_TEC_WARN_INFO, appcore::State().programDirectory),
          appcore::LocText(sw::MB_TITLE_WARNING_MESSAGE), MessageIcon::Warning);
}

void ConfigDialog::EditEmailSettings() {
  EmailDialog dialog(&working_, this);
  dialog.exec();
}

bool ConfigDialog::Confirm() {
  const std::wstring emailTitle = appcore::LocText(sw::MB_TITLE_EMAIL_NOTIFICATION_SETTING_ERROR);
  auto fail = [&](const std::wstring& text, const std::wstring& title) {
    Message(text, title, MessageIcon::Warning);
    return false;
  };
  if (actions_[2]->isChecked()) {
    int count = 0;
    for (int i = 0; i < appcore::kMaxRecipients; ++i) {
      const char* address = working_.recipients[i];
      if (address[0] == '\0') continue;
      ++count;
      std::string text = appcore::FieldText(address, appcore::kAddressSize);
      if (appcore::IsValidEmailAddress(text.c_str()) != 0)
        return fail(appcore::FormatText(TwoKeys(sw::CONFIG_INVALID_EMAIL, sw::CONFIG_ENTER_VALID_EMAIL), text),
                    emailTitle);
    }
    if (count == 0) return fail(TwoKeys(sw::CONFIG_NO_EMAIL, sw::CONFIG_ENTER_EMAIL), emailTitle);
    std::string from = appcore::FieldText(working_.fromAddress, appcore::kAddressSize);
    if (!from.empty() && appcore::IsValidEmailAddress(from.c_str()) != 0)
      return fail(appcore::FormatText(TwoKeys(sw::CONFIG_INVALID_REPLY_TO, sw::CONFIG_ENTER_REPLY_TO), from),
                  emailTitle);
    if (working_.smtpServer[0] == '\0')
      return fail(TwoKeys(sw::CONFIG_INVALID_SERVER, sw::CONFIG_ENTER_SERVER), emailTitle);
    if (working_.smtpPort == 0 || working_.smtpPort > 65535)
      return fail(TwoKeys(sw::CONFIG_INVALID_PORT, sw::CONFIG_ENTER_PORT), emailTitle);
  }
  bool minutesOk = false;
  unsigned minutes = ReadUnsigned(minutes_->text(), &minutesOk);
  if (autoRefresh_->isChecked() && (!minutesOk || minutes == 0))
    return fail(appcore::LocText(sw::CONFIG_ERROR_NO_AUTO_REFRESH_INTERVAL),
                appcore::LocText(sw::MB_TITLE_AUTOREFRESH_INTERVAL_ERROR));

  float level = ReadFloat(level_->text());
  bool fahrenheit = working_.temperatureUnit == 1;
  (fahrenheit ? working_.warnLevelF : working_.warnLevelC) = level;
  if (level == 0.0f) {
    std::wstring text = appcore::FormatText(
        TwoKeys(fahrenheit ? sw::CONFIG_TEMP_WARN_F : sw::CONFIG_TEMP_WARN_C, sw::CONFIG_TEMP_WARN_OK_OR_CANCEL),
        static_cast<double>(level));
    if (Message(text, appcore::LocText(sw::MB_TITLE_TEMP_WARN_LEVEL_CONFIRM), MessageIcon::Warning,
                appcore::MessageButtons::OkCancel) == appcore::MessageAnswer::Cancel)
      return false;
  }
  if (fahrenheit)
    working_.warnLevelC = appcore::FahrenheitToCelsius(working_.warnLevelF);
  else
    working_.warnLevelF = appcore::CelsiusToFahrenheit(working_.warnLevelC);

  working_.tecAction = actions_[2]->isChecked() ? 2 : actions_[1]->isChecked() ? 1 : 0;
  working_.autoRefresh = autoRefresh_->isChecked() ? 1 : 0;
  working_.autoRefreshMinutes = minutes;
  working_.recordSmart = record_->isChecked() ? 1 : 0;
  working_.minimizeToTray = toTray_->isChecked() ? 1 : 0;
  working_.activityRefreshSeconds = ReadUnsigned(activitySeconds_->text());

  appcore::AppConfig& live = appcore::LiveConfig();
  bool unitChanged = live.temperatureUnit != working_.temperatureUnit;
  bool refreshTurnedOn = !live.autoRefresh && working_.autoRefresh;
  if (live.autoRefresh && !working_.autoRefresh) host_.StopRefreshTimer();
  bool levelChanged = live.warnLevelC != working_.warnLevelC;
  if (levelChanged) host_.MarkTemperatureChanged();
  bool activityChanged = live.activityRefreshSeconds != working_.activityRefreshSeconds;
  live = working_;
  if (unitChanged || levelChanged || activityChanged) host_.ShowSelectedDevice();
  if (refreshTurnedOn && live.autoRefreshMinutes != 0) {
    host_.RefreshDrives();
    host_.StartRefreshTimer();
  }
  accept();
  return true;
}

int RunConfigDialog(QWidget* owner, ConfigHost& host) {
  ConfigDialog dialog(host, owner);
  int result = dialog.exec();
  if (result != QDialog::Accepted) return result;
  int written = appcore::SaveConfig(appcore::LiveConfig());
  if (written == 0)
    Message(sw::CONFIG_FAILED_OPEN_CONFIG, sw::MB_TITLE_CONFIGURATION_ERROR, MessageIcon::Warning);
  else if (written < 0)
    Message(sw::CONFIG_FAILED_WRITE_CONFIG, sw::MB_TITLE_CONFIGURATION_ERROR, MessageIcon::Warning);
  return written;
}

}  // namespace ui
