// A book: the container reader plus its system entries ("#SYSTEM",
// "#TOPICS", "#MAP", "favicon.ico"), loaded when the book is opened.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "qz_file.h"

namespace bookloom {

class TQzLzhArchive : public TQzFile {
 public:
  // Constructs and opens `aFile`; never fails because of the file: test FOpen.
  explicit TQzLzhArchive(const std::string& aFile);
  // An archive with nothing open (FOpen false).
  TQzLzhArchive();
  static std::unique_ptr<TQzLzhArchive> CreateFromFile(const std::string& aFile);
  // Opens a book held in memory (no independent reads); returns FOpen.
  bool OpenBookMemory(TBytes data);

  std::vector<std::u16string> FSystem;     // lines of "#SYSTEM"
  std::vector<std::u16string> FTopicList;  // lines of "#TOPICS"
  std::vector<std::u16string> FMaplist;    // lines of "#MAP"
  TBytes FIcon;                            // ".ico" bytes; empty without a valid icon
  bool FOpen = false;

 private:
  void LoadSystemEntries();
  void ReadLines(const char16_t* name, std::vector<std::u16string>& lines);
};

// True when `data` is a well-formed icon file (header and every image
// inside the data).
bool IsIconData(const TBytes& data);

}  // namespace bookloom
