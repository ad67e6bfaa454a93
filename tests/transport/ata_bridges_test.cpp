// The ATA-side transports against the emulated bridges, byte for byte.
#include <cstring>

#include "sim_fixture.h"
#include "transport/transport.h"

using namespace simtest;
using hwscope::DoScsiPassthroughCmd;
using hwscope::DoScsiPassthroughCmd_cypress;
using hwscope::DoScsiPassthroughCmd_jmicron;
using hwscope::DoScsiPassthroughCmd_sunplus;
namespace w = platform::wire;

namespace {

using Transport = int (*)(platform::Handle, std::uint8_t, std::uint8_t, std::uint32_t,
                          std::uint32_t, void*, std::uint32_t*, void*, std::uint32_t*);

std::string AtaString(const std::uint8_t* p, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>(p[i ^ 1]));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

struct BridgeCase {
  const char* bridge;
  Transport transport;
  std::uint8_t identifyCdb0;
};

class AtaBridgeTest : public ::testing::TestWithParam<BridgeCase> {};

TEST_P(AtaBridgeTest, ReadsIdentifySmartDataAndThresholds) {
  const BridgeCase& c = GetParam();
  auto rec = InstallMachine(OneDrive("ata", "USB", c.bridge));
  const platform::Handle h = OpenDisk(0);
  std::uint8_t data[512] = {};
  std::uint32_t size = sizeof data;
  ASSERT_EQ(1, c.transport(h, 0xEC, 0, 0, 0, data, &size, nullptr, nullptr));
  EXPECT_EQ(512u, size);
  EXPECT_EQ("Test Model TM-1", AtaString(data + 54, 40));
  EXPECT_EQ("TM1SERIAL0042", AtaString(data + 20, 20));
  EXPECT_EQ(c.identifyCdb0, Cdb(rec->requests.back())[0]);

  std::memset(data, 0, sizeof data);
  ASSERT_EQ(1, c.transport(h, 0xD0, 0, 0, 0, data, &size, nullptr, nullptr));
  EXPECT_EQ(5, data[2]);       // first attribute id
  EXPECT_EQ(100, data[2 + 3]);  // its current value
  EXPECT_EQ(7, data[2 + 5]);    // raw
  EXPECT_EQ(194, data[14]);
  std::memset(data, 0, sizeof data);
  ASSERT_EQ(1, c.transport(h, 0xD1, 0, 0, 0, data, &size, nullptr, nullptr));
  EXPECT_EQ(5, data[2]);
  EXPECT_EQ(10, data[3]);  // threshold
}

TEST_P(AtaBridgeTest, SmallDataSizeGetsNothingButSucceeds) {
  InstallMachine(OneDrive("ata", "USB", GetParam().bridge));
  std::uint8_t data[512] = {};
  std::uint32_t size = 100;
  EXPECT_EQ(1, GetParam().transport(OpenDisk(0), 0xEC, 0, 0, 0, data, &size, nullptr, nullptr));
  EXPECT_EQ(0u, size);
  EXPECT_EQ(0, data[54]);
}

TEST_P(AtaBridgeTest, ReturnRegistersOfSmartReturnStatus) {
  InstallMachine(OneDrive("ata", "USB", GetParam().bridge));
  std::uint8_t regs[32];
  std::memset(regs, 0xEE, sizeof regs);
  std::uint32_t regsSize = sizeof regs;
  ASSERT_EQ(1, GetParam().transport(OpenDisk(0), 0xDA, 0, 0, 0, nullptr, nullptr, regs, &regsSize));
  EXPECT_EQ(0x72, regs[0]);
  EXPECT_EQ(0x09, regs[8]);
  EXPECT_EQ(0x0C, regs[9]);
  EXPECT_EQ(0x00, regs[11]);  // error
  EXPECT_EQ(0x4F, regs[17]);  // LBA mid: threshold not exceeded
  EXPECT_EQ(0xC2, regs[19]);
  EXPECT_EQ(0x50, regs[21]);  // status
  regsSize = 16;
  EXPECT_EQ(1, GetParam().transport(OpenDisk(0), 0xDA, 0, 0, 0, nullptr, nullptr, regs, &regsSize));
  EXPECT_EQ(0u, regsSize);
}

TEST_P(AtaBridgeTest, OtherBridgesProtocolsAreRejected) {
  const BridgeCase& mine = GetParam();
  static const BridgeCase kAll[] = {{"sat", DoScsiPassthroughCmd, 0xA1},
                                    {"cypress", DoScsiPassthroughCmd_cypress, 0x24},
                                    {"jmicron", DoScsiPassthroughCmd_jmicron, 0xDF},
                                    {"sunplus", DoScsiPassthroughCmd_sunplus, 0xF8}};
  InstallMachine(OneDrive("ata", "USB", mine.bridge));
  for (const auto& other : kAll) {
    std::uint8_t data[512] = {};
    std::uint32_t size = 512;
    const int expected = std::string(other.bridge) == mine.bridge ? 1 : 0;
    EXPECT_EQ(expected, other.transport(OpenDisk(0), 0xEC, 0, 0, 0, data, &size, nullptr, nullptr))
        << other.bridge << " against " << mine.bridge;
  }
  for (auto nvme : {hwscope::DoScsiPassthroughCmd_NVMeJMicron, hwscope::DoScsiPassthroughCmd_NVMeRealtek,
                    hwscope::DoScsiPassthroughCmd_NVMeASMedia, hwscope::DoScsiPassthroughCmd_NVMeSamsung}) {
    std::uint8_t data[512] = {};
    std::uint32_t size = 512;
    EXPECT_EQ(0, nvme(OpenDisk(0), hwscope::kNvmeIdentify, data, &size));
  }
}

INSTANTIATE_TEST_SUITE_P(Bridges, AtaBridgeTest,
                         ::testing::Values(BridgeCase{"sat", DoScsiPassthroughCmd, 0xA1},
                                           BridgeCase{"cypress", DoScsiPassthroughCmd_cypress, 0x24},
                                           BridgeCase{"jmicron", DoScsiPassthroughCmd_jmicron, 0xDF},
                                           BridgeCase{"sunplus", DoScsiPassthroughCmd_sunplus, 0xF8}),
                         [](const auto& info) { return std::string(info.param.bridge); });

}  // namespace
