#include "linux/volume_extents.h"

#include <system_error>

#include "linux/sysfs_util.h"

namespace platform::linux_backend {
namespace fs = std::filesystem;

namespace {

int DriveNumberOf(const std::string& disk, const std::vector<BlockDevice>& drives) {
  for (std::size_t i = 0; i < drives.size(); ++i)
    if (drives[i].name == disk) return static_cast<int>(i);
  return -1;
}

void Collect(const fs::path& root, const std::string& name, const std::vector<BlockDevice>& drives,
             int depth, std::vector<VolumeExtent>* out) {
  if (depth > 16) return;  // a cycle in a broken tree
  std::error_code ec;
  fs::path resolved = fs::canonical(root / "sys" / "class" / "block" / name, ec);
  if (ec) return;
  if (fs::exists(resolved / "partition", ec)) {
    std::string parent = resolved.parent_path().filename().string();
    int number = DriveNumberOf(parent, drives);
    if (number < 0) {  // a partition of an md or dm device: the disks beneath it
      Collect(root, parent, drives, depth + 1, out);
      return;
    }
    VolumeExtent e;
    e.diskNumber = number;
    e.startingOffset = ReadNumber(resolved / "start").value_or(0) * 512;
    e.length = ReadNumber(resolved / "size").value_or(0) * 512;
    out->push_back(e);
    return;
  }
  bool hasSlaves = false;
  for (const auto& slave : fs::directory_iterator(resolved / "slaves", ec)) {
    hasSlaves = true;
    Collect(root, slave.path().filename().string(), drives, depth + 1, out);
  }
  if (hasSlaves) return;
  int number = DriveNumberOf(resolved.filename().string(), drives);
  if (number < 0) return;
  VolumeExtent e;
  e.diskNumber = number;
  e.length = ReadNumber(resolved / "size").value_or(0) * 512;
  out->push_back(e);
}

}  // namespace

std::vector<VolumeExtent> VolumeExtents(const fs::path& root, const std::string& blockName,
                                        const std::vector<BlockDevice>& physicalDrives) {
  std::vector<VolumeExtent> extents;
  Collect(root, blockName, physicalDrives, 0, &extents);
  return extents;
}

}  // namespace platform::linux_backend
