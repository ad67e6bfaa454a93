// The Linux backend of the platform layer over a root folder ("/" for the
// running machine; a fixture tree in tests).
#pragma once

#include <filesystem>
#include <memory>

#include "platform/platform.h"

namespace platform::linux_backend {

std::shared_ptr<Platform> CreateLinuxPlatform(const std::filesystem::path& root);

}  // namespace platform::linux_backend
