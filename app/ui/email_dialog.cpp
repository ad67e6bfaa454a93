#include "ui/email_dialog.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <memory>

#include "core/app_state.h"
#include "core/email_address.h"
#include "core/help_launcher.h"
#include "core/smtp_client.h"
#include "ui/alert_mailer.h"
#include "ui/config_dialog.h"
#include "ui/control_ids.h"
#include "ui/icons.h"
#include "ui/ui_text.h"

namespace ui {

using appcore::MessageIcon;

namespace {

constexpr int kFieldLimit = appcore::kAddressSize - 1;

// Hands each progress call of the worker to the dialog's thread; message
// boxes wait for the user before the dialogue goes on.
class DialogProgress : public ForwardedMailProgress {
 public:
  DialogProgress(QObject* context, QProgressBar* bar, QLineEdit* status)
      : ForwardedMailProgress(context), bar_(bar), status_(status) {}
  void ShowProgress(bool visible) override {
    QMetaObject::invokeMethod(context_, [bar = bar_, visible] { bar->setVisible(visible); });
  }
  void SetRange(int maximum) override {
    QMetaObject::invokeMethod(context_, [bar = bar_, maximum] { bar->setRange(0, maximum); });
  }
  void SetPosition(int position) override {
    QMetaObject::invokeMethod(context_, [bar = bar_, position] { bar->setValue(position); });
  }
  void SetStatus(const std::wstring& text) override {
    QMetaObject::invokeMethod(context_, [status = status_, t = Q(text)] { status->setText(t); });
  }

