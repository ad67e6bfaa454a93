// Acquisition over every transport, and the faults a device can show.
#include <chrono>
#include <string>
#include <thread>

#include "hwscope/hwscope.h"
#include "sim_library.h"

namespace hwscope_test {
namespace {

using AcquisitionTest = LibraryTest;

const char kVolumeC[] = R"({"letter": "C", "type": "fixed", "disks": [0], "size": 1000204886016})";

struct BridgeCase {
  const char* bridge;
  const char* kind;
  const char* bus;
  int port;  // JMicron bridge port
  int expectedBridgeType;
};

class BridgeTest : public LibraryTest, public ::testing::WithParamInterface<BridgeCase> {};

std::string DriveJson(const BridgeCase& c) {
  std::string json = R"({"number": 0, "kind": ")" + std::string(c.kind) + R"(", "bus": ")" + c.bus +
                     R"(", "bridge": ")" + c.bridge + R"(", "jmicron_port": )" +
                     std::to_string(c.port) +
                     R"(, "model": "HGST HTS721010A9E630", "serial": "JR1000D3XYZ", "firmware": "JB0OA3J0")";
  if (std::string(c.kind) == "nvme") {
    json += R"(, "nvme_health": {"temperature": 323, "available_spare": 100,
               "available_spare_threshold": 10, "percentage_used": 3, "power_on_hours": 1234,
               "power_cycles": 56, "media_errors": 0})";
  } else {
    json += ", " + AtaAttributes();
  }
  return json + "}";
}

int IntValue(int id, int selector, int device = 0) {
  int value = -1;
  int length = sizeof value;
  EXPECT_EQ(HwscopeDll_Smart_GetSmartAttributeByID(&value, &length, id, selector, device), 0)
      << "attribute " << id << " selector " << selector;
  return value;
}

unsigned long long RawValue(int id, int device = 0) {
  unsigned long long raw = 0;
  int length = sizeof raw;
  EXPECT_EQ(HwscopeDll_Smart_GetSmartAttributeByID(&raw, &length, id, HWSCOPE_VALUE_RAW, device), 0);
  return raw;
}

// Waits (generously) for a line that a worker writes after its caller moved on.
bool WaitForLine(const LogCapture& log, const std::string& line) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!log.Contains(line)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

std::wstring Model(int device = 0) {
  wchar_t buffer[64] = {};
  int length = 64;
  if (HwscopeDll_Smart_GetDeviceModelNumber(buffer, &length, device) != 0) return L"";
  return buffer;
}

