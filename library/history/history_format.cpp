#include "history/history_format.h"

#include <cstring>

namespace hwscope::history {

std::string EncodeHeader(std::uint32_t setCount) {
  std::uint8_t b[kHeaderSize] = {};
  std::memcpy(b, kMagic, 4);
  b[4] = static_cast<std::uint8_t>(kVersion & 0xFF);
  b[5] = static_cast<std::uint8_t>(kVersion >> 8);
  PutU32(b + kCountOffset, setCount);
  return std::string(reinterpret_cast<const char*>(b), sizeof b);
}

std::string EncodeSet(const SetHeader& header, const Record* records, std::size_t count) {
  std::string out(kSetHeaderSize + kRecordSize * count, '\0');
  auto* p = reinterpret_cast<std::uint8_t*>(out.data());
  PutU32(p, header.recordCount);
  PutU64(p + 4, static_cast<std::uint64_t>(header.time));
  p[12] = header.version;
  p[13] = header.revision;
  p += kSetHeaderSize;
  for (std::size_t i = 0; i < count; ++i, p += kRecordSize) {
    const Record& r = records[i];
    p[0] = r.id;
    p[1] = r.current;
    for (int k = 0; k < 6; ++k) p[2 + k] = static_cast<std::uint8_t>(r.raw >> (8 * k));
    p[8] = r.worst;
    p[9] = 0;
  }
  return out;
}

bool HeaderValid(const std::uint8_t* header) {
  return std::memcmp(header, kMagic, 4) == 0 && header[4] == (kVersion & 0xFF) &&
         header[5] == (kVersion >> 8);
}

bool FooterValid(const std::uint8_t* footer) { return std::memcmp(footer, kFooter, 4) == 0; }

}  // namespace hwscope::history
