// Self-test, native max address, configuration overlay and sector reads on
// every path to an ATA drive, and the refusals of the USB-to-NVMe bridges.
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "hwscope/hwscope.h"
#include "sim_library.h"

namespace hwscope_test {
namespace {

constexpr std::uint64_t kUserSectors = 0x1000000;        // 8 GiB
constexpr std::uint64_t kNativeMax = kUserSectors + 999;  // behind a host protected area

struct PathCase {
  const char* name;
  const char* bus;
  const char* bridge;
  int port;
};

class CommandPathTest : public LibraryTest, public ::testing::WithParamInterface<PathCase> {
 protected:
  void SetUp() override {
    const PathCase& p = GetParam();
    const std::string common = R"("bus": ")" + std::string(p.bus) + R"(", "bridge": ")" + p.bridge +
                               R"(", "jmicron_port": )" + std::to_string(p.port) + ", " +
                               AtaAttributes();
    const std::string drives =
        R"({"number": 0, "sectors": )" + std::to_string(kUserSectors) + R"(, "native_max": )" +
        std::to_string(kNativeMax) + R"(, "self_test": {"short_ms": 400}, )" + common +
        R"(}, {"number": 1, "sectors": 1000000, "dco_max": 1500000, )" + common + "}";
    const std::string volumes = R"({"letter": "C", "disks": [0], "size": 1000},
                                   {"letter": "D", "disks": [1], "size": 1000})";
    ASSERT_EQ(LoadAndInit(Machine(drives, volumes)), 0);
    ASSERT_EQ(HwscopeDll_Smart_GetNumSmartDevices(), 2);
  }
};

std::uint64_t MaxLba(int device, int expectedResult = 0) {
  unsigned address[2] = {0xDEAD, 0xBEEF};
  EXPECT_EQ(HwscopeDll_Smart_GetMaxLBA(device, address), expectedResult);
  return static_cast<std::uint64_t>(address[1]) << 32 | address[0];
}

std::uint64_t DcoMaxLba(int device) {
  unsigned address[2] = {0xDEAD, 0xBEEF};
  EXPECT_EQ(HwscopeDll_Smart_GetDCOMaxLBA(device, address), 0);
  return static_cast<std::uint64_t>(address[1]) << 32 | address[0];
}

// User-addressable sectors from the identify data (device info offset 40).
std::uint64_t IdentifySectors(int device) {
  HwscopeDeviceInfo info{};
  EXPECT_EQ(HwscopeDll_Smart_GetDeviceInfo(&info, device), 0);
  return info.userSectors;
}

std::uint64_t SectorAddress(const std::uint8_t* sector) {
  std::uint64_t lba = 0;
  std::memcpy(&lba, sector, sizeof lba);
  return lba;
}

TEST_P(CommandPathTest, NativeMaxAddressReadAndSet) {
  EXPECT_EQ(MaxLba(0), kNativeMax);
  unsigned max28 = 0;
  EXPECT_EQ(HwscopeDll_Smart_GetMax28bitLBA(0, &max28), 0);
  EXPECT_EQ(max28, kNativeMax);

  EXPECT_EQ(HwscopeDll_Smart_SetMaxLBA(0, kNativeMax + 1, 0), -10005);
  EXPECT_EQ(IdentifySectors(0), kUserSectors);
  // Equal to the native maximum removes the protected area.
  ASSERT_EQ(HwscopeDll_Smart_SetMaxLBA(0, kNativeMax, 0), 0);
  ASSERT_EQ(HwscopeDll_Smart_Refresh(false), 0);
  EXPECT_EQ(IdentifySectors(0), kNativeMax + 1);
  ASSERT_EQ(HwscopeDll_Smart_SetMaxLBA(0, kUserSectors - 1000, 0), 0);
  ASSERT_EQ(HwscopeDll_Smart_Refresh(false), 0);
  EXPECT_EQ(IdentifySectors(0), kUserSectors - 999);
  EXPECT_EQ(MaxLba(0), kNativeMax);
}

