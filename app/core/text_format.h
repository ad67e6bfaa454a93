// printf-style formatting of translated texts with typed arguments.
//
// Texts come from the string file, so a translator may write any
// placeholder. The conversions follow the wide-character printf convention
// of the texts: %s takes a wide text, %S an 8-bit text; %d %i %u %ld %lu
// %lld %llu %x %c %f %.1f and friends take numbers. A placeholder whose
// argument is missing or of another kind is written with the argument it
// has (or left out); nothing here can read past the argument list.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace appcore {

using FormatArg = std::variant<std::int64_t, double, std::wstring, std::string>;

std::wstring FormatTextV(const std::wstring& format, const std::vector<FormatArg>& args);

inline FormatArg ToFormatArg(int v) { return static_cast<std::int64_t>(v); }
inline FormatArg ToFormatArg(unsigned v) { return static_cast<std::int64_t>(v); }
inline FormatArg ToFormatArg(long v) { return static_cast<std::int64_t>(v); }
inline FormatArg ToFormatArg(unsigned long v) { return static_cast<std::int64_t>(v); }
inline FormatArg ToFormatArg(long long v) { return static_cast<std::int64_t>(v); }
inline FormatArg ToFormatArg(unsigned long long v) { return static_cast<std::int64_t>(v); }
inline FormatArg ToFormatArg(double v) { return v; }
inline FormatArg ToFormatArg(float v) { return static_cast<double>(v); }
inline FormatArg ToFormatArg(const std::wstring& v) { return v; }
inline FormatArg ToFormatArg(const wchar_t* v) { return std::wstring(v ? v : L""); }
inline FormatArg ToFormatArg(const std::string& v) { return v; }
inline FormatArg ToFormatArg(const char* v) { return std::string(v ? v : ""); }

template <typename... Args>
std::wstring FormatText(const std::wstring& format, const Args&... args) {
  return FormatTextV(format, std::vector<FormatArg>{ToFormatArg(args)...});
}

}  // namespace appcore
