// Threshold-exceeded date estimation: the listed cases as a table, the
// whole-drive choice, and agreement with the plain algorithm (count the
// sets, export every point, extrapolate) on long and on damaged histories.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <vector>

#include "engine/smart_info.h"
#include "history_test_support.h"

namespace {

using hwscope::CSMARTInfo;
using hwscope::history::Record;
using namespace historytest;

constexpr int kDev = 1;

class Estimation : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallClock(1700000000);
    folder_ = UseFreshHistoryFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    AttachDevice(engine_, kDev, 0, "EST-1");
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path File() const { return folder_ / "EST-1.bin"; }

  // History of attribute 5 alone with the given points.
  void WritePoints(const std::vector<long long>& times, const std::vector<int>& values) {
    std::vector<Set> sets;
    for (std::size_t i = 0; i < times.size(); ++i)
      sets.push_back({times[i], {{5, static_cast<std::uint8_t>(values[i]), 0, 0}}});
    WriteFile(File(), HistoryBytes(sets));
  }

  std::filesystem::path folder_;
  CSMARTInfo engine_;
};

struct Case {
  const char* name;
  std::vector<long long> times;
  std::vector<int> values;
  int threshold;
  int result;
  long long first;
  long long second;
};

class EstimationCases : public Estimation, public ::testing::WithParamInterface<Case> {};

