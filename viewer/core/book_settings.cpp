#include "book_settings.h"

#include "text_util.h"

namespace bookloom {

bool ParseInt32(std::u16string_view s, std::int32_t& value) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  bool hex = false;
  if (i < s.size() && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return false;
  std::uint64_t v = 0;
  const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  for (; i < s.size(); ++i) {
    char16_t c = s[i];
    unsigned d;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    else if (hex && c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else if (hex && c >= u'A' && c <= u'F') d = c - u'A' + 10;
    else return false;
    v = v * (hex ? 16 : 10) + d;
    if (v > limit) return false;
  }
  std::uint32_t u = static_cast<std::uint32_t>(v);
  if (negative) u = 0u - u;
  value = static_cast<std::int32_t>(u);
  return true;
}

static bool KeyOf(const std::u16string& line, std::u16string_view key, std::size_t& eq) {
  eq = line.find(u'=');
  return eq != std::u16string::npos && SameText(std::u16string_view(line).substr(0, eq), key);
}

std::u16string TBookSettings::Value(std::u16string_view key) const {
  std::size_t eq;
  for (const auto& line : fLines)
    if (KeyOf(line, key, eq)) return line.substr(eq + 1);
  return {};
}

bool TBookSettings::Has(std::u16string_view key) const {
  std::size_t eq;
  for (const auto& line : fLines)
    if (KeyOf(line, key, eq)) return true;
  return false;
}

std::int32_t TBookSettings::Number(std::u16string_view key, std::int32_t def) const {
  std::int32_t v;
  return ParseInt32(Value(key), v) ? v : def;
}

bool TBookSettings::HasHeader(std::u16string_view header) const {
  for (const auto& line : fLines)
    if (SameText(line, header)) return true;
  return false;
}

std::vector<std::u16string> TBookSettings::Block(std::u16string_view header) const {
  std::vector<std::u16string> block;
  std::size_t i = 0;
  while (i < fLines.size() && !SameText(fLines[i], header)) ++i;
  for (++i; i < fLines.size(); ++i) {
    const auto& line = fLines[i];
    if (Trim(line).empty() || line[0] == u'[') break;
    block.push_back(line);
  }
  return block;
}

}  // namespace bookloom
