// The 192-byte device info record, the interface name and the capacity.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/smart_info.h"
#include "strings/string_table.h"
#include "test_support.h"

namespace {

using hwscope::CSMARTInfo;

class DeviceInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::InstallBareSystem();
    engine_ = std::make_unique<CSMARTInfo>();
  }
  void TearDown() override { platform::SetCurrentForTesting(nullptr); }
  void AttachGeometry(int row) {
    hwscope::DriveRow& d = engine_->drives[row];
    d.scsiAddress[0] = 1;
    d.scsiAddress[1] = 2;
    d.scsiAddress[2] = 3;
    d.scsiAddress[3] = 4;
    d.cylinders = 121601;
    d.tracksPerCylinder = 255;
    d.sectorsPerTrack = 63;
    d.bytesPerSector = 512;
    d.capacity = 1000204886016ull;
  }
  std::unique_ptr<CSMARTInfo> engine_;
};

TEST_F(DeviceInfoTest, AtaRecordFromCapturedIdentify) {
  enginetest::AttachDevice(*engine_, 0, 2);
  AttachGeometry(2);
  engine_->FormatIdInfo(enginetest::LoadFixture("hdd_identify.bin").data(), 0, 2);
  HwscopeDeviceInfo r;
  std::memset(&r, 0xCC, sizeof r);
  ASSERT_EQ(engine_->GetDeviceInfo(&r, 0), 0);
  EXPECT_EQ(r.scsiPathId, 2);
  EXPECT_EQ(r.scsiTargetId, 3);
  EXPECT_EQ(r.scsiLun, 4);
  EXPECT_EQ(r.busType, 11);
  EXPECT_EQ(r.cylinders, 121601u);
  EXPECT_EQ(r.bytesPerSector, 512);
  EXPECT_EQ(r.sectorsPerTrack, 63);
  EXPECT_EQ(r.tracksPerCylinder, 255);
  EXPECT_EQ(r.logicalSectorSize, 512);
  EXPECT_EQ(r.physicalSectorSize, 4096);  // W106 low nibble 3
  EXPECT_EQ(r.bufferSize, 32u * 512u);
  EXPECT_EQ(r.rotationRate, 7200);
  EXPECT_EQ(r.majorVersion, 0x01F0);
  EXPECT_EQ(r.transportMajorVersion, 0x10FF);
  EXPECT_EQ(r.userSectors, 1953525168ull);  // 28-bit count saturated: W100-103
  EXPECT_EQ(std::string(r.serialNumber, 20), "JP2940HZ1ABCDE      ");
  EXPECT_EQ(std::string(r.firmwareRevision, 8), "JKAOA3EA");
  EXPECT_EQ(std::string(r.modelNumber, 23), "Hitachi HDS721010CLA332");
  const std::uint8_t wwn[8] = {0x50, 0x00, 0xCC, 0xA3, 0x7A, 0xCE, 0x12, 0x34};
  EXPECT_EQ(std::memcmp(r.worldWideName, wwn, 8), 0);
  EXPECT_EQ(r.smartSupported, 1);
  EXPECT_EQ(r.smartEnabled, 1);
  EXPECT_EQ(r.selfTestSupported, 1);
  EXPECT_EQ(r.lbaSupported, 1);
  EXPECT_EQ(r.iordySupported, 1);
  EXPECT_EQ(r.word69Bit15, 1);
  EXPECT_EQ(r.multiwordDmaSupported, 7);
  EXPECT_EQ(r.multiwordDmaSelected, 4);
  EXPECT_EQ(r.ultraDmaSupported, 0x7F);
  EXPECT_EQ(r.ultraDmaSelected, 0x20);
  EXPECT_EQ(r.pioModesSupported, 3);
  EXPECT_EQ(r.serialAta, 1);
  EXPECT_EQ(r.sataCapabilities, 0x170E);
  EXPECT_EQ(r.trustedComputing, 1);
  EXPECT_EQ(r.hpaSupported, 1);
  EXPECT_EQ(r.dcoSupported, 1);
  EXPECT_EQ(r.lba48Supported, 1);
  EXPECT_EQ(r.aamSupported, 1);
  EXPECT_EQ(r.aamRecommended, 0x80);
  EXPECT_EQ(r.aamCurrent, 0xFE);
  EXPECT_EQ(r.apmSupported, 0);
  EXPECT_EQ(r.apmLevel, 0xFE);
  EXPECT_EQ(r.gplSupported, 1);
  EXPECT_EQ(r.word87Bit3, 0);
  EXPECT_EQ(r.epcSupported, 1);
  EXPECT_EQ(r.epcEnabled, 1);
  EXPECT_EQ(r.freeFallSupported, 1);
  EXPECT_EQ(r.writeReadVerifySupported, 1);
  EXPECT_EQ(r.trimSupported, 0);
  EXPECT_EQ(r.sctSupported, 1);
  EXPECT_EQ(r.word214Bit4, 1);
  EXPECT_EQ(r.word214Bit0, 1);
  EXPECT_EQ(r.word214Bit1, 1);
  // Reserved bytes are zero.
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&r);
  for (int offset : {4, 5, 6, 7, 26, 27, 68, 77, 118, 141, 187, 188, 189, 190, 191})
    EXPECT_EQ(bytes[offset], 0) << offset;
}

