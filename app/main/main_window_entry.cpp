#include "main_window_entry.h"

#include <cstdio>

#include "hwscope/hwscope.h"

int RunMainWindow(const appcore::StartupContext&, int&, char**) {
  // The main window is not part of this build yet.
  std::fprintf(stderr,
               "spindlewatch: the main window is not available in this build yet; "
               "run \"spindlewatch CHECKTEC\" for the unattended check\n");
  HwscopeDll_Smart_Cleanup();
  return 0;
}
