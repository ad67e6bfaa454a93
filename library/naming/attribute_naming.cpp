#include "naming/attribute_naming.h"

#include <cwchar>

#include "engine/identify_text.h"
#include "engine/smart_info.h"
#include "naming/attribute_tables.h"
#include "naming/drive_families.h"
#include "strings/string_table.h"

namespace hwscope::naming {
namespace {

constexpr std::size_t kNameChars = 127;

void Apply(const AttributeTable& table, int attrId, int* key) {
  const int found = FindKey(table, attrId);
  if (found >= 0) *key = found;
}

void ApplyIndilinx(const std::wstring& model, int attrId, int* key) {
  Apply(kIndilinxTable, attrId, key);
  if (!HostGigabyteTest(model)) return;
  if (attrId == 0xC6) *key = strings::SMART_ATTR_HOST_READS_GB;
  if (attrId == 0xC7) *key = strings::SMART_ATTR_HOST_WRITES_GB;
  if (attrId == 0xD2) *key = strings::SMART_ATTR_SATA_ERROR_COUNT_CRC;
}

void ApplyVendor(const std::wstring& model, int attrId, int* key) {
  switch (MatchVendor(model)) {
    case Vendor::kIntel:
      Apply(kIntelTable, attrId, key);
      break;
    case Vendor::kSamsung:
      Apply(kSamsungTable, attrId, key);
      break;
    case Vendor::kCrucialMicron:
      Apply(kCrucialMicronTable, attrId, key);
      if (attrId == 0xCA && IsMicronM500DC(model))
        *key = strings::SMART_ATTR_PERCENTAGE_LIFETIME_REMAINING;
      break;
    case Vendor::kNone:
      break;
  }
}

}  // namespace

int AttributeKeyFor(const std::wstring& model, int attrId) {
  int key = strings::SMART_ATTR_UNKNOWN_ATTRIBUTE;
  if (attrId < 0 || attrId > 254) return key;
  Apply(kBaseTable, attrId, &key);
  switch (MatchPatternGroup(model)) {
    case PatternGroup::kIndilinx:
      ApplyIndilinx(model, attrId, &key);
      break;
    case PatternGroup::kSandForce:
      Apply(kSandForceTable, attrId, &key);
      break;
    case PatternGroup::kThird:
      // Drives of this group keep their own names: no vendor rule.
      Apply(kThirdGroupTable, attrId, &key);
      return key;
    case PatternGroup::kNone:
      break;
  }
  ApplyVendor(model, attrId, &key);
  return key;
}

int NameAttribute(const std::wstring& model, int attrId, wchar_t* name, unsigned* nameLen) {
  int status = attrId == 0 ? HWSCOPE_E_ATTRIBUTE_NOT_FOUND : 0;
  const std::wstring text = strings::TextCopy(AttributeKeyFor(model, attrId));
  if (name == nullptr || nameLen == nullptr || text.size() + 1 > *nameLen) return HWSCOPE_E_BUFFER;
  if (text == strings::TextCopy(strings::SMART_ATTR_UNKNOWN_ATTRIBUTE))
    status = HWSCOPE_E_UNKNOWN_ATTRIBUTE;
  const std::size_t n = text.size() < kNameChars ? text.size() : kNameChars;
  std::wmemcpy(name, text.c_str(), n);
  name[n] = L'\0';
  *nameLen = static_cast<unsigned>(n);
  return status;
}

}  // namespace hwscope::naming

namespace hwscope {

int CSMARTInfo::GetAttrDescByID(wchar_t* name, unsigned* nameLen, int attrId, int device) {
  // The model number of the stored ATA identify data; an invalid device
  // number names against an empty model instead of reading outside.
  std::wstring model;
  if (device >= 0 && device < kMaxDevices) model = WidenField(devices[device].identify + 54, 40);
  return naming::NameAttribute(model, attrId, name, nameLen);
}

}  // namespace hwscope
