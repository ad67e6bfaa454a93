// The exact request bytes each ATA-side transport sends.
#include <cstring>

#include "sim_fixture.h"
#include "transport/transport.h"

using namespace simtest;
namespace w = platform::wire;

namespace {

using Bytes = std::vector<std::uint8_t>;

w::ScsiPassThrough Header(const Request& r) {
  w::ScsiPassThrough spt{};
  std::memcpy(&spt, r.in.data(), sizeof spt);
  return spt;
}

TEST(SatWire, TwelveByteFormsPerCommand) {
  auto rec = InstallMachine(OneDrive("ata", "USB", "sat"));
  const platform::Handle h = OpenDisk(0);
  std::uint8_t data[512] = {};
  std::uint32_t size = 512;
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd(h, 0xEC, 0, 0, 0, data, &size, nullptr, nullptr));
  const Request& id = rec->requests.back();
  EXPECT_EQ(w::kScsiPassThrough, id.code);
  EXPECT_EQ((Bytes{0xA1, 0x08, 0x0E, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xEC, 0x00, 0x00}), Cdb(id));
  const w::ScsiPassThrough spt = Header(id);
  EXPECT_EQ(sizeof(w::ScsiPassThrough), spt.length);
  EXPECT_EQ(1, spt.targetId);
  EXPECT_EQ(32, spt.senseInfoLength);
  EXPECT_EQ(60u, spt.senseInfoOffset);
  EXPECT_EQ(92u, spt.dataBufferOffset);
  EXPECT_EQ(512u, spt.dataTransferLength);
  EXPECT_EQ(1u, spt.timeOutValue);
  EXPECT_EQ(1, spt.dataIn);
  EXPECT_EQ(92u + 512u, id.in.size());

  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd(h, 0xD0, 0, 0, 0, data, &size, nullptr, nullptr));
  EXPECT_EQ((Bytes{0xA1, 0x08, 0x0E, 0xD0, 0x01, 0x00, 0x4F, 0xC2, 0x00, 0xB0, 0x00, 0x00}),
            Cdb(rec->requests.back()));
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd(h, 0xD8, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ((Bytes{0xA1, 0x06, 0x0C, 0xD8, 0x00, 0x00, 0x4F, 0xC2, 0x00, 0xB0, 0x00, 0x00}),
            Cdb(rec->requests.back()));
  EXPECT_EQ(92u, rec->requests.back().in.size());
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd(h, 0xD4, 0x01, 0, 0, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ((Bytes{0xA1, 0x06, 0x0C, 0xD4, 0x00, 0x01, 0x4F, 0xC2, 0x00, 0xB0, 0x00, 0x00}),
            Cdb(rec->requests.back()));
  // Data-out: PIO out, to the device, one 512-byte block named in the count.
  std::memset(data, 0x5A, sizeof data);
  // (The drive refuses a write to log 0, the log directory; the request is what counts.)
  hwscope::DoScsiPassthroughCmd(h, 0xD6, 0, 0, 0, data, &size, nullptr, nullptr);
  const Request& out = rec->requests.back();
  EXPECT_EQ((Bytes{0xA1, 0x0A, 0x06, 0xD6, 0x01, 0x00, 0x4F, 0xC2, 0x00, 0xB0, 0x00, 0x00}), Cdb(out));
  EXPECT_EQ(0, Header(out).dataIn);
  EXPECT_EQ(512u, Header(out).dataTransferLength);
  EXPECT_EQ(0x5A, out.in[92 + 511]);
}

TEST(SatWire, ConfigurationSetCarriesItsBlock) {
  auto rec = InstallMachine(OneDrive("ata", "USB", "sat", R"(,"dco_max":1500000)"));
  const platform::Handle h = OpenDisk(0);
  std::uint8_t block[512] = {};
  std::uint32_t size = 512;
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd(h, 0xC2, 0, 0, 0, block, &size, nullptr, nullptr));
  EXPECT_EQ((Bytes{0xA1, 0x08, 0x0E, 0xC2, 0x01, 0x00, 0x00, 0x00, 0x00, 0xB1, 0x00, 0x00}),
            Cdb(rec->requests.back()));
  block[6] = 0x80;  // new maximum 1200000 = 0x124F80
  block[7] = 0x4F;
  block[8] = 0x12;
  std::uint8_t sum = 0;
  block[511] = 0;
  for (int i = 0; i < 511; ++i) sum = static_cast<std::uint8_t>(sum + block[i]);
  block[511] = static_cast<std::uint8_t>(0x100 - sum);
  std::uint8_t regs[32] = {};
  std::uint32_t regsSize = 32;
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd(h, 0xC3, 0, 0, 0, block, &size, regs, &regsSize));
  EXPECT_EQ((Bytes{0xA1, 0x0A, 0x26, 0xC3, 0x01, 0x00, 0x00, 0x00, 0x00, 0xB1, 0x00, 0x00}),
            Cdb(rec->requests.back()));
  // The drive took the block: it now reports 1200001 user sectors.
  std::uint8_t id[512] = {};
  size = 512;
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd(h, 0xEC, 0, 0, 0, id, &size, nullptr, nullptr));
  EXPECT_EQ(1200001u, static_cast<std::uint32_t>(id[120] | id[121] << 8 | id[122] << 16 | id[123] << 24));
}

