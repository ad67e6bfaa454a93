#include "ui/device_info_rows.h"

#include "core/text_format.h"
#include "core/texts.h"
#include "ui/activity_counters.h"

namespace ui {

using appcore::FormatText;
using appcore::LocText;

namespace {

class RowBuilder {
 public:
  explicit RowBuilder(std::vector<InfoRow>* rows) : rows_(rows) {}
  void Row(sw::AppKey key, const std::wstring& value) { rows_->push_back({LocText(key), value}); }
  void Header(sw::AppKey key) { rows_->push_back({LocText(key), L""}); }
  void Indented(const std::wstring& name, const std::wstring& value) {
    rows_->push_back({FormatText(L"       %s", name), value});
  }
  void Flag(sw::AppKey key, bool on) { Row(key, LocText(on ? sw::MISC_YES : sw::MISC_NO)); }
  // Supported, then enabled only when supported.
  void Pair(sw::AppKey supported, bool isSupported, sw::AppKey enabled, bool isEnabled) {
    Flag(supported, isSupported);
    if (isSupported) Flag(enabled, isEnabled);
  }

 private:
  std::vector<InfoRow>* rows_;
};

std::wstring Number(unsigned long long v) { return std::to_wstring(v); }

void AddStandardsRows(RowBuilder& b, const HwscopeDeviceInfo& r) {
  b.Header(sw::DI_LIST_STANDARDS_COMPLIANCE);
  const sw::AppKey versions[] = {sw::DI_LIST_ATA8_ACS_SUPPORT, sw::DI_LIST_ATA_ATAPI7_SUPPORT,
                                 sw::DI_LIST_ATA_ATAPI6_SUPPORT, sw::DI_LIST_ATA_ATAPI5_SUPPORT,
                                 sw::DI_LIST_ATA_ATAPI4_SUPPORT};
  for (int i = 0; i < 5; ++i) b.Flag(versions[i], (r.majorVersion >> (8 - i)) & 1);
  b.Flag(sw::DI_LIST_SATA_COMPLIANCE, r.serialAta != 0);
  if (r.serialAta) {
    b.Flag(sw::DI_LIST_SATA_GEN3_SIGNALING_SUPPORTED, (r.sataCapabilities >> 3) & 1);
    b.Flag(sw::DI_LIST_SATA_GEN2_SIGNALING_SUPPORTED, (r.sataCapabilities >> 2) & 1);
    b.Flag(sw::DI_LIST_SATA_GEN1_SIGNALING_SUPPORTED, (r.sataCapabilities >> 1) & 1);
  }
  unsigned t = r.transportMajorVersion;
  if (t != 0 && t != 0xFFFF) {
    bool serial = (t >> 12) & 1;
    b.Row(sw::DI_LIST_TRANSPORT_TYPE, LocText(serial ? sw::MISC_SERIAL : sw::MISC_PARALLEL));
    if (serial) {
      const sw::AppKey keys[] = {sw::DI_LIST_SATA_3_0_COMP, sw::DI_LIST_SATA_2_6_COMP,
                                 sw::DI_LIST_SATA_2_5_COMP, sw::DI_LIST_SATA_II_COMP,
                                 sw::DI_LIST_SATA_1_0A_COMP, sw::DI_LIST_ATA8_AST_COMP};
      for (int i = 0; i < 6; ++i) b.Flag(keys[i], (t >> (5 - i)) & 1);
    } else {
      b.Flag(sw::DI_LIST_ATA_ATAPI7_COMP, (t >> 1) & 1);
      b.Flag(sw::DI_LIST_ATA8_APT_COMP, t & 1);
    }
  }
  std::wstring wwn;
  for (unsigned char byte : r.worldWideName) wwn += FormatText(L"%02X", static_cast<int>(byte));
  b.Row(sw::DI_LIST_WORLDWIDE_ID, wwn);
}

void AddFeatureRows(RowBuilder& b, const HwscopeDeviceInfo& r) {
  b.Header(sw::DI_LIST_FEATURE_SUPPORT);
  b.Pair(sw::DI_LIST_SMART_SUPPORT, r.smartSupported, sw::DI_LIST_SMART_ENABLE, r.smartEnabled);
  b.Flag(sw::DI_LIST_SMART_SELF_TEST_SUPPORT, r.selfTestSupported);
  b.Flag(sw::DI_LIST_SMART_ERROR_LOG_SUPPORT, r.errorLogSupported);
  b.Flag(sw::DI_LIST_IORDY_SUPPORT, r.iordySupported);
  b.Flag(sw::DI_LIST_CFAST_SUPPORT, r.word69Bit15);
  b.Flag(sw::DI_LIST_DMA_SUPPORT, r.dmaSupported);
  b.Row(sw::DI_LIST_MAX_MULTIWORD_SUPPORT, HighestModeText(r.multiwordDmaSupported, 3));
  b.Row(sw::DI_LIST_MAX_MULTIWORD_SELECTED, HighestModeText(r.multiwordDmaSelected, 3));
  b.Row(sw::DI_LIST_ULTRADMA_SUPPORT, HighestModeText(r.ultraDmaSupported, 7));
  b.Row(sw::DI_LIST_ULTRADMA_SELECTED, HighestModeText(r.ultraDmaSelected, 7));
  const wchar_t* pio = (r.pioModesSupported & 2) ? L"4" : (r.pioModesSupported & 1) ? L"3" : L"2";
  b.Row(sw::DI_LIST_MAX_PIO_MODE_SUPPORT, pio);
  b.Flag(sw::DI_LIST_TRUST_COMPUTE_SUPPORT, r.trustedComputing);
  b.Flag(sw::DI_LIST_HPA_SUPPORT, r.hpaSupported);
  b.Pair(sw::DI_LIST_READ_LOOK_AHEAD_SUPPORT, r.readLookAheadSupported,
         sw::DI_LIST_READ_LOOK_AHEAD_ENABLE, r.readLookAheadEnabled);
  b.Pair(sw::DI_LIST_WRITE_CACHE_SUPPORT, r.writeCacheSupported, sw::DI_LIST_WRITE_CACHE_ENABLE,
         r.writeCacheEnabled);
  b.Flag(sw::DI_LIST_POWER_MANAGE_SUPPORT, r.powerManagementSupported);
  b.Pair(sw::DI_LIST_SECURITY_MODE_SUPPORT, r.securitySupported,
         sw::DI_LIST_SECURITY_MODE_ENABLE, r.securityEnabled);
  b.Flag(sw::DI_LIST_DCO_SUPPORT, r.dcoSupported);
  b.Flag(sw::DI_LIST_48BIT_ADDRESS_SUPPORT, r.lba48Supported);
  b.Pair(sw::DI_LIST_AAM_SUPPORT, r.aamSupported, sw::DI_LIST_AAM_ENABLE, r.aamEnabled);
  if (r.aamSupported && r.aamEnabled) {
    b.Row(sw::DI_LIST_REC_AAM_LEVEL, AamLevelText(r.aamRecommended));
    b.Row(sw::DI_LIST_CURRENT_AAM_LEVEL, AamLevelText(r.aamCurrent));
  }
  b.Pair(sw::DI_LIST_PUIS_SUPPORT, r.puisSupported, sw::DI_LIST_PUIS_ENABLE, r.puisEnabled);
  b.Pair(sw::DI_LIST_APM_SUPPORT, r.apmSupported, sw::DI_LIST_APM_ENABLE, r.apmEnabled);
  if (r.apmSupported && r.apmEnabled) b.Row(sw::DI_LIST_CURRENT_APM_LEVEL, ApmLevelText(r.apmLevel));
  b.Flag(sw::DI_LIST_CFA_SUPPORT, r.cfaSupported);
  b.Flag(sw::DI_LIST_GPL_SUPPORT, r.gplSupported);
  b.Flag(sw::DI_LIST_STREAMING_SUPPORT, r.streamingSupported);
  b.Pair(sw::DI_LIST_MEDIA_CARD_PASS_THROUGH_SUPPORT, r.mediaCardSupported,
         sw::DI_LIST_MEDIA_CARD_PASS_THROUGH_ENABLE, r.word87Bit3);
  b.Pair(sw::DI_LIST_EXTENDED_POWER_SUPPORT, r.epcSupported, sw::DI_LIST_EXTENDED_POWER_ENABLE,
         r.epcEnabled);
  b.Pair(sw::DI_LIST_EXTENDED_STATUS_REPORT_SUPPORT, r.senseDataSupported,
         sw::DI_LIST_EXTENDED_STATUS_REPORT_ENABLE, r.senseDataEnabled);
  b.Pair(sw::DI_LIST_WRITE_READ_VERIFY_SUPPORT, r.writeReadVerifySupported,
         sw::DI_LIST_WRITE_READ_VERIFY_ENABLE, r.writeReadVerifyEnabled);
  b.Pair(sw::DI_LIST_FREE_FALL_SUPPORT, r.freeFallSupported, sw::DI_LIST_FREE_FALL_ENABLE,
         r.freeFallEnabled);
  b.Flag(sw::DI_LIST_TRIM_SUPPORT, r.trimSupported);
  b.Flag(sw::DI_LIST_SCT_SUPPORT, r.sctSupported & 1);
  b.Flag(sw::DI_LIST_NV_CACHE_ENABLE, r.word214Bit4);
  b.Pair(sw::DI_LIST_NV_CACHE_POWER_MAN_SUPPORT, r.word214Bit0,
         sw::DI_LIST_NV_CACHE_POWER_MAN_ENABLE, r.word214Bit1);
}

}  // namespace

std::wstring CapacityText(unsigned megabytes) {
  if (megabytes <= 1024) return FormatText(L"%d MB", megabytes);
  return FormatText(L"%.2f GB", megabytes / 1024.0);
}

std::wstring HighestModeText(unsigned mask, int bits) {
  for (int bit = bits - 1; bit >= 0; --bit)
    if ((mask >> bit) & 1) return std::to_wstring(bit);
  return LocText(sw::MISC_NONE);
}

std::wstring AamLevelText(unsigned level) {
  if (level == 0) return LocText(sw::DI_LIST_VENDOR_SPECIFIC);
  if (level == 128) return LocText(sw::DI_LIST_MIN_ACOUSTIC_LEVEL);
  if (level >= 129 && level <= 253) return LocText(sw::DI_LIST_INT_ACOUSTIC_LEVEL);
  if (level == 254) return LocText(sw::DI_LIST_MAX_PERFORMANCE);
  return LocText(sw::MISC_UNKNOWN);
}

std::wstring ApmLevelText(unsigned level) {
  if (level == 1) return LocText(sw::DI_LIST_MIN_POWER_STANDBY);
  if (level >= 2 && level <= 127) return LocText(sw::DI_LIST_INT_POWER_STANDBY);
  if (level == 128) return LocText(sw::DI_LIST_MIN_POWER_WO_STANDBY);
  if (level >= 129 && level <= 253) return LocText(sw::DI_LIST_INT_POWER_WO_STANDBY);
  if (level == 254) return LocText(sw::DI_LIST_MAX_PERFORMANCE);
  return LocText(sw::MISC_UNKNOWN);
}

std::vector<InfoRow> BuildDeviceInfoRows(const DeviceInfoInput& in, int* firstActivityRow) {
  std::vector<InfoRow> rows;
  RowBuilder b(&rows);
  const HwscopeDeviceInfo& r = in.record;
  const std::wstring na = LocText(sw::MISC_NA);
  b.Row(sw::DI_LIST_MODEL_NO, in.haveModel ? in.model : na);
  b.Row(sw::DI_LIST_DEVICE_CAP, in.haveCapacity ? CapacityText(in.capacityMb) : na);
  b.Row(sw::DI_LIST_DEVICE_STATUS, in.status);
  b.Row(sw::DI_LIST_DEVICE_ID, std::to_wstring(in.device));
  b.Row(sw::DI_LIST_INTERFACE, r.busType > kBusTypeNvme ? LocText(sw::MISC_UNKNOWN) : in.interfaceName);
  b.Row(sw::DI_LIST_SERIAL_NO, in.haveSerial ? in.serial : na);
  b.Row(sw::DI_LIST_FIRMWARE, in.haveFirmware ? in.firmware : na);
  b.Row(sw::DI_LIST_PARTITIONS, in.havePartitions ? L"" : na);
  for (size_t i = 0; i < in.partitions.size() && i < 8; ++i)
    rows.push_back({FormatText(L"       %c:", static_cast<int>(in.partitions[i].first)),
                    FormatText(L"%d MB", in.partitions[i].second)});
  b.Header(sw::DI_LIST_DISK_ACTIVITY);
  *firstActivityRow = static_cast<int>(rows.size());
  for (const ActivityRowSpec& row : ActivityRowSpecs()) b.Indented(LocText(row.nameKey), L"");
  b.Header(sw::DI_LIST_DISK_GEO);
  b.Row(sw::DI_LIST_CYLINDERS, Number(r.cylinders));
  b.Row(sw::DI_LIST_TRACKS_PER_CYLINDER, std::to_wstring(r.tracksPerCylinder));
  b.Row(sw::DI_LIST_SECTORS_PER_TRACK, std::to_wstring(r.sectorsPerTrack));
  b.Row(sw::DI_LIST_BYTES_PER_SECTOR, std::to_wstring(r.bytesPerSector));
  b.Row(sw::DI_LIST_TOTAL_SECTORS, Number(r.userSectors));
  b.Row(sw::DI_LIST_LOGICAL_SECTOR_SIZE, std::to_wstring(r.logicalSectorSize));
  b.Row(sw::DI_LIST_PHYSICAL_SECTOR_SIZE, std::to_wstring(r.physicalSectorSize));
  std::wstring rate;
  if (r.busType == kBusTypeNvme || r.rotationRate == 1)
    rate = LocText(sw::DI_LIST_MEDIA_ROTATE_RATE_SSD);
  else if (r.rotationRate == 0)
    rate = na;
  else
    rate = FormatText(L"%d RPM", static_cast<int>(r.rotationRate));
  b.Row(sw::DI_LIST_MEDIA_ROTATE_RATE, rate);
  b.Row(sw::DI_LIST_BUFFER_SIZE, FormatText(L"%d KB", r.bufferSize / 1024));
  b.Row(sw::DI_LIST_ECC_SIZE, FormatText(L"%d Bytes", static_cast<int>(r.word22)));
  if (r.busType == kBusTypeNvme) return rows;
  AddStandardsRows(b, r);
  AddFeatureRows(b, r);
  return rows;
}

}  // namespace ui
