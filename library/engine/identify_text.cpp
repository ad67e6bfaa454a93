#include "engine/identify_text.h"

#include <string_view>

namespace hwscope {

std::wstring WidenField(const std::uint8_t* bytes, std::size_t size) {
  std::wstring text;
  text.reserve(size);
  for (std::size_t i = 0; i < size && bytes[i] != 0; ++i) text += static_cast<wchar_t>(bytes[i]);
  return text;
}

std::wstring TrimText(const std::wstring& text) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] == L' ' || text[end - 1] == L'\0')) --end;
  std::size_t begin = 0;
  while (begin < end && text[begin] == L' ') ++begin;
  return text.substr(begin, end - begin);
}

bool IdentifyStringsInOrder(const std::uint8_t* model, const std::uint8_t* serial) {
  const std::string_view m(reinterpret_cast<const char*>(model), 40);
  auto starts = [&](std::string_view prefix) { return m.substr(0, prefix.size()) == prefix; };
  auto contains = [&](std::string_view part) { return m.find(part) != std::string_view::npos; };
  bool readable = starts("WD") || starts("IB") || contains("Samsung") || contains("SanDisk") ||
                  contains("THNS");
  for (std::string_view p : {"TS32", "TS64", "TS120", "TS128", "TS240", "TS480", "TS256"})
    readable = readable || starts(p);
  readable = readable || (starts("ST") && !contains("SGDS") && !contains("TSEM"));
  return readable && serial[0] != '0';
}

}  // namespace hwscope
