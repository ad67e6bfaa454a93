#include "book_writer.h"

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "qz_magic.h"
#include "text_util.h"

namespace bookloom {

namespace fs = std::filesystem;

namespace {

int CharClass(char16_t c) {
  if ((c >= u'0' && c <= u'9')) return 1;
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c >= 0xC0) return 2;
  return 0;
}

void PutLe32(TBytes& out, std::int32_t v) {
  std::uint32_t u = static_cast<std::uint32_t>(v);
  for (int k = 0; k < 4; ++k) out.push_back(std::uint8_t(u >> (8 * k)));
}

void PutText(TBytes& out, std::u16string_view s, bool wide) {
  if (wide) {
    PutLe32(out, static_cast<std::int32_t>(s.size()));
    for (char16_t c : s) {
      out.push_back(std::uint8_t(c));
      out.push_back(std::uint8_t(c >> 8));
    }
  } else {
    std::string b = U16ToCp1252(s);
    PutLe32(out, static_cast<std::int32_t>(b.size()));
    out.insert(out.end(), b.begin(), b.end());
  }
}

bool ReadFile(const fs::path& p, TBytes& out) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// The text of the first <title> element, or empty.
std::u16string HtmlTitle(const TBytes& page) {
  std::string s(page.begin(), page.end());
  std::string lower = s;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  std::size_t a = lower.find("<title>");
  if (a == std::string::npos) return {};
  a += 7;
  std::size_t b = lower.find("</title>", a);
  if (b == std::string::npos) return {};
  return Trim(Utf8ToU16(s.substr(a, b - a)));
}

}  // namespace

int CompareBookNames(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    char16_t x = FoldChar(a[i]), y = FoldChar(b[i]);
    if (x == y) continue;
    int cx = CharClass(x), cy = CharClass(y);
    if (cx != cy) return cx < cy ? -1 : 1;
    return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

TBytes RawDeflate(const TBytes& in) {
  z_stream zs{};
  deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  TBytes out(deflateBound(&zs, static_cast<uLong>(in.size())) + 16);
  zs.next_in = const_cast<Bytef*>(in.data());
  zs.avail_in = static_cast<uInt>(in.size());
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

std::string U16ToCp1252(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    char mapped = '?';
    for (int b = 0x80; b <= 0x9F; ++b) {
      std::string one(1, static_cast<char>(b));
      if (Cp1252ToU16(one)[0] == c) mapped = static_cast<char>(b);
    }
    out.push_back(mapped);
  }
  return out;
}

TBytes EncodeSystemText(const std::vector<std::u16string>& lines, std::int32_t version) {
  std::u16string text;
  for (const auto& l : lines) text += l + u"\r\n";
  TBytes out;
  if (version != 0) {
    out = {0xFF, 0xFE};
    for (char16_t c : text) {
      out.push_back(std::uint8_t(c));
      out.push_back(std::uint8_t(c >> 8));
    }
  } else {
    std::string b = U16ToCp1252(text);
    out.assign(b.begin(), b.end());
  }
  return out;
}

TBytes BuildContainer(std::vector<TBookEntry> entries, std::int32_t version) {
  std::stable_sort(entries.begin(), entries.end(), [](const TBookEntry& x, const TBookEntry& y) {
    return CompareBookNames(x.name, y.name) < 0;
  });
  const std::string& magic = QzMagic();
  TBytes out(magic.begin(), magic.end());
  const std::size_t base = out.size();
  PutLe32(out, 0);  // directory position, filled in below
  TBytes dir;
  PutLe32(dir, version);
  PutLe32(dir, static_cast<std::int32_t>(entries.size()));
  const bool wide = version == 200;
  for (const auto& e : entries) {
    std::int32_t pos = -1;
    if (!e.withoutData) {
      pos = static_cast<std::int32_t>(out.size() - base);
      TBytes packed = RawDeflate(e.data);
      out.insert(out.end(), packed.begin(), packed.end());
    }
    PutText(dir, e.name, wide);
    PutText(dir, e.title, wide);
    PutLe32(dir, pos);
  }
  const std::int32_t dirPos = static_cast<std::int32_t>(out.size() - base);
  TBytes packedDir = RawDeflate(dir);
  out.insert(out.end(), packedDir.begin(), packedDir.end());
  for (int k = 0; k < 4; ++k) out[base + k] = std::uint8_t(std::uint32_t(dirPos) >> (8 * k));
  return out;
}

bool ReadDescription(const std::string& path, TBookDescription& desc, std::string& error) {
  TBytes raw;
  if (!ReadFile(path, raw)) {
    error = "cannot read " + path;
    return false;
  }
  std::vector<std::u16string> lines;
  std::u16string text = Utf8ToU16(std::string(raw.begin(), raw.end()));
  if (!text.empty() && text[0] == u'\uFEFF') text.erase(0, 1);
  SplitLines(text, lines);
  std::vector<std::u16string>* target = nullptr;
  for (const auto& line : lines) {
    std::u16string t = TrimRight(line);
    if (t == u"@#SYSTEM") target = &desc.system;
    else if (t == u"@#TOPICS") target = &desc.topics;
    else if (t == u"@#MAP") target = &desc.map;
    else if (!t.empty() && t[0] == u'@') {
      error = "unknown entry marker: " + U16ToUtf8(t);
      return false;
    } else if (target) target->push_back(line);
  }
  // Trailing blank lines of a block are layout, not content.
  for (auto* v : {&desc.system, &desc.topics, &desc.map})
    while (!v->empty() && Trim(v->back()).empty()) v->pop_back();
  return true;
}

bool CollectFolder(const std::string& folder, const std::string& exclude,
                   std::vector<TBookEntry>& entries, std::string& error) {
  std::error_code ec;
  const fs::path root = fs::weakly_canonical(folder, ec);
  const fs::path skip = exclude.empty() ? fs::path() : fs::weakly_canonical(exclude, ec);
  if (!fs::is_directory(root)) {
    error = "not a folder: " + folder;
    return false;
  }
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it); it.increment(ec)) {
    const fs::path& p = it->path();
    if (p.filename().string().starts_with(".")) {
      if (it->is_directory()) it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file() || (!skip.empty() && p == skip)) continue;
    TBookEntry e;
    std::string rel = fs::relative(p, root).generic_string();
    std::replace(rel.begin(), rel.end(), '/', '\\');
    e.name = Utf8ToU16(rel);
    if (!ReadFile(p, e.data)) {
      error = "cannot read " + p.string();
      return false;
    }
    std::string ext = p.extension().string();
    if (ext == ".htm" || ext == ".html") e.title = HtmlTitle(e.data);
    entries.push_back(std::move(e));
  }
  if (ec) {
    error = "cannot list " + folder + ": " + ec.message();
    return false;
  }
  return true;
}