TEST_P(BridgeTest, ProbesTheTransportAndReadsIdentifyAndSmart) {
  const BridgeCase& c = GetParam();
  ASSERT_EQ(LoadAndInit(Machine(DriveJson(c), kVolumeC)), 0);
  const hwscope::DriveRow* row = RowOf(0);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->bridgeType, c.expectedBridgeType);
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartDevices(), 1);
  ASSERT_EQ(HwscopeDll_Smart_IsValidSmartDevice(0), 0);
  EXPECT_EQ(Model(), L"HGST HTS721010A9E630");
  wchar_t serial[32] = {};
  unsigned serialLength = 32;
  ASSERT_EQ(HwscopeDll_Smart_GetDeviceSerialNumber(serial, &serialLength, 0), 0);
  EXPECT_STREQ(serial, L"JR1000D3XYZ");

  if (std::string(c.kind) == "nvme") {
    EXPECT_EQ(HwscopeDll_Smart_GetNumSmartAttr(0), 15);
    EXPECT_EQ(RawValue(1), 323u);           // composite temperature, kelvin
    EXPECT_EQ(RawValue(11), 1234u);         // power-on hours
    EXPECT_EQ(IntValue(1, HWSCOPE_VALUE_IS_NVME), 1);
    EXPECT_EQ(HwscopeDll_Smart_RefreshSmartAttributes(0), 0);
    EXPECT_EQ(RawValue(10), 56u);
  } else {
    EXPECT_EQ(HwscopeDll_Smart_GetNumSmartAttr(0), 4);
    EXPECT_EQ(IntValue(5, HWSCOPE_VALUE_CURRENT), 98);
    EXPECT_EQ(IntValue(5, HWSCOPE_VALUE_WORST), 98);
    EXPECT_EQ(IntValue(5, HWSCOPE_VALUE_THRESHOLD), 36);
    EXPECT_EQ(RawValue(5), 3u);
    EXPECT_EQ(RawValue(9), 8765u);
    EXPECT_EQ(IntValue(194, HWSCOPE_VALUE_WORST), 60);
    EXPECT_EQ(IntValue(1, HWSCOPE_VALUE_EXCEEDED), 0);
    // The per-device refresh reads again over the transport found.
    EXPECT_EQ(HwscopeDll_Smart_RefreshSmartAttributes(0), 0);
    EXPECT_EQ(IntValue(5, HWSCOPE_VALUE_THRESHOLD), 36);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryTransport, BridgeTest,
    ::testing::Values(BridgeCase{"native", "ata", "SATA", 1, 0}, BridgeCase{"sat", "ata", "USB", 1, 1},
                      BridgeCase{"sat", "ata", "SAS", 1, 1}, BridgeCase{"cypress", "ata", "USB", 1, 2},
                      BridgeCase{"jmicron", "ata", "USB", 1, 3},
                      BridgeCase{"jmicron", "ata", "USB", 2, 3},
                      BridgeCase{"sunplus", "ata", "1394", 1, 4},
                      BridgeCase{"samsung-nvme", "nvme", "NVMe", 1, 5},
                      BridgeCase{"miniport-intel", "nvme", "NVMe", 1, 7},
                      // Both miniport forms send the same identify: the Intel probe comes first.
                      BridgeCase{"miniport-samsung", "nvme", "NVMe", 1, 7},
                      BridgeCase{"storage-query", "nvme", "NVMe", 1, 8},
                      BridgeCase{"jms583", "nvme", "USB", 1, 9},
                      BridgeCase{"rtl9210", "nvme", "USB", 1, 10},
                      BridgeCase{"asm2362", "nvme", "USB", 1, 11}),
    [](const ::testing::TestParamInfo<BridgeCase>& info) {
      std::string name = std::string(info.param.bridge) + "_" + info.param.bus + "_port" +
                         std::to_string(info.param.port);
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST_F(AcquisitionTest, NativeSmartDataReplyTooBigIsRefused) {
  const std::string drive =
      R"({"number": 0, "faults": {"native_buffer_size": 600}, )" + AtaAttributes() + "}";
  LogCapture log;
  ASSERT_EQ(LoadAndInit(Machine(drive, kVolumeC)), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartDevices(), 0);
  EXPECT_TRUE(log.Contains("Attribute buffer too big 600"));
}

TEST_F(AcquisitionTest, AllZeroSmartDataCountsOnlyOnABridge) {
  const std::string zero = R"("faults": {"zero_smart": true}, )" + AtaAttributes();
  const std::string drives = R"({"number": 0, )" + zero + R"(}, {"number": 1, "bus": "USB", "bridge": "sat", )" +
                             zero + "}";
  const std::string volumes =
      std::string(kVolumeC) + R"(, {"letter": "D", "disks": [1], "size": 1000})";
  LogCapture log;
  ASSERT_EQ(LoadAndInit(Machine(drives, volumes)), 0);
  EXPECT_EQ(HwscopeDll_Smart_IsValidSmartDevice(0), HWSCOPE_E_NOT_SMART);
  EXPECT_EQ(HwscopeDll_Smart_IsValidSmartDevice(1), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartDevices(), 1);
  EXPECT_TRUE(log.Contains("FormatAttributeData returned all 0 values for drive 0"));
}

TEST_F(AcquisitionTest, NotReadyDeviceIsLeftWithoutSmart) {
  const std::string drive = R"({"number": 0, "faults": {"not_ready": true}, )" + AtaAttributes() + "}";
  LogCapture log;
  ASSERT_EQ(LoadAndInit(Machine(drive, kVolumeC)), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartDevices(), 0);
  EXPECT_EQ(HwscopeDll_Smart_IsValidSmartDevice(0), HWSCOPE_E_NOT_SMART);
  unsigned megabytes = 0;
  EXPECT_EQ(HwscopeDll_Smart_GetDeviceCapacity(&megabytes, 0), HWSCOPE_E_CAPACITY_UNKNOWN);
  EXPECT_TRUE(log.Contains("GetSMARTInfoThread Error with SMART device id #0 - Exiting thread"));
  EXPECT_FALSE(log.Contains("Detecting SMART..."));
}

TEST_F(AcquisitionTest, MissingAdministratorRightsFailInit) {
  const std::string drive = R"({"number": 0, )" + AtaAttributes() + "}";
  ASSERT_EQ(LoadAndInit(Machine(drive, kVolumeC, R"("administrator": false)")), HWSCOPE_E_NOT_ADMIN);
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartDevices(), HWSCOPE_E_NOT_ADMIN);
  EXPECT_EQ(HwscopeDll_Smart_IsValidSmartDevice(0), HWSCOPE_E_NOT_ADMIN);
}

TEST_F(AcquisitionTest, BudgetZeroTimesOutEveryDevice) {
  const std::string drive = R"({"number": 0, )" + AtaAttributes() + "}";
  ASSERT_TRUE(Load(Machine(drive, kVolumeC)));
  HwscopeDll_Smart_SetInitTimeout(0);
  LogCapture log;
  ASSERT_EQ(HwscopeDll_Smart_Init(false, nullptr, false), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartDevices(), 0);
  EXPECT_EQ(HwscopeDll_Smart_IsValidSmartDevice(0), HWSCOPE_E_NOT_SMART);
  // The workers end on their own: the volume mapping of C: (also bounded by
  // the budget) and the device's at its first time check.
  EXPECT_TRUE(WaitForLine(log, "Exiting GetPhysicalDeviceIDThread \"C:\""));
  EXPECT_TRUE(WaitForLine(log, "GetSMARTInfoThread: Timed out. Exiting thread..."));
  EXPECT_FALSE(log.Contains("GetSMARTInfoThread Opened."));
}

// A device whose every request hangs far past the budget: its worker is left
// behind, the next device is still read, and Init costs about one budget.
TEST_F(AcquisitionTest, HangingDeviceIsAbandonedAndTheNextOneIsRead) {
  constexpr int kBudgetMs = 1000;
  const std::string drives = R"({"number": 0, "faults": {"hang_ms": 4000}, )" + AtaAttributes() +
                             R"(}, {"number": 1, "model": "HGST HTS721010A9E630", )" +
                             AtaAttributes() + "}";
  const std::string volumes =
      std::string(kVolumeC) + R"(, {"letter": "D", "disks": [1], "size": 1000})";
  ASSERT_TRUE(Load(Machine(drives, volumes)));
  HwscopeDll_Smart_SetInitTimeout(kBudgetMs);
  LogCapture log;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(HwscopeDll_Smart_Init(false, nullptr, false), 0);
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(elapsed, 3 * kBudgetMs);
  EXPECT_TRUE(log.Contains("GetSMARTInfoThread timed out for device id #0"));
  EXPECT_EQ(HwscopeDll_Smart_IsValidSmartDevice(0), HWSCOPE_E_NOT_SMART);
  EXPECT_EQ(HwscopeDll_Smart_IsValidSmartDevice(1), 0);
  EXPECT_EQ(Model(1), L"HGST HTS721010A9E630");
  // Nothing of the abandoned worker reached the engine.
  EXPECT_EQ(RowOf(0)->bridgeType, -1);
  EXPECT_EQ(RowOf(0)->capacity, ~0ull);

  // A rescan while the worker still hangs leaves the device alone.
  const auto again = std::chrono::steady_clock::now();
  ASSERT_EQ(HwscopeDll_Smart_Refresh(false), 0);
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - again).count(),
            3 * kBudgetMs);
  EXPECT_TRUE(log.Contains("GetSMARTInfoThread still running. Abort.  for device id #0"));
  EXPECT_EQ(HwscopeDll_Smart_IsValidSmartDevice(1), 0);

  // The worker ends on its own once its request returns; its last line is
  // awaited only so that the captured log outlives it.
  EXPECT_TRUE(WaitForLine(log, "GetSMARTInfoThread: Timed out. Exiting thread..."));
}

}  // namespace
}  // namespace hwscope_test
