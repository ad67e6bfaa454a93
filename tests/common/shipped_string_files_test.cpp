// The shipped string files: complete, and every text carries exactly the
// placeholders its users format.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/localization.h"
#include "common/spindlewatch_keys.h"
#include "placeholders.h"
#include "strings/hwscope_keys.h"

namespace {

using Specs = std::vector<std::string>;

const std::string kAppFile = SW_RESOURCES_DIR "/localization.txt";
const std::string kLibFile = SW_RESOURCES_DIR "/Hwscope_localization.txt";

// Application keys that are used as formats, with their arguments in order.
// %s wide text, %S 8-bit text. Every other application key is plain text.
const std::map<int, Specs>& AppFormats() {
  static const std::map<int, Specs> formats = {
      {sw::PROGRAM_INFO_STRING, {"%s", "%s", "%s"}},
      {sw::PROGRAM_INFO_STRING_W_HWSCOPE, {"%s", "%s", "%s", "%s"}},
      {sw::MISC_PROGRAM_INFO_STRING_REPORT, {"%s", "%s", "%s"}},
      {sw::LABEL_LAST_UPDATED, {"%s"}},
      {sw::LABEL_DEVICES_DISK_NUMBER, {"%d"}},
      {sw::CONFIG_TEC_WARN_INFO, {"%s"}},
      {sw::CONFIG_INVALID_EMAIL, {"%s"}},
      {sw::CONFIG_INVALID_REPLY_TO, {"%s"}},
      {sw::CONFIG_TEMP_WARN_C, {"%.1f"}},
      {sw::CONFIG_TEMP_WARN_F, {"%.1f"}},
      {sw::ERROR_THRESHOLD_LIMIT_REACHED, {"%s"}},
      {sw::ERROR_THRESHOLD_LIMIT_REACHED_DEVICE, {"%s", "%s"}},
      {sw::MISC_ACTUAL_VALUE, {"%d"}},
      {sw::MISC_THRESHOLD_VALUE, {"%d"}},
      {sw::TASKBAR_WARNING, {"%s", "%d"}},
      {sw::EMAIL_THRESHOLD_EXCEED_CONDITION_W_INFO, {"%S", "%S", "%S"}},
      {sw::EMAIL_TIME, {"%S"}},
      {sw::EMAIL_MACHINE, {"%S"}},
      {sw::EMAIL_IP, {"%S"}},
      {sw::EMAIL_DEVICE, {"%s"}},
      {sw::EMAIL_ATTRIBUTE, {"%s"}},
      {sw::EMAIL_ACTUAL, {"%d", "%s"}},
      {sw::EMAIL_THRESHOLD, {"%d", "%s"}},
      {sw::EMAIL_SPINDLEWATCH_INFO, {"%s", "%s", "%s"}},
      {sw::EMAIL_TEST_EMAIL_SUBJECT, {"%s"}},
      {sw::EMAIL_TEST_EMAIL_BODY_1_OF_2, {"%s"}},
      {sw::EMAIL_TEST_EMAIL_BODY_2_OF_2, {"%s", "%s"}},
      {sw::ERROR_CANNOT_FIND_SMTP_SERVER, {"%S"}},
      {sw::ERROR_CANNOT_CONNECT_MAIL_SERVER, {"%d"}},
      {sw::ERROR_SEND_TEST_SMTP_UNAVAILABLE, {"%d"}},
      {sw::ERROR_SEND_TEST_MAILBOX_UNAVAIABLE, {"%d"}},
      {sw::ERROR_SEND_TEST_INSUFFICIENT_STORAGE, {"%d"}},
      {sw::ERROR_SEND_TEST_SERVER_NOT_ACCEPT, {"%d"}},
      {sw::ERROR_SEND_TEST_ACCESS_DENIED, {"%d"}},
      {sw::ERROR_SEND_TEST_AUTHENTICATION_FAILED, {"%d"}},
      {sw::ERROR_SEND_TEST_EXCEED_STORAGE, {"%d"}},
      {sw::ERROR_SEND_TEST_TRANSACTION_FAILED, {"%d"}},
      {sw::ERROR_SEND_TEST_TIMEOUT, {"%d"}},
      {sw::ERROR_SENDING_TEST_EMAIL, {"%d"}},
      {sw::DA_COUNTER_DISK_READ_SPEED_STRFORMAT, {"%.2f", "%.2f"}},
      {sw::DA_COUNTER_DISK_WRITE_SPEED_STRFORMAT, {"%.2f", "%.2f"}},
      {sw::DA_COUNTER_DISK_TOTAL_SPEED_STRFORMAT, {"%.2f", "%.2f"}},
      {sw::DA_COUNTER_DISK_TIME_STRFORMAT, {"%.1f", "%.1f"}},
      {sw::DA_COUNTER_DISK_LATENCY_STRFORMAT, {"%.2f", "%.2f"}},
      {sw::MISC_DEBUG_REPORT_NOTICE_TEXT, {"%s"}},
      {sw::MISC_DEBUG_REPORT_FAILED, {"%s", "%d"}},
      {sw::MISC_N_BYTES, {"%d"}},
  };
  return formats;
}

class ShippedFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app_ = new common::Localization(sw::kAppKeyCount, sw::kAppKeyTable, 0);
    lib_ = new common::Localization(hwscope::strings::kHwKeyCount, hwscope::strings::kHwKeyTable, 0);
    app_result_ = app_->Load(kAppFile);
    lib_result_ = lib_->Load(kLibFile);
  }
  static void TearDownTestSuite() {
    delete app_;
    delete lib_;
  }
  static std::wstring App(int key) {
    const wchar_t* t = app_->GetString(key);
    return t ? t : L"";
  }
  static std::wstring Lib(int key) {
    const wchar_t* t = lib_->GetString(key);
    return t ? t : L"";
  }

  static common::Localization* app_;
  static common::Localization* lib_;
  static int app_result_;
  static int lib_result_;
};

