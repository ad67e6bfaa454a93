// Native backend: for now only the system services; it reports no drives.
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "platform/backends.h"

namespace platform {
namespace {

class NativePlatform final : public Platform {
 public:
  Handle OpenDevice(const std::wstring&) override {
    last_error_ = kErrorFileNotFound;
    return kInvalidHandle;
  }
  bool DeviceControl(Handle, std::uint32_t, const void*, std::uint32_t, void*, std::uint32_t,
                     std::uint32_t*) override {
    last_error_ = kErrorInvalidHandle;
    return false;
  }
  void CloseDevice(Handle) override {}
  std::uint32_t LastError() override { return last_error_; }
  std::uint32_t LogicalDrives() override { return 0; }
  std::uint32_t GetDriveType(wchar_t) override { return kDriveNoRootDir; }
  bool GetDiskFreeSpace(wchar_t, std::uint64_t*, std::uint64_t*) override { return false; }
  bool IsAdministrator() override { return geteuid() == 0; }
  std::uint32_t TickCount() override {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  std::wstring ErrorText(std::uint32_t) override { return {}; }
  std::time_t Now() override { return std::time(nullptr); }
  std::vector<int> ActivityDisks() override { return {}; }
  bool SampleDiskActivity(int, DiskActivitySample*) override { return false; }

 private:
  static thread_local std::uint32_t last_error_;
};

thread_local std::uint32_t NativePlatform::last_error_ = 0;

}  // namespace

std::shared_ptr<Platform> CreateNativePlatform() { return std::make_shared<NativePlatform>(); }

}  // namespace platform