TEST_P(EstimationCases, OneAttribute) {
  const Case& c = GetParam();
  SetAtaAttributes(engine_, kDev, {{5, 100, 100, 0, c.threshold}});
  if (!c.times.empty()) WritePoints(c.times, c.values);
  long long first = -1;
  long long second = -1;
  EXPECT_EQ(engine_.EstimateTECByAttributeID(&first, &second, 5, kDev), c.result);
  EXPECT_EQ(first, c.first);
  EXPECT_EQ(second, c.second);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EstimationCases,
    ::testing::Values(
        Case{"BothEstimatesExchanged", {100, 110, 120}, {100, 99, 97}, 50, 0, 355, 433},
        Case{"AlreadyBelowThresholdGivesAnEarlierDate", {100, 110, 120}, {40, 35, 30}, 50, 0, 80, 80},
        Case{"Flat", {100, 110, 120}, {100, 100, 100}, 50, -20007, 0, 0},
        Case{"LastTwoFallButNotOverall", {100, 110, 120}, {80, 100, 90}, 50, -20007, 0, 0},
        Case{"TrendOnSecondAlternativeOnly", {100, 120, 110}, {90, 80, 95}, 50, 0, 0, 0},
        Case{"TwoSets", {100, 110}, {100, 90}, 50, -20005, 0, 0},
        Case{"ThresholdZeroBeforeTheHistory", {}, {}, 0, -20006, 0, 0},
        Case{"NoHistory", {}, {}, 50, -20004, 0, 0},
        Case{"OnlyOverallEstimate", {100, 110, 120}, {100, 90, 90}, 50, 0, 200, 0},
        Case{"DivisionTruncatesTowardZero", {100, 110, 120}, {40, 37, 30}, 50, 0, 80, 92},
        Case{"NonPositiveDatesAreNoEstimate", {0, 10, 20}, {40, 35, 30}, 50, 0, 0, 0},
        Case{"UsesOnlyOldestAndTwoNewest", {100, 105, 107, 110, 120}, {100, 20, 250, 99, 97}, 50, 0,
             355, 433}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Estimation, AttributeNotInTheTable) {
  SetAtaAttributes(engine_, kDev, {{5, 100, 100, 0, 10}});
  long long a = 1, b = 1;
  EXPECT_EQ(engine_.EstimateTECByAttributeID(&a, &b, 6, kDev), -4003);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
}

TEST_F(Estimation, WholeDriveTakesTheEarliestAndKeepsTheFirstSecond) {
  SetAtaAttributes(engine_, kDev, {{5, 90, 90, 0, 10}, {9, 70, 70, 0, 10}, {12, 70, 70, 0, 0}});
  std::vector<Set> sets = {{100, {{5, 100, 0, 0}, {9, 100, 0, 0}, {12, 100, 0, 0}}},
                           {200, {{5, 96, 0, 0}, {9, 80, 0, 0}, {12, 90, 0, 0}}},
                           {300, {{5, 90, 0, 0}, {9, 70, 0, 0}, {12, 80, 0, 0}}}};
  WriteFile(File(), HistoryBytes(sets));
  long long f = 0, s = 0;
  ASSERT_EQ(engine_.EstimateTECByAttributeID(&f, &s, 5, kDev), 0);
  EXPECT_EQ(f, 1633);
  EXPECT_EQ(s, 1900);
  ASSERT_EQ(engine_.EstimateTECByAttributeID(&f, &s, 9, kDev), 0);
  EXPECT_EQ(f, 700);
  EXPECT_EQ(s, 900);
  long long earliest = 0, second = 0;
  int id = 0;
  // Attribute 12 (threshold 0) ran last: its -20006 is the result.
  EXPECT_EQ(engine_.EstimateTEC(&earliest, &second, &id, kDev), -20006);
  EXPECT_EQ(earliest, 700);
  EXPECT_EQ(id, 9);
  EXPECT_EQ(second, 1900);
}

TEST_F(Estimation, WholeDriveResults) {
  long long e = 1, s = 1;
  int id = 1;
  SetAtaAttributes(engine_, kDev, {});
  EXPECT_EQ(engine_.EstimateTEC(&e, &s, &id, kDev), -4001);
  EXPECT_EQ(e, 0);
  // No history: every attribute fails, nothing estimated.
  SetAtaAttributes(engine_, kDev, {{5, 90, 90, 0, 10}, {9, 70, 70, 0, 10}});
  EXPECT_EQ(engine_.EstimateTEC(&e, &s, &id, kDev), -20007);
  // Two sets: the loop ends at once.
  WriteFile(File(), HistoryBytes({{100, {{5, 100, 0, 0}}}, {200, {{5, 90, 0, 0}}}}));
  EXPECT_EQ(engine_.EstimateTEC(&e, &s, &id, kDev), -20005);
  // NVMe values are skipped.
  CSMARTInfo nvme;
  AttachDevice(nvme, 2, 1, "NV-2", true);
  SetNvmeValues(nvme, 2, std::vector<std::uint64_t>(15, 1));
  EXPECT_EQ(nvme.EstimateTEC(&e, &s, &id, 2), -20007);
  EXPECT_EQ(nvme.EstimateTECByAttributeID(&e, &s, 1, 2), -20006);
}

// ---- the plain algorithm, as the reference --------------------------------

int PlainByAttribute(CSMARTInfo& engine, long long* first, long long* second, int attrId, int device) {
  *first = 0;
  *second = 0;
  int rc = engine.IsValidSmartDevice(device);
  if (rc != 0) return rc;
  int threshold = 0;
  int length = 4;
  rc = engine.GetSmartAttributeByID(&threshold, &length, attrId, 8, device);
  if (rc != 0) return rc;
  if (threshold == 0) return -20006;
  int n = 0;
  rc = engine.GetTECDataSetCount(&n, device);
  if (rc != 0) return rc;
  if (n < 3) return -20005;
  std::vector<long long> t(n);
  std::vector<int> v(n), w(n);
  std::vector<unsigned long long> r(n);
  unsigned count = static_cast<unsigned>(n);
  rc = engine.ExportTECData(t.data(), v.data(), w.data(), r.data(), &count, attrId, device);
  if (rc != 0) return rc;
  if (!((v[n - 1] < v[0] && t[0] < t[n - 1]) || (v[n - 2] < v[n - 1] && t[n - 1] < t[n - 2])))
    return -20007;
  long long a = 0, b = 0;
  if (v[0] > v[n - 1] && t[n - 1] > t[0])
    a = t[0] + (static_cast<long long>(v[0] - threshold) * (t[n - 1] - t[0])) /
                   static_cast<long long>(v[0] - v[n - 1]);
  if (v[n - 2] > v[n - 1] && t[n - 1] > t[n - 2])
    b = t[n - 2] + (static_cast<long long>(v[n - 2] - threshold) * (t[n - 1] - t[n - 2])) /
                       static_cast<long long>(v[n - 2] - v[n - 1]);
  if (a > 0) *first = a;
  if (b > 0) *second = b;
  if (*second != 0 && *second < *first) std::swap(*first, *second);
  return 0;
}

int PlainWholeDrive(CSMARTInfo& engine, long long* earliest, long long* second, int* id, int device) {
  *earliest = 0;
  *second = 0;
  *id = 0;
  int rc = engine.IsValidSmartDevice(device);
  if (rc != 0) return rc;
  const auto& state = engine.devices[device];
  if (state.attributeCount == 0) return -4001;
  bool estimated = false;
  bool tooFew = false;
  int last = 0;
  for (int i = 0; i < state.attributeCount; ++i) {
    if (state.attributes[i].nvme) continue;
    long long f = 0, s = 0;
    last = PlainByAttribute(engine, &f, &s, state.attributes[i].Id(), device);
    if (last == -20005) {
      tooFew = true;
      break;
    }
    if (last == 0 && f > 0) {
      estimated = true;
      if (*earliest == 0 || f < *earliest) {
        *earliest = f;
        *id = state.attributes[i].Id();
        if (*second == 0) *second = s;
      }
    }
  }
  if (estimated) return last;
  return tooFew ? -20005 : -20007;
}

class AgainstPlainAlgorithm : public Estimation {
 protected:
  void ExpectSameAsPlain(const char* what) {
    const auto& state = engine_.devices[kDev];
    for (int i = 0; i < state.attributeCount; ++i) {
      int id = state.attributes[i].Id();
      long long f1, s1, f2, s2;
      int r1 = engine_.EstimateTECByAttributeID(&f1, &s1, id, kDev);
      int r2 = PlainByAttribute(engine_, &f2, &s2, id, kDev);
      EXPECT_EQ(r1, r2) << what << " attribute " << id;
      EXPECT_EQ(f1, f2) << what << " attribute " << id;
      EXPECT_EQ(s1, s2) << what << " attribute " << id;
    }
    long long e1, s1, e2, s2;
    int id1, id2;
    int r1 = engine_.EstimateTEC(&e1, &s1, &id1, kDev);
    int r2 = PlainWholeDrive(engine_, &e2, &s2, &id2, kDev);
    EXPECT_EQ(r1, r2) << what;
    EXPECT_EQ(e1, e2) << what;
    EXPECT_EQ(s1, s2) << what;
    EXPECT_EQ(id1, id2) << what;
  }
};

TEST_F(AgainstPlainAlgorithm, RandomHistoriesWholeAndDamaged) {
  std::mt19937 random(2024);
  for (int round = 0; round < 25; ++round) {
    const int attributes = 1 + static_cast<int>(random() % 30);
    std::vector<AtaAttribute> table;
    for (int i = 0; i < attributes; ++i)
      table.push_back({1 + static_cast<int>(random() % 40), 100, 100, 0, static_cast<int>(random() % 4) * 20});
    SetAtaAttributes(engine_, kDev, table);
    const int sets = 3 + static_cast<int>(random() % 400);
    std::vector<Set> history;
    std::vector<int> values(41, 200);
    long long time = 1600000000;
    for (int k = 0; k < sets; ++k) {
      time += static_cast<long long>(random() % 1000) - 100;  // mostly forward
      Set s{time, {}};
      for (int id = 1; id <= 40; ++id) {
        if (random() % 10 == 0) continue;  // attribute missing from this set
        values[id] = std::max(0, std::min(255, values[id] + static_cast<int>(random() % 7) - 4));
        s.records.push_back({static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(values[id]), 0, 0});
      }
      history.push_back(s);
    }
    std::string bytes = HistoryBytes(history);
    WriteFile(File(), bytes);
    ExpectSameAsPlain("whole");

    // The last set's records cut short, then a count one too large.
    std::string cut = bytes.substr(0, bytes.size() - 4 - 10 * (random() % 5 + 1)) + "LDMS";
    WriteFile(File(), cut);
    ExpectSameAsPlain("cut");
    std::string more = bytes;
    hwscope::history::PutU32(reinterpret_cast<std::uint8_t*>(more.data()) + 8, static_cast<std::uint32_t>(sets + 1));
    WriteFile(File(), more);
    ExpectSameAsPlain("count+1");
  }
}

}  // namespace
