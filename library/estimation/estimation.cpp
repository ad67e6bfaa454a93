// Not built yet: every operation answers HWSCOPE_E_NOT_IMPLEMENTED.
#include "engine/smart_info.h"

namespace hwscope {

int CSMARTInfo::EstimateTECByAttributeID(long long*, long long*, int, int) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::EstimateTEC(long long*, long long*, int*, int) { return HWSCOPE_E_NOT_IMPLEMENTED; }

}  // namespace hwscope
