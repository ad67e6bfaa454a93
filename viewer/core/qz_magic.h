// The container magic and the chunked search that finds it in a host file.
#pragma once

#include <cstdint>
#include <string>

namespace bookloom {

inline constexpr std::size_t kQzMagicLength = 53;
inline constexpr std::size_t kQzScanChunk = 32768;

// The magic, assembled at run time from its pieces so that no binary of ours
// holds a contiguous copy of it.
const std::string& QzMagic();

// Reads up to `size` bytes at absolute `offset`; returns the count read, or
// -1 on a read error.
class QzByteSource {
 public:
  virtual ~QzByteSource() = default;
  virtual std::int64_t ReadAt(std::int64_t offset, void* buf, std::size_t size) const = 0;
};

// Finds the first magic in the source, reading 32768-byte chunks with a
// Boyer-Moore-Horspool search; chunks overlap by 52 bytes so a magic split
// across two chunks is found. Returns the absolute offset or -1.
std::int64_t FindQzMagic(const QzByteSource& src);

}  // namespace bookloom
