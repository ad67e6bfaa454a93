#include "core/debug_log.h"

#include <cstdio>
#include <ctime>

#include "common/text.h"
#include "core/app_state.h"

namespace appcore {

std::wstring DebugLogPath() { return ProgramFile(kDebugLogName); }

void WriteDebugLog(const std::wstring& message) {
  if (!State().debugMode) return;
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char timeText[64];
  char dateText[64];
  std::strftime(timeText, sizeof timeText, "%H:%M:%S", &local);
  std::strftime(dateText, sizeof dateText, "%d-%b-%Y", &local);
  std::FILE* file = std::fopen(common::ToUtf8(DebugLogPath()).c_str(), "a");
  if (file == nullptr) return;
  std::fprintf(file, "Spindlewatch: %s %s - %s\n", timeText, dateText,
               common::ToUtf8(message).c_str());
  std::fclose(file);
}

std::wstring LogPlace(const char* function, int place) {
  return common::FromUtf8(function) + L"[" + std::to_wstring(place) + L"]: ";
}

}  // namespace appcore
