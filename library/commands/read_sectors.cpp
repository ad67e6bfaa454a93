// Reading raw sectors into the caller's buffer.
#include "acquisition/bridge_dispatch.h"
#include "commands/command_path.h"
#include "frame/log.h"
#include "transport/transport.h"

namespace hwscope {

int CSMARTInfo::ReadSectors(int device, unsigned addressLow, unsigned addressHigh, int sectorCount,
                            void* buffer) {
  CommandTarget target;
  const int started = StartDriveCommand(*this, device, "ReadSectors", &target);
  if (started != 0) return started;
  if (buffer == nullptr || sectorCount <= 0) return HWSCOPE_E_BUFFER;
  // A disk whose geometry never came back is read in 512-byte sectors.
  const std::uint64_t sectorSize = target.bytesPerSector != 0 ? target.bytesPerSector : 512;
  const std::uint64_t length64 = sectorSize * static_cast<std::uint64_t>(sectorCount);
  if (length64 > 0xFFFFFFFFull) return HWSCOPE_E_BUFFER;
  const auto length = static_cast<std::uint32_t>(length64);
  const bool needs48 = addressHigh != 0 || addressLow > 0x0FFFFFFF;

  int ok = 0;
  switch (SelectPath(target, DriveCommand::kReadSectors)) {
    case CommandPath::kNative:
      ok = DoAtaReadDmaExt(target.handle, static_cast<std::uint64_t>(addressHigh) << 32 | addressLow,
                           buffer, length);
      break;
    case CommandPath::kAtaBridge:
      switch (target.bridgeType) {
        case kBridgeSat:
          ok = DoScsiPassthroughDirectCmd(target.handle, needs48 ? 0x25 : 0xC8, addressLow,
                                          addressHigh, buffer, length, nullptr, nullptr);
          break;
        case kBridgeCypress:
          ok = !needs48 && DoScsiPassthroughDirectCmd_cypress(target.handle, 0xC8, addressLow,
                                                              addressHigh, buffer, length,
                                                              nullptr, nullptr);
          break;
        case kBridgeJMicron:
          ok = !needs48 && DoScsiPassthroughDirectCmd_jmicron(target.handle, 0xC8, addressLow,
                                                              addressHigh, buffer, length,
                                                              nullptr, nullptr);
          break;
        default:
          ok = DoScsiPassthroughDirectCmd_sunplus(target.handle, needs48 ? 0x24 : 0x20, addressLow,
                                                  addressHigh, buffer, length, nullptr, nullptr);
          break;
      }
      break;
    case CommandPath::kRefused:
    case CommandPath::kUnknown:
      break;
  }
  if (ok) return 0;
  Logf("Failed to read sectors.");
  return HWSCOPE_E_SMART_REFRESH;
}

}  // namespace hwscope
