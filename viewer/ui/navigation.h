// The viewer's navigation rules: what happens to a URL the browser is about
// to load, and how an "exec:" or shell target splits into program and
// parameters.
#pragma once

#include <QString>
#include <QStringList>

namespace bookloom {

enum class TNavAction {
  Allow,     // load it in the viewer
  Exec,      // run through RunExternal, cancel
  OpenBook,  // "cmd:openbook": the open command, cancel
  External,  // hand to the desktop's browser or mail program, cancel
};

// Decides a navigation of the main browser. Prefixes are compared ignoring
// case; baseURL is the page server's base URL.
TNavAction DecideNavigation(const QString& url, const QString& baseURL, bool openExternal);

// A new-window request: web addresses leave the viewer, everything else is
// shown in the viewer's own window.
bool NewWindowGoesExternal(const QString& url);

struct TExternalTarget {
  QString program;
  QString parameters;
  QStringList arguments;  // parameters split as a shell would (book first)
};
// Splits a decoded target: "exec:" + program + ";" + parameters, otherwise
// program + tab + parameters. A target whose program is a book
// (".pagemint", or the extension of the open book file unless ".exe")
// becomes the viewer itself with the book as first parameter.
TExternalTarget SplitExternalTarget(const QString& decoded, const QString& dataFile,
                                    const QString& viewerExe);

}  // namespace bookloom