common::Localization* ShippedFiles::app_ = nullptr;
common::Localization* ShippedFiles::lib_ = nullptr;
int ShippedFiles::app_result_ = 0;
int ShippedFiles::lib_result_ = 0;

TEST_F(ShippedFiles, BothLoadCompletely) {
  EXPECT_EQ(app_result_, -1) << app_->GetLastErrorText();
  EXPECT_EQ(lib_result_, -1) << lib_->GetLastErrorText();
  for (int i = 0; i < sw::kAppKeyCount; ++i) EXPECT_FALSE(App(i).empty()) << sw::kAppKeyNames[i];
  for (int i = 0; i < hwscope::strings::kHwKeyCount; ++i)
    EXPECT_FALSE(Lib(i).empty()) << hwscope::strings::kHwKeyNames[i];
}

TEST_F(ShippedFiles, AreUtf8WithByteOrderMark) {
  for (const std::string& path : {kAppFile, kLibFile}) {
    std::ifstream in(path, std::ios::binary);
    char mark[3] = {};
    in.read(mark, 3);
    EXPECT_EQ(std::string(mark, 3), "\xEF\xBB\xBF") << path;
  }
}

TEST_F(ShippedFiles, AppPlaceholdersMatchTheirUsers) {
  for (int i = 0; i < sw::kAppKeyCount; ++i) {
    auto it = AppFormats().find(i);
    Specs expected = it == AppFormats().end() ? Specs{} : it->second;
    EXPECT_EQ(testutil::Placeholders(App(i)), expected) << sw::kAppKeyNames[i];
  }
}

