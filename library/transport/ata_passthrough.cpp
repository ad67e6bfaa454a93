// ATA pass-through requests of the disk driver: configuration overlay,
// native max address, set max address and READ DMA EXT.
#include <cstring>
#include <vector>

#include "frame/log.h"
#include "transport/transport.h"

namespace hwscope {
namespace w = platform::wire;

namespace {

constexpr std::uint16_t kIn = w::kAtaFlagDrdyRequired | w::kAtaFlagDataIn;    // 3
constexpr std::uint16_t kOut = w::kAtaFlagDrdyRequired | w::kAtaFlagDataOut;  // 5

w::AtaPassThroughEx Header(std::uint16_t flags, std::uint32_t length, w::AtaRegisters current,
                           w::AtaRegisters previous) {
  w::AtaPassThroughEx apt;
  std::memset(&apt, 0, sizeof apt);
  apt.length = sizeof(w::AtaPassThroughEx);
  apt.ataFlags = flags;
  apt.dataTransferLength = length;
  apt.timeOutValue = 1;
  apt.previousTaskFile = previous;
  apt.currentTaskFile = current;
  return apt;
}

// Direct request; `buffer` receives or supplies `length` bytes.
int Direct(platform::Handle device, const char* name, std::uint16_t flags, std::uint32_t length,
           void* buffer, w::AtaRegisters current, w::AtaRegisters previous, AtaTaskFiles* taskFiles) {
  Logf("Enter %s", name);
  const w::AtaPassThroughEx h = Header(flags, length, current, previous);
  w::AtaPassThroughDirect apt;
  std::memcpy(&apt, &h, sizeof apt);
  apt.dataBuffer = buffer;
  std::uint32_t returned = 0;
  if (!platform::Current().DeviceControl(device, w::kAtaPassThroughDirect, &apt, sizeof apt, &apt,
                                         sizeof apt, &returned)) {
    Logf("Exit %s (1) (Err=%d)", name, static_cast<int>(platform::Current().LastError()));
    return 0;
  }
  if (taskFiles) {
    taskFiles->previous = apt.previousTaskFile;
    taskFiles->current = apt.currentTaskFile;
  }
  if (apt.currentTaskFile.features != 0) {  // the error register
    Logf("Exit %s (2) (error 0x%02X)", name, apt.currentTaskFile.features);
    return 0;
  }
  Logf("Exit %s", name);
  return 1;
}

int Buffered(platform::Handle device, const char* name, std::uint16_t flags, w::AtaRegisters current,
             void* dataIn, const void* dataOut) {
  Logf("Enter %s", name);
  w::AtaPassThroughWithBuffer block;
  std::memset(&block, 0, sizeof block);
  block.apt = Header(flags, 512, current, {});
  block.apt.dataBufferOffset = offsetof(w::AtaPassThroughWithBuffer, data);
  if (dataOut) std::memcpy(block.data, dataOut, 512);
  std::uint32_t returned = 0;
  if (!platform::Current().DeviceControl(device, w::kAtaPassThrough, &block, sizeof block, &block,
                                         sizeof block, &returned)) {
    Logf("Exit %s (1) (Err=%d)", name, static_cast<int>(platform::Current().LastError()));
    return 0;
  }
  if (block.apt.currentTaskFile.features != 0) {
    Logf("Exit %s (2) (error 0x%02X)", name, block.apt.currentTaskFile.features);
    return 0;
  }
  if (dataIn) std::memcpy(dataIn, block.data, 512);
  Logf("Exit %s", name);
  return 1;
}

std::uint8_t B(std::uint64_t v, int byte) { return static_cast<std::uint8_t>(v >> (8 * byte)); }

}  // namespace

int DoAtaDcoIdentify(platform::Handle device, void* data512) {
  return Buffered(device, "DoAtaDcoIdentify", kIn, {0xC2, 0x01, 0x01, 0x00, 0x00, 0xA0, 0xB1, 0},
                  data512, nullptr);
}

int DoAtaDcoSet(platform::Handle device, const void* block512) {
  return Buffered(device, "DoAtaDcoSet", kOut, {0xC3, 0x00, 0x00, 0x00, 0x00, 0xE0, 0xB1, 0},
                  nullptr, block512);
}

int DoAtaDcoRestore(platform::Handle device) {
  w::AtaPassThroughDirectWithBuffer block;
  std::memset(&block, 0, sizeof block);
  return Direct(device, "DoAtaDcoRestore", kOut, 512, block.data,
                {0xC0, 0x00, 0x00, 0x00, 0x00, 0xE0, 0xB1, 0}, {}, nullptr);
}

int DoAtaReadNativeMax(platform::Handle device, AtaTaskFiles* taskFiles) {
  std::uint8_t scratch[512] = {};
  return Direct(device, "DoAtaReadNativeMax", kIn, 512, scratch,
                {0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0xF8, 0}, {}, taskFiles);
}

int DoAtaReadNativeMaxExt(platform::Handle device, AtaTaskFiles* taskFiles) {
  std::uint8_t scratch[512] = {};
  return Direct(device, "DoAtaReadNativeMaxExt", kIn | w::kAtaFlag48Bit, 512, scratch,
                {0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0x27, 0}, {0, 0, 0, 0, 0, 0xE0, 0x27, 0},
                taskFiles);
}

int DoAtaSetMax(platform::Handle device, std::uint32_t address28) {
  std::uint8_t scratch[512] = {};
  const std::uint8_t dev = static_cast<std::uint8_t>(0x40 + ((address28 >> 24) & 0x0F));
  return Direct(device, "DoAtaSetMax", kOut, 512, scratch,
                {0x00, 0x00, B(address28, 0), B(address28, 1), B(address28, 2), dev, 0xF9, 0}, {},
                nullptr);
}

int DoAtaSetMaxExt(platform::Handle device, std::uint64_t a) {
  std::uint8_t scratch[512] = {};
  return Direct(device, "DoAtaSetMaxExt", kOut | w::kAtaFlag48Bit, 512, scratch,
                {0x00, 0x00, B(a, 0), B(a, 1), B(a, 2), 0xE0, 0x37, 0},
                {0x00, 0x00, B(a, 3), B(a, 4), B(a, 5), 0xE0, 0x37, 0}, nullptr);
}

int DoAtaReadDmaExt(platform::Handle device, std::uint64_t a, void* buffer, std::uint32_t length) {
  const std::uint32_t count = length / 512;
  // The count registers name at most 65536 sectors (0 stands for 65536); a
  // longer read would come back short and look complete.
  if (count == 0 || count > 65536 || length % 512 != 0) {
    Logf("Exit DoAtaReadDmaExt (length %u not supported)", static_cast<unsigned>(length));
    return 0;
  }
  return Direct(device, "DoAtaReadDmaExt",
                kIn | w::kAtaFlag48Bit | w::kAtaFlagUseDma, length, buffer,
                {0x00, B(count, 0), B(a, 0), B(a, 1), B(a, 2), 0xE0, 0x25, 0},
                {0x00, B(count, 1), B(a, 3), B(a, 4), B(a, 5), 0xE0, 0x25, 0}, nullptr);
}

}  // namespace hwscope
