// Each control code the library sends, translated to its kernel form against
// a recording kernel device, and the reply laid out as the library reads it.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "fake_kernel_device.h"
#include "linux/device_control.h"
#include "platform/platform.h"
#include "platform/wire.h"

namespace lb = platform::linux_backend;
namespace w = platform::wire;
using lb::testing::FakeKernelDevice;

namespace {

const std::string kRoot = std::string(LINUX_FIXTURES) + "/machine";

class DeviceControl : public ::testing::Test {
 protected:
  // A target for a fixture disk with a recording kernel device.
  FakeKernelDevice* Disk(const char* name) {
    target_ = std::make_unique<lb::RequestTarget>();
    target_->root = kRoot;
    target_->kind = lb::RequestTarget::Kind::kDisk;
    target_->disk = lb::DescribeBlockDevice(kRoot, name);
    target_->adapterPort = 10;
    auto dev = std::make_unique<FakeKernelDevice>();
    FakeKernelDevice* raw = dev.get();
    target_->io = std::move(dev);
    return raw;
  }
  template <typename T>
  std::uint32_t Run(std::uint32_t code, T* block, std::uint32_t in, std::uint32_t out) {
    return Run(code, reinterpret_cast<std::uint8_t*>(block), in, out);
  }
  std::uint32_t Run(std::uint32_t code, std::uint8_t* buffer, std::uint32_t in, std::uint32_t out) {
    return lb::HandleDeviceControl(*target_, code, buffer, in, out, &returned_);
  }

