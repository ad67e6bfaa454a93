// Conversions between wide text (wchar_t, UTF-32 here), UTF-8 and UTF-16LE.
#pragma once

#include <string>

namespace common {

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
// UTF-16LE bytes (no byte-order mark) of a wide text.
std::string ToUtf16Le(const std::wstring& text);
// Wide text from UTF-16LE bytes; an odd last byte is dropped.
std::wstring FromUtf16Le(const std::string& bytes);

}  // namespace common
