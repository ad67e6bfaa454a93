// Device control codes and the request/reply buffers that travel with them.
// The structures are laid out as the Windows x86-64 ABI lays out the storage
// driver structures of the same purpose (natural alignment, 8-byte pointers):
// the library builds these bytes, a backend interprets them. Every offset
// that a peer relies on is pinned by a static_assert.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::wire {

// ---- control codes -------------------------------------------------------
inline constexpr std::uint32_t kSmartGetVersion = 0x00074080;
inline constexpr std::uint32_t kSmartSendDriveCommand = 0x0007C084;
inline constexpr std::uint32_t kSmartRcvDriveData = 0x0007C088;
inline constexpr std::uint32_t kAtaPassThrough = 0x0004D02C;
inline constexpr std::uint32_t kAtaPassThroughDirect = 0x0004D030;
inline constexpr std::uint32_t kScsiPassThrough = 0x0004D004;
inline constexpr std::uint32_t kScsiPassThroughDirect = 0x0004D014;
inline constexpr std::uint32_t kScsiGetAddress = 0x00041018;
inline constexpr std::uint32_t kScsiMiniport = 0x0004D008;
inline constexpr std::uint32_t kStorageQueryProperty = 0x002D1400;
inline constexpr std::uint32_t kDiskGetDriveGeometry = 0x00070000;
inline constexpr std::uint32_t kDiskGetDriveGeometryEx = 0x000700A0;
inline constexpr std::uint32_t kStorageCheckVerify = 0x002D4800;
inline constexpr std::uint32_t kVolumeGetVolumeDiskExtents = 0x00560000;

// Error returned with a partial volume extent reply.
inline constexpr std::uint32_t kErrorMoreData = 234;

// ---- ATA registers -------------------------------------------------------
// Eight task-file bytes as the native SMART and ATA pass-through blocks carry
// them: features (error on return), count, LBA low, mid, high, device,
// command (status on return), reserved.
struct AtaRegisters {
  std::uint8_t features;
  std::uint8_t count;
  std::uint8_t lbaLow;
  std::uint8_t lbaMid;
  std::uint8_t lbaHigh;
  std::uint8_t device;
  std::uint8_t command;
  std::uint8_t reserved;
};
static_assert(sizeof(AtaRegisters) == 8);

// ---- native SMART requests ----------------------------------------------
struct SmartVersionBlock {  // SMART get version reply
  std::uint8_t version;
  std::uint8_t revision;
  std::uint8_t reserved;
  std::uint8_t ideDeviceMap;
  std::uint32_t capabilities;  // 1 ATA, 2 ATAPI, 4 SMART
  std::uint32_t reserved2[4];
};
static_assert(sizeof(SmartVersionBlock) == 24);

#pragma pack(push, 1)
struct SmartCommandInput {  // send / receive input, 32 bytes passed
  std::uint32_t bufferSize;
  AtaRegisters regs;
  std::uint8_t driveNumber;
  std::uint8_t reserved[3];
  std::uint32_t reserved2[4];
  std::uint8_t buffer[1];
};
static_assert(offsetof(SmartCommandInput, regs) == 4);
static_assert(offsetof(SmartCommandInput, driveNumber) == 12);
static_assert(offsetof(SmartCommandInput, buffer) == 32);
inline constexpr std::uint32_t kSmartCommandInputSize = 32;

struct SmartDriverStatus {
  std::uint8_t driverError;
  std::uint8_t ideError;
  std::uint8_t reserved[2];
  std::uint32_t reserved2[2];
};
static_assert(sizeof(SmartDriverStatus) == 12);

struct SmartCommandOutput {  // send / receive output: status then data
  std::uint32_t bufferSize;
  SmartDriverStatus status;
  std::uint8_t buffer[512];
};
#pragma pack(pop)
static_assert(offsetof(SmartCommandOutput, buffer) == 16);
static_assert(sizeof(SmartCommandOutput) == 528);
inline constexpr std::uint32_t kSmartOutputHeaderSize = 16;

