// The viewer's main form end to end: the packaged help viewer with the
// manual appended, command-line pages, a later start, the context map,
// "close", commands and external links, zoom keys, and books replaced while
// the page server answers requests.
#include <atomic>
#include <random>
#include <thread>

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QWebEngineView>
#include <QtTest/QTest>

#include <gtest/gtest.h>
#include <httplib.h>

#include "viewer_test_support.h"
#include "winpos_store.h"

using bookloom::TFrmViewerMain;
using namespace viewertest;

namespace {

// Receives what the viewer hands to the desktop, so that no real browser
// or mail program starts.
class TUrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls << url; }
};

class ViewerForm : public ::testing::Test {
 protected:
  TFrmViewerMain* Make(const QStringList& args, const QString& exe = QStringLiteral(SW_HELP_VIEWER)) {
    form = new TFrmViewerMain({exe, args});
    if (!form->CanStart) return form;
    form->ShowForm();
    return form;
  }
  void TearDown() override {
    if (form) delete form.data();
  }
  QPointer<TFrmViewerMain> form;
};

std::string LinksPage() {
  return "<html><head><title>Test book</title></head><body>"
         "<a id='ext' href='https://example.com/outside'>ext</a> "
         "<a id='mail' href='mailto:someone@example.com'>mail</a> "
         "<a id='cmd' href='cmd:openbook'>open</a> "
         "<a id='blankpage' target='_blank' href='page2.html'>page2</a> "
         "<a id='blankext' target='_blank' href='https://example.org/'>ext2</a>"
         "</body></html>";
}

}  // namespace

TEST_F(ViewerForm, ManualOpensAtItsStartPage) {
  Make({});
  ASSERT_TRUE(form->CanStart);
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/index.html")));
  EXPECT_EQ(form->DataFile(), QString()) << "the appended book";
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Spindlewatch Help"));
  EXPECT_TRUE(form->MenuBarVisible());
  // The contents page puts the overview into its topic frame.
  EXPECT_TRUE(WaitForScript(form, QStringLiteral("document.getElementById('topic').contentDocument.title"),
                            QStringLiteral("Overview")));
  // Book menus: the main menu has the Topics submenu, the context menu the
  // browser commands bound to the actions.
  QStringList main;
  for (QAction* a : form->MainMenuPopup()->actions()) main << a->text();
  EXPECT_TRUE(main.contains(QStringLiteral("&Topics"))) << main.join('|').toStdString();
  EXPECT_TRUE(form->ContextMenuPopup()->actions().contains(form->ActionByHint(QStringLiteral(":copy"))));
}

TEST_F(ViewerForm, PageArgumentShowsThatPage) {
  Make({QStringLiteral("index.html?hid_smart.htm")});
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/index.html?hid_smart.htm")));
  EXPECT_TRUE(WaitForScript(form, QStringLiteral("document.getElementById('topic').contentDocument.title"),
                            QStringLiteral("SMART attributes")));
}

TEST_F(ViewerForm, ContextNumbersGoThroughTheMap) {
  Make({QStringLiteral("1008")});
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/index.html?hid_export.htm")));
  delete form.data();
  // A number the map lacks gives the start page.
  Make({QStringLiteral("424242")});
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/index.html")));
}

TEST_F(ViewerForm, CloseArgumentClosesTheWindow) {
  Make({QStringLiteral("index.html?hid_smart.htm"), QStringLiteral("CLOSE"), QStringLiteral("never.htm")});
  ASSERT_TRUE(form->CanStart);
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.isNull(); }, kLoadTimeoutMs));
}

