// Starting the help viewer: one argument, detached, and the failure texts.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/text.h"
#include "core/app_state.h"
#include "core/help_launcher.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

class HelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = appcore::State();
    appcore::State().programDirectory = common::FromUtf8(dir.path());
  }
  void TearDown() override { appcore::State() = saved; }
  apptest::TempDir dir;
  appcore::AppState saved;
  apptest::RecordingSink sink;
};

TEST_F(HelpTest, TopicWithBlanksArrivesAsOneArgument) {
  fs::create_directories(dir.File("Help"));
  std::string viewer = dir.File("Help/Spindlewatch_Help");
  std::string out = dir.File("args.txt");
  apptest::WriteFile(viewer, "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > " + out + ".tmp\nmv " +
                                 out + ".tmp " + out + "\n");
  chmod(viewer.c_str(), 0755);
  EXPECT_EQ(appcore::OpenHelpTopic(L"hid overview.htm"), 0);
  EXPECT_TRUE(sink.shown.empty());
  // The viewer runs detached; wait for its output (generous for a loaded machine).
  for (int i = 0; i < 600 && !fs::exists(out); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(apptest::ReadFile(out), "1|index.html?hid overview.htm|");
}

TEST_F(HelpTest, MissingViewerShowsFileNotFound) {
  EXPECT_EQ(appcore::OpenHelpTopic(L"hid_overview.htm"), ENOENT);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, L"The specified file was not found.");
  EXPECT_EQ(sink.shown[0].title, L"Spindlewatch - Could not open help.");
  EXPECT_EQ(sink.shown[0].icon, appcore::MessageIcon::Warning);
}

TEST(HelpTexts, Table) {
  EXPECT_EQ(appcore::HelpFailureText(ENOTDIR), L"The specified path was not found.");
  EXPECT_EQ(appcore::HelpFailureText(ENOMEM),
            L"There was not enough memory to complete the operation.");
  EXPECT_EQ(appcore::HelpFailureText(EACCES),
            L"An error occurred while trying to open the browser.");
}

}  // namespace
