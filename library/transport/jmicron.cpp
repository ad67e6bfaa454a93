// JMicron USB-to-ATA bridges: the 0xDF vendor command, the port register
// 0x720F that tells which of the two ports holds the drive, and the task
// file in bridge memory (page 0x80 or 0x90).
#include <cstring>

#include "frame/log.h"
#include "transport/bridge_common.h"
#include "transport/transport.h"

namespace hwscope {
using namespace transport;
namespace w = platform::wire;

namespace {

constexpr const char* kName = "DoScsiPassthroughCmd_jmicron";
constexpr const char* kDirectName = "DoScsiPassthroughDirectCmd_jmicron";

void JMicronCdb(std::uint8_t* cdb, bool dataIn, std::uint32_t length, const std::uint8_t regs[7]) {
  std::memset(cdb, 0, 12);
  cdb[0] = 0xDF;
  cdb[1] = dataIn ? 0x10 : 0x00;
  cdb[3] = static_cast<std::uint8_t>(length >> 8);
  cdb[4] = static_cast<std::uint8_t>(length);
  std::memcpy(cdb + 5, regs, 7);
}

int Finish(platform::Handle device, const char* name, std::uint8_t page, std::uint8_t status,
           void* returnRegs, std::uint32_t* returnRegsSize) {
  const std::uint8_t cdb[12] = {0xDF, 0x10, 0x00, 0x00, 0x10, 0x00, page, 0x00, 0x00, 0x00, 0x00, 0xFD};
  return FinishBridgeCommand(device, name, cdb, 12, 16, TaskFileLayout::kJMicronMemory, status,
                             returnRegs, returnRegsSize);
}

}  // namespace

int DoScsiPassthroughCmd_jmicron(platform::Handle device, std::uint8_t command,
                                 std::uint8_t subValue, std::uint32_t addressLow,
                                 std::uint32_t addressHigh, void* data, std::uint32_t* dataSize,
                                 void* returnRegs, std::uint32_t* returnRegsSize) {
  CannedAta c;
  if (!StartCannedCommand(kName, command, subValue, addressLow, addressHigh, true, &c))
    return 0;
  bool second = false;
  if (!ProbeJMicronPort(device, kName, &second)) return 0;
  const std::uint8_t select = second ? 0xB0 : 0xA0;
  const std::uint8_t page = second ? 0x90 : 0x80;
  std::uint8_t dev = select;
  if (command == 0xF8 || command == 0x27 || command == 0x37)
    dev = select | 0x40;
  else if (command == 0xF9)
    dev = static_cast<std::uint8_t>(select | (0x40 + ((addressLow >> 24) & 0x0F)));
  // 48-bit commands travel in 28-bit form: only address bytes a0-a2.
  const std::uint8_t regs[7] = {c.features, c.count, c.lbaLow, c.lbaMid, c.lbaHigh, dev, c.command};
  const std::uint32_t length = c.data == AtaData::kNone ? 0 : 512;
  const bool in = c.data != AtaData::kOut;
  std::uint8_t cdb[12];
  JMicronCdb(cdb, c.data == AtaData::kIn, length, regs);
  std::uint8_t buffer[512] = {};
  if (c.data == AtaData::kOut && data) std::memcpy(buffer, data, 512);
  const ScsiExchange x = SendScsi(device, kSptLongSense, 1, cdb, 12,
                                  in ? w::kScsiDataIn : w::kScsiDataOut, buffer, length, 1);
  if (!x.ok || (returnRegs == nullptr && x.scsiStatus != 0)) return 0;
  if (c.data == AtaData::kIn && data)
    CopySector(data, dataSize, buffer);
  else if (dataSize)
    *dataSize = 0;
  return Finish(device, kName, page, x.scsiStatus, returnRegs, returnRegsSize);
}

int DoScsiPassthroughDirectCmd_jmicron(platform::Handle device, std::uint8_t command,
                                       std::uint32_t addressLow, std::uint32_t addressHigh,
                                       void* buffer, std::uint32_t size, void* returnRegs,
                                       std::uint32_t* returnRegsSize) {
  Logf("Enter %s", kDirectName);
  if (command != 0xC8 || addressHigh != 0 || addressLow > 0x0FFFFFFF || size == 0 || size % 512 ||
      size / 512 > 256 || size > 0xFFFF) {
    Logf("Exit %s (command 0x%02X not supported)", kDirectName, command);
    return 0;
  }
  bool second = false;
  if (!ProbeJMicronPort(device, kDirectName, &second)) return 0;
  const std::uint8_t select = second ? 0xB0 : 0xA0;
  const std::uint8_t regs[7] = {0x00,
                                static_cast<std::uint8_t>(size / 512),
                                static_cast<std::uint8_t>(addressLow),
                                static_cast<std::uint8_t>(addressLow >> 8),
                                static_cast<std::uint8_t>(addressLow >> 16),
                                static_cast<std::uint8_t>(select | (0x40 + ((addressLow >> 24) & 0x0F))),
                                0xC8};
  std::uint8_t cdb[12];
  JMicronCdb(cdb, true, size, regs);
  const ScsiExchange x = SendScsiDirect(device, 1, cdb, 12, w::kScsiDataIn, buffer, size, 1);
  if (!x.ok || (returnRegs == nullptr && x.scsiStatus != 0)) return 0;
  return Finish(device, kDirectName, second ? 0x90 : 0x80, x.scsiStatus, returnRegs, returnRegsSize);
}

}  // namespace hwscope
