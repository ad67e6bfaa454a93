// The book settings text ("#SYSTEM" lines): key lookup, switches, numbers
// and the menu blocks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bookloom {

// Reads a 32-bit integer: leading blanks, an optional sign, decimal digits
// or a "$", "x" or "0x" prefix for hexadecimal (up to 8 hex digits, taken
// as 32-bit two's complement). False for anything else.
bool ParseInt32(std::u16string_view text, std::int32_t& value);

class TBookSettings {
 public:
  TBookSettings() = default;
  explicit TBookSettings(std::vector<std::u16string> lines) : fLines(std::move(lines)) {}

  const std::vector<std::u16string>& Lines() const { return fLines; }
  bool Empty() const { return fLines.empty(); }

  // Value of the first line whose text before its first "=" equals key
  // ignoring case; empty when there is none.
  std::u16string Value(std::u16string_view key) const;
  bool Has(std::u16string_view key) const;
  // On only when the value is exactly "1".
  bool Switch(std::u16string_view key) const { return Value(key) == u"1"; }
  std::int32_t Number(std::u16string_view key, std::int32_t def) const;

  // True when a line equals `header` ignoring case (e.g. "[MainMenu]").
  bool HasHeader(std::u16string_view header) const;
  // Lines after `header` up to the end, the first line that is empty after
  // trimming blanks, or the first line that begins with "[".
  std::vector<std::u16string> Block(std::u16string_view header) const;

 private:
  std::vector<std::u16string> fLines;
};

}  // namespace bookloom
