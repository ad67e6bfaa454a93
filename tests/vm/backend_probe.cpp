// Reads every drive of this machine straight through the native platform
// backend, building the same request bytes the library sends, and prints
// what came back as JSON. Run inside the test VM next to the reference tool.
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/backends.h"
#include "platform/platform.h"
#include "platform/wire.h"

namespace w = platform::wire;
using nlohmann::json;

namespace {

platform::Platform* g;

bool Control(platform::Handle h, std::uint32_t code, void* buf, std::uint32_t in, std::uint32_t out,
             std::uint32_t* returned = nullptr) {
  std::uint32_t r = 0;
  bool ok = g->DeviceControl(h, code, buf, in, buf, out, &r);
  if (returned) *returned = r;
  return ok;
}

std::string AtaText(const std::uint8_t* p, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; i += 2) {
    s.push_back(static_cast<char>(p[i + 1]));
    s.push_back(static_cast<char>(p[i]));
  }
  auto a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

std::string PlainText(const std::uint8_t* p, int bytes) {
  std::string s(reinterpret_cast<const char*>(p), strnlen(reinterpret_cast<const char*>(p), bytes));
  auto a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

std::uint64_t Le(const std::uint8_t* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

bool SmartReceive(platform::Handle h, std::uint8_t features, std::uint8_t command, std::uint8_t* data) {
  std::vector<std::uint8_t> buf(sizeof(w::SmartCommandOutput), 0);
  w::SmartCommandInput in{};
  in.bufferSize = 512;
  in.regs = {features, 1, 1, static_cast<std::uint8_t>(command == 0xB0 ? 0x4F : 0),
             static_cast<std::uint8_t>(command == 0xB0 ? 0xC2 : 0), 0xA0, command, 0};
  std::memcpy(buf.data(), &in, w::kSmartCommandInputSize);
  std::uint32_t returned = 0;
  if (!Control(h, w::kSmartRcvDriveData, buf.data(), w::kSmartCommandInputSize,
               static_cast<std::uint32_t>(buf.size()), &returned) || returned != 528)
    return false;
  std::memcpy(data, buf.data() + 16, 512);
  return true;
}

json AtaDevice(platform::Handle h) {
  json d;
  std::uint8_t id[512], values[512], thresholds[512];
  // SMART ENABLE OPERATIONS, as the library starts with.
  std::vector<std::uint8_t> send(sizeof(w::SmartCommandOutput), 0);
  w::SmartCommandInput en{};
  en.regs = {0xD8, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0};
  std::memcpy(send.data(), &en, w::kSmartCommandInputSize);
  d["smart_enable"] = Control(h, w::kSmartSendDriveCommand, send.data(), w::kSmartCommandInputSize, 16);
  if (!SmartReceive(h, 0, 0xEC, id)) return d;
  d["model"] = AtaText(id + 54, 40);
  d["serial"] = AtaText(id + 20, 20);
  d["firmware"] = AtaText(id + 46, 8);
  std::uint64_t sectors = (id[167] & 0x04) ? Le(id + 200, 8) : Le(id + 120, 4);
  d["sectors"] = sectors;
  if (SmartReceive(h, 0xD0, 0xB0, values) && SmartReceive(h, 0xD1, 0xB0, thresholds)) {
    json attrs = json::array();
    for (int i = 0; i < 30; ++i) {
      const std::uint8_t* a = values + 2 + i * 12;
      if (a[0] == 0) continue;
      int threshold = 0;
      for (int k = 0; k < 30; ++k)
        if (thresholds[2 + k * 12] == a[0]) threshold = thresholds[3 + k * 12];
      attrs.push_back({{"id", a[0]}, {"current", a[3]}, {"worst", a[4]}, {"threshold", threshold},
                       {"raw", Le(a + 5, 6)}});
    }
    d["attributes"] = attrs;
  }
  // READ NATIVE MAX ADDRESS EXT: the answer comes back in the task files.
  w::AtaPassThroughDirect apt{};
  apt.length = sizeof apt;
  apt.ataFlags = w::kAtaFlagDrdyRequired | w::kAtaFlagDataIn | w::kAtaFlag48Bit;
  apt.dataTransferLength = 512;
  apt.timeOutValue = 1;
  apt.previousTaskFile = {0, 0, 0, 0, 0, 0xE0, 0x27, 0};
  apt.currentTaskFile = {0, 0, 0, 0, 0, 0xE0, 0x27, 0};
  if (Control(h, w::kAtaPassThroughDirect, &apt, sizeof apt, sizeof apt) && apt.currentTaskFile.features == 0) {
    const auto& c = apt.currentTaskFile;
    const auto& p = apt.previousTaskFile;
    std::uint64_t max = std::uint64_t{c.lbaLow} | std::uint64_t{c.lbaMid} << 8 | std::uint64_t{c.lbaHigh} << 16 |
                        std::uint64_t{p.lbaLow} << 24 | std::uint64_t{p.lbaMid} << 32 | std::uint64_t{p.lbaHigh} << 40;
    d["native_max"] = max;
  }
  // DEVICE CONFIGURATION IDENTIFY, buffered: the error register tells
  // whether the drive has the feature set.
  w::AtaPassThroughWithBuffer dco{};
  dco.apt.length = sizeof dco.apt;
  dco.apt.ataFlags = w::kAtaFlagDrdyRequired | w::kAtaFlagDataIn;
  dco.apt.dataTransferLength = 512;
  dco.apt.timeOutValue = 1;
  dco.apt.dataBufferOffset = offsetof(w::AtaPassThroughWithBuffer, data);
  dco.apt.currentTaskFile = {0xC2, 1, 1, 0, 0, 0xA0, 0xB1, 0};
  if (Control(h, w::kAtaPassThrough, &dco, sizeof dco, sizeof dco)) {
    d["dco_error"] = dco.apt.currentTaskFile.features;
    d["dco_status"] = dco.apt.currentTaskFile.command;
  } else {
    d["dco_call_error"] = g->LastError();
  }
  // READ DMA EXT of sector 0 into a caller buffer.
  std::vector<std::uint8_t> sector(512, 0);
  w::AtaPassThroughDirect rd{};
  rd.length = sizeof rd;
  rd.ataFlags = w::kAtaFlagDrdyRequired | w::kAtaFlagDataIn | w::kAtaFlag48Bit | w::kAtaFlagUseDma;
  rd.dataTransferLength = 512;
  rd.timeOutValue = 2;
  rd.dataBuffer = sector.data();
  rd.previousTaskFile = {0, 0, 0, 0, 0, 0xE0, 0x25, 0};
  rd.currentTaskFile = {0, 1, 0, 0, 0, 0xE0, 0x25, 0};
  if (Control(h, w::kAtaPassThroughDirect, &rd, sizeof rd, sizeof rd) && rd.currentTaskFile.features == 0)
    d["sector0_signature"] = Le(sector.data() + 510, 2);
  return d;
}

bool NvmeQuery(platform::Handle h, std::uint32_t type, std::uint32_t value, std::uint8_t* data) {
  std::vector<std::uint8_t> buf(sizeof(w::StorageProtocolQuery), 0);
  w::StorageProtocolQuery q{};
  q.propertyId = w::kStorageAdapterProtocolSpecificProperty;
  q.specific.protocolType = w::kProtocolTypeNvme;
  q.specific.dataType = type;
  q.specific.requestValue = value;
  q.specific.dataOffset = sizeof(w::StorageProtocolSpecificData);
  q.specific.dataLength = 4096;
  std::memcpy(buf.data(), &q, 48);
  if (!Control(h, w::kStorageQueryProperty, buf.data(), static_cast<std::uint32_t>(buf.size()),
               static_cast<std::uint32_t>(buf.size())))
    return false;
  std::memcpy(data, buf.data() + 48, 512);
  return true;
}

json NvmeDevice(platform::Handle h) {
  json d;
  std::uint8_t id[512], log[512];
  if (!NvmeQuery(h, w::kNvmeDataTypeIdentify, 1, id)) return d;
  d["model"] = PlainText(id + 24, 40);
  d["serial"] = PlainText(id + 4, 20);
  d["firmware"] = PlainText(id + 64, 8);
  w::ScsiAddress address{};
  if (!Control(h, w::kScsiGetAddress, &address, 0, sizeof address)) return d;
  wchar_t path[32];
  std::swprintf(path, 32, L"\\\\.\\SCSI%d:", address.portNumber);
  platform::Handle adapter = g->OpenDevice(path);
  if (adapter == platform::kInvalidHandle) return d;
  bool ok = NvmeQuery(adapter, w::kNvmeDataTypeLogPage, 2, log);
  // The miniport interface has no counterpart here.
  std::vector<std::uint8_t> mini(sizeof(w::NvmePassThroughIoctl), 0);
  d["miniport_refused"] = !Control(adapter, w::kScsiMiniport, mini.data(), 4248, 4248);
  g->CloseDevice(adapter);
  if (!ok) return d;
  auto u128 = [&](int at) { return Le(log + at, 8); };
  d["health"] = {{"critical_warning", log[0]},
                 {"temperature", static_cast<int>(Le(log + 1, 2)) - 273},
                 {"available_spare", log[3]},
                 {"available_spare_threshold", log[4]},
                 {"percentage_used", log[5]},
                 {"data_units_read", u128(32)},
                 {"data_units_written", u128(48)},
                 {"host_reads", u128(64)},
                 {"host_writes", u128(80)},
                 {"controller_busy_time", u128(96)},
                 {"power_cycles", u128(112)},
                 {"power_on_hours", u128(128)},
                 {"unsafe_shutdowns", u128(144)},
                 {"media_errors", u128(160)},
                 {"num_err_log_entries", u128(176)}};
  return d;
}

json ScsiDevice(platform::Handle h) {
  // SAT IDENTIFY DEVICE in ATA PASS-THROUGH (12), as the library probes USB disks.
  std::vector<std::uint8_t> buf(w::kSptDataOffset + 512, 0);
  w::ScsiPassThrough spt{};
  spt.length = sizeof spt;
  spt.targetId = 1;
  spt.cdbLength = 12;
  spt.senseInfoLength = w::kSptSenseLength;
  spt.dataIn = w::kScsiDataIn;
  spt.dataTransferLength = 512;
  spt.timeOutValue = 1;
  spt.dataBufferOffset = w::kSptDataOffset;
  spt.senseInfoOffset = w::kSptSenseOffset;
  const std::uint8_t cdb[12] = {0xA1, 4 << 1, 0x0E, 0, 1, 0, 0, 0, 0, 0xEC, 0, 0};
  std::memcpy(spt.cdb, cdb, 12);
  std::memcpy(buf.data(), &spt, sizeof spt);
  json d;
  bool ok = Control(h, w::kScsiPassThrough, buf.data(), static_cast<std::uint32_t>(buf.size()),
                    static_cast<std::uint32_t>(buf.size()));
  d["sat_identify_call"] = ok;
  if (ok) {
    d["sat_identify_status"] = buf[offsetof(w::ScsiPassThrough, scsiStatus)];
    d["sat_sense_key"] = buf[w::kSptSenseOffset + 2] & 0x0F;
  }
  // INQUIRY through the direct form.
  std::uint8_t inquiry[96] = {};
  w::ScsiPassThroughDirectWithSense sd{};
  sd.sptd.length = sizeof sd.sptd;
  sd.sptd.cdbLength = 6;
  sd.sptd.senseInfoLength = 32;
  sd.sptd.dataIn = w::kScsiDataIn;
  sd.sptd.dataTransferLength = sizeof inquiry;
  sd.sptd.timeOutValue = 2;
  sd.sptd.dataBuffer = inquiry;
  sd.sptd.senseInfoOffset = offsetof(w::ScsiPassThroughDirectWithSense, sense);
  const std::uint8_t inq[6] = {0x12, 0, 0, 0, sizeof inquiry, 0};
  std::memcpy(sd.sptd.cdb, inq, 6);
  if (Control(h, w::kScsiPassThroughDirect, &sd, sizeof sd, sizeof sd) && sd.sptd.scsiStatus == 0)
    d["inquiry_product"] = PlainText(inquiry + 16, 16);
  return d;
}

}  // namespace

int main() {
  auto platform = platform::CreateNativePlatform();
  g = platform.get();
  json out;
  out["administrator"] = g->IsAdministrator();
  out["devices"] = json::array();
  for (int n = 0; n < 100; ++n) {
    std::wstring path = L"\\\\.\\PhysicalDrive" + std::to_wstring(n);
    platform::Handle h = g->OpenDevice(path);
    if (h == platform::kInvalidHandle) break;
    json d;
    d["device"] = n;
    w::DiskGeometryEx geo{};
    if (Control(h, w::kDiskGetDriveGeometryEx, &geo, 0, sizeof geo)) d["size_bytes"] = geo.diskSize;
    std::uint8_t desc[256] = {};
    w::StoragePropertyQuery query{};
    std::memcpy(desc, &query, sizeof query);
    if (Control(h, w::kStorageQueryProperty, desc, sizeof query, sizeof desc)) {
      w::StorageDeviceDescriptor sdd;
      std::memcpy(&sdd, desc, sizeof sdd);
      d["bus_type"] = sdd.busType;
      d["removable"] = sdd.removableMedia != 0;
      if (sdd.productIdOffset) d["product"] = PlainText(desc + sdd.productIdOffset, 256 - sdd.productIdOffset);
    }
    w::SmartVersionBlock version{};
    bool native = Control(h, w::kSmartGetVersion, &version, 0, sizeof version);
    d["smart_version"] = native ? json(version.capabilities) : json(nullptr);
    json detail;
    if (native) {
      detail = AtaDevice(h);
    } else if (d.value("bus_type", 0u) == w::kBusNvme) {
      detail = NvmeDevice(h);
    } else {
      detail = ScsiDevice(h);
    }
    d.update(detail);
    g->CloseDevice(h);
    out["devices"].push_back(d);
  }
  out["volumes"] = json::array();
  std::uint32_t mask = g->LogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask >> i & 1)) continue;
    wchar_t letter = static_cast<wchar_t>(L'A' + i);
    json v;
    v["letter"] = std::string(1, static_cast<char>(letter));
    v["type"] = g->GetDriveType(letter);
    std::uint64_t total = 0, free = 0;
    if (g->GetDiskFreeSpace(letter, &total, &free)) v["total_bytes"] = total;
    platform::Handle h = g->OpenDevice(std::wstring(L"\\\\.\\") + letter + L":");
    if (h != platform::kInvalidHandle) {
      v["medium"] = Control(h, w::kStorageCheckVerify, nullptr, 0, 0);
      std::vector<std::uint8_t> ext(w::kVolumeExtentsReplySize, 0);
      if (Control(h, w::kVolumeGetVolumeDiskExtents, ext.data(), 0, static_cast<std::uint32_t>(ext.size()))) {
        std::uint32_t count;
        std::memcpy(&count, ext.data(), 4);
        json disks = json::array();
        for (std::uint32_t k = 0; k < count && k < 100; ++k) {
          w::DiskExtent e;
          std::memcpy(&e, ext.data() + 8 + k * sizeof e, sizeof e);
          disks.push_back({{"disk", e.diskNumber}, {"offset", e.startingOffset}, {"length", e.extentLength}});
        }
        v["extents"] = disks;
      }
      g->CloseDevice(h);
    }
    out["volumes"].push_back(v);
  }
  out["activity_disks"] = g->ActivityDisks();
  std::printf("%s\n", out.dump(2).c_str());
  return 0;
}
