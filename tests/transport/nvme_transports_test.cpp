// The NVMe-side transports against the emulated bridges, miniports and the
// in-box driver's storage query.
#include <cstring>

#include "sim_fixture.h"
#include "transport/transport.h"

using namespace simtest;
namespace w = platform::wire;

namespace {

using Bytes = std::vector<std::uint8_t>;
using NvmeTransport = int (*)(platform::Handle, std::uint8_t, void*, std::uint32_t*);

struct NvmeCase {
  const char* bridge;
  const char* bus;
  NvmeTransport transport;
};

const NvmeCase kCases[] = {
    {"jms583", "USB", hwscope::DoScsiPassthroughCmd_NVMeJMicron},
    {"rtl9210", "USB", hwscope::DoScsiPassthroughCmd_NVMeRealtek},
    {"asm2362", "USB", hwscope::DoScsiPassthroughCmd_NVMeASMedia},
    {"samsung-nvme", "NVMe", hwscope::DoScsiPassthroughCmd_NVMeSamsung},
    {"miniport-samsung", "NVMe", hwscope::DoScsiMiniportCmd_NVMeSamsung},
    {"miniport-intel", "NVMe", hwscope::DoScsiMiniportCmd_NVMeIntel},
    {"storage-query", "NVMe", hwscope::DoStorageQueryCmd_NVMe},
};

class NvmeTransportTest : public ::testing::TestWithParam<NvmeCase> {};

TEST_P(NvmeTransportTest, ReadsIdentifyAndHealthLog) {
  const NvmeCase& c = GetParam();
  InstallMachine(OneDrive("nvme", c.bus, c.bridge));
  const platform::Handle h = OpenDisk(0);
  std::uint8_t data[512] = {};
  std::uint32_t size = 512;
  ASSERT_EQ(1, c.transport(h, hwscope::kNvmeIdentify, data, &size));
  EXPECT_EQ(512u, size);
  EXPECT_EQ(0, std::memcmp(data + 24, "Test Model TM-1 ", 16));
  EXPECT_EQ(0, std::memcmp(data + 4, "TM1SERIAL0042", 13));
  EXPECT_EQ(0, std::memcmp(data + 64, "FW12", 4));
  std::memset(data, 0, sizeof data);
  ASSERT_EQ(1, c.transport(h, hwscope::kNvmeHealthLog, data, &size));
  EXPECT_EQ(320, data[1] | data[2] << 8);  // composite temperature, kelvin
  EXPECT_EQ(99, data[3]);
  EXPECT_EQ(1234, data[128] | data[129] << 8);  // power-on hours
}

TEST_P(NvmeTransportTest, OtherProtocolsAreRejected) {
  const NvmeCase& mine = GetParam();
  InstallMachine(OneDrive("nvme", mine.bus, mine.bridge));
  for (const auto& other : kCases) {
    if (other.transport == mine.transport) continue;
    // The two miniport forms reach the same driver interface.
    const bool miniports = std::string(mine.bridge).rfind("miniport", 0) == 0 &&
                           std::string(other.bridge).rfind("miniport", 0) == 0;
    std::uint8_t data[512] = {};
    std::uint32_t size = 512;
    EXPECT_EQ(miniports ? 1 : 0, other.transport(OpenDisk(0), hwscope::kNvmeIdentify, data, &size))
        << other.bridge << " against " << mine.bridge;
  }
  std::uint8_t data[512] = {};
  std::uint32_t size = 512;
  EXPECT_EQ(0, hwscope::DoScsiPassthroughCmd(OpenDisk(0), 0xEC, 0, 0, 0, data, &size, nullptr, nullptr));
}

TEST_P(NvmeTransportTest, AllZeroHealthLog) {
  const NvmeCase& c = GetParam();
  InstallMachine(OneDrive("nvme", c.bus, c.bridge, R"(,"faults":{"zero_smart":true})"));
  std::uint8_t data[512];
  std::memset(data, 0xAB, sizeof data);
  std::uint32_t size = 512;
  // The storage query does not judge the data; every other form fails.
  const int expected = std::string(c.bridge) == "storage-query" ? 1 : 0;
  EXPECT_EQ(expected, c.transport(OpenDisk(0), hwscope::kNvmeHealthLog, data, &size));
}

INSTANTIATE_TEST_SUITE_P(Nvme, NvmeTransportTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                           std::string n = info.param.bridge;
                           for (auto& ch : n)
                             if (ch == '-') ch = '_';
                           return n;
                         });

