// The viewer's command line: book file argument, instance key, the
// "/defpos:" argument and context numbers.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

namespace bookloom {

// Most arguments handed to a running viewer, and their longest length.
inline constexpr int kMaxHandedArgs = 10;
inline constexpr int kMaxHandedArgLength = 300;

// Extension from the last "." after the last "\", "/" or ":"; empty when
// there is none.
QString ArgExtension(const QString& arg);
// Not empty, an extension (lower case) that is empty or does not occur in
// ".html", and an existing file.
bool IsBookFileArgument(const QString& arg);
// Executable file name + book file name + "Sem"; the executable's file name
// alone when there is no book argument.
QString InstanceKey(const QString& exePath, const QString& bookArg);

struct TDefaultPos {
  QRect rect;              // left, top, width, height; all 0 when none
  bool stayOnTop = false;
  bool found = false;
};
// Finds the first "/defpos:" argument, parses and removes it.
TDefaultPos TakeDefaultPos(QStringList& args);
// Numbers of a "/defpos:" argument after its prefix.
TDefaultPos ParseDefaultPos(const QString& rest);

// A 64-bit integer whose low 32 bits are not all zero.
bool IsContextNumber(const QString& arg);
// Page of the first map line whose text before "=" equals arg ignoring
// case; empty when there is none.
QString MapContext(const QStringList& map, const QString& arg);

// The arguments as handed to a running viewer: at most 10, each cut to 300
// characters.
QStringList LimitHandedArgs(const QStringList& args);

}  // namespace bookloom
