#include "core/crash_handler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "common/text.h"
#include "core/app_state.h"
#include "core/debug_log.h"
#include "core/texts.h"

extern char** environ;

namespace appcore {
namespace {

constexpr size_t kPathSize = 1024;
constexpr size_t kTextSize = 3072;
constexpr int kSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};

// Everything the handler needs, prepared at install time.
struct CrashSetup {
  char directory[kPathSize];
  char logPath[kPathSize];
  char noticeTemplate[kTextSize];
  char failedTemplate[kTextSize];
  char title[512];
  char noticeProgram[kPathSize];
  bool debugMode;
  bool display;
  long utcOffset;  // seconds east of UTC
};
CrashSetup g_setup;
volatile sig_atomic_t g_inHandler = 0;
char g_altStack[64 * 1024];

// Small bounded text builder for the handler (no allocation, no stdio).
struct Text {
  char* buf;
  size_t size;
  size_t len = 0;
  Text(char* b, size_t s) : buf(b), size(s) { buf[0] = '\0'; }
  void Add(const char* s) {
    while (s && *s && len + 1 < size) buf[len++] = *s++;
    buf[len] = '\0';
  }
  void AddChar(char c) {
    if (len + 1 < size) buf[len++] = c;
    buf[len] = '\0';
  }
  void AddUnsigned(unsigned long long v, int base = 10, int width = 0) {
    char digits[32];
    int n = 0;
    do {
      int d = static_cast<int>(v % static_cast<unsigned>(base));
      digits[n++] = static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
      v /= static_cast<unsigned>(base);
    } while (v != 0 && n < 32);
    while (n < width && n < 32) digits[n++] = '0';
    while (n > 0) AddChar(digits[--n]);
  }
  void AddSigned(long long v) {
    if (v < 0) {
      AddChar('-');
      AddUnsigned(static_cast<unsigned long long>(-(v + 1)) + 1);
    } else {
      AddUnsigned(static_cast<unsigned long long>(v));
    }
  }
};

// Fills a template: each %s takes the next text, each numeric conversion
// the number; %% is a percent sign.
void FillTemplate(Text& out, const char* format, const char* text, long long number) {
  bool textUsed = false;
  for (const char* p = format; *p; ++p) {
    if (*p != '%') {
      out.AddChar(*p);
      continue;
    }
    const char* q = p + 1;
    if (*q == '%') {
      out.AddChar('%');
      p = q;
      continue;
    }
    while (*q && std::strchr("-+ #0123456789.hlLqjzt", *q)) ++q;
    if (*q == 's' || *q == 'S') {
      out.Add(textUsed ? "" : text);
      textUsed = true;
    } else if (*q && std::strchr("diuxXo", *q)) {
      out.AddSigned(number);
    } else {
      out.AddChar('%');
      continue;
    }
    p = q;
  }
}

void WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    size -= static_cast<size_t>(n);
  }
}
void WriteText(int fd, const Text& t) { WriteAll(fd, t.buf, t.len); }

// Civil date of a day count since 1970-01-01.
void CivilFromDays(long long z, int* y, int* m, int* d) {
  z += 719468;
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long yy = yoe + era * 400;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yy + (*m <= 2 ? 1 : 0));
}

const char* SignalName(int sig) {
  switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGABRT: return "SIGABRT";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    default: return "?";
  }
}

void CopyText(char* dest, size_t size, const std::string& text) {
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(dest, text.data(), n);
  dest[n] = '\0';
}

void BuildName(Text& name, const char* directory, int year, int month, int day, int hour,
               int minute, int second, long pid, long tid) {
  name.Add(directory);
  name.Add("/Spindlewatch-V3.5.1004-");
  name.AddUnsigned(static_cast<unsigned>(year), 10, 4);
  name.AddUnsigned(static_cast<unsigned>(month), 10, 2);
  name.AddUnsigned(static_cast<unsigned>(day), 10, 2);
  name.AddChar('-');
  name.AddUnsigned(static_cast<unsigned>(hour), 10, 2);
  name.AddUnsigned(static_cast<unsigned>(minute), 10, 2);
  name.AddUnsigned(static_cast<unsigned>(second), 10, 2);
  name.AddChar('-');
  name.AddSigned(pid);
  name.AddChar('-');
  name.AddSigned(tid);
  name.Add(".dmp");
}

bool WriteDump(int fd, int sig, siginfo_t* info, long pid, long tid, const Text& when) {
  char buffer[512];
  Text t(buffer, sizeof buffer);
  t.Add("SPINDLEWATCH POST-MORTEM DUMP 1\nprogram: Spindlewatch V3.5 build 1004\ntime: ");
  t.Add(when.buf);
  t.Add("\npid: ");
  t.AddSigned(pid);
  t.Add("\ntid: ");
  t.AddSigned(tid);
  t.Add("\nsignal: ");
  t.AddSigned(sig);
  t.AddChar(' ');
  t.Add(SignalName(sig));
  t.Add("\ncode: ");
  t.AddSigned(info ? info->si_code : 0);
  t.Add("\naddress: 0x");
  t.AddUnsigned(reinterpret_cast<unsigned long long>(info ? info->si_addr : nullptr), 16);
  t.Add("\nbacktrace:\n");
  WriteText(fd, t);
  void* frames[64];
  int count = backtrace(frames, 64);
  backtrace_symbols_fd(frames, count, fd);
  WriteAll(fd, "maps:\n", 6);
  int maps = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
  if (maps >= 0) {
    char chunk[4096];
    ssize_t n;
    while ((n = read(maps, chunk, sizeof chunk)) > 0) WriteAll(fd, chunk, static_cast<size_t>(n));
    close(maps);
  }
  WriteAll(fd, "end\n", 4);
  return fsync(fd) == 0 || errno == EINVAL;
}

