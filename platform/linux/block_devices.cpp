#include "linux/block_devices.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <system_error>

#include "linux/sysfs_util.h"
#include "platform/wire.h"

namespace platform::linux_backend {
namespace fs = std::filesystem;

namespace {

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    auto slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    if (slash > start) parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

// "ata3", "usb2", "virtio1": the prefix followed by digits only.
bool IsNumbered(const std::string& part, const char* prefix) {
  std::string p(prefix);
  if (part.size() <= p.size() || !StartsWith(part, prefix)) return false;
  return std::all_of(part.begin() + p.size(), part.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; });
}

int NaturalCompare(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
      std::size_t ei = i, ej = j;
      while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
      while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
      std::string na = a.substr(i, ei - i), nb = b.substr(j, ej - j);
      na.erase(0, std::min(na.find_first_not_of('0'), na.size()));
      nb.erase(0, std::min(nb.find_first_not_of('0'), nb.size()));
      if (na.size() != nb.size()) return na.size() < nb.size() ? -1 : 1;
      if (int c = na.compare(nb)) return c < 0 ? -1 : 1;
      i = ei;
      j = ej;
    } else {
      if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
      ++i;
      ++j;
    }
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

// Relative path below root/sys of a resolved sysfs path.
std::string BelowSys(const fs::path& root, const fs::path& resolved) {
  std::error_code ec;
  fs::path sys = fs::weakly_canonical(root / "sys", ec);
  fs::path rel = resolved.lexically_relative(sys);
  std::string text = rel.generic_string();
  if (text.empty() || StartsWith(text, "..")) return resolved.generic_string();
  return text;
}

bool ExcludedByName(const std::string& name) {
  static const char* const kPrefixes[] = {"loop", "ram", "zram", "dm-", "md", "nbd", "fd",
                                          "mtdblock", "ubiblock", "drbd", "rbd", "zd"};
  for (const char* p : kPrefixes)
    if (StartsWith(name, p)) return true;
  // Hidden paths of a multipath NVMe namespace: nvme0c1n1.
  if (StartsWith(name, "nvme") && name.find('c') != std::string::npos) return true;
  // eMMC boot and replay-protected areas.
  if (StartsWith(name, "mmcblk") && (name.find("boot") != std::string::npos ||
                                     name.find("rpmb") != std::string::npos))
    return true;
  return false;
}

// SATA when the libata link reports a SATA speed, else parallel ATA.
std::uint32_t LibataBusType(const fs::path& root, const std::vector<std::string>& parts,
                            std::size_t ataIndex) {
  fs::path port = root / "sys";
  for (std::size_t k = 0; k <= ataIndex; ++k) port /= parts[k];
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(port, ec)) {
    std::string link = entry.path().filename().string();
    if (!StartsWith(link, "link")) continue;
    std::string speed = ReadAttribute(entry.path() / "ata_link" / link / "sata_spd");
    if (!speed.empty() && speed != "<unknown>") return wire::kBusSata;
  }
  return wire::kBusAta;
}

std::string HexEscapedFree(std::string text) {
  // VPD serial pages start with a 4-byte header; keep the printable text.
  std::string out;
  for (unsigned char c : text)
    if (c >= 0x20 && c < 0x7F) out.push_back(static_cast<char>(c));
  auto first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  auto last = out.find_last_not_of(' ');
  return out.substr(first, last - first + 1);
}

void ReadScsiDevice(const fs::path& root, const fs::path& deviceLink, BlockDevice* dev) {
  std::error_code ec;
  fs::path resolved = fs::canonical(deviceLink, ec);
  if (ec) return;
  std::string address = resolved.filename().string();  // "H:C:T:L"
  unsigned h, c, t, l;
  char tail;
  if (std::sscanf(address.c_str(), "%u:%u:%u:%u%c", &h, &c, &t, &l, &tail) == 4) {
    dev->hasScsiAddress = true;
    dev->scsiHost = h;
    dev->scsiChannel = c;
    dev->scsiTarget = t;
    dev->scsiLun = l;
  }
  dev->vendor = ReadAttribute(deviceLink / "vendor");
  dev->product = ReadAttribute(deviceLink / "model");
  dev->revision = ReadAttribute(deviceLink / "rev");
  if (auto page = ReadWholeFile(deviceLink / "vpd_pg80"); page && page->size() > 4)
    dev->serial = HexEscapedFree(page->substr(4));
  (void)root;
}

}  // namespace

