// Device control requests carried to the kernel: the target an open handle
// stands for, and the dispatch of a control code on it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>

#include "linux/block_devices.h"
#include "linux/kernel_device.h"
#include "linux/mount_table.h"

namespace platform::linux_backend {

struct RequestTarget {
  enum class Kind { kDisk, kVolume, kAdapter };
  Kind kind = Kind::kDisk;
  std::filesystem::path root = "/";   // sysfs/procfs root
  BlockDevice disk;                   // kDisk: the physical drive
  unsigned adapterPort = 0;           // kDisk on NVMe: port of its controller
  LogicalDrive volume;                // kVolume
  std::unique_ptr<KernelDevice> io;   // nullptr for a network volume
  std::mutex mutex;                   // one request at a time on the device
};

// Runs one control code. buffer holds max(inSize, outSize) bytes with the
// input copied in; on success the reply is in buffer and *returned says how
// many bytes of it count. Returns 0 or a Windows error code.
std::uint32_t HandleDeviceControl(RequestTarget& target, std::uint32_t code, std::uint8_t* buffer,
                                  std::uint32_t inSize, std::uint32_t outSize, std::uint32_t* returned);

}  // namespace platform::linux_backend
