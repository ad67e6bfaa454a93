// The program's command line: -c <settings path>, -d, -m, CHECKTEC,
// DEBUGMODE.
#pragma once

#include <string>
#include <vector>

namespace appcore {

// Examines every argument, the program path included, in order, and sets
// the application state (configPath, debugMode, checkMode, startHidden).
// An argument of two or more characters starting with "-" is an option
// named by its second character (case matters, the rest is ignored); "-c"
// takes the following argument as the settings path, which is then
// examined in its own right; "-c" as the last argument is ignored. Other
// arguments are compared exactly with "CHECKTEC" and "DEBUGMODE". Turning
// on debug mode outside check mode shows the "Spindlewatch Debug mode ON"
// message.
void ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace appcore
