// Detailed device information: firmware, partitions, geometry, and for ATA
// drives the standards, transport and feature listing of the identify data.
#include "report/report_sections.h"
#include "strings/string_table.h"

namespace hwscope::report {

namespace {

using namespace strings;

bool Bit(unsigned word, int bit) { return (word >> bit) & 1u; }

// "2", "1", "0" for the highest set bit of `bits` below `count`, or none.
std::wstring HighestMode(unsigned bits, int count) {
  for (int b = count - 1; b >= 0; --b)
    if (Bit(bits, b)) return Format(L"%d", b);
  return Str(HW_IDS_NONE);
}

std::wstring AcousticLevel(unsigned v) {
  if (v == 0x00) return Str(SMART_LEVEL_VENDOR_SPECIFIC);
  if (v == 0x80) return Str(SMART_LEVEL_MIN_ACOUSTIC_EMANATION_LEVEL);
  if (v >= 0x81 && v <= 0xFD) return Str(SMART_LEVEL_INT_ACOUSTIC_MANAGEMENT_LEVELS);
  if (v == 0xFE) return Str(SMART_LEVEL_MAX_PERFORMANCE);
  return Str(HW_IDS_UNKNOWN);
}

std::wstring PowerLevel(unsigned v) {
  if (v == 0x01) return Str(SMART_LEVEL_MIN_POWER_STANDBY);
  if (v >= 0x02 && v <= 0x7F) return Str(SMART_LEVEL_INT_POWER_STANDBY);
  if (v == 0x80) return Str(SMART_LEVEL_MIN_POWER_WO_STANDBY);
  if (v >= 0x81 && v <= 0xFD) return Str(SMART_LEVEL_INT_POWER_WO_STANDBY);
  if (v == 0xFE) return Str(SMART_LEVEL_MAX_PERFORMANCE);
  return Str(HW_IDS_UNKNOWN);
}

class Details {
 public:
  Details(ReportWriter& out, ReportSource& src) : out_(out), src_(src), r_(src.info) {}

  void Write() {
    Firmware();
    Partitions();
    out_.Text(L"\n");
    Geometry();
    if (r_.busType == 17) return;
    out_.Text(L"\n");
    Standards();
    out_.Label(1, Str(SMART_RPTHDR_WORLD_WIDE_ID));
    for (unsigned char b : r_.worldWideName) out_.Printf(L"%02X", b);
    out_.Text(L"\n\n");
    Features();
  }

 private:
  void YesNoLine(int level, int key, bool value) { out_.Line(level, Str(key), YesNo(value)); }
  // Yes/no line, and when yes a level 3 line for the enabled bit.
  void WithEnabled(int key, bool supported, int enabledKey, bool enabled) {
    YesNoLine(2, key, supported);
    if (supported) YesNoLine(3, enabledKey, enabled);
  }
  void SupportEnable(int key, bool supported, bool enabled) {
    out_.Label(3, Str(key));
    out_.Text(Str(supported ? HW_IDS_SUPPORTED : HW_IDS_NOT_SUPPORTED));
    if (supported) out_.Printf(L", %ls\n", Str(enabled ? HW_IDS_ENABLED : HW_IDS_DISABLED).c_str());
    else out_.Text(L"\n");
  }

  void Firmware() {
    wchar_t text[256];
    int length = 256;
    out_.Line(1, Str(SMART_RPTHDR_FIRMWARE_REVISION),
              src_.engine.GetDeviceFirmWareRev(text, &length, src_.device) == 0
                  ? std::wstring(text, static_cast<std::size_t>(length))
                  : NotAvailable());
  }

  void Partitions() {
    out_.Line(1, Str(SMART_RPTHDR_PARTITIONS), L"");
    const DriveRow& row = src_.row;
    int volumes = row.volumeCount < 0 ? 0 : std::min(row.volumeCount, kMaxVolumesPerRow);
    for (int i = 0; i < volumes; ++i)
      out_.Printf(L"      %lc%-10lc%llu MB\n", static_cast<wint_t>(row.volumeLetters[i]), static_cast<wint_t>(L':'),
                  static_cast<unsigned long long>(row.volumeSizes[i] / 1048576));
    if (volumes == 0) out_.Line(2, NotAvailable().substr(0, 7), L"");
  }

