// Through the exported functions on the simulated demo machine: Init and
// Refresh record a set per SMART drive, the readers, the estimation and the
// report see them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "history/history_path.h"
#include "history_test_support.h"
#include "hwscope/hwscope.h"
#include "platform/backends.h"

namespace {

using namespace historytest;

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    machine_ = platform::LoadSimulatedMachine(DEMO_MACHINE, &error);
    ASSERT_TRUE(machine_) << error;
    platform::SetCurrentForTesting(machine_);
    folder_ = UseFreshHistoryFolder("end-to-end");
  }
  void TearDown() override {
    HwscopeDll_Smart_Cleanup();
    platform::SetCurrentForTesting(nullptr);
    hwscope::history::SetHistoryFolderForTesting("");
    std::filesystem::remove_all(folder_);
  }

  std::vector<int> SmartDevices() {
    std::vector<int> ids;
    for (int d = HwscopeDll_Smart_GetSmartDeviceIDFirst(); d >= 0; d = HwscopeDll_Smart_GetSmartDeviceIDNext())
      ids.push_back(d);
    return ids;
  }

  std::shared_ptr<platform::Platform> machine_;
  std::filesystem::path folder_;
};

TEST_F(EndToEnd, RecordingOnInitAndRefreshThenReadersEstimateAndReport) {
  ASSERT_EQ(HwscopeDll_Smart_Init(false, nullptr, true), 0);
  const std::vector<int> devices = SmartDevices();
  ASSERT_FALSE(devices.empty());
  for (int d : devices) {
    int count = 0;
    EXPECT_EQ(HwscopeDll_Smart_GetTECDataSetCount(&count, d), 0) << d;
    EXPECT_EQ(count, 1) << d;
  }
  std::size_t files = 0;
  for (auto& e : std::filesystem::directory_iterator(folder_)) files += e.path().extension() == ".bin";
  EXPECT_GE(files, 1u);

  ASSERT_EQ(HwscopeDll_Smart_Refresh(true), 0);
  ASSERT_EQ(HwscopeDll_Smart_Refresh(false), 0);
  ASSERT_EQ(HwscopeDll_Smart_Refresh(true), 0);
  const int device = devices.front();
  int count = 0;
  ASSERT_EQ(HwscopeDll_Smart_GetTECDataSetCount(&count, device), 0);
  EXPECT_EQ(count, 3);

  // The drive's values do not change between refreshes: no falling trend.
  long long earliest = 1, second = 1;
  int attr = 1;
  EXPECT_EQ(HwscopeDll_Smart_EstimateTEC(&earliest, &second, &attr, device), -20007);
  EXPECT_EQ(earliest, 0);

  const int first = HwscopeDll_Smart_GetSmartAttributeIDFirst(device);
  ASSERT_GE(first, 0);
  std::vector<long long> times(3);
  std::vector<int> values(3), worsts(3);
  std::vector<unsigned long long> raws(3);
  unsigned n = 3;
  ASSERT_EQ(HwscopeDll_Smart_ExportTECData(times.data(), values.data(), worsts.data(), raws.data(), &n,
                                           first, device),
            0);
  int current = 0;
  int length = 4;
  ASSERT_EQ(HwscopeDll_Smart_GetSmartAttributeByID(&current, &length, first, 1, device), 0);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(values[k], current);
    EXPECT_GT(times[k], 0);
  }

  auto report = folder_ / "report.txt";
  ASSERT_EQ(HwscopeDll_Smart_ExportReport(report.wstring().c_str(), device, L"head", 1, 7, first), 0);
  const std::string text = ReadFile(report);
  EXPECT_EQ(text.substr(0, 9), "\xEF\xBB\xBFhead\r\n");
  EXPECT_NE(text.find("SMART ATTRIBUTES:"), std::string::npos);
  EXPECT_NE(text.find("Attribute ID: " + std::to_string(first)), std::string::npos);
  EXPECT_EQ(text.find("No history"), std::string::npos);
}

TEST_F(EndToEnd, ExportsRefuseBeforeInit) {
  int count = 0;
  EXPECT_EQ(HwscopeDll_Smart_GetTECDataSetCount(&count, 0), -10001);
  EXPECT_EQ(HwscopeDll_Smart_RecordTECData(0), -10001);
  EXPECT_TRUE(std::filesystem::is_empty(folder_));
}

}  // namespace
