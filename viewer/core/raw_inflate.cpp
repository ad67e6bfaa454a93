#include "raw_inflate.h"

#include <zlib.h>

namespace bookloom {

InflateResult RawInflateAt(const QzByteSource& src, std::int64_t offset, TBytes& out,
                           std::size_t limit, std::string* error) {
  out.clear();
  z_stream zs{};
  if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) {
    if (error) *error = "inflate init failed";
    return InflateResult::DataError;
  }
  std::vector<std::uint8_t> in(16384);
  std::uint8_t buf[16384];
  InflateResult result = InflateResult::Ok;
  int rc = Z_OK;
  std::int64_t pos = offset;
  while (rc != Z_STREAM_END) {
    if (zs.avail_in == 0) {
      std::int64_t got = src.ReadAt(pos, in.data(), in.size());
      if (got <= 0) {
        result = got < 0 ? InflateResult::ReadError : InflateResult::DataError;
        if (error) *error = got < 0 ? "read error" : "unexpected end of deflate stream";
        break;
      }
      pos += got;
      zs.next_in = in.data();
      zs.avail_in = static_cast<uInt>(got);
    }
    zs.next_out = buf;
    zs.avail_out = sizeof buf;
    rc = inflate(&zs, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
      result = InflateResult::DataError;
      if (error) *error = zs.msg ? zs.msg : "invalid deflate data";
      break;
    }
    std::size_t produced = sizeof buf - zs.avail_out;
    if (out.size() + produced > limit) {
      result = InflateResult::TooLarge;
      if (error) *error = "entry inflates beyond the size limit";
      break;
    }
    out.insert(out.end(), buf, buf + produced);
    if (rc == Z_BUF_ERROR && produced == 0 && zs.avail_in != 0) {
      result = InflateResult::DataError;
      if (error) *error = "invalid deflate data";
      break;
    }
  }
  inflateEnd(&zs);
  if (result != InflateResult::Ok) {
    out.clear();
    out.shrink_to_fit();
  }
  return result;
}

}  // namespace bookloom
