// Entry of the spindlewatch program: start-up, then either the unattended
// check (CHECKTEC, no display needed) or the main window.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/text.h"
#include "core/app_state.h"
#include "core/message_sink.h"
#include "core/startup.h"
#include "hwscope/hwscope.h"
#include "main_window_entry.h"
#include "qt_message_sink.h"

namespace {

std::string OwnExecutable() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

// The crash handler starts the program again with the notice in the
// environment; that run only shows the box.
int ShowCrashNotice(int& argc, char** argv, const char* notice) {
  const char* title = std::getenv("SPINDLEWATCH_CRASH_TITLE");
  QtMessageSink sink(argc, argv);
  sink.Show(common::FromUtf8(notice),
            common::FromUtf8(title ? title : ""), appcore::MessageIcon::None,
            appcore::MessageButtons::Ok);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (const char* notice = std::getenv("SPINDLEWATCH_CRASH_NOTICE")) {
    if (HasDisplay()) return ShowCrashNotice(argc, argv, notice);
    return 0;
  }

  // Message boxes where a display is; standard error and the debug log
  // otherwise (cron, ssh).
  QtMessageSink qtSink(argc, argv);
  bool display = HasDisplay();
  if (display) appcore::SetMessageSink(&qtSink);

  std::vector<std::string> arguments(argv, argv + argc);
  appcore::StartupContext ctx;
  int exitCode = 0;
  if (!appcore::RunStartup(arguments, display ? OwnExecutable() : std::string(), &ctx,
                           &exitCode))
    return exitCode;

  if (ctx.checkMode) {
    int result = appcore::RunCheckMode();
    HwscopeDll_Smart_Cleanup();
    return result;
  }
  return RunMainWindow(ctx, argc, argv);
}
