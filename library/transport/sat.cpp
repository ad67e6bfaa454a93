// SCSI/ATA translation: ATA PASS-THROUGH (12) and (16).
#include <cstring>

#include "frame/log.h"
#include "transport/scsi_request.h"
#include "transport/transport.h"

namespace hwscope {
using namespace transport;
namespace w = platform::wire;

namespace {

// The end of a SAT command: the sense bytes go to the return-register
// block; a CHECK CONDITION whose sense shows an ATA error fails even then.
int FinishSat(const char* name, const ScsiExchange& x, void* returnRegs,
              std::uint32_t* returnRegsSize) {
  CopyReturnRegisters(returnRegs, returnRegsSize, x.sense);
  if (x.scsiStatus != 0 && ReturnRegistersShowError(x.sense)) {
    Logf("Exit %s (3)", name);
    return 0;
  }
  Logf("Exit %s", name);
  return 1;
}

}  // namespace

int DoScsiPassthroughCmd(platform::Handle device, std::uint8_t command, std::uint8_t subValue,
                         std::uint32_t addressLow, std::uint32_t addressHigh, void* data,
                         std::uint32_t* dataSize, void* returnRegs, std::uint32_t* returnRegsSize) {
  Logf("Enter DoScsiPassthroughCmd");
  const std::uint64_t address = (static_cast<std::uint64_t>(addressHigh) << 32) | addressLow;
  CannedAta c;
  if (!CannedRegisters(command, subValue, address, true, &c)) {
    Logf("Exit DoScsiPassthroughCmd (unknown command 0x%02X)", command);
    return 0;
  }
  const bool checkCondition = returnRegs != nullptr;
  int protocol = 3, tLength = 0;
  bool fromDevice = true;
  if (c.data == AtaData::kIn) {
    protocol = 4;
    tLength = 2;
  } else if (c.data == AtaData::kOut) {
    protocol = 5;
    tLength = 2;
    fromDevice = false;
    // The transfer length field points at the count register: a count of 0
    // would tell the translator there is no data phase for the 512 bytes.
    c.count = 1;
  }
  std::uint8_t cdb[16] = {};
  const std::uint8_t byte2 = static_cast<std::uint8_t>((checkCondition ? 32 : 0) + (fromDevice ? 8 : 0) + 4 + tLength);
  std::uint8_t cdbLength = 12;
  if (c.ext) {
    cdbLength = 16;
    cdb[0] = 0x85;
    cdb[1] = static_cast<std::uint8_t>(protocol * 2 + 1);
    cdb[2] = byte2;
    cdb[4] = c.features;
    cdb[6] = c.count;
    if (command == 0x37) {
      const auto a = [&](int byte) { return static_cast<std::uint8_t>(address >> (8 * byte)); };
      cdb[7] = a(3);
      cdb[8] = a(0);
      cdb[9] = a(4);
      cdb[10] = a(1);
      cdb[11] = a(5);
      cdb[12] = a(2);
    }
    cdb[13] = c.device;
    cdb[14] = c.command;
  } else {
    cdb[0] = 0xA1;
    cdb[1] = static_cast<std::uint8_t>(protocol * 2);
    cdb[2] = byte2;
    const std::uint8_t regs[7] = {c.features, c.count, c.lbaLow, c.lbaMid, c.lbaHigh, c.device, c.command};
    std::memcpy(cdb + 3, regs, 7);
  }
  const bool dataOut = command == 0xD6 || command == 0xD7 || command == 0xC3 || command == 0xC0 ||
                       command == 0xF9 || command == 0x37;
  const std::uint32_t length = c.data == AtaData::kNone ? 0 : 512;
  std::uint8_t buffer[512] = {};
  if (c.data == AtaData::kOut && data) std::memcpy(buffer, data, 512);
  const ScsiExchange x = SendScsi(device, kSptLongSense, 1, cdb, cdbLength,
                                  dataOut ? w::kScsiDataOut : w::kScsiDataIn, buffer, length, 1);
  if (!x.ok) {
    Logf("Exit DoScsiPassthroughCmd (1) (Err=%d)", static_cast<int>(x.error));
    return 0;
  }
  if (!checkCondition && x.scsiStatus != 0) {
    Logf("Exit DoScsiPassthroughCmd (2)");
    return 0;
  }
  if (c.data == AtaData::kIn && length > 0 && data)
    CopySector(data, dataSize, buffer);
  else if (dataSize)
    *dataSize = 0;
  return FinishSat("DoScsiPassthroughCmd", x, returnRegs, returnRegsSize);
}

int DoScsiPassthroughDirectCmd(platform::Handle device, std::uint8_t command,
                               std::uint32_t addressLow, std::uint32_t addressHigh, void* buffer,
                               std::uint32_t size, void* returnRegs,
                               std::uint32_t* returnRegsSize) {
  Logf("Enter DoScsiPassthroughDirectCmd");
  const std::uint64_t address = (static_cast<std::uint64_t>(addressHigh) << 32) | addressLow;
  const std::uint32_t sectors = size / 512;
  const bool ext = command == 0x24 || command == 0x25;
  if ((!ext && command != 0xC8) || size == 0 || size % 512 || sectors > (ext ? 65535u : 255u) ||
      (!ext && address > 0x0FFFFFFF)) {
    Logf("Exit DoScsiPassthroughDirectCmd (command 0x%02X not supported)", command);
    return 0;
  }
  const bool checkCondition = returnRegs != nullptr;
  const std::uint8_t byte2 = static_cast<std::uint8_t>((checkCondition ? 32 : 0) + 8 + 4 + 2);
  const auto a = [&](int byte) { return static_cast<std::uint8_t>(address >> (8 * byte)); };
  std::uint8_t cdb[16] = {};
  std::uint8_t cdbLength = 16;
  if (ext) {
    cdb[0] = 0x85;
    cdb[1] = 4 * 2 + 1;
    cdb[2] = byte2;
    cdb[5] = static_cast<std::uint8_t>(sectors >> 8);
    cdb[6] = static_cast<std::uint8_t>(sectors);
    cdb[7] = a(3);
    cdb[8] = a(0);
    cdb[9] = a(4);
    cdb[10] = a(1);
    cdb[11] = a(5);
    cdb[12] = a(2);
    cdb[13] = 0xE0;
    cdb[14] = command;
  } else {
    cdbLength = 12;
    cdb[0] = 0xA1;
    cdb[1] = 4 * 2;
    cdb[2] = byte2;
    cdb[4] = static_cast<std::uint8_t>(sectors);
    cdb[5] = a(0);
    cdb[6] = a(1);
    cdb[7] = a(2);
    cdb[8] = static_cast<std::uint8_t>(0xE0 + (a(3) & 0x0F));
    cdb[9] = command;
  }
  const ScsiExchange x = SendScsiDirect(device, 1, cdb, cdbLength, w::kScsiDataIn, buffer, size, 1);
  if (!x.ok) {
    Logf("Exit DoScsiPassthroughDirectCmd (1) (Err=%d)", static_cast<int>(x.error));
    return 0;
  }
  if (!checkCondition && x.scsiStatus != 0) {
    Logf("Exit DoScsiPassthroughDirectCmd (2)");
    return 0;
  }
  return FinishSat("DoScsiPassthroughDirectCmd", x, returnRegs, returnRegsSize);
}

}  // namespace hwscope
