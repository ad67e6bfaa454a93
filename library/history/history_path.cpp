#include "history/history_path.h"

#include <unistd.h>

#include <climits>
#include <cstdio>

namespace hwscope::history {

namespace {

std::string g_testFolder;

void AppendUtf8(std::string* out, char32_t c) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

void SetHistoryFolderForTesting(const std::string& folder) { g_testFolder = folder; }

bool HistoryFolder(std::string* folder) {
  if (!g_testFolder.empty()) {
    *folder = g_testFolder;
    return true;
  }
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return false;
  std::string exe(path, static_cast<std::size_t>(n));
  std::size_t slash = exe.find_last_of('/');
  if (slash == std::string::npos) return false;
  exe.resize(slash == 0 ? 1 : slash);
  folder->swap(exe);
  return true;
}

std::string HistoryFileName(const std::wstring& serial) {
  std::string name;
  for (wchar_t w : serial) {
    auto c = static_cast<char32_t>(w);
    if (c < 0x20 || c == 0x7F || c == '%' || c == '/' || c == '\\' || (c >= 0xD800 && c < 0xE000) ||
        c > 0x10FFFF) {
      char esc[16];
      std::snprintf(esc, sizeof esc, "%%%02X", static_cast<unsigned>(c & 0xFF));
      name += esc;
    } else {
      AppendUtf8(&name, c);
    }
  }
  return name + ".bin";
}

}  // namespace hwscope::history
