// Control of the debug log writer and the last-error text, used by the
// logging exports.
#pragma once

#include <cstdio>
#include <string>

namespace hwscope {

int StartLogging(const wchar_t* path);
int StartLoggingExisting(std::FILE* stream);
int StopLogging();
// Stores a new log file path (Init's logPath) without starting the log.
void SetLogFilePath(const wchar_t* path);
std::wstring LogFilePath();

void ClearLastErrorText();
std::wstring LastErrorText();
// GetLastErrorString: copies the last-error text into buf (bufLen characters).
int CopyLastErrorText(wchar_t* buf, unsigned bufLen);

}  // namespace hwscope
