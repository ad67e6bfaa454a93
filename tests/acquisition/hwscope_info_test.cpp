// hwscope-info run as a program on simulated machines.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sim_library.h"

namespace hwscope_test {
namespace {

struct ToolRun {
  int status = -1;  // exit status
  std::string out;
};

// Runs hwscope-info with SPINDLEWATCH_MACHINE=machine and the arguments.
ToolRun RunInfo(const std::string& machine, const std::string& arguments) {
  const std::string command = "SPINDLEWATCH_MACHINE='" + machine + "' '" HWSCOPE_INFO_PATH "' " +
                              arguments + " 2>/dev/null";
  ToolRun run;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int raw = ::pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

std::string WriteMachine(const std::string& json) {
  char name[] = "/tmp/hwscope-info-machine-XXXXXX";
  const int fd = ::mkstemp(name);
  if (fd >= 0) ::close(fd);
  std::ofstream(name) << json;
  return name;
}

std::string TwoDrives(const std::string& extra = "") {
  const std::string drives =
      R"({"number": 0, "model": "HGST HTS721010A9E630", "serial": "JR1000D3", "firmware": "JB0OA3J0",
          "sectors": 1953525168, )" + AtaAttributes() + R"(},
         {"number": 1, "kind": "nvme", "model": "Samsung SSD 970 EVO 500GB", "serial": "S466NX0K",
          "firmware": "2B2QEXE7", "sectors": 976773168, "nvme_health": {"temperature": 310}})";
  const std::string volumes = R"({"letter": "C", "disks": [0], "size": 500000000000},
                                 {"letter": "D", "disks": [0], "size": 400000000000})";
  return Machine(drives, volumes, extra);
}

TEST(HwscopeInfo, JsonListsEveryDriveWithItsAttributes) {
  const std::string machine = WriteMachine(TwoDrives());
  const ToolRun run = RunInfo(machine, "--json");
  std::remove(machine.c_str());
  ASSERT_EQ(run.status, 0) << run.out;
  const nlohmann::json root = nlohmann::json::parse(run.out);
  ASSERT_EQ(root["devices"].size(), 2u);
  const auto& ata = root["devices"][0];
  EXPECT_EQ(ata["device"], 0);
  EXPECT_EQ(ata["model"], "HGST HTS721010A9E630");
  EXPECT_EQ(ata["serial"], "JR1000D3");
  EXPECT_EQ(ata["firmware"], "JB0OA3J0");
  EXPECT_EQ(ata["interface"], "SATA");
  EXPECT_EQ(ata["solid_state"], false);
  EXPECT_EQ(ata["volumes"], nlohmann::json::array({"C:", "D:"}));
  ASSERT_EQ(ata["attributes"].size(), 4u);
  const auto& reallocated = ata["attributes"][1];
  EXPECT_EQ(reallocated["id"], 5);
  EXPECT_EQ(reallocated["current"], 98);
  EXPECT_EQ(reallocated["threshold"], 36);
  EXPECT_EQ(reallocated["raw"], 3);
  EXPECT_EQ(reallocated["exceeded"], false);
  EXPECT_FALSE(reallocated["name"].get<std::string>().empty());

  const auto& nvme = root["devices"][1];
  EXPECT_EQ(nvme["interface"], "NVMe");
  EXPECT_EQ(nvme["solid_state"], true);
  EXPECT_EQ(nvme["volumes"], nlohmann::json::array());
  ASSERT_EQ(nvme["attributes"].size(), 15u);
  EXPECT_EQ(nvme["attributes"][1]["raw"], 310);
  EXPECT_EQ(nvme["attributes"][1]["nvme"], true);
}

TEST(HwscopeInfo, TextOutputAndLogFile) {
  const std::string machine = WriteMachine(TwoDrives());
  char logName[] = "/tmp/hwscope-info-log-XXXXXX";
  const int fd = ::mkstemp(logName);
  ASSERT_GE(fd, 0);
  ::close(fd);
  const ToolRun run = RunInfo(machine, std::string("--log '") + logName + "'");
  std::remove(machine.c_str());
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("Device 0"), std::string::npos);
  EXPECT_NE(run.out.find("HGST HTS721010A9E630"), std::string::npos);
  EXPECT_NE(run.out.find("C: D:"), std::string::npos);
  std::ifstream log(logName, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  std::remove(logName);
  EXPECT_GT(bytes.size(), 1000u);  // the library wrote its log there
}

TEST(HwscopeInfo, FailedInitGivesTheErrorCode) {
  const std::string machine = WriteMachine(TwoDrives(R"("administrator": false)"));
  const ToolRun run = RunInfo(machine, "--json");
  std::remove(machine.c_str());
  EXPECT_EQ(run.status, 7002 & 0xFF);  // the system keeps the low 8 bits of 7002
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(RunInfo(machine, "--bogus").status, 2);
}

TEST(HwscopeInfo, DemoMachineGivesParseableJson) {
  const std::string demo = SW_RESOURCES_DIR "/machines/demo.json";
  if (!std::ifstream(demo).good()) GTEST_SKIP() << "no demo machine at " << demo;
  const ToolRun run = RunInfo(demo, "--json");
  ASSERT_EQ(run.status, 0);
  const nlohmann::json root = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_FALSE(root.is_discarded()) << run.out;
  EXPECT_GT(root["devices"].size(), 0u);
  for (const auto& device : root["devices"]) {
    EXPECT_TRUE(device.contains("model"));
    EXPECT_TRUE(device["attributes"].is_array());
  }
}

}  // namespace
}  // namespace hwscope_test
