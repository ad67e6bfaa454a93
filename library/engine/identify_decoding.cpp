// Storing identify data: ATA IDENTIFY DEVICE with its strings put into
// reading order, and NVMe Identify Controller as it comes.
#include <cstring>

#include "engine/identify_text.h"
#include "engine/smart_info.h"
#include "frame/log.h"

namespace hwscope {
namespace {

constexpr int kSerialOffset = 20, kSerialSize = 20;
constexpr int kFirmwareOffset = 46, kFirmwareSize = 8;
constexpr int kModelOffset = 54, kModelSize = 40;

void SwapWordBytes(std::uint8_t* field, int size) {
  for (int i = 0; i + 1 < size; i += 2) {
    const std::uint8_t t = field[i];
    field[i] = field[i + 1];
    field[i + 1] = t;
  }
}

bool ValidSlots(int device, int row) {
  if (device >= 0 && device < kMaxDevices && row >= 0 && row < kMaxDriveRows) return true;
  Logf("SMART device out of range: %u %d", static_cast<unsigned>(device), row);
  return false;
}

}  // namespace

void CSMARTInfo::FormatIdInfo(const std::uint8_t* identify, int device, int row,
                              std::uint32_t enabledBitmap) {
  if (identify == nullptr || !ValidSlots(device, row)) return;
  drives[row].smartRow = row;
  if (device < 32 && (enabledBitmap >> device) & 1u) drives[row].smartCapable = 1;

  std::uint8_t* id = devices[device].identify;
  std::memcpy(id, identify, 512);
  if (LoggingOn())
    Logf("TempDbg: FormatIdInfo 1 - %.40s - %.20s - %.8s", reinterpret_cast<char*>(id + kModelOffset),
         reinterpret_cast<char*>(id + kSerialOffset), reinterpret_cast<char*>(id + kFirmwareOffset));

  if (IdentifyStringsInOrder(id + kModelOffset, id + kSerialOffset)) return;
  Logf("TempDbg: FormatIdInfo 2");
  SwapWordBytes(id + kSerialOffset, kSerialSize);
  SwapWordBytes(id + kFirmwareOffset, kFirmwareSize);
  SwapWordBytes(id + kModelOffset, kModelSize);
  if (LoggingOn())
    Logf("TempDbg: FormatIdInfo 3 - %.40s - %.20s - %.8s", reinterpret_cast<char*>(id + kModelOffset),
         reinterpret_cast<char*>(id + kSerialOffset), reinterpret_cast<char*>(id + kFirmwareOffset));
}

void CSMARTInfo::FormatNVMeIdInfo(const std::uint8_t* identify, int device, int row) {
  if (identify == nullptr || !ValidSlots(device, row)) return;
  drives[row].smartRow = row;
  std::uint8_t* id = devices[device].identify;
  std::memcpy(id, identify, 512);
  Logf("TempDbg: FormatNVMeIdInfo 1 - \"%.40s\" - \"%.20s\" - \"%.8s\"",
       reinterpret_cast<char*>(id + 24), reinterpret_cast<char*>(id + 4),
       reinterpret_cast<char*>(id + 64));
}

}  // namespace hwscope
