// The drive report against fixture files for one ATA and one NVMe drive,
// and its options, history selection and failures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "engine/smart_info.h"
#include "history_test_support.h"
#include "naming/nvme_names.h"
#include "strings/string_table.h"

namespace {

using hwscope::CSMARTInfo;
using namespace historytest;

constexpr int kAta = 0;
constexpr int kNvme = 1;
const std::filesystem::path kFixtures = REPORT_FIXTURE_DIR;

void SetWord(std::uint8_t* identify, int word, std::uint16_t value) {
  identify[2 * word] = static_cast<std::uint8_t>(value & 0xFF);
  identify[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
}

void SetText(std::uint8_t* identify, int offset, int size, const char* text) {
  std::memset(identify + offset, ' ', static_cast<std::size_t>(size));
  std::memcpy(identify + offset, text, std::strlen(text));
}

class Report : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    setenv("LC_ALL", "C", 1);
    tzset();
    InstallClock(1765000000);
    hwscope::strings::Create((kFixtures / "report_strings.txt").wstring().c_str());
    folder_ = UseFreshHistoryFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    SetUpAta();
    SetUpNvme();
  }
  void TearDown() override {
    hwscope::strings::Release();
    std::filesystem::remove_all(folder_);
  }

  void SetUpAta() {
    AttachDevice(engine_, kAta, 2, "WD-WCC4E1234567");
    std::uint8_t* id = engine_.devices[kAta].identify;
    SetText(id, 46, 8, "82.00A82");
    SetText(id, 54, 40, "WDC WD20EFRX-68EUZN0");
    const std::pair<int, std::uint16_t> words[] = {
        {21, 128},     {22, 4},       {49, 0x0B00},  {60, 0xFFFF},  {61, 0x0FFF},  {63, 0x0407},
        {64, 0x0003},  {76, 0x170E},  {78, 0x004C},  {79, 0x0048},  {80, 0x01F0},  {82, 0x046B},
        {83, 0x0E28},  {84, 0x0023},  {85, 0x0061},  {86, 0x0208},  {88, 0x207F},  {91, 0x0080},
        {94, 0x80FE},  {100, 0x56B0}, {101, 0xE8E0}, {106, 0x6003}, {108, 0x5001}, {109, 0x4EE0},
        {110, 0x5A6B}, {111, 0x1234}, {119, 0x0062}, {120, 0x0040}, {169, 1},      {206, 1},
        {217, 5400},   {222, 0x103F}};
    for (auto [w, v] : words) SetWord(id, w, v);
    hwscope::DriveRow& row = engine_.drives[2];
    row.capacity = 2000398934016ull;
    row.cylinders = 243201;
    row.tracksPerCylinder = 255;
    row.sectorsPerTrack = 63;
    row.bytesPerSector = 512;
    row.volumeCount = 2;
    row.volumeList[0] = 2;
    row.volumeList[1] = 3;
    row.volumeLetters[0] = L'C';
    row.volumeLetters[1] = L'D';
    row.volumeSizes[0] = 1048576ull * 512000;
    row.volumeSizes[1] = 1048576ull * 1395000;
    SetAtaAttributes(engine_, kAta,
                     {{1, 200, 200, 0, 51},
                      {5, 36, 36, 1423, 36},
                      {9, 62, 62, 28123, 0},
                      {194, 114, 98, 0x002D00140025ull, 0},
                      {197, 200, 200, 12, 10}});
    const wchar_t* names[] = {L"Raw Read Error Rate", L"Reallocated Sector Count", L"Power-On Hours",
                              L"Temperature", L"Current Pending Sector Count"};
    for (int i = 0; i < 5; ++i) std::wcscpy(engine_.devices[kAta].attributes[i].name, names[i]);
  }

  void SetUpNvme() {
    AttachDevice(engine_, kNvme, 26, "S4EWNX0R123456", true);
    std::uint8_t* id = engine_.devices[kNvme].identify;
    SetText(id, 24, 40, "Samsung SSD 970 EVO Plus 1TB");
    SetText(id, 64, 8, "2B2QEXM7");
    hwscope::DriveRow& row = engine_.drives[26];
    row.capacity = 1000204886016ull;
    row.bytesPerSector = 512;
    row.volumeCount = 0;
    SetNvmeValues(engine_, kNvme, {0, 310, 100, 10, 3, 123456789, 98765432, 1111, 2222, 33, 44, 5555, 6, 0, 7});
    for (int i = 0; i < 15; ++i) {
      unsigned length = 128;
      hwscope::NvmeAttributeName(i, engine_.devices[kNvme].attributes[i].name, &length);
    }
  }