bool WriteBook(const std::string& folder, const std::string& descPath, const std::string& hostPath,
               const std::string& outPath, std::int32_t version, std::string& error) {
  std::vector<TBookEntry> entries;
  if (!CollectFolder(folder, descPath, entries, error)) return false;
  if (!descPath.empty()) {
    TBookDescription desc;
    if (!ReadDescription(descPath, desc, error)) return false;
    const std::pair<const char16_t*, const std::vector<std::u16string>*> sys[] = {
        {u"#SYSTEM", &desc.system}, {u"#TOPICS", &desc.topics}, {u"#MAP", &desc.map}};
    for (const auto& [name, lines] : sys) {
      if (lines->empty()) continue;
      TBookEntry e;
      e.name = name;
      e.data = EncodeSystemText(*lines, version);
      entries.push_back(std::move(e));
    }
  }
  TBytes out;
  if (!hostPath.empty() && !ReadFile(hostPath, out)) {
    error = "cannot read " + hostPath;
    return false;
  }
  TBytes book = BuildContainer(std::move(entries), version);
  out.insert(out.end(), book.begin(), book.end());

  const std::string tmp = outPath + ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    f.flush();
    if (!f) {
      error = "cannot write " + tmp;
      return false;
    }
  }
  std::error_code ec;
  if (!hostPath.empty()) {
    // Keep the host's permissions (an executable stays executable).
    fs::permissions(tmp, fs::status(hostPath, ec).permissions(), ec);
  }
  fs::rename(tmp, outPath, ec);
  if (ec) {
    error = "cannot write " + outPath + ": " + ec.message();
    fs::remove(tmp, ec);
    return false;
  }
  return true;
}

}  // namespace bookloom
