// CSMARTInfo: the engine behind the exports. It owns every device record,
// the drive table, the device lists and the open device handles. Its
// operations are implemented by concern in the library's subfolders:
//   engine/      construction, device records and queries, decoding
//   naming/      attribute names and drive families
//   enumeration/ drive table, volume-to-disk mapping, validity checks
//   transport/   the request formats of every way to reach a drive
//   acquisition/ reading every drive, refresh, InitVars
//   history/     threshold-exceeded history file
//   estimation/  threshold date estimation
//   commands/    self-test, max address, configuration overlay, sectors
//   report/      drive report export
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "hwscope/hwscope.h"
#include "platform/platform.h"

namespace hwscope {

inline constexpr int kMaxDevices = 100;    // PhysicalDrive0..99
inline constexpr int kMaxDriveRows = 126;  // A:..Z: then disks without a volume
inline constexpr int kFirstDiskRow = 26;
inline constexpr int kMaxAttributes = 30;
inline constexpr int kNvmeAttributes = 15;
inline constexpr int kMaxVolumesPerRow = 26;

// Bridge types: how a drive is reached.
enum BridgeType : int {
  kBridgeNone = -1,
  kBridgeNative = 0,
  kBridgeSat = 1,
  kBridgeCypress = 2,
  kBridgeJMicron = 3,
  kBridgeSunplus = 4,
  kBridgeNvmeSamsung = 5,
  kBridgeMiniportSamsung = 6,
  kBridgeMiniportIntel = 7,
  kBridgeStorageQuery = 8,
  kBridgeJms583 = 9,
  kBridgeRtl9210 = 10,
  kBridgeAsm2362 = 11,
};
inline bool IsNvmeBridge(int bridge) { return bridge >= kBridgeNvmeSamsung && bridge <= kBridgeAsm2362; }

// The SMART version block (24 bytes) of the native SMART interface.
#pragma pack(push, 1)
struct DriverVersionBlock {
  std::uint8_t version;
  std::uint8_t revision;
  std::uint8_t reserved;
  std::uint8_t ideDeviceMap;
  std::uint32_t capabilities;  // 1 ATA, 2 ATAPI, 4 SMART
  std::uint32_t reserved2[4];
};
#pragma pack(pop)
static_assert(sizeof(DriverVersionBlock) == 24);

struct AttributeRecord {
  wchar_t name[128] = {};
  // ATA: the 12-byte SMART entry verbatim plus 4 zero bytes. NVMe: the value,
  // little-endian, 1, 2 or 16 bytes.
  std::uint8_t value[16] = {};
  std::uint32_t nvme = 0;          // 1 for NVMe pseudo-attributes
  std::uint8_t threshold[12] = {};  // ATA: the threshold entry at the same position

  std::uint8_t Id() const { return value[0]; }
  std::uint16_t Flags() const { return static_cast<std::uint16_t>(value[1] | (value[2] << 8)); }
  std::uint8_t Current() const { return value[3]; }
  std::uint8_t Worst() const { return value[4]; }
  std::uint64_t Raw48() const {
    std::uint64_t r = 0;
    for (int i = 5; i >= 0; --i) r = (r << 8) | value[5 + i];
    return r;
  }
  std::uint8_t Threshold() const { return threshold[1]; }
};

struct DriveRow {
  std::uint8_t present = 0;
  std::int32_t smartRow = -1;
  std::int32_t smartCapable = 0;
  std::int32_t driveType = -1;
  wchar_t driveLetter = 0;
  std::int32_t physicalCount = 0;
  std::int32_t physicalList[kMaxDevices];
  std::uint8_t covered = 0;
  std::int32_t detectedOrdinal = 0;
  std::int32_t busType = -1;
  std::int32_t bridgeType = kBridgeNone;
  std::uint64_t capacity = ~0ull;
  std::uint64_t cylinders = 0;
  std::uint32_t tracksPerCylinder = 0;
  std::uint32_t sectorsPerTrack = 0;
  std::uint32_t bytesPerSector = 0;
  std::uint8_t scsiAddress[4] = {};  // port, path, target, lun
  std::int32_t volumeCount = 0;
  std::int32_t volumeList[kMaxVolumesPerRow] = {};
  wchar_t volumeLetters[kMaxVolumesPerRow] = {};
  std::uint64_t volumeSizes[kMaxVolumesPerRow] = {};

  DriveRow() {
    for (auto& p : physicalList) p = -1;
  }
  void Reset() { *this = DriveRow(); }
};

struct DeviceState {
  platform::Handle handle = platform::kInvalidHandle;
  DriverVersionBlock version{};
  std::uint8_t identify[512] = {};
  std::int16_t smartRevision = 0;
  std::int16_t thresholdRevision = 0;
  std::int32_t attributeCount = 0;
  AttributeRecord attributes[kMaxAttributes];
  std::list<AttributeRecord> attributeList;
  std::list<AttributeRecord>::iterator attributeIter;
  bool attributeIterValid = false;
  std::uint8_t selfTestStatus[15] = {};
  std::uint8_t legacyPresent = 0;
  std::uint8_t legacySmart = 0;
};

struct VolumeMapping;      // enumeration/volume_mapping.h
struct AcquisitionWorker;  // acquisition/device_worker.h

class CSMARTInfo {
 public:
  CSMARTInfo();
  ~CSMARTInfo();
  CSMARTInfo(const CSMARTInfo&) = delete;
  CSMARTInfo& operator=(const CSMARTInfo&) = delete;

