// An emulated NVMe controller with one namespace: the admin commands that
// health tools send (Identify, Get Log Page).
#pragma once

#include <cstdint>
#include <vector>

#include "sim/machine_contents.h"

namespace platform::sim {

// Status codes of the completion entry (status code type 0).
inline constexpr std::uint16_t kNvmeSuccess = 0x0000;
inline constexpr std::uint16_t kNvmeInvalidOpcode = 0x0001;
inline constexpr std::uint16_t kNvmeInvalidField = 0x0002;
inline constexpr std::uint16_t kNvmeInvalidNamespace = 0x000B;
inline constexpr std::uint16_t kNvmeInvalidLogPage = 0x0109;  // command specific

struct NvmeAdminCommand {
  std::uint8_t opcode = 0;
  std::uint32_t nsid = 0;
  std::uint32_t cdw10 = 0;
  std::uint32_t cdw11 = 0;
};

class NvmeDrive {
 public:
  explicit NvmeDrive(const DriveSpec& spec) : spec_(spec) {}

  // Runs an admin command that reads into data (up to `length` bytes; the
  // command's own size may be smaller). Returns the completion status.
  std::uint16_t Admin(const NvmeAdminCommand& cmd, std::uint8_t* data, std::uint32_t length) const;

  std::vector<std::uint8_t> IdentifyController() const;
  std::vector<std::uint8_t> IdentifyNamespace() const;
  std::vector<std::uint8_t> HealthLog() const;
  const DriveSpec& spec() const { return spec_; }

 private:
  DriveSpec spec_;
};

}  // namespace platform::sim
