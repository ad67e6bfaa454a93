// Helpers of the history, estimation and report tests: a machine whose clock
// the test sets, device slots filled as acquisition leaves them, and history
// files written byte by byte.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/smart_info.h"
#include "history/history_format.h"
#include "platform/platform.h"

namespace historytest {

class ClockSystem : public platform::Platform {
 public:
  std::atomic<std::time_t> now{1700000000};

  platform::Handle OpenDevice(const std::wstring&) override { return platform::kInvalidHandle; }
  bool DeviceControl(platform::Handle, std::uint32_t, const void*, std::uint32_t, void*,
                     std::uint32_t, std::uint32_t*) override {
    return false;
  }
  void CloseDevice(platform::Handle) override {}
  std::uint32_t LastError() override { return platform::kErrorFileNotFound; }
  std::uint32_t LogicalDrives() override { return 0; }
  std::uint32_t GetDriveType(wchar_t) override { return platform::kDriveNoRootDir; }
  bool GetDiskFreeSpace(wchar_t, std::uint64_t*, std::uint64_t*) override { return false; }
  bool IsAdministrator() override { return true; }
  std::uint32_t TickCount() override { return 1000; }
  std::wstring ErrorText(std::uint32_t) override { return L""; }
  std::time_t Now() override { return now.load(); }
  std::vector<int> ActivityDisks() override { return {}; }
  bool SampleDiskActivity(int, platform::DiskActivitySample*) override { return false; }
};

std::shared_ptr<ClockSystem> InstallClock(std::time_t now);

struct AtaAttribute {
  int id = 0;
  int current = 0;
  int worst = 0;
  std::uint64_t raw = 0;
  int threshold = 0;
};

// Puts `device` on drive row `row` as a fixed, SMART-capable disk with the
// serial number `serial` (blank-padded into the identify data).
void AttachDevice(hwscope::CSMARTInfo& engine, int device, int row, const std::string& serial,
                  bool nvme = false);
void SetAtaAttributes(hwscope::CSMARTInfo& engine, int device,
                      const std::vector<AtaAttribute>& attributes);
// 15 NVMe health values (low 64 bits each).
void SetNvmeValues(hwscope::CSMARTInfo& engine, int device, const std::vector<std::uint64_t>& values);

// A fresh empty folder that the history files of the test go to.
std::filesystem::path UseFreshHistoryFolder(const std::string& tag);

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// One data set to write.
struct Set {
  std::int64_t time = 0;
  std::vector<hwscope::history::Record> records;
};
// The bytes of a complete history file holding `sets`.
std::string HistoryBytes(const std::vector<Set>& sets);

}  // namespace historytest
