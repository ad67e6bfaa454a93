// Physical drive numbering, device description, volume extents, disk
// counters and capability parsing against the fixture machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "linux/block_devices.h"
#include "linux/disk_stats.h"
#include "linux/privileges.h"
#include "linux/volume_extents.h"
#include "platform/wire.h"

namespace lb = platform::linux_backend;
namespace w = platform::wire;

namespace {

const std::string kRoot = std::string(LINUX_FIXTURES) + "/machine";

std::vector<std::string> Names(const std::vector<lb::BlockDevice>& devices) {
  std::vector<std::string> names;
  for (const auto& d : devices) names.push_back(d.name);
  return names;
}

TEST(PhysicalDrives, AreTheWholeDisksInHardwareOrder) {
  // Virtual devices, the optical drive and the hidden NVMe path are not
  // physical drives; ata2 comes before ata10 though sdc is named before sdd;
  // the multipath NVMe namespace takes the place of its controller.
  EXPECT_EQ(Names(lb::PhysicalDrives(kRoot)),
            (std::vector<std::string>{"vda", "sde", "sdb", "nvme0n1", "sda", "sdd", "sdc", "nvme1n1"}));
  auto all = lb::ScanBlockDevices(kRoot);
  EXPECT_EQ(Names(all),
            (std::vector<std::string>{"vda", "sde", "sdb", "nvme0n1", "sda", "sdd", "sr0", "sdc", "nvme1n1"}));
  EXPECT_EQ(all[6].kind, lb::DeviceKind::kOptical);
}

TEST(PhysicalDrives, NumberingIsStableAcrossScans) {
  EXPECT_EQ(Names(lb::PhysicalDrives(kRoot)), Names(lb::PhysicalDrives(kRoot)));
}

TEST(PhysicalDrives, DescribesEachKindOfDisk) {
  struct Case {
    const char* name;
    std::uint32_t bus;
    bool libata;
    bool removable;
    std::uint64_t bytes;
    const char* vendor;
    const char* product;
    const char* serial;
  } cases[] = {
      {"sda", w::kBusSata, true, false, 1000000ull * 512, "ATA", "Samsung SSD 860", "S3Z9NB0K123456A"},
      {"sdd", w::kBusAta, true, false, 400000ull * 512, "ATA", "OLD PATA DISK", ""},
      {"sdb", w::kBusUsb, false, false, 600000ull * 512, "JMicron", "Generic", "DD564198838E9"},
      {"sde", w::kBusUsb, false, true, 0, "Generic-", "SD/MMC", ""},
      {"nvme0n1", w::kBusNvme, false, false, 2000000ull * 512, "NVMe", "Samsung SSD 970 EVO Plus 1TB",
       "S4EWNX0R123456"},
      {"vda", w::kBusVirtual, false, false, 300000ull * 512, "", "", "VIRTIO-SERIAL-1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    lb::BlockDevice d = lb::DescribeBlockDevice(kRoot, c.name);
    EXPECT_EQ(d.kind, lb::DeviceKind::kDisk);
    EXPECT_EQ(d.busType, c.bus);
    EXPECT_EQ(d.libata, c.libata);
    EXPECT_EQ(d.removable, c.removable);
    EXPECT_EQ(d.sizeBytes, c.bytes);
    EXPECT_EQ(d.vendor, c.vendor);
    EXPECT_EQ(d.product, c.product);
    EXPECT_EQ(d.serial, c.serial);
    EXPECT_EQ(d.devNode, std::string("/dev/") + c.name);
  }
}

TEST(PhysicalDrives, ScsiAddressAndNvmeController) {
  lb::BlockDevice sdc = lb::DescribeBlockDevice(kRoot, "sdc");
  ASSERT_TRUE(sdc.hasScsiAddress);
  EXPECT_EQ(sdc.scsiHost, 9u);
  EXPECT_EQ(sdc.scsiChannel, 0u);
  EXPECT_EQ(sdc.scsiTarget, 0u);
  EXPECT_EQ(sdc.scsiLun, 0u);
  lb::BlockDevice nvme = lb::DescribeBlockDevice(kRoot, "nvme0n1");
  EXPECT_FALSE(nvme.hasScsiAddress);
  EXPECT_EQ(nvme.nvmeController, "nvme0");
  EXPECT_EQ(nvme.nvmeNamespace, 1u);
  EXPECT_EQ(nvme.revision, "2B2QEXM7");
  lb::BlockDevice head = lb::DescribeBlockDevice(kRoot, "nvme1n1");
  EXPECT_EQ(head.kind, lb::DeviceKind::kDisk);
  EXPECT_EQ(head.nvmeController, "nvme1");
  EXPECT_EQ(head.serial, "DP0001");
  // NVMe adapters are numbered after the highest SCSI host (host9).
  auto ports = lb::NvmeAdapterPorts(kRoot, lb::PhysicalDrives(kRoot));
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[0].first, "nvme0");
  EXPECT_EQ(ports[0].second, 10u);
  EXPECT_EQ(ports[1].first, "nvme1");
  EXPECT_EQ(ports[1].second, 11u);
}

TEST(PhysicalDrives, MissingTreeGivesNoDrives) {
  EXPECT_TRUE(lb::PhysicalDrives(std::string(LINUX_FIXTURES) + "/no-such-machine").empty());
}

TEST(HardwarePathLess, OrdersPartByPart) {
  struct Case {
    const char* a;
    const char* b;
    bool less;
  } cases[] = {
      {"devices/pci0000:00/0000:00:09.0/x", "devices/pci0000:00/0000:00:0a.0/x", true},  // hex, fixed width
      {"devices/pci0000:00/0000:00:1f.2/ata2/h", "devices/pci0000:00/0000:00:1f.2/ata10/h", true},
      {"devices/pci0000:00/0000:00:1f.2/ata10/h", "devices/pci0000:00/0000:00:1f.2/ata2/h", false},
      {"devices/usb1/1-2/x", "devices/usb1/1-10/x", true},
      {"devices/a", "devices/a/b", true},
      {"devices/a", "devices/a", false},
  };
  for (const auto& c : cases) EXPECT_EQ(lb::HardwarePathLess(c.a, c.b), c.less) << c.a << " < " << c.b;
}

TEST(VolumeExtents, MapVolumesToTheDisksBeneathThem) {
  auto drives = lb::PhysicalDrives(kRoot);  // vda sde sdb nvme0n1 sda sdd sdc
  auto sda1 = lb::VolumeExtents(kRoot, "sda1", drives);
  ASSERT_EQ(sda1.size(), 1u);
  EXPECT_EQ(sda1[0].diskNumber, 4);
  EXPECT_EQ(sda1[0].startingOffset, 2048u * 512);
  EXPECT_EQ(sda1[0].length, 204800u * 512);
  auto dm = lb::VolumeExtents(kRoot, "dm-0", drives);  // LVM on sda2
  ASSERT_EQ(dm.size(), 1u);
  EXPECT_EQ(dm[0].diskNumber, 4);
  EXPECT_EQ(dm[0].startingOffset, 206848u * 512);
  auto md = lb::VolumeExtents(kRoot, "md127", drives);  // RAID over two whole disks
  ASSERT_EQ(md.size(), 2u);
  std::vector<int> disks{md[0].diskNumber, md[1].diskNumber};
  std::sort(disks.begin(), disks.end());
  EXPECT_EQ(disks, (std::vector<int>{5, 6}));
  EXPECT_EQ(md[0].startingOffset, 0u);
  auto mdPart = lb::VolumeExtents(kRoot, "md127p1", drives);  // partition of the array
  EXPECT_EQ(mdPart.size(), 2u);
  auto whole = lb::VolumeExtents(kRoot, "sdb", drives);
  ASSERT_EQ(whole.size(), 1u);
  EXPECT_EQ(whole[0].diskNumber, 2);
  EXPECT_TRUE(lb::VolumeExtents(kRoot, "loop0", drives).empty());
  EXPECT_TRUE(lb::VolumeExtents(kRoot, "ram0", drives).empty());
  EXPECT_TRUE(lb::VolumeExtents(kRoot, "nosuch", drives).empty());
}

TEST(DiskStats, ParsesCumulativeCounters) {
  auto stats = lb::ParseDiskStats(
      "   8       0 sda 1200 30 96000 500 800 20 64000 900 0 1100 1400 0 0 0 0\n"
      "   8      16 sdb 5 0\n"
      "bad line\n"
      " 259       0 nvme0n1 10 0 2048 4 20 0 4096 8 0 12 12\n");
  ASSERT_EQ(stats.count("sda"), 1u);
  EXPECT_EQ(stats.count("sdb"), 0u);  // too few fields
  const auto& s = stats["sda"];
  EXPECT_EQ(s.reads, 1200u);
  EXPECT_EQ(s.bytesRead, 96000u * 512);
  EXPECT_EQ(s.readTimeMs, 500u);
  EXPECT_EQ(s.writes, 800u);
  EXPECT_EQ(s.bytesWritten, 64000u * 512);
  EXPECT_EQ(s.writeTimeMs, 900u);
  EXPECT_EQ(s.busyMs, 1100u);
  EXPECT_EQ(stats["nvme0n1"].bytesWritten, 4096u * 512);
}

TEST(Privileges, EffectiveCapabilityBits) {
  const char* status = "Name:\tx\nCapInh:\t0000000000000000\nCapEff:\t0000000000020000\n";
  EXPECT_TRUE(lb::HasEffectiveCapability(status, lb::kCapSysRawio));
  EXPECT_FALSE(lb::HasEffectiveCapability(status, lb::kCapSysAdmin));
  EXPECT_TRUE(lb::HasEffectiveCapability("CapEff:\t000001ffffffffff\n", lb::kCapSysAdmin));
  EXPECT_FALSE(lb::HasEffectiveCapability("CapEff:\tzz\n", lb::kCapSysRawio));
  EXPECT_FALSE(lb::HasEffectiveCapability("Name:\tx\n", lb::kCapSysRawio));
}

}  // namespace
