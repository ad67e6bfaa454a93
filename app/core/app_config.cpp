#include "core/app_config.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "common/text.h"
#include "core/app_state.h"
#include "core/debug_log.h"

namespace appcore {

AppConfig& LiveConfig() {
  static AppConfig record = [] {
    AppConfig r;
    SetConfigDefaults(&r);
    return r;
  }();
  return record;
}

void SetConfigDefaults(AppConfig* record) {
  std::memset(record, 0, sizeof *record);
  std::memcpy(record->magic, "KVRT", 4);
  record->version = 1;
  record->temperatureUnit = 0;
  record->warnLevelC = 60.0f;
  record->warnLevelF = 140.0f;
  record->tecAction = 0;
  record->autoRefresh = 0;
  record->autoRefreshMinutes = 10;
  record->recordSmart = 0;
  record->smtpPort = 25;
  record->smtpAuth = 0;
  record->minimizeToTray = 0;
  record->activityRefreshSeconds = 2;
}

void ScrambleField(char* text, std::size_t size, std::uint8_t key) {
  for (std::size_t i = 0; i < size && text[i] != '\0'; ++i) {
    text[i] = static_cast<char>(static_cast<std::uint8_t>(text[i]) ^ key);
    if (text[i] == '\0') break;
  }
}

namespace {
void ClearAfterText(char* field, std::size_t size) {
  std::size_t length = strnlen(field, size);
  if (length < size) std::memset(field + length, 0, size - length);
}
}  // namespace

float CelsiusToFahrenheit(float c) { return c * 1.8f + 32.0f; }
float FahrenheitToCelsius(float f) { return (f - 32.0f) / 1.8f; }

std::wstring ConfigFilePath() {
  AppState& state = State();
  if (state.configPath.empty()) state.configPath = ProgramFile(kConfigFileName);
  return state.configPath;
}

int LoadConfig(AppConfig* record) {
  std::memset(record, 0, sizeof *record);
  std::string path = common::ToUtf8(ConfigFilePath());
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    SetConfigDefaults(record);
    return 0;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    int error = errno;
    WriteDebugLog(L"Failed to open configuration file for reading.");
    SetConfigDefaults(record);
    return error != 0 ? error : EIO;
  }
  AppConfig loaded;
  std::size_t got = std::fread(&loaded, 1, sizeof loaded, file);
  std::fclose(file);
  if (got != sizeof loaded) {
    WriteDebugLog(L"Failed to read from configuration file, default settings will be used "
                  L"instead.");
    SetConfigDefaults(record);
    return 1;
  }
  ScrambleField(loaded.smtpUser, sizeof loaded.smtpUser, kUserScrambleKey);
  ScrambleField(loaded.smtpPassword, sizeof loaded.smtpPassword, kPasswordScrambleKey);
  // Every string field is used as a C string later on; a file of garbage
  // must not make one run past its field.
  for (auto& r : loaded.recipients) r[kAddressSize - 1] = '\0';
  loaded.fromAddress[kAddressSize - 1] = '\0';
  loaded.smtpServer[kAddressSize - 1] = '\0';
  loaded.smtpUser[kAddressSize - 1] = '\0';
  loaded.smtpPassword[kAddressSize - 1] = '\0';
  *record = loaded;
  return 1;
}

int SaveConfig(const AppConfig& record) {
  std::string path = common::ToUtf8(ConfigFilePath());
  std::FILE* file = std::fopen(path.c_str(), "w+b");
  if (file == nullptr) return 0;
  AppConfig copy = record;
  ScrambleField(copy.smtpUser, sizeof copy.smtpUser, kUserScrambleKey);
  ScrambleField(copy.smtpPassword, sizeof copy.smtpPassword, kPasswordScrambleKey);
  // Where scrambling stopped early (a key character), the stored text ends;
  // what followed must not reach the file in clear.
  ClearAfterText(copy.smtpUser, sizeof copy.smtpUser);
  ClearAfterText(copy.smtpPassword, sizeof copy.smtpPassword);
  std::size_t put = std::fwrite(&copy, 1, sizeof copy, file);
  bool closed = std::fclose(file) == 0;
  return (put == sizeof copy && closed) ? 1 : -1;
}

void CopyField(char* field, std::size_t size, const std::string& text) {
  std::memset(field, 0, size);
  std::size_t length = std::min(text.size(), size - 1);
  // A text cut short ends before a whole UTF-8 character, never inside one.
  if (length < text.size())
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  std::memcpy(field, text.data(), length);
}

std::string FieldText(const char* field, std::size_t size) {
  return std::string(field, strnlen(field, size));
}

int RecipientCount(const AppConfig& record) {
  int n = 0;
  while (n < kMaxRecipients && record.recipients[n][0] != '\0') ++n;
  return n;
}

}  // namespace appcore
