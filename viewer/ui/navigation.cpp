#include "navigation.h"

#include <QProcess>

#include "command_line.h"

namespace bookloom {

namespace {
bool Starts(const QString& s, const QString& prefix) {
  return !prefix.isEmpty() && s.startsWith(prefix, Qt::CaseInsensitive);
}
}  // namespace

TNavAction DecideNavigation(const QString& url, const QString& baseURL, bool openExternal) {
  if (url == QStringLiteral("about:blank")) return TNavAction::Allow;
  if (Starts(url, QStringLiteral("exec:"))) return TNavAction::Exec;
  if (Starts(url, QStringLiteral("cmd:"))) {
    if (url.compare(QStringLiteral("cmd:openbook"), Qt::CaseInsensitive) == 0) return TNavAction::OpenBook;
    return TNavAction::Allow;
  }
  if (Starts(url, baseURL) || Starts(url, QStringLiteral("javascript:")) || Starts(url, QStringLiteral("res:")))
    return TNavAction::Allow;
  if (openExternal) return TNavAction::External;
  if (Starts(url, QStringLiteral("http://")) || Starts(url, QStringLiteral("https://"))) return TNavAction::Allow;
  return TNavAction::External;
}

bool NewWindowGoesExternal(const QString& url) {
  return Starts(url, QStringLiteral("http://")) || Starts(url, QStringLiteral("https://"));
}

TExternalTarget SplitExternalTarget(const QString& decoded, const QString& dataFile,
                                    const QString& viewerExe) {
  TExternalTarget t;
  QString text = decoded;
  QChar sep = u'\t';
  if (Starts(text, QStringLiteral("exec:"))) {
    text = text.mid(5);
    sep = u';';
  }
  const qsizetype at = text.indexOf(sep);
  t.program = at < 0 ? text : text.left(at);
  t.parameters = at < 0 ? QString() : text.mid(at + 1);
  const QString ext = ArgExtension(t.program);
  const QString bookExt = ArgExtension(dataFile);
  const bool isBook = ext.compare(QStringLiteral(".pagemint"), Qt::CaseInsensitive) == 0 ||
                      (ext.compare(bookExt, Qt::CaseInsensitive) == 0 &&
                       bookExt.compare(QStringLiteral(".exe"), Qt::CaseInsensitive) != 0);
  t.arguments = QProcess::splitCommand(t.parameters);
  if (isBook) {
    t.arguments.prepend(t.program);
    t.parameters = t.program + u' ' + t.parameters;
    t.program = viewerExe;
  }
  return t;
}

}  // namespace bookloom