  void Geometry() {
    const DriveRow& row = src_.row;
    out_.Line(0, Str(SMART_RPTHDR_ATA_INFO), L"");
    out_.Text(L"\n");
    out_.Line(1, Str(SMART_RPTHDR_DISK_GEOMETRY), L"");
    out_.Line(2, Str(SMART_RPTHDR_CYLINDERS), Format(L"%llu", static_cast<unsigned long long>(row.cylinders)));
    out_.Line(2, Str(SMART_RPTHDR_TRACKS_PER_CYLINDER), Format(L"%u", row.tracksPerCylinder));
    out_.Line(2, Str(SMART_RPTHDR_SECTORS_PER_TRACK), Format(L"%u", row.sectorsPerTrack));
    out_.Line(2, Str(SMART_RPTHDR_BYTES_PER_SECTOR), Format(L"%u", row.bytesPerSector));
    out_.Line(2, Str(SMART_RPTHDR_TOTAL_DISK_SECTORS), Format(L"%llu", r_.userSectors));
    out_.Line(2, Str(SMART_RPTHDR_LOGICAL_SECTOR_SIZE), Format(L"%u", r_.logicalSectorSize));
    out_.Line(2, Str(SMART_RPTHDR_PHYSICAL_SECTOR_SIZE), Format(L"%u", r_.physicalSectorSize));
    std::wstring rotation;
    if (r_.busType == 17 || r_.rotationRate == 1) rotation = L"SSD";
    else if (r_.rotationRate == 0) rotation = NotAvailable();
    else rotation = Format(L"%u RPM", r_.rotationRate);
    out_.Line(2, Str(SMART_RPTHDR_MEDIA_ROTATION_RATE), rotation);
    out_.Line(2, Str(SMART_RPTHDR_BUFFER_SIZE),
              r_.bufferSize ? Format(L"%u KB", r_.bufferSize / 1024) : NotAvailable());
    out_.Line(2, Str(SMART_RPTHDR_ECC_SIZE), r_.word22 ? Format(L"%u Bytes", r_.word22) : NotAvailable());
  }

  void Standards() {
    const unsigned w80 = r_.majorVersion;
    const unsigned w76 = r_.sataCapabilities;
    const unsigned w222 = r_.transportMajorVersion;
    out_.Line(1, Str(SMART_RPTHDR_STANDARDS_COMPLIANCE), L"");
    YesNoLine(2, SMART_RPTHDR_ATA8_ACS_SUPPORTED, Bit(w80, 8));
    YesNoLine(2, SMART_RPTHDR_ATA_ATAPI_7_SUPPORTED, Bit(w80, 7));
    YesNoLine(2, SMART_RPTHDR_ATA_ATAPI_6_SUPPORTED, Bit(w80, 6));
    YesNoLine(2, SMART_RPTHDR_ATA_ATAPI_5_SUPPORTED, Bit(w80, 5));
    YesNoLine(2, SMART_RPTHDR_ATA_ATAPI_4_SUPPORTED, Bit(w80, 4));
    YesNoLine(2, SMART_RPTHDR_SATA_COMPLIANCE, r_.serialAta);
    if (r_.serialAta) {
      YesNoLine(3, SMART_RPTHDR_SATA_GEN3_SIGNALING_SUPPORTED, Bit(w76, 3));
      YesNoLine(3, SMART_RPTHDR_SATA_GEN2_SIGNALING_SUPPORTED, Bit(w76, 2));
      YesNoLine(3, SMART_RPTHDR_SATA_GEN1_SIGNALING_SUPPORTED, Bit(w76, 1));
    }
    if (w222 == 0 || w222 == 0xFFFF) return;
    const bool serial = Bit(w222, 12);
    out_.Line(2, Str(SMART_RPTHDR_TRANSPORT_TYPE), Str(serial ? HW_IDS_SERIAL : HW_IDS_PARALLEL));
    if (serial) {
      YesNoLine(3, SMART_RPTHDR_SATA3_COMPLIANCE, Bit(w222, 5));
      YesNoLine(3, SMART_RPTHDR_SATA2_6_COMPLIANCE, Bit(w222, 4));
      YesNoLine(3, SMART_RPTHDR_SATA2_5_COMPLIANCE, Bit(w222, 3));
      YesNoLine(3, SMART_RPTHDR_SATAII_COMPLIANCE, Bit(w222, 2));
      YesNoLine(3, SMART_RPTHDR_SATA1_0_A_COMPLIANCE, Bit(w222, 1));
      YesNoLine(3, SMART_RPTHDR_ATA8_AST_COMPLIANCE, Bit(w222, 0));
    } else {
      YesNoLine(3, SMART_RPTHDR_ATA_ATAPI7_COMPLIANCE, Bit(w222, 1));
      YesNoLine(3, SMART_RPTHDR_ATA8_APT_COMPLIANCE, Bit(w222, 0));
    }
  }

