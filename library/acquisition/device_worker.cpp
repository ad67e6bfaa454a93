#include "acquisition/device_worker.h"

#include <cstring>
#include <string>

#include "acquisition/bridge_dispatch.h"
#include "acquisition/smart_read.h"
#include "frame/log.h"
#include "transport/transport.h"

namespace hwscope {
namespace {

constexpr std::uint8_t kAtaIdentify = 0xEC;
constexpr std::uint8_t kSmartEnable = 0xD8;

std::uint16_t Word(const std::uint8_t* identify, int word) {
  return static_cast<std::uint16_t>(identify[2 * word] | (identify[2 * word + 1] << 8));
}

// A text field of a reply, cut at its first NUL.
std::string Field(const std::uint8_t* bytes, std::size_t length) {
  std::size_t n = 0;
  while (n < length && bytes[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(bytes), n);
}

// A NUL-terminated text at an offset of a reply; empty when the offset is 0
// or outside the bytes returned.
std::string TextAt(const std::uint8_t* reply, std::uint32_t size, std::uint32_t offset) {
  if (offset == 0 || offset >= size) return std::string();
  return Field(reply + offset, size - offset);
}

const char* YesNo(bool value) { return value ? "Yes" : "No"; }

struct BridgeProbe {
  int bridgeType;
  const char* successLine;
};

// Bus types of bridges, in probing order.
constexpr BridgeProbe kBridgedProbes[] = {
    {kBridgeSat, "IOCTL_SCSI_PASS_THROUGH (via SAT) succeeded."},
    {kBridgeJms583,
     "IOCTL_SCSI_PASS_THROUGH (via JMicron JMS583 USB3.1 to PCIe/NVMe Bridge ) succeeded."},
    {kBridgeRtl9210,
     "IOCTL_SCSI_PASS_THROUGH (via Realtek RTL9210 USB3.1 to PCIe/NVMe Bridge ) succeeded."},
    {kBridgeAsm2362,
     "IOCTL_SCSI_PASS_THROUGH (via ASMedia ASM2362 USB3.1 to PCIe/NVMe Bridge ) succeeded."},
    {kBridgeCypress, "IOCTL_SCSI_PASS_THROUGH (via cypress bridge) succeeded."},
    {kBridgeJMicron, "IOCTL_SCSI_PASS_THROUGH (via jmicron bridge) succeeded."},
    {kBridgeSunplus, "IOCTL_SCSI_PASS_THROUGH (via sunplus bridge) succeeded."},
};

// The NVMe bus, in probing order.
constexpr BridgeProbe kNvmeProbes[] = {
    {kBridgeStorageQuery, "IOCTL_STORAGE_QUERY_PROPERTY succeeded."},
    {kBridgeNvmeSamsung, "IOCTL_SCSI_PASS_THROUGH (via Samsung NVMe) succeeded."},
    {kBridgeMiniportIntel, "IOCTL_SCSI_MINIPORT  (via Intel NVMe) succeeded."},
    {kBridgeMiniportSamsung, "IOCTL_SCSI_MINIPORT  (via Samsung NVMe) succeeded."},
};

// Identify over one bridge type: ATA IDENTIFY DEVICE on the ATA bridges,
// Identify Controller on the NVMe ones.
bool IdentifyOver(int bridgeType, platform::Handle handle, std::uint8_t* identify) {
  std::memset(identify, 0, 512);
  std::uint32_t size = 512;
  if (IsNvmeBridge(bridgeType))
    return NvmeBridgeCommand(bridgeType, handle, kNvmeIdentify, identify, &size) != 0;
  return AtaBridgeCommand(bridgeType, handle, kAtaIdentify, 0, 0, 0, identify, &size, nullptr,
                          nullptr) != 0;
}

class WorkerRun {
 public:
  explicit WorkerRun(AcquisitionWorker& record)
      : r_(record), os_(*record.platform), start_(os_.TickCount()) {}

  void Run();

 private:
  bool BudgetLeft() {
    const std::uint32_t elapsed = os_.TickCount() - start_;
    return static_cast<std::int64_t>(elapsed) < r_.budgetMs;
  }
  // The check before each phase.
  bool TimedOut() {
    if (BudgetLeft()) return false;
    Logf("GetSMARTInfoThread: Timed out. Exiting thread...");
    r_.exitCode = 1;
    return true;
  }
  template <std::size_t N>
  bool Probe(const BridgeProbe (&probes)[N], std::uint8_t* identify) {
    for (std::size_t i = 0; i < N; ++i) {
      if (i > 0 && !BudgetLeft()) break;
      if (IdentifyOver(probes[i].bridgeType, r_.handle, identify)) {
        r_.bridgeType = probes[i].bridgeType;
        Logf("%s", probes[i].successLine);
        return true;
      }
    }
    return false;
  }
  bool ReadGeometry();  // false: the device is not ready
  void ReadDescriptor();
  void ReadAddress();
  bool ProbeTransport();  // false: nothing answered identify
  void LogAtaLevels();
  void StoreIdentify(bool ok, bool nvme);
  void AcquireBridged();
  void AcquireNvme();
  void AcquireNative();

  AcquisitionWorker& r_;
  platform::Platform& os_;
  std::uint32_t start_;
};

bool WorkerRun::ReadGeometry() {
  platform::wire::DiskGeometry geometry{};
  std::uint32_t returned = 0;
  if (os_.DeviceControl(r_.handle, platform::wire::kDiskGetDriveGeometry, nullptr, 0, &geometry,
                        sizeof geometry, &returned) &&
      returned >= sizeof geometry) {
    r_.geometryRead = true;
    r_.geometry = geometry;
    const std::uint64_t capacity = static_cast<std::uint64_t>(geometry.cylinders) *
                                   geometry.tracksPerCylinder * geometry.sectorsPerTrack *
                                   geometry.bytesPerSector;
    const char letter = r_.rowLetter != 0 ? static_cast<char>(r_.rowLetter) : ' ';
    Logf("DeviceIoControl(IOCTL_DISK_GET_DRIVE_GEOMETRY) succeeded.  Device #%d (Drive \"%c:\") "
         "capacity: %d MB",
         r_.device, letter, static_cast<int>(capacity / 1048576));
    return true;
  }
  const std::uint32_t error = os_.LastError();
  Logf("DeviceIoControl(IOCTL_DISK_GET_DRIVE_GEOMETRY) failed with: %d, %s",
       static_cast<int>(error), SystemErrorText(error).c_str());
  if (error == platform::kErrorNotReady) {
    Logf("GetSMARTInfoThread Error with SMART device id #%d - Exiting thread", r_.device);
    return false;
  }
  return true;
}

void WorkerRun::ReadDescriptor() {
  platform::wire::StoragePropertyQuery query{};
  query.propertyId = platform::wire::kStorageDeviceProperty;
  query.queryType = platform::wire::kPropertyStandardQuery;
  std::uint8_t reply[platform::wire::kDeviceDescriptorReplySize] = {};
  std::uint32_t returned = 0;
  if (os_.DeviceControl(r_.handle, platform::wire::kStorageQueryProperty, &query, sizeof query,
                        reply, sizeof reply, &returned) &&
      returned >= offsetof(platform::wire::StorageDeviceDescriptor, rawPropertiesLength)) {
    platform::wire::StorageDeviceDescriptor descriptor;
    std::memcpy(&descriptor, reply, sizeof descriptor);
    r_.busTypeRead = true;
    r_.busType = static_cast<int>(descriptor.busType);
    const std::uint32_t size = returned < sizeof reply ? returned : sizeof reply;
    Logf("  DeviceIoControl(IOCTL_STORAGE_QUERY_PROPERTY) succeeded:\n"
         "    Vendor:   \"%s\"\n    Product:  \"%s\"\n    Revision: \"%s\"\n    Removable: %s\n"
         "    BusType:   0x%02x\n    DeviceType:   %d\n",
         TextAt(reply, size, descriptor.vendorIdOffset).c_str(),
         TextAt(reply, size, descriptor.productIdOffset).c_str(),
         TextAt(reply, size, descriptor.productRevisionOffset).c_str(),
         YesNo(descriptor.removableMedia != 0), descriptor.busType, descriptor.deviceType);
    return;
  }
  const std::uint32_t error = os_.LastError();
  Logf("DeviceIoControl(IOCTL_STORAGE_QUERY_PROPERTY) failed with: %d, %s",
       static_cast<int>(error), SystemErrorText(error).c_str());
}

void WorkerRun::ReadAddress() {
  Logf("  DeviceIoControl(IOCTL_SCSI_GET_ADDRESS):\n");
  platform::wire::ScsiAddress address{};
  std::uint32_t returned = 0;
  if (os_.DeviceControl(r_.handle, platform::wire::kScsiGetAddress, nullptr, 0, &address,
                        sizeof address, &returned) &&
      returned >= sizeof address) {
    r_.addressRead = true;
    r_.scsiAddress[0] = address.portNumber;
    r_.scsiAddress[1] = address.pathId;
    r_.scsiAddress[2] = address.targetId;
    r_.scsiAddress[3] = address.lun;
    Logf("DeviceIoControl(IOCTL_SCSI_GET_ADDRESS) succeeded:\n"
         "\nDevice address: \n   Port # = %d \n   Path ID     = %d \n   Target ID   = %d \n"
         "   LUN         = %d \n",
         address.portNumber, address.pathId, address.targetId, address.lun);
    return;
  }
  const std::uint32_t error = os_.LastError();
  Logf("DeviceIoControl(IOCTL_SCSI_GET_ADDRESS) failed with: %d, %s", static_cast<int>(error),
       SystemErrorText(error).c_str());
}

bool WorkerRun::ProbeTransport() {
  std::uint8_t identify[512];
  if (IsBridgedBus(r_.busType)) {
    if (!Probe(kBridgedProbes, identify)) {
      Logf("ATA_IDENTIFY_DEVICE failed.");
      return false;
    }
    const bool smart = (Word(identify, 82) & 1) != 0;
    r_.version = DriverVersionBlock{};
    r_.version.version = 1;
    r_.version.revision = 1;
    r_.version.capabilities = 1u | (smart ? 4u : 0u);
    r_.versionSet = true;
    Logf(smart ? "ATA_IDENTIFY_DEVICE: SMART supported." : "ATA_IDENTIFY_DEVICE: SMART unsupported.");
  } else if (IsNvmeBus(r_.busType)) {
    if (!Probe(kNvmeProbes, identify)) {
      Logf("ATA_IDENTIFY_DEVICE failed.");
      return false;
    }
    Logf("Device model: %s", Field(identify + 24, 40).c_str());
    Logf("Serial number: : %s", Field(identify + 4, 20).c_str());
    Logf("Firmware revision: : %s", Field(identify + 64, 8).c_str());
    Logf("Version: %d.%d", identify[82], identify[81]);
    r_.version = DriverVersionBlock{};
    r_.version.version = 1;
    r_.version.revision = 1;
    r_.version.capabilities = 5;
    r_.versionSet = true;
  }
  return true;
}

void WorkerRun::LogAtaLevels() {
  const std::uint16_t major = Word(r_.identify, 80);
  if ((major & 0x100) != 0) return;
  Logf("ATA_IDENTIFY_DEVICE: Warning - ATA8 not supported.");
  Logf("ATA7 supported: %s", YesNo((major & 0x80) != 0));
  Logf("ATA6 supported: %s", YesNo((major & 0x40) != 0));
  Logf("ATA5 supported: %s", YesNo((major & 0x20) != 0));
  Logf("ATA4 supported: %s", YesNo((major & 0x10) != 0));
}

void WorkerRun::StoreIdentify(bool ok, bool nvme) {
  if (ok) {
    Logf("TempDbg: DoIdentify done");
    if (!nvme) LogAtaLevels();
    r_.identifyRead = true;
    r_.nvme = nvme;
    Logf("Identify command succeeded.");
  } else {
    Logf("Identify command failed.");
  }
}

void WorkerRun::AcquireBridged() {
  const int bridge = r_.bridgeType;
  bool enabled = false;
  if (bridge >= kBridgeSat && bridge <= kBridgeSunplus) {
    enabled = AtaBridgeCommand(bridge, r_.handle, kSmartEnable, 0, 0, 0, nullptr, nullptr, nullptr,
                               nullptr) != 0;
  } else if (bridge >= kBridgeJms583 && bridge <= kBridgeAsm2362) {
    enabled = true;
    r_.nvme = true;
  } else {
    Logf("We should not reach this point...");
  }
  Logf(enabled ? "Device is SMART enabled." : "SMART enable failed.");
  if (TimedOut()) return;

  bool identified = enabled;
  if ((bridge >= kBridgeSat && bridge <= kBridgeSunplus) ||
      (bridge >= kBridgeJms583 && bridge <= kBridgeAsm2362)) {
    identified = IdentifyOver(bridge, r_.handle, r_.identify);
  } else {
    Logf("We should not reach this point...");
  }
  StoreIdentify(identified, IsNvmeBridge(bridge));
  if (TimedOut()) return;
  r_.smartRead = ReadSMARTData(r_.handle, r_.busType, bridge, r_.device, r_.smart, r_.thresholds) != 0;
}

void WorkerRun::AcquireNvme() {
  bool identified = false;
  for (std::size_t i = 0; i < std::size(kNvmeProbes) && !identified; ++i) {
    if (i > 0 && !BudgetLeft()) break;
    if (IdentifyOver(kNvmeProbes[i].bridgeType, r_.handle, r_.identify)) {
      r_.bridgeType = kNvmeProbes[i].bridgeType;
      Logf("%s", kNvmeProbes[i].successLine);
      identified = true;
    }
  }
  StoreIdentify(identified, true);
  if (TimedOut()) return;
  r_.smartRead = ReadSMARTData(r_.handle, r_.busType, r_.bridgeType, r_.device, r_.smart,
                               r_.thresholds) != 0;
}

void WorkerRun::AcquireNative() {
  const auto drive = static_cast<std::uint8_t>(r_.device);
  Logf("BusTypeAta / BusTypeSata - call DoEnableSMART");
  Logf("iDeviceId %d", r_.device);
  Logf(DoEnableSMART(r_.handle, drive) ? "Device is SMART enabled." : "SMART enable failed.");
  if (TimedOut()) return;
  Logf("Getting IDSECTOR and IDEREGS info for device #%d", r_.device);
  platform::wire::SmartCommandOutput reply{};
  std::uint32_t returned = 0;
  const bool identified = DoIdentifyNative(r_.handle, drive, &reply, &returned) != 0;
  if (identified) {
    std::memcpy(r_.identify, reply.buffer, sizeof r_.identify);
    Logf("TempDbg: DoIdentify done");
    Logf("TempDbg: dwBytesReturned: %d", static_cast<int>(returned));
    LogAtaLevels();
    r_.identifyRead = true;
    Logf("Identify command succeeded.");
  } else {
    Logf("Identify command failed.");
  }
  if (TimedOut()) return;
  r_.smartRead = ReadSMARTData(r_.handle, r_.busType, r_.bridgeType, r_.device, r_.smart,
                               r_.thresholds) != 0;
}

void WorkerRun::Run() {
  if (TimedOut()) return;
  r_.bridgeType = kBridgeNative;
  Logf("GetSMARTInfoThread Opened.");
  r_.opened.store(true);

  if (!ReadGeometry()) return;
  if (TimedOut()) return;
  ReadDescriptor();
  if (TimedOut()) return;
  ReadAddress();
  if (TimedOut()) return;

  Logf("  DeviceIoControl(DFP_GET_VERSION):\n");
  platform::wire::SmartVersionBlock version{};
  std::uint32_t returned = 0;
  if (DoGetSmartVersion(r_.handle, &version, &returned)) {
    static_assert(sizeof version == sizeof r_.version);
    std::memcpy(&r_.version, &version, sizeof version);
    r_.versionSet = true;
    Logf("DFP_GET_VERSION succeeded.");
    Logf("Version = %d, Revision = %d, Capabilities = 0x%lx, IDE Device Map = 0x%x, Bytes = %d",
         version.version, version.revision, static_cast<unsigned long>(version.capabilities),
         version.ideDeviceMap, static_cast<int>(returned));
    if (version.capabilities & 1) Logf("Device #%d supports ATA Command", r_.device);
    if (version.capabilities & 2) Logf("Device #%d supports ATAPI Command", r_.device);
    if (version.capabilities & 4) Logf("Device #%d supports SMART Command", r_.device);
  } else {
    Logf("DFP_GET_VERSION failed.");
    if (TimedOut()) return;
    if (!ProbeTransport()) return;
  }

  Logf("Detecting SMART...");
  if (IsBridgedBus(r_.busType))
    AcquireBridged();
  else if (IsNvmeBus(r_.busType))
    AcquireNvme();
  else
    AcquireNative();
}

}  // namespace

AcquisitionWorker::~AcquisitionWorker() {
  if (handle != platform::kInvalidHandle && platform) platform->CloseDevice(handle);
}

void GetSMARTInfoThread(AcquisitionWorker& record) {
  if (!record.platform) return;
  if (record.device < 0 || record.device >= kMaxDevices) {
    Logf("GetSMARTInfoThread Error with SMART device id #%d (3)", record.device);
    return;
  }
  Logf("GetSMARTInfoThread Opening physical device #%d", record.device);
  WorkerRun run(record);
  if (OpenPhysicalDevice(*record.platform, record.device, true, &record.handle) != 0) {
    Logf("Couldn't open drive.");
    return;
  }
  run.Run();
}

}  // namespace hwscope
