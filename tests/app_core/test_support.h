// Shared helpers of the application core tests.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "core/message_sink.h"
#include "core/smtp_client.h"

namespace apptest {

// Loads resources/localization.txt once for the test process.
void LoadStrings();

// A fresh folder under /tmp, removed at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct ShownMessage {
  std::wstring text;
  std::wstring title;
  appcore::MessageIcon icon;
};

// Records the message boxes instead of showing them; installed while alive.
class RecordingSink : public appcore::MessageSink {
 public:
  RecordingSink() { appcore::SetMessageSink(this); }
  ~RecordingSink() override { appcore::SetMessageSink(nullptr); }
  appcore::MessageAnswer Show(const std::wstring& text, const std::wstring& title,
                              appcore::MessageIcon icon, appcore::MessageButtons) override {
    shown.push_back({text, title, icon});
    return appcore::MessageAnswer::Ok;
  }
  std::vector<ShownMessage> shown;
};

// Records what the e-mail dialog would show.
class RecordingProgress : public appcore::MailProgress {
 public:
  void ShowProgress(bool visible) override { visibility.push_back(visible); }
  void SetRange(int maximum) override { range = maximum; }
  void SetPosition(int position) override { positions.push_back(position); }
  void SetStatus(const std::wstring& text) override { status = text; }
  void ShowMessage(const std::wstring& text, const std::wstring& title,
                   appcore::MessageIcon icon) override {
    shown.push_back({text, title, icon});
  }
  std::vector<bool> visibility;
  int range = -1;
  std::vector<int> positions;
  std::wstring status;
  std::vector<ShownMessage> shown;
};

// One of the SMTP servers of smtp_servers.py, on a loopback port, stopped
// when this object goes.
class SmtpServer {
 public:
  SmtpServer(const std::string& mode, const std::string& outfile);
  ~SmtpServer();
  int port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int stdinFd_ = -1;
  int port_ = 0;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

}  // namespace apptest
