// Fuzzes the book container reader. Mode by the first byte:
//   bit 1 clear: the rest is the whole host file (a magic is put in front
//                when bit 0 is set);
//   bit 1 set:   the rest is an inflated directory, deflated here and put
//                into a container together with a few entries, so the
//                directory parser and the entry reads see arbitrary records.
#include <cstddef>
#include <cstdint>

#include "book_writer.h"
#include "qz_archive.h"

namespace {

void Put32(bookloom::TBytes& out, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(std::uint8_t(v >> (8 * k)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  ++data;
  --size;
  const std::string& magic = bookloom::QzMagic();
  bookloom::TBytes bytes;
  if (mode & 2) {
    // magic, directory position, three entries (text, empty, UTF-16 text),
    // then the fuzzed directory.
    bytes.assign(magic.begin(), magic.end());
    Put32(bytes, 0);
    const std::uint8_t texts[][8] = {{'h', 'e', 'l', 'l', 'o'}, {}, {0xFF, 0xFE, 'A', 0, '=', 0, '1', 0}};
    const std::size_t lengths[] = {5, 0, 8};
    for (int i = 0; i < 3; ++i) {
      bookloom::TBytes e = bookloom::RawDeflate(bookloom::TBytes(texts[i], texts[i] + lengths[i]));
      bytes.insert(bytes.end(), e.begin(), e.end());
    }
    const std::uint32_t dirPos = static_cast<std::uint32_t>(bytes.size() - magic.size());
    for (int k = 0; k < 4; ++k) bytes[magic.size() + k] = std::uint8_t(dirPos >> (8 * k));
    bookloom::TBytes dir = bookloom::RawDeflate(bookloom::TBytes(data, data + size));
    bytes.insert(bytes.end(), dir.begin(), dir.end());
  } else {
    if (mode & 1) bytes.assign(magic.begin(), magic.end());
    bytes.insert(bytes.end(), data, data + size);
  }
  bookloom::TQzLzhArchive book;
  if (!book.OpenBookMemory(std::move(bytes))) return 0;
  for (int i = 0; i < book.FileCount() && i < 64; ++i) {
    const bookloom::TQzFileRecord* r = book.FileRecordAt(i);
    book.ContainsFile(r->filename);
    book.GetFile(r->filename);
  }
  return 0;
}
