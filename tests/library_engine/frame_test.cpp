// The library frame through the exports: state guard, Init and Cleanup,
// refresh admission, version and last-error texts.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <regex>

#include "common/text.h"
#include "frame/library_state.h"
#include "frame/log.h"
#include "frame/log_control.h"
#include "hwscope/hwscope.h"
#include "test_support.h"

namespace {

using hwscope::Library;

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = enginetest::InstallBareSystem();
    folder_ = enginetest::MakeTempFolder("frame");
    logFile_ = folder_ / "frame.log";
    std::ofstream(logFile_).put('\0');  // an existing file: the log appends to it
    std::filesystem::resize_file(logFile_, 0);
    ResetLibrary();
    ASSERT_EQ(HwscopeDll_StartLogging(common::FromUtf8(logFile_.string()).c_str()), 1);
  }
  void TearDown() override {
    ResetLibrary();
    std::filesystem::remove_all(folder_);
    platform::SetCurrentForTesting(nullptr);
  }
  static void ResetLibrary() {
    HwscopeDll_StopLogging();
    Hwscope_TurnDebugMessageBoxesOff();
    Library().state = HWSCOPE_E_NOT_INITIALISED;
    Library().engine.reset();
    Library().refreshCounter = 0;
    Library().initTimeoutMs = hwscope::kDefaultInitTimeoutMs;
  }
  std::wstring Log() const { return enginetest::ReadUtf16File(logFile_); }
  bool Logged(const std::string& text) const {
    return Log().find(common::FromUtf8(text)) != std::wstring::npos;
  }
  // Makes the library ready without scanning: an engine and state 0.
  void MakeReady() {
    Library().engine = std::make_unique<hwscope::CSMARTInfo>();
    Library().state = 0;
  }

  std::shared_ptr<enginetest::BareSystem> system_;
  std::filesystem::path folder_;
  std::filesystem::path logFile_;
};

// One call of every guarded export, tagged with its name.
struct GuardedCall {
  const char* name;
  int (*call)();
};

