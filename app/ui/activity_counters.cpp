#include "ui/activity_counters.h"

#include <algorithm>

#include "core/debug_log.h"
#include "core/text_format.h"
#include "core/texts.h"

namespace ui {

const std::array<ActivityRowSpec, 5>& ActivityRowSpecs() {
  static const std::array<ActivityRowSpec, 5> specs = {{
      {sw::DA_COUNTER_DISK_READ_SPEED, sw::DA_COUNTER_DISK_READ_SPEED_STRFORMAT, 1.0 / 1048576},
      {sw::DA_COUNTER_DISK_WRITE_SPEED, sw::DA_COUNTER_DISK_WRITE_SPEED_STRFORMAT, 1.0 / 1048576},
      {sw::DA_COUNTER_DISK_TOTAL_SPEED, sw::DA_COUNTER_DISK_TOTAL_SPEED_STRFORMAT, 1.0 / 1048576},
      {sw::DA_COUNTER_DISK_TIME, sw::DA_COUNTER_DISK_TIME_STRFORMAT, 1.0},
      {sw::DA_COUNTER_DISK_LATENCY, sw::DA_COUNTER_DISK_LATENCY_STRFORMAT, 1000.0},
  }};
  return specs;
}

namespace {
constexpr std::uint64_t kMinSampleMs = 200;

double Delta(std::uint64_t before, std::uint64_t after) {
  return after >= before ? static_cast<double>(after - before) : 0.0;
}
}  // namespace

std::array<double, 5> ActivityValues(const platform::DiskActivitySample& before,
                                     const platform::DiskActivitySample& after) {
  std::array<double, 5> v{};
  double seconds = Delta(before.tickMs, after.tickMs) / 1000.0;
  if (seconds <= 0) return v;
  double read = Delta(before.bytesRead, after.bytesRead) / seconds;
  double written = Delta(before.bytesWritten, after.bytesWritten) / seconds;
  v[0] = read;
  v[1] = written;
  v[2] = read + written;
  v[3] = std::min(100.0, Delta(before.busyMs, after.busyMs) / (seconds * 1000.0) * 100.0);
  double transfers = Delta(before.reads, after.reads) + Delta(before.writes, after.writes);
  double timeMs = Delta(before.readTimeMs, after.readTimeMs) +
                  Delta(before.writeTimeMs, after.writeTimeMs);
  v[4] = transfers > 0 ? timeMs / 1000.0 / transfers : 0.0;
  return v;
}

void ActivityCounters::Open() {
  disks_.clear();
  open_ = true;
  std::vector<int> numbers = platform::Current().ActivityDisks();
  for (int n : numbers) {
    appcore::WriteDebugLog(appcore::FormatText(L"Adding counter \"PhysicalDisk(%d)\" to query", n));
    disks_[n];
  }
  appcore::WriteDebugLog(
      appcore::FormatText(L"%d counters added to query.", static_cast<int>(disks_.size() * 5)));
  Collect();
}

void ActivityCounters::Collect() {
  for (auto& [number, disk] : disks_) {
    platform::DiskActivitySample now;
    if (!platform::Current().SampleDiskActivity(number, &now)) {
      disk.values = {};
      continue;
    }
    // Showing a device collects twice in a row. Over a few milliseconds the
    // kernel's coarse counters give nothing or a spike (one busy tick reads
    // as 100 %) that would stick as the maximum: such a sample is skipped,
    // and the values of the last full interval stay.
    if (disk.haveLast && now.tickMs >= disk.last.tickMs &&
        now.tickMs - disk.last.tickMs < kMinSampleMs)
      continue;
    disk.values = disk.haveLast ? ActivityValues(disk.last, now) : std::array<double, 5>{};
    for (int i = 0; i < 5; ++i) disk.maxima[i] = std::max(disk.maxima[i], disk.values[i]);
    disk.last = now;
    disk.haveLast = true;
  }
}

bool ActivityCounters::Values(int disk, std::array<double, 5>* values,
                              std::array<double, 5>* maxima) const {
  auto it = disks_.find(disk);
  if (it == disks_.end()) return false;
  *values = it->second.values;
  *maxima = it->second.maxima;
  return true;
}

bool ActivityCounters::RowTexts(int disk, std::vector<std::wstring>* texts) const {
  std::array<double, 5> values{}, maxima{};
  if (!Values(disk, &values, &maxima)) return false;
  texts->clear();
  const auto& specs = ActivityRowSpecs();
  for (int i = 0; i < 5; ++i)
    texts->push_back(appcore::LocFormat(specs[i].formatKey, values[i] * specs[i].multiplier,
                                        maxima[i] * specs[i].multiplier));
  return true;
}

void ActivityCounters::Close() {
  disks_.clear();
  open_ = false;
}

}  // namespace ui
