// Read access to one history file: opening with the header and footer
// checks, and a walk over the data sets that never reads outside the file
// and never loops past the point where nothing more can be read.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "history/history_format.h"
#include "history/history_io.h"

namespace hwscope::history {

struct SetView {
  std::uint32_t index = 0;
  SetHeader header;
  std::int64_t recordsOffset = 0;
};

class HistoryReader {
 public:
  HistoryReader() = default;
  ~HistoryReader();
  HistoryReader(const HistoryReader&) = delete;
  HistoryReader& operator=(const HistoryReader&) = delete;

  // Opens the file and checks header and footer. `op` names the operation
  // in log lines; `countTexts` selects the texts of the set counter.
  // Returns 0, -20004, -5102, -5001, -20002, -5201, -5003 or -20003.
  int Open(const std::string& path, const char* op, bool countTexts = false);

  std::uint32_t SetCount() const { return setCount_; }
  std::int64_t FileSize() const { return size_; }
  // The largest number of sets the file's size could hold.
  std::uint64_t MaxSetsBySize() const {
    return size_ >= static_cast<std::int64_t>(kHeaderSize + kFooterSize)
               ? static_cast<std::uint64_t>(size_ - kHeaderSize - kFooterSize) / kSetHeaderSize
               : 0;
  }

  // Walks sets 0 .. limit-1 from offset 12. `visit` is called for every set
  // whose header was read and returns that set's status (0 or -5003). When
  // a set header cannot be read, no later one can either: `unreadable` is
  // called once with the index of that set and the walk ends with -5003.
  // Returns the status of the last set walked (0 when none was walked).
  int Walk(std::uint32_t limit, const std::function<int(const SetView&)>& visit,
           const std::function<void(std::uint32_t firstUnreadable)>& unreadable);

  // Looks in a set for the first record whose identifier byte is `id`.
  // 0 with *found false when the set has none; -5003 when a record before
  // the match lies outside the file.
  int FindRecord(const SetView& set, int id, Record* record, bool* found);

 private:
  int fd_ = -1;
  std::int64_t size_ = 0;
  std::uint32_t setCount_ = 0;
  const char* op_ = "";
  std::unique_ptr<ChunkReader> reader_;
};

}  // namespace hwscope::history
