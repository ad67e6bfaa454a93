// Hidden area of a drive: the user maximum address, the native maximum
// (above it lies the host protected area) and the disk maximum of the
// device configuration overlay; their sizes, and the change of them.
// Plain C++ over the library's exports.
#pragma once

#include <cstdint>
#include <string>

#include "common/spindlewatch_keys.h"

namespace ui {

struct HiddenAreaState {
  bool haveUser = false, haveNative = false, haveDisk = false;
  std::uint64_t user = 0;    // user-addressable sectors - 1
  std::uint64_t native = 0;  // native maximum address
  std::uint64_t disk = 0;    // overlay maximum address
  unsigned bytesPerSector = 0;
  std::uint64_t userSectors = 0;
};

HiddenAreaState ReadHiddenArea(int device);

// Bytes as "%.0f Bytes", or divided by 1024 up to four times with KB, MB,
// GB, TB and two, one or no decimals by size.
std::wstring SizeText(double bytes);

// HPA size text ((native - user) sectors) and DCO size text ((disk -
// native) sectors); MISC_NA when a value is not known.
std::wstring HpaSizeText(const HiddenAreaState& s);
std::wstring DcoSizeText(const HiddenAreaState& s);

// Changes the drive to the requested addresses. Returns the key of the
// status text: HA_TAB_CHANGE_SUCCESS or the first failing step's error.
sw::AppKey ApplyHiddenArea(int device, std::uint64_t user, std::uint64_t native,
                           std::uint64_t disk);

// Reads a whole text as an unsigned 64-bit decimal number.
bool ParseAddress(const std::wstring& text, std::uint64_t* value);

}  // namespace ui