  // Attribute 5 falls towards its threshold, the others stay level.
  void WriteAtaHistory() {
    std::vector<Set> sets;
    const int five[] = {60, 50, 40};
    for (int k = 0; k < 3; ++k)
      sets.push_back({1700000000 + 86400LL * k,
                      {{1, 200, 0, 200},
                       {5, static_cast<std::uint8_t>(five[k]), static_cast<std::uint64_t>(1400 + k), static_cast<std::uint8_t>(five[k])},
                       {9, 62, static_cast<std::uint64_t>(28000 + 24 * k), 62},
                       {194, 114, 0x002D00140025ull, 98},
                       {197, 200, 12, 200}}});
    WriteFile(folder_ / "WD-WCC4E1234567.bin", HistoryBytes(sets));
  }

  std::string Export(int device, int options, int historyAttrId = 0, const wchar_t* header = nullptr) {
    auto path = folder_ / "report.txt";
    EXPECT_EQ(engine_.ExportReport(path.wstring().c_str(), device, header, header != nullptr, options,
                                   historyAttrId),
              0);
    return ReadFile(path);
  }

  // Compares with a fixture file; REPORT_FIXTURES_UPDATE=1 rewrites it.
  void ExpectFixture(const std::string& text, const char* name) {
    auto path = kFixtures / name;
    if (std::getenv("REPORT_FIXTURES_UPDATE")) WriteFile(path, text);
    EXPECT_EQ(text, ReadFile(path)) << name;
  }

  std::filesystem::path folder_;
  CSMARTInfo engine_;
};

TEST_F(Report, AtaDriveWithEverySection) {
  WriteAtaHistory();
  ExpectFixture(Export(kAta, 7, 0, L"Exported by the report test"), "ata_report.txt");
}

TEST_F(Report, NvmeDriveWithEverySection) {
  ExpectFixture(Export(kNvme, 7), "nvme_report.txt");
}

TEST_F(Report, EncodingAndHeadOnly) {
  std::string text = Export(kAta, 0);
  ASSERT_GE(text.size(), 3u);
  EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
  // Every line feed comes with a carriage return.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << i;
    }
  }
  const std::string version = std::string("Hwscope DLL Version:") + std::string(50, ' ') + "Hwscope v3.0 Build: 1000\r\n";
  EXPECT_EQ(text.substr(3, version.size()), version);
  EXPECT_EQ(text.find("SMART ATTRIBUTES"), std::string::npos);
  EXPECT_EQ(text.find("Attribute ID"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");  // the final empty line
}

TEST_F(Report, HistoryOfOneAttributeOnly) {
  WriteAtaHistory();
  std::string text = Export(kAta, 4, 5);
  EXPECT_NE(text.find("Attribute ID: 5    \t"), std::string::npos);
  EXPECT_EQ(text.find("Attribute ID: 1 "), std::string::npos);
  EXPECT_NE(text.find("  Tue Nov 14 22:13:20 2023  \t60        \t60        \t1400      \r\n"), std::string::npos);
}

TEST_F(Report, DriveWithoutHistory) {
  std::string text = Export(kAta, 4);
  std::size_t count = 0;
  for (std::size_t at = text.find("No history\r\n"); at != std::string::npos; at = text.find("No history\r\n", at + 1))
    ++count;
  EXPECT_EQ(count, 5u);
}

TEST_F(Report, Failures) {
  auto missing = folder_ / "no such folder" / "report.txt";
  EXPECT_EQ(engine_.ExportReport(missing.wstring().c_str(), kAta, nullptr, 0, 7, 0), -5001);
  auto path = folder_ / "never.txt";
  EXPECT_EQ(engine_.ExportReport(path.wstring().c_str(), 42, nullptr, 0, 7, 0), -1000);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(Report, WriteFailureIsNotSuccess) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  // Opens fine, every write fails with "no space left".
  EXPECT_EQ(engine_.ExportReport(L"/dev/full", kAta, nullptr, 0, 0, 0), -5002);
  EXPECT_EQ(engine_.ExportReport(L"/dev/full", kAta, nullptr, 0, 7, 0), -5002);
}

}  // namespace
