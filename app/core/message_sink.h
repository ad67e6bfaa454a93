// Where the core's message boxes go. The program installs a sink that shows
// real message boxes when a display is there; without one (and in tests)
// the console sink writes the text to standard error and the debug log and
// answers OK, so unattended runs go on.
#pragma once

#include <string>

namespace appcore {

enum class MessageIcon { None, Information, Warning, Error };
enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual MessageAnswer Show(const std::wstring& text, const std::wstring& title,
                             MessageIcon icon, MessageButtons buttons) = 0;
};

// Writes "title: text" to standard error and the debug log; answers OK.
class ConsoleMessageSink : public MessageSink {
 public:
  MessageAnswer Show(const std::wstring& text, const std::wstring& title, MessageIcon icon,
                     MessageButtons buttons) override;
};

// The process-wide sink (the console sink until another is installed).
MessageSink& Messages();
void SetMessageSink(MessageSink* sink);  // nullptr restores the console sink

// Shorthand for an OK box.
inline void ShowMessage(const std::wstring& text, const std::wstring& title,
                        MessageIcon icon) {
  Messages().Show(text, title, icon, MessageButtons::Ok);
}

}  // namespace appcore
