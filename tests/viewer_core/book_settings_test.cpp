// Book settings grammar and the window configuration computed from it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "book_fixtures.h"
#include "book_settings.h"
#include "text_util.h"
#include "window_config.h"
#include "winpos_store.h"

namespace bookloom {
namespace {

TEST(BookSettingsNumbers, ParseInt32Table) {
  struct Case {
    std::u16string text;
    bool ok;
    std::int32_t value;
  } cases[] = {
      {u"0", true, 0},          {u"42", true, 42},           {u"  -17", true, -17},
      {u"+8", true, 8},         {u"$FF", true, 255},         {u"0x1f", true, 31},
      {u"X10", true, 16},       {u"-$10", true, -16},        {u"$FFFFFFF8", true, -8},
      {u"2147483647", true, 2147483647}, {u"-2147483648", true, -2147483647 - 1},
      {u"2147483648", false, 0}, {u"$100000000", false, 0},  {u"", false, 0},
      {u"   ", false, 0},       {u"12px", false, 0},         {u"1 ", false, 0},
      {u"abc", false, 0},       {u"$", false, 0},            {u"0x", false, 0},
      {u"-", false, 0},         {u"1.5", false, 0},          {u"$G1", false, 0},
  };
  for (const auto& c : cases) {
    std::int32_t v = 12345;
    EXPECT_EQ(ParseInt32(c.text, v), c.ok) << U16ToUtf8(c.text);
    if (c.ok) {
      EXPECT_EQ(v, c.value) << U16ToUtf8(c.text);
    }
  }
}

TEST(BookSettingsLookup, FirstLineInAnySectionIgnoringCase) {
  TBookSettings s({u"[System]", u"title=First", u"[Window]", u"TITLE=Second", u"Title",
                   u"Width =7", u"Empty=", u"Debug= 1", u"Eq=a=b"});
  EXPECT_EQ(s.Value(u"Title"), u"First");
  EXPECT_EQ(s.Value(u"Width"), u"");  // the key is "Width " with a blank
  EXPECT_FALSE(s.Has(u"Width"));
  EXPECT_TRUE(s.Has(u"Empty"));
  EXPECT_EQ(s.Value(u"Eq"), u"a=b");
  EXPECT_FALSE(s.Switch(u"Debug"));  // only exactly "1"
  EXPECT_FALSE(s.Has(u"[System]"));
  EXPECT_EQ(s.Number(u"Missing", 9), 9);
}

TEST(BookSettingsLookup, MenuBlocksEndAtBlankOrSection) {
  TBookSettings s({u"[MainMenu]", u"0 0 Caption", u"1 2 A\ta.htm", u"   ", u"1 2 B",
                   u"[contextmenu]", u"1 1 Copy\t:copy", u"[Other]", u"1 1 X"});
  EXPECT_EQ(s.Block(u"[MainMenu]").size(), 2u);
  EXPECT_EQ(s.Block(u"[ContextMenu]"), std::vector<std::u16string>{u"1 1 Copy\t:copy"});
  EXPECT_TRUE(s.Block(u"[Missing]").empty());
}

struct Fixture {
  TWindowState window;
  std::vector<TMonitor> monitors;
  Fixture() {
    window.bounds = {300, 200, 766, 565};
    window.clientWidth = 750;
    window.clientHeight = 526;
    monitors.push_back({{0, 0, 1920, 1080}, 96, true});
    monitors.push_back({{1920, 0, 1280, 1024}, 144, false});
  }
  TWindowConfig Compute(std::vector<std::u16string> lines, TRect defpos = {},
                        const TWinPosStore* store = nullptr) const {
    return ComputeWindowConfig(TBookSettings(std::move(lines)), window, monitors, defpos, store,
                               u"/opt/book.pagemint");
  }
};

TEST(WindowConfig, NoSettingsGiveTheDefaults) {
  Fixture f;
  TWindowConfig c = f.Compute({});
  EXPECT_EQ(c.title, u"Pagemint Viewer");
  EXPECT_EQ(c.producerID, u"qz.8");
  EXPECT_TRUE(c.sizeable);
  EXPECT_TRUE(c.moveWindow);
  EXPECT_EQ(c.bounds, (TRect{50, 50, 766, 565}));
  EXPECT_FALSE(c.menuBarVisible);
  EXPECT_FALSE(c.userDefaultMenu);
  ASSERT_EQ(c.contextMenu.items.size(), 1u);
  EXPECT_EQ(c.contextMenu.items[0]->caption, u"Open Pagemint Book");
  EXPECT_EQ(c.contextMenu.items[0]->type, 1);
  EXPECT_EQ(c.contextMenu.items[0]->command, u":openbook");
  EXPECT_FALSE(c.maximized);
  EXPECT_FALSE(c.debug);
  EXPECT_FALSE(c.appButtonColorsSet);
  EXPECT_EQ(c.colors, TAppButtonColors{});
}

TEST(WindowConfig, BadValuesTakeTheirDefaults) {
  Fixture f;
  TWindowConfig c = f.Compute({u"Charset=abc", u"Title=   ", u"ProducerID=", u"KioskMode=yes",
                               u"SaveRegistry=true", u"Sizeable= 0", u"DefaultWidth=12px",
                               u"DefaultHeight=", u"AspectRatio=-5", u"Centered=yes",
                               u"Maximized=on", u"AppButtonColor=zz", u"AppButtonHighlight=$FF",
                               u"AppButtonFontColor=1e3", u"Debug= 1", u"OpenExternal=01"});
  EXPECT_EQ(c.charset, 1);
  EXPECT_EQ(c.title, u"Pagemint Viewer");
  EXPECT_EQ(c.producerID, u"qz.8");
  EXPECT_FALSE(c.kioskMode);
  EXPECT_FALSE(c.saveRegistry);
  EXPECT_TRUE(c.sizeable);
  EXPECT_EQ(c.forceAspectRatio, 0.0f);
  // Width and height keep the window's; "Centered" defaults to 1.
  EXPECT_EQ(c.bounds, (TRect{(1920 - 766) / 2, (1080 - 565) / 2, 766, 565}));
  EXPECT_FALSE(c.maximized);
  EXPECT_TRUE(c.validateWinpos);
  EXPECT_TRUE(c.appButtonColorsSet);
  EXPECT_EQ(c.colors.color, 4230911u);
  EXPECT_EQ(c.colors.highlight, 255u);
  EXPECT_EQ(c.colors.fontColor, 16777215u);
  EXPECT_FALSE(c.debug);
  EXPECT_FALSE(c.openExternal);
  EXPECT_TRUE(c.userDefaultMenu);  // lines but no [ContextMenu]
}

TEST(WindowConfig, SizesScaleAndClampToTheMonitor) {
  Fixture f;
  TWindowConfig c = f.Compute({u"DefaultWidth=-1", u"DefaultHeight=5000", u"Centered=0"});
  EXPECT_EQ(c.bounds, (TRect{300, 200, 766, 1080}));
  EXPECT_FALSE(c.moveWindow);
  // On the 144 dpi monitor 800 x 600 become 1200 x 900.
  f.window.bounds.left = 2000;
  c = f.Compute({u"DefaultWidth=800", u"DefaultHeight=600", u"Centered=0"});
  EXPECT_EQ(c.bounds.width, 1200);
  EXPECT_EQ(c.bounds.height, 900);
}

TEST(WindowConfig, AspectRatioSetsTheBrowserHeight) {
  Fixture f;
  TWindowConfig c = f.Compute({u"DefaultWidth=800", u"AspectRatio=13333"});
  const int frameWidth = 766 - 750, chrome = 565 - 526;
  EXPECT_FLOAT_EQ(c.forceAspectRatio, 1.3333f);
  EXPECT_EQ(c.bounds.height - chrome, 588);  // (800 - 16) / 1.3333
  EXPECT_EQ(c.bounds.width - frameWidth, 784);
  EXPECT_EQ(c.minHeight, RoundHalfEven(400.0 * c.bounds.height / 800));
  // A menu bar is chrome too: the browser below it keeps the ratio.
  c = f.Compute({u"DefaultWidth=800", u"AspectRatio=13333", u"[MainMenu]", u"0 0 Help"});
  EXPECT_EQ(c.bounds.height - chrome - 31, 588);
  // Saved sizes keep the ratio of the default width.
  test::TempDir dir;
  TWinPosStore store(dir.file("w.reg"));
  ASSERT_TRUE(store.Write(u"/opt/book.pagemint", FormatWinPos({10, 10, 1000, 100}, false)));
  c = f.Compute({u"DefaultWidth=800", u"AspectRatio=13333", u"SaveRegistry=1"}, {}, &store);
  EXPECT_EQ(c.bounds, (TRect{10, 10, 1000, chrome + 588}));
}

TEST(WindowConfig, SavedAndCommandLinePositions) {
  Fixture f;
  test::TempDir dir;
  TWinPosStore store(dir.file("cfg/Bookloom.reg"));
  ASSERT_TRUE(store.Write(u"/opt/book.pagemint", u"FFFFFFF8000000100000032000000258" u"0"));
  TWindowConfig c = f.Compute({u"SaveRegistry=1"}, {}, &store);
  EXPECT_EQ(c.bounds, (TRect{-8, 16, 800, 600}));
  EXPECT_TRUE(c.moveWindow);
  EXPECT_FALSE(c.maximized);
  // Saving off: the saved value is not used.
  c = f.Compute({u"SaveRegistry=0", u"Centered=0"}, {}, &store);
  EXPECT_EQ(c.bounds, (TRect{300, 200, 766, 565}));
  // A value ending in "1" starts maximised.
  ASSERT_TRUE(store.Write(u"/opt/book.pagemint", u"00000010000000100000032000000258" u"1"));
  EXPECT_TRUE(f.Compute({u"SaveRegistry=1"}, {}, &store).maximized);
  // A value shorter than 33 characters is ignored.
  ASSERT_TRUE(store.Write(u"/opt/book.pagemint", u"0000001000000010000003200000025"));
  c = f.Compute({u"SaveRegistry=1", u"Centered=0"}, {}, &store);
  EXPECT_EQ(c.bounds, (TRect{300, 200, 766, 565}));
  // The command line wins over the saved value, unless left and top are 0.
  c = f.Compute({u"SaveRegistry=1"}, {10, 20, 800, 600}, &store);
  EXPECT_EQ(c.bounds, (TRect{10, 20, 800, 600}));
  c = f.Compute({u"Centered=0"}, {0, 0, 800, 600}, &store);
  EXPECT_EQ(c.bounds, (TRect{300, 200, 766, 565}));
  // After creation only the size is taken.
  f.window.creating = false;
  c = f.Compute({}, {10, 20, 800, 600});
  EXPECT_EQ(c.bounds, (TRect{50, 50, 766, 565}));  // no lines: the 50, 50 rule
  c = f.Compute({u"Title=x"}, {10, 20, 800, 600});
  EXPECT_EQ(c.bounds, (TRect{300, 200, 800, 600}));
  EXPECT_FALSE(c.moveWindow);
}

TEST(WindowConfig, KioskMode) {
  Fixture f;
  TWindowConfig c = f.Compute({u"KioskMode=1", u"SaveRegistry=1", u"OpenExternal=1",
                               u"Sizeable=1", u"DefaultWidth=300", u"[MainMenu]", u"0 0 Help", u"",
                               u"[ContextMenu]", u"1 1 Copy\t:copy"});
  EXPECT_TRUE(c.kioskMode);
  EXPECT_TRUE(c.maximized);
  EXPECT_FALSE(c.sizeable);
  EXPECT_FALSE(c.saveRegistry);
  EXPECT_FALSE(c.openExternal);
  EXPECT_FALSE(c.menuBarVisible);
  EXPECT_EQ(c.bounds, f.window.bounds);
  ASSERT_EQ(c.contextMenu.items.size(), 1u);
  EXPECT_EQ(c.contextMenu.items[0]->command, u":copy");
}

TEST(WindowConfig, MenusFromTheSettings) {
  Fixture f;
  TWindowConfig c = f.Compute({u"[MainMenu]", u"0 0 Spindlewatch Help   ", u"1 5 Help",
                               u"2 2 Topic\tpage.htm", u"1,6,x", u"1 1 &Print it\t:print",
                               u"1 3 \thttp://a", u"1 9 Odd", u"[ContextMenu]", u"1 4 Run\tprog\targs"});
  EXPECT_TRUE(c.menuBarVisible);
  EXPECT_EQ(c.appButtonCaption, u"Spindlewatch Help");
  const auto& items = c.mainMenu.items;
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0]->caption, u"Help");
  EXPECT_EQ(items[0]->type, 5);
  ASSERT_EQ(items[0]->children.size(), 1u);
  EXPECT_EQ(items[0]->children[0]->caption, u"Topic");
  EXPECT_EQ(items[0]->children[0]->type, 2);
  EXPECT_EQ(items[0]->children[0]->command, u"page.htm");
  EXPECT_TRUE(items[1]->separator);
  EXPECT_EQ(items[1]->caption, u"-");
  EXPECT_EQ(items[2]->command, u":print");
  EXPECT_EQ(StripAccelerators(items[2]->caption), u"Print it");
  EXPECT_TRUE(items[3]->separator);  // empty caption
  EXPECT_EQ(items[3]->command, u"http://a");
  EXPECT_EQ(items[4]->type, 9);
  ASSERT_EQ(c.contextMenu.items.size(), 1u);
  EXPECT_EQ(c.contextMenu.items[0]->command, u"prog\targs");
  EXPECT_FALSE(c.userDefaultMenu);
}

