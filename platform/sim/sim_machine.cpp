#include "sim/sim_machine.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <thread>
#include <vector>

#include "platform/wire.h"

namespace platform::sim {
namespace {

thread_local std::uint32_t t_lastError = 0;

bool StartsWithNoCase(const std::wstring& s, std::size_t at, const wchar_t* prefix) {
  for (std::size_t i = 0; prefix[i]; ++i) {
    if (at + i >= s.size() || std::towlower(s[at + i]) != std::towlower(prefix[i])) return false;
  }
  return true;
}

// Parses decimal digits at `at` up to `end`; -1 when there are none or too many.
int Number(const std::wstring& s, std::size_t at, std::size_t end) {
  if (at >= end || end - at > 3) return -1;
  int n = 0;
  for (std::size_t i = at; i < end; ++i) {
    if (s[i] < L'0' || s[i] > L'9') return -1;
    n = n * 10 + (s[i] - L'0');
  }
  return n;
}

}  // namespace

SimMachine::SimMachine(MachineSpec spec)
    : spec_(std::move(spec)), start_(std::chrono::steady_clock::now()) {
  for (const auto& d : spec_.drives)
    disks_[d.number] = std::make_unique<SimDisk>(d, [this] { return ElapsedMs(); });
}

std::uint64_t SimMachine::ElapsedMs() const {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - start_)
                                        .count());
}

bool SimMachine::Fail(std::uint32_t error) {
  t_lastError = error;
  return false;
}

SimDisk* SimMachine::Disk(int number) {
  auto it = disks_.find(number);
  return it == disks_.end() ? nullptr : it->second.get();
}

SimDisk* SimMachine::AdapterDisk(int port) {
  for (auto& [n, d] : disks_)
    if (d->spec().port == port) return d.get();
  return nullptr;
}

const VolumeSpec* SimMachine::Volume(wchar_t letter) const {
  const wchar_t up = static_cast<wchar_t>(std::towupper(letter));
  for (const auto& v : spec_.volumes)
    if (static_cast<wchar_t>(v.letter) == up) return &v;
  return nullptr;
}

Handle SimMachine::OpenDevice(const std::wstring& path) {
  if (!StartsWithNoCase(path, 0, L"\\\\.\\")) {
    t_lastError = kErrorFileNotFound;
    return kInvalidHandle;
  }
  Open open{};
  bool found = false;
  if (StartsWithNoCase(path, 4, L"PhysicalDrive")) {
    const int n = Number(path, 17, path.size());
    found = n >= 0 && Disk(n) != nullptr;
    open = {Kind::kDisk, n};
  } else if (StartsWithNoCase(path, 4, L"SCSI") && path.size() > 8 && path.back() == L':') {
    const int n = Number(path, 8, path.size() - 1);
    found = n >= 0 && AdapterDisk(n) != nullptr;
    open = {Kind::kAdapter, n};
  } else if (path.size() == 6 && path[5] == L':' && std::iswalpha(path[4])) {
    const VolumeSpec* v = Volume(path[4]);
    found = v != nullptr;
    open = {Kind::kVolume, v ? v->letter - 'A' : 0};
  }
  if (!found) {
    t_lastError = kErrorFileNotFound;
    return kInvalidHandle;
  }
  if (!spec_.administrator) {
    t_lastError = kErrorAccessDenied;
    return kInvalidHandle;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const Handle h = nextHandle_++;
  handles_[h] = open;
  return h;
}

void SimMachine::CloseDevice(Handle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  handles_.erase(handle);
}

std::uint32_t SimMachine::LastError() { return t_lastError; }

bool SimMachine::DeviceControl(Handle handle, std::uint32_t code, const void* in,
                               std::uint32_t inSize, void* out, std::uint32_t outSize,
                               std::uint32_t* bytesReturned) {
  Open open{};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = handles_.find(handle);
    if (it == handles_.end()) return Fail(kErrorInvalidHandle);
    open = it->second;
  }
  if ((in == nullptr && inSize != 0) || (out == nullptr && outSize != 0))
    return Fail(kErrorInvalidParameter);
  // The request is read from a private copy: the caller may pass one
  // buffer for input and output.
  std::vector<std::uint8_t> request(inSize);
  if (inSize) std::memcpy(request.data(), in, inSize);
  auto* reply = static_cast<std::uint8_t*>(out);

  IoResult r;
  if (open.kind == Kind::kVolume) {
    const VolumeSpec* v = Volume(static_cast<wchar_t>(L'A' + open.number));
    if (v == nullptr) return Fail(kErrorInvalidHandle);
    r = VolumeRequest(*v, code, reply, outSize);
  } else {
    SimDisk* disk = open.kind == Kind::kDisk ? Disk(open.number) : AdapterDisk(open.number);
    if (disk == nullptr) return Fail(kErrorInvalidHandle);
    const FaultSpec& f = disk->spec().faults;
    if (f.hangMs != 0 && (f.hangCodes.empty() || std::count(f.hangCodes.begin(), f.hangCodes.end(), code)))
      std::this_thread::sleep_for(std::chrono::milliseconds(f.hangMs));
    if (std::count(f.failCodes.begin(), f.failCodes.end(), code)) return Fail(kErrorGenFailure);
    std::lock_guard<std::mutex> lock(disk->mutex());
    r = DiskRequest(*disk, open.kind == Kind::kAdapter, code, request.data(), inSize, reply, outSize);
  }
  if (!r.ok) return Fail(r.error);
  if (bytesReturned) *bytesReturned = r.bytes;
  t_lastError = 0;
  return true;
}

