// The history file: layout, the readers' results, rejected files and bad
// input that must neither crash nor change the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "engine/smart_info.h"
#include "hwscope/hwscope.h"
#include "history/history_format.h"
#include "history_test_support.h"

namespace {

using hwscope::CSMARTInfo;
using hwscope::history::Record;
using namespace historytest;

constexpr int kDev = 3;

class HistoryFile : public ::testing::Test {
 protected:
  void SetUp() override {
    clock_ = InstallClock(1700000000);
    folder_ = UseFreshHistoryFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    AttachDevice(engine_, kDev, 2, "  WD-123  ");
    std::vector<AtaAttribute> attrs;
    for (int i = 0; i < 30; ++i) attrs.push_back({i + 1, 100 - i, 90 - i, 0x010203040506ull + i, 10});
    SetAtaAttributes(engine_, kDev, attrs);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path File() const { return folder_ / "WD-123.bin"; }

  std::shared_ptr<ClockSystem> clock_;
  std::filesystem::path folder_;
  CSMARTInfo engine_;
};

TEST_F(HistoryFile, FirstRecordingWritesTheLayoutAndTheSecondAppends) {
  ASSERT_EQ(engine_.RecordTECData(kDev), 0);
  std::string bytes = ReadFile(File());
  ASSERT_EQ(bytes.size(), 332u);
  EXPECT_EQ(bytes.substr(0, 4), "SMDL");
  EXPECT_EQ(bytes.substr(4, 8), std::string("\x01\x00\x00\x00\x01\x00\x00\x00", 8));
  // Set header: 30 records, the clock's time, driver version 1 revision 2.
  EXPECT_EQ(bytes.substr(12, 4), std::string("\x1e\x00\x00\x00", 4));
  EXPECT_EQ(hwscope::history::GetU64(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 16),
            1700000000u);
  EXPECT_EQ(bytes.substr(24, 4), std::string("\x01\x02\x00\x00", 4));
  // First record: id 1, current 100, raw bytes in order, worst 90, zero.
  EXPECT_EQ(bytes.substr(28, 10), std::string("\x01\x64\x06\x05\x04\x03\x02\x01\x5a\x00", 10));
  EXPECT_EQ(bytes.substr(328), "LDMS");

  clock_->now = 1700000600;
  ASSERT_EQ(engine_.RecordTECData(kDev), 0);
  bytes = ReadFile(File());
  ASSERT_EQ(bytes.size(), 648u);
  EXPECT_EQ(bytes[8], 2);
  EXPECT_EQ(bytes.substr(328, 4), std::string("\x1e\x00\x00\x00", 4));  // old footer overwritten
  EXPECT_EQ(bytes.substr(644), "LDMS");

  int count = 0;
  ASSERT_EQ(engine_.GetTECDataSetCount(&count, kDev), 0);
  EXPECT_EQ(count, 2);
  long long t = 0;
  int value = 0, worst = 0;
  unsigned long long raw = 0;
  ASSERT_EQ(engine_.GetTECDataAtIndex(&t, &value, &worst, &raw, 1, 30, kDev), 0);
  EXPECT_EQ(t, 1700000600);
  EXPECT_EQ(value, 71);
  EXPECT_EQ(worst, 61);
  EXPECT_EQ(raw, 0x010203040506ull + 29);
}

TEST_F(HistoryFile, DeviceWithoutAttributesRecordsNothing) {
  SetAtaAttributes(engine_, kDev, {});
  EXPECT_EQ(engine_.RecordTECData(kDev), -20001);
  EXPECT_FALSE(std::filesystem::exists(File()));

  SetAtaAttributes(engine_, kDev, {{5, 100, 100, 0, 10}});
  ASSERT_EQ(engine_.RecordTECData(kDev), 0);
  std::string before = ReadFile(File());
  SetAtaAttributes(engine_, kDev, {});
  EXPECT_EQ(engine_.RecordTECData(kDev), -20001);
  EXPECT_EQ(ReadFile(File()), before);
}

TEST_F(HistoryFile, InvalidDeviceIsRefusedBeforeAnyFile) {
  EXPECT_EQ(engine_.RecordTECData(7), -1000);
  int count = 0;
  EXPECT_EQ(engine_.GetTECDataSetCount(&count, 150), -1000);
  EXPECT_TRUE(std::filesystem::is_empty(folder_));
}

TEST_F(HistoryFile, ReadersWithoutAFileAnswerNoHistory) {
  int count = 7;
  EXPECT_EQ(engine_.GetTECDataSetCount(&count, kDev), -20004);
  long long t = 1;
  int v = 1, w = 1;
  unsigned long long r = 1;
  EXPECT_EQ(engine_.GetTECDataAtIndex(&t, &v, &w, &r, 0, 1, kDev), -20004);
  unsigned capacity = 4;
  long long ts[4];
  int vs[4], ws[4];
  unsigned long long rs[4];
  EXPECT_EQ(engine_.ExportTECData(ts, vs, ws, rs, &capacity, 1, kDev), -20004);
}

// Each case: how the bytes of a valid three-set file are spoiled, and what
// every operation (the three readers and recording) must answer.
struct Rejection {
  const char* name;
  std::size_t offset;  // from the start; SIZE_MAX-k means k from the end
  char byte;
  int code;
};

class HistoryRejection : public HistoryFile, public ::testing::WithParamInterface<Rejection> {};

TEST_P(HistoryRejection, EveryOperationRejectsAndLeavesTheFile) {
  for (int i = 0; i < 3; ++i) {
    clock_->now += 600;
    ASSERT_EQ(engine_.RecordTECData(kDev), 0);
  }
  std::string bytes = ReadFile(File());
  const Rejection& c = GetParam();
  std::size_t at = c.offset > bytes.size() ? bytes.size() - (SIZE_MAX - c.offset) - 1 : c.offset;
  bytes[at] = c.byte;
  WriteFile(File(), bytes);

  int count = 0;
  EXPECT_EQ(engine_.GetTECDataSetCount(&count, kDev), c.code);
  long long t;
  int v, w;
  unsigned long long r;
  EXPECT_EQ(engine_.GetTECDataAtIndex(&t, &v, &w, &r, 0, 1, kDev), c.code);
  std::vector<long long> ts(8);
  std::vector<int> vs(8), ws(8);
  std::vector<unsigned long long> rs(8);
  unsigned capacity = 8;
  EXPECT_EQ(engine_.ExportTECData(ts.data(), vs.data(), ws.data(), rs.data(), &capacity, 1, kDev),
            c.code);
  EXPECT_EQ(engine_.RecordTECData(kDev), c.code);
  EXPECT_EQ(ReadFile(File()), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryRejection,
    ::testing::Values(Rejection{"FirstByte", 0, 'X', -20002}, Rejection{"Version2", 4, 2, -20002},
                      Rejection{"LastByte", SIZE_MAX, 'X', -20003},
                      Rejection{"FooterFirstByte", SIZE_MAX - 3, 'M', -20003}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HistoryFile, ExportNeedsRoomForEverySet) {
  for (int i = 0; i < 3; ++i) {
    clock_->now += 600;
    ASSERT_EQ(engine_.RecordTECData(kDev), 0);
  }
  std::vector<long long> ts(3, -1);
  std::vector<int> vs(3, -1), ws(3, -1);
  std::vector<unsigned long long> rs(3, 7);
  unsigned capacity = 2;
  EXPECT_EQ(engine_.ExportTECData(ts.data(), vs.data(), ws.data(), rs.data(), &capacity, 2, kDev),
            -2001);
  EXPECT_EQ(capacity, 2u);
  EXPECT_EQ(ts, std::vector<long long>(3, -1));
  capacity = 3;
  ASSERT_EQ(engine_.ExportTECData(ts.data(), vs.data(), ws.data(), rs.data(), &capacity, 2, kDev), 0);
  EXPECT_EQ(capacity, 3u);
  EXPECT_EQ(ts, (std::vector<long long>{1700000600, 1700001200, 1700001800}));
  EXPECT_EQ(vs, (std::vector<int>{99, 99, 99}));
  EXPECT_EQ(ws, (std::vector<int>{89, 89, 89}));
  EXPECT_EQ(rs[2], 0x010203040506ull + 1);
}

TEST_F(HistoryFile, SetsWithoutTheAttributeExportAsZeroAndIndexPastTheEndIsZero) {
  ASSERT_EQ(engine_.RecordTECData(kDev), 0);
  SetAtaAttributes(engine_, kDev, {{9, 55, 44, 3, 0}});
  clock_->now += 10;
  ASSERT_EQ(engine_.RecordTECData(kDev), 0);
  std::vector<long long> ts(2, -1);
  std::vector<int> vs(2, -1), ws(2, -1);
  std::vector<unsigned long long> rs(2, 7);
  unsigned capacity = 2;
  ASSERT_EQ(engine_.ExportTECData(ts.data(), vs.data(), ws.data(), rs.data(), &capacity, 12, kDev), 0);
  EXPECT_EQ(ts, (std::vector<long long>{1700000000, 0}));
  EXPECT_EQ(vs, (std::vector<int>{89, 0}));

  long long t = -1;
  int v = -1, w = -1;
  unsigned long long r = 9;
  EXPECT_EQ(engine_.GetTECDataAtIndex(&t, &v, &w, &r, 2, 9, kDev), 0);
  EXPECT_EQ(t, 0);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(r, 0u);
  EXPECT_EQ(engine_.GetTECDataAtIndex(&t, &v, &w, &r, 1, 9, kDev), 0);
  EXPECT_EQ(t, 1700000010);
  EXPECT_EQ(v, 55);
  EXPECT_EQ(w, 44);
  EXPECT_EQ(r, 3u);
}

TEST_F(HistoryFile, NvmeAttributeIdSelectsByPosition) {
  CSMARTInfo engine;
  AttachDevice(engine, 4, 3, "NV-77", true);
  std::vector<std::uint64_t> values(15);
  for (int i = 0; i < 15; ++i) values[i] = 1000 + i;
  values[1] = 310;
  values[5] = 0x123456789ABCDEull;  // only the low 48 bits are kept
  SetNvmeValues(engine, 4, values);
  ASSERT_EQ(engine.RecordTECData(4), 0);
  std::string bytes = ReadFile(folder_ / "NV-77.bin");
  EXPECT_EQ(bytes.size(), 12u + 16 + 150 + 4);
  long long t;
  int v = -1, w = -1;
  unsigned long long raw = 0;
  ASSERT_EQ(engine.GetTECDataAtIndex(&t, &v, &w, &raw, 0, 1, 4), 0);
  EXPECT_EQ(raw, 310u);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(w, 0);
  ASSERT_EQ(engine.GetTECDataAtIndex(&t, &v, &w, &raw, 0, 5, 4), 0);
  EXPECT_EQ(raw, 0x3456789ABCDEull);
}

TEST_F(HistoryFile, SerialNumbersCannotLeaveTheFolder) {
  struct Case {
    const char* serial;
    const char* file;
  } cases[] = {{"../../etc/x", "..%2F..%2Fetc%2Fx.bin"},
               {"..", "...bin"},
               {"a\\b%c", "a%5Cb%25c.bin"},
               {"/abs", "%2Fabs.bin"}};
  for (const Case& c : cases) {
    CSMARTInfo engine;
    AttachDevice(engine, 1, 0, c.serial);
    SetAtaAttributes(engine, 1, {{5, 100, 100, 0, 10}});
    ASSERT_EQ(engine.RecordTECData(1), 0) << c.serial;
    EXPECT_TRUE(std::filesystem::is_regular_file(folder_ / c.file)) << c.serial;
    int count = 0;
    EXPECT_EQ(engine.GetTECDataSetCount(&count, 1), 0);
    EXPECT_EQ(count, 1);
  }
  std::size_t files = 0;
  for (auto& e : std::filesystem::directory_iterator(folder_)) files += e.is_regular_file();
  EXPECT_EQ(files, std::size(cases));
  EXPECT_FALSE(std::filesystem::exists(folder_.parent_path().parent_path() / "etc" / "x.bin"));
}

TEST_F(HistoryFile, SomethingElseInTheFilesPlaceIsNotAFile) {
  std::filesystem::create_directory(File());
  int count = 0;
  EXPECT_EQ(engine_.GetTECDataSetCount(&count, kDev), -5001);
  EXPECT_EQ(engine_.RecordTECData(kDev), -5001);
  EXPECT_TRUE(std::filesystem::is_directory(File()));
}

// Bad input: every reader answers a code, reads nothing outside the file,
// allocates nothing by the file's word, and leaves the file as it was.
class BadHistoryInput : public HistoryFile {
 protected:
  // Runs all readers and estimates; returns the export's result.
  int ReadAll(unsigned capacity = 16) {
    int count = 0;
    engine_.GetTECDataSetCount(&count, kDev);
    for (int index : {0, 1, 2, 1000000}) {
      long long t;
      int v, w;
      unsigned long long r;
      engine_.GetTECDataAtIndex(&t, &v, &w, &r, index, 1, kDev);
    }
    std::vector<long long> ts(capacity);
    std::vector<int> vs(capacity), ws(capacity);
    std::vector<unsigned long long> rs(capacity);
    unsigned n = capacity;
    int rc = engine_.ExportTECData(ts.data(), vs.data(), ws.data(), rs.data(), &n, 1, kDev);
    long long a, b;
    int id;
    engine_.EstimateTECByAttributeID(&a, &b, 1, kDev);
    engine_.EstimateTEC(&a, &b, &id, kDev);
    return rc;
  }
};

TEST_F(BadHistoryInput, EveryTruncationIsAnsweredWithACode) {
  std::vector<Set> sets;
  for (int i = 0; i < 3; ++i) sets.push_back({100 + i, {{1, 100, 5, 90}, {2, 50, 6, 40}}});
  const std::string whole = HistoryBytes(sets);
  for (std::size_t length = 0; length < whole.size(); ++length) {
    std::string cut = whole.substr(0, length);
    WriteFile(File(), cut);
    int rc = ReadAll();
    EXPECT_NE(rc, 0) << length;
    EXPECT_EQ(ReadFile(File()), cut) << length;
  }
}

TEST_F(BadHistoryInput, CountFarLargerThanTheFile) {
  std::vector<Set> sets;
  for (int i = 0; i < 3; ++i) sets.push_back({100 + i, {{1, static_cast<std::uint8_t>(100 - i), 5, 90}}});
  std::string bytes = HistoryBytes(sets);
  hwscope::history::PutU32(reinterpret_cast<std::uint8_t*>(bytes.data()) + 8, 0xFFFFFFF0u);
  WriteFile(File(), bytes);
  int count = 0;
  ASSERT_EQ(engine_.GetTECDataSetCount(&count, kDev), 0);
  EXPECT_EQ(static_cast<unsigned>(count), 0xFFFFFFF0u);
  EXPECT_EQ(ReadAll(), -2001);
  long long a, b;
  EXPECT_EQ(engine_.EstimateTECByAttributeID(&a, &b, 1, kDev), -5003);
  EXPECT_EQ(engine_.RecordTECData(kDev), -5003);
  EXPECT_EQ(ReadFile(File()), bytes);

  // A count a little too large: the sets that exist read back, the rest are
  // zero and the result says a set could not be read.
  hwscope::history::PutU32(reinterpret_cast<std::uint8_t*>(bytes.data()) + 8, 5);
  WriteFile(File(), bytes);
  std::vector<long long> ts(5, -1);
  std::vector<int> vs(5, -1), ws(5, -1);
  std::vector<unsigned long long> rs(5, 1);
  unsigned n = 5;
  EXPECT_EQ(engine_.ExportTECData(ts.data(), vs.data(), ws.data(), rs.data(), &n, 1, kDev), -5003);
  EXPECT_EQ(vs, (std::vector<int>{100, 99, 98, 0, 0}));
  EXPECT_EQ(ts, (std::vector<long long>{100, 101, 102, 0, 0}));
}

TEST_F(BadHistoryInput, SetHeaderClaimingFourBillionRecords) {
  std::vector<Set> sets;
  for (int i = 0; i < 3; ++i) sets.push_back({100 + i, {{1, 100, 5, 90}, {2, 80, 5, 90}}});
  std::string bytes = HistoryBytes(sets);
  hwscope::history::PutU32(reinterpret_cast<std::uint8_t*>(bytes.data()) + 12 + 36, 0xFFFFFFFFu);
  WriteFile(File(), bytes);
  std::vector<long long> ts(3, -1);
  std::vector<int> vs(3, -1), ws(3, -1);
  std::vector<unsigned long long> rs(3, 1);
  unsigned n = 3;
  // Set 1 still has attribute 2 before its records run out of the file.
  EXPECT_EQ(engine_.ExportTECData(ts.data(), vs.data(), ws.data(), rs.data(), &n, 2, kDev), -5003);
  EXPECT_EQ(vs, (std::vector<int>{80, 80, 0}));
  EXPECT_NE(ReadAll(), 0);
  EXPECT_EQ(engine_.RecordTECData(kDev), -5003);
  EXPECT_EQ(ReadFile(File()), bytes);
}

TEST_F(BadHistoryInput, FileOfZeros) {
  const std::string zeros(4096, '\0');
  WriteFile(File(), zeros);
  EXPECT_EQ(ReadAll(), -20002);
  EXPECT_EQ(engine_.RecordTECData(kDev), -20002);
  EXPECT_EQ(ReadFile(File()), zeros);
}

TEST_F(BadHistoryInput, EmptyFileLeftByAnInterruptedCreationIsStartedAfresh) {
  WriteFile(File(), "");
  int count = 0;
  EXPECT_EQ(engine_.GetTECDataSetCount(&count, kDev), -5001);
  ASSERT_EQ(engine_.RecordTECData(kDev), 0);
  ASSERT_EQ(engine_.GetTECDataSetCount(&count, kDev), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(ReadFile(File()).size(), 332u);
}

}  // namespace

namespace {

// The library log as text while a test runs.
class LogCapture {
 public:
  LogCapture() : file_(std::tmpfile()) { HwscopeDll_StartLoggingExisting(file_); }
  ~LogCapture() {
    HwscopeDll_StopLogging();
    std::fclose(file_);
  }
  std::string Text() {
    std::fflush(file_);
    std::rewind(file_);
    std::string bytes;
    for (int c; (c = std::fgetc(file_)) != EOF;) bytes += static_cast<char>(c);
    std::fseek(file_, 0, SEEK_END);
    return bytes;
  }

 private:
  std::FILE* file_;
};

TEST_F(HistoryFile, FailuresAreLoggedWithTheOperationAndLine) {
  LogCapture log;
  int count = 0;
  EXPECT_EQ(engine_.GetTECDataSetCount(&count, kDev), -20004);
  EXPECT_NE(log.Text().find("Func CSMARTInfo::GetTECDataSetCount: Line "), std::string::npos);
  EXPECT_NE(log.Text().find(" for _waccess(), err = -1.  GetLastError() = 2, \""), std::string::npos);

  WriteFile(File(), std::string("SMDX\x01\x00\x00\x00\x01\x00\x00\x00LDMS", 16));
  EXPECT_EQ(engine_.GetTECDataSetCount(&count, kDev), -20002);
  EXPECT_NE(log.Text().find("Error <CSMARTInfo::GetTECDataSetCount:"), std::string::npos);
  EXPECT_NE(log.Text().find(">, Header not SMDL: -20002"), std::string::npos);
  EXPECT_EQ(engine_.RecordTECData(kDev), -20002);
  EXPECT_NE(log.Text().find("Error <CSMARTInfo::RecordTECData:"), std::string::npos);
  EXPECT_NE(log.Text().find(">, error code: -20002"), std::string::npos);

  WriteFile(File(), std::string("SMDL\x01\x00\x00\x00\x01\x00\x00\x00LDMX", 16));
  EXPECT_EQ(engine_.GetTECDataSetCount(&count, kDev), -20003);
  EXPECT_NE(log.Text().find(">, FOOTER not LDMS: -20003"), std::string::npos);

  hwscope::CSMARTInfo blank;
  AttachDevice(blank, 5, 4, "                    ");
  SetAtaAttributes(blank, 5, {{5, 100, 100, 0, 10}});
  EXPECT_EQ(blank.RecordTECData(5), -10004);
  EXPECT_NE(log.Text().find("Error <CSMARTInfo::RecordTECData:"), std::string::npos);
  EXPECT_NE(log.Text().find(">, GetDeviceSerialNumber err = -10004"), std::string::npos);
  EXPECT_EQ(blank.GetTECDataSetCount(&count, 5), -10004);
  EXPECT_NE(log.Text().find(">, GetDeviceSerialNumber: -10004"), std::string::npos);
}

}  // namespace