bool HardwarePathLess(const std::string& a, const std::string& b) {
  auto pa = SplitPath(a), pb = SplitPath(b);
  for (std::size_t k = 0; k < pa.size() && k < pb.size(); ++k) {
    if (pa[k] == pb[k]) continue;
    if (pa[k].size() == pb[k].size()) return pa[k] < pb[k];
    return NaturalCompare(pa[k], pb[k]) < 0;
  }
  return pa.size() < pb.size();
}

BlockDevice DescribeBlockDevice(const fs::path& root, const std::string& name) {
  BlockDevice dev;
  dev.name = name;
  std::string nodeName = name;
  std::replace(nodeName.begin(), nodeName.end(), '!', '/');
  dev.devNode = "/dev/" + nodeName;
  fs::path block = root / "sys" / "block" / name;
  std::error_code ec;
  fs::path resolved = fs::canonical(block, ec);
  dev.devicePath = ec ? ("block/" + name) : BelowSys(root, resolved);
  ParseMajorMinor(ReadAttribute(block / "dev"), &dev.major, &dev.minor);

  // Virtual devices (loop, RAM, dm, md, ...) are left out before anything
  // else is read; a multipath NVMe namespace lives below its subsystem.
  auto parts = SplitPath(dev.devicePath);
  bool isVirtualTree = parts.size() >= 2 && parts[0] == "devices" && parts[1] == "virtual";
  bool nvmeHead = isVirtualTree && parts.size() >= 3 && parts[2] == "nvme-subsystem";
  if ((isVirtualTree && !nvmeHead) || ExcludedByName(name)) {
    dev.kind = DeviceKind::kExcluded;
    return dev;
  }
  std::string scsiType = ReadAttribute(block / "device" / "type");
  dev.kind = (StartsWith(name, "sr") || scsiType == "5") ? DeviceKind::kOptical : DeviceKind::kDisk;
  if (auto sectors = ReadNumber(block / "size")) dev.sizeBytes = *sectors * 512;
  if (auto lbs = ReadNumber(block / "queue" / "logical_block_size"); lbs && *lbs >= 512 && *lbs <= 65536)
    dev.logicalBlockSize = static_cast<std::uint32_t>(*lbs);
  dev.removable = ReadAttribute(block / "removable") == "1";

  std::size_t ataIndex = parts.size();
  bool usb = false, sas = false, iscsi = false, firewire = false, virtio = false;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const std::string& p = parts[k];
    if (IsNumbered(p, "ata") && ataIndex == parts.size()) ataIndex = k;
    if (IsNumbered(p, "usb")) usb = true;
    if (StartsWith(p, "end_device-")) sas = true;
    if (IsNumbered(p, "session")) iscsi = true;
    if (IsNumbered(p, "fw")) firewire = true;
    if (IsNumbered(p, "virtio")) virtio = true;
  }

  if (StartsWith(name, "nvme")) {
    dev.busType = wire::kBusNvme;
    fs::path ctrl = block / "device";
    fs::path ctrlResolved = fs::canonical(ctrl, ec);
    if (!ec) dev.nvmeController = ctrlResolved.filename().string();
    if (nvmeHead && !ec) {
      // Take the subsystem's first controller for the adapter and the order.
      std::vector<std::string> controllers;
      for (const auto& entry : fs::directory_iterator(ctrlResolved, ec)) {
        std::string c = entry.path().filename().string();
        if (IsNumbered(c, "nvme")) controllers.push_back(c);
      }
      std::sort(controllers.begin(), controllers.end(), HardwarePathLess);
      if (!controllers.empty()) {
        dev.nvmeController = controllers.front();
        fs::path first = fs::canonical(ctrlResolved / controllers.front(), ec);
        if (!ec) dev.devicePath = BelowSys(root, first) + "/" + name;
      }
    }
    dev.vendor = "NVMe";
    dev.product = ReadAttribute(ctrl / "model");
    dev.revision = ReadAttribute(ctrl / "firmware_rev");
    dev.serial = ReadAttribute(ctrl / "serial");
    if (auto nsid = ReadNumber(block / "nsid")) {
      dev.nvmeNamespace = static_cast<std::uint32_t>(*nsid);
    } else if (auto n = name.rfind('n'); n != std::string::npos && n > 4) {
      dev.nvmeNamespace = static_cast<std::uint32_t>(std::strtoul(name.c_str() + n + 1, nullptr, 10));
    }
    return dev;
  }
  if (StartsWith(name, "mmcblk")) {
    dev.busType = wire::kBusSd;
    dev.product = ReadAttribute(block / "device" / "name");
    dev.revision = ReadAttribute(block / "device" / "fwrev");
    dev.serial = ReadAttribute(block / "device" / "serial");
    return dev;
  }
  if (StartsWith(name, "vd") || StartsWith(name, "xvd")) {
    dev.busType = wire::kBusVirtual;
    dev.serial = ReadAttribute(block / "serial");
    return dev;
  }

  ReadScsiDevice(root, block / "device", &dev);
  if (usb) {
    dev.busType = wire::kBusUsb;
  } else if (ataIndex < parts.size()) {
    dev.libata = true;
    dev.busType = LibataBusType(root, parts, ataIndex);
  } else if (sas) {
    dev.busType = wire::kBusSas;
  } else if (iscsi) {
    dev.busType = wire::kBusIscsi;
  } else if (firewire) {
    dev.busType = wire::kBus1394;
  } else if (virtio) {
    dev.busType = wire::kBusScsi;  // virtio-scsi
  } else {
    dev.busType = wire::kBusScsi;
  }
  return dev;
}

