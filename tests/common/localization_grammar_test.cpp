// The string-file grammar and load results of the Localization class.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/localization.h"
#include "common/text.h"

namespace {

const common::KeyEntry kKeys[] = {{"KEY_A", 0}, {"KEY_B", 1}, {"KEY_C", 2}};

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "loc_" + std::to_string(getpid()) + "_" + name;
}

std::string WriteBytes(const std::string& name, const std::string& bytes) {
  std::string path = TempPath(name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string Utf8Bom(const std::string& text) { return "\xEF\xBB\xBF" + text; }

std::string Utf16Bom(const std::wstring& text) { return "\xFF\xFE" + common::ToUtf16Le(text); }

std::wstring Text(common::Localization& loc, int index) {
  const wchar_t* t = loc.GetString(index);
  return t ? t : L"<null>";
}

const char kComplete[] = "KEY_A,\"alpha\",\nKEY_B,\"beta\",\nKEY_C,\"gamma\",\n";

struct GrammarCase {
  const char* name;
  std::string body;  // UTF-8, written with a UTF-8 byte-order mark
  int result;
  const wchar_t* a;
  const wchar_t* b;
  const wchar_t* c;
};

class Grammar : public ::testing::TestWithParam<GrammarCase> {};

TEST_P(Grammar, LoadsAsSpecified) {
  const GrammarCase& gc = GetParam();
  common::Localization loc(3, kKeys, 0);
  std::string path = WriteBytes(gc.name, Utf8Bom(gc.body));
  EXPECT_EQ(loc.Load(path), gc.result) << loc.GetLastErrorText();
  EXPECT_EQ(Text(loc, 0), gc.a);
  EXPECT_EQ(Text(loc, 1), gc.b);
  EXPECT_EQ(Text(loc, 2), gc.c);
  std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Localization, Grammar,
    ::testing::Values(
        GrammarCase{"in_order", kComplete, -1, L"alpha", L"beta", L"gamma"},
        GrammarCase{"shuffled", "KEY_C,\"gamma\",\nKEY_A,\"alpha\",\nKEY_B,\"beta\",\n", -1, L"alpha", L"beta",
                    L"gamma"},
        GrammarCase{"comments_and_empty_lines",
                    "# head\n\nKEY_A,\"alpha\",\n#KEY_B,\"no\",\n\nKEY_B,\"beta\",\n# mid\nKEY_C,\"gamma\",\n", -1,
                    L"alpha", L"beta", L"gamma"},
        GrammarCase{"crlf", "KEY_A,\"alpha\",\r\n\r\nKEY_B,\"beta\",\r\nKEY_C,\"gamma\",\r\n", -1, L"alpha",
                    L"beta", L"gamma"},
        GrammarCase{"comma_in_text", "KEY_A,\"one, two\",\nKEY_B,\"a,,b\",\nKEY_C,\"x,,,y, z\",\n", -1,
                    L"one, two", L"a,b", L"x,y, z"},
        GrammarCase{"escapes",
                    "KEY_A,\"say \\\"hi\\\" it\\'s\",\nKEY_B,\"l1\\nl2\\tt\\rr\\\\\",\nKEY_C,\"C:\\dir\\x\\\",\n", -1,
                    L"say \"hi\" it's", L"l1\nl2\tt\rr\\", L"C://dir//x//"},
        GrammarCase{"blanks_before_quote_and_trailing_junk",
                    "KEY_A,   \"alpha\", ignored\nKEY_B,\t\"beta\",,\"x\",\nKEY_C,\"gamma\",\n", -1, L"alpha",
                    L"beta", L"gamma"},
        GrammarCase{"leading_commas", ",,KEY_A,\"alpha\",\nKEY_B,\"beta\",\nKEY_C,\"gamma\",\n", -1, L"alpha",
                    L"beta", L"gamma"},
        GrammarCase{"duplicate_last_wins", "KEY_A,\"first\",\nKEY_B,\"beta\",\nKEY_A,\"second\",\nKEY_C,\"gamma\",\n",
                    -1, L"second", L"beta", L"gamma"},
        GrammarCase{"last_line_without_comma_or_newline", "KEY_A,\"alpha\",\nKEY_B,\"beta\",\nKEY_C,\"gamma\"", -1,
                    L"alpha", L"beta", L"gamma"},
        GrammarCase{"empty_text", "KEY_A,\"\",\nKEY_B,\"beta\",\nKEY_C,\"gamma\",\n", -1, L"", L"beta", L"gamma"},
        GrammarCase{"utf8_text", "KEY_A,\"45 \xC2\xB0" "C\",\nKEY_B,\"\xE2\x82\xAC\",\nKEY_C,\"\xF0\x9F\x92\xBE\",\n",
                    -1, L"45 \u00B0C", L"\u20AC", L"\U0001F4BE"},
        // Failures: the line number of the bad line; texts read before it stay.
        GrammarCase{"no_comma_after_quote_mid_file", "KEY_A,\"alpha\",\nKEY_B,\"beta\"\nKEY_C,\"gamma\",\n", 2,
                    L"alpha", L"<null>", L"<null>"},
        GrammarCase{"unknown_key", "KEY_A,\"alpha\",\nKEY_X,\"x\",\nKEY_C,\"gamma\",\n", 2, L"alpha", L"<null>",
                    L"<null>"},
        GrammarCase{"key_case_matters", "key_a,\"alpha\",\n", 1, L"<null>", L"<null>", L"<null>"},
        GrammarCase{"line_of_blanks", "KEY_A,\"alpha\",\n   \nKEY_B,\"beta\",\n", 2, L"alpha", L"<null>", L"<null>"},
        GrammarCase{"key_without_text", "KEY_A,\"alpha\",\nKEY_B,\nKEY_C,\"gamma\",\n", 2, L"alpha", L"<null>",
                    L"<null>"},
        GrammarCase{"text_without_quotes", "KEY_A,alpha,\n", 1, L"<null>", L"<null>", L"<null>"},
        GrammarCase{"unterminated_quote", "KEY_A,\"alpha,\nKEY_B,\"beta\",\n", 1, L"<null>", L"<null>", L"<null>"},
        GrammarCase{"quote_at_piece_end_closes", "KEY_A,\"a \\\"b\\\", c\",\nKEY_B,\"beta\",\nKEY_C,\"gamma\",\n", -1,
                    L"a \"b//", L"beta", L"gamma"},
        GrammarCase{"only_commas", "KEY_A,\"alpha\",\n,,,", 2, L"alpha", L"<null>", L"<null>"},
        GrammarCase{"missing_key_counts_lines", "# c\nKEY_A,\"alpha\",\n\nKEY_C,\"gamma\",\n", 4, L"alpha",
                    L"<null>", L"gamma"},
        GrammarCase{"empty_file", "", 0, L"<null>", L"<null>", L"<null>"}),
    [](const ::testing::TestParamInfo<GrammarCase>& info) { return std::string(info.param.name); });

TEST(Localization, MissingKeyErrorNamesTheKey) {
  common::Localization loc(3, kKeys, 0);
  std::string path = WriteBytes("missing", Utf8Bom("KEY_A,\"alpha\",\nKEY_C,\"gamma\",\n"));
  EXPECT_EQ(loc.Load(path), 2);
  EXPECT_STREQ(loc.GetLastErrorText(), L"String Name KEY_B has not been defined.");
  std::remove(path.c_str());
}

TEST(Localization, UnknownKeyErrorNamesTheKey) {
  common::Localization loc(3, kKeys, 0);
  std::string path = WriteBytes("unknown", Utf8Bom("KEY_A,\"alpha\",\nKEY_Q,\"x\",\n"));
  EXPECT_EQ(loc.Load(path), 2);
  EXPECT_STREQ(loc.GetLastErrorText(), L"Unable to locate String Index for KEY_Q.");
  std::remove(path.c_str());
}

TEST(Localization, MissingFileGivesZeroAndNamesThePath) {
  common::Localization loc(3, kKeys, 0);
  std::string path = TempPath("does_not_exist.txt");
  EXPECT_EQ(loc.Load(path), 0);
  std::wstring expected = L"Failed to open " + common::FromUtf8(path) +
                          L" file at the specified path.\nPlease check the file exists or reinstall the software.";
  EXPECT_EQ(loc.GetLastErrorText(), expected);
  EXPECT_EQ(loc.GetString(0), nullptr);
}

TEST(Localization, NoKeyTableGivesZero) {
  common::Localization loc(3, nullptr, 0);
  std::string path = WriteBytes("nomap", Utf8Bom(kComplete));
  EXPECT_EQ(loc.Load(path), 0);
  EXPECT_STREQ(loc.GetLastErrorText(), L"String Map Not Assigned");
  EXPECT_EQ(loc.GetString(0), nullptr);
  std::remove(path.c_str());
}

TEST(Localization, EncodingsByByteOrderMark) {
  std::wstring body = L"KEY_A,\"\u00E4lpha\",\r\nKEY_B,\"b\u00EAta\",\r\nKEY_C,\"\U0001F4BE\",\r\n";
  struct {
    const char* name;
    std::string bytes;
  } files[] = {{"utf16_bom", Utf16Bom(body)},
               {"utf16_no_bom", common::ToUtf16Le(body)},
               {"utf8_bom", Utf8Bom(common::ToUtf8(body))}};
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    common::Localization loc(3, kKeys, 0);
    std::string path = WriteBytes(f.name, f.bytes);
    EXPECT_EQ(loc.Load(path), -1) << loc.GetLastErrorText();
    EXPECT_EQ(Text(loc, 0), L"\u00E4lpha");
    EXPECT_EQ(Text(loc, 1), L"b\u00EAta");
    EXPECT_EQ(Text(loc, 2), L"\U0001F4BE");
    std::remove(path.c_str());
  }
}

TEST(Localization, Utf8WithoutMarkIsReadAsUtf16AndFails) {
  common::Localization loc(3, kKeys, 0);
  std::string path = WriteBytes("utf8_no_bom", kComplete);
  int result = loc.Load(path);
  EXPECT_GT(result, 0);
  EXPECT_EQ(loc.GetString(0), nullptr);
  std::remove(path.c_str());
}

TEST(Localization, LongLinesAreCutInto1023CharacterPieces) {
  // An entry of exactly 1023 characters before its line feed loads; the
  // line feed then forms an empty piece of its own.
  std::string fill(1023 - std::string("KEY_A,\"\",").size(), 'x');
  std::string exact = "KEY_A,\"" + fill + "\",\n";
  std::string body = exact + "KEY_B,\"beta\",\nKEY_C,\"gamma\",\n";
  {
    common::Localization loc(3, kKeys, 0);
    std::string path = WriteBytes("exact", Utf8Bom(body));
    EXPECT_EQ(loc.Load(path), -1) << loc.GetLastErrorText();
    EXPECT_EQ(Text(loc, 0), common::FromUtf8(fill));
    std::remove(path.c_str());
  }
  // Two characters more: the first piece ends inside the text and fails.
  {
    common::Localization loc(3, kKeys, 0);
    std::string path = WriteBytes("over", Utf8Bom("KEY_A,\"" + fill + "yz\",\n" + "KEY_B,\"beta\",\n"));
    EXPECT_EQ(loc.Load(path), 1);
    EXPECT_EQ(loc.GetString(0), nullptr);
    std::remove(path.c_str());
  }
  // A 5000-character comment is five pieces; only the first starts with '#'.
  {
    common::Localization loc(3, kKeys, 0);
    std::string path = WriteBytes("long_comment", Utf8Bom("#" + std::string(4999, 'c') + "\n" + kComplete));
    EXPECT_EQ(loc.Load(path), 2);
    std::remove(path.c_str());
  }
}

TEST(Localization, GarbageNeverCrashes) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 200; ++round) {
    std::string bytes(rng() % 4096, '\0');
    for (char& ch : bytes) ch = static_cast<char>(rng());
    if (round % 3 == 1) bytes = Utf8Bom(bytes);
    if (round % 3 == 2) bytes = "\xFF\xFE" + bytes;
    common::Localization loc(3, kKeys, 0);
    std::string path = WriteBytes("garbage", bytes);
    int result = loc.Load(path);
    EXPECT_GE(result, -1);
    for (int i = -1; i <= 3; ++i) loc.GetString(i);
    std::remove(path.c_str());
  }
}

