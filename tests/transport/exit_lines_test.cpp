// The log lines that tell which step of a transport failed.
#include <cstdio>
#include <string>

#include "hwscope/hwscope.h"
#include "sim_fixture.h"
#include "transport/transport.h"

using namespace simtest;

namespace {

// Captures the library log (UTF-16LE) as plain text.
class LogCapture {
 public:
  LogCapture() : file_(std::tmpfile()) {
    if (file_) HwscopeDll_StartLoggingExisting(file_);
  }
  ~LogCapture() {
    HwscopeDll_StopLogging();
    if (file_) std::fclose(file_);
  }
  std::string Text() const {
    std::string text;
    if (!file_) return text;
    std::fflush(file_);
    std::rewind(file_);
    int c;
    while ((c = std::fgetc(file_)) != EOF)
      if (c != 0 && c < 0x80) text.push_back(static_cast<char>(c));
    return text;
  }

 private:
  std::FILE* file_;
};

struct ExitCase {
  const char* name;
  const char* kind;
  const char* bus;
  const char* extra;
  int (*call)();
  const char* line;
};

int SatIdentify() {
  std::uint8_t data[512];
  std::uint32_t size = 512;
  return hwscope::DoScsiPassthroughCmd(OpenDisk(0), 0xEC, 0, 0, 0, data, &size, nullptr, nullptr);
}
int CypressIdentify() {
  std::uint8_t data[512];
  std::uint32_t size = 512;
  return hwscope::DoScsiPassthroughCmd_cypress(OpenDisk(0), 0xEC, 0, 0, 0, data, &size, nullptr, nullptr);
}
int JMicronIdentify() {
  std::uint8_t data[512];
  std::uint32_t size = 512;
  return hwscope::DoScsiPassthroughCmd_jmicron(OpenDisk(0), 0xEC, 0, 0, 0, data, &size, nullptr, nullptr);
}
int SunplusIdentify() {
  std::uint8_t data[512];
  std::uint32_t size = 512;
  return hwscope::DoScsiPassthroughCmd_sunplus(OpenDisk(0), 0xEC, 0, 0, 0, data, &size, nullptr, nullptr);
}
template <int (*T)(platform::Handle, std::uint8_t, void*, std::uint32_t*), std::uint8_t kCommand>
int Nvme() {
  std::uint8_t data[512];
  std::uint32_t size = 512;
  return T(OpenDisk(0), kCommand, data, &size);
}
int EnableNative() { return hwscope::DoEnableSMART(OpenDisk(0), 0); }

const ExitCase kCases[] = {
    {"SatCallFails", "ata", "USB", R"(,"bridge":"sat","faults":{"fail_codes":["0x4D004"]})", SatIdentify,
     "Exit DoScsiPassthroughCmd (1) (Err=31)"},
    {"SatCheckCondition", "ata", "USB", R"(,"bridge":"sat","faults":{"check_condition":true})", SatIdentify,
     "Exit DoScsiPassthroughCmd (2)"},
    {"CypressCallFails", "ata", "USB", R"(,"bridge":"cypress","faults":{"fail_codes":["0x4D004"]})",
     CypressIdentify, "Exit DoScsiPassthroughCmd_cypress (1)"},
    {"CypressOnSat", "ata", "USB", R"(,"bridge":"sat")", CypressIdentify, "Exit DoScsiPassthroughCmd_cypress (2)"},
    {"JMicronProbeRejected", "ata", "USB", R"(,"bridge":"sat")", JMicronIdentify,
     "Exit DoScsiPassthroughCmd_jmicron (2)"},
    {"SunplusOnSat", "ata", "USB", R"(,"bridge":"sat")", SunplusIdentify, "Exit DoScsiPassthroughCmd_sunplus (2)"},
    {"Jms583CommandPhase", "ata", "USB", R"(,"bridge":"sat")",
     Nvme<hwscope::DoScsiPassthroughCmd_NVMeJMicron, 0xEC>, "Exit DoScsiPassthroughCmd_NVMeJMicron (1)"},
    {"RealtekZeroLog", "nvme", "USB", R"(,"bridge":"rtl9210","faults":{"zero_smart":true})",
     Nvme<hwscope::DoScsiPassthroughCmd_NVMeRealtek, 0xD0>, "Exit DoScsiPassthroughCmd_NVMeRealtek (3)"},
    {"RealtekReturnedLine", "nvme", "USB", R"(,"bridge":"rtl9210","nvme_health":{"temperature":300})",
     Nvme<hwscope::DoScsiPassthroughCmd_NVMeRealtek, 0xD0>,
     "DoScsiPassthroughCmd_NVMeRealtek returned 604 bytes (sb.spt.DataTransferLength = 512)"},
    {"SamsungDataPhase", "nvme", "NVMe", R"(,"bridge":"jms583")",
     Nvme<hwscope::DoScsiPassthroughCmd_NVMeSamsung, 0xEC>, "Exit DoScsiPassthroughCmd_NVMeSamsung (1)"},
    {"MiniportNoAddress", "nvme", "NVMe", R"(,"bridge":"miniport-intel","faults":{"fail_codes":["0x41018"]})",
     Nvme<hwscope::DoScsiMiniportCmd_NVMeIntel, 0xD0>,
     "Exit DoScsiMiniportCmd_NVMeIntel (IOCTL_SCSI_GET_ADDRESS failed)"},
    {"MiniportRejected", "nvme", "NVMe", R"(,"bridge":"storage-query")",
     Nvme<hwscope::DoScsiMiniportCmd_NVMeSamsung, 0xD0>, "Exit DoScsiMiniportCmd_NVMeSamsung (1)"},
    {"StorageQueryFails", "nvme", "NVMe", R"(,"bridge":"miniport-intel")",
     Nvme<hwscope::DoStorageQueryCmd_NVMe, 0xEC>, "DoStorageQueryCmd_NVMe (1) (Err=1)"},
    {"EnableSmart", "ata", "SATA", R"(,"bridge":"native")", EnableNative,
     "DoEnableSMART call DFP_SEND_DRIVE_COMMAND"},
};

class ExitLineTest : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitLineTest, NamesTheStep) {
  const ExitCase& c = GetParam();
  std::string json = R"({"drives":[{"number":0,"kind":")" + std::string(c.kind) + R"(","bus":")" + c.bus +
                     R"(")" + c.extra + "}]}";
  InstallMachine(json);
  LogCapture log;
  const int result = c.call();
  const std::string text = log.Text();
  EXPECT_NE(std::string::npos, text.find(c.line)) << text;
  const bool succeeds = std::string(c.name) == "RealtekReturnedLine" || std::string(c.name) == "EnableSmart";
  EXPECT_EQ(succeeds ? 1 : 0, result);
}

INSTANTIATE_TEST_SUITE_P(Transports, ExitLineTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
