#include "history/history_io.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace hwscope::history {

namespace {

constexpr std::int64_t kPage = 4096;
FaultHook g_faultHook;

int Fault(const char* step) { return g_faultHook ? g_faultHook(step) : 0; }

}  // namespace

void SetFaultHookForTesting(FaultHook hook) { g_faultHook = std::move(hook); }

const std::uint8_t* ChunkReader::Get(std::int64_t offset, std::size_t length) {
  if (offset < 0 || length > kBufferSize || offset > size_ ||
      static_cast<std::int64_t>(length) > size_ - offset) {
    errno = 0;
    return nullptr;
  }
  if (offset >= bufferStart_ &&
      offset + static_cast<std::int64_t>(length) <= bufferStart_ + static_cast<std::int64_t>(bufferLength_))
    return buffer_.data() + (offset - bufferStart_);
  // Never more than the rest of the file, so a small file costs little.
  std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(kBufferSize, size_ - offset));
  if (buffer_.size() < want) buffer_.resize(want);
  std::size_t got = 0;
  while (got < want) {
    ssize_t n = pread(fd_, buffer_.data() + got, want - got, offset + static_cast<std::int64_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  bufferStart_ = offset;
  bufferLength_ = got;
  if (got < length) {
    if (errno == 0) errno = EIO;
    return nullptr;
  }
  return buffer_.data();
}

int WriteAt(int fd, const void* data, std::size_t length, std::int64_t offset) {
  if (int e = Fault("write")) return e;
  const auto* p = static_cast<const std::uint8_t*>(data);
  while (length > 0) {
    ssize_t n = pwrite(fd, p, length, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno ? errno : EIO;
    if (n == 0) return ENOSPC;
    p += n;
    length -= static_cast<std::size_t>(n);
    offset += n;
  }
  return 0;
}

int WriteTailBackwards(int fd, const void* data, std::size_t length, std::int64_t offset) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::int64_t end = offset + static_cast<std::int64_t>(length);
  // The last piece holds the whole of the last four bytes even when they
  // cross a page boundary; every earlier piece lies within one page.
  std::int64_t tailStart = end - std::min<std::int64_t>(4, static_cast<std::int64_t>(length));
  std::int64_t pieceStart = std::max(offset, (tailStart / kPage) * kPage);
  std::int64_t pieceEnd = end;
  while (pieceEnd > offset) {
    if (int e = WriteAt(fd, p + (pieceStart - offset), static_cast<std::size_t>(pieceEnd - pieceStart),
                        pieceStart))
      return e;
    pieceEnd = pieceStart;
    pieceStart = std::max(offset, ((pieceEnd - 1) / kPage) * kPage);
  }
  return 0;
}

int Truncate(int fd, std::int64_t size) {
  if (int e = Fault("truncate")) return e;
  while (ftruncate(fd, size) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

int SyncFile(int fd) {
  if (int e = Fault("sync")) return e;
  if (fdatasync(fd) != 0) return errno;
  return 0;
}

}  // namespace hwscope::history
