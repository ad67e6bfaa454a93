// Storing identify data and reading the identify strings back.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/identify_text.h"
#include "engine/smart_info.h"
#include "test_support.h"

namespace {

using hwscope::CSMARTInfo;

class IdentifyTest : public ::testing::Test {
 protected:
  void SetUp() override { enginetest::InstallBareSystem(); }
  void TearDown() override { platform::SetCurrentForTesting(nullptr); }
};

// An identify buffer with the three fields in memory order as given.
std::vector<std::uint8_t> RawIdentify(const std::string& model, const std::string& serial,
                                      const std::string& firmware = "FW01") {
  std::vector<std::uint8_t> id(512, 0);
  auto put = [&](int offset, int size, const std::string& text) {
    std::memset(id.data() + offset, ' ', size);
    std::memcpy(id.data() + offset, text.data(), std::min<std::size_t>(text.size(), size));
  };
  put(20, 20, serial);
  put(46, 8, firmware);
  put(54, 40, model);
  return id;
}

struct OrderCase {
  const char* model;   // memory order
  const char* serial;  // memory order
  bool kept;
};

TEST_F(IdentifyTest, ModelHeuristicDecidesWhetherStringsAreSwapped) {
  const OrderCase cases[] = {
      {"WDC WD10EZEX-08WN4A0", "WD-WCC6Y1234567", true},
      {"DWC DW01ZEXE0-W84NA0", "DW-CWC6Y1234567", false},  // the usual swapped form
      {"WDC WD10EZEX-08WN4A0", "0WD-WCC6Y12345", false},   // serial starting with "0"
      {"IBM-DTLA-307030", "YKDYKT12345", true},
      {"SAMSUNG HD103UJ Samsung", "S13PJ1234", true},
      {"Crucial SanDisk X", "A1", true},
      {"TOSHIBA THNSNJ256GCSU", "A1", true},
      {"TS128GSSD370S", "B1", true},
      {"TS512GSSD370S", "B1", false},
      {"ST1000DM003-1CH162", "Z1D5ABCD", true},
      {"ST1000 SGDS", "Z1D5ABCD", false},
      {"STxx TSEM", "Z1D5ABCD", false},
      {"Hitachi HDS721010CLA332", "JP2940HZ1ABCDE", false},
      {"wd lower case", "X", false},
  };
  for (const OrderCase& c : cases) {
    SCOPED_TRACE(c.model);
    CSMARTInfo engine;
    const auto raw = RawIdentify(c.model, c.serial);
    engine.FormatIdInfo(raw.data(), 4, 30);
    const std::uint8_t* stored = engine.devices[4].identify;
    EXPECT_EQ(std::memcmp(stored, raw.data(), 512) == 0, c.kept);
    if (!c.kept) {
      // Every word of the three fields swapped, nothing else touched.
      for (int i = 0; i < 512; ++i) {
        const bool inField = (i >= 20 && i < 40) || (i >= 46 && i < 94);
        const int from = inField ? (i ^ 1) : i;
        ASSERT_EQ(stored[i], raw[from]) << "byte " << i;
      }
    }
    EXPECT_EQ(engine.drives[30].smartRow, 30);
  }
}

TEST_F(IdentifyTest, LegacyBitmapMarksTheDeviceSmartCapable) {
  CSMARTInfo engine;
  const auto raw = RawIdentify("WDC WD", "X");
  engine.FormatIdInfo(raw.data(), 3, 3, 1u << 3);
  EXPECT_EQ(engine.drives[3].smartCapable, 1);
  engine.FormatIdInfo(raw.data(), 2, 2, 1u << 3);
  EXPECT_EQ(engine.drives[2].smartCapable, 0);
}

TEST_F(IdentifyTest, OutOfRangeSlotsAreRefused) {
  CSMARTInfo engine;
  const auto raw = RawIdentify("WDC WD", "X");
  engine.FormatIdInfo(raw.data(), 100, 0);
  engine.FormatIdInfo(raw.data(), 0, 126);
  engine.FormatNVMeIdInfo(raw.data(), -1, 0);
  EXPECT_EQ(engine.drives[0].smartRow, -1);
}

TEST_F(IdentifyTest, CapturedHddStringsAreSwappedIntoReadingOrder) {
  CSMARTInfo engine;
  enginetest::AttachDevice(engine, 0, 2);
  engine.FormatIdInfo(enginetest::LoadFixture("hdd_identify.bin").data(), 0, 2);
  wchar_t buf[64];
  int len = 64;
  ASSERT_EQ(engine.GetDeviceModelNumber(buf, &len, 0), 0);
  EXPECT_STREQ(buf, L"Hitachi HDS721010CLA332");
  EXPECT_EQ(len, 23);
  unsigned ulen = 64;
  ASSERT_EQ(engine.GetDeviceSerialNumber(buf, &ulen, 0), 0);
  EXPECT_STREQ(buf, L"JP2940HZ1ABCDE");
  EXPECT_EQ(ulen, 14u);
  len = 64;
  ASSERT_EQ(engine.GetDeviceFirmWareRev(buf, &len, 0), 0);
  EXPECT_STREQ(buf, L"JKAOA3EA");
}

TEST_F(IdentifyTest, CapturedSsdModelReadingInOrderIsKept) {
  CSMARTInfo engine;
  enginetest::AttachDevice(engine, 1, 3);
  const auto raw = enginetest::LoadFixture("ssd_identify.bin");
  engine.FormatIdInfo(raw.data(), 1, 3);
  EXPECT_EQ(std::memcmp(engine.devices[1].identify, raw.data(), 512), 0);
  wchar_t buf[64];
  int len = 64;
  ASSERT_EQ(engine.GetDeviceModelNumber(buf, &len, 1), 0);
  EXPECT_STREQ(buf, L"Samsung SSD 840 PRO Series");
}

TEST_F(IdentifyTest, NvmeStringsComeFromIdentifyController) {
  CSMARTInfo engine;
  enginetest::AttachDevice(engine, 5, 27, 17, hwscope::kBridgeStorageQuery);
  const auto raw = enginetest::LoadFixture("nvme_identify.bin");
  engine.FormatNVMeIdInfo(raw.data(), 5, 27);
  EXPECT_EQ(std::memcmp(engine.devices[5].identify, raw.data(), 512), 0);
  wchar_t buf[64];
  int len = 64;
  ASSERT_EQ(engine.GetDeviceModelNumber(buf, &len, 5), 0);
  EXPECT_STREQ(buf, L"Samsung SSD 970 EVO Plus 1TB");
  unsigned ulen = 64;
  ASSERT_EQ(engine.GetDeviceSerialNumber(buf, &ulen, 5), 0);
  EXPECT_STREQ(buf, L"S4EWNX0R123456A");
  len = 64;
  ASSERT_EQ(engine.GetDeviceFirmWareRev(buf, &len, 5), 0);
  EXPECT_STREQ(buf, L"2B2QEXM7");
}

TEST_F(IdentifyTest, StringQueryEdgeCases) {
  CSMARTInfo engine;
  enginetest::AttachDevice(engine, 0, 2);
  auto raw = RawIdentify("WDC WD10EZEX", "");  // serial: 20 blanks
  engine.FormatIdInfo(raw.data(), 0, 2);
  wchar_t buf[64];
  unsigned ulen = 64;
  EXPECT_EQ(engine.GetDeviceSerialNumber(buf, &ulen, 0), HWSCOPE_E_IDENTIFY_EMPTY);

  // The text must fit with its terminator; otherwise nothing changes.
  int len = 12;
  wcscpy(buf, L"untouched");
  EXPECT_EQ(engine.GetDeviceModelNumber(buf, &len, 0), HWSCOPE_E_BUFFER);
  EXPECT_EQ(len, 12);
  EXPECT_STREQ(buf, L"untouched");
  len = 13;
  EXPECT_EQ(engine.GetDeviceModelNumber(buf, &len, 0), 0);
  EXPECT_EQ(len, 12);
  EXPECT_EQ(engine.GetDeviceModelNumber(nullptr, &len, 0), HWSCOPE_E_BUFFER);
  EXPECT_EQ(engine.GetDeviceModelNumber(buf, &len, 9), HWSCOPE_E_BAD_DEVICE);
  EXPECT_EQ(engine.GetDeviceModelNumber(buf, &len, 100), HWSCOPE_E_BAD_DEVICE);
}

TEST(IdentifyText, TrimmingRemovesPaddingAndStopsAtNul) {
  EXPECT_EQ(hwscope::TrimText(L"   abc def  \0\0 "), L"abc def");
  EXPECT_EQ(hwscope::TrimText(L"      "), L"");
  const std::uint8_t raw[8] = {'A', 'B', 0, 'C', ' ', ' ', ' ', ' '};
  EXPECT_EQ(hwscope::TrimText(hwscope::WidenField(raw, 8)), L"AB");
  const std::uint8_t latin[3] = {0xC4, 'x', ' '};
  EXPECT_EQ(hwscope::WidenField(latin, 3), L"\u00C4x ");
}

}  // namespace
