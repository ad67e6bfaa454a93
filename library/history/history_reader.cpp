#include "history/history_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "frame/log.h"

namespace hwscope::history {

namespace {

// errno of a failed call, never 0 in a log line.
int LastErrno() { return errno ? errno : EIO; }

// A file-system failure: the set counter names the call that failed.
void LogSystemError(const char* op, int line, bool countTexts, const char* call, int e) {
  if (countTexts && call)
    Logf("Func %s: Line %d for %s(), err = %d.  GetLastError() = %d, \"%s\"", op, line, call, -1, e,
         std::strerror(e));
  else
    Logf("Error <%s:%d>, error code: %d \"%s\"", op, line, e, std::strerror(e));
}

// A header or footer that is not what it must be.
void LogFormatError(const char* op, int line, bool countTexts, int code) {
  if (!countTexts)
    Logf("Error <%s:%d>, error code: %d", op, line, code);
  else if (code == kBadHeader)
    Logf("Error <%s:%d>, Header not SMDL: %d", op, line, code);
  else
    Logf("Error <%s:%d>, FOOTER not LDMS: %d", op, line, code);
}

}  // namespace

HistoryReader::~HistoryReader() {
  if (fd_ >= 0) close(fd_);
}

int HistoryReader::Open(const std::string& path, const char* op, bool countTexts) {
  op_ = op;
  if (access(path.c_str(), F_OK) != 0) {
    LogSystemError(op, __LINE__, countTexts, "_waccess", LastErrno());
    return kNoHistory;
  }
  if (access(path.c_str(), R_OK) != 0) {
    LogSystemError(op, __LINE__, countTexts, "_waccess", LastErrno());
    return kNotReadable;
  }
  // Non-blocking so that a FIFO in the file's place cannot hang the caller.
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st {};
  if (fd_ >= 0 && (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
    close(fd_);
    fd_ = -1;
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  }
  if (fd_ < 0) {
    LogSystemError(op, __LINE__, countTexts, "fopen", LastErrno());
    return kOpenFailed;
  }
  size_ = st.st_size;
  reader_ = std::make_unique<ChunkReader>(fd_, size_);
  const std::uint8_t* header = reader_->Get(0, kHeaderSize);
  if (!header) {
    LogSystemError(op, __LINE__, countTexts, nullptr, LastErrno());
    return kOpenFailed;
  }
  if (!HeaderValid(header)) {
    LogFormatError(op, __LINE__, countTexts, kBadHeader);
    return kBadHeader;
  }
  setCount_ = GetU32(header + kCountOffset);
  std::uint8_t footer[kFooterSize];
  if (size_ < static_cast<std::int64_t>(kFooterSize) ||
      pread(fd_, footer, kFooterSize, size_ - static_cast<std::int64_t>(kFooterSize)) !=
          static_cast<ssize_t>(kFooterSize)) {
    LogSystemError(op, __LINE__, countTexts, nullptr, LastErrno());
    return kReadFailed;
  }
  if (!FooterValid(footer)) {
    LogFormatError(op, __LINE__, countTexts, kBadFooter);
    return kBadFooter;
  }
  return kOk;
}

int HistoryReader::Walk(std::uint32_t limit, const std::function<int(const SetView&)>& visit,
                        const std::function<void(std::uint32_t)>& unreadable) {
  int status = kOk;
  std::int64_t offset = static_cast<std::int64_t>(kHeaderSize);
  for (std::uint32_t k = 0; k < limit; ++k) {
    const std::uint8_t* p = reader_->Get(offset, kSetHeaderSize);
    if (!p) {
      // The offset stays where it is, so every later set header is the same
      // unreadable range: report it once for all of them.
      Logf("Error <%s:%d>, error code: %d \"%s\" (data sets %u to %u)", op_, __LINE__, EIO,
           std::strerror(EIO), k, limit - 1);
      if (unreadable) unreadable(k);
      return kReadFailed;
    }
    SetView set;
    set.index = k;
    set.header = DecodeSetHeader(p);
    set.recordsOffset = offset + static_cast<std::int64_t>(kSetHeaderSize);
    status = visit(set);
    offset = set.recordsOffset + static_cast<std::int64_t>(kRecordSize) * set.header.recordCount;
  }
  return status;
}

int HistoryReader::FindRecord(const SetView& set, int id, Record* record, bool* found) {
  *found = false;
  // A set of ordinary size is looked at in one piece; only a set whose
  // records run out of the file or past the buffer goes record by record.
  const std::uint64_t regionSize = static_cast<std::uint64_t>(kRecordSize) * set.header.recordCount;
  if (regionSize <= ChunkReader::kBufferSize) {
    if (const std::uint8_t* p = reader_->Get(set.recordsOffset, static_cast<std::size_t>(regionSize))) {
      for (std::uint32_t j = 0; j < set.header.recordCount; ++j, p += kRecordSize) {
        if (p[0] == id) {
          *record = DecodeRecord(p);
          *found = true;
          return kOk;
        }
      }
      return kOk;
    }
  }
  std::int64_t offset = set.recordsOffset;
  for (std::uint32_t j = 0; j < set.header.recordCount; ++j, offset += kRecordSize) {
    const std::uint8_t* p = reader_->Get(offset, kRecordSize);
    if (!p) {
      Logf("Error <%s:%d>, error code: %d \"%s\" (data set %u, record %u)", op_, __LINE__, EIO,
           std::strerror(EIO), set.index, j);
      return kReadFailed;
    }
    if (p[0] == id) {
      *record = DecodeRecord(p);
      *found = true;
      return kOk;
    }
  }
  return kOk;
}

}  // namespace hwscope::history
