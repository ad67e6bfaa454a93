// Factories of the two backends; Current() picks one of them.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace platform {

// Loads a simulated machine from a JSON machine file. On failure returns
// nullptr and a one-line message naming the file and the field in *error.
std::shared_ptr<Platform> LoadSimulatedMachine(const std::string& path, std::string* error);

// The real machine this process runs on.
std::shared_ptr<Platform> CreateNativePlatform();

}  // namespace platform
