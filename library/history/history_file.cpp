// The history operations of the engine: recording a data set and the three
// readers.
#include <cstring>

#include "engine/smart_info.h"
#include "frame/log.h"
#include "history/history_device.h"
#include "history/history_reader.h"
#include "history/history_writer.h"
#include "platform/platform.h"

namespace hwscope {

using namespace history;

int CSMARTInfo::RecordTECData(int device) {
  static const char* const kOp = "CSMARTInfo::RecordTECData";
  std::string path;
  int rc = DeviceHistoryPath(*this, device, kOp, false, &path);
  if (rc != 0) return rc;
  const DeviceState& state = devices[device];
  std::vector<Record> records = DeviceRecords(state);
  SetHeader header;
  header.recordCount = static_cast<std::uint32_t>(records.size());
  header.time = static_cast<std::int64_t>(platform::Current().Now());
  header.version = state.version.version;
  header.revision = state.version.revision;
  return AppendSet(path, header, records.data(), records.size(), kOp);
}

int CSMARTInfo::GetTECDataSetCount(int* count, int device) {
  static const char* const kOp = "CSMARTInfo::GetTECDataSetCount";
  std::string path;
  int rc = DeviceHistoryPath(*this, device, kOp, true, &path);
  if (rc != 0) return rc;
  HistoryReader reader;
  rc = reader.Open(path, kOp, true);
  if (rc != 0) return rc;
  if (!count) return kCapacityTooSmall;
  *count = static_cast<int>(reader.SetCount());
  return kOk;
}

int CSMARTInfo::GetTECDataAtIndex(long long* time, int* value, int* worst, unsigned long long* raw,
                                  int setIndex, int attrId, int device) {
  static const char* const kOp = "CSMARTInfo::GetTECDataAtIndex";
  if (time) *time = 0;
  if (value) *value = 0;
  if (worst) *worst = 0;
  if (raw) *raw = 0;
  std::string path;
  int rc = DeviceHistoryPath(*this, device, kOp, false, &path);
  if (rc != 0) return rc;
  HistoryReader reader;
  rc = reader.Open(path, kOp);
  if (rc != 0) return rc;
  const std::uint32_t n = reader.SetCount();
  const bool inRange = setIndex >= 0 && static_cast<std::uint32_t>(setIndex) < n;
  const std::uint32_t limit = inRange ? static_cast<std::uint32_t>(setIndex) + 1 : n;
  return reader.Walk(
      limit,
      [&](const SetView& set) {
        if (!inRange || set.index != static_cast<std::uint32_t>(setIndex)) return static_cast<int>(kOk);
        Record record;
        bool found = false;
        int status = reader.FindRecord(set, attrId, &record, &found);
        if (found) {
          if (time) *time = set.header.time;
          if (value) *value = record.current;
          if (worst) *worst = record.worst;
          if (raw) *raw = record.raw;
        }
        return status;
      },
      nullptr);
}

int CSMARTInfo::ExportTECData(long long* times, int* values, int* worsts, unsigned long long* raws,
                              unsigned* count, int attrId, int device) {
  static const char* const kOp = "CSMARTInfo::ExportTECData";
  std::string path;
  int rc = DeviceHistoryPath(*this, device, kOp, false, &path);
  if (rc != 0) return rc;
  HistoryReader reader;
  rc = reader.Open(path, kOp);
  if (rc != 0) return rc;
  const std::uint32_t n = reader.SetCount();
  if (!count || *count < n || (n > 0 && (!times || !values || !worsts || !raws))) {
    Logf("Error <%s:%d>, error code: %d", kOp, __LINE__, kCapacityTooSmall);
    return kCapacityTooSmall;
  }
  *count = n;
  auto clear = [&](std::uint32_t k) {
    times[k] = 0;
    values[k] = 0;
    worsts[k] = 0;
    raws[k] = 0;
  };
  return reader.Walk(
      n,
      [&](const SetView& set) {
        Record record;
        bool found = false;
        int status = reader.FindRecord(set, attrId, &record, &found);
        if (found) {
          times[set.index] = set.header.time;
          values[set.index] = record.current;
          worsts[set.index] = record.worst;
          raws[set.index] = record.raw;
        } else {
          clear(set.index);
        }
        return status;
      },
      [&](std::uint32_t first) {
        for (std::uint32_t k = first; k < n; ++k) clear(k);
      });
}

}  // namespace hwscope
