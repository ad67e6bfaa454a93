// NVMe requests through the disk's adapter: the miniport pass-through
// (Samsung and Intel forms) and the protocol-specific storage query.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "frame/log.h"
#include "transport/transport.h"

namespace hwscope {
namespace w = platform::wire;

namespace {

// Opens "\\.\SCSI<port>:" of the disk's adapter; logs the failure lines of
// `name` and returns kInvalidHandle when it cannot.
platform::Handle OpenAdapter(platform::Handle disk, const char* name) {
  platform::Platform& os = platform::Current();
  w::ScsiAddress address{};
  std::uint32_t returned = 0;
  if (!os.DeviceControl(disk, w::kScsiGetAddress, nullptr, 0, &address, sizeof address, &returned)) {
    Logf("Exit %s (IOCTL_SCSI_GET_ADDRESS failed)", name);
    return platform::kInvalidHandle;
  }
  const std::wstring path = L"\\\\.\\SCSI" + std::to_wstring(address.portNumber) + L":";
  const platform::Handle adapter = os.OpenDevice(path);
  if (adapter == platform::kInvalidHandle) Logf("Exit %s (CreateFile failed)", name);
  return adapter;
}

struct AdapterCloser {
  platform::Handle handle;
  ~AdapterCloser() {
    if (handle != platform::kInvalidHandle) platform::Current().CloseDevice(handle);
  }
};

int Miniport(platform::Handle disk, std::uint8_t command, void* data, std::uint32_t* dataSize,
             const char* name, std::uint32_t logDword10) {
  Logf("Enter %s", name);
  if (command != kNvmeHealthLog && command != kNvmeIdentify) {
    Logf("Exit %s (command 0x%02X not supported)", name, command);
    return 0;
  }
  const AdapterCloser adapter{OpenAdapter(disk, name)};
  if (adapter.handle == platform::kInvalidHandle) return 0;
  auto io = std::make_unique<w::NvmePassThroughIoctl>();
  std::memset(io.get(), 0, sizeof *io);
  io->srb.headerLength = sizeof(w::SrbIoControl);
  std::memcpy(io->srb.signature, w::kNvmeMiniportSignature, 8);
  io->srb.timeout = 40;
  io->srb.controlCode = w::kNvmePassThroughControlCode;
  io->srb.length = sizeof(w::NvmePassThroughIoctl) - sizeof(w::SrbIoControl);
  const bool log = command == kNvmeHealthLog;
  io->command[0] = log ? 0x02 : 0x06;
  io->command[1] = log ? 0xFFFFFFFF : 0;
  io->command[10] = log ? logDword10 : 0x00000001;
  io->direction = w::kNvmeFromDevice;
  io->queueId = 0;
  io->dataBufferLength = sizeof io->data;
  io->returnBufferLength = sizeof(w::NvmePassThroughIoctl);
  std::uint32_t returned = 0;
  if (!platform::Current().DeviceControl(adapter.handle, w::kScsiMiniport, io.get(), sizeof *io,
                                         io.get(), sizeof *io, &returned)) {
    Logf("Exit %s (1)", name);
    return 0;
  }
  bool zero = true;
  for (std::uint32_t i = 0; i < io->dataBufferLength && zero; ++i) zero = io->data[i] == 0;
  if (zero) {
    Logf("Exit %s (2)", name);
    return 0;
  }
  if (dataSize) {
    if (data && *dataSize >= 512)
      std::memcpy(data, io->data, 512);
    else
      *dataSize = 0;
  }
  Logf("Exit %s", name);
  return 1;
}

}  // namespace

int DoScsiMiniportCmd_NVMeSamsung(platform::Handle device, std::uint8_t command, void* data,
                                  std::uint32_t* dataSize) {
  return Miniport(device, command, data, dataSize, "DoScsiMiniportCmd_NVMeSamsung", 0x00000002);
}

int DoScsiMiniportCmd_NVMeIntel(platform::Handle device, std::uint8_t command, void* data,
                                std::uint32_t* dataSize) {
  return Miniport(device, command, data, dataSize, "DoScsiMiniportCmd_NVMeIntel", 0x007F0002);
}

int DoStorageQueryCmd_NVMe(platform::Handle device, std::uint8_t command, void* data,
                           std::uint32_t* dataSize) {
  const char* name = "DoStorageQueryCmd_NVMe";
  Logf("Enter %s", name);
  if (command != kNvmeHealthLog && command != kNvmeIdentify) {
    Logf("Exit %s (command 0x%02X not supported)", name, command);
    return 0;
  }
  const bool log = command == kNvmeHealthLog;
  // The health log is asked of the adapter, identify of the disk.
  const AdapterCloser adapter{log ? OpenAdapter(device, name) : platform::kInvalidHandle};
  if (log && adapter.handle == platform::kInvalidHandle) return 0;
  auto q = std::make_unique<w::StorageProtocolQuery>();
  std::memset(q.get(), 0, sizeof *q);
  q->propertyId = w::kStorageAdapterProtocolSpecificProperty;
  q->queryType = w::kPropertyStandardQuery;
  q->specific.protocolType = w::kProtocolTypeNvme;
  q->specific.dataType = log ? w::kNvmeDataTypeLogPage : w::kNvmeDataTypeIdentify;
  q->specific.requestValue = log ? 2 : 1;
  q->specific.requestSubValue = 0;
  q->specific.dataOffset = sizeof(w::StorageProtocolSpecificData);
  q->specific.dataLength = sizeof q->data;
  std::uint32_t returned = 0;
  const bool ok = platform::Current().DeviceControl(log ? adapter.handle : device,
                                                    w::kStorageQueryProperty, q.get(), sizeof *q,
                                                    q.get(), sizeof *q, &returned);
  if (!ok) Logf("%s (1) (Err=%d)", name, static_cast<int>(platform::Current().LastError()));
  if (dataSize) {
    if (data && *dataSize >= 512)
      std::memcpy(data, q->data, 512);
    else
      *dataSize = 0;
  }
  Logf("Exit %s", name);
  return ok ? 1 : 0;
}

}  // namespace hwscope
