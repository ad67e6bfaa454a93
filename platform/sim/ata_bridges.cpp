// The SCSI side of ATA disks: SCSI/ATA translation and the vendor commands
// of the Cypress, JMicron and Sunplus USB bridges.
#include <cstring>

#include "sim/sim_disk.h"

namespace platform::sim {
namespace {

constexpr std::uint8_t kIllegalRequest = 0x05;
constexpr std::uint8_t kAbortedCommand = 0x0B;
constexpr std::uint8_t kRecovered = 0x01;

ScsiOutcome InvalidField() { return CheckCondition(kIllegalRequest, 0x24, 0x00); }

// Cypress and Sunplus task-file replies: alternate status, error, count,
// LBA low, mid, high, device, status.
ScsiOutcome TaskFileReply(const AtaResult& r, const ScsiCommand& cmd) {
  if (!cmd.dataIn || cmd.data == nullptr || cmd.length < 8) return InvalidField();
  const std::uint8_t regs[8] = {r.status,
                                r.error,
                                static_cast<std::uint8_t>(r.count),
                                static_cast<std::uint8_t>(r.lba),
                                static_cast<std::uint8_t>(r.lba >> 8),
                                static_cast<std::uint8_t>(r.lba >> 16),
                                r.device,
                                r.status};
  std::memcpy(cmd.data, regs, 8);
  ScsiOutcome ok;
  ok.transferred = 8;
  return ok;
}

AtaTaskFile Tf28(const std::uint8_t* r) {  // features, count, low, mid, high, device, command
  AtaTaskFile tf;
  tf.features = r[0];
  tf.count = r[1];
  tf.lba = r[2] | (r[3] << 8) | (r[4] << 16) | (static_cast<std::uint64_t>(r[5] & 0x0F) << 24);
  tf.device = r[5];
  tf.command = r[6];
  return tf;
}

}  // namespace

ScsiOutcome SimDisk::Sat(const ScsiCommand& cmd) {
  const std::uint8_t* c = cmd.cdb;
  const bool twelve = c[0] == 0xA1 && cmd.cdbLength >= 12;
  const bool sixteen = c[0] == 0x85 && cmd.cdbLength >= 16;
  if (!twelve && !sixteen) return Standard(cmd);
  const int protocol = (c[1] >> 1) & 0x0F;
  const bool extend = sixteen && (c[1] & 1);
  if (twelve && (c[1] & 1)) return InvalidField();
  const bool ckCond = (c[2] >> 5) & 1;
  const bool tDir = (c[2] >> 3) & 1;
  const bool bytBlok = (c[2] >> 2) & 1;
  const int tLength = c[2] & 3;
  if (protocol != 3 && protocol != 4 && protocol != 5 && protocol != 6) return InvalidField();
  if (tLength == 3) return InvalidField();
  AtaTaskFile tf;
  if (twelve) {
    tf = Tf28(c + 3);
  } else {
    tf.device = c[13];
    tf.command = c[14];
    if (extend) {
      tf.ext = true;
      tf.features = static_cast<std::uint16_t>((c[3] << 8) | c[4]);
      tf.count = static_cast<std::uint16_t>((c[5] << 8) | c[6]);
      tf.lba = static_cast<std::uint64_t>(c[8]) | (static_cast<std::uint64_t>(c[10]) << 8) |
               (static_cast<std::uint64_t>(c[12]) << 16) | (static_cast<std::uint64_t>(c[7]) << 24) |
               (static_cast<std::uint64_t>(c[9]) << 32) | (static_cast<std::uint64_t>(c[11]) << 40);
    } else {
      tf.features = c[4];
      tf.count = c[6];
      tf.lba = c[8] | (c[10] << 8) | (c[12] << 16) |
               (static_cast<std::uint64_t>(tf.device & 0x0F) << 24);
    }
  }
  std::uint32_t hostBytes = 0;
  if (tLength != 0 && protocol != 3) {
    const std::uint32_t n = tLength == 2 ? tf.count : tf.features;
    hostBytes = bytBlok ? n * 512 : n;
  }
  if (protocol == 4 && !tDir) return InvalidField();
  if (protocol == 5 && tDir) return InvalidField();
  AtaResult r;
  std::uint32_t moved = 0;
  if (!BridgeAta(tf, cmd, tDir, hostBytes, &r, &moved)) {
    // The device and the host disagree about the data phase: the
    // translation layer aborts the command.
    AtaResult abort;
    abort.status = 0x51;
    abort.error = 0x04;
    return AtaStatusSense(kAbortedCommand, abort, extend);
  }
  ScsiOutcome o;
  if (!r.ok())
    o = AtaStatusSense(kAbortedCommand, r, extend);
  else if (ckCond)
    o = AtaStatusSense(kRecovered, r, extend);
  o.transferred = moved;
  return o;
}

ScsiOutcome SimDisk::Cypress(const ScsiCommand& cmd) {
  const std::uint8_t* c = cmd.cdb;
  if (c[0] != 0x24 || cmd.cdbLength < 16) return Standard(cmd);
  if (c[1] != 0x24) return InvalidField();
  const std::uint8_t action = c[2];
  if (action & 0x01) {  // task-file read of the last command
    if (!haveResult_) return InvalidField();
    return TaskFileReply(lastResult_, cmd);
  }
  AtaTaskFile tf = Tf28(c + 6);
  const bool identify = tf.command == 0xEC || tf.command == 0xA1;
  if (((action & 0x80) != 0) != identify) return CheckCondition(kAbortedCommand, 0x00, 0x00);
  if (tf.command == 0x27 || tf.command == 0x37 || tf.command == 0x24 || tf.command == 0x25)
    return InvalidField();  // the bridge carries no upper register bytes
  const AtaTransfer t = ata_->TransferOf(tf);
  const bool hostIn = cmd.dataIn;
  const std::uint32_t hostBytes = t.protocol == AtaProtocol::kNonData ? 0 : cmd.length;
  AtaResult r;
  std::uint32_t moved = 0;
  if (!BridgeAta(tf, cmd, hostIn, hostBytes >= t.bytes ? t.bytes : hostBytes, &r, &moved))
    return CheckCondition(kAbortedCommand, 0x00, 0x00);
  if (!r.ok()) return CheckCondition(kAbortedCommand, 0x00, 0x00);
  ScsiOutcome ok;
  ok.transferred = moved;
  return ok;
}

ScsiOutcome SimDisk::JMicron(const ScsiCommand& cmd) {
  const std::uint8_t* c = cmd.cdb;
  if (c[0] != 0xDF || cmd.cdbLength < 12) return Standard(cmd);
  const bool in = c[1] == 0x10;
  if (c[1] != 0x10 && c[1] != 0x00) return InvalidField();
  const std::uint32_t length = (static_cast<std::uint32_t>(c[3]) << 8) | c[4];
  const int port = spec_.jmicronPort;
  if (c[11] == 0xFD) {  // bridge memory read
    if (!in || !cmd.dataIn || cmd.data == nullptr || cmd.length < length || length == 0)
      return InvalidField();
    const std::uint32_t address = (static_cast<std::uint32_t>(c[6]) << 8) | c[7];
    std::memset(cmd.data, 0, length);
    for (std::uint32_t i = 0; i < length; ++i) {
      const std::uint32_t a = address + i;
      if (a == 0x720F) cmd.data[i] = port == 2 ? 0x40 : 0x04;
      const std::uint32_t page = port == 2 ? 0x9000 : 0x8000;
      if (haveResult_ && a >= page && a < page + 16) {
        const AtaResult& r = lastResult_;
        const std::uint8_t regs[16] = {static_cast<std::uint8_t>(r.count), 0, 0, 0,
                                       static_cast<std::uint8_t>(r.lba >> 8), 0,
                                       static_cast<std::uint8_t>(r.lba), 0, 0, r.device,
                                       static_cast<std::uint8_t>(r.lba >> 16), 0, 0, r.error,
                                       r.status, 0};
        cmd.data[i] = regs[a - page];
      }
    }
    ScsiOutcome ok;
    ok.transferred = length;
    return ok;
  }
  AtaTaskFile tf = Tf28(c + 5);
  const int selected = (tf.device & 0x10) ? 2 : 1;
  if (selected != port) return CheckCondition(0x02, 0x3A, 0x00);  // nothing on that port
  AtaResult r;
  std::uint32_t moved = 0;
  if (!BridgeAta(tf, cmd, in, length, &r, &moved)) return CheckCondition(kAbortedCommand, 0x00, 0x00);
  if (!r.ok()) return CheckCondition(kAbortedCommand, 0x00, 0x00);
  ScsiOutcome ok;
  ok.transferred = moved;
  return ok;
}

ScsiOutcome SimDisk::Sunplus(const ScsiCommand& cmd) {
  const std::uint8_t* c = cmd.cdb;
  if (c[0] != 0xF8 || cmd.cdbLength < 12) return Standard(cmd);
  if (c[1] != 0x00) return InvalidField();
  switch (c[2]) {
    case 0x21:
      if (!haveResult_) return InvalidField();
      return TaskFileReply(lastResult_, cmd);
    case 0x23:  // upper register bytes for the next command
      std::memcpy(hob_, c + 5, 5);
      hobLoaded_ = true;
      return ScsiOutcome{};
    case 0x22:
      break;
    default:
      return InvalidField();
  }
  bool in = false;
  switch (c[3]) {
    case 0x10: in = true; break;
    case 0x11: in = false; break;
    case 0x00: break;
    default: return InvalidField();
  }
  const std::uint32_t hostBytes = c[3] == 0x00 ? 0 : c[4] * 512u;
  AtaTaskFile tf = Tf28(c + 5);
  const std::uint8_t command = tf.command;
  if (command == 0x24 || command == 0x25 || command == 0x27 || command == 0x37) {
    const std::uint8_t* h = hobLoaded_ ? hob_ : nullptr;
    tf.ext = true;
    tf.lba = c[7] | (c[8] << 8) | (c[9] << 16);
    if (h) {
      tf.features = static_cast<std::uint16_t>(tf.features | (h[0] << 8));
      tf.count = static_cast<std::uint16_t>(tf.count | (h[1] << 8));
      tf.lba |= (static_cast<std::uint64_t>(h[2]) << 24) | (static_cast<std::uint64_t>(h[3]) << 32) |
                (static_cast<std::uint64_t>(h[4]) << 40);
    }
  }
  hobLoaded_ = false;
  AtaResult r;
  std::uint32_t moved = 0;
  if (!BridgeAta(tf, cmd, in, hostBytes, &r, &moved)) return CheckCondition(kAbortedCommand, 0x00, 0x00);
  if (!r.ok()) return CheckCondition(kAbortedCommand, 0x00, 0x00);
  ScsiOutcome ok;
  ok.transferred = moved;
  return ok;
}

}  // namespace platform::sim
