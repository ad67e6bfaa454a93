// Which physical drives hold a volume: a partition maps to its disk at the
// partition's offset; a device-mapper, md or LVM volume maps to every disk
// beneath it (one extent per underlying partition or disk).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "linux/block_devices.h"

namespace platform::linux_backend {

struct VolumeExtent {
  int diskNumber = 0;           // PhysicalDrive number
  std::uint64_t startingOffset = 0;
  std::uint64_t length = 0;
};

// Extents of the block device blockName ("sda1", "dm-0", "sdb") below root;
// disks that are not physical drives (loop files, RAM) are left out.
std::vector<VolumeExtent> VolumeExtents(const std::filesystem::path& root, const std::string& blockName,
                                        const std::vector<BlockDevice>& physicalDrives);

}  // namespace platform::linux_backend