TEST(NvmeWire, BridgeCdbs) {
  auto rec = InstallMachine(OneDrive("nvme", "USB", "asm2362"));
  std::uint8_t data[512] = {};
  std::uint32_t size = 512;
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_NVMeASMedia(OpenDisk(0), hwscope::kNvmeHealthLog, data, &size));
  EXPECT_EQ((Bytes{0xE6, 0x02, 0x00, 0x02, 0x00, 0x00, 0x00, 0x7F, 0, 0, 0, 0, 0, 0, 0, 0}),
            Cdb(rec->requests.back()));
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_NVMeASMedia(OpenDisk(0), hwscope::kNvmeIdentify, data, &size));
  EXPECT_EQ((Bytes{0xE6, 0x06, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), Cdb(rec->requests.back()));
  EXPECT_EQ(92u + 4096u, rec->requests.back().in.size());

  rec = InstallMachine(OneDrive("nvme", "USB", "rtl9210"));
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_NVMeRealtek(OpenDisk(0), hwscope::kNvmeHealthLog, data, &size));
  EXPECT_EQ((Bytes{0xE4, 0x00, 0x02, 0x02, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), Cdb(rec->requests.back()));
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_NVMeRealtek(OpenDisk(0), hwscope::kNvmeIdentify, data, &size));
  EXPECT_EQ((Bytes{0xE4, 0x00, 0x10, 0x06, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), Cdb(rec->requests.back()));

  rec = InstallMachine(OneDrive("nvme", "USB", "jms583"));
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_NVMeJMicron(OpenDisk(0), hwscope::kNvmeHealthLog, data, &size));
  ASSERT_EQ(2u, rec->requests.size());
  const Request& command = rec->requests[0];
  EXPECT_EQ((Bytes{0xA1, 0x80, 0x00, 0x00, 0x02, 0x00, 0, 0, 0, 0, 0, 0}), Cdb(command));
  ASSERT_EQ(80u + 512u, command.in.size());
  const std::uint8_t* block = command.in.data() + 80;
  EXPECT_EQ(0, std::memcmp(block, "NVME", 4));
  EXPECT_EQ(0x02, block[8]);
  EXPECT_EQ((Bytes{0xFF, 0xFF, 0xFF, 0xFF}), Bytes(block + 12, block + 16));
  EXPECT_EQ((Bytes{0x02, 0x00, 0x7F, 0x00}), Bytes(block + 48, block + 52));
  EXPECT_EQ((Bytes{0xA1, 0x82, 0x00, 0x00, 0x02, 0x00, 0, 0, 0, 0, 0, 0}), Cdb(rec->requests[1]));

  rec = InstallMachine(OneDrive("nvme", "NVMe", "samsung-nvme"));
  ASSERT_EQ(1, hwscope::DoScsiPassthroughCmd_NVMeSamsung(OpenDisk(0), hwscope::kNvmeIdentify, data, &size));
  ASSERT_EQ(2u, rec->requests.size());
  EXPECT_EQ((Bytes{0xB5, 0xFE, 0x00, 0x05, 0, 0, 0, 0, 0, 0x40, 0, 0, 0, 0, 0, 0}), Cdb(rec->requests[0]));
  EXPECT_EQ(0x01, rec->requests[0].in[80]);
  EXPECT_EQ((Bytes{0xA2, 0xFE, 0x00, 0x05, 0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0, 0, 0}), Cdb(rec->requests[1]));
}

TEST(NvmeWire, MiniportGoesToTheAdapterAndClosesIt) {
  auto rec = InstallMachine(OneDrive("nvme", "NVMe", "miniport-intel", R"(,"port":3)"));
  std::uint8_t data[512] = {};
  std::uint32_t size = 512;
  ASSERT_EQ(1, hwscope::DoScsiMiniportCmd_NVMeIntel(OpenDisk(0), hwscope::kNvmeHealthLog, data, &size));
  ASSERT_EQ(2u, rec->opened.size());
  EXPECT_EQ(L"\\\\.\\SCSI3:", rec->opened[1]);
  ASSERT_EQ(1u, rec->closed.size());
  const Request& r = rec->requests.back();
  EXPECT_EQ(w::kScsiMiniport, r.code);
  ASSERT_EQ(4248u, r.in.size());
  w::NvmePassThroughIoctl io;
  std::memcpy(&io, r.in.data(), sizeof io);
  EXPECT_EQ(28u, io.srb.headerLength);
  EXPECT_EQ(0, std::memcmp(io.srb.signature, "NvmeMini", 8));
  EXPECT_EQ(40u, io.srb.timeout);
  EXPECT_EQ(0xE0002000u, io.srb.controlCode);
  EXPECT_EQ(4220u, io.srb.length);
  EXPECT_EQ(0x02u, io.command[0]);
  EXPECT_EQ(0xFFFFFFFFu, io.command[1]);
  EXPECT_EQ(0x007F0002u, io.command[10]);
  EXPECT_EQ(2u, io.direction);
  EXPECT_EQ(4096u, io.dataBufferLength);
  EXPECT_EQ(4248u, io.returnBufferLength);

  // A missing adapter fails before any miniport request.
  rec = InstallMachine(OneDrive("nvme", "NVMe", "miniport-intel", R"(,"port":3,"faults":{"fail_codes":[266264]})"));
  EXPECT_EQ(0, hwscope::DoScsiMiniportCmd_NVMeIntel(OpenDisk(0), hwscope::kNvmeHealthLog, data, &size));
  EXPECT_EQ(1u, rec->opened.size());
}

TEST(NvmeWire, StorageQueryFailureStillCopiesTheZeroedArea) {
  auto rec = InstallMachine(OneDrive("nvme", "NVMe", "storage-query", R"(,"faults":{"fail_codes":["0x002D1400"]})"));
  std::uint8_t data[512];
  std::memset(data, 0xAB, sizeof data);
  std::uint32_t size = 512;
  EXPECT_EQ(0, hwscope::DoStorageQueryCmd_NVMe(OpenDisk(0), hwscope::kNvmeIdentify, data, &size));
  EXPECT_EQ(Bytes(512, 0), Bytes(data, data + 512));
  w::StorageProtocolQuery q;
  ASSERT_EQ(sizeof q, rec->requests.back().in.size());
  std::memcpy(&q, rec->requests.back().in.data(), sizeof q);
  EXPECT_EQ(49u, q.propertyId);
  EXPECT_EQ(3u, q.specific.protocolType);
  EXPECT_EQ(1u, q.specific.dataType);
  EXPECT_EQ(1u, q.specific.requestValue);
  EXPECT_EQ(40u, q.specific.dataOffset);
  EXPECT_EQ(4096u, q.specific.dataLength);
}

}  // namespace
