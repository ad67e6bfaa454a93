#include "ui/ui_text.h"

namespace ui {

std::wstring TwoKeys(sw::AppKey a, sw::AppKey b) {
  return appcore::LocText(a) + L"\n" + appcore::LocText(b);
}

appcore::MessageAnswer Message(const std::wstring& text, const std::wstring& title,
                               appcore::MessageIcon icon, appcore::MessageButtons buttons) {
  return appcore::Messages().Show(text, title, icon, buttons);
}

}  // namespace ui
