// Where the running program lives.
#pragma once

#include <string>

namespace common {

// Folder of the running executable without the trailing '/', or an empty
// text when /proc/self/exe cannot be read.
std::string ProgramDirectory();

}  // namespace common