const GuardedCall kGuardedCalls[] = {
    {"HwscopeDll_Smart_EstimateTEC", [] { long long a, b; int c; return HwscopeDll_Smart_EstimateTEC(&a, &b, &c, 0); }},
    {"HwscopeDll_Smart_EstimateTECByAttributeID", [] { long long a, b; return HwscopeDll_Smart_EstimateTECByAttributeID(&a, &b, 5, 0); }},
    {"HwscopeDll_Smart_ExecuteSelfTest", [] { return HwscopeDll_Smart_ExecuteSelfTest(0, 1); }},
    {"HwscopeDll_Smart_ExportReport", [] { return HwscopeDll_Smart_ExportReport(L"x.txt", 0, L"", 0, 0, 0); }},
    {"HwscopeDll_Smart_ExportTECData", [] { unsigned n = 0; return HwscopeDll_Smart_ExportTECData(nullptr, nullptr, nullptr, nullptr, &n, 5, 0); }},
    {"HwscopeDll_Smart_GetAttrDescByID", [] { wchar_t b[128]; unsigned n = 128; return HwscopeDll_Smart_GetAttrDescByID(b, &n, 5, 0); }},
    {"HwscopeDll_Smart_GetDCOMaxLBA", [] { unsigned a[2]; return HwscopeDll_Smart_GetDCOMaxLBA(0, a); }},
    {"HwscopeDll_Smart_GetDeviceCapacity", [] { unsigned m; return HwscopeDll_Smart_GetDeviceCapacity(&m, 0); }},
    {"HwscopeDll_Smart_GetDeviceFirmWareRev", [] { wchar_t b[16]; int n = 16; return HwscopeDll_Smart_GetDeviceFirmWareRev(b, &n, 0); }},
    {"HwscopeDll_Smart_GetDeviceIDFromDriveNum", [] { return HwscopeDll_Smart_GetDeviceIDFromDriveNum(2); }},
    {"HwscopeDll_Smart_GetDeviceInfo", [] { HwscopeDeviceInfo r; return HwscopeDll_Smart_GetDeviceInfo(&r, 0); }},
    {"HwscopeDll_Smart_GetDeviceInterface", [] { wchar_t b[32]; int n = 32; bool s; return HwscopeDll_Smart_GetDeviceInterface(b, &n, &s, 0); }},
    {"HwscopeDll_Smart_GetDeviceModelNumber", [] { wchar_t b[64]; int n = 64; return HwscopeDll_Smart_GetDeviceModelNumber(b, &n, 0); }},
    {"HwscopeDll_Smart_GetDevicePartitionInfo", [] { int d[8]; int n = 8; return HwscopeDll_Smart_GetDevicePartitionInfo(d, &n, 0); }},
    {"HwscopeDll_Smart_GetDeviceSerialNumber", [] { wchar_t b[32]; unsigned n = 32; return HwscopeDll_Smart_GetDeviceSerialNumber(b, &n, 0); }},
    {"HwscopeDll_Smart_GetDriveLetterFromDriveNum", [] { wchar_t l; return HwscopeDll_Smart_GetDriveLetterFromDriveNum(&l, 2); }},
    {"HwscopeDll_Smart_GetMax28bitLBA", [] { unsigned r; return HwscopeDll_Smart_GetMax28bitLBA(0, &r); }},
    {"HwscopeDll_Smart_GetMaxLBA", [] { unsigned a[2]; return HwscopeDll_Smart_GetMaxLBA(0, a); }},
    {"HwscopeDll_Smart_GetNumDetectedDrives", [] { return HwscopeDll_Smart_GetNumDetectedDrives(); }},
    {"HwscopeDll_Smart_GetNumSmartAttr", [] { return HwscopeDll_Smart_GetNumSmartAttr(0); }},
    {"HwscopeDll_Smart_GetNumSmartDevices", [] { return HwscopeDll_Smart_GetNumSmartDevices(); }},
    {"HwscopeDll_Smart_GetPhysicalDeviceIDFirst", [] { return HwscopeDll_Smart_GetPhysicalDeviceIDFirst(); }},
    {"HwscopeDll_Smart_GetPhysicalDeviceIDNext", [] { return HwscopeDll_Smart_GetPhysicalDeviceIDNext(); }},
    {"HwscopeDll_Smart_GetSelfTestStatus", [] { int s, p; return HwscopeDll_Smart_GetSelfTestStatus(0, &s, &p); }},
    {"HwscopeDll_Smart_GetSmartAttributeByID", [] { int v; int n = 4; return HwscopeDll_Smart_GetSmartAttributeByID(&v, &n, 5, 1, 0); }},
    {"HwscopeDll_Smart_GetSmartAttributeIDFirst", [] { return HwscopeDll_Smart_GetSmartAttributeIDFirst(0); }},
    {"HwscopeDll_Smart_GetSmartAttributeIDNext", [] { return HwscopeDll_Smart_GetSmartAttributeIDNext(0); }},
    {"HwscopeDll_Smart_GetSmartDeviceIDFirst", [] { return HwscopeDll_Smart_GetSmartDeviceIDFirst(); }},
    {"HwscopeDll_Smart_GetSmartDeviceIDNext", [] { return HwscopeDll_Smart_GetSmartDeviceIDNext(); }},
    {"HwscopeDll_Smart_GetTECDataAtIndex", [] { long long t; int v, w; unsigned long long r; return HwscopeDll_Smart_GetTECDataAtIndex(&t, &v, &w, &r, 0, 5, 0); }},
    {"HwscopeDll_Smart_GetTECDataSetCount", [] { int n; return HwscopeDll_Smart_GetTECDataSetCount(&n, 0); }},
    {"HwscopeDll_Smart_GetVolumeCapacity", [] { int m; return HwscopeDll_Smart_GetVolumeCapacity(&m, 2); }},
    {"HwscopeDll_Smart_IsValidSmartDevice", [] { return HwscopeDll_Smart_IsValidSmartDevice(0); }},
    {"HwscopeDll_Smart_ReadSectors", [] { unsigned char b[512]; return HwscopeDll_Smart_ReadSectors(0, 0, 0, 1, b); }},
    {"HwscopeDll_Smart_RecordTECData", [] { return HwscopeDll_Smart_RecordTECData(0); }},
    {"HwscopeDll_Smart_Refresh", [] { return HwscopeDll_Smart_Refresh(false); }},
    {"HwscopeDll_Smart_RefreshSmartAttributes", [] { return HwscopeDll_Smart_RefreshSmartAttributes(0); }},
    {"HwscopeDll_Smart_RestoreDCO", [] { return HwscopeDll_Smart_RestoreDCO(0); }},
    {"HwscopeDll_Smart_SetDCOMaxLBA", [] { return HwscopeDll_Smart_SetDCOMaxLBA(0, 1, 0); }},
    {"HwscopeDll_Smart_SetMaxLBA", [] { return HwscopeDll_Smart_SetMaxLBA(0, 1, 0); }},
    {"HwscopeDll_Smart_Cleanup", [] { HwscopeDll_Smart_Cleanup(); return static_cast<int>(Library().state); }},
};

TEST_F(FrameTest, EveryGuardedExportBeforeInitReturnsNotInitialisedAndLogsItsName) {
  for (const GuardedCall& c : kGuardedCalls) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.call(), HWSCOPE_E_NOT_INITIALISED);
    EXPECT_TRUE(Logged(std::string(c.name) + " error.  Error: \"HwscopeDll_Smart_Init not called\""));
  }
  EXPECT_EQ(Library().state, HWSCOPE_E_NOT_INITIALISED);
}

