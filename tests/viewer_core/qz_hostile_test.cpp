// Corrupt, truncated and hostile containers: refused or served as far as
// they go, never a crash and never unbounded memory.
#include <gtest/gtest.h>
#include <zlib.h>

#include "book_fixtures.h"
#include "qz_archive.h"
#include "qz_file.h"

namespace bookloom {
namespace {

using test::Filler;
using test::PutLe32;
using test::RawContainer;
using test::TempDir;
using test::Text;
using test::WriteBytes;

// Raw deflate of `size` zero bytes, streamed so the test never holds them.
TBytes DeflatedZeros(std::size_t size) {
  z_stream zs{};
  deflateInit2(&zs, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::vector<std::uint8_t> zeros(1 << 20, 0), buf(1 << 16);
  TBytes out;
  std::size_t left = size;
  int flush = Z_NO_FLUSH;
  do {
    std::size_t n = std::min(left, zeros.size());
    left -= n;
    flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    zs.next_in = zeros.data();
    zs.avail_in = static_cast<uInt>(n);
    do {
      zs.next_out = buf.data();
      zs.avail_out = static_cast<uInt>(buf.size());
      deflate(&zs, flush);
      out.insert(out.end(), buf.data(), buf.data() + buf.size() - zs.avail_out);
    } while (zs.avail_out == 0);
  } while (flush != Z_FINISH);
  deflateEnd(&zs);
  return out;
}

// A deflate stream of zeros a little beyond the inflate limit.
const TBytes& Bomb() {
  static const TBytes bomb = DeflatedZeros(kQzMaxInflatedSize + (1 << 20));
  return bomb;
}

std::vector<TBookEntry> Book() {
  std::vector<TBookEntry> e(3);
  e[0].name = u"index.html";
  e[0].data = Filler(3000, 2);
  e[1].name = u"#SYSTEM";
  e[1].data = EncodeSystemText({u"Title=T", u"[MainMenu]", u"0 0 Menu"}, 200);
  e[2].name = u"b.css";
  e[2].data = Filler(800, 5);
  return e;
}

TEST(QzHostile, EveryTruncationIsRefusedOrReadSafely) {
  const TBytes full = BuildContainer(Book());
  for (std::size_t len = 0; len < full.size(); ++len) {
    TQzFile f;
    if (f.OpenMemory(TBytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len)))) {
      for (int i = 0; i < f.FileCount(); ++i) f.GetFile(f.FileRecordAt(i)->filename);
    }
  }
  // Through files and the archive (system entries, independent reads).
  TempDir dir;
  for (std::size_t len = 0; len <= full.size(); len += (len + 97 < full.size() ? 97 : 1)) {
    const std::string path = dir.file("t" + std::to_string(len));
    WriteBytes(path, TBytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len)));
    TQzLzhArchive a(path);
    EXPECT_EQ(a.FOpen && a.FileCount() == 3, len == full.size()) << len;
    TBytes out;
    a.GetFileAsync(u"index.html", out);
  }
}

TEST(QzHostile, FlippedBytesNeverCrash) {
  TempDir dir;
  const TBytes full = BuildContainer(Book());
  for (std::size_t at = 0; at < full.size(); ++at) {
    TBytes bad = full;
    bad[at] ^= 0x5A;
    TQzFile f;
    if (f.OpenMemory(bad))
      for (int i = 0; i < f.FileCount(); ++i) f.GetFile(f.FileRecordAt(i)->filename);
    if (at % 61 == 0) {
      const std::string path = dir.file("c" + std::to_string(at));
      WriteBytes(path, bad);
      TQzLzhArchive a(path);
      TBytes out;
      for (int i = 0; i < a.FileCount(); ++i) a.GetFileAsync(a.FileRecordAt(i)->filename, out);
    }
  }
}

TEST(QzHostile, EntryInflatingBeyondTheCapIsRefused) {
  TempDir dir;
  const TBytes& payload = Bomb();
  TBytes dir0;
  PutLe32(dir0, 200);
  PutLe32(dir0, 1);
  PutLe32(dir0, 4);
  for (char16_t c : std::u16string(u"bomb")) {
    dir0.push_back(std::uint8_t(c));
    dir0.push_back(0);
  }
  PutLe32(dir0, 0);
  PutLe32(dir0, 4);  // position of the bomb
  TBytes packedDir = RawDeflate(dir0);
  TBytes body = payload;
  body.insert(body.end(), packedDir.begin(), packedDir.end());
  WriteBytes(dir.file("bomb.pagemint"), RawContainer(static_cast<std::int32_t>(4 + payload.size()), body));

  TQzFile f;
  ASSERT_TRUE(f.OpenFile(dir.file("bomb.pagemint")));
  TBytes out;
  std::string error;
  EXPECT_EQ(f.GetFileAsync(u"bomb", out, &error), QzStatus::TooLarge);
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(error.empty());
  ASSERT_NE(f.GetFile(u"bomb"), nullptr);
  EXPECT_TRUE(f.GetFile(u"bomb")->empty());
}

