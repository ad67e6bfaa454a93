#include "core/app_state.h"

#include <unistd.h>

#include <climits>

#include "common/text.h"

namespace appcore {

AppState& State() {
  static AppState state;
  return state;
}

std::wstring FindProgramDirectory() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) {
    if (getcwd(path, sizeof path) == nullptr) return L".";
    return common::FromUtf8(path);
  }
  std::string exe(path, static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return L".";
  return common::FromUtf8(exe.substr(0, slash == 0 ? 1 : slash));
}

std::wstring ProgramFile(const std::wstring& name) {
  const std::wstring& dir = State().programDirectory;
  if (dir.empty()) return name;
  if (dir.back() == L'/') return dir + name;
  return dir + L"/" + name;
}

}  // namespace appcore
