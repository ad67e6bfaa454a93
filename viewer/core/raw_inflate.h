// Raw deflate (no zlib or gzip wrapper) inflation from a byte source.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qz_magic.h"

namespace bookloom {

using TBytes = std::vector<std::uint8_t>;

// The most one entry or the directory may inflate to. A stream that would
// grow beyond it is refused, so a hostile book cannot exhaust memory.
inline constexpr std::size_t kQzMaxInflatedSize = std::size_t(64) << 20;

enum class InflateResult { Ok, ReadError, DataError, TooLarge };

// Inflates one raw deflate stream starting at absolute `offset` into `out`
// (replacing its contents). On failure `out` is emptied and `error` (when
// given) receives the inflater's text.
InflateResult RawInflateAt(const QzByteSource& src, std::int64_t offset, TBytes& out,
                           std::size_t limit = kQzMaxInflatedSize,
                           std::string* error = nullptr);

}  // namespace bookloom
