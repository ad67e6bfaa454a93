// The panels' texts that need no window: device information rows, size and
// level texts, disk activity values and the hidden-area checks that come
// before any drive access.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "common/spindlewatch_localization.h"
#include "core/texts.h"
#include "ui/activity_counters.h"
#include "ui/config_dialog.h"
#include "ui/device_info_rows.h"
#include "ui/hidden_area.h"

namespace {

using appcore::LocText;

class PanelLogicTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sw::CreateLocalization(L"" SW_RESOURCES_DIR "/localization.txt"); }
};

std::wstring Value(const std::vector<ui::InfoRow>& rows, sw::AppKey key) {
  for (const ui::InfoRow& row : rows)
    if (row.name == LocText(key)) return row.value;
  return L"<missing>";
}

ui::DeviceInfoInput AtaInput() {
  ui::DeviceInfoInput in;
  in.device = 3;
  in.record.busType = 11;
  in.record.serialAta = 1;
  in.record.sataCapabilities = 0x000E;
  in.record.transportMajorVersion = 0x1020;
  in.record.majorVersion = 0x01F0;
  in.record.aamSupported = 1;
  in.record.aamEnabled = 1;
  in.record.aamRecommended = 0x80;
  in.record.aamCurrent = 0xFE;
  in.record.apmSupported = 1;
  in.record.apmEnabled = 1;
  in.record.apmLevel = 0x80;
  in.record.ultraDmaSupported = 0x7F;
  in.record.ultraDmaSelected = 0x20;
  in.record.multiwordDmaSupported = 0;
  in.record.pioModesSupported = 3;
  in.record.rotationRate = 7200;
  in.record.bufferSize = 65536;
  in.record.word22 = 4;
  in.record.worldWideName[0] = 0x50;
  in.record.worldWideName[7] = 0xAB;
  in.haveModel = true;
  in.model = L"Model";
  in.haveCapacity = true;
  in.capacityMb = 2048;
  in.status = L"OK";
  in.interfaceName = L"SATA";
  in.havePartitions = true;
  in.partitions = {{L'C', 1000}, {L'D', 2000}};
  return in;
}

TEST_F(PanelLogicTest, AtaDriveRows) {
  int first = -1;
  std::vector<ui::InfoRow> rows = ui::BuildDeviceInfoRows(AtaInput(), &first);
  EXPECT_EQ(rows[0].value, L"Model");
  EXPECT_EQ(rows[1].value, L"2.00 GB");
  EXPECT_EQ(rows[ui::kDeviceStatusRow].name, LocText(sw::DI_LIST_DEVICE_STATUS));
  EXPECT_EQ(Value(rows, sw::DI_LIST_DEVICE_ID), L"3");
  // Partitions, then the activity header and its five rows.
  EXPECT_EQ(rows[8].name, L"       C:");
  EXPECT_EQ(rows[9].value, L"2000 MB");
  EXPECT_EQ(rows[static_cast<size_t>(first) - 1].name, LocText(sw::DI_LIST_DISK_ACTIVITY));
  EXPECT_EQ(rows[static_cast<size_t>(first)].name, L"       " + LocText(sw::DA_COUNTER_DISK_READ_SPEED));
  EXPECT_EQ(rows[static_cast<size_t>(first) + 5].name, LocText(sw::DI_LIST_DISK_GEO));
  // Transport word 0x1020: serial, SATA 3.0 only.
  EXPECT_EQ(Value(rows, sw::DI_LIST_TRANSPORT_TYPE), LocText(sw::MISC_SERIAL));
  EXPECT_EQ(Value(rows, sw::DI_LIST_SATA_3_0_COMP), LocText(sw::MISC_YES));
  for (sw::AppKey key : {sw::DI_LIST_SATA_2_6_COMP, sw::DI_LIST_SATA_2_5_COMP, sw::DI_LIST_SATA_II_COMP,
                         sw::DI_LIST_SATA_1_0A_COMP, sw::DI_LIST_ATA8_AST_COMP})
    EXPECT_EQ(Value(rows, key), LocText(sw::MISC_NO));
  EXPECT_EQ(Value(rows, sw::DI_LIST_ATA_ATAPI7_COMP), L"<missing>");
  EXPECT_EQ(Value(rows, sw::DI_LIST_ATA8_ACS_SUPPORT), LocText(sw::MISC_YES));
  EXPECT_EQ(Value(rows, sw::DI_LIST_SATA_GEN3_SIGNALING_SUPPORTED), LocText(sw::MISC_YES));
  EXPECT_EQ(Value(rows, sw::DI_LIST_WORLDWIDE_ID), L"50000000000000AB");
  // AAM 0x80 and APM 0x80.
  EXPECT_EQ(Value(rows, sw::DI_LIST_REC_AAM_LEVEL), LocText(sw::DI_LIST_MIN_ACOUSTIC_LEVEL));
  EXPECT_EQ(Value(rows, sw::DI_LIST_CURRENT_AAM_LEVEL), LocText(sw::DI_LIST_MAX_PERFORMANCE));
  EXPECT_EQ(Value(rows, sw::DI_LIST_CURRENT_APM_LEVEL), LocText(sw::DI_LIST_MIN_POWER_WO_STANDBY));
  EXPECT_EQ(Value(rows, sw::DI_LIST_ULTRADMA_SUPPORT), L"6");
  EXPECT_EQ(Value(rows, sw::DI_LIST_ULTRADMA_SELECTED), L"5");
  EXPECT_EQ(Value(rows, sw::DI_LIST_MAX_MULTIWORD_SUPPORT), LocText(sw::MISC_NONE));
  EXPECT_EQ(Value(rows, sw::DI_LIST_MAX_PIO_MODE_SUPPORT), L"4");
  EXPECT_EQ(Value(rows, sw::DI_LIST_MEDIA_ROTATE_RATE), L"7200 RPM");
  EXPECT_EQ(Value(rows, sw::DI_LIST_BUFFER_SIZE), L"64 KB");
  EXPECT_EQ(Value(rows, sw::DI_LIST_ECC_SIZE), L"4 Bytes");
  // Enabled rows only where supported.
  EXPECT_EQ(Value(rows, sw::DI_LIST_SMART_ENABLE), L"<missing>");
  EXPECT_EQ(Value(rows, sw::DI_LIST_PUIS_ENABLE), L"<missing>");
}

