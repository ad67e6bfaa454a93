// Steps the three USB-to-ATA bridge transports share.
#pragma once

#include <cstdint>

#include "transport/scsi_request.h"

namespace hwscope::transport {

// The opening of a bridge command: logs "Enter <name>", builds the canned
// registers of `command` for the 64-bit address in *c, and logs the exit
// line "(command 0x.. not supported)" and returns false when the bridge
// cannot carry it (an unknown command, or a 48-bit one when `allow48` is off).
bool StartCannedCommand(const char* name, std::uint8_t command, std::uint8_t subValue,
                        std::uint32_t addressLow, std::uint32_t addressHigh, bool allow48,
                        CannedAta* c);

// Reads the bridge's task-file reply (CDB `cdb`, `length` bytes) and fills
// the return-register block. `name` is the transport's name for the exit
// lines "(3)" (device control) and "(4)" (SCSI status). `layout` picks the
// register positions: 8-byte Cypress/Sunplus replies or 16-byte JMicron
// bridge memory. *ataError is set when the status register has ERR set.
enum class TaskFileLayout { kEightBytes, kJMicronMemory };
bool ReadBridgeTaskFile(platform::Handle device, const char* name, const std::uint8_t* cdb,
                        std::uint8_t cdbLength, std::uint32_t length, TaskFileLayout layout,
                        void* returnRegs, std::uint32_t* returnRegsSize, bool* ataError);

// The end of a bridge command: with a return-register block, reads the
// task file (CDB `taskFileCdb`) into it and fails (exit line "(5)") when the
// command's SCSI status or the returned ATA status shows an error. Logs the
// exit line and returns 1 or 0.
int FinishBridgeCommand(platform::Handle device, const char* name, const std::uint8_t* taskFileCdb,
                        std::uint8_t cdbLength, std::uint32_t length, TaskFileLayout layout,
                        std::uint8_t status, void* returnRegs, std::uint32_t* returnRegsSize);

// The JMicron port probe: reads bridge register 0x720F. Returns false (with
// the exit line of `name`) when the bridge does not answer.
bool ProbeJMicronPort(platform::Handle device, const char* name, bool* secondPort);

}  // namespace hwscope::transport
