#include "transport/bridge_common.h"

#include "frame/log.h"

namespace hwscope::transport {

bool StartCannedCommand(const char* name, std::uint8_t command, std::uint8_t subValue,
                        std::uint32_t addressLow, std::uint32_t addressHigh, bool allow48,
                        CannedAta* c) {
  Logf("Enter %s", name);
  const std::uint64_t address = (static_cast<std::uint64_t>(addressHigh) << 32) | addressLow;
  if (!CannedRegisters(command, subValue, address, false, c) || (!allow48 && c->ext)) {
    Logf("Exit %s (command 0x%02X not supported)", name, command);
    return false;
  }
  return true;
}
namespace w = platform::wire;

bool ReadBridgeTaskFile(platform::Handle device, const char* name, const std::uint8_t* cdb,
                        std::uint8_t cdbLength, std::uint32_t length, TaskFileLayout layout,
                        void* returnRegs, std::uint32_t* returnRegsSize, bool* ataError) {
  std::uint8_t tf[16] = {};
  const ScsiExchange x =
      SendScsi(device, kSptLongSense, 1, cdb, cdbLength, w::kScsiDataIn, tf, length, 1);
  if (!x.ok) {
    Logf("Exit %s (3)", name);
    return false;
  }
  if (x.scsiStatus != 0) {
    Logf("Exit %s (4)", name);
    return false;
  }
  std::uint8_t error, count, low, mid, high, dev, status;
  if (layout == TaskFileLayout::kEightBytes) {
    error = tf[1];
    count = tf[2];
    low = tf[3];
    mid = tf[4];
    high = tf[5];
    dev = tf[6];
    status = tf[7];
  } else {
    error = tf[13];
    count = tf[0];
    low = tf[6];
    mid = tf[4];
    high = tf[10];
    dev = tf[9];
    status = tf[14];
  }
  FillReturnRegisters(returnRegs, returnRegsSize, error, count, low, mid, high, dev, status);
  *ataError = (status & 0x01) != 0;
  return true;
}

int FinishBridgeCommand(platform::Handle device, const char* name, const std::uint8_t* taskFileCdb,
                        std::uint8_t cdbLength, std::uint32_t length, TaskFileLayout layout,
                        std::uint8_t status, void* returnRegs, std::uint32_t* returnRegsSize) {
  if (returnRegs != nullptr) {
    bool ataError = false;
    if (!ReadBridgeTaskFile(device, name, taskFileCdb, cdbLength, length, layout, returnRegs,
                            returnRegsSize, &ataError))
      return 0;
    if (status != 0 || ataError) {
      Logf("Exit %s (5)", name);
      return 0;
    }
  }
  Logf("Exit %s", name);
  return 1;
}

bool ProbeJMicronPort(platform::Handle device, const char* name, bool* secondPort) {
  const std::uint8_t cdb[12] = {0xDF, 0x10, 0x00, 0x00, 0x01, 0x00, 0x72, 0x0F, 0x00, 0x00, 0x00, 0xFD};
  std::uint8_t value = 0;
  const ScsiExchange x = SendScsi(device, kSptLongSense, 1, cdb, 12, w::kScsiDataIn, &value, 1, 1);
  if (!x.ok) {
    Logf("Exit %s (1)", name);
    return false;
  }
  if (x.scsiStatus != 0) {
    Logf("Exit %s (2)", name);
    return false;
  }
  *secondPort = (value & 0x44) == 0x40;
  return true;
}

}  // namespace hwscope::transport
