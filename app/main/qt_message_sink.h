// Message boxes of the core shown as Qt message boxes. The application
// object is created on the first box, so a run that shows none never
// connects to the display.
#pragma once

#include "core/message_sink.h"

class QtMessageSink : public appcore::MessageSink {
 public:
  QtMessageSink(int& argc, char** argv) : argc_(argc), argv_(argv) {}
  appcore::MessageAnswer Show(const std::wstring& text, const std::wstring& title,
                              appcore::MessageIcon icon, appcore::MessageButtons buttons) override;

 private:
  int& argc_;
  char** argv_;
};

// True when a display (X11 or Wayland) is named in the environment.
bool HasDisplay();

// Makes sure a QApplication exists (the window path needs it too).
void EnsureApplication(int& argc, char** argv);
