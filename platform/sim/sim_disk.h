// One emulated physical disk: the drive (ATA or NVMe) and the bridge or
// driver in front of it. SCSI commands reach it through Scsi(); each bridge
// understands only its own vendor commands and rejects the others' with
// CHECK CONDITION, as the real devices do.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "sim/ata_drive.h"
#include "sim/machine_contents.h"
#include "sim/nvme_drive.h"

namespace platform::sim {

struct ScsiCommand {
  const std::uint8_t* cdb = nullptr;
  std::uint8_t cdbLength = 0;
  bool dataIn = false;   // the host's direction (when length > 0)
  std::uint8_t* data = nullptr;
  std::uint32_t length = 0;
};

struct ScsiOutcome {
  std::uint8_t status = 0;  // GOOD or CHECK CONDITION
  std::uint8_t sense[32] = {};
  std::uint8_t senseLength = 0;
  std::uint32_t transferred = 0;
};

class SimDisk {
 public:
  SimDisk(const DriveSpec& spec, std::function<std::uint64_t()> tickMs);

  const DriveSpec& spec() const { return spec_; }
  AtaDrive* ata() { return ata_.get(); }
  NvmeDrive* nvme() { return nvme_.get(); }
  std::mutex& mutex() { return mutex_; }

  // Runs one SCSI command through the bridge (caller holds mutex()).
  ScsiOutcome Scsi(const ScsiCommand& cmd);
  // Runs an ATA task file directly (native driver requests).
  AtaResult RunAta(const AtaTaskFile& tf, std::uint8_t* data);

 private:
  ScsiOutcome Standard(const ScsiCommand& cmd);
  ScsiOutcome Sat(const ScsiCommand& cmd);
  ScsiOutcome Cypress(const ScsiCommand& cmd);
  ScsiOutcome JMicron(const ScsiCommand& cmd);
  ScsiOutcome Sunplus(const ScsiCommand& cmd);
  ScsiOutcome Jms583(const ScsiCommand& cmd);
  ScsiOutcome Rtl9210(const ScsiCommand& cmd);
  ScsiOutcome Asm2362(const ScsiCommand& cmd);
  ScsiOutcome SamsungNvme(const ScsiCommand& cmd);
  // Runs an ATA command for a bridge after checking the host's transfer
  // against what the command moves; false when they disagree.
  bool BridgeAta(const AtaTaskFile& tf, const ScsiCommand& cmd, bool hostIn,
                 std::uint32_t hostBytes, AtaResult* result, std::uint32_t* transferred);
  ScsiOutcome NvmeRead(const NvmeAdminCommand& nc, const ScsiCommand& cmd);

  DriveSpec spec_;
  std::unique_ptr<AtaDrive> ata_;
  std::unique_ptr<NvmeDrive> nvme_;
  std::mutex mutex_;
  // Bridge state.
  AtaResult lastResult_;     // task file after the last ATA command
  bool haveResult_ = false;
  std::uint8_t hob_[5] = {};  // Sunplus: features, count, LBA low, mid, high (upper bytes)
  bool hobLoaded_ = false;
  std::optional<NvmeAdminCommand> pendingNvme_;  // JMS583 / Samsung command phase
  std::uint8_t pendingSamsungKind_ = 0;
};

// Sense data helpers.
ScsiOutcome CheckCondition(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq);
// Descriptor-format sense with an ATA status return descriptor.
ScsiOutcome AtaStatusSense(std::uint8_t key, const AtaResult& r, bool extend);

}  // namespace platform::sim
