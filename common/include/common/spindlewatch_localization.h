// The application's string table (localization.txt) and its process-wide
// instance.
#pragma once

#include <cstddef>

#include "common/localization.h"
#include "common/spindlewatch_keys.h"

namespace sw {

class SpindlewatchLocalization : public common::Localization {
 public:
  SpindlewatchLocalization() : Localization(kAppKeyCount, kAppKeyTable, 0) {}

 protected:
  void OnLoaded() override {}
};

inline constexpr std::size_t kLocCopySize = 256;

// Replaces the process-wide table with one loaded from `path` (nullptr:
// "localization.txt" in the current folder). Returns the load result: -1
// when complete, else the line number to report (0: file not opened).
int CreateLocalization(const wchar_t* path);
// The text of a key, creating the table first when there is none; null
// when the text is not available.
const wchar_t* GetLocString(int index);
// GetLocString copied into `buffer` of kLocCopySize characters; an empty
// text when not available.
void CopyLocString(int index, wchar_t* buffer);
const wchar_t* GetLocError();
void DestroyLocalization();

}  // namespace sw
