// A recording that is killed, or whose writes fail, at any step leaves a
// file whose earlier sets all read back and to which later recordings
// append.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "engine/smart_info.h"
#include "history/history_format.h"
#include "history/history_io.h"
#include "history_test_support.h"

namespace {

using hwscope::CSMARTInfo;
using namespace historytest;

constexpr int kDev = 0;
constexpr int kAborted = 42;
constexpr int kFinished = 7;

class CrashSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    clock_ = InstallClock(1700000000);
    folder_ = UseFreshHistoryFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    AttachDevice(engine_, kDev, 2, "CRASH-1");
    SetAttributes(30, 0);
    for (int i = 0; i < 3; ++i) Record();
    base_ = ReadFile(File());
  }
  void TearDown() override {
    hwscope::history::SetFaultHookForTesting(nullptr);
    std::filesystem::remove_all(folder_);
  }
  std::filesystem::path File() const { return folder_ / "CRASH-1.bin"; }

  // `count` attributes whose values depend on `seed`.
  void SetAttributes(int count, int seed) {
    std::vector<AtaAttribute> attrs;
    for (int i = 0; i < count; ++i)
      attrs.push_back({i + 1, (200 - seed - i) & 0xFF, 50, static_cast<std::uint64_t>(seed * 1000 + i), 10});
    SetAtaAttributes(engine_, kDev, attrs);
  }
  void Record() {
    clock_->now += 600;
    ASSERT_EQ(engine_.RecordTECData(kDev), 0);
  }

  // Runs one recording in a child whose `step`-th change to the file ends
  // the process on the spot. Returns kAborted or kFinished.
  int RecordInChildDyingAt(int step) {
    pid_t pid = fork();
    if (pid == 0) {
      int calls = 0;
      hwscope::history::SetFaultHookForTesting([&](const char*) {
        if (++calls == step) _exit(kAborted);
        return 0;
      });
      clock_->now += 600;
      _exit(engine_.RecordTECData(kDev) == 0 ? kFinished : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The file still starts with the counted sets of `before`, every counted
  // set reads back, and its sets end right at the footer or before it.
  void ExpectEarlierSetsIntact(const std::string& before) {
    const std::string now = ReadFile(File());
    const auto* b = reinterpret_cast<const std::uint8_t*>(before.data());
    const std::uint32_t oldCount = hwscope::history::GetU32(b + 8);
    std::size_t oldEnd = 12;
    for (std::uint32_t k = 0; k < oldCount; ++k) oldEnd += 16 + 10 * hwscope::history::GetU32(b + oldEnd);
    ASSERT_GE(now.size(), oldEnd + 4);
    EXPECT_EQ(now.substr(12, oldEnd - 12), before.substr(12, oldEnd - 12));
    EXPECT_EQ(now.substr(now.size() - 4), "LDMS");
    int count = 0;
    ASSERT_EQ(engine_.GetTECDataSetCount(&count, kDev), 0);
    EXPECT_GE(static_cast<std::uint32_t>(count), oldCount);
    EXPECT_LE(static_cast<std::uint32_t>(count), oldCount + 1);
    std::vector<long long> ts(count);
    std::vector<int> vs(count), ws(count);
    std::vector<unsigned long long> rs(count);
    unsigned n = static_cast<unsigned>(count);
    ASSERT_EQ(engine_.ExportTECData(ts.data(), vs.data(), ws.data(), rs.data(), &n, 1, kDev), 0);
    for (int k = 0; k < count; ++k) EXPECT_NE(ts[k], 0) << k;
  }

  // A recording after the interruption appends exactly one readable set.
  void ExpectNextRecordingAppends() {
    int before = 0;
    ASSERT_EQ(engine_.GetTECDataSetCount(&before, kDev), 0);
    Record();
    int after = 0;
    ASSERT_EQ(engine_.GetTECDataSetCount(&after, kDev), 0);
    EXPECT_EQ(after, before + 1);
    std::vector<long long> ts(after);
    std::vector<int> vs(after), ws(after);
    std::vector<unsigned long long> rs(after);
    unsigned n = static_cast<unsigned>(after);
    ASSERT_EQ(engine_.ExportTECData(ts.data(), vs.data(), ws.data(), rs.data(), &n, 1, kDev), 0);
    EXPECT_EQ(ts[after - 1], clock_->now.load());
  }

  std::shared_ptr<ClockSystem> clock_;
  std::filesystem::path folder_;
  CSMARTInfo engine_;
  std::string base_;
};

TEST_F(CrashSafety, KilledAtEveryStepOfAnAppend) {
  // Alternate 30 and 15 attributes so that leftovers are both longer and
  // shorter than the set that replaces them.
  for (int attrs : {30, 15}) {
    int step = 1;
    for (;; ++step) {
      WriteFile(File(), base_);
      SetAttributes(attrs, step);
      int outcome = RecordInChildDyingAt(step);
      ASSERT_TRUE(outcome == kAborted || outcome == kFinished) << outcome;
      ExpectEarlierSetsIntact(base_);
      // Kill the following recording at every step too, from this state.
      const std::string interrupted = ReadFile(File());
      for (int second = 1;; ++second) {
        WriteFile(File(), interrupted);
        SetAttributes(45 - attrs, second);
        int next = RecordInChildDyingAt(second);
        ASSERT_TRUE(next == kAborted || next == kFinished);
        ExpectEarlierSetsIntact(interrupted);
        ExpectNextRecordingAppends();
        if (next == kFinished) break;
      }
      if (outcome == kFinished) break;
    }
    EXPECT_GE(step, 4);  // writes, syncs and the count: the steps were all tried
  }
}

TEST_F(CrashSafety, FailedWritesLeaveAValidFile) {
  int total = 0;
  hwscope::history::SetFaultHookForTesting([&](const char*) { return ++total, 0; });
  Record();
  hwscope::history::SetFaultHookForTesting(nullptr);
  for (int step = 1;; ++step) {
    WriteFile(File(), base_);
    int calls = 0;
    hwscope::history::SetFaultHookForTesting([&](const char*) { return ++calls == step ? EIO : 0; });
    clock_->now += 600;
    int rc = engine_.RecordTECData(kDev);
    hwscope::history::SetFaultHookForTesting(nullptr);
    ExpectEarlierSetsIntact(base_);
    if (rc == 0) {
      EXPECT_EQ(step, total + 1);
      break;
    }
    EXPECT_EQ(rc, -5002);
    int count = 0;
    ASSERT_EQ(engine_.GetTECDataSetCount(&count, kDev), 0);
    // Only a failed sync after the count was raised leaves the new set in.
    EXPECT_TRUE(count == 3 || (count == 4 && step == total)) << step;
    ExpectNextRecordingAppends();
  }
}

TEST_F(CrashSafety, FailedCreationLeavesNoBrokenFile) {
  std::filesystem::remove(File());
  for (int step = 1; step <= 2; ++step) {
    int calls = 0;
    hwscope::history::SetFaultHookForTesting([&](const char*) { return ++calls == step ? ENOSPC : 0; });
    EXPECT_EQ(engine_.RecordTECData(kDev), -5002);
    hwscope::history::SetFaultHookForTesting(nullptr);
    EXPECT_EQ(ReadFile(File()).size(), 0u);
  }
  Record();
  int count = 0;
  ASSERT_EQ(engine_.GetTECDataSetCount(&count, kDev), 0);
  EXPECT_EQ(count, 1);
}

TEST_F(CrashSafety, KilledByASignalAtRandomMoments) {
  std::mt19937 random(12345);
  for (int round = 0; round < 40; ++round) {
    const std::string before = ReadFile(File());
    pid_t pid = fork();
    if (pid == 0) {
      for (int i = 0;; ++i) {
        SetAttributes(i % 2 ? 30 : 15, i);
        clock_->now += 1;
        engine_.RecordTECData(kDev);
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    // Everything counted before the child started is still there.
    const std::string now = ReadFile(File());
    ASSERT_GE(now.size(), 16u);
    ASSERT_EQ(now.substr(now.size() - 4), "LDMS") << round;
    std::string prefix = before.substr(12, before.size() - 16);
    EXPECT_EQ(now.substr(12, prefix.size()), prefix) << round;
    int count = 0;
    ASSERT_EQ(engine_.GetTECDataSetCount(&count, kDev), 0);
    std::vector<long long> ts(count);
    std::vector<int> vs(count), ws(count);
    std::vector<unsigned long long> rs(count);
    unsigned n = static_cast<unsigned>(count);
    ASSERT_EQ(engine_.ExportTECData(ts.data(), vs.data(), ws.data(), rs.data(), &n, 1, kDev), 0) << round;
    ExpectNextRecordingAppends();
    // Keep the file small enough for the next round to start from.
    if (now.size() > 200000) {
      WriteFile(File(), base_);
    }
  }
}

}  // namespace