IoResult SimMachine::DiskRequest(SimDisk& disk, bool adapter, std::uint32_t code,
                                 const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                                 std::uint32_t outSize) {
  namespace w = platform::wire;
  if (adapter) {  // "\\.\SCSIn:" answers the miniport and adapter queries only
    switch (code) {
      case w::kScsiMiniport:
        return MiniportRequest(disk, in, inSize, out, outSize);
      case w::kStorageQueryProperty:
        return StorageQueryRequest(disk, true, in, inSize, out, outSize);
      default:
        return IoFail(kErrorInvalidFunction);
    }
  }
  switch (code) {
    case w::kSmartGetVersion:
    case w::kSmartSendDriveCommand:
    case w::kSmartRcvDriveData:
      return NativeSmartRequest(disk, code, in, inSize, out, outSize);
    case w::kAtaPassThrough:
    case w::kAtaPassThroughDirect:
      return AtaPassThroughRequest(disk, code == w::kAtaPassThroughDirect, in, inSize, out, outSize);
    case w::kScsiPassThrough:
    case w::kScsiPassThroughDirect:
      return ScsiPassThroughRequest(disk, code == w::kScsiPassThroughDirect, in, inSize, out, outSize);
    case w::kStorageQueryProperty:
      return StorageQueryRequest(disk, false, in, inSize, out, outSize);
    case w::kDiskGetDriveGeometry:
    case w::kDiskGetDriveGeometryEx:
      return GeometryRequest(disk, code == w::kDiskGetDriveGeometryEx, out, outSize);
    case w::kScsiGetAddress:
      return ScsiAddressRequest(disk, out, outSize);
    case w::kStorageCheckVerify:
      return IoOk(0);
    default:
      return IoFail(kErrorInvalidFunction);
  }
}

IoResult SimMachine::VolumeRequest(const VolumeSpec& v, std::uint32_t code, std::uint8_t* out,
                                   std::uint32_t outSize) {
  namespace w = platform::wire;
  if (v.type == VolumeType::kNetwork) return IoFail(kErrorInvalidFunction);
  switch (code) {
    case w::kStorageCheckVerify:
      if (v.noMedia) return IoFail(kErrorNotReady);
      return IoOk(0);
    case w::kVolumeGetVolumeDiskExtents: {
      if (v.noMedia) return IoFail(kErrorNotReady);
      if (v.disks.empty() || v.type == VolumeType::kOptical || v.type == VolumeType::kRamdisk)
        return IoFail(kErrorInvalidFunction);
      if (outSize < sizeof(w::VolumeDiskExtents)) return IoFail(kErrorInsufficientBuffer);
      const std::uint32_t n = static_cast<std::uint32_t>(v.disks.size());
      std::memset(out, 0, outSize);
      std::memcpy(out, &n, 4);
      const std::uint32_t room = (outSize - 8) / sizeof(w::DiskExtent);
      if (n > room) return IoFail(w::kErrorMoreData);
      const std::uint64_t part = v.size / n;
      for (std::uint32_t i = 0; i < n; ++i) {
        w::DiskExtent e{};
        e.diskNumber = static_cast<std::uint32_t>(v.disks[i]);
        e.startingOffset = 1048576;
        e.extentLength = static_cast<std::int64_t>(part);
        std::memcpy(out + 8 + i * sizeof e, &e, sizeof e);
      }
      return IoOk(8 + n * static_cast<std::uint32_t>(sizeof(w::DiskExtent)));
    }
    default:
      return IoFail(kErrorInvalidFunction);
  }
}