 private:
  QProgressBar* bar_;
  QLineEdit* status_;
};

QLineEdit* TextEdit(int id, QWidget* parent) {
  auto* edit = Named(new QLineEdit(parent), id);
  edit->setMaxLength(kFieldLimit);
  return edit;
}

std::string Field(const QLineEdit* edit) { return edit->text().left(kFieldLimit).toStdString(); }

}  // namespace

EmailDialog::EmailDialog(appcore::AppConfig* working, QWidget* parent)
    : QDialog(parent), working_(working) {
  setObjectName("emailDialog");
  setWindowTitle(Tr(sw::EMAIL_DLG_TITLE));
  setWindowIcon(AppIcon());

  auto* listBox = Named(new QGroupBox(Tr(sw::EMAIL_LIST_LABEL), this), 1088);
  recipients_ = Named(new QListWidget(listBox), 1028);
  recipients_->setSortingEnabled(true);
  recipients_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  auto* remove = Named(new QPushButton(Tr(sw::EMAIL_DELETE_BUTTON), listBox), 1031);
  auto* listLayout = new QVBoxLayout(listBox);
  listLayout->addWidget(recipients_);
  listLayout->addWidget(remove, 0, Qt::AlignRight);

  auto* addBox = Named(new QGroupBox(Tr(sw::EMAIL_ADD_EMAIL_LABEL), this), 1089);
  newAddress_ = TextEdit(1029, addBox);
  auto* add = Named(new QPushButton(Tr(sw::EMAIL_ADD_BUTTON), addBox), 1030);
  auto* addLayout = new QHBoxLayout(addBox);
  addLayout->addWidget(newAddress_);
  addLayout->addWidget(add);

  auto* smtpBox = Named(new QGroupBox(Tr(sw::EMAIL_OUTGOING_SMTP), this), 1090);
  server_ = TextEdit(1032, smtpBox);
  port_ = Named(new QLineEdit(smtpBox), 1034);
  port_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), port_));
  auth_ = Named(new QCheckBox(Tr(sw::EMAIL_SMTP_AUTH), smtpBox), 1042);
  user_ = TextEdit(1035, smtpBox);
  password_ = TextEdit(1036, smtpBox);
  password_->setEchoMode(QLineEdit::Password);
  from_ = TextEdit(1033, smtpBox);
  auto* grid = new QGridLayout(smtpBox);
  grid->addWidget(Named(new QLabel(Tr(sw::EMAIL_SERVER_LABEL), smtpBox), 1091), 0, 0);
  grid->addWidget(server_, 0, 1);
  grid->addWidget(Named(new QLabel(Tr(sw::EMAIL_PORT_LABEL), smtpBox), 1092), 1, 0);
  grid->addWidget(port_, 1, 1);
  grid->addWidget(auth_, 2, 0, 1, 2);
  grid->addWidget(Named(new QLabel(Tr(sw::EMAIL_USERNAME_LABEL), smtpBox), 1093), 3, 0);
  grid->addWidget(user_, 3, 1);
  grid->addWidget(Named(new QLabel(Tr(sw::EMAIL_PASSWORD_LABEL), smtpBox), 1094), 4, 0);
  grid->addWidget(password_, 4, 1);
  grid->addWidget(Named(new QLabel(Tr(sw::EMAIL_FROM_LABEL), smtpBox), 1095), 5, 0);
  grid->addWidget(from_, 5, 1);

  progress_ = Named(new QProgressBar(this), 1039);
  progress_->setTextVisible(false);
  status_ = Named(new QLineEdit(this), 1041);
  status_->setReadOnly(true);
  status_->setAlignment(Qt::AlignCenter);
  status_->setFrame(false);

  ok_ = Named(new QPushButton(Tr(sw::MISC_OK), this), 1);
  cancel_ = Named(new QPushButton(Tr(sw::MISC_CANCEL), this), 2);
  send_ = Named(new QPushButton(Tr(sw::EMAIL_SEND_BUTTON), this), 4);
  auto* help = Named(new QPushButton(Tr(sw::BUTTON_TEXT_HELP), this), 9);
  ok_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(send_);
  buttons->addWidget(help);
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);

  auto* left = new QVBoxLayout;
  left->addWidget(listBox, 1);
  left->addWidget(addBox);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 1);
  columns->addWidget(smtpBox, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addWidget(progress_);
  layout->addWidget(status_);
  layout->addLayout(buttons);
  resize(640, 420);

  // Fields from the working copy.
  progress_->hide();
  for (int i = 0; i < appcore::RecipientCount(*working_); ++i)
    recipients_->addItem(QString::fromStdString(appcore::FieldText(working_->recipients[i], appcore::kAddressSize)));
  server_->setText(QString::fromStdString(appcore::FieldText(working_->smtpServer, appcore::kAddressSize)));
  port_->setText(QString::number(working_->smtpPort));
  auth_->setChecked(working_->smtpAuth != 0);
  user_->setText(QString::fromStdString(appcore::FieldText(working_->smtpUser, appcore::kAddressSize)));
  password_->setText(QString::fromStdString(appcore::FieldText(working_->smtpPassword, appcore::kAddressSize)));
  from_->setText(QString::fromStdString(appcore::FieldText(working_->fromAddress, appcore::kAddressSize)));
  OnAuthToggled(auth_->isChecked());

  connect(add, &QPushButton::clicked, this, &EmailDialog::AddAddress);
  connect(remove, &QPushButton::clicked, this, &EmailDialog::DeleteSelected);
  connect(auth_, &QCheckBox::toggled, this, &EmailDialog::OnAuthToggled);
  connect(ok_, &QPushButton::clicked, this, &EmailDialog::Confirm);
  connect(cancel_, &QPushButton::clicked, this, &EmailDialog::reject);
  connect(send_, &QPushButton::clicked, this, &EmailDialog::SendTest);
  connect(help, &QPushButton::clicked, this, [] { appcore::OpenHelpTopic(L"hid_email.htm"); });
}

EmailDialog::~EmailDialog() { WaitForSend(); }

void EmailDialog::OnAuthToggled(bool on) {
  user_->setEnabled(on);
  password_->setEnabled(on);
}

void EmailDialog::AddAddress() {
  std::string address = Field(newAddress_);
  if (appcore::IsValidEmailAddress(address.c_str()) != 0) {
    Message(sw::EMAIL_ADD_INVALID, sw::EMAIL_ADD_INVALID_MB_TITLE, MessageIcon::Warning);
    return;
  }
  QString text = QString::fromStdString(address);
  for (int i = 0; i < recipients_->count() && i < appcore::kMaxRecipients; ++i) {
    if (recipients_->item(i)->text() == text) {
      Message(sw::EMAIL_ADD_DUPLICATE, sw::EMAIL_ADD_DUPLICATE_MB_TITLE, MessageIcon::Warning);
      return;
    }
  }
  recipients_->addItem(text);
  newAddress_->clear();
}

