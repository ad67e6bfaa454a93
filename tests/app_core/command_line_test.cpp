// The command line: options, exact words, and the -c path.
#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/command_line.h"
#include "test_support.h"

namespace {

struct Case {
  std::vector<std::string> args;
  bool debug;
  bool check;
  bool hidden;
  std::wstring configPath;
  int boxes;  // "Debug mode ON" messages
};

TEST(CommandLine, Table) {
  const Case cases[] = {
      {{"sw"}, false, false, false, L"", 0},
      {{"sw", "-d"}, true, false, false, L"", 1},
      {{"sw", "-dx"}, true, false, false, L"", 1},
      {{"sw", "-D"}, false, false, false, L"", 0},
      {{"sw", "debugmode"}, false, false, false, L"", 0},
      {{"sw", "DEBUGMODE"}, true, false, false, L"", 1},
      {{"sw", "checktec"}, false, false, false, L"", 0},
      {{"sw", "CHECKTEC", "-d"}, true, true, false, L"", 0},
      {{"sw", "-d", "CHECKTEC"}, true, true, false, L"", 1},
      {{"sw", "-m"}, false, false, true, L"", 0},
      {{"sw", "-c", "/tmp/x.cfg"}, false, false, false, L"/tmp/x.cfg", 0},
      {{"sw", "-c"}, false, false, false, L"", 0},
      // The path is then examined in its own right.
      {{"sw", "-c", "CHECKTEC"}, false, true, false, L"CHECKTEC", 0},
      {{"sw", "-cfoo", "-m"}, false, false, true, L"-m", 0},
      {{"sw", "-"}, false, false, false, L"", 0},
      {{"sw", "-z", "other"}, false, false, false, L"", 0},
  };
  for (const Case& c : cases) {
    appcore::AppState saved = appcore::State();
    appcore::State() = appcore::AppState{};
    apptest::RecordingSink sink;
    appcore::ParseCommandLine(c.args);
    std::string name;
    for (const auto& a : c.args) name += a + " ";
    EXPECT_EQ(appcore::State().debugMode, c.debug) << name;
    EXPECT_EQ(appcore::State().checkMode, c.check) << name;
    EXPECT_EQ(appcore::State().startHidden, c.hidden) << name;
    EXPECT_EQ(appcore::State().configPath, c.configPath) << name;
    EXPECT_EQ(static_cast<int>(sink.shown.size()), c.boxes) << name;
    if (!sink.shown.empty()) {
      EXPECT_EQ(sink.shown[0].title, L"Spindlewatch Debug mode ON");
      EXPECT_EQ(sink.shown[0].text.rfind(L"Setting debug mode\nLog will be written to the file\n\n \"", 0), 0u);
    }
    appcore::State() = saved;
  }
}

}  // namespace
