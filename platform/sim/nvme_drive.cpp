#include "sim/nvme_drive.h"

#include <algorithm>
#include <cstring>

namespace platform::sim {
namespace {

void PutLe(std::uint8_t* p, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(i < 8 ? v >> (8 * i) : 0);
}

void PutText(std::uint8_t* p, std::size_t bytes, const std::string& s) {
  for (std::size_t i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(i < s.size() ? s[i] : ' ');
}

}  // namespace

std::vector<std::uint8_t> NvmeDrive::IdentifyController() const {
  std::vector<std::uint8_t> b(4096, 0);
  std::uint32_t h = 2166136261u;
  for (unsigned char c : spec_.model) h = (h ^ c) * 16777619u;
  PutLe(&b[0], 0x1C00 | (h & 0xFF), 2);  // PCI vendor
  PutLe(&b[2], 0x1C00 | (h & 0xFF), 2);
  PutText(&b[4], 20, spec_.serial);
  PutText(&b[24], 40, spec_.model);
  PutText(&b[64], 8, spec_.firmware);
  b[72] = 2;                           // recommended arbitration burst
  PutLe(&b[73], 0x00A0B0 ^ (h >> 8), 3);  // IEEE OUI
  b[77] = 9;                           // MDTS
  PutLe(&b[78], 1, 2);                 // controller id
  PutLe(&b[80], 0x00010400, 4);        // version 1.4
  PutLe(&b[256], 0x0017, 2);           // OACS: security, format, firmware, self-test
  b[258] = 3;                          // abort command limit
  b[259] = 3;
  b[260] = 0x16;                       // firmware slots
  b[261] = 0x0E;                       // log page attributes
  b[262] = 63;                         // error log entries - 1
  b[263] = 4;                          // power states - 1
  PutLe(&b[266], 358, 2);              // warning composite temperature (K)
  PutLe(&b[268], 363, 2);              // critical composite temperature
  const std::uint64_t bytes = spec_.sectors * spec_.sectorSize;
  PutLe(&b[280], bytes, 8);            // total NVM capacity
  b[512] = 0x66;
  b[513] = 0x44;
  PutLe(&b[516], 1, 4);                // one namespace
  PutLe(&b[520], 0x005F, 2);
  b[525] = 1;                          // volatile write cache
  return b;
}

std::vector<std::uint8_t> NvmeDrive::IdentifyNamespace() const {
  std::vector<std::uint8_t> b(4096, 0);
  PutLe(&b[0], spec_.sectors, 8);
  PutLe(&b[8], spec_.sectors, 8);
  PutLe(&b[16], spec_.sectors, 8);
  int lbads = 0;
  while ((1u << lbads) < spec_.sectorSize) ++lbads;
  b[130] = static_cast<std::uint8_t>(lbads);  // LBA format 0: data size
  return b;
}

std::vector<std::uint8_t> NvmeDrive::HealthLog() const {
  std::vector<std::uint8_t> b(512, 0);
  if (spec_.faults.zeroSmart) return b;
  const NvmeHealthSpec& h = spec_.health;
  b[0] = h.criticalWarning;
  PutLe(&b[1], h.temperature, 2);
  b[3] = h.availableSpare;
  b[4] = h.availableSpareThreshold;
  b[5] = h.percentageUsed;
  PutLe(&b[32], h.dataUnitsRead, 16);
  PutLe(&b[48], h.dataUnitsWritten, 16);
  PutLe(&b[64], h.hostReadCommands, 16);
  PutLe(&b[80], h.hostWriteCommands, 16);
  PutLe(&b[96], h.controllerBusyTime, 16);
  PutLe(&b[112], h.powerCycles, 16);
  PutLe(&b[128], h.powerOnHours, 16);
  PutLe(&b[144], h.unsafeShutdowns, 16);
  PutLe(&b[160], h.mediaErrors, 16);
  PutLe(&b[176], h.numErrLogEntries, 16);
  if (h.temperature != 0) PutLe(&b[200], h.temperature, 2);  // sensor 1
  return b;
}

std::uint16_t NvmeDrive::Admin(const NvmeAdminCommand& cmd, std::uint8_t* data,
                               std::uint32_t length) const {
  std::vector<std::uint8_t> page;
  switch (cmd.opcode) {
    case 0x06: {  // Identify
      const std::uint8_t cns = static_cast<std::uint8_t>(cmd.cdw10);
      if (cns == 0x01) {
        page = IdentifyController();
      } else if (cns == 0x00) {
        if (cmd.nsid != 1) return kNvmeInvalidNamespace;
        page = IdentifyNamespace();
      } else {
        return kNvmeInvalidField;
      }
      break;
    }
    case 0x02: {  // Get Log Page
      const std::uint8_t lid = static_cast<std::uint8_t>(cmd.cdw10);
      const std::uint32_t numd = ((cmd.cdw10 >> 16) | ((cmd.cdw11 & 0xFFFF) << 16)) + 1;
      if (cmd.nsid != 0xFFFFFFFF && cmd.nsid != 0 && cmd.nsid != 1) return kNvmeInvalidNamespace;
      if (lid == 0x02) {
        page = HealthLog();
      } else if (lid == 0x01) {
        page.assign(64 * 64, 0);  // error information: no entries
      } else {
        return kNvmeInvalidLogPage;
      }
      page.resize(std::min<std::size_t>(page.size(), std::size_t{numd} * 4));
      break;
    }
    default:
      return kNvmeInvalidOpcode;
  }
  std::memset(data, 0, length);
  std::memcpy(data, page.data(), std::min<std::size_t>(page.size(), length));
  return kNvmeSuccess;
}

}  // namespace platform::sim