TEST_F(ViewerForm, LaterStartHandsItsArgumentsToTheFirst) {
  Make({});
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/index.html")));
  QProcess later;
  later.start(QStringLiteral(SW_HELP_VIEWER), {QStringLiteral("index.html?hid_history.htm")});
  ASSERT_TRUE(later.waitForStarted(30000));
  // The later process ends by itself; meanwhile this one serves the hand-over.
  ASSERT_TRUE(QTest::qWaitFor([&] { return later.state() == QProcess::NotRunning; }, kLoadTimeoutMs));
  EXPECT_EQ(later.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(later.exitCode(), 0);
  EXPECT_TRUE(WaitForPage(form, QStringLiteral("/index.html?hid_history.htm")));
  // A later start without arguments returns to the start page.
  later.start(QStringLiteral(SW_HELP_VIEWER), {});
  ASSERT_TRUE(QTest::qWaitFor([&] { return later.state() == QProcess::NotRunning; }, kLoadTimeoutMs));
  EXPECT_TRUE(WaitForPage(form, QStringLiteral("/index.html")));
}

TEST_F(ViewerForm, CmdOpenBookLinkRunsTheOpenCommand) {
  const QString first = WriteBook("links.pagemint", {{u"index.html", LinksPage()}}, {u"Title=Links"});
  const QString second = WriteBook("second.pagemint", {{u"start.html", "<title>Second</title>second"}},
                                   {u"Title=Second book", u"INDEX=start.html"});
  Make({first});
  form->FOpenBookDialog = [&](QWidget*, const QString&) { return second; };
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/index.html")));
  EXPECT_EQ(form->DataFile(), first);
  ASSERT_TRUE(WaitForScript(form, QStringLiteral("!!document.getElementById('cmd')"), true))
      << RunScript(form, QStringLiteral("document.documentElement.outerHTML")).toString().toStdString();
  RunScript(form, QStringLiteral("document.getElementById('cmd').click()"));
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/start.html")));
  EXPECT_EQ(form->DataFile(), second);
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Second book"));
}

TEST_F(ViewerForm, ExternalLinksAreNotLoadedInTheViewer) {
  TUrlCatcher catcher;
  for (const char* scheme : {"http", "https", "mailto"})
    QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");
  const QString book = WriteBook("external.pagemint",
                                 {{u"index.html", LinksPage()}, {u"page2.html", "<title>2</title>two"}},
                                 {u"Title=External", u"OpenExternal=1"});
  Make({book});
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/index.html")));
  ASSERT_TRUE(WaitForScript(form, QStringLiteral("!!document.getElementById('ext')"), true));
  const QUrl start = form->Browser()->url();
  QSignalSpy opened(form.data(), &TFrmViewerMain::ExternalOpened);
  QSignalSpy moved(form->Browser(), &QWebEngineView::urlChanged);
  for (const char* id : {"ext", "mail", "blankext", "blankpage"}) {
    const int before = int(opened.count());
    RunScript(form, QStringLiteral("document.getElementById('%1').click()").arg(QLatin1String(id)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened.count() > before; }, 30000)) << id;
  }
  QStringList urls;
  for (const auto& args : opened) urls << args.at(0).toString();
  EXPECT_EQ(urls, (QStringList{"https://example.com/outside", "mailto:someone@example.com",
                               "https://example.org/", form->BaseURL() + "page2.html"}));
  EXPECT_EQ(catcher.urls.size(), 4);
  EXPECT_EQ(moved.count(), 0);
  EXPECT_EQ(form->Browser()->url(), start);
  for (const char* scheme : {"http", "https", "mailto"}) QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

TEST_F(ViewerForm, ZoomKeysStepByTenBetweenLimits) {
  Make({});
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/index.html")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->Zoom() == form->DefaultZoomValue; }, 10000));
  QWidget* target = form->Browser()->focusProxy() ? form->Browser()->focusProxy() : form->Browser();
  auto press = [&](Qt::Key key, int times) {
    for (int i = 0; i < times; ++i) {
      QTest::keyPress(target, key, Qt::ControlModifier);
      QTest::keyRelease(target, key, Qt::ControlModifier);
    }
  };
  press(Qt::Key_0, 1);
  ASSERT_EQ(form->Zoom(), form->DefaultZoomValue);
  const int base = form->Zoom();
  press(Qt::Key_Plus, 10);
  EXPECT_EQ(form->Zoom(), base + 100);
  // Steps of ten continue past 400, up to the browser's largest zoom.
  const int past400 = (410 - base + 9) / 10;
  press(Qt::Key_0, 1);
  press(Qt::Key_Plus, past400);
  EXPECT_EQ(form->Zoom(), base + 10 * past400);
  press(Qt::Key_Plus, 50);
  EXPECT_EQ(form->Zoom(), 500);
  press(Qt::Key_0, 1);
  press(Qt::Key_Minus, (base - 30) / 10);
  EXPECT_EQ(form->Zoom(), 30);
  press(Qt::Key_Minus, 1);
  EXPECT_EQ(form->Zoom(), 25);
  press(Qt::Key_Minus, 1);
  EXPECT_EQ(form->Zoom(), 25);
}

TEST_F(ViewerForm, BookWithoutSettingsAndNoBookUseDefaults) {
  // An executable without a book appended: built-in start page, defaults.
  Make({}, QCoreApplication::applicationFilePath());
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/:default.html")));
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Pagemint Viewer"));
  EXPECT_FALSE(form->MenuBarVisible());
  const QList<QAction*> items = form->ContextMenuPopup()->actions();
  ASSERT_EQ(items.size(), 1);
  EXPECT_EQ(items[0], form->ActionByHint(QStringLiteral(":openbook")));
  EXPECT_EQ(items[0]->text(), QStringLiteral("Open Pagemint Book"));
}

TEST_F(ViewerForm, WindowPositionIsSavedOnClose) {
  const QString book = WriteBook("saved.pagemint", {{u"index.html", "<title>s</title>saved"}},
                                 {u"SaveRegistry=1", u"DefaultWidth=640", u"DefaultHeight=480"});
  Make({book});
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/index.html")));
  const QRect r = form->frameGeometry();
  form->close();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.isNull(); }, 30000));
  std::u16string saved;
  ASSERT_TRUE(bookloom::TWinPosStore().Read(book.toStdU16String(), saved));
  EXPECT_EQ(saved, bookloom::FormatWinPos({r.x(), r.y(), r.width(), r.height()}, false));
  EXPECT_NEAR(r.width(), 640, 20) << "DefaultWidth of the book";
}

