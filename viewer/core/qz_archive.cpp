#include "qz_archive.h"

#include "text_util.h"

namespace bookloom {

namespace {

std::uint32_t Le32(const TBytes& d, std::size_t at) {
  return std::uint32_t(d[at]) | std::uint32_t(d[at + 1]) << 8 | std::uint32_t(d[at + 2]) << 16 |
         std::uint32_t(d[at + 3]) << 24;
}

}  // namespace

bool IsIconData(const TBytes& d) {
  if (d.size() < 6 || d[0] != 0 || d[1] != 0 || d[2] != 1 || d[3] != 0) return false;
  std::size_t count = d[4] | d[5] << 8;
  if (count == 0 || d.size() < 6 + 16 * count) return false;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t e = 6 + 16 * i;
    std::uint64_t size = Le32(d, e + 8), offset = Le32(d, e + 12);
    if (size == 0 || offset < 6 + 16 * count || offset + size > d.size()) return false;
  }
  return true;
}

TQzLzhArchive::TQzLzhArchive() = default;

TQzLzhArchive::TQzLzhArchive(const std::string& aFile) {
  FOpen = OpenFile(aFile, 0);
  if (FOpen) LoadSystemEntries();
}

std::unique_ptr<TQzLzhArchive> TQzLzhArchive::CreateFromFile(const std::string& aFile) {
  return std::make_unique<TQzLzhArchive>(aFile);
}

bool TQzLzhArchive::OpenBookMemory(TBytes data) {
  FSystem.clear();
  FTopicList.clear();
  FMaplist.clear();
  FIcon.clear();
  FOpen = OpenMemory(std::move(data));
  if (FOpen) LoadSystemEntries();
  return FOpen;
}

void TQzLzhArchive::LoadSystemEntries() {
  SetCached(true);
  if (ContainsFile(u"favicon.ico")) {
    const TBytes* icon = GetFile(u"favicon.ico");
    if (icon && IsIconData(*icon)) FIcon = *icon;
  }
  ReadLines(u"#SYSTEM", FSystem);
  ReadLines(u"#TOPICS", FTopicList);
  ReadLines(u"#MAP", FMaplist);
}

void TQzLzhArchive::ReadLines(const char16_t* name, std::vector<std::u16string>& lines) {
  lines.clear();
  if (!ContainsFile(name)) return;
  const TBytes* data = GetFile(name);
  if (!data) return;
  std::u16string text;
  if (Version() != 0) {
    std::size_t units = data->size() / 2;
    text.reserve(units);
    for (std::size_t i = 0; i < units; ++i)
      text.push_back(static_cast<char16_t>((*data)[2 * i] | (*data)[2 * i + 1] << 8));
    if (!text.empty() && text[0] == u'\uFEFF') text.erase(0, 1);
  } else {
    text = Cp1252ToU16(std::string_view(reinterpret_cast<const char*>(data->data()), data->size()));
  }
  SplitLines(text, lines);
}

}  // namespace bookloom
