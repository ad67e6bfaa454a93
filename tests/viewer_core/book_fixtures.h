// Containers and files for the viewer core tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "book_writer.h"

namespace bookloom::test {

// A fresh folder below the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return fPath; }
  std::string file(const std::string& name) const { return fPath + "/" + name; }

 private:
  std::string fPath;
};

void WriteBytes(const std::string& path, const TBytes& data);
TBytes Text(const std::string& s);
TBytes Concat(const TBytes& a, const TBytes& b);
// Deterministic filler that never contains the magic.
TBytes Filler(std::size_t size, std::uint32_t seed = 1);

// A container built by hand: magic, directory position, raw payload after
// the header. `dirPos` and the payload are taken as they are.
TBytes RawContainer(std::int32_t dirPos, const TBytes& payload);
// Little-endian int32.
void PutLe32(TBytes& out, std::int32_t v);

}  // namespace bookloom::test