std::vector<BlockDevice> ScanBlockDevices(const fs::path& root) {
  std::vector<BlockDevice> devices;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(root / "sys" / "block", ec)) {
    BlockDevice dev = DescribeBlockDevice(root, entry.path().filename().string());
    if (dev.kind != DeviceKind::kExcluded) devices.push_back(std::move(dev));
  }
  std::sort(devices.begin(), devices.end(), [](const BlockDevice& a, const BlockDevice& b) {
    if (a.devicePath != b.devicePath) return HardwarePathLess(a.devicePath, b.devicePath);
    return a.name < b.name;
  });
  return devices;
}

std::vector<BlockDevice> PhysicalDrives(const fs::path& root) {
  std::vector<BlockDevice> disks;
  for (auto& dev : ScanBlockDevices(root)) {
    if (dev.kind != DeviceKind::kDisk) continue;
    if (static_cast<int>(disks.size()) >= kMaxPhysicalDrives) break;
    disks.push_back(std::move(dev));
  }
  return disks;
}

}  // namespace platform::linux_backend

namespace platform::linux_backend {

std::vector<std::pair<std::string, unsigned>> NvmeAdapterPorts(const fs::path& root,
                                                               const std::vector<BlockDevice>& drives) {
  unsigned next = 0;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(root / "sys" / "class" / "scsi_host", ec)) {
    std::string name = entry.path().filename().string();
    if (!IsNumbered(name, "host")) continue;
    unsigned host = 0;
    auto parsed = std::from_chars(name.data() + 4, name.data() + name.size(), host);
    if (parsed.ec == std::errc() && host < 0xFFFF) next = std::max(next, host + 1);
  }
  std::vector<std::pair<std::string, unsigned>> ports;
  for (const auto& d : drives) {
    if (d.nvmeController.empty()) continue;
    bool known = false;
    for (const auto& p : ports) known = known || p.first == d.nvmeController;
    if (!known) ports.emplace_back(d.nvmeController, next++);
  }
  return ports;
}

}  // namespace platform::linux_backend
