// Identify strings: widening of raw ATA/NVMe text fields and their trimming.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace hwscope {

// Widens `size` raw bytes one by one; the text ends at the first NUL.
std::wstring WidenField(const std::uint8_t* bytes, std::size_t size);
// Removes trailing blanks and NULs, then leading blanks.
std::wstring TrimText(const std::wstring& text);

// True when an ATA model field (40 bytes, raw) already reads in order, so
// the identify strings need no byte swap. `serial` is the 20-byte field.
bool IdentifyStringsInOrder(const std::uint8_t* model, const std::uint8_t* serial);

}  // namespace hwscope
