// Not built yet: every operation answers HWSCOPE_E_NOT_IMPLEMENTED.
#include "engine/smart_info.h"

namespace hwscope {

int CSMARTInfo::BuildDrivesInfo(int) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::IsValidPhysicalDevice(int) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::IsValidSmartDevice(int) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::FindDriveRow(int) const { return -1; }
int CSMARTInfo::GetDeviceIDFromDriveNum(unsigned) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetDriveLetterFromDriveNum(wchar_t*, int) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetVolumeCapacity(int*, int) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetDevicePartitionInfo(int*, int*, int) { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetNumDetectedDrives() { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetPhysicalDeviceIDFirst() { return HWSCOPE_E_NOT_IMPLEMENTED; }
int CSMARTInfo::GetPhysicalDeviceIDNext() { return HWSCOPE_E_NOT_IMPLEMENTED; }

}  // namespace hwscope
