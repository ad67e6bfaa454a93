// The spindlewatch program end to end on simulated machines, without a
// display: CHECKTEC exit codes, the alert e-mail, the debug log, and the
// start-up stops.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "common/text.h"
#include "core/app_config.h"
#include "core/app_state.h"
#include "core/texts.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int exitCode = -1;
  std::string errors;  // standard error
};

// A program directory of its own: the program, the library and the string
// files, so the debug log and settings of one test stay apart.
class ProgramDir {
 public:
  ProgramDir() {
    for (const char* name : {"spindlewatch", "libhwscope.so", "localization.txt",
                             "Hwscope_localization.txt", "SMARTdesc.csv"})
      fs::copy_file(std::string(SW_BIN_DIR) + "/" + name, dir.File(name));
  }
  std::string File(const std::string& name) const { return dir.File(name); }

  RunResult Run(const std::vector<std::string>& args, const std::string& machine) {
    RunResult result;
    std::string errFile = dir.File("stderr.txt");
    pid_t pid = fork();
    if (pid == 0) {
      std::vector<std::string> env = {"PATH=/usr/bin:/bin", "HOME=/tmp", "LANG=C"};
      if (!machine.empty()) env.push_back("SPINDLEWATCH_MACHINE=" + machine);
      std::vector<char*> envp;
      for (auto& e : env) envp.push_back(e.data());
      envp.push_back(nullptr);
      std::string program = dir.File("spindlewatch");
      std::vector<std::string> all = {program};
      all.insert(all.end(), args.begin(), args.end());
      std::vector<char*> argv;
      for (auto& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      FILE* err = std::fopen(errFile.c_str(), "w");
      if (err) dup2(fileno(err), 2);
      if (chdir("/") != 0) _exit(126);  // not the program directory
      execve(program.c_str(), argv.data(), envp.data());
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    result.errors = apptest::ReadFile(errFile);
    return result;
  }

 private:
  apptest::TempDir dir;
};

std::string DemoMachine() { return SW_RESOURCES_DIR "/machines/demo.json"; }

// The demo's first drive alone, with its reallocated sectors back to health.
std::string WriteMachine(const std::string& path, bool healthy, bool administrator = true) {
  std::ifstream in(DemoMachine());
  nlohmann::json demo = nlohmann::json::parse(in);
  nlohmann::json machine = demo;
  machine["administrator"] = administrator;
  machine["drives"] = nlohmann::json::array({demo["drives"][0]});
  nlohmann::json volumes = nlohmann::json::array();
  for (auto& v : demo["volumes"])
    if (v.contains("disks") && v["disks"] == nlohmann::json::array({0})) volumes.push_back(v);
  machine["volumes"] = volumes;
  for (auto& a : machine["drives"][0]["attributes"])
    if (a["id"] == 5) a["current"] = healthy ? 100 : 36;
  std::ofstream(path) << machine.dump(2);
  return path;
}

void WriteSettings(const std::string& path, const appcore::AppConfig& config) {
  appcore::AppState saved = appcore::State();
  appcore::State().configPath = common::FromUtf8(path);
  ASSERT_EQ(appcore::SaveConfig(config), 1);
  appcore::State() = saved;
}

class CheckTecTest : public ::testing::Test {
 protected:
  void SetUp() override {
    apptest::LoadStrings();
    if (!fs::exists(std::string(SW_BIN_DIR) + "/spindlewatch")) GTEST_SKIP() << "no program";
  }
  ProgramDir program;
};

TEST_F(CheckTecTest, DemoMachineExitsOneHealthyMachineZero) {
  EXPECT_EQ(program.Run({"CHECKTEC"}, DemoMachine()).exitCode, 1);
  std::string healthy = WriteMachine(program.File("healthy.json"), true);
  RunResult r = program.Run({"CHECKTEC"}, healthy);
  EXPECT_EQ(r.exitCode, 0) << r.errors;
  std::string sick = WriteMachine(program.File("sick.json"), false);
  EXPECT_EQ(program.Run({"CHECKTEC"}, sick).exitCode, 1);
  // No settings file was written by any of these runs.
  EXPECT_FALSE(fs::exists(program.File("Spindlewatch.cfg")));
}

TEST_F(CheckTecTest, MessageActionWithoutDisplayGoesToStandardError) {
  appcore::AppConfig config;
  appcore::SetConfigDefaults(&config);
  config.tecAction = 1;
  WriteSettings(program.File("msg.cfg"), config);
  RunResult r = program.Run({"-c", program.File("msg.cfg"), "CHECKTEC"},
                            WriteMachine(program.File("sick.json"), false));
  EXPECT_EQ(r.exitCode, 1);
  std::string title = common::ToUtf8(appcore::LocText(sw::EMAIL_THRESHOLD_EXCEED_CONDITION_LABEL));
  EXPECT_NE(r.errors.find(title), std::string::npos) << r.errors;
  EXPECT_NE(r.errors.find("Reallocated Sector Count"), std::string::npos) << r.errors;
}

TEST_F(CheckTecTest, AlertMailArrives) {
  std::string out = program.File("mail.jsonl");
  apptest::SmtpServer server("aiosmtpd", out);
  appcore::AppConfig config;
  appcore::SetConfigDefaults(&config);
  config.tecAction = 2;
  appcore::CopyField(config.recipients[0], 64, "admin@example.org");
  appcore::CopyField(config.fromAddress, 64, "spindlewatch@example.org");
  appcore::CopyField(config.smtpServer, 64, "127.0.0.1");
  config.smtpPort = static_cast<uint32_t>(server.port());
  WriteSettings(program.File("mail.cfg"), config);

  RunResult r = program.Run({"CHECKTEC", "-c", program.File("mail.cfg")},
                            WriteMachine(program.File("sick.json"), false));
  EXPECT_EQ(r.exitCode, 1) << r.errors;
  std::string mail = apptest::ReadFile(out);
  ASSERT_FALSE(mail.empty()) << r.errors;
  nlohmann::json received = nlohmann::json::parse(mail.substr(0, mail.find('\n')));
  EXPECT_EQ(received["rcpt_tos"], nlohmann::json::array({"admin@example.org"}));
  std::string data = received["data"];
  EXPECT_NE(data.find("Subject: "), std::string::npos);
  EXPECT_NE(data.find("Reallocated Sector Count"), std::string::npos) << data;
  EXPECT_NE(data.find("Hyperion HD2000-7K DT"), std::string::npos) << data;
  EXPECT_NE(data.find("Spindlewatch V3.5"), std::string::npos) << data;
}

TEST_F(CheckTecTest, DebugLogHoldsProgramAndLibraryLines) {
  RunResult r = program.Run({"CHECKTEC", "-d"}, DemoMachine());
  EXPECT_EQ(r.exitCode, 1);
  std::string log = apptest::ReadFile(program.File("SpindlewatchLog.txt"));
  EXPECT_NE(log.find("Spindlewatch: "), std::string::npos);
  EXPECT_NE(log.find("CheckSMARTStatus[1]: Checking SMART status for all drives"),
            std::string::npos);
  EXPECT_NE(log.find("ParseCommandLine[2]: \"-d\" is a command line argument"),
            std::string::npos);
  // The library writes its lines into the same file, as UTF-16LE.
  std::string wide = common::ToUtf16Le(L" - Hwscope: HwscopeDll: ");
  EXPECT_NE(log.find(wide), std::string::npos);

  // Without -d nothing is written.
  ProgramDir quiet;
  quiet.Run({"CHECKTEC"}, DemoMachine());
  EXPECT_FALSE(fs::exists(quiet.File("SpindlewatchLog.txt")));
}

TEST_F(CheckTecTest, StartUpStops) {
  // A broken string file stops with -1 and names the line.
  apptest::WriteFile(program.File("localization.txt"), "\xEF\xBB\xBFMISC_OK,\"OK\",\nBROKEN LINE\n");
  RunResult r = program.Run({"CHECKTEC"}, DemoMachine());
  EXPECT_EQ(r.exitCode, 255);
  EXPECT_NE(r.errors.find("Failed to load/parse program string file on line "), std::string::npos)
      << r.errors;
  fs::remove(program.File("localization.txt"));
  r = program.Run({"CHECKTEC"}, DemoMachine());
  EXPECT_EQ(r.exitCode, 255);
  EXPECT_NE(r.errors.find("on line 0"), std::string::npos) << r.errors;

  // No administrator rights: the library's code ends the process.
  ProgramDir other;
  r = other.Run({"CHECKTEC"}, WriteMachine(other.File("user.json"), true, false));
  EXPECT_EQ(r.exitCode, (-7002) & 0xFF);
  EXPECT_NE(r.errors.find(common::ToUtf8(appcore::LocText(sw::ERROR_GATHERING_SMART_INFO))),
            std::string::npos)
      << r.errors;

  // Settings of random bytes: the run goes on.
  std::string junk;
  for (int i = 0; i < 6704; ++i) junk += static_cast<char>((i * 131 + 7) & 0xFF);
  apptest::WriteFile(other.File("junk.cfg"), junk);
  r = other.Run({"-c", other.File("junk.cfg"), "CHECKTEC"}, DemoMachine());
  EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << r.exitCode << r.errors;
}

}  // namespace
