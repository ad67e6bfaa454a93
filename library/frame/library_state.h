// Process-wide state of the library behind the exports: the library state,
// the one engine, the init timeout, the refresh counter and the debug
// message-box flag. The log settings live with the log writer (log.cpp).
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "engine/smart_info.h"

namespace hwscope {

inline constexpr int kDefaultInitTimeoutMs = 5000;

struct LibraryState {
  // -10001 until Init succeeds, 0 when ready, else the error of the last Init.
  std::atomic<int> state{HWSCOPE_E_NOT_INITIALISED};
  std::unique_ptr<CSMARTInfo> engine;
  std::atomic<int> initTimeoutMs{kDefaultInitTimeoutMs};
  std::atomic<int> refreshCounter{0};
  std::atomic<bool> debugMessageBoxes{false};
  bool initLogging = false;
};

LibraryState& Library();

// The guard of every HwscopeDll_Smart_ export but Init and SetInitTimeout:
// true when ready; otherwise logs `%s error.  Error: "%s"` with the export's
// name and leaves the state in *result.
bool LibraryReady(const char* exportName, int* result);

// "Hwscope v3.0 Build: 1000".
const std::string& VersionText();
const wchar_t* VersionTextWide();

// A library message box. The library has no user interface: when the
// debug-message-box flag is set the text goes to standard error under the
// caption "Corvane Hwscope".
void DebugMessageBox(const std::string& textUtf8);

}  // namespace hwscope
