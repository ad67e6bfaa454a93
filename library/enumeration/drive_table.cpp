// Building the drive table: one row per drive letter, then one per disk that
// carries no mounted volume.
#include <string>

#include "engine/smart_info.h"
#include "frame/log.h"

namespace hwscope {
namespace {

constexpr std::uint64_t kUnknownSize = ~0ull;

std::uint64_t VolumeTotalBytes(wchar_t letter) {
  std::uint64_t total = 0;
  std::uint64_t freeBytes = 0;
  platform::Platform& os = platform::Current();
  if (os.GetDiskFreeSpace(letter, &total, &freeBytes)) {
    Logf("GetDiskFreeSpaceEx succeeded.  Volume \"%c:\" capacity: %d MB", static_cast<char>(letter),
         static_cast<int>(total / 1048576));
    return total;
  }
  const std::uint32_t error = os.LastError();
  Logf("GetDiskFreeSpaceEx failed with: %d, %s", static_cast<int>(error),
       SystemErrorText(error).c_str());
  return kUnknownSize;
}

void AppendVolume(DriveRow& row, int driveNumber, wchar_t letter, std::uint64_t size) {
  if (row.volumeCount < 0 || row.volumeCount >= kMaxVolumesPerRow) return;
  row.volumeList[row.volumeCount] = driveNumber;
  row.volumeLetters[row.volumeCount] = letter;
  row.volumeSizes[row.volumeCount] = size;
  ++row.volumeCount;
}

bool RowListsDevice(const DriveRow& row, int device) {
  for (int i = 0; i < row.physicalCount && i < kMaxDevices; ++i) {
    if (row.physicalList[i] == device) return true;
  }
  return false;
}

}  // namespace

int CSMARTInfo::BuildDrivesInfo(int flag) {
  (void)flag;
  Logf("%s[%d]: Building drives info", "CSMARTInfo::BuildDrivesInfo", 201);
  platform::Platform& os = platform::Current();
  std::uint32_t mask = os.LogicalDrives();
  int counter = 0;

  for (int index = 0; index < 26; ++index, mask >>= 1) {
    if ((mask & 1u) == 0) continue;
    const wchar_t letter = static_cast<wchar_t>(L'A' + index);
    DriveRow& row = drives[index];
    std::string label;
    label += static_cast<char>(letter);
    label += ": ";
    row.driveLetter = letter;
    row.present = 1;
    row.driveType = static_cast<std::int32_t>(os.GetDriveType(letter));
    Logf("Getting physical drive ID of drive %s - drive type %d", label.c_str(), row.driveType);

    const bool removable = row.driveType == platform::kDriveRemovable;
    if (removable && index < 2) {
      label += " [Floppy]";
    } else if (removable || row.driveType == platform::kDriveFixed) {
      label += removable ? " [Removable]" : "";
      int count = 0;
      const int result = GetPhysicalDeviceID(letter, &count, row.physicalList, kMaxDevices);
      if (result < 0) {
        Logf("Error getting physical drive ID of drive \"%c:\"", static_cast<char>(letter));
        continue;
      }
      if (removable) row.driveType = platform::kDriveFixed;

      // Row set-up.
      row.detectedOrdinal = detectedDriveCount++;
      row.smartRow = index;
      row.volumeCount = 0;
      // A volume with more extents than the reply holds (234) has no device
      // numbers: its count is not a list length.
      row.physicalCount = result == 0 ? (count < 0 ? 0 : (count > kMaxDevices ? kMaxDevices : count)) : 0;
      for (int i = 0; i < row.physicalCount; ++i) {
        Logf("Fixed drive found, %c:\\, phyID = %d", static_cast<char>(letter), row.physicalList[i]);
      }
      const std::uint64_t size = VolumeTotalBytes(letter);
      AppendVolume(row, index, letter, size);

      if (!removable) {
        // Shared-disk merge: an earlier row on the same disk lists this volume too.
        for (int earlier = 0; earlier < index; ++earlier) {
          DriveRow& other = drives[earlier];
          for (int i = 0; i < row.physicalCount; ++i) {
            for (int j = 0; j < other.physicalCount && j < kMaxDevices; ++j) {
              if (row.physicalList[i] != other.physicalList[j]) continue;
              row.covered = 1;
              AppendVolume(other, index, letter, size);
            }
          }
        }
        label += " [Local Drive]";
      }
    } else if (row.driveType == platform::kDriveRemote) {
      label += " [Networked]";
    } else if (row.driveType == platform::kDriveCdrom) {
      label += " [CD/DVD]";
    } else if (row.driveType == platform::kDriveRamdisk) {
      label += " [Ramdisk]";
    } else {
      label += " [Unknown type]";
    }
    ++counter;
    Logf("Drive #%d detected, \"%s\"", index, label.c_str());
  }

  Logf("Looking for unformatted devices...");
  int unformatted = 0;
  int nextRow = kFirstDiskRow;
  for (int device = 0; device < kMaxDevices && nextRow < kMaxDriveRows; ++device) {
    if (OpenSMARTNT(device, false) != 0) continue;
    Logf("Opening phyID = %d successful!", device);
    bool found = false;
    for (int index = 0; index < kFirstDiskRow && !found; ++index) found = RowListsDevice(drives[index], device);
    if (found) {
      Logf("PhyID = %d already found!", device);
      continue;
    }
    DriveRow& row = drives[nextRow];
    row.detectedOrdinal = detectedDriveCount++;
    row.smartRow = nextRow;
    row.volumeCount = 0;
    row.volumeList[0] = nextRow;
    row.driveLetter = 0;
    row.present = 1;
    row.driveType = platform::kDriveFixed;
    row.physicalList[0] = device;
    row.physicalCount = 1;
    Logf("Unformated fixed drive found, phyID = %d", device);
    ++nextRow;
    ++unformatted;
    ++counter;
  }
  Logf("Number of unformatted fixed drives found: %d!", unformatted);
  return counter;
}

}  // namespace hwscope