TEST_P(CommandPathTest, ConfigurationOverlaySetAndRestore) {
  EXPECT_EQ(DcoMaxLba(1), 1500000u);
  EXPECT_EQ(MaxLba(1), 999999u);
  ASSERT_EQ(HwscopeDll_Smart_SetDCOMaxLBA(1, 1200000, 0), 0);
  EXPECT_EQ(MaxLba(1), 1200000u);
  ASSERT_EQ(HwscopeDll_Smart_RestoreDCO(1), 0);
  EXPECT_EQ(MaxLba(1), 1500000u);
  EXPECT_EQ(DcoMaxLba(1), 1500000u);
  // The overlay cannot change while a protected area is set (disk 0).
  EXPECT_EQ(HwscopeDll_Smart_SetDCOMaxLBA(0, 2000000, 0), HWSCOPE_E_SMART_REFRESH);
  EXPECT_EQ(HwscopeDll_Smart_RestoreDCO(0), HWSCOPE_E_SMART_REFRESH);
}

TEST_P(CommandPathTest, ReadsTheSectorsAsked) {
  std::vector<std::uint8_t> buffer(3 * 512);
  ASSERT_EQ(HwscopeDll_Smart_ReadSectors(0, 1234, 0, 3, buffer.data()), 0);
  EXPECT_EQ(SectorAddress(buffer.data()), 1234u);
  EXPECT_EQ(SectorAddress(buffer.data() + 1024), 1236u);
  ASSERT_EQ(HwscopeDll_Smart_ReadSectors(0, 0, 0, 1, buffer.data()), 0);
  EXPECT_EQ(buffer[510], 0x55);
  EXPECT_EQ(buffer[511], 0xAA);
  // Beyond the user area the drive refuses.
  EXPECT_EQ(HwscopeDll_Smart_ReadSectors(0, kUserSectors, 0, 1, buffer.data()),
            HWSCOPE_E_SMART_REFRESH);
  // More sectors than one command can name: refused, not read in part.
  std::vector<std::uint8_t> big((65536 + 1) * 512);
  EXPECT_EQ(HwscopeDll_Smart_ReadSectors(0, 0, 0, 65536 + 1, big.data()), HWSCOPE_E_SMART_REFRESH);
}

TEST_P(CommandPathTest, SelfTestRunsToCompletion) {
  EXPECT_EQ(HwscopeDll_Smart_ExecuteSelfTest(0, 5), -10005);
  EXPECT_EQ(HwscopeDll_Smart_ExecuteSelfTest(0, -1), -10005);
  LogCapture log;
  ASSERT_EQ(HwscopeDll_Smart_ExecuteSelfTest(0, 1), 0);
  EXPECT_TRUE(log.Contains("Executing self test 0x01 for device #0"));
  int status = -1;
  int remaining = -1;
  ASSERT_EQ(HwscopeDll_Smart_GetSelfTestStatus(0, &status, &remaining), 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  bool sawRunning = false;
  while (status == 15 && std::chrono::steady_clock::now() < deadline) {
    sawRunning = true;
    EXPECT_EQ(remaining % 10, 0);
    EXPECT_GT(remaining, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(HwscopeDll_Smart_GetSelfTestStatus(0, &status, &remaining), 0);
  }
  EXPECT_TRUE(sawRunning);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(remaining, 0);

  // Type 0 aborts with 0x7F; type 2 starts the extended test, which type 0 then stops.
  ASSERT_EQ(HwscopeDll_Smart_ExecuteSelfTest(0, 2), 0);
  ASSERT_EQ(HwscopeDll_Smart_GetSelfTestStatus(0, &status, &remaining), 0);
  EXPECT_EQ(status, 15);
  ASSERT_EQ(HwscopeDll_Smart_ExecuteSelfTest(0, 0), 0);
  EXPECT_TRUE(log.Contains("Executing self test 0x02 for device #0"));
  EXPECT_TRUE(log.Contains("Executing self test 0x7F for device #0"));
  ASSERT_EQ(HwscopeDll_Smart_GetSelfTestStatus(0, &status, &remaining), 0);
  EXPECT_EQ(status, 1);  // aborted by the host
}

INSTANTIATE_TEST_SUITE_P(EveryAtaPath, CommandPathTest,
                         ::testing::Values(PathCase{"native", "SATA", "native", 1},
                                           PathCase{"sat", "USB", "sat", 1},
                                           PathCase{"cypress", "USB", "cypress", 1},
                                           PathCase{"jmicron_port1", "USB", "jmicron", 1},
                                           PathCase{"jmicron_port2", "USB", "jmicron", 2},
                                           PathCase{"sunplus", "USB", "sunplus", 1}),
                         [](const ::testing::TestParamInfo<PathCase>& info) {
                           return std::string(info.param.name);
                         });

using CommandTest = LibraryTest;

// A disk larger than 28-bit addresses reach.
std::string BigDisk(const char* bus, const char* bridge, const std::string& more = "") {
  return R"({"number": 0, "sectors": 268435472, "bus": ")" + std::string(bus) + R"(", "bridge": ")" +
         bridge + R"(", )" + (more.empty() ? "" : more + ", ") + AtaAttributes() + "}";
}