TEST_F(PanelLogicTest, ParallelAndNvmeDrives) {
  ui::DeviceInfoInput in = AtaInput();
  in.record.transportMajorVersion = 0x0003;
  int first = -1;
  std::vector<ui::InfoRow> rows = ui::BuildDeviceInfoRows(in, &first);
  EXPECT_EQ(Value(rows, sw::DI_LIST_TRANSPORT_TYPE), LocText(sw::MISC_PARALLEL));
  EXPECT_EQ(Value(rows, sw::DI_LIST_ATA8_APT_COMP), LocText(sw::MISC_YES));
  EXPECT_EQ(Value(rows, sw::DI_LIST_SATA_3_0_COMP), L"<missing>");

  in.record.transportMajorVersion = 0xFFFF;
  rows = ui::BuildDeviceInfoRows(in, &first);
  EXPECT_EQ(Value(rows, sw::DI_LIST_TRANSPORT_TYPE), L"<missing>");

  in.record.busType = ui::kBusTypeNvme;
  in.haveModel = false;
  in.haveCapacity = false;
  in.capacityMb = 512;
  rows = ui::BuildDeviceInfoRows(in, &first);
  EXPECT_EQ(rows.back().name, LocText(sw::DI_LIST_ECC_SIZE));
  EXPECT_EQ(rows[0].value, LocText(sw::MISC_NA));
  EXPECT_EQ(rows[1].value, LocText(sw::MISC_NA));
  EXPECT_EQ(Value(rows, sw::DI_LIST_MEDIA_ROTATE_RATE), LocText(sw::DI_LIST_MEDIA_ROTATE_RATE_SSD));
  in.record.busType = 18;
  rows = ui::BuildDeviceInfoRows(in, &first);
  EXPECT_EQ(Value(rows, sw::DI_LIST_INTERFACE), LocText(sw::MISC_UNKNOWN));
}

TEST_F(PanelLogicTest, TextsOfSizesAndLevels) {
  struct Case {
    double bytes;
    const wchar_t* text;
  };
  const Case cases[] = {{0, L"0 Bytes"},          {1024, L"1024 Bytes"},
                        {2048.0 * 512, L"1024 KB"}, {2049.0 * 512, L"1.00 MB"},
                        {150.0 * 1048576, L"150.0 MB"}, {1500.0 * 1048576, L"1.46 GB"},
                        {5.0 * 1024 * 1024 * 1024 * 1024 * 1024, L"5120 TB"}};
  for (const Case& c : cases) EXPECT_EQ(ui::SizeText(c.bytes), c.text) << c.bytes;
  EXPECT_EQ(ui::CapacityText(1024), L"1024 MB");
  EXPECT_EQ(ui::CapacityText(1025), L"1.00 GB");
  EXPECT_EQ(ui::AamLevelText(0), LocText(sw::DI_LIST_VENDOR_SPECIFIC));
  EXPECT_EQ(ui::AamLevelText(200), LocText(sw::DI_LIST_INT_ACOUSTIC_LEVEL));
  EXPECT_EQ(ui::AamLevelText(255), LocText(sw::MISC_UNKNOWN));
  EXPECT_EQ(ui::ApmLevelText(1), LocText(sw::DI_LIST_MIN_POWER_STANDBY));
  EXPECT_EQ(ui::ApmLevelText(127), LocText(sw::DI_LIST_INT_POWER_STANDBY));
  EXPECT_EQ(ui::ApmLevelText(0), LocText(sw::MISC_UNKNOWN));
}

