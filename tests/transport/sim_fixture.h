// A simulated machine built from JSON text, installed as the process
// platform, with every device control request recorded byte for byte.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "sim/sim_machine.h"

namespace simtest {

struct Request {
  platform::Handle handle;
  std::uint32_t code;
  std::vector<std::uint8_t> in;  // the request as sent
  std::uint32_t outSize;
  bool ok;
};

class RecordingPlatform : public platform::Platform {
 public:
  explicit RecordingPlatform(std::shared_ptr<platform::sim::SimMachine> inner) : inner_(std::move(inner)) {}
  platform::Handle OpenDevice(const std::wstring& path) override {
    opened.push_back(path);
    return inner_->OpenDevice(path);
  }
  bool DeviceControl(platform::Handle h, std::uint32_t code, const void* in, std::uint32_t inSize,
                     void* out, std::uint32_t outSize, std::uint32_t* returned) override {
    Request r{h, code, {}, outSize, false};
    if (in) r.in.assign(static_cast<const std::uint8_t*>(in), static_cast<const std::uint8_t*>(in) + inSize);
    r.ok = inner_->DeviceControl(h, code, in, inSize, out, outSize, returned);
    requests.push_back(std::move(r));
    return requests.back().ok;
  }
  void CloseDevice(platform::Handle h) override {
    closed.push_back(h);
    inner_->CloseDevice(h);
  }
  std::uint32_t LastError() override { return inner_->LastError(); }
  std::uint32_t LogicalDrives() override { return inner_->LogicalDrives(); }
  std::uint32_t GetDriveType(wchar_t l) override { return inner_->GetDriveType(l); }
  bool GetDiskFreeSpace(wchar_t l, std::uint64_t* t, std::uint64_t* f) override {
    return inner_->GetDiskFreeSpace(l, t, f);
  }
  bool IsAdministrator() override { return inner_->IsAdministrator(); }
  std::uint32_t TickCount() override { return inner_->TickCount(); }
  std::wstring ErrorText(std::uint32_t c) override { return inner_->ErrorText(c); }
  std::time_t Now() override { return inner_->Now(); }
  std::vector<int> ActivityDisks() override { return inner_->ActivityDisks(); }
  bool SampleDiskActivity(int d, platform::DiskActivitySample* s) override {
    return inner_->SampleDiskActivity(d, s);
  }

  platform::sim::SimMachine& machine() { return *inner_; }
  std::vector<Request> requests;
  std::vector<std::wstring> opened;
  std::vector<platform::Handle> closed;

 private:
  std::shared_ptr<platform::sim::SimMachine> inner_;
};

// Parses `json` (failing the test on error) and installs the recorder.
std::shared_ptr<RecordingPlatform> InstallMachine(const std::string& json);

// One drive of the given kind, bus and bridge, with a few attributes.
std::string OneDrive(const std::string& kind, const std::string& bus, const std::string& bridge,
                     const std::string& extra = "");

// The SCSI pass-through CDB of a recorded request.
std::vector<std::uint8_t> Cdb(const Request& r);

// Opens PhysicalDrive<n> on the current platform.
platform::Handle OpenDisk(int n);

}  // namespace simtest
