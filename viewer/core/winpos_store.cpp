#include "winpos_store.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "text_util.h"

// File layout (UTF-8):
//   [\SOFTWARE\BRENVALE\Bookloom]
//   "value name"="data"
// with backslash and double quote escaped by a backslash inside the quotes.

namespace bookloom {

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out.push_back('\\');
    if (c == '\n') { out += "\\n"; continue; }
    if (c == '\r') { out += "\\r"; continue; }
    out.push_back(c);
  }
  return out + "\"";
}

// Reads a quoted text at `i`; false when malformed.
bool Unquote(const std::string& line, std::size_t& i, std::string& out) {
  if (i >= line.size() || line[i] != '"') return false;
  out.clear();
  for (++i; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"') {
      ++i;
      return true;
    }
    if (c == '\\' && i + 1 < line.size()) {
      c = line[++i];
      if (c == 'n') c = '\n';
      else if (c == 'r') c = '\r';
    }
    out.push_back(c);
  }
  return false;
}

// Loads the values under the key; false when the file or key is missing.
bool Load(const std::string& path, Entries& entries) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string header = "[" + U16ToUtf8(kWinPosKey) + "]";
  bool inKey = false, found = false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      inKey = line == header;
      found = found || inKey;
      continue;
    }
    if (!inKey) continue;
    std::size_t i = 0;
    std::string name, value;
    if (!Unquote(line, i, name) || i >= line.size() || line[i] != '=') continue;
    ++i;
    if (!Unquote(line, i, value)) continue;
    entries.emplace_back(std::move(name), std::move(value));
  }
  return found;
}

}  // namespace

TWinPosStore::TWinPosStore(std::string path) : fPath(path.empty() ? DefaultPath() : std::move(path)) {}

std::string TWinPosStore::DefaultPath() {
  std::string base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : "/tmp") + "/.config";
  }
  return base + "/BRENVALE/Bookloom.reg";
}

bool TWinPosStore::KeyExists() const {
  Entries e;
  return Load(fPath, e);
}

bool TWinPosStore::Read(const std::u16string& name, std::u16string& value) const {
  Entries entries;
  if (!Load(fPath, entries)) return false;
  const std::string key = U16ToUtf8(name);
  for (const auto& [n, v] : entries)
    if (n == key) {
      value = Utf8ToU16(v);
      return true;
    }
  return false;
}

bool TWinPosStore::Write(const std::u16string& name, const std::u16string& value) const {
  Entries entries;
  Load(fPath, entries);
  const std::string key = U16ToUtf8(name), data = U16ToUtf8(value);
  bool replaced = false;
  for (auto& [n, v] : entries)
    if (n == key) {
      v = data;
      replaced = true;
    }
  if (!replaced) entries.emplace_back(key, data);

  std::error_code ec;
  std::filesystem::path p(fPath);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
  const std::string tmp = fPath + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << "[" << U16ToUtf8(kWinPosKey) << "]\n";
    for (const auto& [n, v] : entries) out << Quote(n) << "=" << Quote(v) << "\n";
    out.flush();
    if (!out) {
      std::filesystem::remove(tmp, ec);
      return false;
    }
  }
  std::filesystem::rename(tmp, fPath, ec);
  if (ec) {
    std::filesystem::remove(tmp, ec);
    return false;
  }
  return true;
}

}  // namespace bookloom
