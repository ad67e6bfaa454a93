// A machine described in the test: devices, their attributes and volumes,
// answered the way the library's exports answer.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/smart_source.h"
#include "hwscope/hwscope.h"

namespace apptest {

struct FakeAttribute {
  int id = 0;
  bool nvme = false;
  int current = 100;
  int threshold = 0;
  unsigned long long raw = 0;
  std::wstring name = L"Attribute";
  bool readable = true;  // false: every query fails
};

struct FakeDevice {
  std::wstring model = L"TEST DISK";
  std::vector<FakeAttribute> attributes;
  std::vector<int> driveNumbers;
};

struct FakeVolume {
  unsigned long long total = 0;
  unsigned long long free = 0;
};

class FakeSource : public appcore::SmartSource {
 public:
  std::map<int, FakeDevice> devices;
  std::map<wchar_t, FakeVolume> volumes;

  FakeAttribute* Find(int device, int attribute) {
    auto d = devices.find(device);
    if (d == devices.end()) return nullptr;
    auto& list = d->second.attributes;
    for (size_t i = 0; i < list.size(); ++i) {
      int key = list[i].nvme ? static_cast<int>(i) : list[i].id;
      if (key == attribute) return &list[i];
    }
    return nullptr;
  }
  std::vector<int> SmartDevices() override {
    std::vector<int> out;
    for (auto& [id, d] : devices) out.push_back(id);
    return out;
  }
  std::vector<int> AttributeIds(int device) override {
    std::vector<int> out;
    auto& list = devices[device].attributes;
    for (size_t i = 0; i < list.size(); ++i)
      out.push_back(list[i].nvme ? static_cast<int>(i) : list[i].id);
    return out;
  }
  int Value(int device, int attribute, int kind, int* value) override {
    FakeAttribute* a = Find(device, attribute);
    if (a == nullptr || !a->readable) return HWSCOPE_E_ATTRIBUTE_NOT_FOUND;
    switch (kind) {
      case HWSCOPE_VALUE_CURRENT: *value = a->nvme ? 0 : a->current; break;
      case HWSCOPE_VALUE_THRESHOLD: *value = a->nvme ? 0 : a->threshold; break;
      case HWSCOPE_VALUE_EXCEEDED:
        *value = !a->nvme && a->threshold != 0 && a->threshold >= a->current;
        break;
      case HWSCOPE_VALUE_IS_NVME: *value = a->nvme; break;
      default: return HWSCOPE_E_ATTRIBUTE_NOT_FOUND;
    }
    return 0;
  }
  int Raw(int device, int attribute, std::uint64_t* raw) override {
    FakeAttribute* a = Find(device, attribute);
    if (a == nullptr || !a->readable) return HWSCOPE_E_ATTRIBUTE_NOT_FOUND;
    *raw = a->nvme ? a->raw : (a->raw & 0xFFFFFFFFFFFFull);
    return 0;
  }
  int Name(int device, int attribute, std::size_t capacity, std::wstring* name) override {
    FakeAttribute* a = Find(device, attribute);
    if (a == nullptr || !a->readable) return HWSCOPE_E_ATTRIBUTE_NOT_FOUND;
    if (a->name.size() >= capacity) return HWSCOPE_E_BUFFER;
    *name = a->name;
    return 0;
  }
  int Model(int device, std::wstring* model) override {
    auto d = devices.find(device);
    if (d == devices.end() || d->second.model.empty()) return HWSCOPE_E_IDENTIFY_EMPTY;
    *model = d->second.model;
    return 0;
  }
  int Partitions(int device, std::vector<int>* driveNumbers) override {
    *driveNumbers = devices[device].driveNumbers;
    return 0;
  }
  int DriveLetter(int driveNumber, wchar_t* letter) override {
    *letter = static_cast<wchar_t>(L'A' + driveNumber);
    return 0;
  }
  bool VolumeSpace(wchar_t letter, std::uint64_t* total, std::uint64_t* free) override {
    auto v = volumes.find(letter);
    if (v == volumes.end()) return false;
    *total = v->second.total;
    *free = v->second.free;
    return true;
  }
};

}  // namespace apptest
