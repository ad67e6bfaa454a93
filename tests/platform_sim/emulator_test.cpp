// The simulated machine as the library sees it: device paths, volumes,
// faults, drive state that changes with commands and time, and requests
// that make no sense.
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "platform/wire.h"
#include "sim/machine_contents.h"
#include "sim/sim_machine.h"

namespace {

namespace w = platform::wire;
using platform::Handle;
using platform::sim::SimMachine;

std::unique_ptr<SimMachine> Machine(const std::string& json) {
  platform::sim::MachineSpec spec;
  std::string error;
  EXPECT_TRUE(platform::sim::ParseMachine(json, "t.json", &spec, &error)) << error;
  return std::make_unique<SimMachine>(std::move(spec));
}

const char* kMachine = R"({
  "drives": [
    {"number":0,"kind":"ata","bus":"SATA","bridge":"native","sectors":1000000,
     "attributes":[{"id":5,"flags":51,"current":10,"worst":10,"raw":900,"threshold":10}],
     "self_test":{"short_ms":60000,"extended_ms":60,"result":7}},
    {"number":1,"kind":"ata","bus":"USB","bridge":"sat","faults":{"not_ready":true,"hang_ms":150,
     "hang_codes":[266264]}},
    {"number":2,"kind":"nvme","bus":"NVMe","bridge":"storage-query","port":5}
  ],
  "volumes": [
    {"letter":"C","type":"fixed","disks":[0],"size":1000,"free":400},
    {"letter":"E","type":"removable","disks":[1],"no_media":true},
    {"letter":"R","type":"ramdisk","size":64,"free":64},
    {"letter":"S","type":"fixed","disks":[0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,
      0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,
      0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,
      0,0,0,0,0,0,0,0,0,0,0,0,0],"size":140000,"free":0},
    {"letter":"Z","type":"network","size":5000,"free":100}
  ]})";

// Sends a native SMART receive (0xD0 data) and returns byte `at` of the data.
int SmartDataByte(SimMachine& m, Handle h, int at) {
  w::SmartCommandInput in{};
  in.bufferSize = 512;
  in.regs = {0xD0, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0};
  w::SmartCommandOutput out{};
  std::uint32_t n = 0;
  if (!m.DeviceControl(h, w::kSmartRcvDriveData, &in, 32, &out, sizeof out, &n)) return -1;
  return out.buffer[at];
}

bool SmartCommand(SimMachine& m, Handle h, std::uint8_t feature, std::uint8_t low,
                  w::AtaRegisters* returned = nullptr) {
  w::SmartCommandInput in{};
  in.regs = {feature, 1, low, 0x4F, 0xC2, 0xA0, 0xB0, 0};
  std::uint8_t out[32] = {};
  std::uint32_t n = 0;
  const bool ok = m.DeviceControl(h, w::kSmartSendDriveCommand, &in, 32, out, sizeof out, &n);
  if (returned) std::memcpy(returned, out + 16, 8);
  return ok;
}

TEST(SimMachine, DevicePathsAndRights) {
  auto m = Machine(kMachine);
  EXPECT_NE(platform::kInvalidHandle, m->OpenDevice(L"\\\\.\\PhysicalDrive0"));
  EXPECT_NE(platform::kInvalidHandle, m->OpenDevice(L"\\\\.\\physicaldrive2"));
  EXPECT_NE(platform::kInvalidHandle, m->OpenDevice(L"\\\\.\\SCSI5:"));
  EXPECT_NE(platform::kInvalidHandle, m->OpenDevice(L"\\\\.\\C:"));
  for (const wchar_t* bad : {L"\\\\.\\PhysicalDrive3", L"\\\\.\\PhysicalDrive", L"\\\\.\\PhysicalDrive0x",
                             L"\\\\.\\SCSI9:", L"\\\\.\\D:", L"C:", L"", L"\\\\.\\PhysicalDrive00000"}) {
    EXPECT_EQ(platform::kInvalidHandle, m->OpenDevice(bad)) << std::wstring(bad).size();
    EXPECT_EQ(platform::kErrorFileNotFound, m->LastError());
  }
  auto user = Machine(R"({"administrator":false,"drives":[{"number":0}]})");
  EXPECT_FALSE(user->IsAdministrator());
  EXPECT_EQ(platform::kInvalidHandle, user->OpenDevice(L"\\\\.\\PhysicalDrive0"));
  EXPECT_EQ(platform::kErrorAccessDenied, user->LastError());
  std::uint32_t n = 0;
  EXPECT_FALSE(m->DeviceControl(12345, w::kDiskGetDriveGeometry, nullptr, 0, nullptr, 0, &n));
  EXPECT_EQ(platform::kErrorInvalidHandle, m->LastError());
}

