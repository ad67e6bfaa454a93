// The library's life through its exports on a simulated machine: Init
// scans, queries answer, re-Init is ignored, Refresh rescans, Cleanup ends.
#include <gtest/gtest.h>

#include <string>

#include "frame/library_state.h"
#include "hwscope/hwscope.h"
#include "platform/backends.h"
#include "platform/platform.h"

namespace {

class LifecycleTest : public ::testing::Test {
 protected:
  bool Load(const std::string& machine) {
    std::string error;
    auto sim = platform::LoadSimulatedMachine(std::string(ENGINE_FIXTURE_DIR) + "/" + machine,
                                              &error);
    if (!sim) ADD_FAILURE() << error;
    platform::SetCurrentForTesting(sim);
    return sim != nullptr;
  }
  void TearDown() override {
    HwscopeDll_Smart_Cleanup();
    hwscope::Library().state = HWSCOPE_E_NOT_INITIALISED;
    hwscope::Library().engine.reset();
    platform::SetCurrentForTesting(nullptr);
  }
};

TEST_F(LifecycleTest, InitQueriesRefreshAndCleanup) {
  ASSERT_TRUE(Load("one_drive.json"));
  ASSERT_EQ(HwscopeDll_Smart_Init(false, nullptr, false), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartDevices(), 1);
  const int device = HwscopeDll_Smart_GetSmartDeviceIDFirst();
  ASSERT_EQ(device, 0);

  wchar_t text[64];
  int len = 64;
  ASSERT_EQ(HwscopeDll_Smart_GetDeviceModelNumber(text, &len, device), 0);
  EXPECT_STREQ(text, L"WDC WD20EZRZ-00Z5HB0");
  unsigned ulen = 64;
  ASSERT_EQ(HwscopeDll_Smart_GetDeviceSerialNumber(text, &ulen, device), 0);
  EXPECT_STREQ(text, L"WD-WCC4M1234567");
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartAttr(device), 3);
  int value = 0;
  len = 4;
  ASSERT_EQ(HwscopeDll_Smart_GetSmartAttributeByID(&value, &len, 5, HWSCOPE_VALUE_EXCEEDED, device), 0);
  EXPECT_EQ(value, 1);
  HwscopeDeviceInfo info;
  ASSERT_EQ(HwscopeDll_Smart_GetDeviceInfo(&info, device), 0);
  EXPECT_EQ(info.rotationRate, 5400);
  EXPECT_EQ(info.userSectors, 3907029168ull);

  int status = -1, remaining = -1;
  ASSERT_EQ(HwscopeDll_Smart_GetSelfTestStatus(device, &status, &remaining), 0);
  EXPECT_EQ(status, 0);  // no test has run
  EXPECT_EQ(remaining, 0);

  EXPECT_EQ(HwscopeDll_Smart_Init(false, nullptr, false), 0);  // ignored
  EXPECT_EQ(HwscopeDll_Smart_Refresh(false), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartAttr(device), 3);

  HwscopeDll_Smart_Cleanup();
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartAttr(device), HWSCOPE_E_NOT_INITIALISED);
  // A new Init after Cleanup builds a fresh engine.
  EXPECT_EQ(HwscopeDll_Smart_Init(false, nullptr, false), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartAttr(device), 3);
}

TEST_F(LifecycleTest, InitWithoutAdministratorRights) {
  ASSERT_TRUE(Load("no_admin.json"));
  EXPECT_EQ(HwscopeDll_Smart_Init(false, nullptr, false), HWSCOPE_E_NOT_ADMIN);
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartDevices(), HWSCOPE_E_NOT_ADMIN);
  HwscopeDll_Smart_Cleanup();
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartDevices(), HWSCOPE_E_NOT_ADMIN);
}

}  // namespace
