// The simulated machine: the Platform of a machine file. Disks, volumes and
// SCSI adapters are opened by their Windows device paths; device control
// requests are parsed from their exact bytes and answered by the emulated
// disks (sim_disk.h) or the volume layer.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>

#include "platform/platform.h"
#include "sim/machine_contents.h"
#include "sim/sim_disk.h"

namespace platform::sim {

// The outcome of one device control request.
struct IoResult {
  bool ok = false;
  std::uint32_t error = 0;
  std::uint32_t bytes = 0;
};
inline IoResult IoFail(std::uint32_t error) { return IoResult{false, error, 0}; }
inline IoResult IoOk(std::uint32_t bytes) { return IoResult{true, 0, bytes}; }

// Requests on a disk handle and on an adapter handle (sim_requests_*.cpp).
// `in` is a private copy of the input; `out` the caller's output buffer.
IoResult NativeSmartRequest(SimDisk& disk, std::uint32_t code, const std::uint8_t* in,
                            std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize);
IoResult AtaPassThroughRequest(SimDisk& disk, bool direct, const std::uint8_t* in,
                               std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize);
IoResult ScsiPassThroughRequest(SimDisk& disk, bool direct, const std::uint8_t* in,
                                std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize);
IoResult MiniportRequest(SimDisk& disk, const std::uint8_t* in, std::uint32_t inSize,
                         std::uint8_t* out, std::uint32_t outSize);
IoResult StorageQueryRequest(SimDisk& disk, bool adapter, const std::uint8_t* in,
                             std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize);
IoResult GeometryRequest(SimDisk& disk, bool ex, std::uint8_t* out, std::uint32_t outSize);
IoResult ScsiAddressRequest(SimDisk& disk, std::uint8_t* out, std::uint32_t outSize);

class SimMachine : public Platform {
 public:
  explicit SimMachine(MachineSpec spec);

  Handle OpenDevice(const std::wstring& path) override;
  bool DeviceControl(Handle handle, std::uint32_t controlCode, const void* in, std::uint32_t inSize,
                     void* out, std::uint32_t outSize, std::uint32_t* bytesReturned) override;
  void CloseDevice(Handle handle) override;
  std::uint32_t LastError() override;

  std::uint32_t LogicalDrives() override;
  std::uint32_t GetDriveType(wchar_t letter) override;
  bool GetDiskFreeSpace(wchar_t letter, std::uint64_t* totalBytes,
                        std::uint64_t* freeBytes) override;

  bool IsAdministrator() override;
  std::uint32_t TickCount() override;
  std::wstring ErrorText(std::uint32_t code) override;
  std::time_t Now() override;

  std::vector<int> ActivityDisks() override;
  bool SampleDiskActivity(int disk, DiskActivitySample* sample) override;

  // For tests: the emulated disk of a PhysicalDrive number (or nullptr).
  SimDisk* Disk(int number);

 private:
  enum class Kind { kDisk, kVolume, kAdapter };
  struct Open {
    Kind kind;
    int number;  // disk number, letter index or adapter port
  };

  const VolumeSpec* Volume(wchar_t letter) const;
  SimDisk* AdapterDisk(int port);
  IoResult VolumeRequest(const VolumeSpec& volume, std::uint32_t code, std::uint8_t* out,
                         std::uint32_t outSize);
  IoResult DiskRequest(SimDisk& disk, bool adapter, std::uint32_t code, const std::uint8_t* in,
                       std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize);
  std::uint64_t ElapsedMs() const;
  bool Fail(std::uint32_t error);

  MachineSpec spec_;
  std::map<int, std::unique_ptr<SimDisk>> disks_;
  std::mutex mutex_;  // guards handles_
  std::map<Handle, Open> handles_;
  Handle nextHandle_ = 0x100;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace platform::sim