  std::unique_ptr<lb::RequestTarget> target_;
  std::uint32_t returned_ = 0;
};

std::vector<std::uint8_t> SmartInput(std::uint8_t features, std::uint8_t command, std::uint32_t size) {
  std::vector<std::uint8_t> b(sizeof(w::SmartCommandOutput), 0);
  w::SmartCommandInput in{};
  in.bufferSize = size;
  in.regs = {features, 1, 1, 0x4F, 0xC2, 0xA0, command, 0};
  std::memcpy(b.data(), &in, w::kSmartCommandInputSize);
  return b;
}

TEST_F(DeviceControl, SmartReceiveReadsThroughAtaPassThrough) {
  FakeKernelDevice* dev = Disk("sda");
  dev->dataIn.assign(512, 0);
  for (int i = 0; i < 512; ++i) dev->dataIn[i] = static_cast<std::uint8_t>(i);
  auto b = SmartInput(0xD0, 0xB0, 512);
  ASSERT_EQ(Run(w::kSmartRcvDriveData, b.data(), 32, 528), 0u);
  EXPECT_EQ(returned_, 528u);
  ASSERT_EQ(dev->sg.size(), 1u);
  const auto& sg = dev->sg[0];
  EXPECT_EQ(sg.cdb[0], 0x85);
  EXPECT_EQ(sg.cdb[1], 0x08);  // PIO data-in
  EXPECT_EQ(sg.cdb[4], 0xD0);
  EXPECT_EQ(sg.cdb[10], 0x4F);
  EXPECT_EQ(sg.cdb[12], 0xC2);
  EXPECT_EQ(sg.cdb[14], 0xB0);
  EXPECT_EQ(sg.dataLength, 512u);
  std::uint32_t size;
  std::memcpy(&size, b.data(), 4);
  EXPECT_EQ(size, 512u);
  EXPECT_EQ(b[16 + 0], 0);
  EXPECT_EQ(b[16 + 511], 255);
}

TEST_F(DeviceControl, SmartReceiveRefusals) {
  FakeKernelDevice* dev = Disk("sda");
  auto wrongCommand = SmartInput(0x00, 0x25, 512);  // READ DMA EXT is not a receive command
  EXPECT_EQ(Run(w::kSmartRcvDriveData, wrongCommand.data(), 32, 528), platform::kErrorInvalidParameter);
  auto tooBig = SmartInput(0xD0, 0xB0, 1024);
  EXPECT_EQ(Run(w::kSmartRcvDriveData, tooBig.data(), 32, 528), platform::kErrorInsufficientBuffer);
  auto ok = SmartInput(0xD0, 0xB0, 512);
  EXPECT_EQ(Run(w::kSmartRcvDriveData, ok.data(), 16, 528), platform::kErrorInsufficientBuffer);
  EXPECT_TRUE(dev->sg.empty());
  // The drive aborts the command.
  const std::uint8_t lba[6] = {};
  dev->status = 2;
  dev->sense = lb::testing::AtaStatusSense(0x04, 0x51, lba);
  EXPECT_EQ(Run(w::kSmartRcvDriveData, ok.data(), 32, 528), platform::kErrorIoDevice);
  // Not a libata disk: the native SMART interface does not exist.
  Disk("sdb");
  EXPECT_EQ(Run(w::kSmartRcvDriveData, ok.data(), 32, 528), platform::kErrorInvalidFunction);
}

TEST_F(DeviceControl, SmartSendReturnStatusGivesTheRegisters) {
  FakeKernelDevice* dev = Disk("sda");
  const std::uint8_t lba[6] = {0, 0xF4, 0x2C, 0, 0, 0};  // threshold exceeded
  dev->status = 2;
  dev->sense = lb::testing::AtaStatusSense(0, 0x50, lba, 0, 0xA0, false);
  auto b = SmartInput(0xDA, 0xB0, 0);
  ASSERT_EQ(Run(w::kSmartSendDriveCommand, b.data(), 32, 24), 0u);
  EXPECT_EQ(returned_, 24u);
  EXPECT_EQ(dev->sg[0].cdb[2], 0x20);  // check condition, no data
  EXPECT_EQ(dev->sg[0].direction, lb::SgDirection::kNone);
  EXPECT_EQ(b[16 + 3], 0xF4);  // LBA mid
  EXPECT_EQ(b[16 + 4], 0x2C);  // LBA high
  EXPECT_EQ(b[16 + 6], 0x50);  // status
  auto enable = SmartInput(0xD8, 0xB0, 0);
  ASSERT_EQ(Run(w::kSmartSendDriveCommand, enable.data(), 32, 16), 0u);
  EXPECT_EQ(returned_, 16u);
  auto identify = SmartInput(0x00, 0xEC, 0);
  EXPECT_EQ(Run(w::kSmartSendDriveCommand, identify.data(), 32, 16), platform::kErrorInvalidParameter);
}

TEST_F(DeviceControl, SmartVersionAsANativeDriverAnswersIt) {
  FakeKernelDevice* dev = Disk("sda");
  dev->dataIn.assign(512, 0);
  dev->dataIn[164] = 0x01;  // word 82 bit 0: SMART supported
  w::SmartVersionBlock v{};
  ASSERT_EQ(Run(w::kSmartGetVersion, &v, 0, sizeof v), 0u);
  EXPECT_EQ(v.version, 1);
  EXPECT_EQ(v.revision, 1);
  EXPECT_EQ(v.capabilities, 5u);
  EXPECT_EQ(dev->sg[0].cdb[14], 0xEC);
  dev->dataIn[164] = 0;
  ASSERT_EQ(Run(w::kSmartGetVersion, &v, 0, sizeof v), 0u);
  EXPECT_EQ(v.capabilities, 1u);
  Disk("nvme0n1");
  EXPECT_EQ(Run(w::kSmartGetVersion, &v, 0, sizeof v), platform::kErrorInvalidFunction);
}

TEST_F(DeviceControl, AtaPassThroughDirectReturnsTheTaskFiles) {
  FakeKernelDevice* dev = Disk("sda");
  const std::uint8_t lba[6] = {0x2F, 0x50, 0x6F, 0x00, 0x00, 0x3A};
  dev->status = 2;
  dev->sense = lb::testing::AtaStatusSense(0, 0x50, lba);
  w::AtaPassThroughDirect apt{};
  apt.length = sizeof apt;
  apt.ataFlags = w::kAtaFlagDrdyRequired | w::kAtaFlagDataIn | w::kAtaFlag48Bit;
  apt.dataTransferLength = 512;
  apt.timeOutValue = 1;
  apt.previousTaskFile = {0, 0, 0, 0, 0, 0xE0, 0x27, 0};
  apt.currentTaskFile = {0, 0, 0, 0, 0, 0xE0, 0x27, 0};
  ASSERT_EQ(Run(w::kAtaPassThroughDirect, &apt, sizeof apt, sizeof apt), 0u);
  EXPECT_EQ(dev->sg[0].cdb[1], 0x07);  // non-data, extend
  EXPECT_EQ(dev->sg[0].timeoutMs, 1000u);
  EXPECT_EQ(apt.currentTaskFile.features, 0);  // error register
  EXPECT_EQ(apt.currentTaskFile.lbaLow, 0x2F);
  EXPECT_EQ(apt.currentTaskFile.lbaHigh, 0x6F);
  EXPECT_EQ(apt.currentTaskFile.command, 0x50);
  EXPECT_EQ(apt.previousTaskFile.lbaHigh, 0x3A);
  // The drive aborts: the call succeeds and the error register says so.
  dev->sense = lb::testing::AtaStatusSense(0x04, 0x51, lba);
  ASSERT_EQ(Run(w::kAtaPassThroughDirect, &apt, sizeof apt, sizeof apt), 0u);
  EXPECT_EQ(apt.currentTaskFile.features, 0x04);
}

TEST_F(DeviceControl, AtaPassThroughBufferedChecksTheDataArea) {
  FakeKernelDevice* dev = Disk("sda");
  dev->dataIn.assign(512, 0xAB);
  w::AtaPassThroughWithBuffer b{};
  b.apt.length = sizeof b.apt;
  b.apt.ataFlags = w::kAtaFlagDrdyRequired | w::kAtaFlagDataIn;
  b.apt.dataTransferLength = 512;
  b.apt.dataBufferOffset = offsetof(w::AtaPassThroughWithBuffer, data);
  b.apt.currentTaskFile = {0xC2, 1, 1, 0, 0, 0xA0, 0xB1, 0};
  ASSERT_EQ(Run(w::kAtaPassThrough, &b, sizeof b, sizeof b), 0u);
  EXPECT_EQ(b.data[0], 0xAB);
  EXPECT_EQ(returned_, offsetof(w::AtaPassThroughWithBuffer, data) + 512);
  EXPECT_EQ(b.apt.currentTaskFile.command, 0x50);
  // Data area past the end, inside the header, wrong length field: refused unsent.
  std::size_t sent = dev->sg.size();
  b.apt.dataBufferOffset = sizeof b - 100;
  EXPECT_EQ(Run(w::kAtaPassThrough, &b, sizeof b, sizeof b), platform::kErrorInvalidParameter);
  b.apt.dataBufferOffset = 8;
  EXPECT_EQ(Run(w::kAtaPassThrough, &b, sizeof b, sizeof b), platform::kErrorInvalidParameter);
  b.apt.dataBufferOffset = offsetof(w::AtaPassThroughWithBuffer, data);
  b.apt.length = 40;
  EXPECT_EQ(Run(w::kAtaPassThrough, &b, sizeof b, sizeof b), platform::kErrorInvalidParameter);
  EXPECT_EQ(dev->sg.size(), sent);
}

w::ScsiPassThroughWithBuffers SatIdentify() {
  w::ScsiPassThroughWithBuffers b{};
  b.spt.length = sizeof b.spt;
  b.spt.targetId = 1;
  b.spt.cdbLength = 12;
  b.spt.senseInfoLength = w::kSptSenseLength;
  b.spt.dataIn = w::kScsiDataIn;
  b.spt.dataTransferLength = 512;
  b.spt.timeOutValue = 1;
  b.spt.dataBufferOffset = w::kSptDataOffset;
  b.spt.senseInfoOffset = w::kSptSenseOffset;
  const std::uint8_t cdb[12] = {0xA1, 0x08, 0x0E, 0, 1, 0, 0, 0, 0, 0xEC, 0, 0};
  std::memcpy(b.spt.cdb, cdb, 12);
  return b;
}

TEST_F(DeviceControl, ScsiPassThroughCarriesTheSameCdb) {
  FakeKernelDevice* dev = Disk("sdb");
  dev->dataIn.assign(512, 0x5A);
  auto b = SatIdentify();
  std::uint32_t size = w::kSptDataOffset + 512;
  ASSERT_EQ(Run(w::kScsiPassThrough, &b, size, size), 0u);
  const auto& sg = dev->sg[0];
  EXPECT_EQ(std::vector<std::uint8_t>(sg.cdb, sg.cdb + sg.cdbLength),
            std::vector<std::uint8_t>(b.spt.cdb, b.spt.cdb + 12));
  EXPECT_EQ(sg.direction, lb::SgDirection::kFromDevice);
  EXPECT_EQ(sg.dataLength, 512u);
  EXPECT_EQ(sg.senseCapacity, 32);
  EXPECT_EQ(sg.timeoutMs, 1000u);
  EXPECT_EQ(b.spt.scsiStatus, 0);
  EXPECT_EQ(b.data[0], 0x5A);
  EXPECT_EQ(returned_, size);
  // CHECK CONDITION comes back as a successful call with the status and sense.
  dev->status = 2;
  dev->sense = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20, 0};
  b = SatIdentify();
  ASSERT_EQ(Run(w::kScsiPassThrough, &b, size, size), 0u);
  EXPECT_EQ(b.spt.scsiStatus, 2);
  EXPECT_EQ(b.spt.senseInfoLength, 14);
  EXPECT_EQ(b.sense[2], 0x05);
  // Data out: the bytes come from the request.
  b = SatIdentify();
  b.spt.dataIn = w::kScsiDataOut;
  b.data[0] = 0x77;
  ASSERT_EQ(Run(w::kScsiPassThrough, &b, size, size), 0u);
  EXPECT_EQ(dev->sg.back().direction, lb::SgDirection::kToDevice);
  EXPECT_EQ(dev->dataOut.back()[0], 0x77);
}