// Driver error codes of the native SMART status block.
inline constexpr std::uint8_t kSmartNoError = 0;
inline constexpr std::uint8_t kSmartIdeError = 1;
inline constexpr std::uint8_t kSmartInvalidFlag = 2;
inline constexpr std::uint8_t kSmartInvalidCommand = 3;
inline constexpr std::uint8_t kSmartInvalidBuffer = 4;
inline constexpr std::uint8_t kSmartInvalidDrive = 5;

// ---- ATA pass-through ----------------------------------------------------
inline constexpr std::uint16_t kAtaFlagDrdyRequired = 1;
inline constexpr std::uint16_t kAtaFlagDataIn = 2;
inline constexpr std::uint16_t kAtaFlagDataOut = 4;
inline constexpr std::uint16_t kAtaFlag48Bit = 8;
inline constexpr std::uint16_t kAtaFlagUseDma = 16;

struct AtaPassThroughEx {  // buffered form: data at dataBufferOffset
  std::uint16_t length;    // sizeof(AtaPassThroughEx)
  std::uint16_t ataFlags;
  std::uint8_t pathId;
  std::uint8_t targetId;
  std::uint8_t lun;
  std::uint8_t reserved;
  std::uint32_t dataTransferLength;
  std::uint32_t timeOutValue;  // seconds
  std::uint32_t reserved2;
  std::uint64_t dataBufferOffset;
  AtaRegisters previousTaskFile;
  AtaRegisters currentTaskFile;
};
static_assert(offsetof(AtaPassThroughEx, dataTransferLength) == 8);
static_assert(offsetof(AtaPassThroughEx, timeOutValue) == 12);
static_assert(offsetof(AtaPassThroughEx, dataBufferOffset) == 24);
static_assert(offsetof(AtaPassThroughEx, previousTaskFile) == 32);
static_assert(offsetof(AtaPassThroughEx, currentTaskFile) == 40);
static_assert(sizeof(AtaPassThroughEx) == 48);

struct AtaPassThroughDirect {  // direct form: data at a caller pointer
  std::uint16_t length;        // sizeof(AtaPassThroughDirect)
  std::uint16_t ataFlags;
  std::uint8_t pathId;
  std::uint8_t targetId;
  std::uint8_t lun;
  std::uint8_t reserved;
  std::uint32_t dataTransferLength;
  std::uint32_t timeOutValue;
  std::uint32_t reserved2;
  void* dataBuffer;
  AtaRegisters previousTaskFile;
  AtaRegisters currentTaskFile;
};
static_assert(offsetof(AtaPassThroughDirect, dataBuffer) == 24);
static_assert(offsetof(AtaPassThroughDirect, previousTaskFile) == 32);
static_assert(offsetof(AtaPassThroughDirect, currentTaskFile) == 40);
static_assert(sizeof(AtaPassThroughDirect) == 48);

struct AtaPassThroughWithBuffer {  // buffered request with one sector
  AtaPassThroughEx apt;
  std::uint32_t filler;
  std::uint8_t data[512];
};
static_assert(offsetof(AtaPassThroughWithBuffer, data) == 52);
static_assert(sizeof(AtaPassThroughWithBuffer) == 568);

struct AtaPassThroughDirectWithBuffer {  // direct request whose data follows it
  AtaPassThroughDirect apt;
  std::uint8_t data[512];
};
static_assert(offsetof(AtaPassThroughDirectWithBuffer, data) == 48);
static_assert(sizeof(AtaPassThroughDirectWithBuffer) == 560);

// ---- SCSI pass-through ---------------------------------------------------
inline constexpr std::uint8_t kScsiDataOut = 0;
inline constexpr std::uint8_t kScsiDataIn = 1;
inline constexpr std::uint8_t kScsiDataUnspecified = 2;
inline constexpr std::uint8_t kScsiStatusGood = 0x00;
inline constexpr std::uint8_t kScsiStatusCheckCondition = 0x02;

