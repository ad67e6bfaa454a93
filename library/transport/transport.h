// Every way the library reaches a drive. Each function builds its request
// bytes itself, sends them as device control calls on an open handle, tests
// the reply and returns 1 (success) or 0 (failure); none keeps state.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/wire.h"

namespace hwscope {

// ---- ATA-side transports (bridge types 1 to 4) -----------------------------
// command: ATA command code, or the feature code for SMART (0xD0..0xDA) and
// configuration overlay (0xC0, 0xC2, 0xC3) commands. subValue: the off-line
// immediate subcommand of 0xD4. addressLow/High: the 64-bit address of 0xF9
// and 0x37. data: 512 bytes (source of data-out, destination of data-in).
// dataSize: in capacity, out 0 when nothing was returned (may be null).
// returnRegs: 32-byte descriptor-format sense block with the ATA status
// return descriptor (may be null); returnRegsSize: in capacity, out 0 when
// it was not filled.
int DoScsiPassthroughCmd(platform::Handle device, std::uint8_t command, std::uint8_t subValue,
                         std::uint32_t addressLow, std::uint32_t addressHigh, void* data,
                         std::uint32_t* dataSize, void* returnRegs, std::uint32_t* returnRegsSize);
int DoScsiPassthroughCmd_cypress(platform::Handle device, std::uint8_t command,
                                 std::uint8_t subValue, std::uint32_t addressLow,
                                 std::uint32_t addressHigh, void* data, std::uint32_t* dataSize,
                                 void* returnRegs, std::uint32_t* returnRegsSize);
int DoScsiPassthroughCmd_jmicron(platform::Handle device, std::uint8_t command,
                                 std::uint8_t subValue, std::uint32_t addressLow,
                                 std::uint32_t addressHigh, void* data, std::uint32_t* dataSize,
                                 void* returnRegs, std::uint32_t* returnRegsSize);
int DoScsiPassthroughCmd_sunplus(platform::Handle device, std::uint8_t command,
                                 std::uint8_t subValue, std::uint32_t addressLow,
                                 std::uint32_t addressHigh, void* data, std::uint32_t* dataSize,
                                 void* returnRegs, std::uint32_t* returnRegsSize);

// Sector reads with the caller's buffer (SCSI pass-through direct). size is
// the byte length to read (a multiple of 512); command per bridge: SAT 0x24,
// 0x25, 0xC8; Cypress and JMicron 0xC8; Sunplus 0x20, 0xC8, 0x24, 0x25.
int DoScsiPassthroughDirectCmd(platform::Handle device, std::uint8_t command,
                               std::uint32_t addressLow, std::uint32_t addressHigh, void* buffer,
                               std::uint32_t size, void* returnRegs,
                               std::uint32_t* returnRegsSize);
int DoScsiPassthroughDirectCmd_cypress(platform::Handle device, std::uint8_t command,
                                       std::uint32_t addressLow, std::uint32_t addressHigh,
                                       void* buffer, std::uint32_t size, void* returnRegs,
                                       std::uint32_t* returnRegsSize);
int DoScsiPassthroughDirectCmd_jmicron(platform::Handle device, std::uint8_t command,
                                       std::uint32_t addressLow, std::uint32_t addressHigh,
                                       void* buffer, std::uint32_t size, void* returnRegs,
                                       std::uint32_t* returnRegsSize);
int DoScsiPassthroughDirectCmd_sunplus(platform::Handle device, std::uint8_t command,
                                       std::uint32_t addressLow, std::uint32_t addressHigh,
                                       void* buffer, std::uint32_t size, void* returnRegs,
                                       std::uint32_t* returnRegsSize);

// ---- NVMe-side transports (bridge types 5 to 11) ---------------------------
// command: 0xD0 SMART / Health Information log (512 bytes) or 0xEC Identify
// Controller (first 512 of 4096 bytes). dataSize: in bytes wanted, out 0
// when nothing was copied. The miniport and storage query forms find the
// adapter of the disk handle themselves.
inline constexpr std::uint8_t kNvmeHealthLog = 0xD0;
inline constexpr std::uint8_t kNvmeIdentify = 0xEC;

int DoScsiPassthroughCmd_NVMeSamsung(platform::Handle device, std::uint8_t command, void* data,
                                     std::uint32_t* dataSize);
int DoScsiMiniportCmd_NVMeSamsung(platform::Handle device, std::uint8_t command, void* data,
                                  std::uint32_t* dataSize);
int DoScsiMiniportCmd_NVMeIntel(platform::Handle device, std::uint8_t command, void* data,
                                std::uint32_t* dataSize);
int DoStorageQueryCmd_NVMe(platform::Handle device, std::uint8_t command, void* data,
                           std::uint32_t* dataSize);
int DoScsiPassthroughCmd_NVMeJMicron(platform::Handle device, std::uint8_t command, void* data,
                                     std::uint32_t* dataSize);
int DoScsiPassthroughCmd_NVMeRealtek(platform::Handle device, std::uint8_t command, void* data,
                                     std::uint32_t* dataSize);
int DoScsiPassthroughCmd_NVMeASMedia(platform::Handle device, std::uint8_t command, void* data,
                                     std::uint32_t* dataSize);

// ---- native SMART requests (bridge type 0) ---------------------------------
// driveNumber: the device number (device register A0 even, B0 odd).
// reply: the whole 528-byte output (status block, then data at byte 16).
int DoGetSmartVersion(platform::Handle device, platform::wire::SmartVersionBlock* version,
                      std::uint32_t* bytesReturned);
int DoEnableSMART(platform::Handle device, std::uint8_t driveNumber);
int DoExecuteOfflineImmediate(platform::Handle device, std::uint8_t driveNumber,
                              std::uint8_t subcommand);
int DoIdentifyNative(platform::Handle device, std::uint8_t driveNumber,
                     platform::wire::SmartCommandOutput* reply, std::uint32_t* bytesReturned);
int DoReadSmartDataNative(platform::Handle device, std::uint8_t driveNumber,
                          platform::wire::SmartCommandOutput* reply,
                          std::uint32_t* bytesReturned);
int DoReadSmartThresholdsNative(platform::Handle device, std::uint8_t driveNumber,
                                platform::wire::SmartCommandOutput* reply,
                                std::uint32_t* bytesReturned);

// ---- ATA pass-through requests (native path of the drive commands) ---------
// Success needs the call to succeed and a zero error register afterwards.
// taskFiles (may be null) receives the previous and current task files the
// driver returned: the registers of the native max address reads.
struct AtaTaskFiles {
  platform::wire::AtaRegisters previous;
  platform::wire::AtaRegisters current;
};
int DoAtaDcoIdentify(platform::Handle device, void* data512);
int DoAtaDcoSet(platform::Handle device, const void* block512);
int DoAtaDcoRestore(platform::Handle device);
int DoAtaReadNativeMax(platform::Handle device, AtaTaskFiles* taskFiles);
int DoAtaReadNativeMaxExt(platform::Handle device, AtaTaskFiles* taskFiles);
int DoAtaSetMax(platform::Handle device, std::uint32_t address28);
int DoAtaSetMaxExt(platform::Handle device, std::uint64_t address48);
int DoAtaReadDmaExt(platform::Handle device, std::uint64_t address, void* buffer,
                    std::uint32_t length);

}  // namespace hwscope