TEST(SatWire, SixteenByteFormsCarryTheWholeAddress) {
  auto rec = InstallMachine(OneDrive("ata", "USB", "sat", R"(,"native_max":999999)"));
  const platform::Handle h = OpenDisk(0);
  std::uint8_t regs[32] = {};
  std::uint32_t regsSize = 32;
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd(h, 0x27, 0, 0, 0, nullptr, nullptr, regs, &regsSize));
  EXPECT_EQ((Bytes{0x85, 0x07, 0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x27, 0}),
            Cdb(rec->requests.back()));
  // 999999 = 0x0F423F: descriptor bytes 7, 9, 11 carry bits 7-0, 15-8, 23-16.
  EXPECT_EQ(0x3F, regs[8 + 7]);
  EXPECT_EQ(0x42, regs[8 + 9]);
  EXPECT_EQ(0x0F, regs[8 + 11]);
  EXPECT_EQ(1, regs[8 + 2]);  // extend

  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd(h, 0x37, 0, 0x0007A120, 0, nullptr, nullptr, regs, &regsSize));
  const Bytes cdb = Cdb(rec->requests.back());
  EXPECT_EQ((Bytes{0x85, 0x07, 0x2C, 0, 0, 0, 0, 0x00, 0x20, 0x00, 0xA1, 0x00, 0x07, 0xE0, 0x37, 0}), cdb);
  EXPECT_EQ(0, Header(rec->requests.back()).dataIn);
  // The drive now reports 500001 user sectors.
  std::uint8_t id[512] = {};
  std::uint32_t size = 512;
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd(h, 0xEC, 0, 0, 0, id, &size, nullptr, nullptr));
  EXPECT_EQ(500001u, static_cast<std::uint32_t>(id[120] | id[121] << 8 | id[122] << 16 | id[123] << 24));
}

TEST(SatWire, AbortedCommandWithRegistersFailsButReturnsTheSense) {
  // A drive without 48-bit addressing aborts READ NATIVE MAX ADDRESS EXT.
  InstallMachine(OneDrive("ata", "USB", "sat", R"(,"lba48":false)"));
  std::uint8_t regs[32] = {};
  std::uint32_t regsSize = 32;
  EXPECT_EQ(0, hwscope::DoScsiPassthroughCmd(OpenDisk(0), 0x27, 0, 0, 0, nullptr, nullptr, regs, &regsSize));
  EXPECT_EQ(0x72, regs[0]);
  EXPECT_EQ(0x0B, regs[1]);         // aborted command
  EXPECT_EQ(0x04, regs[8 + 3]);     // ABRT
  EXPECT_EQ(0x51, regs[8 + 13]);    // ERR in status
  // Without a block a CHECK CONDITION is a plain failure.
  EXPECT_EQ(0, hwscope::DoScsiPassthroughCmd(OpenDisk(0), 0x27, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
}

TEST(CypressWire, IdentifySetsTheIdentifyBitOnly) {
  auto rec = InstallMachine(OneDrive("ata", "USB", "cypress"));
  const platform::Handle h = OpenDisk(0);
  std::uint8_t data[512] = {};
  std::uint32_t size = 512;
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_cypress(h, 0xEC, 0, 0, 0, data, &size, nullptr, nullptr));
  EXPECT_EQ((Bytes{0x24, 0x24, 0x80, 0xFE, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xEC, 0, 0, 0}),
            Cdb(rec->requests.back()));
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_cypress(h, 0xD1, 0, 0, 0, data, &size, nullptr, nullptr));
  EXPECT_EQ((Bytes{0x24, 0x24, 0x00, 0xFE, 0x01, 0x00, 0xD1, 0x00, 0x00, 0x4F, 0xC2, 0x00, 0xB0, 0, 0, 0}),
            Cdb(rec->requests.back()));
  // With a return-register block the task file is read with action 0x01.
  std::uint8_t regs[32] = {};
  std::uint32_t regsSize = 32;
  const std::size_t before = rec->requests.size();
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_cypress(h, 0xF8, 0, 0, 0, nullptr, nullptr, regs, &regsSize));
  ASSERT_EQ(before + 2, rec->requests.size());
  EXPECT_EQ(0x01, Cdb(rec->requests.back())[2]);
  EXPECT_EQ(92u + 8u, rec->requests.back().in.size());
  // Native max of a 1000000-sector drive: 999999 = 0x0F423F.
  EXPECT_EQ(0x3F, regs[15]);
  EXPECT_EQ(0x42, regs[17]);
  EXPECT_EQ(0x0F, regs[19]);
  EXPECT_EQ(0x50, regs[21]);
  // 48-bit commands are not carried.
  EXPECT_EQ(0, hwscope::DoScsiPassthroughCmd_cypress(h, 0x27, 0, 0, 0, nullptr, nullptr, regs, &regsSize));
}

