// Feeds arbitrary bytes to the string-file loader, as a small table and as
// the full library table, and looks every text up afterwards.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cwchar>

#include "common/localization.h"
#include "strings/hwscope_keys.h"

namespace {

const common::KeyEntry kKeys[] = {{"A", 0}, {"KEY_B", 1}, {"KEY_C", 2}};

void Exercise(common::Localization& loc, const uint8_t* data, size_t size) {
  std::FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!f) return;
  int result = loc.Load(f);
  std::fclose(f);
  if (result < -1) __builtin_trap();
  wchar_t buf[8];
  for (int i = -1; i <= loc.KeyCount(); ++i) {
    const wchar_t* text = loc.GetString(i);
    if (text && std::wcslen(text) > common::Localization::kMaxLine) __builtin_trap();
    loc.CopyString(i, buf, sizeof buf / sizeof buf[0]);
    if (std::wcslen(loc.GetLastErrorText()) >= common::Localization::kErrorTextSize) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;  // fmemopen refuses an empty buffer
  common::Localization small(3, kKeys, static_cast<int>(data[0] & 1));
  Exercise(small, data, size);
  common::Localization full(hwscope::strings::kHwKeyCount, hwscope::strings::kHwKeyTable, 0);
  Exercise(full, data, size);
  return 0;
}
