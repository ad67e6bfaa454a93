// Native backend: the machine's real drives through sysfs, the mount table,
// SG_IO and the NVMe admin ioctl.
#include "linux/native_platform.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <cwctype>
#include <exception>
#include <map>
#include <mutex>
#include <vector>

#include "linux/block_devices.h"
#include "linux/device_control.h"
#include "linux/disk_stats.h"
#include "linux/mount_table.h"
#include "linux/privileges.h"
#include "linux/sysfs_util.h"
#include "linux/system_errors.h"
#include "platform/backends.h"
#include "platform/wire.h"

namespace platform::linux_backend {
namespace fs = std::filesystem;

namespace {

thread_local std::uint32_t t_lastError = 0;

constexpr std::uint32_t kMaxBufferedBytes = 16u << 20;

// "\\.\NAME" with NAME upper-cased; false for any other form.
bool DeviceName(const std::wstring& path, std::string* name) {
  if (path.size() < 5 || path.compare(0, 4, L"\\\\.\\") != 0) return false;
  name->clear();
  for (std::size_t i = 4; i < path.size(); ++i) {
    wchar_t c = path[i];
    if (c > 0x7E || c < 0x20) return false;
    name->push_back(static_cast<char>(std::towupper(c)));
  }
  return true;
}

// Digits after prefix, up to an optional suffix; -1 when it does not match.
int NumberAfter(const std::string& name, const std::string& prefix, const std::string& suffix) {
  if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
  if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return -1;
  std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  if (digits.empty() || digits.size() > 3) return -1;
  for (char c : digits)
    if (c < '0' || c > '9') return -1;
  return std::stoi(digits);
}

std::uint64_t MonotonicMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

class LinuxPlatform final : public Platform {
 public:
  explicit LinuxPlatform(fs::path root) : root_(std::move(root)) {}

  Handle OpenDevice(const std::wstring& path) override {
    std::string name;
    if (!DeviceName(path, &name)) return Fail(kErrorFileNotFound);
    auto target = std::make_shared<RequestTarget>();
    target->root = root_;
    if (int n = NumberAfter(name, "PHYSICALDRIVE", ""); n >= 0) {
      auto machine = Machine();
      const auto& drives = machine->drives;
      if (n >= static_cast<int>(drives.size())) return Fail(kErrorFileNotFound);
      target->kind = RequestTarget::Kind::kDisk;
      target->disk = drives[n];
      for (const auto& [controller, port] : machine->ports)
        if (controller == target->disk.nvmeController) target->adapterPort = port;
      if (!OpenNode(target->disk.name, target.get())) return kInvalidHandle;
    } else if (int port = NumberAfter(name, "SCSI", ":"); port >= 0) {
      // Only NVMe controllers have an adapter handle here.
      std::string controller;
      for (const auto& [c, p] : Machine()->ports)
        if (static_cast<int>(p) == port) controller = c;
      if (controller.empty()) return Fail(kErrorFileNotFound);
      target->kind = RequestTarget::Kind::kAdapter;
      if (!OpenNode(controller, target.get())) return kInvalidHandle;
    } else if (name.size() == 2 && name[1] == ':' && name[0] >= 'A' && name[0] <= 'Z') {
      const LogicalDrive* drive = nullptr;
      auto machine = Machine();
      for (const auto& d : machine->letters)
        if (d.letter == static_cast<wchar_t>(name[0])) drive = &d;
      if (drive == nullptr) return Fail(kErrorFileNotFound);
      target->kind = RequestTarget::Kind::kVolume;
      target->volume = *drive;
      if (!drive->blockName.empty() && !OpenNode(drive->blockName, target.get())) return kInvalidHandle;
    } else {
      return Fail(kErrorFileNotFound);  // miniport names and other devices do not exist here
    }
    std::lock_guard<std::mutex> lock(mutex_);
    Handle h = nextHandle_++;
    handles_[h] = std::move(target);
    return h;
  }

  bool DeviceControl(Handle handle, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                     std::uint32_t outSize, std::uint32_t* bytesReturned) override {
    std::shared_ptr<RequestTarget> target;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = handles_.find(handle);
      if (it != handles_.end()) target = it->second;
    }
    if (!target) return Fail(kErrorInvalidHandle), false;
    if ((inSize > 0 && in == nullptr) || (outSize > 0 && out == nullptr)) return Fail(kErrorInvalidParameter), false;
    // Buffered requests carry at most a few sectors; refuse absurd sizes
    // rather than allocate them.
    if (std::max(inSize, outSize) > kMaxBufferedBytes) return Fail(kErrorInvalidParameter), false;
    std::vector<std::uint8_t> buffer(std::max(inSize, outSize));
    if (inSize > 0) std::memcpy(buffer.data(), in, inSize);
    std::uint32_t returned = 0;
    std::uint32_t error;
    {
      // One request at a time per device, as a device queue would serve them.
      std::lock_guard<std::mutex> lock(target->mutex);
      try {
        error = HandleDeviceControl(*target, code, buffer.data(), inSize, outSize, &returned);
      } catch (const std::exception&) {
        error = kErrorGenFailure;  // sysfs changed under the request
      }
    }
    if (error == kErrorSuccess || error == wire::kErrorMoreData) {
      returned = std::min(returned, outSize);
      if (returned > 0) std::memcpy(out, buffer.data(), returned);
    }
    if (bytesReturned != nullptr) *bytesReturned = error == kErrorSuccess ? returned : 0;
    if (error != kErrorSuccess) return Fail(error), false;
    return true;
  }