TEST(WindowConfig, NestedSubmenusClimbToTheRightLevel) {
  TBookMenu m;
  for (auto line : {u"1 5 A", u"2 5 B", u"3 2 b1\tb1.htm", u"2 2 a1\ta1.htm", u"1 2 top\tt.htm",
                    u"x y short", u"2"})
    m.AddMenuLine(line);
  ASSERT_EQ(m.items.size(), 3u);
  const auto& a = *m.items[0];
  ASSERT_EQ(a.children.size(), 3u);
  EXPECT_TRUE(a.children[2]->separator);  // "2": level 2, no caption
  EXPECT_EQ(a.children[0]->caption, u"B");
  ASSERT_EQ(a.children[0]->children.size(), 1u);
  EXPECT_EQ(a.children[0]->children[0]->caption, u"b1");
  EXPECT_EQ(a.children[1]->caption, u"a1");
  EXPECT_EQ(m.items[1]->caption, u"top");
  EXPECT_EQ(m.items[2]->level, 0);  // non-digit level: top level, does nothing
  EXPECT_EQ(m.items[2]->type, 0);
}

TEST(WindowConfig, ColoursTitleAndSwitches) {
  Fixture f;
  TWindowConfig c = f.Compute({u"Title= My Book ", u"ProducerID=acme", u"AppButtonColor=$00FF00",
                               u"AppButtonFontHighlight=0", u"DisplayPageTitle=1",
                               u"OpenExternal=1", u"Commandline=1", u"Debug=1", u"INDEX=start.htm",
                               u"Charset=$EE"});
  EXPECT_EQ(c.title, u" My Book ");
  EXPECT_EQ(c.producerID, u"acme");
  EXPECT_TRUE(c.appButtonColorsSet);
  EXPECT_EQ(c.colors.color, 0x00FF00u);
  EXPECT_EQ(c.colors.highlight, 27391u);
  EXPECT_EQ(c.colors.fontHighlight, 0u);
  EXPECT_TRUE(c.displayPageTitle && c.openExternal && c.commandLine && c.debug);
  EXPECT_EQ(c.index, u"start.htm");
  EXPECT_EQ(c.charset, 0xEE);
}