// Texts that are joined before formatting must carry the arguments in order.
TEST_F(ShippedFiles, JoinedFormatsTakeTheirArgumentsInOrder) {
  EXPECT_EQ(testutil::Placeholders(App(sw::ERROR_THRESHOLD_LIMIT_REACHED_DEVICE) + L"\r\n" +
                                   App(sw::MISC_ACTUAL_VALUE) + L"," + App(sw::MISC_THRESHOLD_VALUE)),
            (Specs{"%s", "%s", "%d", "%d"}));
  EXPECT_EQ(testutil::Placeholders(App(sw::ERROR_THRESHOLD_LIMIT_REACHED) + L"\r\n" + App(sw::MISC_ACTUAL_VALUE) +
                                   L"," + App(sw::MISC_THRESHOLD_VALUE)),
            (Specs{"%s", "%d", "%d"}));
  std::wstring body;
  for (int key : {sw::EMAIL_THRESHOLD_EXCEED_CONDITION_LABEL, sw::EMAIL_TIME, sw::EMAIL_MACHINE, sw::EMAIL_IP,
                  sw::EMAIL_DEVICE, sw::EMAIL_ATTRIBUTE, sw::EMAIL_ACTUAL, sw::EMAIL_THRESHOLD})
    body += App(key) + L"\r\n";
  body += L"\r\n\r\n" + App(sw::EMAIL_SPINDLEWATCH_INFO);
  EXPECT_EQ(testutil::Placeholders(body),
            (Specs{"%S", "%S", "%S", "%s", "%s", "%d", "%s", "%d", "%s", "%s", "%s", "%s"}));
  EXPECT_EQ(testutil::Placeholders(App(sw::EMAIL_TEST_EMAIL_BODY_1_OF_2) + L"\r\n" +
                                   App(sw::EMAIL_TEST_EMAIL_BODY_2_OF_2)),
            (Specs{"%s", "%s", "%s"}));
  for (auto [first, second] : {std::pair{sw::CONFIG_INVALID_EMAIL, sw::CONFIG_ENTER_VALID_EMAIL},
                               std::pair{sw::CONFIG_INVALID_REPLY_TO, sw::CONFIG_ENTER_REPLY_TO}})
    EXPECT_EQ(testutil::Placeholders(App(first) + L"\n" + App(second)), Specs{"%s"});
  for (int key : {sw::CONFIG_TEMP_WARN_C, sw::CONFIG_TEMP_WARN_F})
    EXPECT_EQ(testutil::Placeholders(App(key) + L"\n" + App(sw::CONFIG_TEMP_WARN_OK_OR_CANCEL)), Specs{"%.1f"});
  // Pieces joined with fixed texts or other formats take no arguments.
  for (int key : {sw::CONFIG_NO_EMAIL, sw::CONFIG_ENTER_EMAIL, sw::CONFIG_INVALID_SERVER, sw::CONFIG_ENTER_SERVER,
                  sw::CONFIG_INVALID_PORT, sw::CONFIG_ENTER_PORT, sw::EMAIL_THRESHOLD_EXCEED_CONDITION_LABEL,
                  sw::MISC_WARNING, sw::DI_LIST_TEMP_WARNING, sw::DI_LIST_TEC_EXCEEDED, sw::DI_LIST_LOW_DISK_SPACE})
    EXPECT_TRUE(testutil::Placeholders(App(key)).empty()) << sw::kAppKeyNames[key];
}

TEST_F(ShippedFiles, LibraryTextsArePlain) {
  // Attribute names, report labels, level names and words are printed as
  // texts, never used as formats.
  for (int i = 0; i < hwscope::strings::kHwKeyCount; ++i)
    EXPECT_TRUE(testutil::Placeholders(Lib(i)).empty()) << hwscope::strings::kHwKeyNames[i];
}

TEST_F(ShippedFiles, LibraryTextsFitTheirFields) {
  using namespace hwscope::strings;
  // Report labels are padded to at most 61 columns at the deepest level.
  for (int i = SMART_RPTHDR_48BIT_ADDRESS_SUPPORTED; i <= SMART_RPTHDR_WRITE_READ_VERIFY_SUPPORTED; ++i)
    EXPECT_LE(Lib(i).size(), 61u) << kHwKeyNames[i];
  EXPECT_LE(Lib(SMART_RPTHDR_SATA_GEN3_SIGNALING_SUPPORTED).size(), 61u);
  // Yes and no are cut to 15 characters in the report.
  EXPECT_LE(Lib(HW_IDS_YES).size(), 15u);
  EXPECT_LE(Lib(HW_IDS_NO).size(), 15u);
  EXPECT_EQ(Lib(SMART_ATTR_TEMPERATURE), L"Temperature");
  EXPECT_EQ(Lib(SMART_ATTR_REALLOCATED_SECTOR_COUNT), L"Reallocated Sector Count");
}

}  // namespace
