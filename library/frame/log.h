// The library debug log. Every part of the library writes through these;
// nothing is formatted while logging is off.
#pragma once

#include <cstdint>
#include <string>

namespace hwscope {

bool LoggingOn();
// Writes one finished message through the single writer (prefix, time, date).
void LogMessage(const std::string& messageUtf8);
// printf-style: formats (narrow format, UTF-8 strings for %s) and writes the
// line when logging is on.
void Logf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// As Logf, with `.  GetLastError() = %d, "%s"` appended for `error`.
void LogfError(std::uint32_t error, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The system's message for an error code, or "Error: could not format descripton (%d)".
std::string SystemErrorText(std::uint32_t code);
// Time budget of one device's acquisition, milliseconds.
int InitTimeoutMs();

// Wide <-> UTF-8 helpers for log arguments.
std::string Utf8(const std::wstring& text);
std::string Utf8(const wchar_t* text);

}  // namespace hwscope
