// Drive letters from the mount table of the fixture machine.
#include <gtest/gtest.h>

#include <string>

#include "linux/mount_table.h"
#include "platform/platform.h"

namespace lb = platform::linux_backend;

namespace {

const std::string kRoot = std::string(LINUX_FIXTURES) + "/machine";

TEST(MountInfo, ParsesFieldsAndSkipsMalformedLines) {
  auto entries = lb::ParseMountInfo(
      "22 1 254:0 / / rw,relatime shared:1 master:2 - ext4 /dev/mapper/vg-root rw\n"
      "37 22 259:1 /sub /mnt/with\\040space\\011tab rw - xfs /dev/nvme0n1p1 rw\n"
      "garbage\n"
      "39 22 x:y / /bad rw - ext4 /dev/sda1 rw\n"
      "40 22 8:1 / /no-dash rw ext4 /dev/sda1 rw\n"
      "41 22 8:1 / /trailing\\ rw - ext4 /dev/sda1 rw\n");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].mountId, 22);
  EXPECT_EQ(entries[0].major, 254u);
  EXPECT_EQ(entries[0].mountPoint, "/");
  EXPECT_EQ(entries[0].fsType, "ext4");  // optional fields before the dash are skipped
  EXPECT_EQ(entries[0].source, "/dev/mapper/vg-root");
  EXPECT_EQ(entries[1].root, "/sub");
  EXPECT_EQ(entries[1].mountPoint, "/mnt/with space\ttab");
  EXPECT_EQ(entries[2].mountPoint, "/trailing\\");  // a lone backslash stays
}

TEST(DriveLetters, RootFirstThenMountOrderThenEmptySlots) {
  struct Expect {
    wchar_t letter;
    std::uint32_t type;
    const char* mountPoint;
    const char* block;
    const char* disk;
  } expected[] = {
      {L'C', platform::kDriveFixed, "/", "dm-0", "dm-0"},  // root, though listed after /boot
      {L'D', platform::kDriveFixed, "/boot", "sda1", "sda"},
      {L'E', platform::kDriveFixed, "/media/usb", "sdb1", "sdb"},  // USB disk without removable media
      {L'F', platform::kDriveRemote, "/mnt/nas", "", ""},
      {L'G', platform::kDriveFixed, "/mnt/raid", "md127", "md127"},
      {L'H', platform::kDriveRamdisk, "/mnt/ram", "ram0", "ram0"},
      {L'I', platform::kDriveFixed, "/mnt/with space", "nvme0n1p1", "nvme0n1"},
      {L'J', platform::kDriveFixed, "/mnt/data", "vda1", "vda"},  // found through its source path
      {L'K', platform::kDriveRemovable, "", "sde", "sde"},        // empty card reader
      {L'L', platform::kDriveCdrom, "", "sr0", "sr0"},            // optical drive without a disc
  };
  auto drives = lb::LogicalDrives(kRoot);
  ASSERT_EQ(drives.size(), std::size(expected));
  for (std::size_t i = 0; i < drives.size(); ++i) {
    SCOPED_TRACE(static_cast<char>(expected[i].letter));
    EXPECT_EQ(drives[i].letter, expected[i].letter);
    EXPECT_EQ(drives[i].driveType, expected[i].type);
    EXPECT_EQ(drives[i].mountPoint, expected[i].mountPoint);
    EXPECT_EQ(drives[i].blockName, expected[i].block);
    EXPECT_EQ(drives[i].diskName, expected[i].disk);
  }
}

TEST(DriveLetters, RemovableMediaAndLettersRunOutAtZ) {
  std::vector<lb::MountEntry> mounts;
  // /dev/sde is removable: a file system on it is a removable drive.
  mounts.push_back({1, 0, 8, 64, "/", "/media/card", "vfat", "/dev/sde"});
  // 30 network mounts: letters stop at Z.
  for (int i = 0; i < 30; ++i)
    mounts.push_back({2 + i, 1, 0, static_cast<unsigned>(60 + i), "/", "/n/" + std::to_string(i), "cifs",
                      "//srv/share" + std::to_string(i)});
  auto drives = lb::AssignDriveLetters(kRoot, mounts);
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives[0].letter, L'C');
  EXPECT_EQ(drives[0].driveType, platform::kDriveRemovable);
  EXPECT_EQ(drives.back().letter, L'Z');
  EXPECT_EQ(drives.size(), 24u);
}

TEST(DriveLetters, WithoutABlockDeviceRootTheOthersStartAtC) {
  std::vector<lb::MountEntry> mounts;
  mounts.push_back({1, 0, 0, 2, "/", "/", "rootfs", "rootfs"});
  mounts.push_back({2, 1, 8, 1, "/", "/mnt/data", "ext4", "/dev/sda1"});
  auto drives = lb::AssignDriveLetters(kRoot, mounts);
  ASSERT_GE(drives.size(), 1u);
  EXPECT_EQ(drives[0].letter, L'C');
  EXPECT_EQ(drives[0].blockName, "sda1");
}

TEST(DriveLetters, MissingMountTableGivesNone) {
  EXPECT_TRUE(lb::LogicalDrives(std::string(LINUX_FIXTURES) + "/no-such-machine").empty());
}

}  // namespace
