// The crash handler in a child process: the dump file, its content and the
// notice.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <regex>

#include "common/text.h"
#include "core/app_state.h"
#include "core/crash_handler.h"
#include "core/texts.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// Forks a child that installs the handler and dies of sig; returns the
// wait status. The child's standard error goes to errFile.
int CrashChild(const std::string& dir, int sig, const std::string& errFile) {
  pid_t pid = fork();
  if (pid == 0) {
    FILE* err = std::fopen(errFile.c_str(), "w");
    if (err) dup2(fileno(err), 2);
    appcore::State().programDirectory = common::FromUtf8(dir);
    appcore::State().debugMode = true;
    appcore::InstallCrashHandler();
    if (sig == SIGSEGV) {
      volatile std::uintptr_t address = 16;
      *reinterpret_cast<volatile int*>(address) = 1;
    }
    raise(sig);
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

std::vector<std::string> Dumps(const std::string& dir) {
  std::vector<std::string> out;
  for (auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".dmp") out.push_back(e.path().string());
  return out;
}

TEST(CrashHandler, WritesDumpAndNotice) {
  apptest::LoadStrings();
  for (int sig : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL}) {
    apptest::TempDir dir;
    std::string errFile = dir.File("stderr.txt");
    int status = CrashChild(dir.path(), sig, errFile);
    ASSERT_TRUE(WIFSIGNALED(status)) << sig;  // the process still ends with the signal
    EXPECT_EQ(WTERMSIG(status), sig);
    auto dumps = Dumps(dir.path());
    ASSERT_EQ(dumps.size(), 1u) << sig;
    std::regex name(".*/Spindlewatch-V3\\.5\\.1004-\\d{8}-\\d{6}-(\\d+)-(\\d+)\\.dmp");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(dumps[0], m, name)) << dumps[0];
    std::string dump = apptest::ReadFile(dumps[0]);
    EXPECT_EQ(dump.rfind("SPINDLEWATCH POST-MORTEM DUMP 1\n", 0), 0u);
    EXPECT_NE(dump.find("\npid: " + m[1].str() + "\n"), std::string::npos);
    EXPECT_NE(dump.find("\nsignal: " + std::to_string(sig) + " "), std::string::npos);
    EXPECT_NE(dump.find("\nbacktrace:\n"), std::string::npos);
    EXPECT_NE(dump.find("\nmaps:\n"), std::string::npos);
    EXPECT_NE(dump.find("app_core_tests"), std::string::npos);
    EXPECT_EQ(dump.substr(dump.size() - 4), "end\n");
    if (sig == SIGSEGV) {
      EXPECT_NE(dump.find("\naddress: 0x10\n"), std::string::npos) << dump;
    }

    std::wstring notice = appcore::LocFormat(sw::MISC_DEBUG_REPORT_NOTICE_TEXT,
                                             common::FromUtf8(dumps[0]));
    EXPECT_NE(apptest::ReadFile(errFile).find(common::ToUtf8(notice)), std::string::npos);
    std::string log = apptest::ReadFile(dir.File("SpindlewatchLog.txt"));
    EXPECT_NE(log.find(dumps[0]), std::string::npos);
  }
}

TEST(CrashHandler, UnwritableFolderGivesTheFailureText) {
  apptest::LoadStrings();
  apptest::TempDir dir;
  std::string missing = dir.File("no/such/folder");
  std::string errFile = dir.File("stderr.txt");
  int status = CrashChild(missing, SIGABRT, errFile);
  EXPECT_TRUE(WIFSIGNALED(status));
  std::string err = apptest::ReadFile(errFile);
  std::string failed = common::ToUtf8(appcore::LocText(sw::MISC_DEBUG_REPORT_FAILED));
  std::string head = failed.substr(0, failed.find('%'));
  EXPECT_NE(err.find(head), std::string::npos) << err;
  EXPECT_NE(err.find("(error 2)"), std::string::npos) << err;  // ENOENT
}

TEST(CrashHandler, NameCarriesProcessAndThread) {
  EXPECT_EQ(appcore::CrashDumpName("/opt/sw", 2026, 12, 9, 14, 3, 59, 4242, 4243),
            "/opt/sw/Spindlewatch-V3.5.1004-20261209-140359-4242-4243.dmp");
}

}  // namespace
