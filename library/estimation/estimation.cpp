// Threshold-exceeded date estimation for one attribute and for a whole
// drive. Both read the history file once: the estimate needs only the
// oldest and the two newest points, and the whole-drive estimate takes the
// points of every attribute from the same pass.
#include <algorithm>
#include <memory>
#include <vector>

#include "engine/smart_info.h"
#include "estimation/trend.h"
#include "history/history_device.h"
#include "history/history_points.h"
#include "history/history_reader.h"

namespace hwscope {

namespace {

constexpr int kTooFewSets = -20005;
constexpr int kNoThreshold = -20006;
constexpr char kCountOp[] = "CSMARTInfo::GetTECDataSetCount";

// The device's history file, opened as the set counter opens it.
struct OpenHistory {
  int status = 0;
  history::HistoryReader reader;
};

std::unique_ptr<OpenHistory> Open(CSMARTInfo& engine, int device) {
  auto open = std::make_unique<OpenHistory>();
  std::string path;
  open->status = history::DeviceHistoryPath(engine, device, kCountOp, true, &path);
  if (open->status == 0) open->status = open->reader.Open(path, kCountOp, true);
  if (open->status == 0 && open->reader.SetCount() < 3) open->status = kTooFewSets;
  return open;
}

// Threshold of the attribute: 0 and *threshold, or the query's code.
int Threshold(CSMARTInfo& engine, int attrId, int device, int* threshold) {
  *threshold = 0;
  int length = static_cast<int>(sizeof(int));
  return engine.GetSmartAttributeByID(threshold, &length, attrId, HWSCOPE_VALUE_THRESHOLD, device);
}

int FromPoints(const history::EndPoints& p, int threshold, long long* first, long long* second) {
  *first = 0;
  *second = 0;
  if (p.status != 0) return p.status;
  estimation::Point oldest{p.time[0], p.value[0]};
  estimation::Point previous{p.time[1], p.value[1]};
  estimation::Point newest{p.time[2], p.value[2]};
  return estimation::EstimateFromPoints(oldest, previous, newest, threshold, first, second);
}

}  // namespace

int CSMARTInfo::EstimateTECByAttributeID(long long* first, long long* second, int attrId, int device) {
  long long a = 0;
  long long b = 0;
  if (first) *first = 0;
  if (second) *second = 0;
  int rc = IsValidSmartDevice(device);
  if (rc != 0) return rc;
  int threshold = 0;
  rc = Threshold(*this, attrId, device, &threshold);
  if (rc != 0) return rc;
  if (threshold == 0) return kNoThreshold;
  auto open = Open(*this, device);
  if (open->status != 0) return open->status;
  std::vector<history::EndPoints> points;
  history::ReadEndPoints(open->reader, {attrId}, &points);
  rc = FromPoints(points[0], threshold, &a, &b);
  if (rc == 0) {
    if (first) *first = a;
    if (second) *second = b;
  }
  return rc;
}

int CSMARTInfo::EstimateTEC(long long* earliest, long long* second, int* attrIdOut, int device) {
  long long bestFirst = 0;
  long long bestSecond = 0;
  int bestId = 0;
  if (earliest) *earliest = 0;
  if (second) *second = 0;
  if (attrIdOut) *attrIdOut = 0;
  int rc = IsValidSmartDevice(device);
  if (rc != 0) return rc;
  const DeviceState& state = devices[device];
  const int count = std::min(state.attributeCount, kMaxAttributes);
  if (count <= 0) return HWSCOPE_E_NO_ATTRIBUTES;

  // What each attribute's own estimation would meet before the history.
  struct Entry {
    int id = 0;
    int threshold = 0;
    int status = 0;  // threshold query or -20006; 0 = goes on to the history
    int points = -1;  // index into the points read
  };
  std::vector<Entry> entries;
  std::vector<int> ids;
  for (int i = 0; i < count; ++i) {
    if (state.attributes[i].nvme) continue;
    Entry e;
    e.id = state.attributes[i].Id();
    e.status = Threshold(*this, e.id, device, &e.threshold);
    if (e.status == 0 && e.threshold == 0) e.status = kNoThreshold;
    if (e.status == 0) {
      e.points = static_cast<int>(ids.size());
      ids.push_back(e.id);
    }
    entries.push_back(e);
  }
  std::unique_ptr<OpenHistory> open;
  std::vector<history::EndPoints> points;
  if (!ids.empty()) {
    open = Open(*this, device);
    if (open->status == 0) history::ReadEndPoints(open->reader, ids, &points);
  }

  bool estimated = false;
  bool endedOnTooFew = false;
  int last = 0;
  for (const Entry& e : entries) {
    long long f = 0;
    long long s = 0;
    if (e.status != 0)
      last = e.status;
    else if (open->status != 0)
      last = open->status;
    else
      last = FromPoints(points[static_cast<std::size_t>(e.points)], e.threshold, &f, &s);
    if (last == kTooFewSets) {
      endedOnTooFew = true;
      break;
    }
    if (last == 0 && f > 0) {
      estimated = true;
      if (bestFirst == 0 || f < bestFirst) {
        bestFirst = f;
        bestId = e.id;
        if (bestSecond == 0) bestSecond = s;
      }
    }
  }
  if (earliest) *earliest = bestFirst;
  if (second) *second = bestSecond;
  if (attrIdOut) *attrIdOut = bestId;
  if (estimated) return last;
  return endedOnTooFew ? kTooFewSets : estimation::kNoTrend;
}

}  // namespace hwscope