struct ScsiPassThrough {  // buffered form: sense and data inside the block
  std::uint16_t length;   // sizeof(ScsiPassThrough)
  std::uint8_t scsiStatus;
  std::uint8_t pathId;
  std::uint8_t targetId;
  std::uint8_t lun;
  std::uint8_t cdbLength;
  std::uint8_t senseInfoLength;
  std::uint8_t dataIn;
  std::uint32_t dataTransferLength;
  std::uint32_t timeOutValue;
  std::uint64_t dataBufferOffset;
  std::uint32_t senseInfoOffset;
  std::uint8_t cdb[16];
};
static_assert(offsetof(ScsiPassThrough, dataIn) == 8);
static_assert(offsetof(ScsiPassThrough, dataTransferLength) == 12);
static_assert(offsetof(ScsiPassThrough, timeOutValue) == 16);
static_assert(offsetof(ScsiPassThrough, dataBufferOffset) == 24);
static_assert(offsetof(ScsiPassThrough, senseInfoOffset) == 32);
static_assert(offsetof(ScsiPassThrough, cdb) == 36);
static_assert(sizeof(ScsiPassThrough) == 56);

struct ScsiPassThroughDirect {
  std::uint16_t length;  // sizeof(ScsiPassThroughDirect)
  std::uint8_t scsiStatus;
  std::uint8_t pathId;
  std::uint8_t targetId;
  std::uint8_t lun;
  std::uint8_t cdbLength;
  std::uint8_t senseInfoLength;
  std::uint8_t dataIn;
  std::uint32_t dataTransferLength;
  std::uint32_t timeOutValue;
  void* dataBuffer;
  std::uint32_t senseInfoOffset;
  std::uint8_t cdb[16];
};
static_assert(offsetof(ScsiPassThroughDirect, dataBuffer) == 24);
static_assert(offsetof(ScsiPassThroughDirect, senseInfoOffset) == 32);
static_assert(offsetof(ScsiPassThroughDirect, cdb) == 36);
static_assert(sizeof(ScsiPassThroughDirect) == 56);

// SAT and the ATA bridges: filler, 32 sense bytes, data. The device control
// size is kSptDataOffset plus the data transfer length.
struct ScsiPassThroughWithBuffers {
  ScsiPassThrough spt;
  std::uint32_t filler;
  std::uint8_t sense[32];
  std::uint8_t data[4096];
};
static_assert(offsetof(ScsiPassThroughWithBuffers, sense) == 60);
static_assert(offsetof(ScsiPassThroughWithBuffers, data) == 92);
inline constexpr std::uint32_t kSptSenseOffset = 60;
inline constexpr std::uint32_t kSptSenseLength = 32;
inline constexpr std::uint32_t kSptDataOffset = 92;

// Samsung NVMe and JMS583: 24 sense bytes right after the block, then data.
struct ScsiPassThroughShortSense {
  ScsiPassThrough spt;
  std::uint8_t sense[24];
  std::uint8_t data[4096];
};
static_assert(offsetof(ScsiPassThroughShortSense, sense) == 56);
static_assert(offsetof(ScsiPassThroughShortSense, data) == 80);
inline constexpr std::uint32_t kSptShortSenseOffset = 56;
inline constexpr std::uint32_t kSptShortSenseLength = 24;
inline constexpr std::uint32_t kSptShortDataOffset = 80;

struct ScsiPassThroughDirectWithSense {
  ScsiPassThroughDirect sptd;
  std::uint32_t filler;
  std::uint8_t sense[32];
};
static_assert(offsetof(ScsiPassThroughDirectWithSense, sense) == 60);
static_assert(sizeof(ScsiPassThroughDirectWithSense) == 96);