TEST_F(DeviceControl, ScsiPassThroughFailures) {
  FakeKernelDevice* dev = Disk("sdb");
  std::uint32_t size = w::kSptDataOffset + 512;
  auto b = SatIdentify();
  b.spt.senseInfoOffset = size;  // sense past the reply
  EXPECT_EQ(Run(w::kScsiPassThrough, &b, size, size), platform::kErrorInvalidParameter);
  b = SatIdentify();
  b.spt.dataBufferOffset = 4000;  // data past the reply
  EXPECT_EQ(Run(w::kScsiPassThrough, &b, size, size), platform::kErrorInvalidParameter);
  b = SatIdentify();
  b.spt.cdbLength = 17;
  EXPECT_EQ(Run(w::kScsiPassThrough, &b, size, size), platform::kErrorInvalidParameter);
  EXPECT_TRUE(dev->sg.empty());
  b = SatIdentify();
  dev->hostStatus = 0x01;  // no connection
  EXPECT_EQ(Run(w::kScsiPassThrough, &b, size, size), platform::kErrorIoDevice);
  dev->hostStatus = 0;
  dev->error = ENOTTY;  // a block driver without SG_IO (virtio, NVMe)
  EXPECT_EQ(Run(w::kScsiPassThrough, &b, size, size), platform::kErrorInvalidFunction);
}

