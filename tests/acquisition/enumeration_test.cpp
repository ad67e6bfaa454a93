// The drive table built from a simulated machine's volumes and disks.
#include <string>
#include <vector>

#include "hwscope/hwscope.h"
#include "sim_library.h"

namespace hwscope_test {
namespace {

using EnumerationTest = LibraryTest;

std::string Disk(int number, const std::string& more = "") {
  return R"({"number": )" + std::to_string(number) + R"(, "model": "HGST HTS721010A9E630", )" +
         R"("serial": "JR10004M0BXYZ)" + std::to_string(number) + R"(", "sectors": 1953525168)" +
         (more.empty() ? "" : ", " + more) + ", " + AtaAttributes() + "}";
}

std::vector<int> PhysicalDevices() {
  std::vector<int> ids;
  for (int id = HwscopeDll_Smart_GetPhysicalDeviceIDFirst(); id >= 0;
       id = HwscopeDll_Smart_GetPhysicalDeviceIDNext())
    ids.push_back(id);
  return ids;
}

TEST_F(EnumerationTest, BuildsRowsForLettersAndDisksWithoutVolume) {
  const std::string drives = Disk(0) + "," + Disk(1) + "," +
                             Disk(2, R"("bus": "USB", "bridge": "sat", "removable": true)");
  const std::string volumes = R"(
    {"letter": "A", "type": "removable"},
    {"letter": "C", "type": "fixed", "disks": [0], "size": 107374182400, "free": 1000},
    {"letter": "D", "type": "fixed", "disks": [0], "size": 53687091200, "free": 1000},
    {"letter": "E", "type": "removable", "disks": [2], "size": 8589934592, "free": 1000},
    {"letter": "F", "type": "removable", "disks": [], "no_media": true},
    {"letter": "G", "type": "network", "size": 1000, "free": 10},
    {"letter": "H", "type": "optical", "no_media": true})";
  ASSERT_EQ(LoadAndInit(Machine(drives, volumes)), 0);
  hwscope::CSMARTInfo& e = Engine();

  // Two volumes on one disk: the first row lists both, the second is covered.
  int numbers[7] = {};
  int count = 7;
  ASSERT_EQ(HwscopeDll_Smart_GetDevicePartitionInfo(numbers, &count, 0), 0);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(numbers[0], 2);
  EXPECT_EQ(numbers[1], 3);
  EXPECT_EQ(e.drives[2].covered, 0);
  EXPECT_EQ(e.drives[3].covered, 1);
  count = 1;
  EXPECT_EQ(HwscopeDll_Smart_GetDevicePartitionInfo(numbers, &count, 0), HWSCOPE_E_BUFFER);

  // A removable stick that maps to a disk becomes a fixed row.
  EXPECT_EQ(e.drives[4].driveType, 3);
  EXPECT_EQ(HwscopeDll_Smart_GetDeviceIDFromDriveNum(4), 2);

  // A disk without a volume gets row 26, without a letter.
  EXPECT_EQ(e.drives[26].driveType, 3);
  EXPECT_EQ(e.drives[26].driveLetter, 0);
  EXPECT_EQ(HwscopeDll_Smart_GetDeviceIDFromDriveNum(26), 1);
  wchar_t letter = 0;
  ASSERT_EQ(HwscopeDll_Smart_GetDriveLetterFromDriveNum(&letter, 26), 0);
  EXPECT_EQ(letter, L'[');
  EXPECT_EQ(HwscopeDll_Smart_GetDriveLetterFromDriveNum(&letter, 127), HWSCOPE_E_BAD_DRIVE);

  // Floppy, card reader without a card, network and optical rows are typed but hold no disk.
  EXPECT_EQ(e.drives[0].present, 1);
  EXPECT_EQ(e.drives[0].physicalCount, 0);
  EXPECT_EQ(HwscopeDll_Smart_GetDeviceIDFromDriveNum(0), HWSCOPE_E_DRIVE_NOT_FIXED);
  EXPECT_EQ(e.drives[5].physicalCount, 0);
  EXPECT_EQ(HwscopeDll_Smart_GetDeviceIDFromDriveNum(5), HWSCOPE_E_DRIVE_NOT_FIXED);
  EXPECT_EQ(HwscopeDll_Smart_GetDeviceIDFromDriveNum(6), HWSCOPE_E_DRIVE_NOT_FIXED);
  EXPECT_EQ(HwscopeDll_Smart_GetDeviceIDFromDriveNum(25), HWSCOPE_E_DRIVE_NOT_PRESENT);
  EXPECT_EQ(HwscopeDll_Smart_GetDeviceIDFromDriveNum(126), HWSCOPE_E_BAD_DRIVE);

