#include "history/history_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "frame/log.h"
#include "history/history_io.h"

// The order of the writes keeps the file valid at every moment:
//  1. the new set and a new footer go after the sets the header counts,
//     written from the end backwards, so the file always ends in "LDMS";
//  2. the data is synced;
//  3. only then the header's set count is raised (one 4-byte write), and
//     synced again.
// A file cut short by a kill before step 3 still counts only its complete
// sets; the bytes after them are ignored by the readers and are replaced by
// the next recording.

namespace hwscope::history {

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

int LastErrno() { return errno ? errno : EIO; }

void SyncFolder(const std::string& path) {
  std::string folder = path.substr(0, path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/'));
  if (folder.empty()) folder = ".";
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

std::string NewFileContent(const SetHeader& header, const Record* records, std::size_t count) {
  return EncodeHeader(1) + EncodeSet(header, records, count) + std::string(kFooter, kFooterSize);
}

// Writes the whole content of a new file into an empty one. On failure the
// file is emptied again, so that the next recording starts it afresh.
int WriteNewFile(int fd, const std::string& content, const char* op) {
  int e = WriteAt(fd, content.data(), content.size(), 0);
  if (e == 0) e = SyncFile(fd);
  if (e != 0) {
    Logf("Error <%s:%d>, error code: %d \"%s\"", op, __LINE__, e, std::strerror(e));
    Truncate(fd, 0);
    return kWriteFailed;
  }
  return kOk;
}

int CreateFile(const std::string& path, const SetHeader& header, const Record* records,
               std::size_t count, const char* op) {
  if (count == 0) {
    Logf("Error <%s:%d>, error code: %d", op, __LINE__, kNoAttributes);
    return kNoAttributes;
  }
  Fd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (fd.get() < 0) {
    int e = LastErrno();
    Logf("Error <%s:%d>, error code: %d \"%s\"", op, __LINE__, e, std::strerror(e));
    return kOpenFailed;
  }
  int rc = WriteNewFile(fd.get(), NewFileContent(header, records, count), op);
  if (rc == kOk) SyncFolder(path);
  return rc;
}

// End of the sets the header counts, found by walking the set headers; -1
// when they run into the footer or past the end of the file.
std::int64_t EndOfCountedSets(int fd, std::int64_t size, std::uint32_t setCount) {
  ChunkReader reader(fd, size);
  std::int64_t limit = size - static_cast<std::int64_t>(kFooterSize);
  std::int64_t offset = static_cast<std::int64_t>(kHeaderSize);
  for (std::uint32_t k = 0; k < setCount; ++k) {
    if (offset + static_cast<std::int64_t>(kSetHeaderSize) > limit) return -1;
    const std::uint8_t* p = reader.Get(offset, kSetHeaderSize);
    if (!p) return -1;
    offset += static_cast<std::int64_t>(kSetHeaderSize) +
              static_cast<std::int64_t>(kRecordSize) * GetU32(p);
  }
  return offset <= limit ? offset : -1;
}

}  // namespace

int AppendSet(const std::string& path, const SetHeader& header, const Record* records,
              std::size_t count, const char* op) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 && errno == ENOENT) return CreateFile(path, header, records, count, op);

  if (access(path.c_str(), R_OK | W_OK) != 0) {
    int e = LastErrno();
    Logf("Error <%s:%d>, error code: %d \"%s\"", op, __LINE__, e, std::strerror(e));
    return kNotReadWritable;
  }
  Fd fd(open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0 || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    int e = fd.get() < 0 ? LastErrno() : EINVAL;
    Logf("Error <%s:%d>, error code: %d \"%s\"", op, __LINE__, e, std::strerror(e));
    return kOpenFailed;
  }
  const std::int64_t size = st.st_size;
  if (size == 0) {
    // A creation that was cut off before its first write: start afresh.
    if (count == 0) {
      Logf("Error <%s:%d>, error code: %d", op, __LINE__, kNoAttributes);
      return kNoAttributes;
    }
    return WriteNewFile(fd.get(), NewFileContent(header, records, count), op);
  }

  std::uint8_t head[kHeaderSize];
  if (pread(fd.get(), head, kHeaderSize, 0) != static_cast<ssize_t>(kHeaderSize)) {
    int e = LastErrno();
    Logf("Error <%s:%d>, error code: %d \"%s\"", op, __LINE__, e, std::strerror(e));
    return kOpenFailed;
  }
  if (!HeaderValid(head)) {
    Logf("Error <%s:%d>, error code: %d", op, __LINE__, kBadHeader);
    return kBadHeader;
  }
  std::uint8_t foot[kFooterSize];
  if (pread(fd.get(), foot, kFooterSize, size - static_cast<std::int64_t>(kFooterSize)) !=
      static_cast<ssize_t>(kFooterSize)) {
    int e = LastErrno();
    Logf("Error <%s:%d>, error code: %d \"%s\"", op, __LINE__, e, std::strerror(e));
    return kReadFailed;
  }
  if (!FooterValid(foot)) {
    Logf("Error <%s:%d>, error code: %d", op, __LINE__, kBadFooter);
    return kBadFooter;
  }
  if (count == 0) {
    Logf("Error <%s:%d>, error code: %d", op, __LINE__, kNoAttributes);
    return kNoAttributes;
  }
  const std::uint32_t setCount = GetU32(head + kCountOffset);
  const std::int64_t end = setCount == std::numeric_limits<std::uint32_t>::max()
                               ? -1
                               : EndOfCountedSets(fd.get(), size, setCount);
  if (end < 0) {
    // The count claims more sets than the file holds: leave it as it is.
    Logf("Error <%s:%d>, error code: %d \"%s\"", op, __LINE__, EIO, std::strerror(EIO));
    return kReadFailed;
  }

  int e = 0;
  if (end + static_cast<std::int64_t>(kFooterSize) < size) {
    // Left over from an append that did not finish: drop it.
    e = WriteAt(fd.get(), kFooter, kFooterSize, end);
    if (e == 0) e = SyncFile(fd.get());
    if (e == 0) e = Truncate(fd.get(), end + static_cast<std::int64_t>(kFooterSize));
    if (e == 0) e = SyncFile(fd.get());
  }
  if (e == 0) {
    std::string tail = EncodeSet(header, records, count) + std::string(kFooter, kFooterSize);
    // Everything after the old footer first (the file keeps ending in a
    // footer), then the four bytes in place of the old footer.
    e = WriteTailBackwards(fd.get(), tail.data() + kFooterSize, tail.size() - kFooterSize,
                           end + static_cast<std::int64_t>(kFooterSize));
    if (e == 0) e = WriteAt(fd.get(), tail.data(), kFooterSize, end);
    if (e == 0) e = SyncFile(fd.get());
  }
  if (e == 0) {
    std::uint8_t newCount[4];
    PutU32(newCount, setCount + 1);
    e = WriteAt(fd.get(), newCount, sizeof newCount, kCountOffset);
    if (e == 0) e = SyncFile(fd.get());
  }
  if (e != 0) {
    Logf("Error <%s:%d>, error code: %d \"%s\"", op, __LINE__, e, std::strerror(e));
    return kWriteFailed;
  }
  return kOk;
}

}  // namespace hwscope::history