TEST_F(FrameTest, InitWithoutAdministratorFailsAndEveryExportReportsThatError) {
  system_->administrator = false;
  EXPECT_EQ(HwscopeDll_Smart_Init(false, nullptr, false), HWSCOPE_E_NOT_ADMIN);
  EXPECT_TRUE(Logged("HwscopeDll_Smart_Init ok"));
  EXPECT_TRUE(Logged("HwscopeDll_Smart_Init[10]: err!=0 (err = -7002)"));
  for (const GuardedCall& c : kGuardedCalls) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.call(), HWSCOPE_E_NOT_ADMIN);
    EXPECT_TRUE(Logged(std::string(c.name) + " error.  Error: \"HwscopeDll_Smart_Init has error\""));
  }
  // Cleanup does not clear a failed state; a new Init replaces the engine.
  EXPECT_EQ(Library().state, HWSCOPE_E_NOT_ADMIN);
  EXPECT_NE(Library().engine, nullptr);
  EXPECT_EQ(HwscopeDll_Smart_Init(false, nullptr, false), HWSCOPE_E_NOT_ADMIN);
}

TEST_F(FrameTest, InitWhileReadyIsIgnored) {
  MakeReady();
  hwscope::CSMARTInfo* engine = Library().engine.get();
  engine->detectedDriveCount = 3;  // a rescan would reset it
  EXPECT_EQ(HwscopeDll_Smart_Init(false, nullptr, false), 0);
  EXPECT_EQ(Library().engine.get(), engine);
  EXPECT_EQ(engine->detectedDriveCount, 3);
  EXPECT_TRUE(Logged("Attempting to re-initialize Hwscope SMART...ignored"));
}

TEST_F(FrameTest, CleanupWhenReadyDestroysTheEngine) {
  MakeReady();
  HwscopeDll_Smart_Cleanup();
  EXPECT_EQ(Library().state, HWSCOPE_E_NOT_INITIALISED);
  EXPECT_EQ(Library().engine, nullptr);
  EXPECT_TRUE(Logged("HwscopeDll_Smart_Cleanup ok"));
  EXPECT_EQ(HwscopeDll_Smart_GetNumDetectedDrives(), HWSCOPE_E_NOT_INITIALISED);
}

TEST_F(FrameTest, ReadyExportsForwardToTheEngine) {
  MakeReady();
  Library().engine->detectedDriveCount = 2;
  EXPECT_EQ(HwscopeDll_Smart_GetNumDetectedDrives(), 2);
  wchar_t letter = 0;
  EXPECT_EQ(HwscopeDll_Smart_GetDriveLetterFromDriveNum(&letter, 2), 0);
  EXPECT_EQ(letter, L'C');
}

TEST_F(FrameTest, SecondRefreshCallerGivesUpAfterFiveWaits) {
  MakeReady();
  Library().refreshCounter = 1;  // another caller is inside
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(HwscopeDll_Smart_RefreshSmartAttributes(3), HWSCOPE_E_SMART_REFRESH);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(450));
  EXPECT_EQ(Library().refreshCounter, 1);
  EXPECT_TRUE(Logged("Refresh SMART attributes failed #3 (1)"));
}

TEST_F(FrameTest, RefreshCounterIsReleasedAfterACall) {
  MakeReady();
  HwscopeDll_Smart_RefreshSmartAttributes(5);
  EXPECT_EQ(Library().refreshCounter, 0);
}

TEST_F(FrameTest, SelfTestStatusComesFromTheExecutionStatusByte) {
  int status = -1, remaining = -1;
  MakeReady();
  // Not a drive of the table: the per-device refresh fails and is returned.
  EXPECT_LT(HwscopeDll_Smart_GetSelfTestStatus(7, &status, &remaining), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetSelfTestStatus(7, nullptr, &remaining), HWSCOPE_E_BUFFER);
  EXPECT_EQ(status, -1);
}

TEST_F(FrameTest, SetInitTimeoutStoresWithoutCheck) {
  EXPECT_EQ(HwscopeDll_Smart_SetInitTimeout(0), 0);
  EXPECT_EQ(hwscope::InitTimeoutMs(), 0);
  EXPECT_EQ(HwscopeDll_Smart_SetInitTimeout(-5), 0);
  EXPECT_EQ(hwscope::InitTimeoutMs(), -5);
}

TEST_F(FrameTest, VersionText) {
  EXPECT_STREQ(HwscopeDll_GetVersion(), L"Hwscope v3.0 Build: 1000");
  EXPECT_EQ(HwscopeDll_GetVersion(), HwscopeDll_GetVersion());
}

TEST_F(FrameTest, DebugMessageBoxesTurnOnOnlyWhileLogging) {
  Hwscope_TurnDebugMessageBoxesOn();
  EXPECT_TRUE(Library().debugMessageBoxes);
  Hwscope_TurnDebugMessageBoxesOff();
  HwscopeDll_StopLogging();
  Hwscope_TurnDebugMessageBoxesOn();
  EXPECT_FALSE(Library().debugMessageBoxes);
}

}  // namespace
