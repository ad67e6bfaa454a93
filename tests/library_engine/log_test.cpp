// The library debug log: line format, UTF-16LE file, path rules, caller
// streams and the last-error text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <thread>

#include "common/text.h"
#include "frame/log.h"
#include "frame/log_control.h"
#include "hwscope/hwscope.h"
#include "strings/string_table.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

std::wstring Wide(const fs::path& p) { return common::FromUtf8(p.string()); }

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = enginetest::InstallBareSystem();
    folder_ = enginetest::MakeTempFolder("log");
    const char* tmp = std::getenv("TMPDIR");
    if (tmp) savedTmp_ = tmp;
    hadTmp_ = tmp != nullptr;
  }
  void TearDown() override {
    HwscopeDll_StopLogging();
    if (hadTmp_) setenv("TMPDIR", savedTmp_.c_str(), 1);
    else unsetenv("TMPDIR");
    fs::remove_all(folder_);
    platform::SetCurrentForTesting(nullptr);
  }
  std::shared_ptr<enginetest::BareSystem> system_;
  fs::path folder_;
  std::string savedTmp_;
  bool hadTmp_ = false;
};

TEST_F(LogTest, LinesCarryElapsedSecondsTimeDateAndMessage) {
  const fs::path file = folder_ / "HwscopeLog.txt";
  ASSERT_EQ(HwscopeDll_StartLogging(Wide(folder_).c_str()), 1);
  system_->tick += 1234;
  hwscope::Logf("Device %d: Model Number \"%s\", trimmedLen = %d", 2, "W\xC3\xA4rmeSSD", 9);
  bool bom = false;
  const std::wstring text = enginetest::ReadUtf16File(file, &bom);
  EXPECT_TRUE(bom);
  const std::wregex line(
      LR"(0\.000s - Hwscope: HwscopeDll: \d\d:\d\d:\d\d \d\d-[A-Za-z]{3}-\d{4} - Hwscope v3\.0 Build: 1000
1\.234s - Hwscope: HwscopeDll: \d\d:\d\d:\d\d \d\d-[A-Za-z]{3}-\d{4} - Device 2: Model Number "WärmeSSD", trimmedLen = 9
)");
  EXPECT_TRUE(std::regex_match(text, line)) << common::ToUtf8(text);
}

TEST_F(LogTest, MessageEndingInLineFeedGetsNoSecond) {
  ASSERT_EQ(HwscopeDll_StartLogging(Wide(folder_).c_str()), 1);
  hwscope::LogMessage("done\n");
  const std::wstring text = enginetest::ReadUtf16File(folder_ / "HwscopeLog.txt");
  EXPECT_NE(text.find(L" - done\n"), std::wstring::npos);
  EXPECT_EQ(text.find(L"done\n\n"), std::wstring::npos);
}

TEST_F(LogTest, ExistingFileIsAppendedWithoutSecondByteOrderMark) {
  const fs::path file = folder_ / "own.log";
  {
    std::ofstream out(file, std::ios::binary);
    out << std::string("\xFF\xFE", 2) << common::ToUtf16Le(L"earlier line\n");
  }
  ASSERT_EQ(HwscopeDll_StartLogging(Wide(file).c_str()), 1);
  hwscope::LogMessage("next");
  const std::wstring text = enginetest::ReadUtf16File(file);
  EXPECT_EQ(text.rfind(L"earlier line\n", 0), 0u);
  EXPECT_EQ(text.find(L'\xFEFF'), std::wstring::npos);
  EXPECT_NE(text.find(L" - next\n"), std::wstring::npos);
}

TEST_F(LogTest, FolderPathGetsTheLogFileNameAndStartsFresh) {
  const fs::path file = folder_ / "HwscopeLog.txt";
  {
    std::ofstream out(file, std::ios::binary);
    out << "old contents";
  }
  ASSERT_EQ(HwscopeDll_StartLogging(Wide(folder_).c_str()), 1);
  EXPECT_EQ(hwscope::LogFilePath(), Wide(file));
  EXPECT_EQ(enginetest::ReadUtf16File(file).find(L"old contents"), std::wstring::npos);
}

TEST_F(LogTest, UncreatablePathFallsBackToTheTempFolder) {
  setenv("TMPDIR", folder_.c_str(), 1);
  const fs::path missing = folder_ / "no" / "such" / "folder";
  ASSERT_EQ(HwscopeDll_StartLogging(Wide(missing).c_str()), 1);
  EXPECT_EQ(hwscope::LogFilePath(), Wide(folder_ / "HwscopeLog.txt"));
  EXPECT_TRUE(fs::exists(folder_ / "HwscopeLog.txt"));
}