TEST_F(DeviceControl, ScsiPassThroughDirectUsesTheCallersBuffer) {
  FakeKernelDevice* dev = Disk("sdb");
  dev->dataIn.assign(1024, 0x11);
  std::vector<std::uint8_t> data(1024);
  w::ScsiPassThroughDirectWithSense b{};
  b.sptd.length = sizeof b.sptd;
  b.sptd.cdbLength = 10;
  b.sptd.senseInfoLength = 32;
  b.sptd.dataIn = w::kScsiDataIn;
  b.sptd.dataTransferLength = 1024;
  b.sptd.timeOutValue = 2;
  b.sptd.dataBuffer = data.data();
  b.sptd.senseInfoOffset = offsetof(w::ScsiPassThroughDirectWithSense, sense);
  b.sptd.cdb[0] = 0x28;
  ASSERT_EQ(Run(w::kScsiPassThroughDirect, &b, sizeof b, sizeof b), 0u);
  EXPECT_EQ(dev->sg[0].data, data.data());
  EXPECT_EQ(data[1023], 0x11);
  EXPECT_EQ(dev->sg[0].timeoutMs, 2000u);
  b.sptd.dataBuffer = nullptr;
  EXPECT_EQ(Run(w::kScsiPassThroughDirect, &b, sizeof b, sizeof b), platform::kErrorInvalidParameter);
}

std::vector<std::uint8_t> NvmeQuery(std::uint32_t type, std::uint32_t value) {
  std::vector<std::uint8_t> b(sizeof(w::StorageProtocolQuery), 0);
  w::StorageProtocolQuery q{};
  q.propertyId = w::kStorageAdapterProtocolSpecificProperty;
  q.specific.protocolType = w::kProtocolTypeNvme;
  q.specific.dataType = type;
  q.specific.requestValue = value;
  q.specific.dataOffset = sizeof(w::StorageProtocolSpecificData);
  q.specific.dataLength = 4096;
  std::memcpy(b.data(), &q, 48);
  return b;
}

