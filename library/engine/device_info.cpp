// The exported 192-byte device info record, from the drive row (geometry,
// SCSI address, bus type) and the stored identify data.
#include <cstddef>
#include <cstring>

#include "engine/smart_info.h"

namespace hwscope {

static_assert(sizeof(HwscopeDeviceInfo) == 192);
static_assert(offsetof(HwscopeDeviceInfo, cylinders) == 8);
static_assert(offsetof(HwscopeDeviceInfo, physicalSectorSize) == 24);
static_assert(offsetof(HwscopeDeviceInfo, bufferSize) == 28);
static_assert(offsetof(HwscopeDeviceInfo, rotationRate) == 34);
static_assert(offsetof(HwscopeDeviceInfo, transportMajorVersion) == 38);
static_assert(offsetof(HwscopeDeviceInfo, userSectors) == 40);
static_assert(offsetof(HwscopeDeviceInfo, serialNumber) == 48);
static_assert(offsetof(HwscopeDeviceInfo, firmwareRevision) == 69);
static_assert(offsetof(HwscopeDeviceInfo, modelNumber) == 78);
static_assert(offsetof(HwscopeDeviceInfo, worldWideName) == 119);
static_assert(offsetof(HwscopeDeviceInfo, smartSupported) == 127);
static_assert(offsetof(HwscopeDeviceInfo, pioModesSupported) == 139);
static_assert(offsetof(HwscopeDeviceInfo, serialAta) == 140);
static_assert(offsetof(HwscopeDeviceInfo, sataCapabilities) == 142);
static_assert(offsetof(HwscopeDeviceInfo, sataFeaturesEnabled) == 146);
static_assert(offsetof(HwscopeDeviceInfo, trustedComputing) == 148);
static_assert(offsetof(HwscopeDeviceInfo, apmLevel) == 167);
static_assert(offsetof(HwscopeDeviceInfo, word87Bit3) == 172);
static_assert(offsetof(HwscopeDeviceInfo, trimSupported) == 181);
static_assert(offsetof(HwscopeDeviceInfo, sctSupported) == 182);
static_assert(offsetof(HwscopeDeviceInfo, word214Bit1) == 186);

namespace {

class IdentifyWords {
 public:
  explicit IdentifyWords(const std::uint8_t* data) : data_(data) {}
  std::uint16_t W(int n) const {
    return static_cast<std::uint16_t>(data_[2 * n] | (data_[2 * n + 1] << 8));
  }
  std::uint8_t Bit(int n, int bit) const { return static_cast<std::uint8_t>((W(n) >> bit) & 1); }

