// Command-line grammar and navigation rules of the viewer.
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "command_line.h"
#include "navigation.h"
#include "toolbar_images.h"

using namespace bookloom;

namespace {
const QString kBase = QStringLiteral("http://127.0.0.1:8000/qz.8/ABC/");
}

TEST(ViewerNavigation, DecisionTable) {
  struct Case {
    const char* url;
    bool openExternal;
    TNavAction want;
  } cases[] = {
      {"about:blank", true, TNavAction::Allow},
      {"EXEC:notepad;x.txt", false, TNavAction::Exec},
      {"cmd:openbook", false, TNavAction::OpenBook},
      {"CMD:OpenBook", false, TNavAction::OpenBook},
      {"cmd:other", true, TNavAction::Allow},
      {"http://127.0.0.1:8000/qz.8/ABC/index.html", true, TNavAction::Allow},
      {"HTTP://127.0.0.1:8000/QZ.8/abc/page.htm", true, TNavAction::Allow},
      {"javascript:void(0)", true, TNavAction::Allow},
      {"res:something", true, TNavAction::Allow},
      {"https://example.com/", false, TNavAction::Allow},
      {"http://example.com/", false, TNavAction::Allow},
      {"https://example.com/", true, TNavAction::External},
      {"http://127.0.0.1:8001/other/", true, TNavAction::External},
      {"mailto:someone@example.com", false, TNavAction::External},
      {"file:///etc/passwd", false, TNavAction::External},
      {"ftp://example.com/", false, TNavAction::External},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecideNavigation(QString::fromUtf8(c.url), kBase, c.openExternal), c.want) << c.url;
  EXPECT_TRUE(NewWindowGoesExternal(QStringLiteral("HTTPS://x/")));
  EXPECT_TRUE(NewWindowGoesExternal(kBase + QStringLiteral("page.htm")));
  EXPECT_FALSE(NewWindowGoesExternal(QStringLiteral("cmd:openbook")));
}

TEST(ViewerNavigation, ExternalTargets) {
  const QString viewer = QStringLiteral("/opt/bookloom");
  const QString book = QStringLiteral("/b/book.pagemint");
  TExternalTarget t = SplitExternalTarget(QStringLiteral("exec:prog;-a b"), book, viewer);
  EXPECT_EQ(t.program, QStringLiteral("prog"));
  EXPECT_EQ(t.arguments, (QStringList{"-a", "b"}));
  t = SplitExternalTarget(QStringLiteral("prog\t\"one arg\""), book, viewer);
  EXPECT_EQ(t.program, QStringLiteral("prog"));
  EXPECT_EQ(t.arguments, QStringList{"one arg"});
  // Another book starts a new viewer with it.
  t = SplitExternalTarget(QStringLiteral("exec:other.PAGEMINT;index.html"), book, viewer);
  EXPECT_EQ(t.program, viewer);
  EXPECT_EQ(t.arguments, (QStringList{"other.PAGEMINT", "index.html"}));
  // With the appended book open, a target without extension is a book too.
  t = SplitExternalTarget(QStringLiteral("exec:manual2"), QString(), viewer);
  EXPECT_EQ(t.program, viewer);
  EXPECT_EQ(t.arguments, QStringList{"manual2"});
  // The same extension as an ".exe" book file is a program.
  t = SplitExternalTarget(QStringLiteral("exec:tool.exe"), QStringLiteral("book.exe"), viewer);
  EXPECT_EQ(t.program, QStringLiteral("tool.exe"));
}