TEST(Localization, NulInsideALineEndsIt) {
  common::Localization loc(3, kKeys, 0);
  std::string body = std::string("KEY_A,\"al\"") + '\0' + "junk\",\nKEY_B,\"beta\",\nKEY_C,\"gamma\",\n";
  std::string path = WriteBytes("nul", Utf8Bom(body));
  // The line is a C string: it ends at the NUL, right after the quote.
  EXPECT_EQ(loc.Load(path), -1) << loc.GetLastErrorText();
  EXPECT_EQ(Text(loc, 0), L"al");
  std::remove(path.c_str());
}

TEST(Localization, LookupErrors) {
  common::Localization loc(3, kKeys, 0);
  EXPECT_EQ(loc.GetString(0), nullptr);
  EXPECT_STREQ(loc.GetLastErrorText(), L"Error: String 0 [KEY_A] not initialized.");
  EXPECT_EQ(loc.GetString(3), nullptr);
  EXPECT_STREQ(loc.GetLastErrorText(), L"Error: Array index out of bounds: 3");
  EXPECT_EQ(loc.GetString(-1), nullptr);
  EXPECT_STREQ(loc.GetLastErrorText(), L"Error: Array index out of bounds: -1");

  std::string path = WriteBytes("lookup", Utf8Bom(kComplete));
  ASSERT_EQ(loc.Load(path), -1);
  ASSERT_NE(loc.GetString(1), nullptr);
  EXPECT_STREQ(loc.GetLastErrorText(), L"");  // a good lookup clears it
  std::remove(path.c_str());
}

