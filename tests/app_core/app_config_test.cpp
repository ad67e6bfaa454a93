// The settings file: layout, defaults, scrambling and damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "common/text.h"
#include "core/app_config.h"
#include "core/app_state.h"
#include "core/command_line.h"
#include "test_support.h"

namespace {

using appcore::AppConfig;

template <typename T>
T At(const std::string& bytes, size_t offset) {
  T v;
  std::memcpy(&v, bytes.data() + offset, sizeof v);
  return v;
}

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = appcore::State();
    appcore::State().configPath = common::FromUtf8(dir.File("settings.cfg"));
  }
  void TearDown() override { appcore::State() = saved_; }
  std::string path() const { return dir.File("settings.cfg"); }

  apptest::TempDir dir;
  appcore::AppState saved_;
};

void ExpectDefaults(const AppConfig& c) {
  AppConfig d;
  appcore::SetConfigDefaults(&d);
  EXPECT_EQ(std::memcmp(&c, &d, sizeof c), 0);
  EXPECT_EQ(std::memcmp(d.magic, "KVRT", 4), 0);
  EXPECT_EQ(d.version, 1u);
  EXPECT_EQ(d.warnLevelC, 60.0f);
  EXPECT_EQ(d.warnLevelF, 140.0f);
  EXPECT_EQ(d.autoRefreshMinutes, 10u);
  EXPECT_EQ(d.smtpPort, 25u);
  EXPECT_EQ(d.activityRefreshSeconds, 2u);
}

TEST_F(ConfigTest, SavedFileHasEveryFieldAtItsOffset) {
  AppConfig c;
  appcore::SetConfigDefaults(&c);
  c.temperatureUnit = 1;
  c.warnLevelC = 55.0f;
  c.warnLevelF = appcore::CelsiusToFahrenheit(55.0f);
  c.tecAction = 2;
  c.autoRefresh = 1;
  c.autoRefreshMinutes = 15;
  c.recordSmart = 1;
  appcore::CopyField(c.recipients[0], 64, "one@example.org");
  appcore::CopyField(c.recipients[99], 64, "last@example.org");
  appcore::CopyField(c.fromAddress, 64, "from@example.org");
  appcore::CopyField(c.smtpServer, 64, "mail.example.org");
  c.smtpPort = 587;
  c.smtpAuth = 1;
  appcore::CopyField(c.smtpUser, 64, "operator");
  appcore::CopyField(c.smtpPassword, 64, "hunter2");
  c.minimizeToTray = 1;
  c.activityRefreshSeconds = 7;
  ASSERT_EQ(appcore::SaveConfig(c), 1);

  std::string b = apptest::ReadFile(path());
  ASSERT_EQ(b.size(), 6704u);
  EXPECT_EQ(b.substr(0, 4), "KVRT");
  EXPECT_EQ(At<uint32_t>(b, 4), 1u);
  EXPECT_EQ(At<uint32_t>(b, 8), 1u);
  EXPECT_EQ(At<float>(b, 12), 55.0f);
  EXPECT_FLOAT_EQ(At<float>(b, 16), 131.0f);
  EXPECT_EQ(At<uint32_t>(b, 20), 2u);
  EXPECT_EQ(At<uint8_t>(b, 24), 1u);
  EXPECT_EQ(At<uint32_t>(b, 28), 15u);
  EXPECT_EQ(At<uint8_t>(b, 32), 1u);
  EXPECT_EQ(std::string(b.c_str() + 33), "one@example.org");
  EXPECT_EQ(std::string(b.c_str() + 33 + 99 * 64), "last@example.org");
  EXPECT_EQ(std::string(b.c_str() + 6433), "from@example.org");
  EXPECT_EQ(std::string(b.c_str() + 6497), "mail.example.org");
  EXPECT_EQ(At<uint32_t>(b, 6564), 587u);
  EXPECT_EQ(At<uint8_t>(b, 6568), 1u);
  EXPECT_EQ(At<uint8_t>(b, 6697), 1u);
  EXPECT_EQ(At<uint32_t>(b, 6700), 7u);
  for (size_t pad : {25u, 26u, 27u, 6561u, 6562u, 6563u, 6698u, 6699u})
    EXPECT_EQ(b[pad], 0) << pad;
  // Credentials only in scrambled form.
  EXPECT_EQ(b.find("operator"), std::string::npos);
  EXPECT_EQ(b.find("hunter2"), std::string::npos);
  EXPECT_EQ(static_cast<uint8_t>(b[6569]), 'o' ^ appcore::kUserScrambleKey);
  EXPECT_EQ(static_cast<uint8_t>(b[6633]), 'h' ^ appcore::kPasswordScrambleKey);

  AppConfig back;
  EXPECT_EQ(appcore::LoadConfig(&back), 1);
  EXPECT_EQ(std::memcmp(&back, &c, sizeof c), 0);
}

