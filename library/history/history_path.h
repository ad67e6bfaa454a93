// Where a drive's history file lies: the folder of the running program and
// a file name made from the drive's serial number.
#pragma once

#include <string>

namespace hwscope::history {

// The folder of the running program (no trailing slash), or false when the
// program's path cannot be read. A folder set for testing takes its place.
bool HistoryFolder(std::string* folder);
// "<serial>.bin" with the serial's characters used as they are, except
// that '%', '/', '\\' and control characters are written as %XX, so the
// name never leaves the folder and two serials never share a name by it.
std::string HistoryFileName(const std::wstring& serial);

// Tests and benchmarks keep their files in a folder of their own; an empty
// folder returns to the program's folder.
void SetHistoryFolderForTesting(const std::string& folder);

}  // namespace hwscope::history
