// AppConfig: the settings record, stored whole as Spindlewatch.cfg (a
// byte-for-byte little-endian image of the 6704-byte record).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace appcore {

inline constexpr int kMaxRecipients = 100;
inline constexpr int kAddressSize = 64;  // 63 characters and a zero byte

#pragma pack(push, 1)
struct AppConfig {
  char magic[4];                  // "KVRT"
  std::uint32_t version;          // 1
  std::uint32_t temperatureUnit;  // 0 Celsius, 1 Fahrenheit
  float warnLevelC;
  float warnLevelF;
  std::uint32_t tecAction;  // 0 nothing, 1 message window, 2 e-mail
  std::uint8_t autoRefresh;
  std::uint8_t pad1[3];
  std::uint32_t autoRefreshMinutes;
  std::uint8_t recordSmart;
  char recipients[kMaxRecipients][kAddressSize];
  char fromAddress[kAddressSize];
  char smtpServer[kAddressSize];
  std::uint8_t pad2[3];
  std::uint32_t smtpPort;
  std::uint8_t smtpAuth;
  char smtpUser[kAddressSize];      // scrambled in the file
  char smtpPassword[kAddressSize];  // scrambled in the file
  std::uint8_t minimizeToTray;
  std::uint8_t pad3[2];
  std::uint32_t activityRefreshSeconds;
};
#pragma pack(pop)

static_assert(sizeof(AppConfig) == 6704);
static_assert(offsetof(AppConfig, recipients) == 33);
static_assert(offsetof(AppConfig, fromAddress) == 6433);
static_assert(offsetof(AppConfig, smtpServer) == 6497);
static_assert(offsetof(AppConfig, smtpPort) == 6564);
static_assert(offsetof(AppConfig, smtpAuth) == 6568);
static_assert(offsetof(AppConfig, smtpUser) == 6569);
static_assert(offsetof(AppConfig, smtpPassword) == 6633);
static_assert(offsetof(AppConfig, minimizeToTray) == 6697);
static_assert(offsetof(AppConfig, activityRefreshSeconds) == 6700);

// Fixed scrambling keys of the two credential fields. A character equal to
// its key ends the stored text, so the keys are control characters that no
// typed name or password holds (a letter, or a byte of UTF-8 text, would
// cut such credentials short on every save).
inline constexpr std::uint8_t kUserScrambleKey = 0x1E;
inline constexpr std::uint8_t kPasswordScrambleKey = 0x1F;

// The one live record of the process.
AppConfig& LiveConfig();

// Every field at its default (strings empty, padding zero).
void SetConfigDefaults(AppConfig* record);

// XOR of every character with key, from the first up to the end of the
// text; stops at the first character that becomes zero. Its own inverse.
void ScrambleField(char* text, std::size_t size, std::uint8_t key);

float CelsiusToFahrenheit(float c);
float FahrenheitToCelsius(float f);

// The settings path: the -c path if one was given, else the program
// directory + "/Spindlewatch.cfg" (stored in the application state).
std::wstring ConfigFilePath();

// Fills record from the file or with defaults. 0 defaults used (no file),
// 1 read, otherwise the system error code of a file that would not open.
int LoadConfig(AppConfig* record);

// Writes the record (credentials scrambled in a copy). 1 written; 0 the file
// could not be created; -1 the write did not complete (the dialog shows the
// matching message).
int SaveConfig(const AppConfig& record);

// Copies text into a fixed 8-bit field, cut to size - 1 bytes (at the start
// of a UTF-8 character).
void CopyField(char* field, std::size_t size, const std::string& text);
std::string FieldText(const char* field, std::size_t size);

// Recipients in order up to the first empty entry.
int RecipientCount(const AppConfig& record);

}  // namespace appcore
