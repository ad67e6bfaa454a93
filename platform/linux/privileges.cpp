#include "linux/privileges.h"

#include <unistd.h>

#include <cstdint>
#include <sstream>

#include "linux/sysfs_util.h"

namespace platform::linux_backend {

bool HasEffectiveCapability(const std::string& statusText, int capability) {
  std::istringstream lines(statusText);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("CapEff:", 0) != 0) continue;
    std::string hex = line.substr(7);
    std::size_t used = 0;
    std::uint64_t mask = 0;
    try {
      mask = std::stoull(hex, &used, 16);
    } catch (...) {
      return false;
    }
    return capability >= 0 && capability < 64 && ((mask >> capability) & 1) != 0;
  }
  return false;
}

bool ProcessIsAdministrator() {
  if (geteuid() == 0) return true;
  auto status = ReadWholeFile("/proc/self/status");
  return status && HasEffectiveCapability(*status, kCapSysRawio);
}

}  // namespace platform::linux_backend
