// Starting and aborting a drive self-test.
#include "acquisition/bridge_dispatch.h"
#include "commands/command_path.h"
#include "frame/log.h"
#include "transport/transport.h"

namespace hwscope {

int CSMARTInfo::ExecuteSelfTest(int device, int testType) {
  constexpr int kSelfTestFailed = -8001;
  if (testType < 0 || testType > 4) return -10005;
  CommandTarget target;
  const int started = StartDriveCommand(*this, device, "ExecuteSelfTest", &target);
  if (started != 0) return started;

  // 0 aborts the running off-line self-test; 1 short, 2 extended,
  // 3 conveyance, 4 selective, all off-line.
  const auto subcommand = static_cast<std::uint8_t>(testType == 0 ? 0x7F : testType);
  Logf("Executing self test 0x%02X for device #%d", subcommand, device);
  int ok = 0;
  switch (SelectPath(target, DriveCommand::kSelfTest)) {
    case CommandPath::kNative:
      ok = DoExecuteOfflineImmediate(target.handle, static_cast<std::uint8_t>(device), subcommand);
      break;
    case CommandPath::kAtaBridge:
      ok = AtaBridgeCommand(target.bridgeType, target.handle, 0xD4, subcommand, 0, 0, nullptr,
                            nullptr, nullptr, nullptr);
      break;
    case CommandPath::kRefused:
    case CommandPath::kUnknown:
      break;
  }
  if (ok) return 0;
  Logf("Failed to execute self test.");
  return kSelfTestFailed;
}

}  // namespace hwscope