TEST(QzHostile, DirectoryInflatingBeyondTheCapFailsTheOpen) {
  TQzFile f;
  EXPECT_FALSE(f.OpenMemory(RawContainer(4, Bomb())));
}

TEST(QzHostile, DirectoryCountsAndLengthsAreNotTrusted) {
  struct Case {
    const char* label;
    std::int32_t count;
    std::int32_t nameLength;  // of the third record
    int expected;
  } cases[] = {
      {"count 2^31-1, three records", 2147483647, 1, 3},
      {"count 2^31 wraps negative", static_cast<std::int32_t>(0x80000000u), 1, 0},
      {"name length 2^31-1", 3, 2147483647, 2},
      {"negative name length", 3, -5, 2},
  };
  for (const auto& c : cases) {
    TBytes d;
    PutLe32(d, 200);
    PutLe32(d, c.count);
    for (int r = 0; r < 3; ++r) {
      PutLe32(d, r == 2 ? c.nameLength : 1);
      d.push_back(std::uint8_t('a' + r));
      d.push_back(0);
      PutLe32(d, 0);
      PutLe32(d, 4);
    }
    TBytes entry = RawDeflate(Text("hello"));
    TBytes body = entry;
    TBytes packed = RawDeflate(d);
    body.insert(body.end(), packed.begin(), packed.end());
    TQzFile f;
    ASSERT_TRUE(f.OpenMemory(RawContainer(static_cast<std::int32_t>(4 + entry.size()), body))) << c.label;
    EXPECT_EQ(f.FileCount(), c.expected) << c.label;
    if (c.expected > 0) {
      ASSERT_NE(f.GetFile(u"A"), nullptr);
      EXPECT_EQ(*f.GetFile(u"A"), Text("hello"));
    }
  }
}

TEST(QzHostile, MillionsOfTinyRecordsAreCut) {
  // 3 million empty-named records: 36 MB inflated, a few KB deflated.
  const std::int32_t n = 3000000;
  TBytes d;
  d.reserve(8 + std::size_t(n) * 12);
  PutLe32(d, 200);
  PutLe32(d, n);
  for (std::int32_t i = 0; i < n; ++i) {
    PutLe32(d, 0);
    PutLe32(d, 0);
    PutLe32(d, -1);
  }
  TQzFile f;
  ASSERT_TRUE(f.OpenMemory(RawContainer(4, RawDeflate(d))));
  EXPECT_EQ(f.FileCount(), kQzMaxRecords);
}

TEST(QzHostile, BadDirectoryPositionsFailTheOpen) {
  TBytes entry = RawDeflate(Text("x"));
  for (std::int32_t pos : {3, 4, 1000000, 2147483647}) {
    TQzFile f;
    EXPECT_FALSE(f.OpenMemory(RawContainer(pos, entry))) << pos;  // no valid directory there
  }
  TQzFile shortHeader;
  TBytes m = RawContainer(0, {});
  m.resize(m.size() - 2);  // the directory position itself is cut
  EXPECT_FALSE(shortHeader.OpenMemory(m));
}

TEST(QzHostile, EntryPositionsOutsideTheFile) {
  TempDir dir;
  TBytes d;
  PutLe32(d, 200);
  PutLe32(d, 2);
  for (std::int32_t pos : {2147483647, 1}) {
    PutLe32(d, 1);
    d.push_back(pos == 1 ? 'm' : 'f');
    d.push_back(0);
    PutLe32(d, 0);
    PutLe32(d, pos);
  }
  TBytes packed = RawDeflate(d);
  WriteBytes(dir.file("p.pagemint"), RawContainer(4, packed));
  TQzFile f;
  ASSERT_TRUE(f.OpenFile(dir.file("p.pagemint")));
  TBytes out;
  EXPECT_NE(f.GetFileAsync(u"f", out), QzStatus::Ok);
  EXPECT_NE(f.GetFileAsync(u"m", out), QzStatus::Ok);  // inside the header: garbage
  EXPECT_TRUE(f.GetFile(u"f")->empty());
}

}  // namespace
}  // namespace bookloom
