#include "book_fixtures.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "qz_magic.h"

namespace bookloom::test {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "vcoreXXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (::mkdtemp(buf.data())) fPath = buf.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!fPath.empty()) std::filesystem::remove_all(fPath, ec);
}

void WriteBytes(const std::string& path, const TBytes& data) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

TBytes Text(const std::string& s) { return TBytes(s.begin(), s.end()); }

TBytes Concat(const TBytes& a, const TBytes& b) {
  TBytes out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

TBytes Filler(std::size_t size, std::uint32_t seed) {
  TBytes out(size);
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& b : out) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<std::uint8_t>('a' + x % 26);  // lower case only: no "QZF"
  }
  return out;
}

void PutLe32(TBytes& out, std::int32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(std::uint8_t(std::uint32_t(v) >> (8 * k)));
}

TBytes RawContainer(std::int32_t dirPos, const TBytes& payload) {
  const std::string& m = QzMagic();
  TBytes out(m.begin(), m.end());
  PutLe32(out, dirPos);
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

}  // namespace bookloom::test
