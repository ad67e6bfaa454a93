// Straight-line extrapolation of an attribute's value to its threshold, in
// 64-bit integer arithmetic: once through the oldest and the newest point,
// once through the two newest.
#pragma once

namespace hwscope::estimation {

inline constexpr int kNoTrend = -20007;

// One point of an attribute's history.
struct Point {
  long long time = 0;
  int value = 0;
};

// oldest = set 0, previous = set n-2, newest = set n-1. Sets *first and
// *second (0 = no estimate; *first the earlier when both are set) and
// returns 0, or -20007 with both 0 when the values do not fall.
int EstimateFromPoints(const Point& oldest, const Point& previous, const Point& newest, int threshold,
                       long long* first, long long* second);

}  // namespace hwscope::estimation
