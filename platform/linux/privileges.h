// Whether this process may send raw device commands.
#pragma once

#include <string>

namespace platform::linux_backend {

inline constexpr int kCapSysRawio = 17;
inline constexpr int kCapSysAdmin = 21;

// True when the "CapEff:" line of a /proc/<pid>/status text has the bit.
bool HasEffectiveCapability(const std::string& statusText, int capability);

// Administrator: effective user 0, or CAP_SYS_RAWIO in the effective set.
bool ProcessIsAdministrator();

}  // namespace platform::linux_backend
