// The machine's block devices as sysfs describes them, and the numbering of
// the physical drives.
//
// PhysicalDrive numbers: every whole-disk block device (SCSI/SATA/USB disks,
// NVMe namespaces, virtio, MMC and other disks), but not partitions, loop,
// RAM, zram, device-mapper, md, nbd or floppy devices, optical drives or
// hidden NVMe multipath paths. The disks are ordered by their place in the
// hardware tree (the sysfs device path: bus, controller, port, target, LUN),
// compared part by part with numbers compared by value, so the numbering
// stays the same from run to run and across reboots while the hardware stays
// the same; kernel names (sda, sdb, ...) do not decide it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace platform::linux_backend {

inline constexpr int kMaxPhysicalDrives = 100;

enum class DeviceKind { kDisk, kOptical, kExcluded };

struct BlockDevice {
  std::string name;          // kernel name, e.g. "sda", "nvme0n1"
  std::string devNode;       // "/dev/sda"
  std::string devicePath;    // sysfs path below /sys, e.g. "devices/pci0000:00/.../block/sda"
  unsigned major = 0;
  unsigned minor = 0;
  DeviceKind kind = DeviceKind::kExcluded;
  std::uint64_t sizeBytes = 0;        // 0: no medium
  std::uint32_t logicalBlockSize = 512;
  bool removable = false;
  std::uint32_t busType = 0;          // storage bus type code
  bool libata = false;                // an ATA device behind libata
  std::string vendor, product, revision, serial;
  bool hasScsiAddress = false;
  unsigned scsiHost = 0, scsiChannel = 0, scsiTarget = 0, scsiLun = 0;
  std::string nvmeController;         // "nvme0" for an NVMe namespace
  std::uint32_t nvmeNamespace = 0;
};

// Orders sysfs device paths part by part; parts of equal length compare as
// text (fixed-width PCI addresses), others with digit runs compared by value.
bool HardwarePathLess(const std::string& a, const std::string& b);

// Reads one whole-disk device "/sys/block/<name>" below root.
BlockDevice DescribeBlockDevice(const std::filesystem::path& root, const std::string& name);

// Every whole-disk device of /sys/block below root, in hardware order.
std::vector<BlockDevice> ScanBlockDevices(const std::filesystem::path& root);

// The physical drives: the disks of ScanBlockDevices, at most 100; the index
// is the PhysicalDrive number.
std::vector<BlockDevice> PhysicalDrives(const std::filesystem::path& root);

}  // namespace platform::linux_backend

namespace platform::linux_backend {

// Adapter port numbers of the NVMe controllers behind the given drives, as
// "\\.\SCSI%d:" names them: they follow the highest SCSI host number, one per
// controller in drive order.
std::vector<std::pair<std::string, unsigned>> NvmeAdapterPorts(const std::filesystem::path& root,
                                                               const std::vector<BlockDevice>& drives);

}  // namespace platform::linux_backend