struct PortCase {
  int port;
  std::uint8_t select;
  std::uint8_t page;
};

class JMicronPortTest : public ::testing::TestWithParam<PortCase> {};

TEST_P(JMicronPortTest, ProbeSelectsDeviceAndRegisterPage) {
  const PortCase c = GetParam();
  auto rec = InstallMachine(
      OneDrive("ata", "USB", "jmicron", R"(,"jmicron_port":)" + std::to_string(c.port)));
  const platform::Handle h = OpenDisk(0);
  std::uint8_t data[512] = {};
  std::uint32_t size = 512;
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_jmicron(h, 0xEC, 0, 0, 0, data, &size, nullptr, nullptr));
  ASSERT_EQ(2u, rec->requests.size());
  EXPECT_EQ((Bytes{0xDF, 0x10, 0x00, 0x00, 0x01, 0x00, 0x72, 0x0F, 0x00, 0x00, 0x00, 0xFD}),
            Cdb(rec->requests[0]));
  EXPECT_EQ((Bytes{0xDF, 0x10, 0x00, 0x02, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, c.select, 0xEC}),
            Cdb(rec->requests[1]));
  std::uint8_t regs[32] = {};
  std::uint32_t regsSize = 32;
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_jmicron(h, 0xDA, 0, 0, 0, nullptr, nullptr, regs, &regsSize));
  EXPECT_EQ((Bytes{0xDF, 0x10, 0x00, 0x00, 0x10, 0x00, c.page, 0x00, 0x00, 0x00, 0x00, 0xFD}),
            Cdb(rec->requests.back()));
  EXPECT_EQ(0x4F, regs[17]);
  EXPECT_EQ(0xC2, regs[19]);
  EXPECT_EQ(c.select, regs[20]);
  EXPECT_EQ(0x50, regs[21]);
}

INSTANTIATE_TEST_SUITE_P(Ports, JMicronPortTest,
                         ::testing::Values(PortCase{1, 0xA0, 0x80}, PortCase{2, 0xB0, 0x90}));

TEST(JMicronWire, NativeMaxUsesLbaModeDeviceBits) {
  auto rec = InstallMachine(OneDrive("ata", "USB", "jmicron", R"(,"jmicron_port":2)"));
  std::uint8_t regs[32] = {};
  std::uint32_t regsSize = 32;
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_jmicron(OpenDisk(0), 0xF8, 0, 0, 0, nullptr, nullptr, regs, &regsSize));
  EXPECT_EQ((Bytes{0xDF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0xF8}),
            Cdb(rec->requests[1]));
}

TEST(SunplusWire, FortyEightBitCommandsLoadTheHighRegistersFirst) {
  auto rec = InstallMachine(OneDrive("ata", "USB", "sunplus", R"(,"native_max":2199023255551)"));
  const platform::Handle h = OpenDisk(0);
  std::uint8_t data[512] = {};
  std::uint32_t size = 512;
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_sunplus(h, 0xD0, 0, 0, 0, data, &size, nullptr, nullptr));
  EXPECT_EQ((Bytes{0xF8, 0x00, 0x22, 0x10, 0x01, 0xD0, 0x00, 0x00, 0x4F, 0xC2, 0xA0, 0xB0}),
            Cdb(rec->requests.back()));
  rec->requests.clear();
  std::uint8_t regs[32] = {};
  std::uint32_t regsSize = 32;
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_sunplus(h, 0x27, 0, 0, 0, nullptr, nullptr, regs, &regsSize));
  ASSERT_EQ(3u, rec->requests.size());
  EXPECT_EQ((Bytes{0xF8, 0x00, 0x23, 0, 0, 0, 0, 0, 0, 0, 0, 0}), Cdb(rec->requests[0]));
  EXPECT_EQ((Bytes{0xF8, 0x00, 0x22, 0x00, 0x00, 0, 0, 0, 0, 0, 0xE0, 0x27}), Cdb(rec->requests[1]));
  EXPECT_EQ((Bytes{0xF8, 0x00, 0x21, 0, 0, 0, 0, 0, 0, 0, 0, 0}), Cdb(rec->requests[2]));
  EXPECT_EQ(0xFF, regs[15]);
  rec->requests.clear();
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_sunplus(h, 0x37, 0, 0x03040506, 0x0102, nullptr, nullptr, regs, &regsSize));
  EXPECT_EQ((Bytes{0xF8, 0x00, 0x23, 0, 0, 0, 0, 0x03, 0x02, 0x01, 0, 0}), Cdb(rec->requests[0]));
  EXPECT_EQ((Bytes{0xF8, 0x00, 0x22, 0x00, 0x00, 0, 0, 0x06, 0x05, 0x04, 0xE0, 0x37}), Cdb(rec->requests[1]));
  EXPECT_EQ(0x50, regs[21]);
}

}  // namespace
