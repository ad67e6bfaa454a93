// The library debug log: one writer for every line, UTF-16LE file opened per
// line (or a caller's stream), elapsed-seconds prefix, busy flag for
// concurrent writers, and the last-error text it sets on open failures.
#include "frame/log.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <filesystem>
#include <mutex>
#include <thread>

#include "common/text.h"
#include "frame/library_state.h"
#include "frame/log_control.h"
#include "platform/platform.h"
#include "strings/string_table.h"

namespace hwscope {
namespace {

constexpr std::size_t kLogPathChars = 260;
constexpr std::size_t kLastErrorChars = 1024;
constexpr const char* kLogFileName = "HwscopeLog.txt";

struct LogSettings {
  std::atomic<bool> on{false};
  std::atomic<std::FILE*> external{nullptr};
  std::atomic<std::uint32_t> startTick{0};
  std::atomic<bool> busy{false};
  std::mutex textMutex;  // guards path and lastError
  std::wstring path = L"HwscopeSmartDebug.log";
  std::wstring lastError;
};

LogSettings& Settings() {
  static LogSettings settings;
  return settings;
}

std::wstring Bounded(const std::wstring& text, std::size_t chars) {
  return text.size() < chars ? text : text.substr(0, chars - 1);
}

void SetLastErrorText(const std::wstring& text) {
  std::lock_guard<std::mutex> lock(Settings().textMutex);
  Settings().lastError = Bounded(text, kLastErrorChars);
}

void StorePath(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(Settings().textMutex);
  Settings().path = Bounded(path, kLogPathChars);
}

std::string NarrowPath(const std::wstring& path) { return common::ToUtf8(path); }

// Opens the file the way the log does; a file that is empty after opening is
// new and gets the UTF-16LE byte-order mark first.
std::FILE* OpenUtf16(const std::wstring& path, bool truncate) {
  std::FILE* f = std::fopen(NarrowPath(path).c_str(), truncate ? "wb" : "ab");
  if (f == nullptr) return nullptr;
  if (std::fseek(f, 0, SEEK_END) == 0 && std::ftell(f) == 0) {
    static const unsigned char kBom[2] = {0xFF, 0xFE};
    std::fwrite(kBom, 1, sizeof kBom, f);
  }
  return f;
}

bool IsExistingFile(const std::wstring& path) {
  std::error_code ec;
  const std::filesystem::path p(NarrowPath(path));
  if (std::filesystem::is_directory(p, ec)) return false;
  std::FILE* f = std::fopen(p.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

std::wstring JoinLogFileName(const std::wstring& folder) {
  return folder + L"/" + common::FromUtf8(kLogFileName);
}

// The folder used when the requested one cannot take the log file: the
// temporary folder ($TMPDIR, else /tmp).
std::wstring FallbackFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string text = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return common::FromUtf8(text);
}

std::string TimeAndDate() {
  const std::time_t now = platform::Current().Now();
  std::tm local{};
  localtime_r(&now, &local);
  char time[16] = {};
  char date[32] = {};
  std::strftime(time, sizeof time, "%H:%M:%S", &local);
  std::strftime(date, sizeof date, "%d-%b-%Y", &local);
  return std::string(time) + " " + date;
}

// Writes one finished line through the single writer.
void WriteLine(const std::string& message) {
  ClearLastErrorText();
  LogSettings& s = Settings();
  if (!s.on.load()) return;
  while (s.busy.exchange(true)) std::this_thread::sleep_for(std::chrono::milliseconds(100));

  const std::uint32_t elapsed = platform::Current().TickCount() - s.startTick.load();
  char prefix[64];
  std::snprintf(prefix, sizeof prefix, "%0.3fs - Hwscope: ", elapsed / 1000.0);
  std::string line = prefix + message;
  if (line.empty() || line.back() != '\n') line += '\n';

  if (std::FILE* external = s.external.load()) {
    // A caller's stream is 8-bit text: the line goes in as UTF-8.
    std::fwrite(line.data(), 1, line.size(), external);
    std::fflush(external);
    s.busy.store(false);
    return;
  }
  const std::wstring path = LogFilePath();
  std::FILE* f = OpenUtf16(path, false);
  if (f == nullptr) {
    s.busy.store(false);
    SetLastErrorText(strings::TextCopy(strings::HW_IDS_OPEN_FAIL) + L": " + path);
    return;
  }
  const std::string bytes = common::ToUtf16Le(common::FromUtf8(line));
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fflush(f);
  ::fsync(fileno(f));
  std::fclose(f);
  s.busy.store(false);
}

std::string VFormat(const char* format, std::va_list args) {
  std::va_list copy;
  va_copy(copy, args);
  char small[512];
  const int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return std::string();
  if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, n);
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), format, args);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

}  // namespace

