// Book container reader: finding the magic, both directory versions,
// lookup, both read paths, and hostile containers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "book_fixtures.h"
#include "qz_archive.h"
#include "qz_file.h"
#include "text_util.h"

namespace bookloom {
namespace {

using test::Concat;
using test::Filler;
using test::TempDir;
using test::Text;
using test::WriteBytes;

std::vector<TBookEntry> SmallBook() {
  std::vector<TBookEntry> e(3);
  e[0].name = u"index.html";
  e[0].data = Text("<html>index</html>");
  e[1].name = u"style.css";
  e[1].data = Text("body{}");
  e[2].name = u"images\\logo.png";
  e[2].data = Filler(5000, 7);
  return e;
}

struct MagicCase {
  const char* label;
  std::size_t hostSize;  // bytes before the container
};

class MagicPosition : public ::testing::TestWithParam<MagicCase> {};

TEST_P(MagicPosition, ContainerIsFoundAndRead) {
  TempDir dir;
  const std::string path = dir.file("host.bin");
  TBytes host = Filler(GetParam().hostSize);
  WriteBytes(path, Concat(host, BuildContainer(SmallBook())));
  TQzFile f;
  ASSERT_TRUE(f.OpenFile(path));
  EXPECT_EQ(f.DBOffset(), static_cast<std::int64_t>(GetParam().hostSize + kQzMagicLength));
  EXPECT_EQ(f.FileCount(), 3);
  TBytes page;
  ASSERT_EQ(f.GetFileAsync(u"index.html", page), QzStatus::Ok);
  EXPECT_EQ(page, Text("<html>index</html>"));
  const TBytes* logo = f.GetFile(u"images\\logo.png");
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(*logo, Filler(5000, 7));
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, MagicPosition,
    ::testing::Values(MagicCase{"at_zero", 0}, MagicCase{"small_host", 100},
                      MagicCase{"ends_at_chunk_edge", kQzScanChunk - kQzMagicLength},
                      MagicCase{"split_one_byte_over", kQzScanChunk - kQzMagicLength + 1},
                      MagicCase{"split_in_middle", kQzScanChunk - 26},
                      MagicCase{"starts_at_chunk_edge", kQzScanChunk},
                      MagicCase{"split_second_edge", 2 * kQzScanChunk - 52 - 30},
                      MagicCase{"end_of_large_host", 3 * 1024 * 1024 + 17}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(QzMagic, AbsentMagicFailsForSmallAndLargeFiles) {
  TempDir dir;
  for (std::size_t size : {std::size_t(0), std::size_t(52), std::size_t(1000), kQzScanChunk,
                           kQzScanChunk + 1, std::size_t(200000)}) {
    const std::string path = dir.file("plain" + std::to_string(size));
    WriteBytes(path, Filler(size, 3));
    TQzFile f;
    EXPECT_FALSE(f.OpenFile(path)) << size;
    EXPECT_EQ(f.FileCount(), 0);
    EXPECT_TRUE(f.FileName().empty());
  }
  TQzFile f;
  EXPECT_FALSE(f.OpenFile(dir.file("missing.pagemint")));
  // Not regular files: refused at once instead of scanning forever or blocking.
  EXPECT_FALSE(f.OpenFile("/dev/zero"));
  EXPECT_FALSE(f.OpenFile(dir.path()));
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(f.OpenFile(fifo));
}

TEST(QzMagic, MagicIsAssembledAndFirstCopyWins) {
  EXPECT_EQ(QzMagic().size(), kQzMagicLength);
  EXPECT_EQ(QzMagic().substr(0, 10), "QZFPADDING");
  TempDir dir;
  std::vector<TBookEntry> second(1);
  second[0].name = u"second.htm";
  TBytes file = Concat(Filler(70000), BuildContainer(SmallBook()));
  file = Concat(file, BuildContainer(second));
  WriteBytes(dir.file("two.bin"), file);
  TQzFile f;
  ASSERT_TRUE(f.OpenFile(dir.file("two.bin")));
  EXPECT_TRUE(f.ContainsFile(u"index.html"));
  EXPECT_FALSE(f.ContainsFile(u"second.htm"));
}

TEST(QzMagic, OurOwnProgramHoldsNoCopyOfTheMagic) {
  // This test program links the reader and the writer; a scan of its own
  // file must find nothing, as the viewer's scan of itself must find only
  // the appended book.
  TQzFile self;
  EXPECT_FALSE(self.OpenFile("/proc/self/exe"));
}

TEST(QzDirectory, Version200And8BitLegacyNamesAndTitles) {
  for (std::int32_t version : {200, 100, 0}) {
    std::vector<TBookEntry> e(2);
    e[0].name = u"Caf\u00e9.htm";
    e[0].title = u"Men\u00fc \u20ac";
    e[0].data = Text("x");
    e[1].name = u"a.htm";
    TQzFile f;
    ASSERT_TRUE(f.OpenMemory(BuildContainer(e, version))) << version;
    EXPECT_EQ(f.Version(), version);
    ASSERT_EQ(f.FileCount(), 2);
    const TQzFileRecord* r = f.GetFileRecord(u"CAF\u00c9.HTM");
    ASSERT_NE(r, nullptr) << version;
    EXPECT_EQ(r->filename, u"Caf\u00e9.htm");
    EXPECT_EQ(r->title, u"Men\u00fc \u20ac");
    ASSERT_NE(f.GetFile(u"caf\u00e9.htm"), nullptr);
    EXPECT_EQ(*f.GetFile(u"caf\u00e9.htm"), Text("x"));
  }
}

TEST(QzDirectory, LookupFindsEveryNameIgnoringCase) {
  const std::u16string names[] = {u"hid_overview.htm", u"hid_1.htm",  u"hid1.htm",
                                  u"hid_a.htm",        u"hida.htm",   u"HID10.htm",
                                  u"hid2.htm",         u"Index.html", u"images\\Logo.PNG",
                                  u"a_b_c.css",        u"ab.css",     u"a-b.css",
                                  u"#SYSTEM",          u"favicon.ico", u"9.htm"};
  std::vector<TBookEntry> e;
  for (const auto& n : names) {
    TBookEntry x;
    x.name = n;
    x.data = Text(U16ToUtf8(n));
    e.push_back(std::move(x));
  }
  TQzFile f;
  ASSERT_TRUE(f.OpenMemory(BuildContainer(e)));
  ASSERT_EQ(f.FileCount(), static_cast<int>(std::size(names)));
  for (const auto& n : names) {
    for (const std::u16string& probe : {n, FoldCase(n), std::u16string(n)}) {
      const TQzFileRecord* r = f.GetFileRecord(probe);
      ASSERT_NE(r, nullptr) << U16ToUtf8(probe);
      EXPECT_EQ(r->filename, n);
    }
  }
  // Upper-case probes as well.
  EXPECT_NE(f.GetFileRecord(u"INDEX.HTML"), nullptr);
  EXPECT_NE(f.GetFileRecord(u"HID_OVERVIEW.HTM"), nullptr);
  EXPECT_NE(f.GetFileRecord(u"IMAGES\\logo.png"), nullptr);
  for (const std::u16string miss : {u"hid.htm", u"hid_overview", u"index.htm", u"images/Logo.PNG", u""})
    EXPECT_EQ(f.GetFileRecord(miss), nullptr) << U16ToUtf8(miss);
}

TEST(QzDirectory, WriterSortsPunctuationBeforeDigitsBeforeLetters) {
  EXPECT_LT(CompareBookNames(u"hid_x", u"hid1"), 0);
  EXPECT_LT(CompareBookNames(u"hid_", u"hida"), 0);
  EXPECT_LT(CompareBookNames(u"hid9", u"hidA"), 0);
  EXPECT_EQ(CompareBookNames(u"Index.HTML", u"index.html"), 0);
  EXPECT_LT(CompareBookNames(u"abc", u"abcd"), 0);
}

TEST(QzDirectory, BookWithoutDirectoryOpensEmpty) {
  for (std::int32_t dirPos : {0, -1, -2147483647 - 1}) {
    TQzFile f;
    ASSERT_TRUE(f.OpenMemory(test::RawContainer(dirPos, Filler(100)))) << dirPos;
    EXPECT_EQ(f.FileCount(), 0);
    EXPECT_FALSE(f.ContainsFile(u"index.html"));
  }
}

TEST(QzEntries, EmptyEntryAndEntryWithoutData) {
  TempDir dir;
  std::vector<TBookEntry> e(2);
  e[0].name = u"empty.htm";
  e[1].name = u"nodata.htm";
  e[1].withoutData = true;
  WriteBytes(dir.file("b.pagemint"), BuildContainer(e));
  TQzFile f;
  ASSERT_TRUE(f.OpenFile(dir.file("b.pagemint")));
  TBytes out = Text("junk");
  EXPECT_EQ(f.GetFileAsync(u"EMPTY.htm", out), QzStatus::Ok);
  EXPECT_TRUE(out.empty());
  ASSERT_NE(f.GetFile(u"empty.htm"), nullptr);
  EXPECT_TRUE(f.GetFile(u"empty.htm")->empty());
  EXPECT_TRUE(f.ContainsFile(u"nodata.htm"));
  EXPECT_EQ(f.GetFileAsync(u"nodata.htm", out), QzStatus::NoData);
  EXPECT_EQ(f.GetFileAsync(u"nothere.htm", out), QzStatus::NotFound);
}

TEST(QzEntries, IndependentReadsNeedAFileSource) {
  TQzFile f;
  ASSERT_TRUE(f.OpenMemory(BuildContainer(SmallBook())));
  TBytes out;
  EXPECT_EQ(f.GetFileAsync(u"index.html", out), QzStatus::NoFile);
  ASSERT_NE(f.GetFile(u"index.html"), nullptr);  // the shared path works
  EXPECT_EQ(*f.GetFile(u"index.html"), Text("<html>index</html>"));
}

TEST(QzEntries, SharedPathCachesWhenAsked) {
  TQzFile f;
  ASSERT_TRUE(f.OpenMemory(BuildContainer(SmallBook())));
  const TBytes* first = f.GetFile(u"style.css");
  EXPECT_EQ(first, &f.Current());  // not cached: the shared buffer
  f.SetCached(true);
  const TBytes* a = f.GetFile(u"style.css");
  EXPECT_EQ(a, &f.Current());  // first cached read still answers from Current
  const TBytes* b = f.GetFile(u"style.css");
  EXPECT_NE(b, &f.Current());  // later reads return the record's copy
  EXPECT_EQ(*b, Text("body{}"));
  EXPECT_EQ(b, f.GetFileRecord(u"style.css")->fStream.get());
  EXPECT_TRUE(f.GetFile(u"none")->empty());
}

TEST(QzEntries, ConcurrentIndependentReads) {
  TempDir dir;
  std::vector<TBookEntry> e;
  for (int i = 0; i < 20; ++i) {
    TBookEntry x;
    x.name = u"page" + Utf8ToU16(std::to_string(i)) + u".htm";
    x.data = Filler(10000 + i * 1000, i + 1);
    e.push_back(std::move(x));
  }
  WriteBytes(dir.file("many.pagemint"), BuildContainer(e));
  TQzFile f;
  ASSERT_TRUE(f.OpenFile(dir.file("many.pagemint")));
  std::atomic<int> bad{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 50; ++round) {
        int i = (t * 7 + round) % 20;
        TBytes out;
        if (f.GetFileAsync(u"PAGE" + Utf8ToU16(std::to_string(i)) + u".HTM", out) != QzStatus::Ok ||
            out != Filler(10000 + i * 1000, i + 1))
          ++bad;
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(bad.load(), 0);
}

TEST(QzArchive, SystemEntriesAndIcon) {
  TempDir dir;
  std::vector<TBookEntry> e = SmallBook();
  TBookEntry sys;
  sys.name = u"#SYSTEM";
  sys.data = EncodeSystemText({u"[System]", u"Title=Caf\u00e9 Help", u"INDEX=start.htm"}, 200);
  TBookEntry map;
  map.name = u"#MAP";
  // Mixed line ends, no byte-order mark.
  for (char16_t c : std::u16string(u"1=a.htm\r2=b.htm\n3=c.htm\r\n")) {
    map.data.push_back(std::uint8_t(c));
    map.data.push_back(0);
  }
  TBookEntry icon;
  icon.name = u"favicon.ico";
  icon.data = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 4, 0, 0, 0, 22, 0, 0, 0, 1, 2, 3, 4};
  e.push_back(sys);
  e.push_back(map);
  e.push_back(icon);
  WriteBytes(dir.file("book.pagemint"), BuildContainer(e));
  TQzLzhArchive a(dir.file("book.pagemint"));
  ASSERT_TRUE(a.FOpen);
  EXPECT_EQ(a.FSystem, (std::vector<std::u16string>{u"[System]", u"Title=Caf\u00e9 Help", u"INDEX=start.htm"}));
  EXPECT_EQ(a.FMaplist, (std::vector<std::u16string>{u"1=a.htm", u"2=b.htm", u"3=c.htm"}));
  EXPECT_TRUE(a.FTopicList.empty());
  EXPECT_EQ(a.FIcon, icon.data);
  EXPECT_TRUE(a.Cached());

  // A broken icon is dropped; the rest of the book loads.
  e.back().data = {0, 0, 1, 0, 5, 0};
  WriteBytes(dir.file("book2.pagemint"), BuildContainer(e));
  TQzLzhArchive b(dir.file("book2.pagemint"));
  ASSERT_TRUE(b.FOpen);
  EXPECT_TRUE(b.FIcon.empty());
  EXPECT_EQ(b.FSystem.size(), 3u);

  TQzLzhArchive none(dir.file("nothing.pagemint"));
  EXPECT_FALSE(none.FOpen);
  EXPECT_EQ(none.FileCount(), 0);
}

TEST(QzArchive, SystemEncodingFollowsDirectoryVersion) {
  TempDir dir;
  for (std::int32_t version : {100, 0}) {
    TBookEntry sys;
    sys.name = u"#SYSTEM";
    sys.data = EncodeSystemText({u"Title=Gr\u00fc\u00dfe"}, version);
    WriteBytes(dir.file("v.pagemint"), BuildContainer({sys}, version));
    TQzLzhArchive a(dir.file("v.pagemint"));
    ASSERT_TRUE(a.FOpen) << version;
    EXPECT_EQ(a.FSystem, std::vector<std::u16string>{u"Title=Gr\u00fc\u00dfe"}) << version;
  }
}

}  // namespace
}  // namespace bookloom
