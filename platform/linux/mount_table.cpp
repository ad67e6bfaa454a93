#include "linux/mount_table.h"

#include <algorithm>
#include <set>
#include <sstream>
#include <system_error>

#include "linux/block_devices.h"
#include "linux/sysfs_util.h"
#include "platform/platform.h"

namespace platform::linux_backend {
namespace fs = std::filesystem;

namespace {

// mountinfo escapes blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto octal = [&](std::size_t k) { return k < text.size() && text[k] >= '0' && text[k] <= '7'; };
    if (text[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
      out.push_back(static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

struct VolumeDevice {
  std::string blockName;  // "sda1"
  std::string diskName;   // "sda" (empty for dm/md)
};

// The block device behind a mount: by its device number, or by the /dev
// path of its source (file systems such as btrfs report an anonymous number).
bool FindVolumeDevice(const fs::path& root, const MountEntry& m, VolumeDevice* out) {
  std::error_code ec;
  fs::path link;
  if (m.major != 0) {
    link = root / "sys" / "dev" / "block" / (std::to_string(m.major) + ":" + std::to_string(m.minor));
    if (!fs::exists(link, ec)) link.clear();
  }
  if (link.empty() && StartsWith(m.source, "/dev/")) {
    fs::path node = root / m.source.substr(1);
    fs::path real = fs::canonical(node, ec);
    std::string base = ec ? fs::path(m.source).filename().string() : real.filename().string();
    link = root / "sys" / "class" / "block" / base;
    if (!fs::exists(link, ec)) return false;
  }
  if (link.empty()) return false;
  fs::path resolved = fs::canonical(link, ec);
  if (ec) return false;
  out->blockName = resolved.filename().string();
  if (fs::exists(resolved / "partition", ec)) {
    out->diskName = resolved.parent_path().filename().string();
  } else if (fs::exists(root / "sys" / "block" / out->blockName, ec)) {
    out->diskName = out->blockName;
  }
  return true;
}

std::uint32_t TypeOfBlockVolume(const fs::path& root, const VolumeDevice& v) {
  const std::string& name = v.blockName;
  if (StartsWith(name, "ram") || StartsWith(name, "zram")) return kDriveRamdisk;
  if (!v.diskName.empty()) {
    BlockDevice disk = DescribeBlockDevice(root, v.diskName);
    if (disk.kind == DeviceKind::kOptical) return kDriveCdrom;
    if (disk.removable) return kDriveRemovable;
  }
  return kDriveFixed;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(const std::string& text) {
  std::vector<MountEntry> entries;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::vector<std::string> f;
    std::string word;
    while (fields >> word) f.push_back(word);
    auto dash = std::find(f.begin(), f.end(), "-");
    if (f.size() < 6 || dash == f.end() || dash - f.begin() < 6 || f.end() - dash < 3) continue;
    MountEntry e;
    try {
      e.mountId = std::stoi(f[0]);
      e.parentId = std::stoi(f[1]);
    } catch (...) {
      continue;
    }
    if (!ParseMajorMinor(f[2], &e.major, &e.minor)) continue;
    e.root = Unescape(f[3]);
    e.mountPoint = Unescape(f[4]);
    e.fsType = *(dash + 1);
    e.source = Unescape(*(dash + 2));
    entries.push_back(std::move(e));
  }
  return entries;
}

bool IsNetworkFileSystem(const std::string& fsType) {
  static const std::set<std::string> kNetwork = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs",
                                                  "ceph", "glusterfs", "fuse.glusterfs", "afs",
                                                  "coda", "fuse.sshfs", "9p", "davfs", "fuse.davfs"};
  return kNetwork.count(fsType) != 0;
}

std::vector<LogicalDrive> AssignDriveLetters(const fs::path& root, const std::vector<MountEntry>& mounts) {
  struct Candidate {
    LogicalDrive drive;
    std::string key;  // one letter per device or network source
  };
  std::vector<Candidate> candidates;
  int rootIndex = -1;
  for (const auto& m : mounts) {
    Candidate c;
    c.drive.mountPoint = m.mountPoint;
    c.drive.fsType = m.fsType;
    c.drive.source = m.source;
    VolumeDevice v;
    if (IsNetworkFileSystem(m.fsType)) {
      c.drive.driveType = kDriveRemote;
      c.key = "net:" + m.source;
    } else if (FindVolumeDevice(root, m, &v)) {
      if (StartsWith(v.blockName, "loop")) continue;  // images mounted from files
      c.drive.blockName = v.blockName;
      c.drive.diskName = v.diskName;
      c.drive.driveType = TypeOfBlockVolume(root, v);
      c.key = "blk:" + v.blockName;
    } else {
      continue;
    }
    if (m.mountPoint == "/") rootIndex = static_cast<int>(candidates.size());
    candidates.push_back(std::move(c));
  }
  // The root file system first, then mount order; a device keeps its first letter.
  std::vector<Candidate*> order;
  if (rootIndex >= 0) order.push_back(&candidates[rootIndex]);
  for (std::size_t i = 0; i < candidates.size(); ++i)
    if (static_cast<int>(i) != rootIndex) order.push_back(&candidates[i]);

  std::vector<LogicalDrive> drives;
  std::set<std::string> seen;
  std::set<std::string> mountedDisks;
  wchar_t next = L'C';
  for (Candidate* c : order) {
    if (!seen.insert(c->key).second) continue;
    if (!c->drive.diskName.empty()) mountedDisks.insert(c->drive.diskName);
    if (next > L'Z') continue;
    c->drive.letter = next++;
    drives.push_back(c->drive);
  }
  // Optical drives and empty removable slots without a mounted file system.
  for (const auto& dev : ScanBlockDevices(root)) {
    if (next > L'Z') break;
    if (mountedDisks.count(dev.name)) continue;
    bool optical = dev.kind == DeviceKind::kOptical;
    bool emptySlot = dev.kind == DeviceKind::kDisk && dev.removable && dev.sizeBytes == 0;
    if (!optical && !emptySlot) continue;
    LogicalDrive d;
    d.letter = next++;
    d.driveType = optical ? kDriveCdrom : kDriveRemovable;
    d.blockName = dev.name;
    d.diskName = dev.name;
    drives.push_back(d);
  }
  return drives;
}

std::vector<LogicalDrive> LogicalDrives(const fs::path& root) {
  auto text = ReadWholeFile(root / "proc" / "self" / "mountinfo");
  if (!text) return {};
  return AssignDriveLetters(root, ParseMountInfo(*text));
}

}  // namespace platform::linux_backend
