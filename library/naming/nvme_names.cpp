#include "naming/nvme_names.h"

#include <cwchar>
#include <string>

#include "hwscope/hwscope.h"
#include "strings/string_table.h"

namespace hwscope {

int NvmeAttributeName(int position, wchar_t* name, unsigned* nameLen) {
  using namespace strings;
  static constexpr HwKey kKeys[] = {
      SMART_ATTR_CRITICAL_WARNING,     SMART_ATTR_TEMPERATURE,
      SMART_ATTR_AVAIL_SPARE,          SMART_ATTR_AVAIL_SPARE_THRESHOLD,
      SMART_ATTR_PERCENTAGE_LIFETIME_USED, SMART_ATTR_DATA_UNITS_READ,
      SMART_ATTR_DATA_UNITS_WRITTEN,   SMART_ATTR_HOST_READ_CMDS,
      SMART_ATTR_HOST_WRITE_CMDS,      SMART_ATTR_CTRL_BUSY_TIME,
      SMART_ATTR_POWER_CYCLE_COUNT,    SMART_ATTR_POWER_ON_TIME,
      SMART_ATTR_UNSAFE_SHUTDOWN_COUNT, SMART_ATTR_MEDIA_ERRORS,
      SMART_ATTR_NUM_ERR_LOG_ENTRIES,
  };
  const int key = position >= 0 && position < 15 ? kKeys[position] : SMART_ATTR_UNKNOWN_ATTRIBUTE;
  const std::wstring text = TextCopy(key);
  if (name == nullptr || nameLen == nullptr || text.size() + 1 > *nameLen) return HWSCOPE_E_BUFFER;
  const std::size_t n = text.size() < 127 ? text.size() : 127;
  std::wmemcpy(name, text.c_str(), n);
  name[n] = L'\0';
  *nameLen = static_cast<unsigned>(n);
  return text == TextCopy(SMART_ATTR_UNKNOWN_ATTRIBUTE) ? HWSCOPE_E_UNKNOWN_ATTRIBUTE : 0;
}

}  // namespace hwscope