TEST(SimMachine, Volumes) {
  auto m = Machine(kMachine);
  EXPECT_EQ((1u << 2) | (1u << 4) | (1u << 17) | (1u << 18) | (1u << 25), m->LogicalDrives());
  EXPECT_EQ(platform::kDriveFixed, m->GetDriveType(L'C'));
  EXPECT_EQ(platform::kDriveRemovable, m->GetDriveType(L'e'));
  EXPECT_EQ(platform::kDriveRamdisk, m->GetDriveType(L'R'));
  EXPECT_EQ(platform::kDriveNoRootDir, m->GetDriveType(L'Q'));
  std::uint64_t total = 0, free = 0;
  ASSERT_TRUE(m->GetDiskFreeSpace(L'C', &total, &free));
  EXPECT_EQ(1000u, total);
  EXPECT_EQ(400u, free);
  EXPECT_FALSE(m->GetDiskFreeSpace(L'E', &total, &free));
  EXPECT_EQ(platform::kErrorNotReady, m->LastError());

  std::uint8_t reply[w::kVolumeExtentsReplySize] = {};
  std::uint32_t n = 0;
  const Handle c = m->OpenDevice(L"\\\\.\\C:");
  EXPECT_TRUE(m->DeviceControl(c, w::kStorageCheckVerify, nullptr, 0, nullptr, 0, &n));
  ASSERT_TRUE(m->DeviceControl(c, w::kVolumeGetVolumeDiskExtents, nullptr, 0, reply, sizeof reply, &n));
  EXPECT_EQ(32u, n);
  EXPECT_EQ(1u, reply[0]);
  EXPECT_EQ(0u, reply[8]);  // disk 0

  const Handle e = m->OpenDevice(L"\\\\.\\E:");
  EXPECT_FALSE(m->DeviceControl(e, w::kStorageCheckVerify, nullptr, 0, nullptr, 0, &n));
  EXPECT_EQ(platform::kErrorNotReady, m->LastError());

  // 143 extents do not fit in 3200 bytes: "more data" with the count.
  const Handle s = m->OpenDevice(L"\\\\.\\S:");
  std::memset(reply, 0, sizeof reply);
  EXPECT_FALSE(m->DeviceControl(s, w::kVolumeGetVolumeDiskExtents, nullptr, 0, reply, sizeof reply, &n));
  EXPECT_EQ(w::kErrorMoreData, m->LastError());
  EXPECT_EQ(143u, reply[0]);
  EXPECT_FALSE(m->DeviceControl(s, w::kVolumeGetVolumeDiskExtents, nullptr, 0, reply, 16, &n));
  EXPECT_EQ(platform::kErrorInsufficientBuffer, m->LastError());

  const Handle r = m->OpenDevice(L"\\\\.\\R:");
  EXPECT_FALSE(m->DeviceControl(r, w::kVolumeGetVolumeDiskExtents, nullptr, 0, reply, sizeof reply, &n));
}

TEST(SimMachine, GeometryDescriptorAndAddress) {
  auto m = Machine(kMachine);
  const Handle d0 = m->OpenDevice(L"\\\\.\\PhysicalDrive0");
  w::DiskGeometry g{};
  std::uint32_t n = 0;
  ASSERT_TRUE(m->DeviceControl(d0, w::kDiskGetDriveGeometry, nullptr, 0, &g, sizeof g, &n));
  EXPECT_EQ(24u, n);
  EXPECT_EQ(512u, g.bytesPerSector);
  EXPECT_EQ(1000000 / (255 * 63), g.cylinders);
  EXPECT_FALSE(m->DeviceControl(d0, w::kDiskGetDriveGeometry, nullptr, 0, &g, 23, &n));

  w::StoragePropertyQuery q{};
  std::uint8_t desc[256] = {};
  ASSERT_TRUE(m->DeviceControl(d0, w::kStorageQueryProperty, &q, sizeof q, desc, sizeof desc, &n));
  w::StorageDeviceDescriptor dd{};
  std::memcpy(&dd, desc, sizeof dd);
  EXPECT_EQ(11u, dd.busType);
  EXPECT_STREQ("Generic Disk", reinterpret_cast<char*>(desc + dd.productIdOffset));

  const Handle d1 = m->OpenDevice(L"\\\\.\\PhysicalDrive1");
  EXPECT_FALSE(m->DeviceControl(d1, w::kDiskGetDriveGeometry, nullptr, 0, &g, sizeof g, &n));
  EXPECT_EQ(platform::kErrorNotReady, m->LastError());
  // The address request of drive 1 hangs for 150 ms.
  w::ScsiAddress a{};
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(m->DeviceControl(d1, w::kScsiGetAddress, nullptr, 0, &a, sizeof a, &n));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  EXPECT_EQ(1, a.portNumber);
}

TEST(SimMachine, SelfTestRunsInTimeAndCanBeAborted) {
  auto m = Machine(kMachine);
  const Handle h = m->OpenDevice(L"\\\\.\\PhysicalDrive0");
  EXPECT_EQ(0x00, SmartDataByte(*m, h, 363));
  ASSERT_TRUE(SmartCommand(*m, h, 0xD4, 0x01));  // short test: a minute
  const int running = SmartDataByte(*m, h, 363);
  EXPECT_EQ(0xF0, running & 0xF0);
  EXPECT_GE(running & 0x0F, 8);
  ASSERT_TRUE(SmartCommand(*m, h, 0xD4, 0x7F));
  EXPECT_EQ(0x10, SmartDataByte(*m, h, 363));  // aborted by the host
  ASSERT_TRUE(SmartCommand(*m, h, 0xD4, 0x02));  // extended: 60 ms, finishes with result 7
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(0x70, SmartDataByte(*m, h, 363));
  EXPECT_FALSE(SmartCommand(*m, h, 0xD4, 0x42));  // no such subcommand
}

