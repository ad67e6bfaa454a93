// Reader of book containers: finds the container in a host file, reads its
// directory and inflates entries (shared path for the UI thread, independent
// reads for the page server's worker threads).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "qz_magic.h"
#include "raw_inflate.h"

namespace bookloom {

inline constexpr std::int32_t kQzDirectoryVersion = 200;
// The most directory records kept. A directory may claim any count and hold
// millions of tiny records within its inflate limit; records beyond this
// many are not read, which bounds the memory a hostile book can take.
inline constexpr std::int32_t kQzMaxRecords = 1 << 18;

// Outcome of an independent read.
enum class QzStatus {
  Ok,            // entry read (possibly zero bytes)
  NotFound,      // no such entry
  NoData,        // entry listed with a negative position
  NoFile,        // the container was not opened from a file
  IoError,       // the file could not be opened or read
  InflateError,  // the entry's deflate stream is corrupt
  TooLarge,      // the entry inflates beyond kQzMaxInflatedSize
};

class TQzFileRecord {
 public:
  std::u16string filename;
  std::u16string title;
  std::int32_t filepos = -1;
  // Inflated copy kept when the reader caches; none initially.
  std::unique_ptr<TBytes> fStream;
};

class TQzFile {
 public:
  TQzFile();
  virtual ~TQzFile();
  TQzFile(const TQzFile&) = delete;
  TQzFile& operator=(const TQzFile&) = delete;

  // Mode 0 (reading) is the only mode. Returns true when the container was
  // found and its header and directory read.
  bool OpenFile(const std::string& filename, int Mode = 0);
  // Opens a container held in memory; independent reads are not available.
  bool OpenMemory(TBytes data);
  void Close();

  int FileCount() const { return static_cast<int>(fFiles.size()); }
  // Record by directory index (0 .. FileCount()-1), or nullptr.
  const TQzFileRecord* FileRecordAt(int index) const;
  // Record whose name equals `filename` ignoring case, or nullptr.
  const TQzFileRecord* GetFileRecord(std::u16string_view filename) const;
  bool ContainsFile(std::u16string_view filename) const { return GetFileRecord(filename) != nullptr; }

  // Shared path (UI thread only). The returned buffer is Current() or a
  // record's cached copy; Current() stays valid until the next shared read.
  const TBytes& GetFilePos(std::int32_t pos);
  // nullptr when the shared path stayed busy for a second.
  const TBytes* GetFileStream(const TQzFileRecord* rec);
  const TBytes* GetFile(std::u16string_view filename);

  // Independent read through a file handle of its own; safe from any thread.
  // Ok means the entry was read into aStream.
  QzStatus GetFileAsync(std::u16string_view filename, TBytes& aStream,
                        std::string* error = nullptr) const;

  bool Cached() const { return fCached; }
  void SetCached(bool value) { fCached = value; }
  const TBytes& Current() const { return fCurrent; }
  std::int32_t Version() const { return fVersion; }
  std::int64_t DBOffset() const { return fDBOffset; }
  const std::string& FileName() const { return fFilename; }
  bool IsOpen() const { return fSource != nullptr; }

 protected:
  std::unique_ptr<QzByteSource> fSource;
  bool fSourceIsFile = false;
  std::string fFilename;
  int fOpenMode = 0;
  std::int64_t fDBOffset = 0;
  std::vector<std::unique_ptr<TQzFileRecord>> fFiles;
  std::int32_t fVersion = kQzDirectoryVersion;
  TBytes fCurrent;
  bool fCached = false;
  std::atomic<bool> fBusy{false};

 private:
  bool OpenSource();
  bool ReadDirectory(std::int32_t dirPos);
  // Folded name -> index of the first record of that name in fFiles.
  std::unordered_map<std::u16string, std::size_t> fIndex;
};

}  // namespace bookloom