TEST_F(LogTest, NoWritableFolderFailsWithTheCreateText) {
  setenv("TMPDIR", (folder_ / "gone").c_str(), 1);
  const fs::path missing = folder_ / "no" / "such" / "folder";
  EXPECT_EQ(HwscopeDll_StartLogging(Wide(missing).c_str()), 0);
  EXPECT_FALSE(hwscope::LoggingOn());
  wchar_t buf[1024];
  EXPECT_EQ(HwscopeDll_GetLastErrorString(buf, 1024), 1);
  const std::wstring expected = hwscope::strings::TextCopy(hwscope::strings::HW_IDS_CREATE_FAIL) +
                                L": " + Wide(folder_ / "gone" / "HwscopeLog.txt");
  EXPECT_EQ(std::wstring(buf), expected);
}

TEST_F(LogTest, UnopenableFileSetsLastErrorAndShortBufferIsCut) {
  ASSERT_EQ(HwscopeDll_StartLogging(Wide(folder_).c_str()), 1);
  // The log file turns into a folder: the next line cannot be written.
  const fs::path file = folder_ / "HwscopeLog.txt";
  fs::remove(file);
  fs::create_directory(file);
  hwscope::LogMessage("lost");
  wchar_t buf[8];
  for (auto& c : buf) c = L'#';
  EXPECT_EQ(HwscopeDll_GetLastErrorString(buf, 5), 1);
  const std::wstring open = hwscope::strings::TextCopy(hwscope::strings::HW_IDS_OPEN_FAIL) +
                            L": " + Wide(file);
  EXPECT_EQ(std::wstring(buf), open.substr(0, 4));
  EXPECT_EQ(buf[5], L'#');
  // The next write and the version query clear it.
  HwscopeDll_GetVersion();
  EXPECT_EQ(HwscopeDll_GetLastErrorString(buf, 8), 1);
  EXPECT_STREQ(buf, L"");
}

TEST_F(LogTest, CallerStreamGetsUtf8LinesAndIsNotClosed) {
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(HwscopeDll_StartLoggingExisting(stream), 1);
  hwscope::Logf("%s ok", "HwscopeDll_Smart_Init");
  EXPECT_EQ(HwscopeDll_StopLogging(), 1);
  hwscope::Logf("not written");
  std::rewind(stream);
  char buf[512] = {};
  const std::size_t n = std::fread(buf, 1, sizeof buf - 1, stream);
  std::fclose(stream);
  const std::string text(buf, n);
  EXPECT_NE(text.find("Hwscope: HwscopeDll: "), std::string::npos);
  EXPECT_NE(text.find(" - Hwscope v3.0 Build: 1000\n"), std::string::npos);
  EXPECT_NE(text.find(" - HwscopeDll_Smart_Init ok\n"), std::string::npos);
  EXPECT_EQ(text.find("not written"), std::string::npos);
}

TEST_F(LogTest, ConcurrentWritersNeverInterleaveLines) {
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  HwscopeDll_StartLoggingExisting(stream);
  std::thread a([] { for (int i = 0; i < 30; ++i) hwscope::Logf("writer-a %d", i); });
  std::thread b([] { for (int i = 0; i < 30; ++i) hwscope::Logf("writer-b %d", i); });
  a.join();
  b.join();
  HwscopeDll_StopLogging();
  std::rewind(stream);
  std::string text;
  char chunk[4096];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, stream)) > 0;) text.append(chunk, n);
  std::fclose(stream);
  const std::regex line(R"(\d+\.\d{3}s - Hwscope: HwscopeDll: \S+ \S+ - (writer-[ab] \d+|Hwscope v3\.0 Build: 1000))");
  int lines = 0;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_TRUE(std::regex_match(text.substr(start, end - start), line)) << text.substr(start, end - start);
    ++lines;
  }
  EXPECT_EQ(lines, 61);
}

TEST_F(LogTest, SystemErrorTextFallsBackToTheCode) {
  EXPECT_EQ(hwscope::SystemErrorText(platform::kErrorNotEnoughMemory),
            "Not enough memory resources are available.");
  EXPECT_EQ(hwscope::SystemErrorText(4711), "Error: could not format descripton (4711)");
}

TEST_F(LogTest, EmptyOrMissingPathKeepsTheCurrentOne) {
  hwscope::SetLogFilePath(L"some/own.log");
  hwscope::SetLogFilePath(L"");
  hwscope::SetLogFilePath(nullptr);
  EXPECT_EQ(hwscope::LogFilePath(), L"some/own.log");
  // At most 259 characters are kept.
  hwscope::SetLogFilePath(std::wstring(400, L'a').c_str());
  EXPECT_EQ(hwscope::LogFilePath().size(), 259u);
}

}  // namespace
