// The kernel side of a device request: a SCSI command through SG_IO, an NVMe
// admin command through the NVMe ioctl, and the medium size. The device
// control translation builds these; FdKernelDevice carries them to an open
// device node, tests hand in their own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform::linux_backend {

enum class SgDirection { kNone, kToDevice, kFromDevice };

struct SgCommand {
  std::uint8_t cdb[16] = {};
  std::uint8_t cdbLength = 0;
  SgDirection direction = SgDirection::kNone;
  void* data = nullptr;
  std::uint32_t dataLength = 0;
  std::uint8_t* sense = nullptr;
  std::uint8_t senseCapacity = 0;
  std::uint32_t timeoutMs = 1000;
  // Filled by the kernel.
  std::uint8_t status = 0;        // SCSI status
  std::uint8_t senseLength = 0;   // sense bytes written
  std::int32_t resid = 0;         // bytes not transferred
  std::uint16_t hostStatus = 0;   // transport failure when not 0
  std::uint16_t driverStatus = 0;
  bool timedOut = false;
};

struct NvmeAdminCommand {
  std::uint8_t opcode = 0;
  std::uint32_t nsid = 0;
  std::uint32_t cdw10 = 0, cdw11 = 0, cdw12 = 0, cdw13 = 0, cdw14 = 0, cdw15 = 0;
  void* data = nullptr;
  std::uint32_t dataLength = 0;
  std::uint32_t timeoutMs = 10000;
  // Filled by the kernel.
  std::uint32_t result = 0;
  std::uint32_t status = 0;  // NVMe status field; 0 on success
};

class KernelDevice {
 public:
  virtual ~KernelDevice() = default;
  // 0 when the command reached the device (look at status), else an errno.
  virtual int SgIo(SgCommand* command) = 0;
  // 0 when the controller answered (look at status), else an errno.
  virtual int NvmeAdmin(NvmeAdminCommand* command) = 0;
  // Size of the medium in bytes, 0 without a medium; 0 or an errno.
  virtual int MediumSize(std::uint64_t* bytes) = 0;
};

// Opens a device node for requests: read-write when allowed, else read-only,
// never waiting for a medium. nullptr and errno on failure.
std::unique_ptr<KernelDevice> OpenKernelDevice(const std::string& node, int* error);

}  // namespace platform::linux_backend
