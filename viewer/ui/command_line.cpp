#include "command_line.h"

#include <QFileInfo>

namespace bookloom {

QString ArgExtension(const QString& arg) {
  const qsizetype sep = std::max({arg.lastIndexOf(u'\\'), arg.lastIndexOf(u'/'), arg.lastIndexOf(u':')});
  const qsizetype dot = arg.lastIndexOf(u'.');
  if (dot < 0 || dot < sep) return {};
  return arg.mid(dot);
}

bool IsBookFileArgument(const QString& arg) {
  if (arg.isEmpty()) return false;
  const QString ext = ArgExtension(arg).toLower();
  if (!ext.isEmpty() && QStringLiteral(".html").contains(ext)) return false;
  QFileInfo fi(arg);
  return fi.exists() && fi.isFile();
}

QString InstanceKey(const QString& exePath, const QString& bookArg) {
  const QString exe = QFileInfo(exePath).fileName();
  if (bookArg.isEmpty()) return exe;
  return exe + QFileInfo(bookArg).fileName() + QStringLiteral("Sem");
}

TDefaultPos ParseDefaultPos(const QString& rest) {
  TDefaultPos pos;
  pos.found = true;
  int values[4] = {0, 0, 0, 0};
  QString left = rest;
  bool more = true;
  for (int i = 0; i < 4; ++i) {
    if (!more) break;
    const qsizetype comma = left.indexOf(u',');
    const QString field = comma < 0 ? left : left.left(comma);
    bool ok = false;
    const int v = field.toInt(&ok, 10);
    values[i] = ok ? v : 0;
    if (comma < 0) {
      left.clear();
      more = false;
    } else {
      left = left.mid(comma + 1);
    }
  }
  pos.rect = QRect(values[0], values[1], values[2], values[3]);
  pos.stayOnTop = more && left.trimmed().compare(QStringLiteral("stayontop"), Qt::CaseInsensitive) == 0;
  return pos;
}

TDefaultPos TakeDefaultPos(QStringList& args) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i].left(8).compare(QStringLiteral("/defpos:"), Qt::CaseInsensitive) == 0) {
      TDefaultPos pos = ParseDefaultPos(args[i].mid(8));
      args.removeAt(i);
      return pos;
    }
  }
  return {};
}

bool IsContextNumber(const QString& arg) {
  bool ok = false;
  const qint64 v = arg.toLongLong(&ok, 10);
  return ok && (static_cast<quint64>(v) & 0xFFFFFFFFu) != 0;
}

QString MapContext(const QStringList& map, const QString& arg) {
  for (const QString& line : map) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) continue;
    if (line.left(eq).compare(arg, Qt::CaseInsensitive) == 0) return line.mid(eq + 1);
  }
  return {};
}

QStringList LimitHandedArgs(const QStringList& args) {
  QStringList out;
  for (qsizetype i = 0; i < args.size() && i < kMaxHandedArgs; ++i) out << args[i].left(kMaxHandedArgLength);
  return out;
}

}  // namespace bookloom