TEST(ViewerCommandLine, BookFileArgument) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QStringList names = {"book.pagemint", "noext", "page.htm", "page.h", "page.", "x.html"};
  for (const QString& n : names) {
    QFile f(dir.filePath(n));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_TRUE(IsBookFileArgument(dir.filePath("book.pagemint")));
  EXPECT_TRUE(IsBookFileArgument(dir.filePath("noext")));
  for (const char* n : {"page.htm", "page.h", "page.", "x.html"})
    EXPECT_FALSE(IsBookFileArgument(dir.filePath(n))) << n;
  EXPECT_FALSE(IsBookFileArgument(dir.filePath("missing.pagemint")));
  EXPECT_FALSE(IsBookFileArgument(QString()));
  EXPECT_FALSE(IsBookFileArgument(QStringLiteral("index.html?hid_overview.htm")));
  EXPECT_EQ(ArgExtension(QStringLiteral("index.html?hid_overview.htm")), QStringLiteral(".htm"));
  EXPECT_EQ(ArgExtension(QStringLiteral("C:\\a.b\\book")), QString());
}

TEST(ViewerCommandLine, InstanceKey) {
  EXPECT_EQ(InstanceKey(QStringLiteral("/x/Help/Spindlewatch_Help"), QString()), QStringLiteral("Spindlewatch_Help"));
  EXPECT_EQ(InstanceKey(QStringLiteral("/x/bookloom"), QStringLiteral("/b/My.pagemint")),
            QStringLiteral("bookloomMy.pagemintSem"));
}

TEST(ViewerCommandLine, DefaultPosition) {
  struct Case {
    const char* arg;
    QRect rect;
    bool onTop;
  } cases[] = {
      {"/defpos:10,20,800,600,stayontop", QRect(10, 20, 800, 600), true},
      {"/DEFPOS:10,20,800,600, StayOnTop ", QRect(10, 20, 800, 600), true},
      {"/defpos:0,0,800,600", QRect(0, 0, 800, 600), false},
      {"/defpos:-5,x,300", QRect(-5, 0, 300, 0), false},
      {"/defpos:", QRect(0, 0, 0, 0), false},
      {"/defpos:1,2,3,4,other", QRect(1, 2, 3, 4), false},
  };
  for (const auto& c : cases) {
    QStringList args = {"page.htm", QString::fromUtf8(c.arg), "/defpos:9,9,9,9"};
    const TDefaultPos pos = TakeDefaultPos(args);
    EXPECT_TRUE(pos.found);
    EXPECT_EQ(pos.rect, c.rect) << c.arg;
    EXPECT_EQ(pos.stayOnTop, c.onTop) << c.arg;
    EXPECT_EQ(args, (QStringList{"page.htm", "/defpos:9,9,9,9"})) << "only the first one is taken";
  }
  QStringList none = {"a", "b"};
  EXPECT_FALSE(TakeDefaultPos(none).found);
  EXPECT_EQ(none.size(), 2);
}

TEST(ViewerCommandLine, ContextNumbersAndMap) {
  for (const char* yes : {"1", "1002", "-7", "4294967297"}) EXPECT_TRUE(IsContextNumber(yes)) << yes;
  for (const char* no : {"0", "4294967296", "8589934592", "12a", "", "page.htm"})
    EXPECT_FALSE(IsContextNumber(no)) << no;
  const QStringList map = {"1000=index.html?a.htm", "1002=index.html?b.htm", "1002=second.htm"};
  EXPECT_EQ(MapContext(map, QStringLiteral("1002")), QStringLiteral("index.html?b.htm"));
  EXPECT_EQ(MapContext(map, QStringLiteral("1001")), QString());
}

TEST(ViewerCommandLine, HandedArgumentLimits) {
  QStringList many;
  for (int i = 0; i < 12; ++i) many << QString(400, QChar('a' + i));
  const QStringList handed = LimitHandedArgs(many);
  ASSERT_EQ(handed.size(), kMaxHandedArgs);
  for (const QString& s : handed) EXPECT_EQ(s.size(), kMaxHandedArgLength);
}

TEST(ViewerToolbar, ImageListByDpi) {
  struct Case {
    int dpi, size;
  } cases[] = {{96, 20}, {119, 20}, {120, 30}, {144, 30}, {170, 30}, {171, 60}, {180, 60},
               {191, 60}, {192, 40}, {250, 40}, {251, 60}};
  for (const auto& c : cases) EXPECT_EQ(ImageListSize(c.dpi), c.size) << c.dpi;
}
