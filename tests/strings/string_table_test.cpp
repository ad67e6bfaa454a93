// The library string table: lazy creation from the file beside the
// program, lookups that never fail, release and reload.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/program_path.h"
#include "common/text.h"
#include "strings/string_table.h"

namespace {

using namespace hwscope::strings;

std::string TempFile(const std::string& name) {
  return ::testing::TempDir() + "hwstr_" + std::to_string(getpid()) + "_" + name;
}

// A complete file whose texts are the key names, with `overrides` applied
// and `skip` left out.
void WriteTable(const std::string& path, const std::vector<std::pair<int, std::string>>& overrides,
                int skip = -1) {
  std::ofstream out(path, std::ios::binary);
  out << "\xEF\xBB\xBF# test table\r\n";
  for (int i = 0; i < kHwKeyCount; ++i) {
    if (i == skip) continue;
    std::string text = kHwKeyNames[i];
    for (const auto& [key, value] : overrides)
      if (key == i) text = value;
    out << kHwKeyNames[i] << ",\"" << text << "\",\r\n";
  }
}

std::wstring W(const std::string& s) { return common::FromUtf8(s); }

class StringTable : public ::testing::Test {
 protected:
  void TearDown() override { Release(); }
};

TEST_F(StringTable, LoadsTheFileBesideTheProgramOnFirstUse) {
  // The build copies the shipped file beside every program in bin/.
  std::ifstream beside(common::ProgramDirectory() + "/Hwscope_localization.txt");
  ASSERT_TRUE(beside.good()) << "no string file in " << common::ProgramDirectory();
  Release();
  EXPECT_STREQ(Text(SMART_ATTR_TEMPERATURE), L"Temperature");
  EXPECT_EQ(TextCopy(HW_IDS_YES), L"Yes");
  Release();
  EXPECT_EQ(Create(nullptr), -1);
}

TEST_F(StringTable, OutOfRangeAndMissingTextsAreEmptyNeverNull) {
  for (int index : {kHwKeyCount, -1, 100000}) {
    const wchar_t* text = Text(index);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, L"");
    EXPECT_EQ(TextCopy(index), L"");
    wchar_t buf[8] = L"stale";
    CopyText(index, buf, 8);
    EXPECT_STREQ(buf, L"");
  }
}

TEST_F(StringTable, MissingFileGivesEmptyTexts) {
  std::wstring path = W(TempFile("absent.txt"));
  EXPECT_EQ(Create(path.c_str()), 0);
  EXPECT_STREQ(Text(SMART_ATTR_TEMPERATURE), L"");
  wchar_t buf[16] = L"stale";
  CopyText(SMART_ATTR_TEMPERATURE, buf, 16);
  EXPECT_STREQ(buf, L"");
}

TEST_F(StringTable, PartialFileKeepsWhatItDefines) {
  std::string path = TempFile("partial.txt");
  WriteTable(path, {{SMART_ATTR_TEMPERATURE, "Temperature"}}, SMART_ATTR_UNKNOWN_ATTRIBUTE);
  // One comment line plus every key but one: the result is the line count.
  EXPECT_EQ(Create(W(path).c_str()), kHwKeyCount);
  EXPECT_STREQ(Text(SMART_ATTR_TEMPERATURE), L"Temperature");
  EXPECT_STREQ(Text(SMART_ATTR_UNKNOWN_ATTRIBUTE), L"");
  std::remove(path.c_str());
}

TEST_F(StringTable, CopyTextCutsToTheBuffer) {
  std::string path = TempFile("cut.txt");
  WriteTable(path, {{SMART_ATTR_TEMPERATURE, "01234567890123456789"}});
  ASSERT_EQ(Create(W(path).c_str()), -1);
  wchar_t buf[16];
  CopyText(SMART_ATTR_TEMPERATURE, buf, 16);
  EXPECT_STREQ(buf, L"012345678901234");
  wchar_t one[1] = {L'x'};
  CopyText(SMART_ATTR_TEMPERATURE, one, 1);
  EXPECT_EQ(one[0], L'\0');
  CopyText(SMART_ATTR_TEMPERATURE, nullptr, 4);  // ignored, no crash
  std::remove(path.c_str());
}

TEST_F(StringTable, ReleaseThenReloadPicksUpAnEditedFile) {
  std::string path = TempFile("edit.txt");
  WriteTable(path, {{HW_IDS_YES, "Yes"}});
  ASSERT_EQ(Create(W(path).c_str()), -1);
  EXPECT_STREQ(Text(HW_IDS_YES), L"Yes");
  WriteTable(path, {{HW_IDS_YES, "Ja"}});
  EXPECT_STREQ(Text(HW_IDS_YES), L"Yes");  // loaded texts do not change
  Release();
  ASSERT_EQ(Create(W(path).c_str()), -1);
  EXPECT_STREQ(Text(HW_IDS_YES), L"Ja");
  // After a release the next lookup creates the table from the default file.
  Release();
  EXPECT_STREQ(Text(HW_IDS_YES), L"Yes");
  std::remove(path.c_str());
}

TEST_F(StringTable, ConcurrentLookupsAndReleases) {
  std::atomic<bool> bad{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &bad] {
      for (int i = 0; i < 3000; ++i) {
        if (t == 0 && i % 50 == 0) {
          Release();
          continue;
        }
        std::wstring name = TextCopy(SMART_ATTR_TEMPERATURE);
        wchar_t buf[32];
        CopyText(SMART_ATTR_POWER_ON_TIME, buf, 32);
        if (name != L"Temperature" || std::wstring(buf) != L"Power-On Hours") bad = true;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_FALSE(bad);
}

}  // namespace
