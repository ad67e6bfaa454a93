#include "core/startup.h"

#include <sys/stat.h>

#include <cstdio>

#include "common/spindlewatch_localization.h"
#include "common/text.h"
#include "core/app_config.h"
#include "core/app_state.h"
#include "core/command_line.h"
#include "core/crash_handler.h"
#include "core/debug_log.h"
#include "core/health_check.h"
#include "core/message_sink.h"
#include "core/texts.h"
#include "hwscope/hwscope.h"

namespace appcore {

std::wstring StringFilePath() {
  std::wstring path = ProgramFile(L"localization.txt");
  struct stat info {};
  if (stat(common::ToUtf8(path).c_str(), &info) == 0) return path;
  return L"localization.txt";
}

bool RunStartup(const std::vector<std::string>& arguments,
                const std::string& crashNoticeProgram, StartupContext* ctx, int* exitCode) {
  AppState& state = State();
  state.programDirectory = FindProgramDirectory();

  std::wstring stringFile = StringFilePath();
  int loaded = sw::CreateLocalization(stringFile.c_str());
  if (loaded != -1) {
    // The reason goes to standard error for whoever reads it there.
    const wchar_t* detail = sw::GetLocError();
    if (detail != nullptr && *detail != L'\0')
      std::fprintf(stderr, "%s: %s\n", common::ToUtf8(stringFile).c_str(),
                   common::ToUtf8(detail).c_str());
    ShowMessage(FormatText(L"Failed to load/parse program string file on line %d", loaded),
                L"Error", MessageIcon::Error);
    *exitCode = -1;
    return false;
  }

  if (arguments.size() > 1) ParseCommandLine(arguments);
  InstallCrashHandler(crashNoticeProgram);
  LoadConfig(&LiveConfig());

  ctx->checkMode = state.checkMode;
  ctx->startHidden = state.startHidden;
  ctx->debugMode = state.debugMode;
  const wchar_t* libraryVersion = HwscopeDll_GetVersion();
  ctx->caption = LocFormat(sw::PROGRAM_INFO_STRING_W_HWSCOPE, kProductName, kProductVersion,
                           kProductBuild, libraryVersion != nullptr ? libraryVersion : L"");
  // Also makes sure the log file exists, so that the library appends to it.
  WriteDebugLog(ctx->caption);

  int rc = HwscopeDll_Smart_Init(state.debugMode, DebugLogPath().c_str(),
                                 LiveConfig().recordSmart != 0);
  if (rc != 0) {
    WriteDebugLog(LogPlace("InitDialog", 1) + FormatText(L"HwscopeDll_Smart_Init error = %d", rc));
    std::wstring text = LocText(sw::ERROR_GATHERING_SMART_INFO);
    if (rc == HWSCOPE_E_NOT_ADMIN) text += LocText(sw::ERROR_NO_ACCESS_RIGHTS_RUN_AS_ADMIN);
    ShowMessage(text, LocText(sw::MB_TITLE_ERROR_INITIALIZE), MessageIcon::Information);
    *exitCode = rc;
    return false;
  }
  return true;
}

int RunCheckMode() { return Health().CheckSMARTStatus(); }

}  // namespace appcore
