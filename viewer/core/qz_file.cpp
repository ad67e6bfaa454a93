#include "qz_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "text_util.h"

namespace bookloom {

namespace {

class FileSource : public QzByteSource {
 public:
  explicit FileSource(int fd) : fFd(fd) {}
  ~FileSource() override {
    if (fFd >= 0) ::close(fFd);
  }
  std::int64_t ReadAt(std::int64_t offset, void* buf, std::size_t size) const override {
    if (offset < 0) return -1;
    std::size_t done = 0;
    while (done < size) {
      ssize_t n = ::pread(fFd, static_cast<char*>(buf) + done, size - done,
                          static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
      if (n < 0) {
        if (errno == EINTR) continue;
        return done ? static_cast<std::int64_t>(done) : -1;
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
  }

 private:
  int fFd;
};

class MemorySource : public QzByteSource {
 public:
  explicit MemorySource(TBytes data) : fData(std::move(data)) {}
  std::int64_t ReadAt(std::int64_t offset, void* buf, std::size_t size) const override {
    if (offset < 0) return -1;
    if (static_cast<std::uint64_t>(offset) >= fData.size()) return 0;
    std::size_t n = std::min(size, fData.size() - static_cast<std::size_t>(offset));
    std::memcpy(buf, fData.data() + offset, n);
    return static_cast<std::int64_t>(n);
  }

 private:
  TBytes fData;
};

// Regular files only: a device such as /dev/zero would make the magic scan
// endless, and a FIFO would block the open.
int OpenForReading(const std::string& name) {
  int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Sequential little-endian reader over an inflated buffer.
struct Cursor {
  const TBytes& data;
  std::size_t pos = 0;
  bool ReadInt32(std::int32_t& v) {
    if (data.size() - pos < 4) return false;
    std::uint32_t u = std::uint32_t(data[pos]) | std::uint32_t(data[pos + 1]) << 8 |
                      std::uint32_t(data[pos + 2]) << 16 | std::uint32_t(data[pos + 3]) << 24;
    v = static_cast<std::int32_t>(u);
    pos += 4;
    return true;
  }
  // A length-prefixed text; UTF-16LE code units or 8-bit bytes.
  bool ReadText(bool wide, std::u16string& out) {
    std::int32_t len;
    if (!ReadInt32(len) || len < 0) return false;
    std::size_t bytes = static_cast<std::size_t>(len) * (wide ? 2 : 1);
    if (data.size() - pos < bytes) return false;
    out.clear();
    if (wide) {
      out.reserve(len);
      for (std::int32_t i = 0; i < len; ++i, pos += 2)
        out.push_back(static_cast<char16_t>(data[pos] | data[pos + 1] << 8));
    } else {
      out = Cp1252ToU16(std::string_view(reinterpret_cast<const char*>(data.data() + pos), bytes));
      pos += bytes;
    }
    return true;
  }
};

}  // namespace

TQzFile::TQzFile() = default;

TQzFile::~TQzFile() { Close(); }

bool TQzFile::OpenFile(const std::string& filename, int Mode) {
  Close();
  if (Mode != 0) return false;
  int fd = OpenForReading(filename);
  if (fd < 0) return false;
  fSource = std::make_unique<FileSource>(fd);
  fSourceIsFile = true;
  fOpenMode = Mode;
  if (!OpenSource()) {
    Close();
    return false;
  }
  fFilename = filename;
  return true;
}

bool TQzFile::OpenMemory(TBytes data) {
  Close();
  fSource = std::make_unique<MemorySource>(std::move(data));
  fSourceIsFile = false;
  if (!OpenSource()) {
    Close();
    return false;
  }
  return true;
}

bool TQzFile::OpenSource() {
  std::int64_t at = FindQzMagic(*fSource);
  if (at < 0) return false;
  fDBOffset = at + static_cast<std::int64_t>(kQzMagicLength);
  std::uint8_t raw[4];
  if (fSource->ReadAt(fDBOffset, raw, 4) != 4) return false;
  std::int32_t dirPos = static_cast<std::int32_t>(std::uint32_t(raw[0]) | std::uint32_t(raw[1]) << 8 |
                                                  std::uint32_t(raw[2]) << 16 | std::uint32_t(raw[3]) << 24);
  fCurrent.clear();
  if (dirPos > 0) return ReadDirectory(dirPos);
  return true;
}

bool TQzFile::ReadDirectory(std::int32_t dirPos) {
  fFiles.clear();
  fIndex.clear();
  GetFilePos(dirPos);
  Cursor cur{fCurrent};
  std::int32_t version, count;
  if (!cur.ReadInt32(version)) return false;
  fVersion = version;
  if (!cur.ReadInt32(count)) return false;
  const bool wide = version == kQzDirectoryVersion;
  // The count is not trusted for allocation: records end where the data does.
  for (std::int32_t i = 0; i < count && i < kQzMaxRecords; ++i) {
    auto rec = std::make_unique<TQzFileRecord>();
    if (!cur.ReadText(wide, rec->filename)) break;
    if (!cur.ReadText(wide, rec->title)) break;
    if (!cur.ReadInt32(rec->filepos)) break;
    fIndex.try_emplace(FoldCase(rec->filename), fFiles.size());
    fFiles.push_back(std::move(rec));
  }
  fCurrent.clear();
  fCurrent.shrink_to_fit();
  return true;
}

void TQzFile::Close() {
  fSource.reset();
  fVersion = kQzDirectoryVersion;
  fSourceIsFile = false;
  fFiles.clear();
  fIndex.clear();
  fCurrent.clear();
  fFilename.clear();
  fDBOffset = 0;
}

const TQzFileRecord* TQzFile::FileRecordAt(int index) const {
  if (index < 0 || index >= FileCount()) return nullptr;
  return fFiles[static_cast<std::size_t>(index)].get();
}

const TQzFileRecord* TQzFile::GetFileRecord(std::u16string_view filename) const {
  auto it = fIndex.find(FoldCase(filename));
  return it == fIndex.end() ? nullptr : fFiles[it->second].get();
}

const TBytes& TQzFile::GetFilePos(std::int32_t pos) {
  fCurrent.clear();
  if (pos >= 0 && fSource) RawInflateAt(*fSource, fDBOffset + pos, fCurrent);
  return fCurrent;
}

const TBytes* TQzFile::GetFileStream(const TQzFileRecord* rec) {
  bool expected = false;
  for (int tries = 0; !fBusy.compare_exchange_strong(expected, true); ++tries) {
    if (tries == 10) return nullptr;
    expected = false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  fCurrent.clear();
  const TBytes* result = &fCurrent;
  if (rec) {
    if (rec->fStream) {
      result = rec->fStream.get();
    } else {
      GetFilePos(rec->filepos);
      if (fCached) const_cast<TQzFileRecord*>(rec)->fStream = std::make_unique<TBytes>(fCurrent);
    }
  }
  fBusy = false;
  return result;
}

const TBytes* TQzFile::GetFile(std::u16string_view filename) {
  fCurrent.clear();
  return GetFileStream(GetFileRecord(filename));
}

QzStatus TQzFile::GetFileAsync(std::u16string_view filename, TBytes& aStream,
                               std::string* error) const {
  aStream.clear();
  const TQzFileRecord* rec = GetFileRecord(filename);
  if (!rec) return QzStatus::NotFound;
  if (rec->filepos < 0) return QzStatus::NoData;
  if (!fSourceIsFile || fFilename.empty()) return QzStatus::NoFile;
  int fd = OpenForReading(fFilename);
  if (fd < 0) {
    if (error) *error = "cannot open " + fFilename;
    return QzStatus::IoError;
  }
  FileSource handle(fd);
  switch (RawInflateAt(handle, fDBOffset + rec->filepos, aStream, kQzMaxInflatedSize, error)) {
    case InflateResult::Ok: return QzStatus::Ok;
    case InflateResult::ReadError: return QzStatus::IoError;
    case InflateResult::TooLarge: return QzStatus::TooLarge;
    case InflateResult::DataError: break;
  }
  return QzStatus::InflateError;
}

}  // namespace bookloom
