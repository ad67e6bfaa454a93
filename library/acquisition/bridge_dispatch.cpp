#include "acquisition/bridge_dispatch.h"

#include "engine/smart_info.h"
#include "platform/wire.h"
#include "transport/transport.h"

namespace hwscope {

bool IsBridgedBus(int busType) {
  using namespace platform::wire;
  return busType == kBusScsi || busType == kBus1394 || busType == kBusUsb ||
         busType == kBusIscsi || busType == kBusSas;
}

bool IsNvmeBus(int busType) { return busType == platform::wire::kBusNvme; }

int AtaBridgeCommand(int bridgeType, platform::Handle device, std::uint8_t command,
                     std::uint8_t subValue, std::uint32_t addressLow, std::uint32_t addressHigh,
                     void* data, std::uint32_t* dataSize, void* returnRegs,
                     std::uint32_t* returnRegsSize) {
  switch (bridgeType) {
    case kBridgeSat:
      return DoScsiPassthroughCmd(device, command, subValue, addressLow, addressHigh, data,
                                  dataSize, returnRegs, returnRegsSize);
    case kBridgeCypress:
      return DoScsiPassthroughCmd_cypress(device, command, subValue, addressLow, addressHigh, data,
                                          dataSize, returnRegs, returnRegsSize);
    case kBridgeJMicron:
      return DoScsiPassthroughCmd_jmicron(device, command, subValue, addressLow, addressHigh, data,
                                          dataSize, returnRegs, returnRegsSize);
    case kBridgeSunplus:
      return DoScsiPassthroughCmd_sunplus(device, command, subValue, addressLow, addressHigh, data,
                                          dataSize, returnRegs, returnRegsSize);
    default:
      return 0;
  }
}

int NvmeBridgeCommand(int bridgeType, platform::Handle device, std::uint8_t command, void* data,
                      std::uint32_t* dataSize) {
  switch (bridgeType) {
    case kBridgeNvmeSamsung:
      return DoScsiPassthroughCmd_NVMeSamsung(device, command, data, dataSize);
    case kBridgeMiniportSamsung:
      return DoScsiMiniportCmd_NVMeSamsung(device, command, data, dataSize);
    case kBridgeMiniportIntel:
      return DoScsiMiniportCmd_NVMeIntel(device, command, data, dataSize);
    case kBridgeStorageQuery:
      return DoStorageQueryCmd_NVMe(device, command, data, dataSize);
    case kBridgeJms583:
      return DoScsiPassthroughCmd_NVMeJMicron(device, command, data, dataSize);
    case kBridgeRtl9210:
      return DoScsiPassthroughCmd_NVMeRealtek(device, command, data, dataSize);
    case kBridgeAsm2362:
      return DoScsiPassthroughCmd_NVMeASMedia(device, command, data, dataSize);
    default:
      return 0;
  }
}

}  // namespace hwscope
