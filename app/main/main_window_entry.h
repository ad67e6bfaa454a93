// The windowed run of the program, after start-up (everything but CHECKTEC).
#pragma once

#include "core/startup.h"

// Runs the main window until it is closed; returns the exit code.
int RunMainWindow(const appcore::StartupContext& ctx, int& argc, char** argv);
