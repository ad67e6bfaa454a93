// Opening a physical disk and reading its SMART data over the transport
// found for it. Both work on handles and caller buffers only, so an
// acquisition worker can use them without touching the engine.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace hwscope {

// Opens "\\.\PhysicalDrive%d" into *handle unless it already holds one.
// 0 on success, -1002 when the device cannot be opened.
int OpenPhysicalDevice(platform::Platform& os, int device, bool logFailure,
                       platform::Handle* handle);

// Reads 512 bytes of SMART data (ATA) or the health log (NVMe) into `data`
// and, for ATA, 512 bytes of thresholds into `thresholds`, over the
// transport of the bus and bridge type. 1 on success, 0 on failure.
int ReadSMARTData(platform::Handle handle, int busType, int bridgeType, int device,
                  std::uint8_t* data, std::uint8_t* thresholds);

}  // namespace hwscope