  void CloseDevice(Handle handle) override {
    std::lock_guard<std::mutex> lock(mutex_);
    handles_.erase(handle);
  }

  std::uint32_t LastError() override { return t_lastError; }

  std::uint32_t LogicalDrives() override {
    std::uint32_t mask = 0;
    for (const auto& d : Machine()->letters) mask |= 1u << (d.letter - L'A');
    return mask;
  }

  std::uint32_t GetDriveType(wchar_t letter) override {
    letter = static_cast<wchar_t>(std::towupper(letter));
    for (const auto& d : Machine()->letters)
      if (d.letter == letter) return d.driveType;
    return kDriveNoRootDir;
  }

  bool GetDiskFreeSpace(wchar_t letter, std::uint64_t* totalBytes, std::uint64_t* freeBytes) override {
    letter = static_cast<wchar_t>(std::towupper(letter));
    auto machine = Machine();
    for (const auto& d : machine->letters) {
      if (d.letter != letter) continue;
      if (d.mountPoint.empty()) return Fail(kErrorNotReady), false;
      struct statvfs st;
      fs::path mount = root_ / fs::path(d.mountPoint).relative_path();
      if (::statvfs(mount.c_str(), &st) != 0) return Fail(IoErrorFromErrno(errno)), false;
      if (totalBytes) *totalBytes = static_cast<std::uint64_t>(st.f_blocks) * st.f_frsize;
      if (freeBytes) *freeBytes = static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
      return true;
    }
    return Fail(kErrorPathNotFound), false;
  }

  bool IsAdministrator() override { return ProcessIsAdministrator(); }

  std::uint32_t TickCount() override { return static_cast<std::uint32_t>(MonotonicMs()); }

  std::wstring ErrorText(std::uint32_t code) override { return SystemErrorText(code); }

  std::time_t Now() override { return std::time(nullptr); }

  std::vector<int> ActivityDisks() override {
    auto stats = ReadStats();
    auto machine = Machine();
    const auto& drives = machine->drives;
    std::vector<int> disks;
    for (std::size_t i = 0; i < drives.size(); ++i)
      if (stats.count(drives[i].name)) disks.push_back(static_cast<int>(i));
    return disks;
  }

  bool SampleDiskActivity(int disk, DiskActivitySample* sample) override {
    auto machine = Machine();
    const auto& drives = machine->drives;
    if (disk < 0 || disk >= static_cast<int>(drives.size()) || sample == nullptr) return false;
    auto stats = ReadStats();
    auto it = stats.find(drives[disk].name);
    if (it == stats.end()) return false;
    *sample = it->second;
    sample->tickMs = MonotonicMs();
    return true;
  }

 private:
  static Handle Fail(std::uint32_t error) {
    t_lastError = error;
    return kInvalidHandle;
  }

  bool OpenNode(const std::string& kernelName, RequestTarget* target) {
    std::string nodeName = kernelName;
    std::replace(nodeName.begin(), nodeName.end(), '!', '/');
    fs::path node = root_ / "dev" / nodeName;
    int error = 0;
    target->io = OpenKernelDevice(node.string(), &error);
    if (!target->io) {
      Fail(OpenErrorFromErrno(error));
      return false;
    }
    return true;
  }

  // The drives, adapter ports and letters as last read. A refresh asks for
  // them hundreds of times in a row (every device number, every letter), so
  // one reading serves for a short while.
  struct MachineView {
    std::uint64_t takenMs = 0;
    std::vector<BlockDevice> drives;
    std::vector<std::pair<std::string, unsigned>> ports;
    std::vector<LogicalDrive> letters;
  };
  static constexpr std::uint64_t kViewLifetimeMs = 2000;

  std::shared_ptr<const MachineView> Machine() {
    std::lock_guard<std::mutex> lock(viewMutex_);
    std::uint64_t now = MonotonicMs();
    if (!view_ || now - view_->takenMs >= kViewLifetimeMs) {
      auto fresh = std::make_shared<MachineView>();
      try {
        fresh->drives = PhysicalDrives(root_);
        fresh->ports = NvmeAdapterPorts(root_, fresh->drives);
        fresh->letters = linux_backend::LogicalDrives(root_);
      } catch (const std::exception&) {
        // sysfs vanished under us (a device went away mid-scan): no drives
        // this time; the next reading tries again.
        fresh = std::make_shared<MachineView>();
      }
      fresh->takenMs = MonotonicMs();
      view_ = std::move(fresh);
    }
    return view_;
  }

  std::map<std::string, DiskActivitySample> ReadStats() {
    auto text = ReadWholeFile(root_ / "proc" / "diskstats");
    return text ? ParseDiskStats(*text) : std::map<std::string, DiskActivitySample>{};
  }

  fs::path root_;
  std::mutex mutex_;
  Handle nextHandle_ = 0x100;
  std::map<Handle, std::shared_ptr<RequestTarget>> handles_;
  std::mutex viewMutex_;
  std::shared_ptr<const MachineView> view_;
};

}  // namespace

std::shared_ptr<Platform> CreateLinuxPlatform(const fs::path& root) {
  return std::make_shared<LinuxPlatform>(root);
}

}  // namespace platform::linux_backend

namespace platform {

std::shared_ptr<Platform> CreateNativePlatform() { return linux_backend::CreateLinuxPlatform("/"); }

}  // namespace platform
