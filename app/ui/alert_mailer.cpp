#include "ui/alert_mailer.h"

#include <QCoreApplication>
#include <memory>

#include "ui/ui_text.h"

namespace ui {

void ForwardedMailProgress::ShowMessage(const std::wstring& text, const std::wstring& title,
                                        appcore::MessageIcon icon) {
  QMetaObject::invokeMethod(
      context_, [text, title, icon] { Message(text, title, icon); }, Qt::BlockingQueuedConnection);
}

AlertMailer::AlertMailer(QObject* parent) : QObject(parent) { pool_.setMaxThreadCount(1); }

AlertMailer::~AlertMailer() { WaitForAll(); }

void AlertMailer::Send(const appcore::AppConfig& config, const std::wstring& subject,
                       const std::wstring& body) {
  auto record = std::make_shared<appcore::AppConfig>(config);
  pool_.start([this, record, subject, body] {
    ForwardedMailProgress progress(this);
    appcore::SendMailMessage(*record, &subject, &body, false, &progress);
  });
}

void AlertMailer::WaitForAll() {
  while (!pool_.waitForDone(20)) QCoreApplication::processEvents();
}

}  // namespace ui
