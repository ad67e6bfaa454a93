// Alert e-mails sent one after another on a worker thread, so that a slow
// or silent mail server never freezes the window. Their message boxes are
// shown by the window's thread.
#pragma once

#include <QObject>
#include <QThreadPool>
#include <string>

#include "core/app_config.h"
#include "core/smtp_client.h"

namespace ui {

// Progress of a send on a worker thread: message boxes go to the thread of
// context and the worker waits for them; everything else is dropped.
class ForwardedMailProgress : public appcore::MailProgress {
 public:
  explicit ForwardedMailProgress(QObject* context) : context_(context) {}
  void ShowMessage(const std::wstring& text, const std::wstring& title,
                   appcore::MessageIcon icon) override;

 protected:
  QObject* context_;
};

class AlertMailer : public QObject {
  Q_OBJECT
 public:
  explicit AlertMailer(QObject* parent = nullptr);
  ~AlertMailer() override;

  // Queues one alert (the settings are copied).
  void Send(const appcore::AppConfig& config, const std::wstring& subject, const std::wstring& body);
  // Waits for every queued alert, answering their message boxes meanwhile.
  void WaitForAll();

 private:
  QThreadPool pool_;
};

}  // namespace ui
