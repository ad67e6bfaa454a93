// Texts and message boxes of the windows: texts come from the application's
// string table; message boxes go through the core's message sink, so tests
// record them instead of blocking on a modal box.
#pragma once

#include <QString>
#include <string>

#include "common/spindlewatch_keys.h"
#include "core/message_sink.h"
#include "core/texts.h"

namespace ui {

inline QString Q(const std::wstring& text) { return QString::fromStdWString(text); }
inline std::wstring W(const QString& text) { return text.toStdWString(); }

// The key's text.
inline QString Tr(sw::AppKey key) { return Q(appcore::LocText(key)); }

// The key's text used as a format.
template <typename... Args>
QString TrFormat(sw::AppKey key, const Args&... args) {
  return Q(appcore::LocFormat(key, args...));
}

// Text of key a, a line feed, then key b's text (two-key messages).
std::wstring TwoKeys(sw::AppKey a, sw::AppKey b);

// A message box through the process-wide sink.
appcore::MessageAnswer Message(const std::wstring& text, const std::wstring& title,
                               appcore::MessageIcon icon,
                               appcore::MessageButtons buttons = appcore::MessageButtons::Ok);
inline appcore::MessageAnswer Message(sw::AppKey text, sw::AppKey title, appcore::MessageIcon icon) {
  return Message(appcore::LocText(text), appcore::LocText(title), icon);
}

}  // namespace ui
