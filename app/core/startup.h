// The start-up sequence of the disk checker up to the point where the
// window (or the unattended check) takes over.
#pragma once

#include <string>
#include <vector>

namespace appcore {

struct StartupContext {
  bool checkMode = false;    // CHECKTEC: check once and exit
  bool startHidden = false;  // -m
  bool debugMode = false;
  std::wstring caption;  // the window caption / banner line
};

// Loads the string file, reads the command line, installs the crash
// handler, loads the settings and initialises the device library. Returns
// true with ctx filled when the program goes on; false with *exitCode set
// when start-up stopped (string file: -1; library: its error code). The
// failure has been shown through the message sink.
// crashNoticeProgram: program started to show the crash notice when a
// display is there (empty: standard error and the debug log only).
bool RunStartup(const std::vector<std::string>& arguments,
                const std::string& crashNoticeProgram, StartupContext* ctx, int* exitCode);

// The unattended check: every attribute of every SMART device once, with
// the configured warning. 0 all good, 1 a threshold-exceeded condition.
int RunCheckMode();

// Where the string file is read from: localization.txt in the program
// directory, or in the current directory when the program directory has
// none.
std::wstring StringFilePath();

}  // namespace appcore
