#include "core/texts.h"

#include "common/spindlewatch_localization.h"

namespace appcore {

std::wstring LocText(sw::AppKey key) {
  const wchar_t* text = sw::GetLocString(key);
  return text != nullptr ? std::wstring(text) : std::wstring();
}

}  // namespace appcore
