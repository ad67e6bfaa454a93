// Not built yet: every operation answers HWSCOPE_E_NOT_IMPLEMENTED.
#include "engine/smart_info.h"

namespace hwscope {

int CSMARTInfo::ExecuteSelfTest(int, int) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetMaxLBA(int, unsigned*) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetMax28bitLBA(int, unsigned*) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::SetMaxLBA(int, unsigned, unsigned) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetDCOMaxLBA(int, unsigned*) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::SetDCOMaxLBA(int, unsigned, unsigned) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::RestoreDCO(int) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::ReadSectors(int, unsigned, unsigned, int, void*) { return HWSCOPE_E_NOT_IMPLEMENTED; }

}  // namespace hwscope