TEST_F(DeviceControl, NvmeQueriesBecomeAdminCommands) {
  FakeKernelDevice* dev = Disk("nvme0n1");
  dev->dataIn.assign(4096, 0);
  dev->dataIn[0] = 0x86;
  auto id = NvmeQuery(w::kNvmeDataTypeIdentify, 1);
  ASSERT_EQ(Run(w::kStorageQueryProperty, id.data(), 4144, 4144), 0u);
  EXPECT_EQ(returned_, 4144u);
  ASSERT_EQ(dev->nvme.size(), 1u);
  EXPECT_EQ(dev->nvme[0].opcode, 0x06);
  EXPECT_EQ(dev->nvme[0].cdw10, 1u);
  EXPECT_EQ(dev->nvme[0].dataLength, 4096u);
  EXPECT_EQ(id[48], 0x86);

  auto log = NvmeQuery(w::kNvmeDataTypeLogPage, 2);
  ASSERT_EQ(Run(w::kStorageQueryProperty, log.data(), 4144, 4144), 0u);
  const auto& cmd = dev->nvme[1];
  EXPECT_EQ(cmd.opcode, 0x02);
  EXPECT_EQ(cmd.nsid, 0xFFFFFFFFu);
  EXPECT_EQ(cmd.cdw10, (127u << 16) | 2u);  // 128 dwords of log 2
  EXPECT_EQ(cmd.dataLength, 512u);
  w::StorageProtocolSpecificData echoed;
  std::memcpy(&echoed, log.data() + 8, sizeof echoed);
  EXPECT_EQ(echoed.dataLength, 512u);
  EXPECT_EQ(echoed.fixedProtocolReturnData, 0x1234u);
  EXPECT_EQ(log[48], 0x86);
  EXPECT_EQ(log[48 + 600], 0);  // past the log: zero

  dev->nvmeStatus = 0x4002;  // invalid field
  log = NvmeQuery(w::kNvmeDataTypeLogPage, 2);
  EXPECT_EQ(Run(w::kStorageQueryProperty, log.data(), 4144, 4144), platform::kErrorIoDevice);
  auto bad = NvmeQuery(w::kNvmeDataTypeLogPage, 2);
  EXPECT_EQ(Run(w::kStorageQueryProperty, bad.data(), 4144, 100), platform::kErrorInsufficientBuffer);
  bad[8] = 1;  // protocol: SCSI
  EXPECT_EQ(Run(w::kStorageQueryProperty, bad.data(), 4144, 4144), platform::kErrorNotSupported);
  Disk("sda");
  auto sata = NvmeQuery(w::kNvmeDataTypeIdentify, 1);
  EXPECT_EQ(Run(w::kStorageQueryProperty, sata.data(), 4144, 4144), platform::kErrorNotSupported);
}

TEST_F(DeviceControl, DeviceDescriptorFromSysfs) {
  Disk("sdb");
  std::uint8_t b[256] = {};
  ASSERT_EQ(Run(w::kStorageQueryProperty, b, 12, sizeof b), 0u);
  w::StorageDeviceDescriptor d;
  std::memcpy(&d, b, sizeof d);
  EXPECT_EQ(d.busType, w::kBusUsb);
  EXPECT_EQ(d.removableMedia, 0);
  EXPECT_STREQ(reinterpret_cast<char*>(b + d.vendorIdOffset), "JMicron");
  EXPECT_STREQ(reinterpret_cast<char*>(b + d.productIdOffset), "Generic");
  EXPECT_STREQ(reinterpret_cast<char*>(b + d.productRevisionOffset), "0508");
  EXPECT_STREQ(reinterpret_cast<char*>(b + d.serialNumberOffset), "DD564198838E9");
  EXPECT_EQ(returned_, d.size);
  // A reply too small for the texts keeps the header and drops their offsets.
  std::uint8_t small[44] = {};
  ASSERT_EQ(Run(w::kStorageQueryProperty, small, 12, sizeof small), 0u);
  std::memcpy(&d, small, sizeof d);
  EXPECT_EQ(d.busType, w::kBusUsb);
  EXPECT_EQ(d.productIdOffset, 0u);
  EXPECT_EQ(returned_, sizeof small);
  std::uint8_t other[256] = {1};  // adapter property: not answered
  EXPECT_EQ(Run(w::kStorageQueryProperty, other, 12, sizeof other), platform::kErrorNotSupported);
}

