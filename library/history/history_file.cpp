// Not built yet: every operation answers HWSCOPE_E_NOT_IMPLEMENTED.
#include "engine/smart_info.h"

namespace hwscope {

int CSMARTInfo::RecordTECData(int) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetTECDataSetCount(int*, int) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetTECDataAtIndex(long long*, int*, int*, unsigned long long*, int, int, int) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::ExportTECData(long long*, int*, int*, unsigned long long*, unsigned*, int, int) { return HWSCOPE_E_NOT_IMPLEMENTED; }

}  // namespace hwscope
