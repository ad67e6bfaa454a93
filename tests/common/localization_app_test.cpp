// The application's process-wide string table.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/spindlewatch_localization.h"
#include "common/text.h"

namespace {

const std::string kShipped = SW_RESOURCES_DIR "/localization.txt";

TEST(AppLocalization, LifecycleOfTheProcessWideTable) {
  sw::DestroyLocalization();
  EXPECT_STREQ(sw::GetLocError(), L"Class not initialized yet. Please call Create() first.");

  ASSERT_EQ(sw::CreateLocalization(common::FromUtf8(kShipped).c_str()), -1) << sw::GetLocError();
  ASSERT_NE(sw::GetLocString(sw::MISC_OK), nullptr);
  EXPECT_STREQ(sw::GetLocString(sw::MISC_OK), L"OK");
  EXPECT_EQ(sw::GetLocString(sw::kAppKeyCount), nullptr);
  EXPECT_STREQ(sw::GetLocError(), L"Error: Array index out of bounds: 344");

  wchar_t buf[sw::kLocCopySize];
  sw::CopyLocString(sw::BUTTON_TEXT_EXIT, buf);
  EXPECT_STREQ(buf, L"Exit");
  sw::CopyLocString(-5, buf);
  EXPECT_STREQ(buf, L"");
  sw::DestroyLocalization();
}

TEST(AppLocalization, MissingFileReportsLineZero) {
  EXPECT_EQ(sw::CreateLocalization(L"/nonexistent/dir/localization.txt"), 0);
  EXPECT_EQ(sw::GetLocString(sw::MISC_OK), nullptr);
  sw::DestroyLocalization();
}

TEST(AppLocalization, LookupWithoutTableLoadsFromTheCurrentFolder) {
  namespace fs = std::filesystem;
  fs::path dir = fs::path(::testing::TempDir()) / ("locapp_" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::copy_file(kShipped, dir / "localization.txt", fs::copy_options::overwrite_existing);
  fs::path before = fs::current_path();
  fs::current_path(dir);
  sw::DestroyLocalization();
  const wchar_t* text = sw::GetLocString(sw::BUTTON_TEXT_HELP);
  fs::current_path(before);
  ASSERT_NE(text, nullptr) << sw::GetLocError();
  EXPECT_STREQ(text, L"Help");
  sw::DestroyLocalization();
  fs::remove_all(dir);
}

}  // namespace