// ---- SCSI address --------------------------------------------------------
struct ScsiAddress {
  std::uint32_t length;  // 8
  std::uint8_t portNumber;
  std::uint8_t pathId;
  std::uint8_t targetId;
  std::uint8_t lun;
};
static_assert(sizeof(ScsiAddress) == 8);

// ---- SCSI miniport: NVMe pass-through ------------------------------------
struct SrbIoControl {
  std::uint32_t headerLength;  // 28
  std::uint8_t signature[8];   // "NvmeMini"
  std::uint32_t timeout;       // seconds
  std::uint32_t controlCode;
  std::uint32_t returnCode;
  std::uint32_t length;  // bytes after the header
};
static_assert(sizeof(SrbIoControl) == 28);

inline constexpr char kNvmeMiniportSignature[8] = {'N', 'v', 'm', 'e', 'M', 'i', 'n', 'i'};
inline constexpr std::uint32_t kNvmePassThroughControlCode = 0xE0002000;
inline constexpr std::uint32_t kNvmeFromDevice = 2;  // direction
inline constexpr std::uint32_t kNvmeToDevice = 1;

struct NvmePassThroughIoctl {
  SrbIoControl srb;
  std::uint32_t vendorSpecific[6];
  std::uint32_t command[16];     // submission queue entry
  std::uint32_t completion[4];   // completion queue entry
  std::uint32_t direction;
  std::uint32_t queueId;         // 0 admin
  std::uint32_t dataBufferLength;
  std::uint32_t metaDataLength;
  std::uint32_t returnBufferLength;
  std::uint8_t data[4096];
};
static_assert(offsetof(NvmePassThroughIoctl, command) == 52);
static_assert(offsetof(NvmePassThroughIoctl, completion) == 116);
static_assert(offsetof(NvmePassThroughIoctl, direction) == 132);
static_assert(offsetof(NvmePassThroughIoctl, returnBufferLength) == 148);
static_assert(offsetof(NvmePassThroughIoctl, data) == 152);
static_assert(sizeof(NvmePassThroughIoctl) == 4248);

// ---- storage query property ----------------------------------------------
inline constexpr std::uint32_t kStorageDeviceProperty = 0;
inline constexpr std::uint32_t kStorageAdapterProtocolSpecificProperty = 49;
inline constexpr std::uint32_t kStorageDeviceProtocolSpecificProperty = 50;
inline constexpr std::uint32_t kPropertyStandardQuery = 0;
inline constexpr std::uint32_t kPropertyExistsQuery = 1;
inline constexpr std::uint32_t kProtocolTypeNvme = 3;
inline constexpr std::uint32_t kNvmeDataTypeIdentify = 1;
inline constexpr std::uint32_t kNvmeDataTypeLogPage = 2;

struct StoragePropertyQuery {  // device descriptor request, 12 bytes
  std::uint32_t propertyId;
  std::uint32_t queryType;
  std::uint8_t additionalParameters[4];
};
static_assert(sizeof(StoragePropertyQuery) == 12);

struct StorageDeviceDescriptor {
  std::uint32_t version;
  std::uint32_t size;
  std::uint8_t deviceType;
  std::uint8_t deviceTypeModifier;
  std::uint8_t removableMedia;
  std::uint8_t commandQueueing;
  std::uint32_t vendorIdOffset;
  std::uint32_t productIdOffset;
  std::uint32_t productRevisionOffset;
  std::uint32_t serialNumberOffset;
  std::uint32_t busType;
  std::uint32_t rawPropertiesLength;
  std::uint8_t rawDeviceProperties[4];
};
static_assert(offsetof(StorageDeviceDescriptor, vendorIdOffset) == 12);
static_assert(offsetof(StorageDeviceDescriptor, busType) == 28);
static_assert(offsetof(StorageDeviceDescriptor, rawDeviceProperties) == 36);
static_assert(sizeof(StorageDeviceDescriptor) == 40);
inline constexpr std::uint32_t kDeviceDescriptorReplySize = 256;

