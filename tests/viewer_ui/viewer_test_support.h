// Helpers of the viewer window tests: books written on the fly, waiting on
// the browser, running page scripts.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <QString>
#include <QVariant>

#include "viewer_main.h"

namespace viewertest {

inline constexpr int kLoadTimeoutMs = 90000;

// Folder for this run's books (also XDG_RUNTIME_DIR and XDG_CONFIG_HOME).
QString RunFolder();

// Writes a book: pages by name and the "#SYSTEM" and "#MAP" lines.
QString WriteBook(const QString& fileName, const std::map<std::u16string, std::string>& pages,
                  const std::vector<std::u16string>& system,
                  const std::vector<std::u16string>& map = {});

// Waits until the browser has finished loading a page whose URL ends with
// `suffix` (and, when `base` is set, begins with the form's base URL).
bool WaitForPage(bookloom::TFrmViewerMain* form, const QString& suffix, int timeoutMs = kLoadTimeoutMs);
// Runs a script in the page and returns its result.
QVariant RunScript(bookloom::TFrmViewerMain* form, const QString& script, int timeoutMs = 30000);
// Waits until the script's result equals `want`.
bool WaitForScript(bookloom::TFrmViewerMain* form, const QString& script, const QVariant& want,
                   int timeoutMs = kLoadTimeoutMs);

}  // namespace viewertest
