// Writes book containers: entries compressed one by one with raw deflate,
// a compressed directory sorted the way the reader expects, and the system
// entries "#SYSTEM", "#TOPICS" and "#MAP" from a description file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bookloom {

using TBytes = std::vector<std::uint8_t>;

struct TBookEntry {
  std::u16string name;   // relative path, "\" between folders
  std::u16string title;  // often empty
  TBytes data;
  bool withoutData = false;  // listed with a negative position
};

// Directory order: case-insensitive; punctuation before digits before
// letters. Negative, zero or positive like strcmp.
int CompareBookNames(std::u16string_view a, std::u16string_view b);

// One raw deflate stream (no zlib or gzip wrapper).
TBytes RawDeflate(const TBytes& in);

// UTF-16 text -> 8-bit Windows-1252 (unmappable characters become "?").
std::string U16ToCp1252(std::u16string_view s);

// A system entry's text: UTF-16LE with byte-order mark, or 8-bit text for
// directory version 0. Lines are joined with CR LF.
TBytes EncodeSystemText(const std::vector<std::u16string>& lines, std::int32_t version);

// Builds a whole container (magic, header, entries, directory). The
// entries are sorted in directory order; version 200 writes 16-bit names,
// any other version 8-bit names.
TBytes BuildContainer(std::vector<TBookEntry> entries, std::int32_t version = 200);

// System entries of a description file: a line "@#SYSTEM", "@#TOPICS" or
// "@#MAP" starts that entry, and the following lines up to the next such
// line are its lines. Lines before the first marker are ignored.
struct TBookDescription {
  std::vector<std::u16string> system, topics, map;
};
bool ReadDescription(const std::string& path, TBookDescription& desc, std::string& error);

// Every regular file below `folder` (hidden files and `exclude` skipped),
// named by its relative path; HTML pages get their <title> as title.
bool CollectFolder(const std::string& folder, const std::string& exclude,
                   std::vector<TBookEntry>& entries, std::string& error);

// Packs `folder` (plus the description's system entries when `descPath` is
// not empty) into `outPath`; with `hostPath`, the container is appended to a
// copy of that file. Writes through a temporary file.
bool WriteBook(const std::string& folder, const std::string& descPath,
               const std::string& hostPath, const std::string& outPath, std::int32_t version,
               std::string& error);

}  // namespace bookloom
