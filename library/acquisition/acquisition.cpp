// Not built yet: every operation answers HWSCOPE_E_NOT_IMPLEMENTED.
#include "engine/smart_info.h"

namespace hwscope {

void CSMARTInfo::InitVars() {}
int CSMARTInfo::AcquireAll() { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::RefreshSmartAttributes(int) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetNumSmartDevices() { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetSmartDeviceIDFirst() { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetSmartDeviceIDNext() { return HWSCOPE_E_NOT_IMPLEMENTED; }

}  // namespace hwscope
