#include "core/help_launcher.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "common/text.h"
#include "core/app_state.h"
#include "core/debug_log.h"
#include "core/message_sink.h"
#include "core/texts.h"

namespace appcore {

int LaunchDetached(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // The grandchild reports a failed exec through the pipe; a successful
  // exec closes it (close-on-exec) with nothing written.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return errno;
  pid_t child = fork();
  if (child < 0) {
    int error = errno;
    close(report[0]);
    close(report[1]);
    return error;
  }
  if (child == 0) {
    close(report[0]);
    setsid();
    pid_t grandchild = fork();
    if (grandchild != 0) {
      if (grandchild < 0) {
        int error = errno;
        (void)!write(report[1], &error, sizeof error);
      }
      _exit(0);
    }
    int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      dup2(devnull, 0);
      if (devnull > 2) close(devnull);
    }
    execvp(program.c_str(), argv.data());
    int error = errno;
    (void)!write(report[1], &error, sizeof error);
    _exit(127);
  }
  close(report[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t n;
  do {
    n = read(report[0], &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  close(report[0]);
  return n == sizeof error ? (error != 0 ? error : EIO) : 0;
}

std::wstring HelpViewerPath() { return ProgramFile(L"Help/Spindlewatch_Help"); }

std::wstring HelpFailureText(int error) {
  switch (error) {
    case ENOENT: return L"The specified file was not found.";
    case ENOTDIR: return L"The specified path was not found.";
    case ENOMEM: return L"There was not enough memory to complete the operation.";
    case ETXTBSY: return L"A sharing violation occurred.";
    case ENOEXEC: return L"There is no application associated with the given file name extension.";
    default: return L"An error occurred while trying to open the browser.";
  }
}

int OpenHelpTopic(const std::wstring& topic) {
  std::string path = common::ToUtf8(HelpViewerPath());
  // One argument: without a shell between us and the viewer, no quote
  // characters are needed to keep a topic with blanks together.
  int error = LaunchDetached(path, {common::ToUtf8(L"index.html?" + topic)});
  if (error != 0) {
    ShowMessage(HelpFailureText(error), L"Spindlewatch - Could not open help.",
                MessageIcon::Warning);
  }
  return error;
}

int OpenHomePage() {
  int error = LaunchDetached("xdg-open", {common::ToUtf8(kHomePageUrl)});
  if (error != 0) {
    ShowMessage(LocText(sw::ERROR_CANNOT_START_BROWSER), LocText(sw::MB_TITLE_NO_DEFAULT_BROWSER),
                MessageIcon::Warning);
  }
  return error;
}

}  // namespace appcore