const char kVolumeC[] = R"({"letter": "C", "disks": [0], "size": 1000})";

TEST_F(CommandTest, FortyEightBitReadsOnSatAndNotOnCypressOrJMicron) {
  struct Case {
    const char* bridge;
    int expected;
  };
  for (const Case c : {Case{"sat", 0}, Case{"sunplus", 0}, Case{"cypress", HWSCOPE_E_SMART_REFRESH},
                       Case{"jmicron", HWSCOPE_E_SMART_REFRESH}}) {
    SCOPED_TRACE(c.bridge);
    ASSERT_EQ(LoadAndInit(Machine(BigDisk("USB", c.bridge), kVolumeC)), 0);
    std::vector<std::uint8_t> buffer(512);
    LogCapture log;
    EXPECT_EQ(HwscopeDll_Smart_ReadSectors(0, 0x10000000, 0, 1, buffer.data()), c.expected);
    if (c.expected == 0) {
      EXPECT_EQ(SectorAddress(buffer.data()), 0x10000000u);
    } else {
      EXPECT_TRUE(log.Contains("Failed to read sectors."));
    }
    HwscopeDll_Smart_Cleanup();
  }
}

TEST_F(CommandTest, TwentyEightBitMaximumOnABigDiskMayBeTooSmall) {
  // SAT drive without 48-bit commands, and a Cypress bridge that never sends them.
  for (const char* bridge : {"sat", "cypress"}) {
    SCOPED_TRACE(bridge);
    const std::string more = std::string(bridge) == "sat" ? R"("lba48": false)" : "";
    ASSERT_EQ(LoadAndInit(Machine(BigDisk("USB", bridge, more), kVolumeC)), 0);
    LogCapture log;
    EXPECT_EQ(MaxLba(0, -9001), 0x0FFFFFFEu);
    EXPECT_TRUE(log.Contains("Warning - Max LBA may be incorrect as 28-bit command used."));
    if (std::string(bridge) == "sat")
      EXPECT_TRUE(log.Contains("READ NATIVE MAX ADDRESS EXT Failed. Attempting 28-bit command"));
    else
      EXPECT_TRUE(log.Contains("Warning - Cypress bridge does not support 48bit commands. Attemping 28-bit command"));
    HwscopeDll_Smart_Cleanup();
  }
}

TEST_F(CommandTest, NativePathFallsBackToTwentyEightBitCommands) {
  const std::string drive =
      R"({"number": 0, "sectors": 1000000, "native_max": 1000999, "lba48": false, )" +
      AtaAttributes() + "}";
  ASSERT_EQ(LoadAndInit(Machine(drive, kVolumeC)), 0);
  LogCapture log;
  EXPECT_EQ(MaxLba(0), 1000999u);
  EXPECT_TRUE(log.Contains("READ NATIVE MAX ADDRESS EXT Failed. Attempting 28-bit command"));
  EXPECT_EQ(HwscopeDll_Smart_SetMaxLBA(0, 1001000, 0), -10005);
  EXPECT_TRUE(log.Contains("The max LBA to set (1001000) is greater than the disk native max LBA (1000999)"));
  EXPECT_TRUE(log.Contains("If the disk native max LBA is incorrect, this may be due to 48bit commands not being supported"));
  ASSERT_EQ(HwscopeDll_Smart_SetMaxLBA(0, 1000499, 0), 0);
  ASSERT_EQ(HwscopeDll_Smart_Refresh(false), 0);
  EXPECT_EQ(IdentifySectors(0), 1000500u);
}

