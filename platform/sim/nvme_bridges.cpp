// The SCSI side of NVMe disks behind USB bridges (JMS583, RTL9210,
// ASM2362) and the Samsung security-protocol pass-through.
#include <cstring>

#include "sim/sim_disk.h"

namespace platform::sim {
namespace {

ScsiOutcome InvalidField() { return CheckCondition(0x05, 0x24, 0x00); }
ScsiOutcome SequenceError() { return CheckCondition(0x05, 0x2C, 0x00); }

std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

// JMS583: 0xA1 0x80 sends a 512-byte block "NVME" + submission entry (data
// out); 0xA1 0x82 fetches the data of that command (data in).
ScsiOutcome SimDisk::Jms583(const ScsiCommand& cmd) {
  const std::uint8_t* c = cmd.cdb;
  if (c[0] != 0xA1 || cmd.cdbLength < 12) return Standard(cmd);
  const std::uint32_t length = (static_cast<std::uint32_t>(c[3]) << 16) | (c[4] << 8) | c[5];
  if (c[1] == 0x80) {
    if (length != 512 || cmd.dataIn || cmd.data == nullptr || cmd.length < 512) return InvalidField();
    if (std::memcmp(cmd.data, "NVME", 4) != 0) return InvalidField();
    const std::uint8_t* sqe = cmd.data + 8;
    NvmeAdminCommand nc;
    nc.opcode = sqe[0];
    nc.nsid = Le32(sqe + 4);
    nc.cdw10 = Le32(sqe + 40);
    nc.cdw11 = Le32(sqe + 44);
    pendingNvme_ = nc;
    return ScsiOutcome{};
  }
  if (c[1] == 0x82) {
    if (!pendingNvme_) return SequenceError();
    const NvmeAdminCommand nc = *pendingNvme_;
    pendingNvme_.reset();
    if (length == 0 || cmd.length < length) return InvalidField();
    ScsiCommand sized = cmd;
    sized.length = length;
    return NvmeRead(nc, sized);
  }
  return InvalidField();
}

// RTL9210: 0xE4 admin read; bytes 1-2 length (little-endian), 3 opcode,
// 4 low byte of command dword 10. The bridge firmware reads the SMART /
// Health log when a Get Log Page names no log.
ScsiOutcome SimDisk::Rtl9210(const ScsiCommand& cmd) {
  const std::uint8_t* c = cmd.cdb;
  if (c[0] != 0xE4 || cmd.cdbLength < 16) return Standard(cmd);
  const std::uint32_t length = c[1] | (c[2] << 8);
  if (length == 0 || cmd.length < length) return InvalidField();
  NvmeAdminCommand nc;
  nc.opcode = c[3];
  if (nc.opcode == 0x06) {
    nc.cdw10 = c[4];
    nc.nsid = c[4] == 0 ? 1 : 0;
  } else if (nc.opcode == 0x02) {
    const std::uint8_t lid = c[4] != 0 ? c[4] : 0x02;
    nc.cdw10 = lid | (((length / 4) - 1) << 16);
    nc.nsid = 0xFFFFFFFF;
  } else {
    return InvalidField();
  }
  ScsiCommand sized = cmd;
  sized.length = length;
  return NvmeRead(nc, sized);
}

// ASM2362: 0xE6, byte 1 opcode, bytes 3, 4, 7, 8 the bytes 0 to 3 of
// command dword 10 (byte 7 carries bits 23-16).
ScsiOutcome SimDisk::Asm2362(const ScsiCommand& cmd) {
  const std::uint8_t* c = cmd.cdb;
  if (c[0] != 0xE6 || cmd.cdbLength < 16) return Standard(cmd);
  NvmeAdminCommand nc;
  nc.opcode = c[1];
  nc.cdw10 = c[3] | (c[4] << 8) | (c[7] << 16) | (static_cast<std::uint32_t>(c[8]) << 24);
  if (nc.opcode == 0x02)
    nc.nsid = 0xFFFFFFFF;
  else if (nc.opcode == 0x06)
    nc.nsid = (nc.cdw10 & 0xFF) == 0 ? 1 : 0;
  else
    return InvalidField();
  return NvmeRead(nc, cmd);
}

// Samsung: SECURITY PROTOCOL OUT (0xB5, protocol 0xFE, 5 identify or 6 log
// page) carries the request; SECURITY PROTOCOL IN (0xA2) returns its data.
ScsiOutcome SimDisk::SamsungNvme(const ScsiCommand& cmd) {
  const std::uint8_t* c = cmd.cdb;
  if ((c[0] != 0xB5 && c[0] != 0xA2) || cmd.cdbLength < 12) return Standard(cmd);
  if (c[1] != 0xFE || c[2] != 0x00 || (c[3] != 0x05 && c[3] != 0x06)) return InvalidField();
  if (c[0] == 0xB5) {
    if (cmd.dataIn || cmd.data == nullptr || cmd.length < 8) return InvalidField();
    NvmeAdminCommand nc;
    if (c[3] == 0x05) {
      nc.opcode = 0x06;
      nc.cdw10 = cmd.data[0];
      nc.nsid = cmd.data[0] == 0 ? 1 : 0;
    } else {
      nc.opcode = 0x02;
      nc.cdw10 = cmd.data[0] | ((cmd.length / 4 - 1) << 16);
      nc.nsid = Le32(cmd.data + 4);
    }
    pendingNvme_ = nc;
    pendingSamsungKind_ = c[3];
    return ScsiOutcome{};
  }
  if (!pendingNvme_ || pendingSamsungKind_ != c[3]) return SequenceError();
  const NvmeAdminCommand nc = *pendingNvme_;
  pendingNvme_.reset();
  return NvmeRead(nc, cmd);
}

}  // namespace platform::sim