  void Features() {
    out_.Line(1, Str(SMART_RPTHDR_FEATURE_SUPPORT), L"");
    WithEnabled(SMART_RPTHDR_SMART_SUPPORTED, r_.smartSupported, SMART_RPTHDR_SMART_ENABLED, r_.smartEnabled);
    YesNoLine(2, SMART_RPTHDR_SELF_TEST_SUPPORTED, r_.selfTestSupported);
    YesNoLine(2, SMART_RPTHDR_ERROR_LOG_SUPPORTED, r_.errorLogSupported);
    YesNoLine(2, SMART_RPTHDR_LBA_SUPPORTED, r_.lbaSupported);
    YesNoLine(2, SMART_RPTHDR_IORDY_SUPPORTED, r_.iordySupported);
    YesNoLine(2, SMART_RPTHDR_CFAST_SUPPORTED, r_.word69Bit15);
    YesNoLine(2, SMART_RPTHDR_DMA_SUPPORTED, r_.dmaSupported);
    if (r_.dmaSupported) {
      out_.Line(3, Str(SMART_RPTHDR_MAX_MULTIWORD_DMA_MODE_SUPPORTED), HighestMode(r_.multiwordDmaSupported, 3));
      out_.Line(3, Str(SMART_RPTHDR_MULTIWORD_DMA_SELECTED), HighestMode(r_.multiwordDmaSelected, 3));
      out_.Line(3, Str(SMART_RPTHDR_MAX_ULTRADMA_MODE_SUPPORTED), HighestMode(r_.ultraDmaSupported, 7));
      out_.Line(3, Str(SMART_RPTHDR_ULTRADMA_SELECTED), HighestMode(r_.ultraDmaSelected, 7));
    }
    const unsigned pio = r_.pioModesSupported;
    out_.Line(2, Str(SMART_RPTHDR_MAX_PIO_MODE_SUPPORTED), Bit(pio, 1) ? L"4" : Bit(pio, 0) ? L"3" : L"2");
    YesNoLine(2, SMART_RPTHDR_SATA_COMPLIANCE, r_.serialAta);
    if (r_.serialAta) {
      const unsigned w76 = r_.sataCapabilities;
      const unsigned w78 = r_.sataFeaturesSupported;
      const unsigned w79 = r_.sataFeaturesEnabled;
      YesNoLine(3, SMART_RPTHDR_NCQ_PRIORITY_INFO_SUPPORTED, Bit(w76, 12));
      YesNoLine(3, SMART_RPTHDR_NCQ_COMMANDS_OUTSTAND_SUPPORTED, Bit(w76, 11));
      YesNoLine(3, SMART_RPTHDR_PHY_EVENT_COUNTERS_SUPPORTED, Bit(w76, 10));
      YesNoLine(3, SMART_RPTHDR_RECEIPT_POWER_MANAGEMENT_REQUESTS_SUPPORTED, Bit(w76, 9));
      YesNoLine(3, SMART_RPTHDR_NCQ_FEATURE_SET_SUPPORTED, Bit(w76, 8));
      SupportEnable(SMART_RPTHDR_SOFTWARE_SETTINGS_PRESERVATION, Bit(w78, 6), Bit(w79, 6));
      SupportEnable(SMART_RPTHDR_IN_ORDER_DATA_DELIVERY, Bit(w78, 4), Bit(w79, 4));
      SupportEnable(SMART_RPTHDR_INITIATING_POWER_MANAGEMENT, Bit(w78, 3), Bit(w79, 3));
      SupportEnable(SMART_RPTHDR_DMA_SETUP_AUTO_ACTIVATION, Bit(w78, 2), Bit(w79, 2));
      SupportEnable(SMART_RPTHDR_NON_ZERO_BUFFER_OFFSETS, Bit(w78, 1), Bit(w79, 1));
    }
    YesNoLine(2, SMART_RPTHDR_TRUSTED_COMPUTING_SUPPORTED, r_.trustedComputing);
    YesNoLine(2, SMART_RPTHDR_HPA_SUPPORTED, r_.hpaSupported);
    WithEnabled(SMART_RPTHDR_READ_LOOK_AHEAD_SUPPORTED, r_.readLookAheadSupported,
                SMART_RPTHDR_READ_LOOK_AHEAD_ENABLED, r_.readLookAheadEnabled);
    WithEnabled(SMART_RPTHDR_WRITE_CACHE_SUPPORTED, r_.writeCacheSupported, SMART_RPTHDR_WRITE_CACHE_ENABLED,
                r_.writeCacheEnabled);
    YesNoLine(2, SMART_RPTHDR_POWER_MANAGEMENT_SUPPORTED, r_.powerManagementSupported);
    WithEnabled(SMART_RPTHDR_SECURITY_MODE_SUPPORTED, r_.securitySupported, SMART_RPTHDR_SECURITY_MODE_ENABLED,
                r_.securityEnabled);
    YesNoLine(2, SMART_RPTHDR_DCO_SUPPORTED, r_.dcoSupported);
    YesNoLine(2, SMART_RPTHDR_48BIT_ADDRESS_SUPPORTED, r_.lba48Supported);
    WithEnabled(SMART_RPTHDR_AAM_SUPPORTED, r_.aamSupported, SMART_RPTHDR_AAM_ENABLED, r_.aamEnabled);
    if (r_.aamSupported && r_.aamEnabled) {
      out_.Line(3, Str(SMART_RPTHDR_RECOMMENDED_AAM_LEVEL), AcousticLevel(r_.aamRecommended));
      out_.Line(3, Str(SMART_RPTHDR_CURRENT_AAM_LEVEL), AcousticLevel(r_.aamCurrent));
    }
    WithEnabled(SMART_RPTHDR_PUIS_SUPPORTED, r_.puisSupported, SMART_RPTHDR_PUIS_ENABLED, r_.puisEnabled);
    WithEnabled(SMART_RPTHDR_APM_SUPPORTED, r_.apmSupported, SMART_RPTHDR_APM_ENABLED, r_.apmEnabled);
    if (r_.apmSupported && r_.apmEnabled)
      out_.Line(3, Str(SMART_RPTHDR_CURRENT_APM_LEVEL), PowerLevel(r_.apmLevel));
    YesNoLine(2, SMART_RPTHDR_CFA_SUPPORTED, r_.cfaSupported);
    YesNoLine(2, SMART_RPTHDR_GPL_SUPPORTED, r_.gplSupported);
    YesNoLine(2, SMART_RPTHDR_STREAMING_SUPPORTED, r_.streamingSupported);
    WithEnabled(SMART_RPTHDR_MEDIA_CARD_PASS_THROUGH_SUPPORTED, r_.mediaCardSupported,
                SMART_RPTHDR_MEDIA_CARD_PASS_THROUGH_ENABLED, r_.word87Bit3);
    WithEnabled(SMART_RPTHDR_EXTENDED_POWER_SUPPORTED, r_.epcSupported, SMART_RPTHDR_EXTENDED_POWER_ENABLED,
                r_.epcEnabled);
    WithEnabled(SMART_RPTHDR_EXTENDED_STATUS_REPORT_SUPPORTED, r_.senseDataSupported,
                SMART_RPTHDR_EXTENDED_STATUS_REPORT_ENABLED, r_.senseDataEnabled);
    WithEnabled(SMART_RPTHDR_WRITE_READ_VERIFY_SUPPORTED, r_.writeReadVerifySupported,
                SMART_RPTHDR_WRITE_READ_VERIFY_ENABLED, r_.writeReadVerifyEnabled);
    WithEnabled(SMART_RPTHDR_FREE_FALL_SUPPORTED, r_.freeFallSupported, SMART_RPTHDR_FREE_FALL_ENABLED,
                r_.freeFallEnabled);
    YesNoLine(2, SMART_RPTHDR_TRIM_SUPPORTED, r_.trimSupported);
    YesNoLine(2, SMART_RPTHDR_SCT_SUPPORTED, r_.sctSupported);
    YesNoLine(2, SMART_RPTHDR_NV_CACHE_ENABLED, r_.word214Bit4);
    WithEnabled(SMART_RPTHDR_NV_CACHE_POWER_MAN_SUPPORTED, r_.word214Bit0,
                SMART_RPTHDR_NV_CACHE_POWER_MAN_ENABLED, r_.word214Bit1);
  }

  ReportWriter& out_;
  ReportSource& src_;
  const HwscopeDeviceInfo& r_;
};

}  // namespace

void WriteDetails(ReportWriter& out, ReportSource& src) { Details(out, src).Write(); }

}  // namespace hwscope::report