TEST(WindowPosition, SavedTextFormat) {
  EXPECT_EQ(FormatWinPos({-8, 16, 800, 600}, false), u"FFFFFFF8000000100000032000000258" u"0");
  EXPECT_EQ(FormatWinPos({0, 0, 1, 2}, true), u"00000000000000000000000100000002" u"1");
}

TEST(WindowPosition, ValidateWinposKeepsTheWindowOnAMonitor) {
  std::vector<TMonitor> mons = {{{0, 0, 1920, 1080}, 96, true}, {{1920, 0, 1280, 1024}, 96, false}};
  TWinposInput w;
  w.bounds = {100, 100, 800, 600};
  EXPECT_FALSE(ValidateWinpos(w, mons, false).changed);
  // Saved on a monitor that is gone: to the nearest monitor's corner.
  w.bounds = {5000, 100, 800, 600};
  TWinposResult r = ValidateWinpos(w, mons, false);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(r.bounds, (TRect{1920, 0, 800, 600}));
  // Centre off-screen: moved and shrunk to the monitor, then kept >= minimum.
  w.bounds = {1500, 700, 2000, 2000};
  w.minWidth = 400;
  w.minHeight = 1200;
  r = ValidateWinpos(w, mons, false);
  EXPECT_EQ(r.bounds, (TRect{1920, 0, 1280, 1200}));  // the monitor it overlaps most
  // Centring where the window is smaller than the monitor.
  w = {};
  w.bounds = {-3000, 10, 800, 600};
  w.maximized = true;
  r = ValidateWinpos(w, mons, true);
  EXPECT_TRUE(r.restoreNormal);
  EXPECT_EQ(r.bounds, (TRect{-4 + (1928 - 800) / 2, -4 + (1088 - 600) / 2, 800, 600}));
}

