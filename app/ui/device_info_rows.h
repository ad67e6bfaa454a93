// The rows of the device information list for one device, as texts: the
// identification, capacity, status, partitions, the disk activity group,
// geometry and (ATA drives only) the standards and feature rows.
#pragma once

#include <string>
#include <vector>

#include "hwscope/hwscope.h"

namespace ui {

struct InfoRow {
  std::wstring name;
  std::wstring value;
};

// What the rows are built from besides the device info record.
struct DeviceInfoInput {
  int device = 0;
  HwscopeDeviceInfo record{};
  bool haveModel = false;
  std::wstring model;
  bool haveCapacity = false;
  unsigned capacityMb = 0;
  std::wstring status;  // device status text of the health rules
  std::wstring interfaceName;
  bool haveSerial = false;
  std::wstring serial;
  bool haveFirmware = false;
  std::wstring firmware;
  bool havePartitions = false;
  // Drive letter and volume capacity in MB of each partition (at most 8).
  std::vector<std::pair<wchar_t, int>> partitions;
};

// Row index of the device status (coloured by the list).
inline constexpr int kDeviceStatusRow = 2;
// Bus type of NVMe drives in the record.
inline constexpr int kBusTypeNvme = 17;

// Builds the rows; *firstActivityRow gets the row just after the disk
// activity header (the five activity rows follow it, names only).
std::vector<InfoRow> BuildDeviceInfoRows(const DeviceInfoInput& in, int* firstActivityRow);

// "%d MB" up to 1024 MB, else "%.2f GB" of MB / 1024.
std::wstring CapacityText(unsigned megabytes);
// Highest set bit of the low `bits` bits as a digit; MISC_NONE when none.
std::wstring HighestModeText(unsigned mask, int bits);
std::wstring AamLevelText(unsigned level);
std::wstring ApmLevelText(unsigned level);

}  // namespace ui