TEST(Localization, CopyStringCutsAndTerminates) {
  common::Localization loc(3, kKeys, 0);
  std::string path = WriteBytes("copy", Utf8Bom("KEY_A,\"0123456789abcdefghij\",\nKEY_B,\"b\",\nKEY_C,\"c\",\n"));
  ASSERT_EQ(loc.Load(path), -1);
  wchar_t buf[16];
  EXPECT_EQ(loc.CopyString(0, buf, 16), buf);
  EXPECT_STREQ(buf, L"0123456789abcde");
  wchar_t one[1] = {L'x'};
  EXPECT_EQ(loc.CopyString(0, one, 1), one);
  EXPECT_EQ(one[0], L'\0');
  wchar_t bad[8] = L"stale";
  EXPECT_EQ(loc.CopyString(7, bad, 8), nullptr);
  EXPECT_STREQ(bad, L"");
  std::remove(path.c_str());
}

TEST(Localization, ReloadReplacesAllTexts) {
  common::Localization loc(3, kKeys, 0);
  std::string first = WriteBytes("first", Utf8Bom(kComplete));
  std::string second = WriteBytes("second", Utf8Bom("KEY_B,\"new beta\",\n"));
  ASSERT_EQ(loc.Load(first), -1);
  EXPECT_EQ(loc.Load(second), 1);
  EXPECT_EQ(loc.GetString(0), nullptr);
  EXPECT_EQ(Text(loc, 1), L"new beta");
  std::remove(first.c_str());
  std::remove(second.c_str());
}

