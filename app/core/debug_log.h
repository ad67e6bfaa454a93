// The application's debug log: one 8-bit text line per event, appended to
// SpindlewatchLog.txt in the program directory, only in debug mode. The file
// is opened and closed per line so it can be read or removed while we run.
#pragma once

#include <string>

namespace appcore {

// Path of the debug log file (program directory + log file name).
std::wstring DebugLogPath();

// Appends "Spindlewatch: <HH:mm:ss> <dd-MMM-yyyy> - <message>\n" when debug
// mode is on; a file that cannot be opened loses the line silently.
void WriteDebugLog(const std::wstring& message);

// "%s[%d]: " prefix of lines that name the reporting operation and place.
std::wstring LogPlace(const char* function, int place);

}  // namespace appcore
