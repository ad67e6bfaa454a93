// Mapping of one drive letter to the physical disks that hold its volume.
#pragma once

#include <memory>

#include "acquisition/bounded_worker.h"
#include "platform/platform.h"

namespace hwscope {

inline constexpr int kMappingCapacity = 100;
inline constexpr int kMoreData = 234;  // ERROR_MORE_DATA: the volume has more extents

// The mapping record of one letter, shared by the building thread and the
// worker that fills it.
struct VolumeMapping {
  WorkerGate gate;
  std::shared_ptr<platform::Platform> platform;
  wchar_t letter = 0;
  int extentCount = kMappingCapacity;  // in: capacity; out: extents of the volume
  int diskNumbers[kMappingCapacity] = {};
  int result = -1;
};

// The worker: opens "\\.\X:", checks for a medium and reads the volume's
// disk extents into the record.
void GetPhysicalDeviceIDThread(VolumeMapping& record);

}  // namespace hwscope