TEST_F(CommandTest, CommandsNeedAValidSmartDevice) {
  ASSERT_EQ(LoadAndInit(Machine(R"({"number": 0, "faults": {"zero_smart": true}})", kVolumeC)), 0);
  unsigned address[2];
  std::uint8_t sector[512];
  EXPECT_EQ(HwscopeDll_Smart_GetMaxLBA(0, address), HWSCOPE_E_NOT_SMART);
  EXPECT_EQ(HwscopeDll_Smart_GetMaxLBA(5, address), HWSCOPE_E_BAD_DEVICE);
  EXPECT_EQ(HwscopeDll_Smart_ReadSectors(0, 0, 0, 1, sector), HWSCOPE_E_NOT_SMART);
  EXPECT_EQ(HwscopeDll_Smart_ExecuteSelfTest(0, 1), HWSCOPE_E_NOT_SMART);
  EXPECT_EQ(HwscopeDll_Smart_ExecuteSelfTest(0, 9), -10005);
}

struct RefusalCase {
  const char* bridge;
  const char* name;  // as the refusal lines start
  const char* dcoMax;  // "Max" or "MAX" in the overlay lines
};

class RefusingBridgeTest : public LibraryTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusingBridgeTest, RefusesEveryCommand) {
  const RefusalCase& c = GetParam();
  const std::string drive = R"({"number": 0, "kind": "nvme", "bus": "USB", "bridge": ")" +
                            std::string(c.bridge) + R"(", "nvme_health": {"temperature": 300}})";
  ASSERT_EQ(LoadAndInit(Machine(drive, kVolumeC)), 0);
  ASSERT_EQ(HwscopeDll_Smart_IsValidSmartDevice(0), 0);
  LogCapture log;
  unsigned address[2];
  unsigned max28;
  std::uint8_t sector[512];
  EXPECT_EQ(HwscopeDll_Smart_ExecuteSelfTest(0, 1), -8001);
  EXPECT_EQ(HwscopeDll_Smart_GetMaxLBA(0, address), HWSCOPE_E_SMART_REFRESH);
  EXPECT_EQ(HwscopeDll_Smart_GetMax28bitLBA(0, &max28), HWSCOPE_E_SMART_REFRESH);
  EXPECT_EQ(HwscopeDll_Smart_SetMaxLBA(0, 100, 0), HWSCOPE_E_SMART_REFRESH);
  EXPECT_EQ(HwscopeDll_Smart_GetDCOMaxLBA(0, address), HWSCOPE_E_SMART_REFRESH);
  EXPECT_EQ(HwscopeDll_Smart_SetDCOMaxLBA(0, 100, 0), HWSCOPE_E_SMART_REFRESH);
  EXPECT_EQ(HwscopeDll_Smart_RestoreDCO(0), HWSCOPE_E_SMART_REFRESH);
  EXPECT_EQ(HwscopeDll_Smart_ReadSectors(0, 0, 0, 1, sector), HWSCOPE_E_SMART_REFRESH);

  const std::string name = c.name;
  const std::string dco = c.dcoMax;
  for (const std::string& line :
       {name + "bridge does not support self test", name + "bridge does not support MAX LBA command",
        name + "bridge does not support DCO " + dco + " LBA command",
        name + "bridge does not support set DCO " + dco + " LBA command",
        name + "bridge does not support restore DCO command",
        name + "bridge does not support read sectors command"}) {
    EXPECT_TRUE(log.Contains(line)) << line;
  }
  for (const char* failure : {"Failed to execute self test.", "Failed to retrieve max native address.",
                              "Failed to retrieve DCO Max LBA.", "Failed to set DCO Max LBA.",
                              "Failed to restore DCO.", "Failed to read sectors."}) {
    EXPECT_TRUE(log.Contains(failure)) << failure;
  }
}

INSTANTIATE_TEST_SUITE_P(
    UsbToNvme, RefusingBridgeTest,
    ::testing::Values(RefusalCase{"jms583", "JMicron JMS583 ", "Max"},
                      RefusalCase{"rtl9210", "Realtek RTL9210\t", "MAX"},
                      RefusalCase{"asm2362", "ASMedia ASM2362 ", "MAX"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.bridge); });

}  // namespace
}  // namespace hwscope_test
