// Native SMART requests, ATA pass-through and the sector-read transports.
#include <cstring>

#include "sim_fixture.h"
#include "transport/transport.h"

using namespace simtest;
namespace w = platform::wire;

namespace {

using Bytes = std::vector<std::uint8_t>;

w::SmartCommandInput SmartInput(const Request& r) {
  w::SmartCommandInput in{};
  std::memcpy(&in, r.in.data(), w::kSmartCommandInputSize);
  return in;
}

TEST(NativeSmart, RequestsAndReplies) {
  std::string json = OneDrive("ata", "SATA", "native");
  json.replace(json.find(R"("number":0)"), 10, R"("number":3)");  // odd: device register B0
  auto rec = InstallMachine(json);
  const platform::Handle h = OpenDisk(3);
  w::SmartVersionBlock version{};
  std::uint32_t returned = 0;
  ASSERT_EQ(1, hwscope::DoGetSmartVersion(h, &version, &returned));
  EXPECT_EQ(24u, returned);
  EXPECT_EQ(5u, version.capabilities & 5);

  ASSERT_EQ(1, hwscope::DoEnableSMART(h, 3));
  const Request& enable = rec->requests.back();
  EXPECT_EQ(w::kSmartSendDriveCommand, enable.code);
  ASSERT_EQ(32u, enable.in.size());
  EXPECT_EQ(16u, enable.outSize);
  EXPECT_EQ((Bytes{0xD8, 0x01, 0x01, 0x4F, 0xC2, 0xB0, 0xB0, 0x00}), Bytes(enable.in.begin() + 4, enable.in.begin() + 12));
  EXPECT_EQ(3, SmartInput(enable).driveNumber);
  EXPECT_EQ(0u, SmartInput(enable).bufferSize);

  w::SmartCommandOutput reply;
  ASSERT_EQ(1, hwscope::DoIdentifyNative(h, 3, &reply, &returned));
  EXPECT_EQ(528u, returned);
  EXPECT_EQ(528u, rec->requests.back().outSize);
  EXPECT_EQ((Bytes{0x00, 0x01, 0x01, 0x00, 0x00, 0xB0, 0xEC, 0x00}),
            Bytes(rec->requests.back().in.begin() + 4, rec->requests.back().in.begin() + 12));
  EXPECT_EQ(512u, reply.bufferSize);
  EXPECT_EQ('e', reply.buffer[54]);  // "Test Model" stored with bytes swapped: "eT"
  EXPECT_EQ('T', reply.buffer[55]);

  ASSERT_EQ(1, hwscope::DoReadSmartDataNative(h, 3, &reply, &returned));
  EXPECT_EQ(5, reply.buffer[2]);
  ASSERT_EQ(1, hwscope::DoReadSmartThresholdsNative(h, 3, &reply, &returned));
  EXPECT_EQ(10, reply.buffer[3]);
  EXPECT_EQ(1, hwscope::DoExecuteOfflineImmediate(h, 3, 0x01));
  EXPECT_EQ(0x01, rec->requests.back().in[6]);
}

TEST(NativeSmart, BridgedAndNvmeDisksRefuseThem) {
  for (const char* bridge : {"sat", "jmicron"}) {
    InstallMachine(OneDrive("ata", "USB", bridge));
    w::SmartVersionBlock version{};
    EXPECT_EQ(0, hwscope::DoGetSmartVersion(OpenDisk(0), &version, nullptr)) << bridge;
    EXPECT_EQ(0, hwscope::DoEnableSMART(OpenDisk(0), 0)) << bridge;
  }
  InstallMachine(OneDrive("nvme", "NVMe", "storage-query"));
  w::SmartCommandOutput reply;
  EXPECT_EQ(0, hwscope::DoIdentifyNative(OpenDisk(0), 0, &reply, nullptr));
}

TEST(NativeSmart, ClaimedBufferSizeIsPassedOn) {
  InstallMachine(OneDrive("ata", "SATA", "native", R"(,"faults":{"native_buffer_size":600})"));
  w::SmartCommandOutput reply;
  ASSERT_EQ(1, hwscope::DoReadSmartDataNative(OpenDisk(0), 0, &reply, nullptr));
  EXPECT_EQ(600u, reply.bufferSize);
}

TEST(AtaPassThrough, HostProtectedAreaAndOverlay) {
  // 1000000 user sectors, native max 1999999, factory max 2999999.
  auto rec = InstallMachine(OneDrive("ata", "SATA", "native", R"(,"native_max":1999999,"dco_max":2999999)"));
  const platform::Handle h = OpenDisk(0);
  hwscope::AtaTaskFiles tf{};
  ASSERT_EQ(1, hwscope::DoAtaReadNativeMaxExt(h, &tf));
  const Request& r = rec->requests.back();
  EXPECT_EQ(w::kAtaPassThroughDirect, r.code);
  w::AtaPassThroughDirect apt;
  ASSERT_EQ(sizeof apt, r.in.size());
  std::memcpy(&apt, r.in.data(), sizeof apt);
  EXPECT_EQ(48, apt.length);
  EXPECT_EQ(0x0B, apt.ataFlags);
  EXPECT_EQ(512u, apt.dataTransferLength);
  EXPECT_EQ(1u, apt.timeOutValue);
  EXPECT_EQ(0x27, apt.currentTaskFile.command);
  EXPECT_EQ(0xE0, apt.previousTaskFile.device);
  EXPECT_EQ(0x27, apt.previousTaskFile.command);
  const std::uint64_t nativeMax = tf.current.lbaLow | tf.current.lbaMid << 8 | tf.current.lbaHigh << 16 |
                                  static_cast<std::uint64_t>(tf.previous.lbaLow) << 24;
  EXPECT_EQ(1999999u, nativeMax);

  // SET MAX must directly follow READ NATIVE MAX.
  std::uint8_t scratch[512];
  ASSERT_EQ(1, hwscope::DoAtaDcoIdentify(h, scratch));
  EXPECT_EQ(0, hwscope::DoAtaSetMaxExt(h, 1500000));
  ASSERT_EQ(1, hwscope::DoAtaReadNativeMaxExt(h, &tf));
  ASSERT_EQ(1, hwscope::DoAtaSetMaxExt(h, 1500000));
  EXPECT_EQ(1500000u, rec->machine().Disk(0)->ata()->UserMax());

  // The overlay cannot change while a protected area is set.
  std::uint8_t dco[512] = {};
  ASSERT_EQ(1, hwscope::DoAtaDcoIdentify(h, dco));
  std::uint64_t factory = 0;
  std::memcpy(&factory, dco + 6, 6);
  EXPECT_EQ(2999999u, factory);
  std::uint8_t block[512] = {0x02, 0x00, 0x07, 0x00, 0x7F, 0x00};
  const std::uint64_t newMax = 2500000;
  std::memcpy(block + 6, &newMax, 8);
  block[510] = 0xA5;
  std::uint8_t sum = 0;
  for (int i = 0; i < 511; ++i) sum = static_cast<std::uint8_t>(sum + block[i]);
  block[511] = static_cast<std::uint8_t>(-sum);
  EXPECT_EQ(0, hwscope::DoAtaDcoSet(h, block));
  ASSERT_EQ(1, hwscope::DoAtaReadNativeMaxExt(h, &tf));
  ASSERT_EQ(1, hwscope::DoAtaSetMaxExt(h, 1999999));  // remove the protected area
  ASSERT_EQ(1, hwscope::DoAtaDcoSet(h, block));
  EXPECT_EQ(2500000u, rec->machine().Disk(0)->ata()->NativeMax());
  block[511] ^= 1;  // bad checksum
  EXPECT_EQ(0, hwscope::DoAtaDcoSet(h, block));
  ASSERT_EQ(1, hwscope::DoAtaDcoRestore(h));
  EXPECT_EQ(2999999u, rec->machine().Disk(0)->ata()->NativeMax());

  // 28-bit forms.
  ASSERT_EQ(1, hwscope::DoAtaReadNativeMax(h, &tf));
  EXPECT_EQ(2999999u, static_cast<std::uint32_t>(tf.current.lbaLow | tf.current.lbaMid << 8 |
                                                 tf.current.lbaHigh << 16 | (tf.current.device & 0x0F) << 24));
  ASSERT_EQ(1, hwscope::DoAtaSetMax(h, 2000000));
  EXPECT_EQ(0x40, rec->requests.back().in[45]);  // device: LBA mode, address bits 27-24 = 0
}

TEST(AtaPassThrough, ReadDmaExtFillsTheCallersBuffer) {
  auto rec = InstallMachine(OneDrive("ata", "SATA", "native"));
  std::vector<std::uint8_t> buffer(2 * 512, 0);
  ASSERT_EQ(1, hwscope::DoAtaReadDmaExt(OpenDisk(0), 0x1234, buffer.data(), 1024));
  w::AtaPassThroughDirect apt;
  std::memcpy(&apt, rec->requests.back().in.data(), sizeof apt);
  EXPECT_EQ(0x1B, apt.ataFlags);
  EXPECT_EQ(2, apt.currentTaskFile.count);
  EXPECT_EQ(0x34, apt.currentTaskFile.lbaLow);
  EXPECT_EQ(0x12, apt.currentTaskFile.lbaMid);
  EXPECT_EQ(0x25, apt.currentTaskFile.command);
  EXPECT_EQ(0x34, buffer[0]);        // each sector starts with its address
  EXPECT_EQ(0x12, buffer[1]);
  EXPECT_EQ(0x35, buffer[512]);
  // Beyond the last user sector: ID not found.
  EXPECT_EQ(0, hwscope::DoAtaReadDmaExt(OpenDisk(0), 999999, buffer.data(), 1024));
}

TEST(SectorReads, EveryBridgeForm) {
  struct Case {
    const char* bridge;
    int (*read)(platform::Handle, std::uint8_t, std::uint32_t, std::uint32_t, void*, std::uint32_t, void*,
                std::uint32_t*);
    std::uint8_t command;
  } cases[] = {{"sat", hwscope::DoScsiPassthroughDirectCmd, 0xC8},
               {"sat", hwscope::DoScsiPassthroughDirectCmd, 0x25},
               {"cypress", hwscope::DoScsiPassthroughDirectCmd_cypress, 0xC8},
               {"jmicron", hwscope::DoScsiPassthroughDirectCmd_jmicron, 0xC8},
               {"sunplus", hwscope::DoScsiPassthroughDirectCmd_sunplus, 0x20},
               {"sunplus", hwscope::DoScsiPassthroughDirectCmd_sunplus, 0x24}};
  for (const auto& c : cases) {
    auto rec = InstallMachine(OneDrive("ata", "USB", c.bridge));
    std::vector<std::uint8_t> buffer(1024, 0);
    ASSERT_EQ(1, c.read(OpenDisk(0), c.command, 77, 0, buffer.data(), 1024, nullptr, nullptr))
        << c.bridge << " " << int(c.command);
    EXPECT_EQ(77, buffer[0]) << c.bridge;
    EXPECT_EQ(78, buffer[512]) << c.bridge;
    EXPECT_EQ(w::kScsiPassThroughDirect, rec->requests.back().code);
    EXPECT_EQ(sizeof(w::ScsiPassThroughDirectWithSense), rec->requests.back().in.size());
  }
  // A 48-bit address on the 28-bit-only bridges fails at once.
  InstallMachine(OneDrive("ata", "USB", "cypress"));
  std::vector<std::uint8_t> buffer(512, 0);
  EXPECT_EQ(0, hwscope::DoScsiPassthroughDirectCmd_cypress(OpenDisk(0), 0xC8, 0x10000000, 0, buffer.data(), 512,
                                                          nullptr, nullptr));
}

}  // namespace
