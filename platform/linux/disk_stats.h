// Cumulative I/O counters of block devices from /proc/diskstats.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/platform.h"

namespace platform::linux_backend {

// Counters by kernel device name; tickMs is left 0. The kernel counts
// sectors of 512 bytes whatever the device's block size.
std::map<std::string, DiskActivitySample> ParseDiskStats(const std::string& text);

}  // namespace platform::linux_backend