void EmailDialog::DeleteSelected() { qDeleteAll(recipients_->selectedItems()); }

bool EmailDialog::Validate() {
  auto fail = [](sw::AppKey text, sw::AppKey title) {
    Message(text, title, MessageIcon::Warning);
    return false;
  };
  if (recipients_->count() == 0) return fail(sw::ERROR_NO_EMAIL_ADDRESS, sw::MB_TITLE_NO_EMAIL_ADDRESS);
  unsigned port = ReadUnsigned(port_->text());
  if (port == 0 || port > 65535) return fail(sw::ERROR_INVALID_PORT_NO, sw::MB_TITLE_INVALID_PORT);
  std::string from = Field(from_);
  if (!from.empty() && appcore::IsValidEmailAddress(from.c_str()) != 0)
    return fail(sw::ERROR_INVALID_REPLY_EMAIL, sw::MB_TITLE_INVALID_EMAIL);
  if (server_->text().isEmpty()) return fail(sw::ERROR_INVALID_HOSTNAME, sw::MB_TITLE_INVALID_HOSTNAME);
  if (auth_->isChecked() && user_->text().isEmpty())
    return fail(sw::ERROR_INVALID_USERNAME, sw::MB_TITLE_INVALID_USERNAME);
  if (auth_->isChecked() && password_->text().isEmpty())
    return fail(sw::ERROR_INVALID_PASS_WORD, sw::MB_TITLE_INVALID_PASSWORD);
  return true;
}

void EmailDialog::Store(appcore::AppConfig* record) const {
  record->smtpPort = ReadUnsigned(port_->text());
  for (int i = 0; i < appcore::kMaxRecipients; ++i) {
    std::string address = i < recipients_->count() ? recipients_->item(i)->text().toStdString() : std::string();
    appcore::CopyField(record->recipients[i], appcore::kAddressSize, address);
  }
  appcore::CopyField(record->fromAddress, appcore::kAddressSize, Field(from_));
  appcore::CopyField(record->smtpServer, appcore::kAddressSize, Field(server_));
  record->smtpAuth = auth_->isChecked() ? 1 : 0;
  appcore::CopyField(record->smtpUser, appcore::kAddressSize, Field(user_));
  appcore::CopyField(record->smtpPassword, appcore::kAddressSize, Field(password_));
}

void EmailDialog::Confirm() {
  if (Sending() || !Validate()) return;
  Store(working_);
  accept();
}

void EmailDialog::reject() {
  if (Sending()) return;  // the test message is still going out
  QDialog::reject();
}

void EmailDialog::SetSending(bool sending) {
  send_->setEnabled(!sending);
  ok_->setEnabled(!sending);
  cancel_->setEnabled(!sending);
}

void EmailDialog::SendTest() {
  if (Sending() || !Validate()) return;
  auto record = std::make_shared<appcore::AppConfig>(*working_);
  Store(record.get());
  auto subject = std::make_shared<std::wstring>(
      appcore::LocFormat(sw::EMAIL_TEST_EMAIL_SUBJECT, appcore::kProductName));
  auto body = std::make_shared<std::wstring>(appcore::FormatText(
      appcore::LocText(sw::EMAIL_TEST_EMAIL_BODY_1_OF_2) + L"\r\n" +
          appcore::LocText(sw::EMAIL_TEST_EMAIL_BODY_2_OF_2),
      appcore::kProductName, appcore::kProductVersion, appcore::kProductBuild));
  auto progress = std::make_shared<DialogProgress>(this, progress_, status_);
  status_->clear();
  SetSending(true);
  worker_ = QThread::create([record, subject, body, progress] {
    appcore::SendMailMessage(*record, subject.get(), body.get(), true, progress.get());
  });
  connect(worker_, &QThread::finished, this, [this] {
    worker_->deleteLater();
    worker_ = nullptr;
    SetSending(false);
    emit sendFinished();
  });
  worker_->start();
}

void EmailDialog::WaitForSend() {
  if (worker_ == nullptr) return;
  // Message boxes of the worker need this thread; answer them while waiting.
  while (!worker_->wait(20)) QCoreApplication::processEvents();
  QCoreApplication::processEvents();
}

}  // namespace ui