struct StorageProtocolSpecificData {
  std::uint32_t protocolType;
  std::uint32_t dataType;
  std::uint32_t requestValue;
  std::uint32_t requestSubValue;
  std::uint32_t dataOffset;  // from the start of this structure
  std::uint32_t dataLength;
  std::uint32_t fixedProtocolReturnData;
  std::uint32_t requestSubValue2;
  std::uint32_t requestSubValue3;
  std::uint32_t reserved;
};
static_assert(sizeof(StorageProtocolSpecificData) == 40);

// Request and reply of the NVMe protocol-specific query (4144 bytes). In the
// reply the first eight bytes are the descriptor's version and size.
struct StorageProtocolQuery {
  std::uint32_t propertyId;  // or, in the reply, descriptor version
  std::uint32_t queryType;   // or, in the reply, descriptor size
  StorageProtocolSpecificData specific;
  std::uint8_t data[4096];
};
static_assert(offsetof(StorageProtocolQuery, specific) == 8);
static_assert(offsetof(StorageProtocolQuery, data) == 48);
static_assert(sizeof(StorageProtocolQuery) == 4144);

// ---- disk geometry -------------------------------------------------------
inline constexpr std::uint32_t kMediaFixed = 12;
inline constexpr std::uint32_t kMediaRemovable = 11;

struct DiskGeometry {
  std::int64_t cylinders;
  std::uint32_t mediaType;
  std::uint32_t tracksPerCylinder;
  std::uint32_t sectorsPerTrack;
  std::uint32_t bytesPerSector;
};
static_assert(sizeof(DiskGeometry) == 24);

struct DiskGeometryEx {
  DiskGeometry geometry;
  std::int64_t diskSize;
  std::uint8_t data[8];
};
static_assert(offsetof(DiskGeometryEx, diskSize) == 24);
static_assert(sizeof(DiskGeometryEx) == 40);

// ---- volume disk extents -------------------------------------------------
struct DiskExtent {
  std::uint32_t diskNumber;
  std::int64_t startingOffset;
  std::int64_t extentLength;
};
static_assert(offsetof(DiskExtent, startingOffset) == 8);
static_assert(sizeof(DiskExtent) == 24);

struct VolumeDiskExtents {  // header of a reply of any size
  std::uint32_t numberOfDiskExtents;
  DiskExtent extents[1];
};
static_assert(offsetof(VolumeDiskExtents, extents) == 8);
static_assert(sizeof(VolumeDiskExtents) == 32);
inline constexpr std::uint32_t kVolumeExtentsReplySize = 3200;

// ---- storage bus types ---------------------------------------------------
enum BusType : std::uint32_t {
  kBusUnknown = 0,
  kBusScsi = 1,
  kBusAtapi = 2,
  kBusAta = 3,
  kBus1394 = 4,
  kBusSsa = 5,
  kBusFibre = 6,
  kBusUsb = 7,
  kBusRaid = 8,
  kBusIscsi = 9,
  kBusSas = 10,
  kBusSata = 11,
  kBusSd = 12,
  kBusMmc = 13,
  kBusVirtual = 14,
  kBusFileBackedVirtual = 15,
  kBusSpaces = 16,
  kBusNvme = 17,
};

// ---- SCSI/ATA translation sense ------------------------------------------
// Descriptor-format sense with one ATA status return descriptor (32 bytes
// reserved for it in the return-register block).
inline constexpr std::uint8_t kSenseDescriptorCurrent = 0x72;
inline constexpr std::uint8_t kSenseKeyRecoveredError = 0x01;
inline constexpr std::uint8_t kSenseKeyIllegalRequest = 0x05;
inline constexpr std::uint8_t kSenseKeyAbortedCommand = 0x0B;
inline constexpr std::uint8_t kAscqAtaInformationAvailable = 0x1D;
inline constexpr std::uint8_t kAtaStatusDescriptor = 0x09;
inline constexpr std::uint32_t kReturnRegisterBlockSize = 32;

}  // namespace platform::wire
