// The device data the health rules read: a narrow view of the library's
// exports (and of the volumes' free space), so that the rules can be
// exercised against any machine. LibrarySmartSource is the real one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace appcore {

class SmartSource {
 public:
  virtual ~SmartSource() = default;
  // SMART devices in the library's order.
  virtual std::vector<int> SmartDevices() = 0;
  // Attribute identifiers of a device in the library's order (positions
  // for NVMe health values).
  virtual std::vector<int> AttributeIds(int device) = 0;
  // A 32-bit value selected by kind (HWSCOPE_VALUE_CURRENT, _WORST,
  // _THRESHOLD, _EXCEEDED, _IS_NVME); 0 on success, else the library code.
  virtual int Value(int device, int attribute, int kind, int* value) = 0;
  virtual int Raw(int device, int attribute, std::uint64_t* raw) = 0;
  // The attribute's name, at most capacity - 1 characters.
  virtual int Name(int device, int attribute, std::size_t capacity, std::wstring* name) = 0;
  virtual int Model(int device, std::wstring* model) = 0;
  // Drive numbers of the device's volumes.
  virtual int Partitions(int device, std::vector<int>* driveNumbers) = 0;
  // Letter of a drive number ('A' + number).
  virtual int DriveLetter(int driveNumber, wchar_t* letter) = 0;
  // Total and user-available bytes of the volume "X:"; false when unknown.
  virtual bool VolumeSpace(wchar_t letter, std::uint64_t* total, std::uint64_t* free) = 0;
};

// The library's exports and the platform's volume information.
class LibrarySmartSource : public SmartSource {
 public:
  std::vector<int> SmartDevices() override;
  std::vector<int> AttributeIds(int device) override;
  int Value(int device, int attribute, int kind, int* value) override;
  int Raw(int device, int attribute, std::uint64_t* raw) override;
  int Name(int device, int attribute, std::size_t capacity, std::wstring* name) override;
  int Model(int device, std::wstring* model) override;
  int Partitions(int device, std::vector<int>* driveNumbers) override;
  int DriveLetter(int driveNumber, wchar_t* letter) override;
  bool VolumeSpace(wchar_t letter, std::uint64_t* total, std::uint64_t* free) override;
};

}  // namespace appcore
