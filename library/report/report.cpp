// Not built yet: every operation answers HWSCOPE_E_NOT_IMPLEMENTED.
#include "engine/smart_info.h"

namespace hwscope {

int CSMARTInfo::ExportReport(const wchar_t*, int, const wchar_t*, int, int, int) { return HWSCOPE_E_NOT_IMPLEMENTED; }

}  // namespace hwscope
