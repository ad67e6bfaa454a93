// Queries of a device's attribute records: count, First/Next, values by id.
#include <cstring>
#include <cwchar>
#include <iterator>

#include "engine/identify_text.h"
#include "engine/smart_info.h"

namespace hwscope {
namespace {

void PutInt32(void* out, std::int32_t value) { std::memcpy(out, &value, sizeof value); }

// The value First/Next report for the record under the iterator.
int IteratorValue(const DeviceState& dev) {
  if (dev.attributeIter->nvme != 0)
    return static_cast<int>(std::distance(
        dev.attributeList.begin(), std::list<AttributeRecord>::const_iterator(dev.attributeIter)));
  return dev.attributeIter->Id();
}

// An unknown selector finds the record but writes nothing; the search goes
// on and ends in "not found".
bool KnownSelector(int valueKind) {
  switch (valueKind) {
    case HWSCOPE_VALUE_CURRENT: case HWSCOPE_VALUE_RAW: case HWSCOPE_VALUE_WORST:
    case HWSCOPE_VALUE_THRESHOLD: case HWSCOPE_VALUE_NAME: case HWSCOPE_VALUE_EXCEEDED:
    case HWSCOPE_VALUE_IS_NVME:
      return true;
    default:
      return false;
  }
}

}  // namespace

int CSMARTInfo::GetNumSmartAttr(int device) {
  const int valid = IsValidSmartDevice(device);
  if (valid != 0) return valid;
  return devices[device].attributeCount;
}

int CSMARTInfo::GetSmartAttributeIDFirst(int device) {
  if (device < 0 || device >= kMaxDevices) return HWSCOPE_E_BAD_DEVICE;
  const int valid = IsValidSmartDevice(device);
  if (valid != 0) return valid;
  DeviceState& dev = devices[device];
  if (dev.attributeList.empty()) return HWSCOPE_E_NO_ATTRIBUTES;
  dev.attributeIter = dev.attributeList.begin();
  dev.attributeIterValid = true;
  return IteratorValue(dev);
}

int CSMARTInfo::GetSmartAttributeIDNext(int device) {
  if (device < 0 || device >= kMaxDevices) return HWSCOPE_E_BAD_DEVICE;
  const int valid = IsValidSmartDevice(device);
  if (valid != 0) return valid;
  DeviceState& dev = devices[device];
  if (dev.attributeList.empty()) return HWSCOPE_E_NO_ATTRIBUTES;
  // Next without First, or at the end already: nothing more.
  if (!dev.attributeIterValid || dev.attributeIter == dev.attributeList.end())
    return HWSCOPE_E_ATTRIBUTES_END;
  ++dev.attributeIter;
  if (dev.attributeIter == dev.attributeList.end()) return HWSCOPE_E_ATTRIBUTES_END;
  return IteratorValue(dev);
}

int CSMARTInfo::GetSmartAttributeByID(void* out, int* outLen, int attrId, int valueKind,
                                      int device) {
  const int valid = IsValidSmartDevice(device);
  if (valid != 0) return valid;
  const DeviceState& dev = devices[device];
  const int count = dev.attributeCount < kMaxAttributes ? dev.attributeCount : kMaxAttributes;
  for (int i = 0; i < count; ++i) {
    const AttributeRecord& r = dev.attributes[i];
    const bool nvme = r.nvme != 0;
    const bool match = nvme ? i == attrId : (r.Id() == attrId && (r.Id() != 0 || r.Current() != 0));
    if (!match || !KnownSelector(valueKind)) continue;
    if (out == nullptr) return HWSCOPE_E_BUFFER;
    switch (valueKind) {
      case HWSCOPE_VALUE_CURRENT:
        PutInt32(out, nvme ? 0 : r.Current());
        return 0;
      case HWSCOPE_VALUE_RAW:
        // ATA: 6 raw bytes (a 32-bit and a 16-bit part); NVMe: the low 64 bits.
        std::memcpy(out, nvme ? r.value : r.value + 5, nvme ? 8 : 6);
        return 0;
      case HWSCOPE_VALUE_WORST:
        PutInt32(out, nvme ? 0 : r.Worst());
        return 0;
      case HWSCOPE_VALUE_THRESHOLD:
        PutInt32(out, nvme ? 0 : r.Threshold());
        return 0;
      case HWSCOPE_VALUE_NAME: {
        const std::wstring name = TrimText(std::wstring(r.name, wcsnlen(r.name, 128)));
        if (outLen == nullptr || static_cast<long long>(name.size()) >= *outLen)
          return HWSCOPE_E_BUFFER;
        std::wmemcpy(static_cast<wchar_t*>(out), name.c_str(), name.size() + 1);
        *outLen = static_cast<int>(name.size());
        return 0;
      }
      case HWSCOPE_VALUE_EXCEEDED:
        PutInt32(out, !nvme && r.Threshold() != 0 && r.Threshold() >= r.Current() ? 1 : 0);
        return 0;
      case HWSCOPE_VALUE_IS_NVME:
        PutInt32(out, nvme ? 1 : 0);
        return 0;
      default:
        break;
    }
  }
  return HWSCOPE_E_ATTRIBUTE_NOT_FOUND;
}

}  // namespace hwscope
