// Reading returned ATA registers and building the overlay block.
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>

#include "commands/command_path.h"
#include "commands/configuration_overlay.h"

namespace hwscope {
namespace {

// A descriptor-format sense block with one ATA status return descriptor.
void SenseBlock(std::uint8_t* block, const std::uint8_t (&registers)[12]) {
  block[0] = 0x72;
  block[1] = 0x01;
  block[3] = 0x1D;
  block[7] = 0x0E;
  block[8] = 0x09;
  block[9] = 0x0C;
  for (int i = 0; i < 12; ++i) block[10 + i] = registers[i];
}

TEST(ReturnRegisters, AssemblesFortyEightAndTwentyEightBitAddresses) {
  std::uint8_t block[32] = {};
  // Descriptor bytes 2..13: extend, error, count hi/lo, then LBA bytes 6..11, device, status.
  SenseBlock(block, {0x01, 0x00, 0x00, 0x00, 0x00, 0x2F, 0x00, 0x50, 0x3A, 0x6F, 0xE5, 0x50});
  const std::uint8_t* d = FindAtaStatusDescriptor(block, sizeof block);
  ASSERT_EQ(d, block + 8);
  EXPECT_EQ(DescriptorAddress48(d), 0x3A00006F502Full);
  EXPECT_EQ(DescriptorAddress28(d), 0x056F502Fu);
}

TEST(ReturnRegisters, FindsTheStatusDescriptorBehindOthers) {
  std::uint8_t block[32] = {};
  block[0] = 0x73;
  block[7] = 0x14;
  block[8] = 0x02;  // another descriptor of 4 bytes
  block[9] = 0x04;
  block[14] = 0x09;
  block[15] = 0x0C;
  EXPECT_EQ(FindAtaStatusDescriptor(block, sizeof block), block + 14);
}

TEST(ReturnRegisters, RejectsBlocksWithoutADescriptor) {
  std::uint8_t block[32] = {};
  SenseBlock(block, {});
  EXPECT_EQ(FindAtaStatusDescriptor(block, 7), nullptr);   // too short
  block[0] = 0x70;                                         // fixed format
  EXPECT_EQ(FindAtaStatusDescriptor(block, 32), nullptr);
  block[0] = 0x72;
  block[7] = 0;                                            // no additional length
  EXPECT_EQ(FindAtaStatusDescriptor(block, 32), nullptr);
  block[7] = 0x0E;
  block[8] = 0x02;                                         // another code only
  EXPECT_EQ(FindAtaStatusDescriptor(block, 32), nullptr);
  // A descriptor that would run past the bytes returned is not read.
  std::uint8_t truncated[16] = {};
  truncated[0] = 0x72;
  truncated[7] = 0x0E;
  truncated[8] = 0x09;
  truncated[9] = 0x0C;
  EXPECT_EQ(FindAtaStatusDescriptor(truncated, sizeof truncated), nullptr);
}

TEST(ConfigurationOverlay, SetBlockCarriesTheAddressAndSumsToZero) {
  for (std::uint64_t address : {0ull, 1500000ull, 0x123456789ABCull}) {
    std::uint8_t block[512];
    BuildDcoSetBlock(address, block);
    std::uint64_t stored = 0;
    for (int i = 7; i >= 0; --i) stored = (stored << 8) | block[6 + i];
    EXPECT_EQ(stored, address);
    EXPECT_EQ(block[0], 0x02);
    EXPECT_EQ(block[2], 0x07);
    EXPECT_EQ(block[4], 0x7F);
    EXPECT_EQ(block[14], 0xDF);
    EXPECT_EQ(block[15], 0x7B);
    EXPECT_EQ(block[16], 0x1F);
    EXPECT_EQ(block[43], 0xFE);
    EXPECT_EQ(block[510], 0xA5);
    const unsigned sum = std::accumulate(block, block + 512, 0u);
    EXPECT_EQ(sum % 256, 0u);
  }
}

}  // namespace
}  // namespace hwscope