TEST(SimMachine, ReturnStatusReportsAnExceededThreshold) {
  auto m = Machine(kMachine);
  w::AtaRegisters r{};
  ASSERT_TRUE(SmartCommand(*m, m->OpenDevice(L"\\\\.\\PhysicalDrive0"), 0xDA, 0, &r));
  EXPECT_EQ(0xF4, r.lbaMid);
  EXPECT_EQ(0x2C, r.lbaHigh);
}

// Random bytes for every request on every kind of handle: answers or
// errors, never a crash. The direct forms' pointer fields are cleared: a
// driver would follow them as the emulator does.
TEST(SimMachine, GarbageRequestsNeverCrash) {
  const char* json = R"({"drives":[
    {"number":0,"bridge":"native"},{"number":1,"bus":"USB","bridge":"sat"},
    {"number":2,"bus":"USB","bridge":"cypress"},{"number":3,"bus":"USB","bridge":"jmicron"},
    {"number":4,"bus":"USB","bridge":"sunplus"},{"number":5,"kind":"nvme","bridge":"samsung-nvme"},
    {"number":6,"kind":"nvme","bridge":"miniport-samsung"},{"number":7,"kind":"nvme","bridge":"miniport-intel"},
    {"number":8,"kind":"nvme","bridge":"storage-query"},{"number":9,"kind":"nvme","bus":"USB","bridge":"jms583"},
    {"number":10,"kind":"nvme","bus":"USB","bridge":"rtl9210"},{"number":11,"kind":"nvme","bus":"USB","bridge":"asm2362"},
    {"number":12,"bus":"USB","bridge":"none"}],
    "volumes":[{"letter":"C","disks":[0]}]})";
  auto m = Machine(json);
  std::vector<Handle> handles;
  for (int i = 0; i <= 12; ++i) {
    handles.push_back(m->OpenDevice(L"\\\\.\\PhysicalDrive" + std::to_wstring(i)));
    handles.push_back(m->OpenDevice(L"\\\\.\\SCSI" + std::to_wstring(i) + L":"));
  }
  handles.push_back(m->OpenDevice(L"\\\\.\\C:"));
  const std::uint32_t codes[] = {w::kSmartGetVersion, w::kSmartSendDriveCommand, w::kSmartRcvDriveData,
                                 w::kAtaPassThrough, w::kAtaPassThroughDirect, w::kScsiPassThrough,
                                 w::kScsiPassThroughDirect, w::kScsiGetAddress, w::kScsiMiniport,
                                 w::kStorageQueryProperty, w::kDiskGetDriveGeometry, w::kDiskGetDriveGeometryEx,
                                 w::kStorageCheckVerify, w::kVolumeGetVolumeDiskExtents, 0xDEADBEEF};
  std::mt19937 rng(1234);
  std::vector<std::uint8_t> in(8192), out(8192);
  int answered = 0;
  for (int round = 0; round < 4000; ++round) {
    const Handle h = handles[rng() % handles.size()];
    const std::uint32_t code = codes[rng() % std::size(codes)];
    const std::uint32_t inSize = rng() % 5000, outSize = rng() % 5000;
    for (auto& b : in) b = static_cast<std::uint8_t>(rng());
    // Half the rounds carry a well-formed SCSI pass-through header with a
    // random CDB, so that the bridges' parsers see vendor commands.
    if (code == w::kScsiPassThrough && (round & 1)) {
      w::ScsiPassThrough spt{};
      spt.length = sizeof spt;
      spt.cdbLength = static_cast<std::uint8_t>(1 + rng() % 16);
      spt.senseInfoLength = 32;
      spt.senseInfoOffset = w::kSptSenseOffset;
      spt.dataIn = static_cast<std::uint8_t>(rng() % 3);
      spt.dataTransferLength = rng() % 4200;
      spt.dataBufferOffset = w::kSptDataOffset;
      static const std::uint8_t kOps[] = {0xA1, 0x85, 0x24, 0xDF, 0xF8, 0xE4, 0xE6, 0xB5, 0xA2, 0x12};
      for (int i = 0; i < 16; ++i) spt.cdb[i] = static_cast<std::uint8_t>(rng());
      spt.cdb[0] = kOps[rng() % std::size(kOps)];
      std::memcpy(in.data(), &spt, sizeof spt);
    }
    if (code == w::kAtaPassThroughDirect || code == w::kScsiPassThroughDirect) std::memset(&in[24], 0, 8);
    std::uint32_t n = 0;
    if (m->DeviceControl(h, code, in.data(), inSize, out.data(), outSize, &n)) {
      ++answered;
      EXPECT_LE(n, std::max(inSize, outSize));
    }
  }
  EXPECT_GT(answered, 0);
}

}  // namespace
