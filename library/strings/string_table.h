// The library's own string table (Hwscope_localization.txt beside the
// program), created on first use, released by HwscopeDll_Cleanup.
#pragma once

#include <cstddef>
#include <string>

#include "strings/hwscope_keys.h"

namespace hwscope::strings {

// Loads the table from `path` (nullptr: the program's folder). Returns the
// load result, which lookups ignore.
int Create(const wchar_t* path);
// The text of a key, never null; empty when not loaded. Valid until the
// next Create or Release: callers copy what they keep.
const wchar_t* Text(int index);
std::wstring TextCopy(int index);
// Copies into buf of `size` characters, cut to size-1 and terminated.
void CopyText(int index, wchar_t* buf, std::size_t size);
void Release();

}  // namespace hwscope::strings
