// NVMe drives behind USB bridges (JMS583, RTL9210, ASM2362) and behind the
// Samsung security-protocol pass-through.
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "frame/log.h"
#include "transport/scsi_request.h"
#include "transport/transport.h"

namespace hwscope {
using namespace transport;
namespace w = platform::wire;

namespace {

bool AllZero(const std::uint8_t* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != 0) return false;
  return true;
}

// The end of every bridge transfer: the returned-bytes line, the all-zero
// test and the copy of as many bytes as the caller asked for.
int Deliver(const char* name, const ScsiExchange& x, const std::vector<std::uint8_t>& buffer,
            std::uint32_t length, void* data, std::uint32_t* dataSize) {
  Logf("%s returned %d bytes (sb.spt.DataTransferLength = %d)", name,
       static_cast<int>(x.bytesReturned), static_cast<int>(length));
  if (AllZero(buffer.data(), length)) {
    if (dataSize) *dataSize = 0;
    Logf("Exit %s (3)", name);
    return 0;
  }
  if (dataSize) {
    const std::uint32_t n = *dataSize < length ? *dataSize : length;
    if (data && n) std::memcpy(data, buffer.data(), n);
    if (!data) *dataSize = 0;
  }
  Logf("Exit %s", name);
  return 1;
}

bool Failed(const char* name, const ScsiExchange& x, int step) {
  if (x.ok && x.scsiStatus == 0) return false;
  Logf("Exit %s (%d)", name, step);
  return true;
}

bool KnownCommand(const char* name, std::uint8_t command) {
  if (command == kNvmeHealthLog || command == kNvmeIdentify) return true;
  Logf("Exit %s (command 0x%02X not supported)", name, command);
  return false;
}

}  // namespace

int DoScsiPassthroughCmd_NVMeASMedia(platform::Handle device, std::uint8_t command, void* data,
                                     std::uint32_t* dataSize) {
  const char* name = "DoScsiPassthroughCmd_NVMeASMedia";
  Logf("Enter %s", name);
  if (!KnownCommand(name, command)) return 0;
  const bool log = command == kNvmeHealthLog;
  std::uint8_t cdb[16] = {0xE6};
  cdb[1] = log ? 0x02 : 0x06;
  cdb[3] = log ? 0x02 : 0x01;  // command dword 10, bits 7-0
  cdb[7] = log ? 0x7F : 0x00;  // command dword 10, bits 23-16
  const std::uint32_t length = log ? 512 : 4096;
  std::vector<std::uint8_t> buffer(length, 0);
  const ScsiExchange x = SendScsi(device, kSptLongSense, 0, cdb, 16, w::kScsiDataIn, buffer.data(), length, 1);
  if (Failed(name, x, 1)) return 0;
  return Deliver(name, x, buffer, length, data, dataSize);
}

int DoScsiPassthroughCmd_NVMeRealtek(platform::Handle device, std::uint8_t command, void* data,
                                     std::uint32_t* dataSize) {
  const char* name = "DoScsiPassthroughCmd_NVMeRealtek";
  Logf("Enter %s", name);
  if (!KnownCommand(name, command)) return 0;
  const bool log = command == kNvmeHealthLog;
  const std::uint32_t length = log ? 512 : 4096;
  std::uint8_t cdb[16] = {0xE4};
  cdb[1] = static_cast<std::uint8_t>(length);
  cdb[2] = static_cast<std::uint8_t>(length >> 8);
  cdb[3] = log ? 0x02 : 0x06;
  cdb[4] = log ? 0x00 : 0x01;
  std::vector<std::uint8_t> buffer(length, 0);
  const ScsiExchange x = SendScsi(device, kSptLongSense, 0, cdb, 16, w::kScsiDataIn, buffer.data(), length, 1);
  if (Failed(name, x, 1)) return 0;
  return Deliver(name, x, buffer, length, data, dataSize);
}

int DoScsiPassthroughCmd_NVMeJMicron(platform::Handle device, std::uint8_t command, void* data,
                                     std::uint32_t* dataSize) {
  const char* name = "DoScsiPassthroughCmd_NVMeJMicron";
  Logf("Enter %s", name);
  if (!KnownCommand(name, command)) return 0;
  const bool log = command == kNvmeHealthLog;
  // Command phase: "NVME", then the submission queue entry.
  std::uint8_t block[512] = {'N', 'V', 'M', 'E'};
  const std::uint32_t opcode = log ? 0x02 : 0x06;
  const std::uint32_t nsid = log ? 0xFFFFFFFF : 0;
  const std::uint32_t cdw10 = log ? 0x007F0002 : 0x00000001;
  std::memcpy(block + 8, &opcode, 4);
  std::memcpy(block + 12, &nsid, 4);
  std::memcpy(block + 8 + 40, &cdw10, 4);
  const std::uint8_t commandCdb[12] = {0xA1, 0x80, 0x00, 0x00, 0x02, 0x00};
  const ScsiExchange c = SendScsi(device, kSptShortSense, 0, commandCdb, 12, w::kScsiDataOut, block, 512, 1);
  if (Failed(name, c, 1)) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  // Data phase.
  const std::uint32_t length = log ? 512 : 4096;
  std::uint8_t dataCdb[12] = {0xA1, 0x82, 0x00, 0x00};
  dataCdb[4] = static_cast<std::uint8_t>(length >> 8);
  std::vector<std::uint8_t> buffer(length, 0);
  const ScsiExchange x = SendScsi(device, kSptShortSense, 0, dataCdb, 12, w::kScsiDataIn, buffer.data(), length, 1);
  if (Failed(name, x, 2)) return 0;
  return Deliver(name, x, buffer, length, data, dataSize);
}

int DoScsiPassthroughCmd_NVMeSamsung(platform::Handle device, std::uint8_t command, void* data,
                                     std::uint32_t* dataSize) {
  const char* name = "DoScsiPassthroughCmd_NVMeSamsung";
  Logf("Enter %s", name);
  if (!KnownCommand(name, command)) return 0;
  const bool log = command == kNvmeHealthLog;
  const std::uint8_t kind = log ? 0x06 : 0x05;
  const std::uint32_t length = log ? 512 : 4096;
  std::vector<std::uint8_t> buffer(length, 0);
  buffer[0] = log ? 0x02 : 0x01;
  if (log) std::memset(&buffer[4], 0xFF, 4);  // all namespaces
  const std::uint8_t outCdb[16] = {0xB5, 0xFE, 0x00, kind, 0, 0, 0, 0, 0, 0x40};
  const ScsiExchange c = SendScsi(device, kSptShortSense, 0, outCdb, 16, w::kScsiDataOut, buffer.data(), length, 1);
  if (Failed(name, c, 1)) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const std::uint8_t inCdb[16] = {0xA2, 0xFE, 0x00, kind, 0, 0, 0, 0, 0, 0x01};
  std::fill(buffer.begin(), buffer.end(), 0);
  const ScsiExchange x = SendScsi(device, kSptShortSense, 0, inCdb, 16, w::kScsiDataIn, buffer.data(), length, 1);
  if (Failed(name, x, 2)) return 0;
  return Deliver(name, x, buffer, length, data, dataSize);
}

}  // namespace hwscope
