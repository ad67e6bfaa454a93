#include "test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "common/spindlewatch_localization.h"

namespace apptest {

void LoadStrings() {
  static bool loaded = false;
  if (loaded) return;
  std::wstring path = L"" SW_RESOURCES_DIR "/localization.txt";
  int rc = sw::CreateLocalization(path.c_str());
  ASSERT_EQ(rc, -1) << "localization.txt did not load";
  loaded = true;
}

TempDir::TempDir() {
  char pattern[] = "/tmp/appcore-test-XXXXXX";
  char* made = mkdtemp(pattern);
  if (made == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = made;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

SmtpServer::SmtpServer(const std::string& mode, const std::string& outfile) {
  int in[2];
  int out[2];
  if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe");
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[1]);
    close(out[0]);
    std::string script = SW_TEST_DIR "/smtp_servers.py";
    execl("/usr/bin/python3", "python3", script.c_str(), mode.c_str(), outfile.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  stdinFd_ = in[1];
  // Read the "PORT n" line (generous limit for a loaded machine).
  std::string line;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  char c;
  while (std::chrono::steady_clock::now() < deadline) {
    ssize_t n = read(out[0], &c, 1);
    if (n <= 0) break;
    if (c == '\n') break;
    line += c;
  }
  close(out[0]);
  if (std::sscanf(line.c_str(), "PORT %d", &port_) != 1)
    throw std::runtime_error("SMTP server did not start: " + line);
}

SmtpServer::~SmtpServer() {
  if (stdinFd_ >= 0) close(stdinFd_);
  if (pid_ <= 0) return;
  for (int i = 0; i < 100; ++i) {
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

}  // namespace apptest