TEST_F(DeviceInfoTest, SmallDiskUsesTheTwentyEightBitCount) {
  enginetest::AttachDevice(*engine_, 1, 3);
  auto id = enginetest::LoadFixture("ssd_identify.bin");
  engine_->FormatIdInfo(id.data(), 1, 3);
  HwscopeDeviceInfo r;
  ASSERT_EQ(engine_->GetDeviceInfo(&r, 1), 0);
  EXPECT_EQ(r.userSectors, 0x0E8E6DB0u);
  EXPECT_EQ(r.trimSupported, 1);
  EXPECT_EQ(r.rotationRate, 1);
}

TEST_F(DeviceInfoTest, NvmeRecordHoldsGeometryAndStringsOnly) {
  enginetest::AttachDevice(*engine_, 6, 27, 17, hwscope::kBridgeStorageQuery);
  AttachGeometry(27);
  engine_->FormatNVMeIdInfo(enginetest::LoadFixture("nvme_identify.bin").data(), 6, 27);
  HwscopeDeviceInfo r;
  std::memset(&r, 0xCC, sizeof r);
  ASSERT_EQ(engine_->GetDeviceInfo(&r, 6), 0);
  EXPECT_EQ(r.busType, 17);
  EXPECT_EQ(r.physicalSectorSize, 512);
  EXPECT_EQ(r.rotationRate, 1);
  EXPECT_EQ(std::string(r.modelNumber, 28), "Samsung SSD 970 EVO Plus 1TB");
  EXPECT_EQ(std::string(r.serialNumber, 15), "S4EWNX0R123456A");
  EXPECT_EQ(std::string(r.firmwareRevision, 8), "2B2QEXM7");
  EXPECT_EQ(r.bufferSize, 0u);
  EXPECT_EQ(r.userSectors, 0u);
  EXPECT_EQ(r.smartSupported, 0);
}

TEST_F(DeviceInfoTest, InterfaceNamesAndSolidState) {
  struct Case {
    int bus;
    int rotation;
    std::wstring name;
    bool solid;
  };
  const Case cases[] = {
      {0, 7200, L"Unknown", false},  {7, 0, L"USB", false},
      {11, 1, L"SATA", true},        {15, 0, L"Virtual File-backed Storage", false},
      {17, 0, L"NVMe", true},
      {18, 0, hwscope::strings::TextCopy(hwscope::strings::HW_IDS_UNKNOWN), false},
      {-1, 0, hwscope::strings::TextCopy(hwscope::strings::HW_IDS_UNKNOWN), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bus);
    enginetest::AttachDevice(*engine_, 0, 2, c.bus);
    engine_->devices[0].identify[434] = static_cast<std::uint8_t>(c.rotation & 0xFF);
    engine_->devices[0].identify[435] = static_cast<std::uint8_t>(c.rotation >> 8);
    wchar_t name[64];
    int len = 64;
    bool solid = !c.solid;
    ASSERT_EQ(engine_->GetDeviceInterface(name, &len, &solid, 0), 0);
    EXPECT_EQ(std::wstring(name), c.name);
    EXPECT_EQ(len, static_cast<int>(c.name.size()));
    EXPECT_EQ(solid, c.solid);
  }
  // A short buffer gets a cut, terminated name.
  wchar_t name[3];
  int len = 3;
  bool solid;
  enginetest::AttachDevice(*engine_, 0, 2, 11);
  ASSERT_EQ(engine_->GetDeviceInterface(name, &len, &solid, 0), 0);
  EXPECT_STREQ(name, L"SA");
}

TEST_F(DeviceInfoTest, CapacityInMegabytes) {
  enginetest::AttachDevice(*engine_, 0, 2);
  unsigned mb = 0;
  EXPECT_EQ(engine_->GetDeviceCapacity(&mb, 0), HWSCOPE_E_CAPACITY_UNKNOWN);
  AttachGeometry(2);
  ASSERT_EQ(engine_->GetDeviceCapacity(&mb, 0), 0);
  EXPECT_EQ(mb, 953869u);
  engine_->drives[2].capacity = 0x00FFFFFFFFFFFFFFull;  // above 2^32 MB: truncated
  ASSERT_EQ(engine_->GetDeviceCapacity(&mb, 0), 0);
  EXPECT_EQ(mb, static_cast<unsigned>(0x00FFFFFFFFFFFFFFull / 1048576ull));
  EXPECT_EQ(engine_->GetDeviceCapacity(&mb, 4), HWSCOPE_E_BAD_DEVICE);
}

TEST_F(DeviceInfoTest, RecordNeedsAFixedDriveOfTheTable) {
  HwscopeDeviceInfo r;
  EXPECT_EQ(engine_->GetDeviceInfo(&r, 3), HWSCOPE_E_BAD_DEVICE);
  enginetest::AttachDevice(*engine_, 3, 4);
  engine_->drives[4].driveType = platform::kDriveRemovable;
  EXPECT_EQ(engine_->GetDeviceInfo(&r, 3), HWSCOPE_E_DRIVE_NOT_FIXED);
  engine_->drives[4].driveType = platform::kDriveFixed;
  EXPECT_EQ(engine_->GetDeviceInfo(nullptr, 3), HWSCOPE_E_BUFFER);
}

}  // namespace
