// Sunplus USB-to-ATA bridges: 0xF8 vendor commands (0x22 run a command,
// 0x23 load the upper register bytes, 0x21 read the task file).
#include <cstring>

#include "frame/log.h"
#include "transport/bridge_common.h"
#include "transport/transport.h"

namespace hwscope {
using namespace transport;
namespace w = platform::wire;

namespace {

constexpr const char* kName = "DoScsiPassthroughCmd_sunplus";
constexpr const char* kDirectName = "DoScsiPassthroughDirectCmd_sunplus";

// Loads count high and address bytes a3-a5 for the next 48-bit command.
bool LoadHighRegisters(platform::Handle device, const char* name, std::uint8_t countHigh,
                       std::uint64_t address, void* returnRegs) {
  const std::uint8_t cdb[12] = {0xF8, 0x00, 0x23, 0x00, 0x00, 0x00, countHigh,
                                static_cast<std::uint8_t>(address >> 24),
                                static_cast<std::uint8_t>(address >> 32),
                                static_cast<std::uint8_t>(address >> 40), 0x00, 0x00};
  const ScsiExchange x = SendScsi(device, kSptLongSense, 1, cdb, 12, w::kScsiDataIn, nullptr, 0, 1);
  if (!x.ok) {
    Logf("Exit %s (1)", name);
    return false;
  }
  if (returnRegs == nullptr && x.scsiStatus != 0) {
    Logf("Exit %s (2)", name);
    return false;
  }
  return true;
}

void SunplusCdb(std::uint8_t* cdb, std::uint8_t direction, std::uint32_t length,
                const std::uint8_t regs[7]) {
  std::memset(cdb, 0, 12);
  cdb[0] = 0xF8;
  cdb[2] = 0x22;
  cdb[3] = direction;
  cdb[4] = static_cast<std::uint8_t>(length / 512);
  std::memcpy(cdb + 5, regs, 7);
}

int Finish(platform::Handle device, const char* name, std::uint8_t status, void* returnRegs,
           std::uint32_t* returnRegsSize) {
  const std::uint8_t cdb[12] = {0xF8, 0x00, 0x21, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  return FinishBridgeCommand(device, name, cdb, 12, 8, TaskFileLayout::kEightBytes, status,
                             returnRegs, returnRegsSize);
}

}  // namespace

int DoScsiPassthroughCmd_sunplus(platform::Handle device, std::uint8_t command,
                                 std::uint8_t subValue, std::uint32_t addressLow,
                                 std::uint32_t addressHigh, void* data, std::uint32_t* dataSize,
                                 void* returnRegs, std::uint32_t* returnRegsSize) {
  CannedAta c;
  if (!StartCannedCommand(kName, command, subValue, addressLow, addressHigh, true, &c))
    return 0;
  std::uint8_t dev = 0xA0;
  if (command == 0xF8 || c.ext)
    dev = 0xE0;
  else if (command == 0xF9)
    dev = static_cast<std::uint8_t>(0xE0 + ((addressLow >> 24) & 0x0F));
  if (c.ext && !LoadHighRegisters(device, kName, 0, command == 0x37 ? (static_cast<std::uint64_t>(addressHigh) << 32) | addressLow : 0,
                                returnRegs))
    return 0;
  const std::uint8_t regs[7] = {c.features, c.count, c.lbaLow, c.lbaMid, c.lbaHigh, dev, c.command};
  const std::uint32_t length = c.data == AtaData::kNone ? 0 : 512;
  const std::uint8_t direction = c.data == AtaData::kIn ? 0x10 : c.data == AtaData::kOut ? 0x11 : 0x00;
  std::uint8_t cdb[12];
  SunplusCdb(cdb, direction, length, regs);
  std::uint8_t buffer[512] = {};
  if (c.data == AtaData::kOut && data) std::memcpy(buffer, data, 512);
  const ScsiExchange x =
      SendScsi(device, kSptLongSense, 1, cdb, 12,
               c.data == AtaData::kOut ? w::kScsiDataOut : w::kScsiDataIn, buffer, length, 1);
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
  return Finish(device, kName, x.scsiStatus, returnRegs, returnRegsSize);
}

int DoScsiPassthroughDirectCmd_sunplus(platform::Handle device, std::uint8_t command,
                                       std::uint32_t addressLow, std::uint32_t addressHigh,
                                       void* buffer, std::uint32_t size, void* returnRegs,
                                       std::uint32_t* returnRegsSize) {
  Logf("Enter %s", kDirectName);
  const bool ext = command == 0x24 || command == 0x25;
  const std::uint32_t sectors = size / 512;
  if ((!ext && command != 0x20 && command != 0xC8) || size == 0 || size % 512 || sectors > 255 ||
      (!ext && (addressHigh != 0 || addressLow > 0x0FFFFFFF))) {
    Logf("Exit %s (command 0x%02X not supported)", kDirectName, command);
    return 0;
  }
  const std::uint64_t address = (static_cast<std::uint64_t>(addressHigh) << 32) | addressLow;
  if (ext && !LoadHighRegisters(device, kDirectName, static_cast<std::uint8_t>(sectors >> 8),
                                address, returnRegs))
    return 0;
  const std::uint8_t regs[7] = {
      0x00,
      static_cast<std::uint8_t>(sectors),
      static_cast<std::uint8_t>(address),
      static_cast<std::uint8_t>(address >> 8),
      static_cast<std::uint8_t>(address >> 16),
      static_cast<std::uint8_t>(ext ? 0xE0 : 0xE0 + ((address >> 24) & 0x0F)),
      command};
  std::uint8_t cdb[12];
  SunplusCdb(cdb, 0x10, size, regs);
  const std::uint32_t timeout = (command == 0x20 || command == 0x24) ? 2 : 1;
  const ScsiExchange x = SendScsiDirect(device, 1, cdb, 12, w::kScsiDataIn, buffer, size, timeout);
  if (!x.ok) {
    Logf("Exit %s (1)", kDirectName);
    return 0;
  }
  if (returnRegs == nullptr && x.scsiStatus != 0) {
    Logf("Exit %s (2)", kDirectName);
    return 0;
  }
  return Finish(device, kDirectName, x.scsiStatus, returnRegs, returnRegsSize);
}

}  // namespace hwscope
