// The Linux platform over the fixture machine: device paths, handles,
// volumes and activity counters.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "linux/native_platform.h"
#include "platform/platform.h"
#include "platform/wire.h"

namespace lb = platform::linux_backend;
namespace w = platform::wire;

namespace {

class LinuxPlatform : public ::testing::Test {
 protected:
  std::shared_ptr<platform::Platform> p = lb::CreateLinuxPlatform(std::string(LINUX_FIXTURES) + "/machine");
};

TEST_F(LinuxPlatform, DevicePaths) {
  struct Case {
    const wchar_t* path;
    bool opens;
    std::uint32_t error;
  } cases[] = {
      {L"\\\\.\\PhysicalDrive4", true, 0},                          // sda
      {L"\\\\.\\physicaldrive4", true, 0},                          // names are case-blind
      {L"\\\\.\\PhysicalDrive0", false, platform::kErrorFileNotFound},  // vda: no device node here
      {L"\\\\.\\PhysicalDrive8", false, platform::kErrorFileNotFound},  // beyond the last disk
      {L"\\\\.\\PhysicalDrive", false, platform::kErrorFileNotFound},
      {L"\\\\.\\PhysicalDrive4x", false, platform::kErrorFileNotFound},
      {L"\\\\.\\SCSI10:", true, 0},                                  // the NVMe controller's adapter
      {L"\\\\.\\SCSI9:", false, platform::kErrorFileNotFound},       // SCSI hosts have no miniport here
      {L"\\\\.\\C:", true, 0},
      {L"\\\\.\\F:", true, 0},                                       // network drive
      {L"\\\\.\\Z:", false, platform::kErrorFileNotFound},
      {L"\\\\.\\SMARTVSD", false, platform::kErrorFileNotFound},
      {L"C:", false, platform::kErrorFileNotFound},
      {L"", false, platform::kErrorFileNotFound},
  };
  for (const auto& c : cases) {
    platform::Handle h = p->OpenDevice(c.path);
    EXPECT_EQ(h != platform::kInvalidHandle, c.opens) << std::string(c.path, c.path + std::wcslen(c.path));
    if (h != platform::kInvalidHandle) {
      p->CloseDevice(h);
    } else {
      EXPECT_EQ(p->LastError(), c.error);
    }
  }
}

TEST_F(LinuxPlatform, RequestsReachTheOpenedDisk) {
  platform::Handle h = p->OpenDevice(L"\\\\.\\PhysicalDrive4");
  ASSERT_NE(h, platform::kInvalidHandle);
  std::uint8_t in[12] = {}, out[256] = {};
  std::uint32_t returned = 0;
  ASSERT_TRUE(p->DeviceControl(h, w::kStorageQueryProperty, in, sizeof in, out, sizeof out, &returned));
  w::StorageDeviceDescriptor d;
  std::memcpy(&d, out, sizeof d);
  EXPECT_EQ(d.busType, w::kBusSata);
  EXPECT_EQ(returned, d.size);
  // The node is a plain file: block ioctls fail as an unknown request would.
  w::DiskGeometry g{};
  EXPECT_FALSE(p->DeviceControl(h, w::kDiskGetDriveGeometry, nullptr, 0, &g, sizeof g, &returned));
  EXPECT_EQ(p->LastError(), platform::kErrorInvalidFunction);
  EXPECT_EQ(returned, 0u);
  // A reply size no request needs is refused, not allocated.
  EXPECT_FALSE(p->DeviceControl(h, w::kStorageQueryProperty, in, sizeof in, out, 0xFFFFFFF0u, &returned));
  EXPECT_EQ(p->LastError(), platform::kErrorInvalidParameter);
  p->CloseDevice(h);
  EXPECT_FALSE(p->DeviceControl(h, w::kStorageQueryProperty, in, sizeof in, out, sizeof out, &returned));
  EXPECT_EQ(p->LastError(), platform::kErrorInvalidHandle);
}

TEST_F(LinuxPlatform, VolumeHandlesMapToDisks) {
  platform::Handle h = p->OpenDevice(L"\\\\.\\C:");
  ASSERT_NE(h, platform::kInvalidHandle);
  std::vector<std::uint8_t> reply(w::kVolumeExtentsReplySize);
  std::uint32_t returned = 0;
  ASSERT_TRUE(p->DeviceControl(h, w::kVolumeGetVolumeDiskExtents, nullptr, 0, reply.data(),
                               static_cast<std::uint32_t>(reply.size()), &returned));
  w::DiskExtent e;
  std::memcpy(&e, reply.data() + 8, sizeof e);
  EXPECT_EQ(reply[0], 1);
  EXPECT_EQ(e.diskNumber, 4u);  // the root volume lives on sda2
  EXPECT_EQ(e.startingOffset, 206848ll * 512);
  p->CloseDevice(h);
  // A reply with room for one extent of two: more data, and the count comes back.
  h = p->OpenDevice(L"\\\\.\\G:");
  ASSERT_NE(h, platform::kInvalidHandle);
  std::vector<std::uint8_t> small(32);
  EXPECT_FALSE(p->DeviceControl(h, w::kVolumeGetVolumeDiskExtents, nullptr, 0, small.data(), 32, &returned));
  EXPECT_EQ(p->LastError(), w::kErrorMoreData);
  EXPECT_EQ(small[0], 2);
  p->CloseDevice(h);
}

TEST_F(LinuxPlatform, LogicalDrivesTypesAndSpace) {
  EXPECT_EQ(p->LogicalDrives(), 0xFFFu & ~0x3u);  // C: to L:
  EXPECT_EQ(p->GetDriveType(L'C'), platform::kDriveFixed);
  EXPECT_EQ(p->GetDriveType(L'f'), platform::kDriveRemote);
  EXPECT_EQ(p->GetDriveType(L'H'), platform::kDriveRamdisk);
  EXPECT_EQ(p->GetDriveType(L'K'), platform::kDriveRemovable);
  EXPECT_EQ(p->GetDriveType(L'L'), platform::kDriveCdrom);
  EXPECT_EQ(p->GetDriveType(L'M'), platform::kDriveNoRootDir);
  std::uint64_t total = 0, free = 0;
  EXPECT_TRUE(p->GetDiskFreeSpace(L'C', &total, &free));  // the fixture folder itself
  EXPECT_GT(total, 0u);
  EXPECT_FALSE(p->GetDiskFreeSpace(L'L', &total, &free));  // optical drive without a disc
  EXPECT_EQ(p->LastError(), platform::kErrorNotReady);
  EXPECT_FALSE(p->GetDiskFreeSpace(L'D', &total, &free));  // /boot is not there in the fixture
  EXPECT_FALSE(p->GetDiskFreeSpace(L'Q', &total, &free));
}

TEST_F(LinuxPlatform, ActivityCountersPerPhysicalDrive) {
  EXPECT_EQ(p->ActivityDisks(), (std::vector<int>{3, 4}));  // nvme0n1 and sda have counters
  platform::DiskActivitySample s;
  ASSERT_TRUE(p->SampleDiskActivity(4, &s));
  EXPECT_EQ(s.bytesRead, 96000u * 512);
  EXPECT_EQ(s.busyMs, 1100u);
  EXPECT_FALSE(p->SampleDiskActivity(0, &s));  // vda has none
  EXPECT_FALSE(p->SampleDiskActivity(99, &s));
  EXPECT_FALSE(p->SampleDiskActivity(-1, &s));
}

TEST_F(LinuxPlatform, ErrorTextsAndPerThreadLastError) {
  EXPECT_EQ(p->ErrorText(platform::kErrorNotReady), L"The device is not ready.");
  EXPECT_EQ(p->ErrorText(w::kErrorMoreData), L"More data is available.");
  EXPECT_TRUE(p->ErrorText(987654).empty());
  p->OpenDevice(L"\\\\.\\SMARTVSD");
  std::uint32_t other = 12345;
  std::thread([&] { other = p->LastError(); }).join();
  EXPECT_EQ(p->LastError(), platform::kErrorFileNotFound);
  EXPECT_EQ(other, 0u);
}

}  // namespace
