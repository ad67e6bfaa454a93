// Small UTF-16 text helpers shared by the book reader, settings and server.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bookloom {

// UTF-8 <-> UTF-16. Invalid UTF-8 bytes become U+FFFD.
std::u16string Utf8ToU16(std::string_view s);
std::string U16ToUtf8(std::u16string_view s);

// 8-bit text in Windows-1252 (the legacy books' code page) to UTF-16.
std::u16string Cp1252ToU16(std::string_view s);

// Simple one-to-one case folding (ASCII, Latin-1, Latin Extended-A, Greek,
// Cyrillic) used for every "ignoring case" comparison of the viewer.
char16_t FoldChar(char16_t c);
std::u16string FoldCase(std::u16string_view s);
bool SameText(std::u16string_view a, std::u16string_view b);
bool StartsWithText(std::u16string_view s, std::u16string_view prefix);

// Removes blanks (and control characters) at both ends / at the end.
std::u16string Trim(std::u16string_view s);
std::u16string TrimRight(std::u16string_view s);

// Splits text at CR, LF or CR LF; a final line ending adds no empty line.
void SplitLines(std::u16string_view text, std::vector<std::u16string>& out);

}  // namespace bookloom
