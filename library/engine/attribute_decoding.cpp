// Decoding of SMART data: the ATA SMART data and threshold sectors, and the
// NVMe SMART / Health Information log page, into attribute records.
#include <cstring>

#include "engine/smart_info.h"
#include "frame/log.h"
#include "naming/nvme_names.h"

namespace hwscope {
namespace {

constexpr int kEntryOffset = 2;
constexpr int kEntrySize = 12;
constexpr int kSelfTestStatusOffset = 362;

// Log page bytes and width of each NVMe pseudo-attribute.
struct NvmeField {
  int offset;
  int width;
};
constexpr NvmeField kNvmeFields[kNvmeAttributes] = {
    {0, 1},    {1, 2},    {3, 1},    {4, 1},    {5, 1},    {32, 16},  {48, 16},  {64, 16},
    {80, 16},  {96, 16},  {112, 16}, {128, 16}, {144, 16}, {160, 16}, {176, 16},
};

long long Low64(const std::uint8_t* value) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | value[i];
  return static_cast<long long>(v);
}

}  // namespace

bool CSMARTInfo::FormatAttributeData(const std::uint8_t* smart, const std::uint8_t* thresholds,
                                     int device, int refresh) {
  Logf("FormatAttributeData start");
  if (smart == nullptr || thresholds == nullptr) return false;
  if (device < 0 || device >= kMaxDevices) {
    Logf("SMART device out of range: %u %d", static_cast<unsigned>(device), 0);
    return false;
  }
  DeviceState& dev = devices[device];
  dev.smartRevision = static_cast<std::int8_t>(smart[0]);
  dev.thresholdRevision = static_cast<std::int8_t>(thresholds[0]);

  int count = 0;
  for (int j = 0; j < kMaxAttributes; ++j)
    if (smart[kEntryOffset + j * kEntrySize] != 0) ++count;
  dev.attributeCount = count;

  bool anyValue = false;
  for (int j = 0; j < count; ++j)
    if (smart[kEntryOffset + j * kEntrySize + 3] != 0) anyValue = true;
  if (!anyValue) {
    Logf("FormatAttributeData returned all 0 values for drive %d", device);
    return false;
  }

  for (auto& record : dev.attributes) record = AttributeRecord{};
  int k = 0;
  for (int j = 0; j < kMaxAttributes && k < count; ++j) {
    const std::uint8_t* entry = smart + kEntryOffset + j * kEntrySize;
    if (entry[0] == 0) continue;
    Logf("FormatAttributeData %X", entry[0]);
    AttributeRecord& record = dev.attributes[k];
    record.nvme = 0;
    std::memcpy(record.value, entry, kEntrySize);
    // Thresholds pair with attributes by position, not by identifier.
    std::memcpy(record.threshold, thresholds + kEntryOffset + j * kEntrySize, kEntrySize);
    unsigned nameLen = 128;
    GetAttrDescByID(record.name, &nameLen, entry[0], device);
    if (refresh == 0) dev.attributeList.push_back(record);
    ++k;
  }
  std::memcpy(dev.selfTestStatus, smart + kSelfTestStatusOffset, sizeof dev.selfTestStatus);
  return true;
}

bool CSMARTInfo::FormatNVMEAttributeData(const std::uint8_t* healthLog, int device, int refresh) {
  Logf("FormatNVMEAttributeData start");
  if (healthLog == nullptr) return false;
  if (device < 0 || device >= kMaxDevices) {
    Logf("SMART device out of range: %u %d", static_cast<unsigned>(device), 0);
    return false;
  }
  DeviceState& dev = devices[device];
  dev.smartRevision = 0;
  dev.thresholdRevision = 0;
  dev.attributeCount = kNvmeAttributes;
  for (auto& record : dev.attributes) record = AttributeRecord{};

  for (int i = 0; i < kNvmeAttributes; ++i) {
    AttributeRecord& record = dev.attributes[i];
    std::memcpy(record.value, healthLog + kNvmeFields[i].offset, kNvmeFields[i].width);
    unsigned nameLen = 128;
    NvmeAttributeName(i, record.name, &nameLen);
    record.nvme = 1;
    Logf("FormatNVMEAttributeData - Attr %d [%s] : %lld", i, Utf8(record.name).c_str(),
         Low64(record.value));
    if (refresh == 0) dev.attributeList.push_back(record);
  }
  return true;
}

}  // namespace hwscope