TEST_F(PanelLogicTest, HiddenAreaSizesAndRefusals) {
  ui::HiddenAreaState s;
  s.haveUser = s.haveNative = s.haveDisk = true;
  s.bytesPerSector = 512;
  s.user = 999;
  s.native = 999 + 2048;
  s.disk = s.native;
  EXPECT_EQ(ui::HpaSizeText(s), L"1024 KB");
  EXPECT_EQ(ui::DcoSizeText(s), L"0 Bytes");
  s.haveDisk = false;
  EXPECT_EQ(ui::DcoSizeText(s), LocText(sw::MISC_NA));
  // Refused before the drive is touched (device 99 does not exist).
  EXPECT_EQ(ui::ApplyHiddenArea(99, 10, 1000, 900), sw::ERROR_MAX_NATIVE_GREATER_MAX_DISK);
  EXPECT_EQ(ui::ApplyHiddenArea(99, 1001, 1000, 0), sw::ERROR_MAX_USER_GREATER_MAX_NATIVE);
  std::uint64_t v = 0;
  EXPECT_TRUE(ui::ParseAddress(L"18446744073709551615", &v));
  EXPECT_EQ(v, UINT64_MAX);
  EXPECT_FALSE(ui::ParseAddress(L"18446744073709551616", &v));
  EXPECT_FALSE(ui::ParseAddress(L"", &v));
  EXPECT_FALSE(ui::ParseAddress(L"12a", &v));
}

TEST_F(PanelLogicTest, ActivityValuesBetweenTwoSamples) {
  platform::DiskActivitySample a, b;
  a.tickMs = 1000;
  b.tickMs = 3000;
  b.bytesRead = 2 * 1048576;
  b.bytesWritten = 1048576;
  b.reads = 30;
  b.writes = 20;
  b.busyMs = 500;
  b.readTimeMs = 120;
  b.writeTimeMs = 80;
  std::array<double, 5> v = ui::ActivityValues(a, b);
  EXPECT_DOUBLE_EQ(v[0] * ui::ActivityRowSpecs()[0].multiplier, 1.0);
  EXPECT_DOUBLE_EQ(v[1] * ui::ActivityRowSpecs()[1].multiplier, 0.5);
  EXPECT_DOUBLE_EQ(v[2] * ui::ActivityRowSpecs()[2].multiplier, 1.5);
  EXPECT_DOUBLE_EQ(v[3], 25.0);
  EXPECT_DOUBLE_EQ(v[4] * ui::ActivityRowSpecs()[4].multiplier, 4.0);
  // No time between the samples, or counters that went back: nothing.
  EXPECT_EQ(ui::ActivityValues(b, b), (std::array<double, 5>{}));
  platform::DiskActivitySample later = a;
  later.tickMs = 2000;
  EXPECT_EQ(ui::ActivityValues(b, later), (std::array<double, 5>{}));
}

}  // namespace

namespace {

TEST(WarningLevelText, ReadsLikeANumberWithADecimalPoint) {
  const struct {
    const char* text;
    float value;
  } cases[] = {{"55.5", 55.5f}, {" +60.0", 60.0f}, {"-4.5", -4.5f}, {"7.5 C", 7.5f},
               {"abc", 0.0f},   {"", 0.0f},        {"1e60", 0.0f}};
  for (const auto& c : cases) EXPECT_EQ(ui::ReadFloat(QString(c.text)), c.value) << c.text;
}

// The toolkit takes LC_NUMERIC from the desktop; a decimal comma there must
// not turn a typed 55.5 into 55.
TEST(WarningLevelText, DecimalPointAlsoUnderACommaLocale) {
  std::string dir = (std::filesystem::temp_directory_path() / ("sw_locale_test_" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(dir);
  std::string make = "localedef -i de_DE -f UTF-8 " + dir + "/de_DE.UTF-8 >/dev/null 2>&1";
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "no localedef";
  setenv("LOCPATH", dir.c_str(), 1);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE locale";
  ASSERT_EQ(std::strtof("55.5", nullptr), 55.0f);  // the comma locale is in force
  EXPECT_EQ(ui::ReadFloat(QString("55.5")), 55.5f);
  std::setlocale(LC_NUMERIC, "C");
  unsetenv("LOCPATH");
  std::filesystem::remove_all(dir);
}

}  // namespace
