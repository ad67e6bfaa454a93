// The crash handler: on SIGSEGV, SIGABRT, SIGBUS, SIGFPE or SIGILL it writes
// a post-mortem dump file into the program directory, named
//   <dir>/Spindlewatch-V3.5.1004-YYYYMMDD-hhmmss-<pid>-<tid>.dmp
// (local time), tells the user where it is, and ends the process with the
// signal. Everything it does at crash time is async-signal-safe: texts,
// paths and the time zone offset are prepared when it is installed.
//
// Dump file format (text, one item per line):
//   SPINDLEWATCH POST-MORTEM DUMP 1
//   program: Spindlewatch V3.5 build 1004
//   time: YYYY-MM-DD hh:mm:ss
//   pid: <process id>
//   tid: <thread id>
//   signal: <number> <name>
//   code: <si_code>
//   address: 0x<faulting address, hex>
//   backtrace:
//   <one frame per line: module(symbol+offset) [0xaddress]>
//   maps:
//   <the process's memory map, as /proc/self/maps gives it>
//   end
#pragma once

#include <string>

namespace appcore {

// Installs the handler for the rest of the process. The notice texts are
// taken from the string file now (MISC_DEBUG_REPORT_NOTICE_TEXT with the
// dump path; MISC_DEBUG_REPORT_FAILED with the path and the error number;
// title ERROR_REPORTED_ERROR). The notice goes to standard error and the
// debug log; when a display was there at install time and noticeProgram is
// given, that program is started with the environment variables
// SPINDLEWATCH_CRASH_NOTICE and SPINDLEWATCH_CRASH_TITLE to show it in a
// message box, and the handler waits for it to close.
void InstallCrashHandler(const std::string& noticeProgram = std::string());

// The dump file name for the given local time fields and ids.
std::string CrashDumpName(const std::string& directory, int year, int month, int day, int hour,
                          int minute, int second, long pid, long tid);

}  // namespace appcore