 private:
  const std::uint8_t* data_;
};

void FillAta(HwscopeDeviceInfo* r, const std::uint8_t* id, std::uint32_t bytesPerSector) {
  const IdentifyWords w(id);
  r->physicalSectorSize = static_cast<std::uint16_t>(bytesPerSector << (w.W(106) & 0x0F));
  r->bufferSize = static_cast<std::uint32_t>(w.W(21)) * 512u;
  r->word22 = w.W(22);
  r->rotationRate = w.W(217);
  r->majorVersion = w.W(80);
  r->transportMajorVersion = w.W(222);
  const std::uint32_t sectors28 = w.W(60) | (static_cast<std::uint32_t>(w.W(61)) << 16);
  std::uint64_t sectors48 = 0;
  for (int i = 103; i >= 100; --i) sectors48 = (sectors48 << 16) | w.W(i);
  r->userSectors = sectors28 < 0x0FFFFFFFu ? sectors28 : sectors48;
  std::memcpy(r->serialNumber, id + 20, 20);
  std::memcpy(r->firmwareRevision, id + 46, 8);
  std::memcpy(r->modelNumber, id + 54, 40);
  for (int i = 0; i < 4; ++i) {
    const std::uint16_t word = w.W(108 + i);
    r->worldWideName[2 * i] = static_cast<std::uint8_t>(word >> 8);
    r->worldWideName[2 * i + 1] = static_cast<std::uint8_t>(word & 0xFF);
  }
  r->smartSupported = w.Bit(82, 0);
  r->smartEnabled = w.Bit(85, 0);
  r->selfTestSupported = w.Bit(84, 1);
  r->errorLogSupported = w.Bit(84, 0);
  r->lbaSupported = w.Bit(49, 9);
  r->iordySupported = w.Bit(49, 11);
  r->word69Bit15 = w.Bit(69, 15);
  r->dmaSupported = w.Bit(49, 8);
  r->multiwordDmaSupported = static_cast<std::uint8_t>(w.W(63) & 0x07);
  r->multiwordDmaSelected = static_cast<std::uint8_t>((w.W(63) >> 8) & 0x07);
  r->ultraDmaSupported = static_cast<std::uint8_t>(w.W(88) & 0x7F);
  r->ultraDmaSelected = static_cast<std::uint8_t>((w.W(88) >> 8) & 0x7F);
  r->pioModesSupported = static_cast<std::uint8_t>(w.W(64) & 0xFF);
  r->serialAta = w.W(76) != 0 && w.W(76) != 0xFFFF;
  r->sataCapabilities = w.W(76);
  r->sataFeaturesSupported = w.W(78);
  r->sataFeaturesEnabled = w.W(79);
  r->trustedComputing = w.Bit(48, 0);
  r->hpaSupported = w.Bit(82, 10);
  r->readLookAheadSupported = w.Bit(82, 6);
  r->readLookAheadEnabled = w.Bit(85, 6);
  r->writeCacheSupported = w.Bit(82, 5);
  r->writeCacheEnabled = w.Bit(85, 5);
  r->powerManagementSupported = w.Bit(82, 3);
  r->securitySupported = w.Bit(82, 1);
  r->securityEnabled = w.Bit(85, 1);
  r->dcoSupported = w.Bit(83, 11);
  r->lba48Supported = w.Bit(83, 10);
  r->aamSupported = w.Bit(83, 9);
  r->aamEnabled = w.Bit(86, 9);
  r->aamRecommended = static_cast<std::uint8_t>(w.W(94) >> 8);
  r->aamCurrent = static_cast<std::uint8_t>(w.W(94) & 0xFF);
  r->puisSupported = w.Bit(83, 5);
  r->puisEnabled = w.Bit(86, 5);
  r->apmSupported = w.Bit(83, 3);
  r->apmEnabled = w.Bit(86, 3);
  r->apmLevel = static_cast<std::uint8_t>(w.W(91) & 0xFF);
  r->cfaSupported = w.Bit(83, 2);
  r->gplSupported = w.Bit(84, 5);
  r->streamingSupported = w.Bit(84, 4);
  r->mediaCardSupported = w.Bit(84, 3);
  r->word87Bit3 = w.Bit(87, 3);
  r->epcSupported = w.Bit(119, 7);
  r->epcEnabled = w.Bit(120, 7);
  r->senseDataSupported = w.Bit(119, 6);
  r->senseDataEnabled = w.Bit(120, 6);
  r->freeFallSupported = w.Bit(119, 5);
  r->freeFallEnabled = w.Bit(120, 5);
  r->writeReadVerifySupported = w.Bit(119, 1);
  r->writeReadVerifyEnabled = w.Bit(120, 1);
  r->trimSupported = w.Bit(169, 0);
  r->sctSupported = w.Bit(206, 0);
  r->word214Bit4 = w.Bit(214, 4);
  r->word214Bit0 = w.Bit(214, 0);
  r->word214Bit1 = w.Bit(214, 1);
}

}  // namespace

int CSMARTInfo::GetDeviceInfo(HwscopeDeviceInfo* record, int device) {
  const int valid = IsValidPhysicalDevice(device);
  if (valid != 0) return valid;
  if (record == nullptr) return HWSCOPE_E_BUFFER;
  const int row = FindDriveRow(device);
  if (row < 0 || row >= kMaxDriveRows) return HWSCOPE_E_BAD_DEVICE;
  const DriveRow& d = drives[row];
  const std::uint8_t* id = devices[device].identify;

  std::memset(record, 0, sizeof *record);
  record->scsiPathId = d.scsiAddress[1];
  record->scsiTargetId = d.scsiAddress[2];
  record->scsiLun = d.scsiAddress[3];
  record->busType = static_cast<std::uint8_t>(d.busType & 0xFF);
  record->cylinders = d.cylinders;
  record->bytesPerSector = static_cast<std::uint16_t>(d.bytesPerSector);
  record->sectorsPerTrack = static_cast<std::uint16_t>(d.sectorsPerTrack);
  record->tracksPerCylinder = static_cast<std::uint16_t>(d.tracksPerCylinder);
  record->logicalSectorSize = static_cast<std::uint16_t>(d.bytesPerSector);

  if (IsNvmeBridge(d.bridgeType)) {
    record->physicalSectorSize = static_cast<std::uint16_t>(d.bytesPerSector);
    record->rotationRate = 1;  // non-rotating
    std::memcpy(record->serialNumber, id + 4, 20);
    std::memcpy(record->firmwareRevision, id + 64, 8);
    std::memcpy(record->modelNumber, id + 24, 40);
    return 0;
  }
  FillAta(record, id, d.bytesPerSector);
  return 0;
}

}  // namespace hwscope