TEST(WindowPosition, AspectRatioOnResize) {
  TRect window{0, 0, 816, 639};
  int w = 816, h = 739;  // the user drags the bottom edge
  AspectCanResize(1.3333f, false, window, 800, 600, w, h);
  EXPECT_EQ(w, 16 + RoundHalfEven(1.3333 * 700));
  w = 1016;
  h = 639;
  AspectCanResize(1.3333f, false, window, 800, 600, w, h);
  EXPECT_EQ(h, 39 + RoundHalfEven(1000 / 1.3333));
  w = 900;
  h = 100;
  AspectCanResize(1.3333f, true, window, 800, 600, w, h);  // maximised: free
  AspectCanResize(0, false, window, 800, 600, w, h);       // no ratio: free
  EXPECT_EQ(w, 900);
  EXPECT_EQ(h, 100);
}

TEST(WindowPosition, Rounding) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfAway(2.5), 3);
  EXPECT_EQ(RoundHalfAway(-2.5), -3);
  EXPECT_EQ(StripAccelerators(u"a&&b&"), u"a&b&");
  EXPECT_EQ(StripAccelerators(u"E&xit"), u"Exit");
}

TEST(WinPosStoreFile, RoundTripAndDefaultPath) {
  test::TempDir dir;
  TWinPosStore store(dir.file("sub/dir/Bookloom.reg"));
  EXPECT_FALSE(store.KeyExists());
  std::u16string v;
  EXPECT_FALSE(store.Read(u"a", v));
  const std::u16string odd = u"C:\\Books\\\"quoted\" = b\u00fccher.pagemint";
  ASSERT_TRUE(store.Write(odd, u"00000001000000020000000300000004" u"0"));
  ASSERT_TRUE(store.Write(u"/usr/bin/bookloom", u"x"));
  ASSERT_TRUE(store.Write(odd, u"0000000A000000020000000300000004" u"1"));
  EXPECT_TRUE(store.KeyExists());
  ASSERT_TRUE(store.Read(odd, v));
  EXPECT_EQ(v, u"0000000A000000020000000300000004" u"1");
  ASSERT_TRUE(store.Read(u"/usr/bin/bookloom", v));
  EXPECT_EQ(v, u"x");

  const char* old = std::getenv("XDG_CONFIG_HOME");
  std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  EXPECT_EQ(TWinPosStore::DefaultPath(), dir.path() + "/BRENVALE/Bookloom.reg");
  if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else unsetenv("XDG_CONFIG_HOME");

  // A file that cannot be written is an ignored error, not a crash.
  TWinPosStore bad("/proc/no/such/Bookloom.reg");
  EXPECT_FALSE(bad.Write(u"a", u"b"));
}

}  // namespace
}  // namespace bookloom
