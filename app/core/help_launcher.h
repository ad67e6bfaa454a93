// Starting the help book viewer on a topic page, and the maker's home page
// in the default browser. Neither waits for the started program.
#pragma once

#include <string>
#include <vector>

namespace appcore {

// Starts program detached (double fork, so no zombie is left) with the
// given arguments. Returns 0 when it was started, else the errno of the
// failed start (for example ENOENT for a missing program).
int LaunchDetached(const std::string& program, const std::vector<std::string>& arguments);

// <program dir>/Help/Spindlewatch_Help
std::wstring HelpViewerPath();

// Starts the help viewer with the one argument "index.html?<topic>" (the
// viewer receives it as one argument, blanks and all). On failure shows the
// fixed message for the error under "Spindlewatch - Could not open help."
// and returns the error; 0 on success.
int OpenHelpTopic(const std::wstring& topic);

// The text shown when the help viewer could not be started.
std::wstring HelpFailureText(int error);

// Opens the maker's web address with xdg-open; on failure shows
// ERROR_CANNOT_START_BROWSER under MB_TITLE_NO_DEFAULT_BROWSER. 0 or the
// error.
int OpenHomePage();

}  // namespace appcore
