// The disk driver's native SMART requests: version, send drive command
// (enable, off-line immediate) and receive drive data (identify, SMART data,
// thresholds).
#include <cstring>

#include "frame/log.h"
#include "transport/transport.h"

namespace hwscope {
namespace w = platform::wire;

namespace {

w::SmartCommandInput Input(std::uint8_t driveNumber, std::uint32_t bufferSize, w::AtaRegisters regs) {
  w::SmartCommandInput in;
  std::memset(&in, 0, sizeof in);
  in.bufferSize = bufferSize;
  regs.device = (driveNumber & 1) ? 0xB0 : 0xA0;
  in.regs = regs;
  in.driveNumber = driveNumber;
  return in;
}

int Send(platform::Handle device, const w::SmartCommandInput& in) {
  std::uint8_t out[w::kSmartOutputHeaderSize] = {};
  std::uint32_t returned = 0;
  return platform::Current().DeviceControl(device, w::kSmartSendDriveCommand, &in,
                                           w::kSmartCommandInputSize, out, sizeof out, &returned)
             ? 1
             : 0;
}

int Receive(platform::Handle device, const w::SmartCommandInput& in, w::SmartCommandOutput* reply,
            std::uint32_t* bytesReturned) {
  std::uint32_t returned = 0;
  std::memset(reply, 0, sizeof *reply);
  const bool ok = platform::Current().DeviceControl(device, w::kSmartRcvDriveData, &in,
                                                    w::kSmartCommandInputSize, reply,
                                                    sizeof *reply, &returned);
  if (bytesReturned) *bytesReturned = ok ? returned : 0;
  return ok ? 1 : 0;
}

}  // namespace

int DoGetSmartVersion(platform::Handle device, w::SmartVersionBlock* version,
                      std::uint32_t* bytesReturned) {
  std::uint32_t returned = 0;
  std::memset(version, 0, sizeof *version);
  const bool ok = platform::Current().DeviceControl(device, w::kSmartGetVersion, nullptr, 0, version,
                                                    sizeof *version, &returned);
  if (bytesReturned) *bytesReturned = ok ? returned : 0;
  return ok ? 1 : 0;
}

int DoEnableSMART(platform::Handle device, std::uint8_t driveNumber) {
  Logf("DoEnableSMART start");
  const w::SmartCommandInput in = Input(driveNumber, 0, {0xD8, 0x01, 0x01, 0x4F, 0xC2, 0, 0xB0, 0});
  Logf("DoEnableSMART call DFP_SEND_DRIVE_COMMAND");
  return Send(device, in);
}

int DoExecuteOfflineImmediate(platform::Handle device, std::uint8_t driveNumber,
                              std::uint8_t subcommand) {
  return Send(device, Input(driveNumber, 0, {0xD4, 0x01, subcommand, 0x4F, 0xC2, 0, 0xB0, 0}));
}

int DoIdentifyNative(platform::Handle device, std::uint8_t driveNumber, w::SmartCommandOutput* reply,
                     std::uint32_t* bytesReturned) {
  const w::SmartCommandInput in = Input(driveNumber, 512, {0x00, 0x01, 0x01, 0x00, 0x00, 0, 0xEC, 0});
  Logf("TempDbg: DeviceIoControl setup done");
  return Receive(device, in, reply, bytesReturned);
}

int DoReadSmartDataNative(platform::Handle device, std::uint8_t driveNumber,
                          w::SmartCommandOutput* reply, std::uint32_t* bytesReturned) {
  return Receive(device, Input(driveNumber, 512, {0xD0, 0x01, 0x01, 0x4F, 0xC2, 0, 0xB0, 0}), reply,
                 bytesReturned);
}

int DoReadSmartThresholdsNative(platform::Handle device, std::uint8_t driveNumber,
                                w::SmartCommandOutput* reply, std::uint32_t* bytesReturned) {
  return Receive(device, Input(driveNumber, 512, {0xD1, 0x01, 0x01, 0x4F, 0xC2, 0, 0xB0, 0}), reply,
                 bytesReturned);
}

}  // namespace hwscope