TEST_F(ViewerForm, DebugLogAndExecLinks) {
  const QString book = WriteBook(
      "debug.pagemint",
      {{u"index.html", "<title>d</title><a id='exec' href='exec:/bin/true;one%20two'>run</a>"}},
      {u"Debug=1"});
  Make({book});
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/index.html")));
  QSignalSpy ran(form.data(), &TFrmViewerMain::ExternalRun);
  ASSERT_TRUE(WaitForScript(form, QStringLiteral("!!document.getElementById('exec')"), true));
  RunScript(form, QStringLiteral("document.getElementById('exec').click()"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return ran.count() == 1; }, 30000));
  EXPECT_EQ(ran[0][0].toString(), QStringLiteral("/bin/true"));
  EXPECT_EQ(ran[0][1].toStringList(), (QStringList{"one", "two"})) << "escapes decoded, then split";
  // The server's lines and the window's own reach the debug log.
  QStringList lines;
  for (const auto& l : form->Log().Lines()) lines << QString::fromStdU16String(l);
  const QString all = lines.join('\n');
  EXPECT_TRUE(all.contains(QStringLiteral("Load page: ") + form->BaseURL() + "index.html")) << all.toStdString();
  EXPECT_TRUE(all.contains(QStringLiteral("Ok: index.html"))) << all.toStdString();
  EXPECT_TRUE(all.contains(QStringLiteral("Execute file: exec:/bin/true;one%20two"))) << all.toStdString();
}

// Requests keep being answered, whole and from one book or the other, while
// the books are swapped under the server.
TEST_F(ViewerForm, ReplacingTheBookLosesNoRequest) {
  std::mt19937 rnd(7);
  auto blob = [&](char tag) {
    std::string s(3 << 20, '\0');
    for (char& c : s) c = char(rnd());
    s[0] = tag;
    return s;
  };
  const std::string dataA = blob('A'), dataB = blob('B');
  const QString bookA = WriteBook("swapA.pagemint", {{u"index.html", "<title>a</title>a"}, {u"data.bin", dataA}}, {u"Title=A"});
  const QString bookB = WriteBook("swapB.pagemint", {{u"index.html", "<title>b</title>b"}, {u"data.bin", dataB}}, {u"Title=B"});
  Make({bookA});
  ASSERT_TRUE(WaitForPage(form, QStringLiteral("/index.html")));
  const QUrl base(form->BaseURL());
  const std::string path = base.path().toStdString() + "data.bin";
  std::atomic<bool> finished{false};
  std::atomic<int> good{0}, bad{0};
  std::thread client([&] {
    httplib::Client cli("127.0.0.1", base.port());
    cli.set_read_timeout(60, 0);
    for (int i = 0; i < 30; ++i) {
      auto res = cli.Get(path.c_str());
      if (res && res->status == 200 && (res->body == dataA || res->body == dataB)) ++good;
      else ++bad;
    }
    finished = true;
  });
  int swaps = 0;
  while (!finished && swaps < 2000) {
    form->OpenData(swaps % 2 ? bookA : bookB);
    ++swaps;
    QTest::qWait(5);
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return finished.load(); }, 120000));
  client.join();
  EXPECT_EQ(good.load(), 30);
  EXPECT_EQ(bad.load(), 0);
  EXPECT_GT(swaps, 1);
}

#include "viewer_form_test.moc"
