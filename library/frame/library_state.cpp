#include "frame/library_state.h"

#include <cstdio>

#include "common/text.h"
#include "frame/log.h"

namespace hwscope {

LibraryState& Library() {
  static LibraryState state;
  return state;
}

bool LibraryReady(const char* exportName, int* result) {
  const int state = Library().state.load();
  if (state == 0) return true;
  Logf("%s error.  Error: \"%s\"", exportName,
       state == HWSCOPE_E_NOT_INITIALISED ? "HwscopeDll_Smart_Init not called"
                                          : "HwscopeDll_Smart_Init has error");
  *result = state;
  return false;
}

int InitTimeoutMs() { return Library().initTimeoutMs.load(); }

const std::string& VersionText() {
  static const std::string text = [] {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s %s Build: %s", "Hwscope", "v3.0", "1000");
    return std::string(buf);
  }();
  return text;
}

const wchar_t* VersionTextWide() {
  static const std::wstring text = common::FromUtf8(VersionText());
  return text.c_str();
}

void DebugMessageBox(const std::string& textUtf8) {
  if (!Library().debugMessageBoxes.load()) return;
  std::fprintf(stderr, "Corvane Hwscope: %s\n", textUtf8.c_str());
}

}  // namespace hwscope
