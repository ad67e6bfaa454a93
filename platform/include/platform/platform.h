// The operating-system services the library and the application use, behind
// one interface with two backends: the real Linux machine and a simulated
// machine loaded from a JSON file. Device paths, control codes and buffer
// layouts are the Windows ones; each backend interprets them.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace platform {

using Handle = std::intptr_t;
inline constexpr Handle kInvalidHandle = -1;

// Windows error codes that callers test or log.
enum ErrorCode : std::uint32_t {
  kErrorSuccess = 0,
  kErrorInvalidFunction = 1,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorNotEnoughMemory = 8,
  kErrorNotReady = 21,
  kErrorCrc = 23,
  kErrorGenFailure = 31,
  kErrorNotSupported = 50,
  kErrorInvalidParameter = 87,
  kErrorInsufficientBuffer = 122,
  kErrorSemTimeout = 121,
  kErrorIoDevice = 1117,
  kErrorNoMediaInDrive = 1112,
};

// GetDriveType values.
enum DriveType : std::uint32_t {
  kDriveUnknown = 0,
  kDriveNoRootDir = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdrom = 5,
  kDriveRamdisk = 6,
};

// Cumulative counters of one physical disk; rates come from two samples.
struct DiskActivitySample {
  std::uint64_t tickMs = 0;         // when the sample was taken (monotonic)
  std::uint64_t bytesRead = 0;      // since boot
  std::uint64_t bytesWritten = 0;   // since boot
  std::uint64_t reads = 0;          // completed read requests
  std::uint64_t writes = 0;         // completed write requests
  std::uint64_t busyMs = 0;         // time the disk had requests in flight
  std::uint64_t readTimeMs = 0;     // summed time of read requests
  std::uint64_t writeTimeMs = 0;    // summed time of write requests
};

class Platform {
 public:
  virtual ~Platform() = default;

  // --- devices ---------------------------------------------------------
  // Opens "\\.\PhysicalDrive%d", "\\.\%c:", "\\.\SCSI%d:". kInvalidHandle
  // and LastError() on failure.
  virtual Handle OpenDevice(const std::wstring& path) = 0;
  // DeviceIoControl: the buffers may be the same; *bytesReturned is set on
  // success. false and LastError() on failure.
  virtual bool DeviceControl(Handle handle, std::uint32_t controlCode, const void* in,
                             std::uint32_t inSize, void* out, std::uint32_t outSize,
                             std::uint32_t* bytesReturned) = 0;
  virtual void CloseDevice(Handle handle) = 0;
  // Error of the last failed call on this thread.
  virtual std::uint32_t LastError() = 0;

  // --- volumes ---------------------------------------------------------
  // Bit n set: drive letter 'A'+n is present.
  virtual std::uint32_t LogicalDrives() = 0;
  // Type of the root "X:\".
  virtual std::uint32_t GetDriveType(wchar_t letter) = 0;
  // Total and free bytes of the volume; false when it has no medium.
  virtual bool GetDiskFreeSpace(wchar_t letter, std::uint64_t* totalBytes,
                                std::uint64_t* freeBytes) = 0;

  // --- system ----------------------------------------------------------
  virtual bool IsAdministrator() = 0;
  // Millisecond tick counter (monotonic, wraps like a 32-bit tick).
  virtual std::uint32_t TickCount() = 0;
  // The system's message for an error code; empty when there is none.
  virtual std::wstring ErrorText(std::uint32_t code) = 0;
  // Local time now (the simulated machine may fix it for tests).
  virtual std::time_t Now() = 0;

  // --- disk activity ---------------------------------------------------
  // Physical disk numbers that have activity counters.
  virtual std::vector<int> ActivityDisks() = 0;
  virtual bool SampleDiskActivity(int disk, DiskActivitySample* sample) = 0;
};

// The platform of this process: the simulated machine when the environment
// variable SPINDLEWATCH_MACHINE names a machine file, otherwise the native
// backend. Chosen on first use.
Platform& Current();

// The same platform, shared: a worker thread that may outlive its caller keeps
// the platform it runs on alive with this.
std::shared_ptr<Platform> CurrentShared();

// Tests replace the platform for the rest of the process (nullptr restores
// the environment's choice on next use).
void SetCurrentForTesting(std::shared_ptr<Platform> platform);

}  // namespace platform
