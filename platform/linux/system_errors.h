// Windows error codes for kernel errno values, and their message texts.
#pragma once

#include <cstdint>
#include <string>

namespace platform::linux_backend {

// Error for a failed open of a device path.
std::uint32_t OpenErrorFromErrno(int error);
// Error for a failed device request.
std::uint32_t IoErrorFromErrno(int error);
// The system text of a Windows error code; empty when unknown.
std::wstring SystemErrorText(std::uint32_t code);

}  // namespace platform::linux_backend
