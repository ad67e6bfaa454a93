// Shared helpers of the engine tests: a machine with no drives (system
// services only), device slots filled as the drive table would, fixtures.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/smart_info.h"
#include "platform/platform.h"

namespace enginetest {

// System services with a controllable administrator test and tick counter.
class BareSystem : public platform::Platform {
 public:
  std::atomic<bool> administrator{true};
  std::atomic<std::uint32_t> tick{100000};

  platform::Handle OpenDevice(const std::wstring&) override;
  bool DeviceControl(platform::Handle, std::uint32_t, const void*, std::uint32_t, void*,
                     std::uint32_t, std::uint32_t*) override;
  void CloseDevice(platform::Handle) override {}
  std::uint32_t LastError() override { return platform::kErrorFileNotFound; }
  std::uint32_t LogicalDrives() override { return 0; }
  std::uint32_t GetDriveType(wchar_t) override { return platform::kDriveNoRootDir; }
  bool GetDiskFreeSpace(wchar_t, std::uint64_t*, std::uint64_t*) override { return false; }
  bool IsAdministrator() override { return administrator.load(); }
  std::uint32_t TickCount() override { return tick.load(); }
  std::wstring ErrorText(std::uint32_t code) override;
  std::time_t Now() override { return 1796826239; }
  std::vector<int> ActivityDisks() override { return {}; }
  bool SampleDiskActivity(int, platform::DiskActivitySample*) override { return false; }
};

// Installs a fresh BareSystem as the process platform and returns it.
std::shared_ptr<BareSystem> InstallBareSystem();

// Puts `device` on drive row `row` as the drive table and acquisition leave
// a fixed, SMART-capable disk.
void AttachDevice(hwscope::CSMARTInfo& engine, int device, int row, int busType = 11,
                  int bridge = hwscope::kBridgeNative);

std::vector<std::uint8_t> LoadFixture(const std::string& name);

// A fresh empty folder under the system temp folder.
std::filesystem::path MakeTempFolder(const std::string& tag);
// The contents of a UTF-16LE file as wide text (byte-order mark removed);
// `hadBom` tells whether it had one.
std::wstring ReadUtf16File(const std::filesystem::path& path, bool* hadBom = nullptr);

}  // namespace enginetest
