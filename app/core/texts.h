// The application's translated texts, looked up by key in the process-wide
// SpindlewatchLocalization. A missing text reads as empty.
#pragma once

#include <string>

#include "common/spindlewatch_keys.h"
#include "core/text_format.h"

namespace appcore {

std::wstring LocText(sw::AppKey key);

// The key's text used as a format.
template <typename... Args>
std::wstring LocFormat(sw::AppKey key, const Args&... args) {
  return FormatText(LocText(key), args...);
}

}  // namespace appcore
