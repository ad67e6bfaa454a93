// Picking the transport function of a bridge type, and the bus types that
// decide which family of transports a device is probed with.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace hwscope {

// SCSI, 1394, USB, iSCSI and SAS: ATA or NVMe behind a bridge.
bool IsBridgedBus(int busType);
// The NVMe bus of the in-box driver.
bool IsNvmeBus(int busType);

// A canned ATA command over bridge types 1 to 4 (SAT, Cypress, JMicron,
// Sunplus). Any other bridge type answers 0 without a request.
int AtaBridgeCommand(int bridgeType, platform::Handle device, std::uint8_t command,
                     std::uint8_t subValue, std::uint32_t addressLow, std::uint32_t addressHigh,
                     void* data, std::uint32_t* dataSize, void* returnRegs,
                     std::uint32_t* returnRegsSize);

// An NVMe request (health log 0xD0 or identify 0xEC) over bridge types 5 to
// 11. Any other bridge type answers 0 without a request.
int NvmeBridgeCommand(int bridgeType, platform::Handle device, std::uint8_t command, void* data,
                      std::uint32_t* dataSize);

}  // namespace hwscope
