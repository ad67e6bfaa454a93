// File access for the history file: positioned reads through a forward
// buffer, and writes that can be made to fail for crash tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace hwscope::history {

// Reads [offset, offset + length) of a file through a buffer that moves
// forward; a walk from the start to the end reads every byte once.
class ChunkReader {
 public:
  static constexpr std::size_t kBufferSize = 1 << 20;
  ChunkReader(int fd, std::int64_t fileSize) : fd_(fd), size_(fileSize) {}
  // Pointer to `length` bytes (at most kBufferSize), or nullptr when the
  // range is not inside the file or cannot be read (errno set).
  const std::uint8_t* Get(std::int64_t offset, std::size_t length);
  std::int64_t FileSize() const { return size_; }

 private:
  int fd_;
  std::int64_t size_;
  std::vector<std::uint8_t> buffer_;
  std::int64_t bufferStart_ = 0;
  std::size_t bufferLength_ = 0;
};

// Every change to a history file goes through these. Each returns 0 or an
// errno value.
int WriteAt(int fd, const void* data, std::size_t length, std::int64_t offset);
// Writes data at [offset, offset + length), which ends the file, one page at
// a time from the last page back to the first, so that whenever a write
// returns the file ends with the last four bytes of data.
int WriteTailBackwards(int fd, const void* data, std::size_t length, std::int64_t offset);
int Truncate(int fd, std::int64_t size);
int SyncFile(int fd);

// Test hook: called before every write, truncation and sync with the name
// of the step; a non-zero return fails the step with that errno value.
using FaultHook = std::function<int(const char* step)>;
void SetFaultHookForTesting(FaultHook hook);

}  // namespace hwscope::history
