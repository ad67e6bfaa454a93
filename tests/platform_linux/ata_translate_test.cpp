// ATA commands in ATA PASS-THROUGH (16) and the registers read back.
#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "fake_kernel_device.h"
#include "linux/ata_translate.h"
#include "platform/platform.h"

namespace lb = platform::linux_backend;
namespace w = platform::wire;
using lb::AtaProtocol;

namespace {

TEST(AtaProtocol, FromTheCommandWhenKnownElseFromTheFlags) {
  struct Case {
    std::uint8_t features, command;
    std::uint16_t flags;
    bool data;
    AtaProtocol want;
  } cases[] = {
      {0x00, 0xEC, w::kAtaFlagDataIn, true, AtaProtocol::kPioIn},     // IDENTIFY
      {0xD0, 0xB0, w::kAtaFlagDataIn, true, AtaProtocol::kPioIn},     // SMART READ DATA
      {0xD6, 0xB0, w::kAtaFlagDataOut, true, AtaProtocol::kPioOut},   // SMART WRITE LOG
      {0xD8, 0xB0, w::kAtaFlagDataIn, true, AtaProtocol::kNonData},   // SMART ENABLE
      {0xC2, 0xB1, w::kAtaFlagDataIn, true, AtaProtocol::kPioIn},     // DCO IDENTIFY
      {0xC3, 0xB1, w::kAtaFlagDataOut, true, AtaProtocol::kPioOut},   // DCO SET
      {0xC0, 0xB1, w::kAtaFlagDataOut, true, AtaProtocol::kNonData},  // DCO RESTORE
      {0x00, 0xF8, w::kAtaFlagDataIn, true, AtaProtocol::kNonData},   // native max: flags say data in
      {0x00, 0x27, w::kAtaFlagDataIn | w::kAtaFlag48Bit, true, AtaProtocol::kNonData},
      {0x00, 0x37, w::kAtaFlagDataOut, true, AtaProtocol::kNonData},
      {0x00, 0x25, w::kAtaFlagDataIn | w::kAtaFlagUseDma, true, AtaProtocol::kDmaIn},  // READ DMA EXT
      {0x00, 0xC8, w::kAtaFlagDataIn, true, AtaProtocol::kDmaIn},                      // READ DMA
      {0x00, 0x42, w::kAtaFlagDataIn | w::kAtaFlagUseDma, true, AtaProtocol::kDmaIn},  // unknown: flags
      {0x00, 0x42, w::kAtaFlagDataOut, true, AtaProtocol::kPioOut},
      {0x00, 0x42, 0, true, AtaProtocol::kNonData},
      {0x00, 0xEC, w::kAtaFlagDataIn, false, AtaProtocol::kNonData},  // no buffer: no data
  };
  for (const auto& c : cases) {
    w::AtaRegisters r{};
    r.features = c.features;
    r.command = c.command;
    EXPECT_EQ(lb::ChooseAtaProtocol(r, c.flags, c.data), c.want)
        << std::hex << int(c.command) << "/" << int(c.features);
  }
}

std::vector<std::uint8_t> Cdb(const lb::SgCommand& sg) { return {sg.cdb, sg.cdb + sg.cdbLength}; }

TEST(AtaPassThrough16, SmartReadDataIsPioInWithCountInBlocks) {
  std::uint8_t buffer[512];
  lb::AtaCommand c;
  c.current = {0xD0, 0x01, 0x01, 0x4F, 0xC2, 0xA0, 0xB0, 0};
  c.protocol = AtaProtocol::kPioIn;
  c.data = buffer;
  c.length = 512;
  lb::SgCommand sg;
  lb::BuildAtaPassThrough16(c, &sg);
  EXPECT_EQ(Cdb(sg), (std::vector<std::uint8_t>{0x85, 0x08, 0x0E, 0, 0xD0, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2,
                                                0xA0, 0xB0, 0}));
  EXPECT_EQ(sg.direction, lb::SgDirection::kFromDevice);
  EXPECT_EQ(sg.data, buffer);
  EXPECT_EQ(sg.dataLength, 512u);
}

TEST(AtaPassThrough16, NativeMaxExtIsNonDataWithExtendAndCheckCondition) {
  lb::AtaCommand c;
  c.current = {0, 0, 0, 0, 0, 0xE0, 0x27, 0};
  c.previous = {0, 0, 0, 0, 0, 0xE0, 0x27, 0};
  c.ext48 = true;
  c.checkCondition = true;
  lb::SgCommand sg;
  lb::BuildAtaPassThrough16(c, &sg);
  EXPECT_EQ(Cdb(sg), (std::vector<std::uint8_t>{0x85, 0x07, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x27, 0}));
  EXPECT_EQ(sg.direction, lb::SgDirection::kNone);
  EXPECT_EQ(sg.dataLength, 0u);
}

TEST(AtaPassThrough16, SetMaxExtCarriesTheHighOrderBytes) {
  lb::AtaCommand c;
  c.current = {0, 0, 0x11, 0x22, 0x33, 0xE0, 0x37, 0};
  c.previous = {0, 0, 0x44, 0x55, 0x66, 0xE0, 0x37, 0};
  c.ext48 = true;
  lb::SgCommand sg;
  lb::BuildAtaPassThrough16(c, &sg);
  EXPECT_EQ(Cdb(sg), (std::vector<std::uint8_t>{0x85, 0x07, 0x00, 0, 0, 0, 0, 0x44, 0x11, 0x55, 0x22, 0x66, 0x33,
                                                0xE0, 0x37, 0}));
}

TEST(AtaPassThrough16, ReadDmaExtIsDmaInWithTheSectorCount) {
  std::vector<std::uint8_t> buffer(1024);
  lb::AtaCommand c;
  c.current = {0, 2, 0x10, 0, 0, 0xE0, 0x25, 0};
  c.previous = {0, 0, 0x01, 0, 0, 0xE0, 0x25, 0};
  c.ext48 = true;
  c.protocol = AtaProtocol::kDmaIn;
  c.data = buffer.data();
  c.length = 1024;
  lb::SgCommand sg;
  lb::BuildAtaPassThrough16(c, &sg);
  EXPECT_EQ(Cdb(sg), (std::vector<std::uint8_t>{0x85, 0x0D, 0x0E, 0, 0, 0, 2, 0x01, 0x10, 0, 0, 0, 0, 0xE0, 0x25,
                                                0}));
  EXPECT_EQ(sg.dataLength, 1024u);
}

TEST(AtaSense, DescriptorFormatGivesCurrentAndPreviousRegisters) {
  const std::uint8_t lba[6] = {0x2F, 0x50, 0x6F, 0x00, 0x00, 0x3A};
  auto sense = lb::testing::AtaStatusSense(0, 0x50, lba, 0x01, 0xE0);
  w::AtaRegisters cur, prev;
  ASSERT_TRUE(lb::ParseAtaSense(sense.data(), sense.size(), &cur, &prev));
  EXPECT_EQ(cur.features, 0);  // error
  EXPECT_EQ(cur.count, 1);
  EXPECT_EQ(cur.lbaLow, 0x2F);
  EXPECT_EQ(cur.lbaMid, 0x50);
  EXPECT_EQ(cur.lbaHigh, 0x6F);
  EXPECT_EQ(cur.device, 0xE0);
  EXPECT_EQ(cur.command, 0x50);  // status
  EXPECT_EQ(prev.lbaLow, 0x00);
  EXPECT_EQ(prev.lbaHigh, 0x3A);
}

TEST(AtaSense, FixedFormatAndMalformedSense) {
  std::uint8_t fixed[18] = {0x70, 0, 0x01, 0x04, 0x51, 0xE0, 0x00, 10, 0, 0xFF, 0xFF, 0x0F, 0x00, 0x1D};
  w::AtaRegisters cur, prev;
  ASSERT_TRUE(lb::ParseAtaSense(fixed, sizeof fixed, &cur, &prev));
  EXPECT_EQ(cur.features, 0x04);  // ABRT
  EXPECT_EQ(cur.command, 0x51);
  EXPECT_EQ(cur.lbaHigh, 0x0F);
  // A command the drive aborted: ABORTED COMMAND with the registers, no 00/1D.
  std::uint8_t aborted[18] = {0x70, 0, 0x0B, 0x04, 0x51, 0xA0, 0x01, 10, 0, 0, 0, 0, 0x00, 0x00};
  ASSERT_TRUE(lb::ParseAtaSense(aborted, sizeof aborted, &cur, &prev));
  EXPECT_EQ(cur.features, 0x04);
  EXPECT_EQ(cur.command, 0x51);
  // The same from libata 6.1, with the registers five bytes later.
  std::uint8_t shifted[18] = {0x70, 0, 0x0B, 0, 0, 0, 0, 0x0A, 0x04, 0x41, 0xA0, 0x01, 0, 0, 0, 0, 0, 0x01};
  ASSERT_TRUE(lb::ParseAtaSense(shifted, sizeof shifted, &cur, &prev));
  EXPECT_EQ(cur.features, 0x04);
  EXPECT_EQ(cur.command, 0x41);
  EXPECT_EQ(cur.device, 0xA0);
  // ILLEGAL REQUEST, or a sense without the error bit: a plain SCSI answer.
  std::uint8_t rejected[18] = {0x70, 0, 0x05, 0x04, 0x51, 0, 0, 10, 0, 0, 0, 0, 0x20, 0x00};
  EXPECT_FALSE(lb::ParseAtaSense(rejected, sizeof rejected, &cur, &prev));
  std::uint8_t plain[18] = {0x70, 0, 0x03, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x11, 0x00};
  EXPECT_FALSE(lb::ParseAtaSense(plain, sizeof plain, &cur, &prev));
  // Descriptor list longer than the bytes given, other descriptors only, too short.
  std::uint8_t truncated[12] = {0x72, 1, 0, 0x1D, 0, 0, 0, 40, 0x09, 12, 0, 0};
  EXPECT_FALSE(lb::ParseAtaSense(truncated, sizeof truncated, &cur, &prev));
  std::uint8_t other[16] = {0x72, 5, 0x20, 0, 0, 0, 0, 8, 0x02, 6, 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(lb::ParseAtaSense(other, sizeof other, &cur, &prev));
  EXPECT_FALSE(lb::ParseAtaSense(fixed, 5, &cur, &prev));
  std::uint8_t loop[10] = {0x72, 1, 0, 0x1D, 0, 0, 0, 2, 0x05, 0};  // zero-length descriptor
  EXPECT_FALSE(lb::ParseAtaSense(loop, sizeof loop, &cur, &prev));
}

TEST(RunAtaCommand, OutcomesOfTheKernelAnswer) {
  lb::testing::FakeKernelDevice dev;
  lb::AtaCommand c;
  c.current = {0xDA, 0, 0, 0x4F, 0xC2, 0xA0, 0xB0, 0};
  c.checkCondition = true;
  const std::uint8_t lba[6] = {0, 0x4F, 0xC2, 0, 0, 0};
  dev.status = 2;
  dev.sense = lb::testing::AtaStatusSense(0, 0x50, lba, 0, 0xA0, false);
  auto o = lb::RunAtaCommand(dev, c);
  EXPECT_EQ(o.error, 0u);
  EXPECT_TRUE(o.registersValid);
  EXPECT_FALSE(o.ataError());
  EXPECT_EQ(o.current.lbaMid, 0x4F);

  dev.sense = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20, 0x00};  // ILLEGAL REQUEST, invalid opcode
  EXPECT_EQ(lb::RunAtaCommand(dev, c).error, platform::kErrorInvalidFunction);
  dev.sense.clear();
  dev.status = 0;
  auto good = lb::RunAtaCommand(dev, c);
  EXPECT_EQ(good.error, 0u);
  EXPECT_EQ(good.current.command, 0x50);
  dev.hostStatus = 1;
  EXPECT_EQ(lb::RunAtaCommand(dev, c).error, platform::kErrorIoDevice);
  dev.hostStatus = 0;
  dev.error = ENOTTY;
  EXPECT_EQ(lb::RunAtaCommand(dev, c).error, platform::kErrorInvalidFunction);
}

}  // namespace
