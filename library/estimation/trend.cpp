#include "estimation/trend.h"

#include <cstdint>

namespace hwscope::estimation {

namespace {

// from.time + ((from.value - T) x (to.time - from.time)) / (from.value - to.value),
// with 64-bit products and sums that wrap instead of overflowing.
long long Extrapolate(const Point& from, const Point& to, int threshold) {
  auto wrap = [](std::uint64_t v) { return static_cast<std::int64_t>(v); };
  std::int64_t above = static_cast<std::int64_t>(from.value - threshold);
  std::int64_t span = wrap(static_cast<std::uint64_t>(to.time) - static_cast<std::uint64_t>(from.time));
  std::int64_t product = wrap(static_cast<std::uint64_t>(above) * static_cast<std::uint64_t>(span));
  std::int64_t drop = static_cast<std::int64_t>(from.value - to.value);  // > 0
  return wrap(static_cast<std::uint64_t>(from.time) + static_cast<std::uint64_t>(product / drop));
}

}  // namespace

int EstimateFromPoints(const Point& oldest, const Point& previous, const Point& newest, int threshold,
                       long long* first, long long* second) {
  *first = 0;
  *second = 0;
  bool fallsOverall = newest.value < oldest.value && oldest.time < newest.time;
  bool fallsLately = previous.value < newest.value && newest.time < previous.time;
  if (!fallsOverall && !fallsLately) return kNoTrend;
  long long a = 0;
  long long b = 0;
  if (oldest.value > newest.value && newest.time > oldest.time) a = Extrapolate(oldest, newest, threshold);
  if (previous.value > newest.value && newest.time > previous.time)
    b = Extrapolate(previous, newest, threshold);
  if (a > 0) *first = a;
  if (b > 0) *second = b;
  if (*second != 0 && *second < *first) {
    long long t = *first;
    *first = *second;
    *second = t;
  }
  return 0;
}

}  // namespace hwscope::estimation
