#include "qz_magic.h"

#include <array>
#include <cstring>
#include <vector>

namespace bookloom {

const std::string& QzMagic() {
  static const std::string magic = [] {
    const std::string head = "QZ" + std::string(1, 'F');
    const std::string pad = "PADD" + std::string("ING");
    std::string m = head;
    for (int i = 0; i < 5; ++i) m += pad + head;
    return m;
  }();
  return magic;
}

// Horspool search of `pat` in `text`; index or -1.
static std::int64_t Horspool(const std::uint8_t* text, std::size_t n, const std::string& pat,
                             const std::array<std::size_t, 256>& skip) {
  const std::size_t m = pat.size();
  if (n < m) return -1;
  std::size_t i = 0;
  while (i <= n - m) {
    std::size_t j = m;
    while (j > 0 && text[i + j - 1] == static_cast<std::uint8_t>(pat[j - 1])) --j;
    if (j == 0) return static_cast<std::int64_t>(i);
    i += skip[text[i + m - 1]];
  }
  return -1;
}

std::int64_t FindQzMagic(const QzByteSource& src) {
  const std::string& magic = QzMagic();
  const std::size_t m = magic.size();
  std::array<std::size_t, 256> skip;
  skip.fill(m);
  for (std::size_t k = 0; k + 1 < m; ++k) skip[static_cast<std::uint8_t>(magic[k])] = m - 1 - k;

  std::vector<std::uint8_t> chunk(kQzScanChunk);
  std::int64_t start = 0;
  for (;;) {
    std::int64_t got = src.ReadAt(start, chunk.data(), chunk.size());
    if (got <= 0) return -1;
    std::int64_t hit = Horspool(chunk.data(), static_cast<std::size_t>(got), magic, skip);
    if (hit >= 0) return start + hit;
    if (static_cast<std::size_t>(got) < chunk.size()) return -1;
    start += got - static_cast<std::int64_t>(m - 1);
  }
}

}  // namespace bookloom