  // ---- engine/: device records, queries and decoding ------------------
  int GetDeviceSerialNumber(wchar_t* buf, unsigned* bufLen, int device);
  int GetDeviceModelNumber(wchar_t* buf, int* bufLen, int device);
  int GetDeviceFirmWareRev(wchar_t* buf, int* bufLen, int device);
  int GetDeviceInfo(HwscopeDeviceInfo* record, int device);
  int GetDeviceInterface(wchar_t* name, int* nameLen, bool* solidState, int device);
  int GetDeviceCapacity(unsigned* megabytes, int device);
  int GetNumSmartAttr(int device);
  int GetSmartAttributeIDFirst(int device);
  int GetSmartAttributeIDNext(int device);
  int GetSmartAttributeByID(void* out, int* outLen, int attrId, int valueKind, int device);
  // Decoding of 512-byte buffers into the device's records.
  void FormatIdInfo(const std::uint8_t* identify, int device, int row,
                    std::uint32_t enabledBitmap = 0);
  void FormatNVMeIdInfo(const std::uint8_t* identify, int device, int row);
  bool FormatAttributeData(const std::uint8_t* smart, const std::uint8_t* thresholds, int device,
                           int refresh);
  bool FormatNVMEAttributeData(const std::uint8_t* healthLog, int device, int refresh);

  // ---- naming/ ---------------------------------------------------------
  int GetAttrDescByID(wchar_t* name, unsigned* nameLen, int attrId, int device);

  // ---- enumeration/ ------------------------------------------------------
  int BuildDrivesInfo(int flag);
  int IsValidPhysicalDevice(int device);
  int IsValidSmartDevice(int device);
  int FindDriveRow(int device) const;  // the device lookup: SMART row or -1
  int GetDeviceIDFromDriveNum(unsigned driveNumber);
  int GetDriveLetterFromDriveNum(wchar_t* letter, int driveNumber);
  int GetVolumeCapacity(int* megabytes, int driveNumber);
  int GetDevicePartitionInfo(int* driveNumbers, int* count, int device);
  int GetNumDetectedDrives();
  int GetPhysicalDeviceIDFirst();
  int GetPhysicalDeviceIDNext();
  // Maps one drive letter to device numbers on a worker bounded by the init
  // timeout; 0, 234 (more extents than the reply holds), -1 or the worker's code.
  int GetPhysicalDeviceID(wchar_t letter, int* count, int* ids, int capacity);

  // ---- acquisition/ ------------------------------------------------------
  void InitVars();
  int AcquireAll();  // reads every drive of the table
  int RefreshSmartAttributes(int device);
  int GetNumSmartDevices();
  int GetSmartDeviceIDFirst();
  int GetSmartDeviceIDNext();
  // Opens "\\.\PhysicalDrive%d" into the device's handle slot unless open.
  int OpenSMARTNT(int device, bool logFailure);
  int GetSMARTInfoNT(int flag);

  // ---- history/ and estimation/ -----------------------------------------
  int RecordTECData(int device);
  int GetTECDataSetCount(int* count, int device);
  int GetTECDataAtIndex(long long* time, int* value, int* worst, unsigned long long* raw,
                        int setIndex, int attrId, int device);
  int ExportTECData(long long* times, int* values, int* worsts, unsigned long long* raws,
                    unsigned* count, int attrId, int device);
  int EstimateTECByAttributeID(long long* first, long long* second, int attrId, int device);
  int EstimateTEC(long long* earliest, long long* second, int* attrIdOut, int device);

  // ---- commands/ ---------------------------------------------------------
  int ExecuteSelfTest(int device, int testType);
  int GetMaxLBA(int device, unsigned* address);
  int GetMax28bitLBA(int device, unsigned* result);
  int SetMaxLBA(int device, unsigned addressLow, unsigned addressHigh);
  int GetDCOMaxLBA(int device, unsigned* address);
  int SetDCOMaxLBA(int device, unsigned addressLow, unsigned addressHigh);
  int RestoreDCO(int device);
  int ReadSectors(int device, unsigned addressLow, unsigned addressHigh, int sectorCount,
                  void* buffer);

  // ---- report/ -----------------------------------------------------------
  int ExportReport(const wchar_t* path, int device, const wchar_t* header, int writeHeader,
                   int options, int historyAttrId);

  // ---- state (public so that each concern's code and its tests reach it) --
  DeviceState devices[kMaxDevices];
  DriveRow drives[kMaxDriveRows];
  int smartDeviceCount = 0;
  int detectedDriveCount = 0;
  std::vector<int> smartDeviceIds;  // SMART device list, acquisition order
  std::size_t smartDeviceIter = 0;
  std::vector<int> physicalDeviceIds;  // physical device list
  std::size_t physicalDeviceIter = 0;
  // Worker records. A worker owns its record jointly with the engine and
  // writes nothing else, so one that overruns its budget can be left behind.
  std::shared_ptr<VolumeMapping> volumeMappings[26];
  std::shared_ptr<AcquisitionWorker> acquisitionWorkers[kMaxDevices];
};

}  // namespace hwscope
