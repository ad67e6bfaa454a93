#include "linux/sysfs_util.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform::linux_backend {

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

std::string ReadAttribute(const std::filesystem::path& path) {
  auto text = ReadWholeFile(path);
  if (!text) return {};
  std::string line = text->substr(0, text->find('\n'));
  const char* blanks = " \t\r\n";
  auto first = line.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  auto last = line.find_last_not_of(blanks);
  return line.substr(first, last - first + 1);
}

std::optional<std::uint64_t> ReadNumber(const std::filesystem::path& path) {
  std::string text = ReadAttribute(path);
  std::uint64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool ParseMajorMinor(const std::string& text, unsigned* major, unsigned* minor) {
  auto colon = text.find(':');
  if (colon == std::string::npos) return false;
  const char* begin = text.data();
  const char* end = begin + text.size();
  auto r1 = std::from_chars(begin, begin + colon, *major);
  auto r2 = std::from_chars(begin + colon + 1, end, *minor);
  return r1.ec == std::errc() && r1.ptr == begin + colon && r2.ec == std::errc() && r2.ptr == end;
}

}  // namespace platform::linux_backend
