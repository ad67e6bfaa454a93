// Helpers of the GUI tests: a message sink that answers from a script, and
// the process set-up (strings, settings, library on the simulated machine).
#pragma once

#include <QString>
#include <deque>
#include <string>
#include <vector>

#include "core/message_sink.h"

namespace uitest {

struct Shown {
  std::wstring text;
  std::wstring title;
  appcore::MessageIcon icon;
  appcore::MessageButtons buttons;
};

// Records every message box; OK/Cancel boxes take the next scripted answer
// (OK when none is left).
class ScriptedSink : public appcore::MessageSink {
 public:
  appcore::MessageAnswer Show(const std::wstring& text, const std::wstring& title,
                              appcore::MessageIcon icon, appcore::MessageButtons buttons) override;
  void Answer(appcore::MessageAnswer answer) { answers_.push_back(answer); }
  void Reset() {
    shown.clear();
    answers_.clear();
  }
  std::vector<Shown> shown;

 private:
  std::deque<appcore::MessageAnswer> answers_;
};

// Loads the string file, points the program directory at a fresh folder
// (with the description file), sets default settings and initialises the
// library. Returns the folder.
std::string SetUpProcess();

}  // namespace uitest
