// Fuzzes the book container reader: any bytes as a whole book, opened with
// its system entries, every entry read through the shared path.
#include <cstddef>
#include <cstdint>

#include "qz_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  bookloom::TQzLzhArchive book;
  // Half of the runs get a magic in front so the directory parser is reached.
  bookloom::TBytes bytes;
  if (size > 0 && (data[0] & 1)) bytes.assign(bookloom::QzMagic().begin(), bookloom::QzMagic().end());
  bytes.insert(bytes.end(), data, data + size);
  if (!book.OpenBookMemory(std::move(bytes))) return 0;
  for (int i = 0; i < book.FileCount() && i < 64; ++i) {
    const bookloom::TQzFileRecord* r = book.FileRecordAt(i);
    book.ContainsFile(r->filename);
    book.GetFile(r->filename);
  }
  return 0;
}
