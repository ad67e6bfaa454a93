// The contents of a machine file: drives, volumes and machine-wide settings.
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform::sim {

enum class DriveKind { kAta, kNvme };

// How the drive is reached; each answers only its own protocol.
enum class Bridge {
  kNone,             // plain SCSI disk (USB stick, card reader): no ATA or NVMe access
  kNative,           // disk driver: native SMART and ATA pass-through requests
  kSat,              // SCSI/ATA translation
  kCypress,          // Cypress ATACB
  kJMicron,          // JMicron USB-to-ATA
  kSunplus,          // Sunplus USB-to-ATA
  kSamsungNvme,      // Samsung NVMe over security-protocol commands
  kMiniportSamsung,  // Samsung NVMe miniport
  kMiniportIntel,    // Intel NVMe miniport
  kStorageQuery,     // in-box NVMe driver: protocol-specific storage query
  kJms583,
  kRtl9210,
  kAsm2362,
};

struct AttributeSpec {
  std::uint8_t id = 0;
  std::uint16_t flags = 0;
  std::uint8_t current = 0;
  std::uint8_t worst = 0;
  std::uint64_t raw = 0;  // 48 bits
  std::uint8_t threshold = 0;
};

struct NvmeHealthSpec {
  std::uint8_t criticalWarning = 0;
  std::uint16_t temperature = 0;  // kelvin
  std::uint8_t availableSpare = 0;
  std::uint8_t availableSpareThreshold = 0;
  std::uint8_t percentageUsed = 0;
  std::uint64_t dataUnitsRead = 0;
  std::uint64_t dataUnitsWritten = 0;
  std::uint64_t hostReadCommands = 0;
  std::uint64_t hostWriteCommands = 0;
  std::uint64_t controllerBusyTime = 0;
  std::uint64_t powerCycles = 0;
  std::uint64_t powerOnHours = 0;
  std::uint64_t unsafeShutdowns = 0;
  std::uint64_t mediaErrors = 0;
  std::uint64_t numErrLogEntries = 0;
};

struct FaultSpec {
  std::uint32_t hangMs = 0;              // every request (or hangCodes) blocks this long
  std::vector<std::uint32_t> hangCodes;  // empty: all control codes
  bool notReady = false;                 // geometry answers "not ready"
  bool zeroSmart = false;                // SMART data / health log all zero
  bool checkCondition = false;           // every pass-through CDB: CHECK CONDITION
  std::vector<std::uint32_t> failCodes;  // control codes that fail
  std::optional<std::uint32_t> nativeBufferSize;  // buffer size claimed by native replies
};

struct ActivitySpec {  // rates per second; counters grow from load time
  std::uint64_t readBytes = 0;
  std::uint64_t writeBytes = 0;
  std::uint64_t reads = 0;
  std::uint64_t writes = 0;
  std::uint32_t busyPercent = 0;
};

struct DriveSpec {
  int number = 0;
  DriveKind kind = DriveKind::kAta;
  std::uint32_t bus = 11;
  Bridge bridge = Bridge::kNative;
  int jmicronPort = 1;
  std::string model, serial, firmware, vendor;
  std::uint64_t sectors = 0;  // user-addressable sectors
  std::uint32_t sectorSize = 512;
  std::uint16_t rotation = 7200;
  bool removable = false;
  std::map<int, std::uint16_t> identify;  // word overrides
  std::vector<AttributeSpec> attributes;
  NvmeHealthSpec health;
  FaultSpec faults;
  ActivitySpec activity;
  // SCSI address; the port also names the adapter "\\.\SCSI<port>:".
  int port = -1, path = 0, target = 0, lun = 0;
  // ATA feature state.
  std::optional<std::uint64_t> nativeMax;  // highest LBA before a host protected area
  std::optional<std::uint64_t> dcoMax;     // factory highest LBA (overlay identify)
  bool lba48 = true;
  bool hpa = true;
  bool dco = true;
  bool smartSupported = true;
  bool smartEnabled = true;
  std::uint8_t selfTestResult = 0;  // status value a finished test reports
  std::uint32_t selfTestMs[5] = {0, 60000, 600000, 120000, 90000};  // by subcommand 0..4
};

enum class VolumeType { kFixed, kRemovable, kOptical, kNetwork, kRamdisk };

struct VolumeSpec {
  char letter = 'C';
  VolumeType type = VolumeType::kFixed;
  std::vector<int> disks;
  std::uint64_t size = 0;
  std::uint64_t free = 0;
  bool noMedia = false;
};

struct MachineSpec {
  bool administrator = true;
  std::optional<std::time_t> now;
  std::vector<DriveSpec> drives;
  std::vector<VolumeSpec> volumes;
};

// Parses a machine file's text. On failure returns false and one line naming
// the file (sourceName) and the field.
bool ParseMachine(const std::string& text, const std::string& sourceName, MachineSpec* spec,
                  std::string* error);

}  // namespace platform::sim
