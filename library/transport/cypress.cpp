// Cypress USB-to-ATA bridges: the ATACB vendor command (0x24 0x24) and its
// task-file read.
#include <cstring>

#include "frame/log.h"
#include "transport/bridge_common.h"
#include "transport/transport.h"

namespace hwscope {
using namespace transport;
namespace w = platform::wire;

namespace {

constexpr const char* kName = "DoScsiPassthroughCmd_cypress";
constexpr const char* kDirectName = "DoScsiPassthroughDirectCmd_cypress";

void AtacbCdb(std::uint8_t* cdb, std::uint8_t action, const std::uint8_t regs[7]) {
  std::memset(cdb, 0, 16);
  cdb[0] = 0x24;
  cdb[1] = 0x24;
  cdb[2] = action;
  cdb[3] = 0xFE;  // registers to write
  cdb[4] = 0x01;  // transfer block count
  std::memcpy(cdb + 6, regs, 7);
}

// After the command: the task file when a return-register block is wanted.
int Finish(platform::Handle device, const char* name, const std::uint8_t* cdb, std::uint8_t status,
           void* returnRegs, std::uint32_t* returnRegsSize) {
  std::uint8_t readCdb[16];
  std::memcpy(readCdb, cdb, 16);
  readCdb[2] = 0x01;  // task-file read
  return FinishBridgeCommand(device, name, readCdb, 16, 8, TaskFileLayout::kEightBytes, status,
                             returnRegs, returnRegsSize);
}

}  // namespace

int DoScsiPassthroughCmd_cypress(platform::Handle device, std::uint8_t command,
                                 std::uint8_t subValue, std::uint32_t addressLow,
                                 std::uint32_t addressHigh, void* data, std::uint32_t* dataSize,
                                 void* returnRegs, std::uint32_t* returnRegsSize) {
  CannedAta c;
  if (!StartCannedCommand(kName, command, subValue, addressLow, addressHigh, false, &c))
    return 0;
  const std::uint8_t regs[7] = {c.features, c.count, c.lbaLow, c.lbaMid, c.lbaHigh, c.device, c.command};
  std::uint8_t cdb[16];
  AtacbCdb(cdb, command == 0xEC ? 0x80 : 0x00, regs);
  const bool dataOut = command == 0xC3 || command == 0xD6 || command == 0xD7 || command == 0xC0 ||
                       command == 0xF9;
  const std::uint32_t length = c.data == AtaData::kNone ? 0 : 512;
  std::uint8_t buffer[512] = {};
  if (c.data == AtaData::kOut && data) std::memcpy(buffer, data, 512);
  const ScsiExchange x = SendScsi(device, kSptLongSense, 1, cdb, 16,
                                  dataOut ? w::kScsiDataOut : w::kScsiDataIn, buffer, length, 1);
  if (!x.ok) {
    Logf("Exit %s (1)", kName);
    return 0;
  }
  if (returnRegs == nullptr && x.scsiStatus != 0) {
    Logf("Exit %s (2)", kName);
    return 0;
  }
  if (c.data == AtaData::kIn && data)
    CopySector(data, dataSize, buffer);
  else if (dataSize)
    *dataSize = 0;
  return Finish(device, kName, cdb, x.scsiStatus, returnRegs, returnRegsSize);
}

int DoScsiPassthroughDirectCmd_cypress(platform::Handle device, std::uint8_t command,
                                       std::uint32_t addressLow, std::uint32_t addressHigh,
                                       void* buffer, std::uint32_t size, void* returnRegs,
                                       std::uint32_t* returnRegsSize) {
  Logf("Enter %s", kDirectName);
  if (command != 0xC8 || addressHigh != 0 || addressLow > 0x0FFFFFFF || size == 0 || size % 512 ||
      size / 512 > 256) {
    Logf("Exit %s (command 0x%02X not supported)", kDirectName, command);
    return 0;
  }
  const std::uint8_t regs[7] = {0x00,
                                static_cast<std::uint8_t>(size / 512),
                                static_cast<std::uint8_t>(addressLow),
                                static_cast<std::uint8_t>(addressLow >> 8),
                                static_cast<std::uint8_t>(addressLow >> 16),
                                static_cast<std::uint8_t>(0xE0 + ((addressLow >> 24) & 0x0F)),
                                0xC8};
  std::uint8_t cdb[16];
  AtacbCdb(cdb, 0x00, regs);
  const ScsiExchange x = SendScsiDirect(device, 1, cdb, 16, w::kScsiDataIn, buffer, size, 1);
  if (!x.ok) {
    Logf("Exit %s (1)", kDirectName);
    return 0;
  }
  if (returnRegs == nullptr && x.scsiStatus != 0) {
    Logf("Exit %s (2)", kDirectName);
    return 0;
  }
  return Finish(device, kDirectName, cdb, x.scsiStatus, returnRegs, returnRegsSize);
}

}  // namespace hwscope
