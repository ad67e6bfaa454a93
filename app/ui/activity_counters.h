// Disk activity counters: read, write and total rate, busy time and
// average transfer time per physical disk, each beside the highest value
// seen since the program started. Samples come from the platform's
// cumulative per-disk counters; a value covers the time between two
// collections. Plain C++ (no widgets).
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "common/spindlewatch_keys.h"
#include "platform/platform.h"

namespace ui {

struct ActivityRowSpec {
  sw::AppKey nameKey;
  sw::AppKey formatKey;
  double multiplier;
};

// The five rows in list order.
const std::array<ActivityRowSpec, 5>& ActivityRowSpecs();

class ActivityCounters {
 public:
  // Builds the counter set from the disks that have counters now and takes
  // the first sample. Disks that appear later have no counters.
  void Open();
  // One new sample of every disk; values are averages since the previous
  // collection. A disk sampled less than 200 ms before keeps its values.
  void Collect();
  // Row texts of a disk (value and maximum through the row's format), or
  // false when the disk has no counters.
  bool RowTexts(int disk, std::vector<std::wstring>* texts) const;
  // Raw values (before the multiplier) and maxima of a disk.
  bool Values(int disk, std::array<double, 5>* values, std::array<double, 5>* maxima) const;
  void Close();
  bool IsOpen() const { return open_; }

 private:
  struct Disk {
    platform::DiskActivitySample last;
    bool haveLast = false;
    std::array<double, 5> values{};
    std::array<double, 5> maxima{};
  };
  bool open_ = false;
  std::map<int, Disk> disks_;
};

// Read, write, total bytes per second, busy percent and seconds per
// transfer between two samples (all 0 when no time passed).
std::array<double, 5> ActivityValues(const platform::DiskActivitySample& before,
                                     const platform::DiskActivitySample& after);

}  // namespace ui
