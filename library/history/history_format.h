// Byte layout of a drive's history file: a 12-byte header ("SMDL", version
// 1, set count), the data sets back to back (16-byte set header, then 10-byte
// attribute records) and the 4-byte footer "LDMS". All integers little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace hwscope::history {

inline constexpr std::size_t kHeaderSize = 12;
inline constexpr std::size_t kSetHeaderSize = 16;
inline constexpr std::size_t kRecordSize = 10;
inline constexpr std::size_t kFooterSize = 4;
inline constexpr std::size_t kCountOffset = 8;
inline constexpr std::uint16_t kVersion = 1;
inline constexpr char kMagic[4] = {'S', 'M', 'D', 'L'};
inline constexpr char kFooter[4] = {'L', 'D', 'M', 'S'};

// Result codes of the history file operations.
enum Code : int {
  kOk = 0,
  kNoProgramPath = -1,
  kCapacityTooSmall = -2001,
  kOpenFailed = -5001,
  kWriteFailed = -5002,
  kReadFailed = -5003,
  kNotReadWritable = -5101,
  kNotReadable = -5102,
  kSeekFailed = -5201,
  kNoAttributes = -20001,
  kBadHeader = -20002,
  kBadFooter = -20003,
  kNoHistory = -20004,
};

// One attribute in a data set.
struct Record {
  std::uint8_t id = 0;       // ATA identifier, or NVMe table position
  std::uint8_t current = 0;  // normalised value (0 for NVMe)
  std::uint64_t raw = 0;     // 48 bits
  std::uint8_t worst = 0;    // (0 for NVMe)
};

struct SetHeader {
  std::uint32_t recordCount = 0;
  std::int64_t time = 0;
  std::uint8_t version = 0;   // driver version block: version byte
  std::uint8_t revision = 0;  // driver version block: revision byte
};

inline std::uint32_t GetU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t GetU64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(GetU32(p)) | (static_cast<std::uint64_t>(GetU32(p + 4)) << 32);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutU64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline SetHeader DecodeSetHeader(const std::uint8_t* p) {
  SetHeader h;
  h.recordCount = GetU32(p);
  h.time = static_cast<std::int64_t>(GetU64(p + 4));
  h.version = p[12];
  h.revision = p[13];
  return h;
}

inline Record DecodeRecord(const std::uint8_t* p) {
  Record r;
  r.id = p[0];
  r.current = p[1];
  for (int i = 5; i >= 0; --i) r.raw = (r.raw << 8) | p[2 + i];
  r.worst = p[8];
  return r;
}

// The 12-byte file header.
std::string EncodeHeader(std::uint32_t setCount);
// A data set: set header and records.
std::string EncodeSet(const SetHeader& header, const Record* records, std::size_t count);
// True when the 12 bytes are "SMDL" with version 1.
bool HeaderValid(const std::uint8_t* header);
bool FooterValid(const std::uint8_t* footer);

}  // namespace hwscope::history