TEST_F(ConfigTest, UserNameWithItsKeyByteIsCutThere) {
  AppConfig c;
  appcore::SetConfigDefaults(&c);
  std::string user = "ab";
  user += static_cast<char>(appcore::kUserScrambleKey);
  user += "cd";
  appcore::CopyField(c.smtpUser, 64, user);
  ASSERT_EQ(appcore::SaveConfig(c), 1);
  AppConfig back;
  EXPECT_EQ(appcore::LoadConfig(&back), 1);
  EXPECT_EQ(appcore::FieldText(back.smtpUser, 64), "ab");
  // The part after the cut does not stay in the file in clear.
  std::string b = apptest::ReadFile(path());
  ASSERT_EQ(b.size(), sizeof(AppConfig));
  EXPECT_EQ(b.find("cd"), std::string::npos);
  for (size_t i = 6569 + 2; i < 6633; ++i) EXPECT_EQ(b[i], 0) << i;
}

TEST(ConfigFields, LongTextIsCutBeforeAWholeCharacter) {
  char field[8];
  const struct {
    std::string text;
    std::string stored;
  } cases[] = {
      {"abcdefg", "abcdefg"},                    // fits
      {"abcdefgh", "abcdefg"},                   // ASCII cut at 7 bytes
      {"abcdef\xc3\xa9", "abcdef"},              // é would be split
      {"abcd\xe2\x82\xac" "x", "abcd\xe2\x82\xac"},  // € fits whole
      {"abcde\xe2\x82\xac", "abcde"},           // € would be split
  };
  for (const auto& c : cases) {
    appcore::CopyField(field, sizeof field, c.text);
    EXPECT_EQ(appcore::FieldText(field, sizeof field), c.stored) << c.text;
    EXPECT_EQ(field[7], '\0');
  }
}

TEST_F(ConfigTest, TypedCredentialsSurviveSaving) {
  // Letters, digits, punctuation and UTF-8 text hold no key character.
  const char* texts[] = {"Zoe.Zimmermann@example.org", "ZZ top \xc2\xa7 \xc3\xa7" "a va", "Ab9!\x7f~ \xff\xfe"};
  for (const char* text : texts) {
    AppConfig c;
    appcore::SetConfigDefaults(&c);
    appcore::CopyField(c.smtpUser, 64, text);
    appcore::CopyField(c.smtpPassword, 64, text);
    ASSERT_EQ(appcore::SaveConfig(c), 1);
    AppConfig back;
    ASSERT_EQ(appcore::LoadConfig(&back), 1);
    EXPECT_EQ(appcore::FieldText(back.smtpUser, 64), text);
    EXPECT_EQ(appcore::FieldText(back.smtpPassword, 64), text);
  }
}

TEST_F(ConfigTest, MissingFileGivesDefaultsAndWritesNothing) {
  AppConfig c;
  std::memset(&c, 0x55, sizeof c);
  EXPECT_EQ(appcore::LoadConfig(&c), 0);
  ExpectDefaults(c);
  EXPECT_FALSE(std::filesystem::exists(path()));
}

TEST_F(ConfigTest, DamagedFilesLoadWithFallbacks) {
  // Short: defaults.
  apptest::WriteFile(path(), std::string(6703, '\x7f'));
  AppConfig c;
  EXPECT_EQ(appcore::LoadConfig(&c), 1);
  ExpectDefaults(c);

  // Long: only the first 6704 bytes count.
  AppConfig good;
  appcore::SetConfigDefaults(&good);
  good.smtpPort = 2525;
  ASSERT_EQ(appcore::SaveConfig(good), 1);
  std::string bytes = apptest::ReadFile(path()) + std::string(5000, 'Z');
  apptest::WriteFile(path(), bytes);
  EXPECT_EQ(appcore::LoadConfig(&c), 1);
  EXPECT_EQ(c.smtpPort, 2525u);

  // Random bytes: taken as they stand, but every text stays inside its field.
  std::mt19937 rng(7);
  std::string garbage(6704, '\0');
  for (char& ch : garbage) ch = static_cast<char>(rng() | 1);  // no zero bytes at all
  apptest::WriteFile(path(), garbage);
  EXPECT_EQ(appcore::LoadConfig(&c), 1);
  EXPECT_EQ(std::strlen(c.smtpServer), 63u);
  EXPECT_EQ(std::strlen(c.recipients[99]), 63u);
  EXPECT_LE(std::strlen(c.smtpPassword), 63u);
  EXPECT_EQ(appcore::RecipientCount(c), 100);

  // A folder where the file should be cannot be read: defaults.
  std::filesystem::remove(path());
  std::filesystem::create_directory(path());
  appcore::LoadConfig(&c);
  ExpectDefaults(c);
}

TEST_F(ConfigTest, CommandLinePathIsUsedForLoadAndSave) {
  std::string other = dir.File("other.cfg");
  appcore::State().configPath.clear();
  appcore::ParseCommandLine({"spindlewatch", "-c", other});
  EXPECT_EQ(appcore::ConfigFilePath(), common::FromUtf8(other));
  AppConfig c;
  appcore::SetConfigDefaults(&c);
  c.tecAction = 1;
  ASSERT_EQ(appcore::SaveConfig(c), 1);
  EXPECT_EQ(apptest::ReadFile(other).size(), 6704u);
  AppConfig back;
  EXPECT_EQ(appcore::LoadConfig(&back), 1);
  EXPECT_EQ(back.tecAction, 1u);
}

TEST(Temperature, Conversions) {
  EXPECT_FLOAT_EQ(appcore::CelsiusToFahrenheit(45.0f), 113.0f);
  EXPECT_FLOAT_EQ(appcore::FahrenheitToCelsius(140.0f), 60.0f);
}

}  // namespace
