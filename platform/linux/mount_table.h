// Logical drives A: to Z: from the mount table.
//
// C: is the root file system; the other mounted file systems follow from D:
// in mount order (from C: when the root is not on a block device, as in an
// initramfs or a container). A file system counts when it lives on a block device
// (partitions, whole disks, device-mapper, md, RAM disks) or is a network
// file system; loop-mounted images, pseudo and tmpfs mounts do not. A device
// mounted more than once keeps the letter of its first mount. After the
// mounted file systems, optical drives and removable-media slots that hold
// no mounted file system get letters too, so that an empty card reader or
// optical drive shows as a letter without a medium.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform::linux_backend {

struct MountEntry {
  int mountId = 0;
  int parentId = 0;
  unsigned major = 0;
  unsigned minor = 0;
  std::string root;        // path inside the file system
  std::string mountPoint;  // unescaped
  std::string fsType;
  std::string source;
};

// Parses /proc/self/mountinfo text; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(const std::string& text);

struct LogicalDrive {
  wchar_t letter = 0;
  std::uint32_t driveType = 0;   // GetDriveType value
  std::string mountPoint;        // empty for a drive without a mounted file system
  std::string fsType;
  std::string source;
  std::string blockName;         // block device of the volume ("sda1", "dm-0"); empty for network
  std::string diskName;          // whole disk holding it, when it is a disk or partition
};

bool IsNetworkFileSystem(const std::string& fsType);

// Letters for the mount table below root (root/proc/self/mountinfo and
// root/sys), in letter order.
std::vector<LogicalDrive> AssignDriveLetters(const std::filesystem::path& root,
                                             const std::vector<MountEntry>& mounts);
std::vector<LogicalDrive> LogicalDrives(const std::filesystem::path& root);

}  // namespace platform::linux_backend
