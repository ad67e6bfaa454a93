// Per-device queries of the identify strings, the interface and the capacity.
#include <cwchar>
#include <string>

#include "engine/identify_text.h"
#include "engine/smart_info.h"
#include "frame/log.h"
#include "strings/string_table.h"

namespace hwscope {
namespace {

struct Field {
  int offset;
  int size;
};
// ATA and NVMe positions of the three identify strings.
constexpr Field kAtaSerial{20, 20}, kAtaFirmware{46, 8}, kAtaModel{54, 40};
constexpr Field kNvmeSerial{4, 20}, kNvmeFirmware{64, 8}, kNvmeModel{24, 40};

constexpr const wchar_t* kBusTypeNames[] = {
    L"Unknown", L"SCSI", L"ATAPI", L"ATA", L"1394", L"SSA", L"Fibre", L"USB", L"RAID",
    L"iSCSI", L"SAS", L"SATA", L"SD", L"MMC", L"Virtual Storage",
    L"Virtual File-backed Storage", L"Storage Spaces", L"NVMe"};
constexpr int kBusTypeNvme = 17;

}  // namespace

// The trimmed identify text of a field of a valid physical device; the row
// tells whether the stored identify data is ATA or NVMe.
static int IdentifyText(CSMARTInfo& engine, int device, Field ata, Field nvme,
                        std::wstring* text) {
  const int valid = engine.IsValidPhysicalDevice(device);
  if (valid != 0) return valid;
  const int row = engine.FindDriveRow(device);
  const bool isNvme = row >= 0 && row < kMaxDriveRows && IsNvmeBridge(engine.drives[row].bridgeType);
  const Field f = isNvme ? nvme : ata;
  *text = TrimText(WidenField(engine.devices[device].identify + f.offset, f.size));
  return text->empty() ? HWSCOPE_E_IDENTIFY_EMPTY : 0;
}

// Copies text and terminator when it fits in `capacity` characters.
static bool CopyFitting(const std::wstring& text, wchar_t* buf, long long capacity) {
  if (buf == nullptr || static_cast<long long>(text.size()) >= capacity) return false;
  std::wmemcpy(buf, text.c_str(), text.size() + 1);
  return true;
}

int CSMARTInfo::GetDeviceSerialNumber(wchar_t* buf, unsigned* bufLen, int device) {
  if (LoggingOn()) Logf("CSMARTInfo::GetDeviceSerialNumber start");
  std::wstring text;
  int result = IdentifyText(*this, device, kAtaSerial, kNvmeSerial, &text);
  if (result == 0) {
    if (bufLen == nullptr || !CopyFitting(text, buf, *bufLen)) {
      result = HWSCOPE_E_BUFFER;
    } else {
      *bufLen = static_cast<unsigned>(text.size());
      Logf("CSMARTInfo::GetDeviceSerialNumber Device %d: Serial Number \"%s\", trimmedLen = %d",
           device, Utf8(text).c_str(), static_cast<int>(text.size()));
    }
  }
  if (result != 0 && LoggingOn()) Logf("CSMARTInfo::GetDeviceSerialNumber err %d", result);
  return result;
}

int CSMARTInfo::GetDeviceModelNumber(wchar_t* buf, int* bufLen, int device) {
  std::wstring text;
  const int result = IdentifyText(*this, device, kAtaModel, kNvmeModel, &text);
  if (result != 0) return result;
  if (bufLen == nullptr || !CopyFitting(text, buf, *bufLen)) return HWSCOPE_E_BUFFER;
  *bufLen = static_cast<int>(text.size());
  Logf("Device %d: Model Number \"%s\", trimmedLen = %d", device, Utf8(text).c_str(), *bufLen);
  return 0;
}

int CSMARTInfo::GetDeviceFirmWareRev(wchar_t* buf, int* bufLen, int device) {
  std::wstring text;
  const int result = IdentifyText(*this, device, kAtaFirmware, kNvmeFirmware, &text);
  if (result != 0) return result;
  if (bufLen == nullptr || !CopyFitting(text, buf, *bufLen)) return HWSCOPE_E_BUFFER;
  *bufLen = static_cast<int>(text.size());
  Logf("Device %d: Firmware Revision \"%s\", trimmedLen = %d", device, Utf8(text).c_str(),
       *bufLen);
  return 0;
}

int CSMARTInfo::GetDeviceInterface(wchar_t* name, int* nameLen, bool* solidState, int device) {
  const int valid = IsValidPhysicalDevice(device);
  if (valid != 0) return valid;
  if (name == nullptr || nameLen == nullptr || *nameLen < 1 || solidState == nullptr)
    return HWSCOPE_E_BUFFER;
  const int row = FindDriveRow(device);
  if (row < 0 || row >= kMaxDriveRows) return HWSCOPE_E_BAD_DEVICE;
  const int bus = drives[row].busType;
  const std::uint8_t* id = devices[device].identify;
  const int rotation = id[434] | (id[435] << 8);  // word 217
  *solidState = bus == kBusTypeNvme || rotation == 1;
  const std::wstring text = bus >= 0 && bus <= kBusTypeNvme
                                ? std::wstring(kBusTypeNames[bus])
                                : strings::TextCopy(strings::HW_IDS_UNKNOWN);
  const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(*nameLen) - 1);
  std::wmemcpy(name, text.c_str(), n);
  name[n] = L'\0';
  *nameLen = static_cast<int>(n);
  return 0;
}

int CSMARTInfo::GetDeviceCapacity(unsigned* megabytes, int device) {
  const int valid = IsValidPhysicalDevice(device);
  if (valid != 0) return valid;
  if (megabytes == nullptr) return HWSCOPE_E_BUFFER;
  const int row = FindDriveRow(device);
  if (row < 0 || row >= kMaxDriveRows) return HWSCOPE_E_BAD_DEVICE;
  const std::uint64_t capacity = drives[row].capacity;
  if (capacity == ~0ull) return HWSCOPE_E_CAPACITY_UNKNOWN;
  *megabytes = static_cast<unsigned>(capacity / 1048576ull);
  return 0;
}

}  // namespace hwscope
