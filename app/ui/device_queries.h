// Small reads of one device through the library's exports, as texts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hwscope/hwscope.h"

namespace ui {

bool ReadModelNumber(int device, std::wstring* text);
bool ReadSerialNumber(int device, std::wstring* text);
bool ReadFirmware(int device, std::wstring* text);
bool ReadInterfaceName(int device, std::wstring* text);
bool ReadCapacityMb(int device, unsigned* megabytes);
bool ReadDeviceInfo(int device, HwscopeDeviceInfo* record);
// 64-bit address from the two-word form of the maximum address exports.
bool ReadMaxLba(int device, std::uint64_t* address);
bool ReadDcoMaxLba(int device, std::uint64_t* address);
// Physical devices in the library's order (at most 64).
std::vector<int> PhysicalDevices();
bool IsSmartDevice(int device);
// Attribute identifiers of a device in the library's order (at most 256).
std::vector<int> AttributeIds(int device);
// The library's name of an attribute (at most 256 characters).
bool ReadAttributeName(int device, int attribute, std::wstring* name);
// Contains "intel" in any case.
bool IsIntelModel(const std::wstring& model);

}  // namespace ui