TEST_F(DeviceControl, GeometryAndMedium) {
  FakeKernelDevice* dev = Disk("sda");
  dev->medium = 8225280ull * 16;
  w::DiskGeometry g{};
  ASSERT_EQ(Run(w::kDiskGetDriveGeometry, &g, 0, sizeof g), 0u);
  EXPECT_EQ(g.cylinders, 16);
  EXPECT_EQ(g.tracksPerCylinder, 255u);
  EXPECT_EQ(g.sectorsPerTrack, 63u);
  EXPECT_EQ(g.bytesPerSector, 512u);
  EXPECT_EQ(g.mediaType, w::kMediaFixed);
  w::DiskGeometryEx gx{};
  ASSERT_EQ(Run(w::kDiskGetDriveGeometryEx, &gx, 0, sizeof gx), 0u);
  EXPECT_EQ(gx.diskSize, 8225280ll * 16);
  EXPECT_EQ(Run(w::kStorageCheckVerify, static_cast<std::uint8_t*>(nullptr), 0, 0), 0u);
  dev->medium = 0;  // empty card reader
  EXPECT_EQ(Run(w::kDiskGetDriveGeometry, &g, 0, sizeof g), platform::kErrorNotReady);
  EXPECT_EQ(Run(w::kStorageCheckVerify, static_cast<std::uint8_t*>(nullptr), 0, 0), platform::kErrorNotReady);
  dev->error = ENOMEDIUM;
  EXPECT_EQ(Run(w::kStorageCheckVerify, static_cast<std::uint8_t*>(nullptr), 0, 0), platform::kErrorNotReady);
  EXPECT_EQ(Run(w::kDiskGetDriveGeometry, &g, 0, 10), platform::kErrorInsufficientBuffer);
}

TEST_F(DeviceControl, ScsiAddress) {
  Disk("sdc");
  w::ScsiAddress a{};
  ASSERT_EQ(Run(w::kScsiGetAddress, &a, 0, sizeof a), 0u);
  EXPECT_EQ(a.length, 8u);
  EXPECT_EQ(a.portNumber, 9);
  EXPECT_EQ(a.targetId, 0);
  Disk("nvme0n1");
  ASSERT_EQ(Run(w::kScsiGetAddress, &a, 0, sizeof a), 0u);
  EXPECT_EQ(a.portNumber, 10);  // the controller's adapter port
  EXPECT_EQ(a.lun, 0);
  Disk("vda");
  EXPECT_EQ(Run(w::kScsiGetAddress, &a, 0, sizeof a), platform::kErrorInvalidFunction);
}

TEST_F(DeviceControl, MiniportAndUnknownCodesAreInvalidFunctions) {
  Disk("nvme0n1");
  std::vector<std::uint8_t> b(sizeof(w::NvmePassThroughIoctl), 0);
  EXPECT_EQ(Run(w::kScsiMiniport, b.data(), 4248, 4248), platform::kErrorInvalidFunction);
  EXPECT_EQ(Run(0x12345678, b.data(), 16, 16), platform::kErrorInvalidFunction);
}

TEST_F(DeviceControl, VolumeExtentsAndMoreData) {
  target_ = std::make_unique<lb::RequestTarget>();
  target_->root = kRoot;
  target_->kind = lb::RequestTarget::Kind::kVolume;
  for (const auto& d : lb::LogicalDrives(kRoot))
    if (d.letter == L'G') target_->volume = d;  // md127 over sdd and sdc
  std::vector<std::uint8_t> b(w::kVolumeExtentsReplySize, 0);
  ASSERT_EQ(Run(w::kVolumeGetVolumeDiskExtents, b.data(), 0, static_cast<std::uint32_t>(b.size())), 0u);
  std::uint32_t count;
  std::memcpy(&count, b.data(), 4);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(returned_, 8u + 2 * 24);
  // Room for one extent only: more data, with the count.
  std::vector<std::uint8_t> small(32, 0);
  EXPECT_EQ(Run(w::kVolumeGetVolumeDiskExtents, small.data(), 0, 32), w::kErrorMoreData);
  std::memcpy(&count, small.data(), 4);
  EXPECT_EQ(count, 2u);
  // The network drive has no disks; it is always there.
  for (const auto& d : lb::LogicalDrives(kRoot))
    if (d.letter == L'F') target_->volume = d;
  EXPECT_EQ(Run(w::kVolumeGetVolumeDiskExtents, b.data(), 0, static_cast<std::uint32_t>(b.size())),
            platform::kErrorInvalidFunction);
  EXPECT_EQ(Run(w::kStorageCheckVerify, static_cast<std::uint8_t*>(nullptr), 0, 0), 0u);
}

}  // namespace
