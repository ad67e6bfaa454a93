// What hwscope-info reports, gathered through the library's exports only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hwscope_info {

struct AttributeRow {
  int id = 0;  // ATA identifier, or the NVMe pseudo-attribute's index
  std::string name;
  bool nvme = false;
  int current = 0;
  int worst = 0;
  int threshold = 0;
  std::uint64_t raw = 0;
  bool exceeded = false;
};

struct DriveReport {
  int device = 0;
  std::optional<std::string> model, serial, firmware, interfaceName;
  bool solidState = false;
  std::optional<std::uint32_t> capacityMb;
  std::vector<std::string> volumes;  // "C:", "D:"
  bool smart = false;                // SMART data was read
  int smartCode = 0;                 // the validity code when it was not
  std::vector<AttributeRow> attributes;
};

struct Survey {
  std::string version;
  int detectedDrives = 0;
  int smartDevices = 0;
  std::vector<DriveReport> drives;
};

// Walks the physical device list of an initialised library.
Survey TakeSurvey();

// UTF-8 of a wide text (invalid code points become U+FFFD).
std::string Utf8(const std::wstring& text);

}  // namespace hwscope_info