bool LoggingOn() { return Settings().on.load(); }

void LogMessage(const std::string& messageUtf8) {
  if (!LoggingOn()) {
    ClearLastErrorText();
    return;
  }
  WriteLine("HwscopeDll: " + TimeAndDate() + " - " + messageUtf8);
}

void Logf(const char* format, ...) {
  if (!LoggingOn()) return;
  std::va_list args;
  va_start(args, format);
  std::string message = VFormat(format, args);
  va_end(args);
  LogMessage(message);
}

void LogfError(std::uint32_t error, const char* format, ...) {
  if (!LoggingOn()) return;
  std::va_list args;
  va_start(args, format);
  std::string message = VFormat(format, args);
  va_end(args);
  char tail[64];
  std::snprintf(tail, sizeof tail, ".  GetLastError() = %d, \"", static_cast<int>(error));
  LogMessage(message + tail + SystemErrorText(error) + "\"");
}

std::string SystemErrorText(std::uint32_t code) {
  std::wstring text = platform::Current().ErrorText(code);
  if (!text.empty()) return Utf8(Bounded(text, kLastErrorChars));
  char fallback[80];
  std::snprintf(fallback, sizeof fallback, "Error: could not format descripton (%d)",
                static_cast<int>(code));
  return fallback;
}

std::string Utf8(const std::wstring& text) { return common::ToUtf8(text); }
std::string Utf8(const wchar_t* text) { return text ? common::ToUtf8(text) : std::string(); }

// ---- control --------------------------------------------------------------

void ClearLastErrorText() {
  std::lock_guard<std::mutex> lock(Settings().textMutex);
  Settings().lastError.clear();
}

std::wstring LastErrorText() {
  std::lock_guard<std::mutex> lock(Settings().textMutex);
  return Settings().lastError;
}

int CopyLastErrorText(wchar_t* buf, unsigned bufLen) {
  if (buf == nullptr || bufLen < 1) return 1;
  buf[0] = L'\0';
  const std::wstring text = LastErrorText();
  if (bufLen < kLastErrorChars) {
    std::wcsncpy(buf, text.c_str(), bufLen - 1);
    buf[bufLen - 1] = L'\0';
  } else {
    std::wcscpy(buf, text.c_str());
  }
  return 1;
}

void SetLogFilePath(const wchar_t* path) {
  if (path != nullptr && *path != L'\0') StorePath(path);
}

std::wstring LogFilePath() {
  std::lock_guard<std::mutex> lock(Settings().textMutex);
  return Settings().path;
}

int StartLogging(const wchar_t* path) {
  LogSettings& s = Settings();
  ClearLastErrorText();
  s.startTick.store(platform::Current().TickCount());
  if (path != nullptr) StorePath(path);

  std::wstring target = LogFilePath();
  bool truncate = false;
  if (!IsExistingFile(target)) {
    target = JoinLogFileName(target);
    truncate = true;
  }
  std::FILE* f = OpenUtf16(target, truncate);
  if (f == nullptr) {
    target = JoinLogFileName(FallbackFolder());
    f = OpenUtf16(target, truncate);
  }
  StorePath(target);
  if (f == nullptr) {
    SetLastErrorText(strings::TextCopy(strings::HW_IDS_CREATE_FAIL) + L": " + target);
    return 0;
  }
  std::fclose(f);
  s.on.store(true);
  LogMessage(VersionText());
  return 1;
}

int StartLoggingExisting(std::FILE* stream) {
  LogSettings& s = Settings();
  ClearLastErrorText();
  s.external.store(stream);
  s.startTick.store(platform::Current().TickCount());
  s.on.store(true);
  LogMessage(VersionText());
  return 1;
}

int StopLogging() {
  ClearLastErrorText();
  Settings().on.store(false);
  Settings().external.store(nullptr);
  return 1;
}

}  // namespace hwscope