  // C, D, E and the disk without a volume.
  EXPECT_EQ(HwscopeDll_Smart_GetNumDetectedDrives(), 4);
  EXPECT_EQ(e.drives[2].detectedOrdinal, 0);
  EXPECT_EQ(e.drives[26].detectedOrdinal, 3);
  // Acquisition order: C (disk 0), E (disk 2), row 26 (disk 1); D shares C's disk.
  EXPECT_EQ(PhysicalDevices(), (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartDevices(), 3);

  int megabytes = 0;
  EXPECT_EQ(HwscopeDll_Smart_GetVolumeCapacity(&megabytes, 2), 0);
  EXPECT_EQ(megabytes, 102400);
  EXPECT_EQ(HwscopeDll_Smart_GetVolumeCapacity(&megabytes, 7), 21);  // empty optical drive
  EXPECT_EQ(megabytes, -1);
}

TEST_F(EnumerationTest, FailedMappingLeavesLaterLettersAligned) {
  const std::string volumes = R"(
    {"letter": "C", "type": "fixed", "disks": [], "size": 1000, "free": 10},
    {"letter": "D", "type": "fixed", "disks": [0], "size": 1073741824, "free": 10})";
  ASSERT_EQ(LoadAndInit(Machine(Disk(0), volumes)), 0);
  EXPECT_EQ(Engine().drives[2].physicalCount, 0);
  EXPECT_EQ(HwscopeDll_Smart_GetDeviceIDFromDriveNum(2), HWSCOPE_E_BAD_DEVICE);
  EXPECT_EQ(HwscopeDll_Smart_GetDeviceIDFromDriveNum(3), 0);
  EXPECT_EQ(Engine().drives[3].detectedOrdinal, 0);
  EXPECT_EQ(HwscopeDll_Smart_GetNumDetectedDrives(), 1);
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartDevices(), 1);
}

TEST_F(EnumerationTest, VolumeWithMoreExtentsThanTheReplyHoldsGetsNoDevices) {
  std::string disks;
  for (int i = 0; i < 140; ++i) disks += (i ? "," : "") + std::to_string(i % 2);
  const std::string volumes =
      R"({"letter": "C", "type": "fixed", "disks": [)" + disks + R"(], "size": 1000, "free": 10})";
  ASSERT_EQ(LoadAndInit(Machine(Disk(0) + "," + Disk(1), volumes)), 0);
  const hwscope::DriveRow& c = Engine().drives[2];
  EXPECT_EQ(c.present, 1);
  EXPECT_EQ(c.physicalCount, 0);
  // Both disks are then found as disks without a volume.
  EXPECT_EQ(HwscopeDll_Smart_GetDeviceIDFromDriveNum(26), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetDeviceIDFromDriveNum(27), 1);
  EXPECT_EQ(HwscopeDll_Smart_GetNumSmartDevices(), 2);
}

TEST_F(EnumerationTest, ValidityChecksAndListIteration) {
  ASSERT_EQ(LoadAndInit(Machine(Disk(0), R"({"letter": "C", "disks": [0], "size": 1000})")), 0);
  for (int bad : {-1, 1, 99, 100, 1000}) {
    EXPECT_EQ(HwscopeDll_Smart_IsValidSmartDevice(bad), HWSCOPE_E_BAD_DEVICE) << bad;
  }
  EXPECT_EQ(HwscopeDll_Smart_IsValidSmartDevice(0), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetSmartDeviceIDFirst(), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetSmartDeviceIDNext(), HWSCOPE_E_SMART_LIST_END);
  EXPECT_EQ(HwscopeDll_Smart_GetSmartDeviceIDNext(), HWSCOPE_E_SMART_LIST_END);
  EXPECT_EQ(HwscopeDll_Smart_GetPhysicalDeviceIDFirst(), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetPhysicalDeviceIDNext(), HWSCOPE_E_PHYSICAL_LIST_END);
}

TEST_F(EnumerationTest, EmptyMachineHasEmptyLists) {
  ASSERT_EQ(LoadAndInit(Machine("", "")), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetNumDetectedDrives(), 0);
  EXPECT_EQ(HwscopeDll_Smart_GetSmartDeviceIDFirst(), HWSCOPE_E_SMART_LIST_EMPTY);
  EXPECT_EQ(HwscopeDll_Smart_GetPhysicalDeviceIDFirst(), HWSCOPE_E_PHYSICAL_LIST_EMPTY);
  int numbers[7];
  int count = 7;
  EXPECT_EQ(HwscopeDll_Smart_GetDevicePartitionInfo(numbers, &count, 0), HWSCOPE_E_BAD_DEVICE);
}

}  // namespace
}  // namespace hwscope_test