std::uint32_t SimMachine::LogicalDrives() {
  std::uint32_t mask = 0;
  for (const auto& v : spec_.volumes) mask |= 1u << (v.letter - 'A');
  return mask;
}

std::uint32_t SimMachine::GetDriveType(wchar_t letter) {
  const VolumeSpec* v = Volume(letter);
  if (v == nullptr) return kDriveNoRootDir;
  switch (v->type) {
    case VolumeType::kFixed: return kDriveFixed;
    case VolumeType::kRemovable: return kDriveRemovable;
    case VolumeType::kOptical: return kDriveCdrom;
    case VolumeType::kNetwork: return kDriveRemote;
    case VolumeType::kRamdisk: return kDriveRamdisk;
  }
  return kDriveUnknown;
}

bool SimMachine::GetDiskFreeSpace(wchar_t letter, std::uint64_t* totalBytes,
                                  std::uint64_t* freeBytes) {
  const VolumeSpec* v = Volume(letter);
  if (v == nullptr) return Fail(kErrorPathNotFound);
  if (v->noMedia) return Fail(kErrorNotReady);
  if (totalBytes) *totalBytes = v->size;
  if (freeBytes) *freeBytes = v->free;
  t_lastError = 0;
  return true;
}

bool SimMachine::IsAdministrator() { return spec_.administrator; }

std::uint32_t SimMachine::TickCount() { return static_cast<std::uint32_t>(ElapsedMs() + 100000); }

std::wstring SimMachine::ErrorText(std::uint32_t code) {
  static const std::map<std::uint32_t, const wchar_t*> kTexts = {
      {0, L"The operation completed successfully."},
      {1, L"Incorrect function."},
      {2, L"The system cannot find the file specified."},
      {3, L"The system cannot find the path specified."},
      {5, L"Access is denied."},
      {6, L"The handle is invalid."},
      {8, L"Not enough memory resources are available to process this command."},
      {21, L"The device is not ready."},
      {23, L"Data error (cyclic redundancy check)."},
      {31, L"A device attached to the system is not functioning."},
      {50, L"The request is not supported."},
      {87, L"The parameter is incorrect."},
      {121, L"The semaphore timeout period has expired."},
      {122, L"The data area passed to a system call is too small."},
      {234, L"More data is available."},
      {1112, L"No media in drive."},
      {1117, L"The request could not be performed because of an I/O device error."},
  };
  auto it = kTexts.find(code);
  return it == kTexts.end() ? std::wstring() : std::wstring(it->second);
}

std::time_t SimMachine::Now() { return spec_.now ? *spec_.now : std::time(nullptr); }

std::vector<int> SimMachine::ActivityDisks() {
  std::vector<int> numbers;
  for (const auto& [n, d] : disks_) numbers.push_back(n);
  return numbers;
}

bool SimMachine::SampleDiskActivity(int disk, DiskActivitySample* sample) {
  SimDisk* d = Disk(disk);
  if (d == nullptr || sample == nullptr) return Fail(kErrorFileNotFound);
  const ActivitySpec& a = d->spec().activity;
  const std::uint64_t ms = ElapsedMs();
  sample->tickMs = ms;
  sample->bytesRead = a.readBytes * ms / 1000;
  sample->bytesWritten = a.writeBytes * ms / 1000;
  sample->reads = a.reads * ms / 1000;
  sample->writes = a.writes * ms / 1000;
  sample->busyMs = a.busyPercent * ms / 100;
  const std::uint64_t total = std::max<std::uint64_t>(1, a.reads + a.writes);
  sample->readTimeMs = sample->busyMs * a.reads / total;
  sample->writeTimeMs = sample->busyMs * a.writes / total;
  return true;
}

}  // namespace platform::sim