std::vector<std::pair<std::wstring, std::wstring>> g_shown;
void RecordMessage(const wchar_t* text, const wchar_t* title) { g_shown.emplace_back(text, title); }

TEST(Localization, ShowMessagesMarksTextsAndReportsFailures) {
  g_shown.clear();
  common::SetMessageSink(RecordMessage);
  common::Localization loc(3, kKeys, 1);
  std::string path = WriteBytes("marked", Utf8Bom("KEY_A,\"alpha\",\nKEY_C,\"gamma\",\n"));
  EXPECT_EQ(loc.Load(path), 2);
  EXPECT_EQ(Text(loc, 0), L"alpha#");
  ASSERT_EQ(g_shown.size(), 1u);
  EXPECT_EQ(g_shown[0].first, L"String Name KEY_B has not been defined.");
  EXPECT_EQ(g_shown[0].second, L"Error: String localization file parsing error.");

  // The shipped users pass 0: nothing is shown and nothing is appended.
  g_shown.clear();
  common::Localization quiet(3, kKeys, 0);
  EXPECT_EQ(quiet.Load(path), 2);
  EXPECT_EQ(Text(quiet, 0), L"alpha");
  EXPECT_TRUE(g_shown.empty());
  common::SetMessageSink(nullptr);
  std::remove(path.c_str());
}

TEST(Localization, SeveralMissingKeysReportTheFirstOnce) {
  g_shown.clear();
  common::SetMessageSink(RecordMessage);
  common::Localization loc(3, kKeys, 1);
  std::string path = WriteBytes("two_missing", Utf8Bom("# only one\nKEY_C,\"gamma\",\n"));
  EXPECT_EQ(loc.Load(path), 2);
  EXPECT_STREQ(loc.GetLastErrorText(), L"String Name KEY_A has not been defined.");
  EXPECT_EQ(g_shown.size(), 1u);
  common::SetMessageSink(nullptr);
  std::remove(path.c_str());
}

TEST(Localization, UnescapeText) {
  EXPECT_EQ(common::UnescapeText(L"a\\qb"), L"a//qb");
  EXPECT_EQ(common::UnescapeText(L"end\\"), L"end//");
  EXPECT_EQ(common::UnescapeText(L"\\\\\\\""), L"\\\"");
}

}  // namespace