void ShowNotice(const Text& notice) {
  WriteText(2, notice);
  WriteAll(2, "\n", 1);
  if (g_setup.debugMode) {
    int log = open(g_setup.logPath, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (log >= 0) {
      WriteAll(log, "Spindlewatch: crash - ", 22);
      WriteText(log, notice);
      WriteAll(log, "\n", 1);
      close(log);
    }
  }
  if (!g_setup.display || g_setup.noticeProgram[0] == '\0') return;
  // Environment of the notice program: ours plus the two texts.
  char noticeVar[kTextSize + 32];
  Text nv(noticeVar, sizeof noticeVar);
  nv.Add("SPINDLEWATCH_CRASH_NOTICE=");
  nv.Add(notice.buf);
  char titleVar[600];
  Text tv(titleVar, sizeof titleVar);
  tv.Add("SPINDLEWATCH_CRASH_TITLE=");
  tv.Add(g_setup.title);
  char* env[256];
  int n = 0;
  for (char** e = environ; e && *e && n < 250; ++e)
    if (std::strncmp(*e, "SPINDLEWATCH_CRASH_", 19) != 0) env[n++] = *e;
  env[n++] = noticeVar;
  env[n++] = titleVar;
  env[n] = nullptr;
  char* argv[] = {g_setup.noticeProgram, nullptr};
  pid_t child = fork();
  if (child == 0) {
    execve(g_setup.noticeProgram, argv, env);
    _exit(127);
  }
  if (child > 0) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }
}

// Ends the process with the default action of the signal (the signal is
// blocked while its handler runs, so it is let through first).
[[noreturn]] void EndWithSignal(int sig) {
  signal(sig, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
  _exit(128 + sig);
}

void OnCrash(int sig, siginfo_t* info, void*) {
  if (g_inHandler) EndWithSignal(sig);  // a crash inside the handler
  g_inHandler = 1;

  long long now = static_cast<long long>(time(nullptr)) + g_setup.utcOffset;
  long long days = now >= 0 ? now / 86400 : (now - 86399) / 86400;
  long long secs = now - days * 86400;
  int year, month, day;
  CivilFromDays(days, &year, &month, &day);
  int hour = static_cast<int>(secs / 3600), minute = static_cast<int>(secs / 60 % 60),
      second = static_cast<int>(secs % 60);
  long pid = static_cast<long>(getpid());
  long tid = static_cast<long>(syscall(SYS_gettid));

  char nameBuffer[kPathSize + 128];
  Text name(nameBuffer, sizeof nameBuffer);
  BuildName(name, g_setup.directory, year, month, day, hour, minute, second, pid, tid);
  char whenBuffer[64];
  Text when(whenBuffer, sizeof whenBuffer);
  when.AddUnsigned(static_cast<unsigned>(year), 10, 4);
  when.AddChar('-');
  when.AddUnsigned(static_cast<unsigned>(month), 10, 2);
  when.AddChar('-');
  when.AddUnsigned(static_cast<unsigned>(day), 10, 2);
  when.AddChar(' ');
  when.AddUnsigned(static_cast<unsigned>(hour), 10, 2);
  when.AddChar(':');
  when.AddUnsigned(static_cast<unsigned>(minute), 10, 2);
  when.AddChar(':');
  when.AddUnsigned(static_cast<unsigned>(second), 10, 2);

  int error = 0;
  int fd = open(name.buf, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool written = false;
  if (fd < 0) {
    error = errno;
  } else {
    written = WriteDump(fd, sig, info, pid, tid, when);
    if (!written) error = errno;
  }

  char noticeBuffer[kTextSize];
  Text notice(noticeBuffer, sizeof noticeBuffer);
  FillTemplate(notice, written ? g_setup.noticeTemplate : g_setup.failedTemplate, name.buf,
               error);
  ShowNotice(notice);
  EndWithSignal(sig);
}

}  // namespace

std::string CrashDumpName(const std::string& directory, int year, int month, int day, int hour,
                          int minute, int second, long pid, long tid) {
  char buffer[kPathSize + 128];
  Text name(buffer, sizeof buffer);
  BuildName(name, directory.c_str(), year, month, day, hour, minute, second, pid, tid);
  return name.buf;
}

void InstallCrashHandler(const std::string& noticeProgram) {
  CopyText(g_setup.directory, kPathSize, common::ToUtf8(State().programDirectory));
  CopyText(g_setup.logPath, kPathSize, common::ToUtf8(DebugLogPath()));
  CopyText(g_setup.noticeTemplate, kTextSize,
           common::ToUtf8(LocText(sw::MISC_DEBUG_REPORT_NOTICE_TEXT)));
  CopyText(g_setup.failedTemplate, kTextSize,
           common::ToUtf8(LocText(sw::MISC_DEBUG_REPORT_FAILED)));
  CopyText(g_setup.title, sizeof g_setup.title, common::ToUtf8(LocText(sw::ERROR_REPORTED_ERROR)));
  CopyText(g_setup.noticeProgram, kPathSize, noticeProgram);
  g_setup.debugMode = State().debugMode;
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  g_setup.display = (x && *x) || (wayland && *wayland);
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  g_setup.utcOffset = local.tm_gmtoff;

  // Load the unwinder now; it may allocate on first use.
  void* frames[4];
  backtrace(frames, 4);

  stack_t stack{};
  stack.ss_sp = g_altStack;
  stack.ss_size = sizeof g_altStack;
  sigaltstack(&stack, nullptr);
  struct sigaction action {};
  action.sa_sigaction = OnCrash;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int sig : kSignals) sigaction(sig, &action, nullptr);
}

}  // namespace appcore
