#include "sim/sim_disk.h"

#include <algorithm>
#include <cstring>

namespace platform::sim {

ScsiOutcome CheckCondition(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
  ScsiOutcome o;
  o.status = 0x02;
  o.sense[0] = 0x70;  // fixed format, current
  o.sense[2] = key;
  o.sense[7] = 10;
  o.sense[12] = asc;
  o.sense[13] = ascq;
  o.senseLength = 18;
  return o;
}

ScsiOutcome AtaStatusSense(std::uint8_t key, const AtaResult& r, bool extend) {
  ScsiOutcome o;
  o.status = 0x02;
  std::uint8_t* s = o.sense;
  s[0] = 0x72;
  s[1] = key;
  s[2] = 0x00;
  s[3] = 0x1D;  // ATA pass-through information available
  s[7] = 14;
  std::uint8_t* d = s + 8;
  d[0] = 0x09;
  d[1] = 0x0C;
  d[2] = extend ? 1 : 0;
  d[3] = r.error;
  d[4] = static_cast<std::uint8_t>(r.count >> 8);
  d[5] = static_cast<std::uint8_t>(r.count);
  d[6] = static_cast<std::uint8_t>(r.lba >> 24);
  d[7] = static_cast<std::uint8_t>(r.lba);
  d[8] = static_cast<std::uint8_t>(r.lba >> 32);
  d[9] = static_cast<std::uint8_t>(r.lba >> 8);
  d[10] = static_cast<std::uint8_t>(r.lba >> 40);
  d[11] = static_cast<std::uint8_t>(r.lba >> 16);
  d[12] = r.device;
  d[13] = r.status;
  o.senseLength = 22;
  return o;
}

SimDisk::SimDisk(const DriveSpec& spec, std::function<std::uint64_t()> tickMs) : spec_(spec) {
  if (spec_.kind == DriveKind::kAta)
    ata_ = std::make_unique<AtaDrive>(spec_, std::move(tickMs));
  else
    nvme_ = std::make_unique<NvmeDrive>(spec_);
}

AtaResult SimDisk::RunAta(const AtaTaskFile& tf, std::uint8_t* data) {
  return ata_->Execute(tf, data);
}

ScsiOutcome SimDisk::Scsi(const ScsiCommand& cmd) {
  if (cmd.cdbLength == 0 || cmd.cdb == nullptr) return CheckCondition(0x05, 0x20, 0x00);
  if (spec_.faults.checkCondition) return CheckCondition(0x0B, 0x47, 0x00);
  switch (spec_.bridge) {
    case Bridge::kSat: return Sat(cmd);
    case Bridge::kCypress: return Cypress(cmd);
    case Bridge::kJMicron: return JMicron(cmd);
    case Bridge::kSunplus: return Sunplus(cmd);
    case Bridge::kJms583: return Jms583(cmd);
    case Bridge::kRtl9210: return Rtl9210(cmd);
    case Bridge::kAsm2362: return Asm2362(cmd);
    case Bridge::kSamsungNvme: return SamsungNvme(cmd);
    default: return Standard(cmd);
  }
}

// The commands every disk answers: TEST UNIT READY, REQUEST SENSE, INQUIRY.
ScsiOutcome SimDisk::Standard(const ScsiCommand& cmd) {
  ScsiOutcome ok;
  switch (cmd.cdb[0]) {
    case 0x00:
      return ok;
    case 0x03: {
      if (!cmd.dataIn || cmd.data == nullptr) return CheckCondition(0x05, 0x24, 0x00);
      std::uint8_t sense[18] = {0x70, 0, 0, 0, 0, 0, 0, 10};
      ok.transferred = std::min<std::uint32_t>(cmd.length, sizeof sense);
      std::memcpy(cmd.data, sense, ok.transferred);
      return ok;
    }
    case 0x12: {
      if (!cmd.dataIn || cmd.data == nullptr || cmd.cdbLength < 6)
        return CheckCondition(0x05, 0x24, 0x00);
      if (cmd.cdb[1] & 0x01) return CheckCondition(0x05, 0x24, 0x00);  // no VPD pages
      std::uint8_t inq[36] = {};
      inq[1] = spec_.removable ? 0x80 : 0x00;
      inq[2] = 0x06;
      inq[3] = 0x02;
      inq[4] = 31;
      const std::string vendor = spec_.vendor.empty() ? "ATA" : spec_.vendor;
      for (int i = 0; i < 8; ++i) inq[8 + i] = static_cast<std::uint8_t>(i < static_cast<int>(vendor.size()) ? vendor[i] : ' ');
      for (int i = 0; i < 16; ++i) inq[16 + i] = static_cast<std::uint8_t>(i < static_cast<int>(spec_.model.size()) ? spec_.model[i] : ' ');
      for (int i = 0; i < 4; ++i) inq[32 + i] = static_cast<std::uint8_t>(i < static_cast<int>(spec_.firmware.size()) ? spec_.firmware[i] : ' ');
      const std::uint32_t alloc = (static_cast<std::uint32_t>(cmd.cdb[3]) << 8) | cmd.cdb[4];
      ok.transferred = std::min({cmd.length, alloc, static_cast<std::uint32_t>(sizeof inq)});
      std::memcpy(cmd.data, inq, ok.transferred);
      return ok;
    }
    default:
      return CheckCondition(0x05, 0x20, 0x00);  // invalid command operation code
  }
}

bool SimDisk::BridgeAta(const AtaTaskFile& tf, const ScsiCommand& cmd, bool hostIn,
                        std::uint32_t hostBytes, AtaResult* result, std::uint32_t* transferred) {
  *transferred = 0;
  const AtaTransfer t = ata_->TransferOf(tf);
  const bool cmdIn = t.protocol == AtaProtocol::kPioIn || t.protocol == AtaProtocol::kDmaIn;
  if (t.protocol == AtaProtocol::kNonData) {
    if (hostBytes != 0) return false;
  } else {
    if (hostBytes != t.bytes || hostIn != cmdIn) return false;
    if (cmd.data == nullptr || cmd.length < t.bytes || cmd.dataIn != cmdIn) return false;
  }
  std::vector<std::uint8_t> buffer(t.bytes, 0);
  if (t.protocol == AtaProtocol::kPioOut) std::memcpy(buffer.data(), cmd.data, t.bytes);
  *result = ata_->Execute(tf, buffer.data());
  if (cmdIn && result->ok()) {
    std::memcpy(cmd.data, buffer.data(), t.bytes);
    *transferred = t.bytes;
  }
  lastResult_ = *result;
  haveResult_ = true;
  return true;
}

ScsiOutcome SimDisk::NvmeRead(const NvmeAdminCommand& nc, const ScsiCommand& cmd) {
  if (!cmd.dataIn || cmd.data == nullptr || cmd.length == 0) return CheckCondition(0x05, 0x24, 0x00);
  const std::uint16_t status = nvme_->Admin(nc, cmd.data, cmd.length);
  if (status != kNvmeSuccess) return CheckCondition(0x05, 0x24, 0x00);
  ScsiOutcome ok;
  ok.transferred = cmd.length;
  return ok;
}

}  // namespace platform::sim
