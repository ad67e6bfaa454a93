// The SMTP client of the alert and test e-mails: one blocking dialogue over
// one TCP connection (IPv4), optional AUTH LOGIN, no encryption.
#pragma once

#include <string>
#include <vector>

#include "core/app_config.h"
#include "core/message_sink.h"

namespace appcore {

// What the e-mail settings dialog shows while a message goes out: its
// progress bar and status line, and the message boxes it owns. The send may
// run on a worker thread; an implementation for a window then hands each
// call to its own thread. The base class shows nothing and routes message
// boxes to the process-wide sink (as an alert, which has no owner, does).
class MailProgress {
 public:
  virtual ~MailProgress() = default;
  virtual void ShowProgress(bool /*visible*/) {}
  virtual void SetRange(int /*maximum*/) {}
  virtual void SetPosition(int /*position*/) {}
  virtual void SetStatus(const std::wstring& /*text*/) {}
  virtual void ShowMessage(const std::wstring& text, const std::wstring& title,
                           MessageIcon icon) {
    appcore::ShowMessage(text, title, icon);
  }
};

// Socket error number of a time-out (connect or receive).
inline constexpr int kSocketTimeout = 10060;

// Sends subject and body to every recipient of config. Returns 1 when it
// gave up before talking to the server (missing text, name resolution,
// socket or connection failure), 0 otherwise, accepted or not. Shows its
// own messages; progress may be null (an alert).
int SendMailMessage(const AppConfig& config, const std::wstring* subject,
                    const std::wstring* body, bool isTest, MailProgress* progress);

// Reply code = first three bytes as decimal digits. 0 when it equals
// expectedCode; otherwise the status line and the debug log get failText
// and the code is returned (never 0).
int CheckSmtpReply(const std::string& reply, int expectedCode, const char* failText,
                   MailProgress* progress);

// result of a send or receive: -1 or 0 is a failure, logged as
// "Error during call to <step>:  <result> - <error>"; returns the error
// number (kSocketTimeout for a time-out, ECONNRESET for a closed
// connection), else 0.
int CheckSocketResult(long result, const char* stepName, int lastError);

// Standard Base64 with "=" padding.
std::string Base64Encode(const std::string& bytes);

// Body pieces as they go on the wire: cut into pieces of 998 characters,
// each converted to 8-bit (UTF-8) text, each line that begins with "." gets
// a second "." (SMTP transparency), each piece followed by CR LF.
std::vector<std::string> EncodeMailBody(const std::wstring& body);

}  // namespace appcore
