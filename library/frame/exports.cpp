// The 51 exported functions. Each HwscopeDll_Smart_ export except Init and
// SetInitTimeout checks the library state first and then forwards to one
// engine operation, returning its result unchanged.
#include <chrono>
#include <new>
#include <thread>

#include "engine/smart_info.h"
#include "frame/library_state.h"
#include "frame/log.h"
#include "frame/log_control.h"
#include "frame/refresh_pipeline.h"
#include "hwscope/hwscope.h"
#include "platform/platform.h"
#include "strings/string_table.h"

using hwscope::Library;
using hwscope::LibraryReady;

namespace {

hwscope::CSMARTInfo& Engine() { return *Library().engine; }

// Guarded forward: the export's own name goes into the frame's error line.
#define HWSCOPE_GUARDED(exportName, call)        \
  do {                                           \
    int guardResult = 0;                         \
    if (!LibraryReady(exportName, &guardResult)) \
      return guardResult;                        \
    return Engine().call;                        \
  } while (0)

constexpr int kInitErrorTag = 10;

}  // namespace

extern "C" {

void HwscopeDll_Cleanup(void) { hwscope::strings::Release(); }

int HwscopeDll_GetLastErrorString(wchar_t* buf, unsigned bufLen) {
  return hwscope::CopyLastErrorText(buf, bufLen);
}

const wchar_t* HwscopeDll_GetVersion(void) {
  hwscope::ClearLastErrorText();
  return hwscope::VersionTextWide();
}

void HwscopeDll_Smart_Cleanup(void) {
  int result = 0;
  if (!LibraryReady("HwscopeDll_Smart_Cleanup", &result)) return;
  Library().state.store(HWSCOPE_E_NOT_INITIALISED);
  Library().engine.reset();
  if (hwscope::LoggingOn()) hwscope::Logf("%s ok", "HwscopeDll_Smart_Cleanup");
}

int HwscopeDll_Smart_EstimateTEC(long long* earliest, long long* second, int* attrIdOut,
                                 int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_EstimateTEC",
                  EstimateTEC(earliest, second, attrIdOut, device));
}

int HwscopeDll_Smart_EstimateTECByAttributeID(long long* first, long long* second, int attrId,
                                              int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_EstimateTECByAttributeID",
                  EstimateTECByAttributeID(first, second, attrId, device));
}

int HwscopeDll_Smart_ExecuteSelfTest(int device, int testType) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_ExecuteSelfTest", ExecuteSelfTest(device, testType));
}

int HwscopeDll_Smart_ExportReport(const wchar_t* path, int device, const wchar_t* header,
                                  int writeHeader, int options, int historyAttrId) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_ExportReport",
                  ExportReport(path, device, header, writeHeader, options, historyAttrId));
}

int HwscopeDll_Smart_ExportTECData(long long* times, int* values, int* worsts,
                                   unsigned long long* raws, unsigned* count, int attrId,
                                   int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_ExportTECData",
                  ExportTECData(times, values, worsts, raws, count, attrId, device));
}

// The naming engine needs no per-thread set-up here (std::regex).
int HwscopeDll_Smart_GetAttrDescByID(wchar_t* name, unsigned* nameLen, int attrId, int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetAttrDescByID",
                  GetAttrDescByID(name, nameLen, attrId, device));
}

int HwscopeDll_Smart_GetDCOMaxLBA(int device, unsigned* address) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetDCOMaxLBA", GetDCOMaxLBA(device, address));
}

int HwscopeDll_Smart_GetDeviceCapacity(unsigned* megabytes, int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetDeviceCapacity", GetDeviceCapacity(megabytes, device));
}

int HwscopeDll_Smart_GetDeviceFirmWareRev(wchar_t* buf, int* bufLen, int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetDeviceFirmWareRev",
                  GetDeviceFirmWareRev(buf, bufLen, device));
}

int HwscopeDll_Smart_GetDeviceIDFromDriveNum(unsigned driveNumber) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetDeviceIDFromDriveNum",
                  GetDeviceIDFromDriveNum(driveNumber));
}

int HwscopeDll_Smart_GetDeviceInfo(HwscopeDeviceInfo* record, int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetDeviceInfo", GetDeviceInfo(record, device));
}

int HwscopeDll_Smart_GetDeviceInterface(wchar_t* name, int* nameLen, bool* solidState,
                                        int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetDeviceInterface",
                  GetDeviceInterface(name, nameLen, solidState, device));
}

int HwscopeDll_Smart_GetDeviceModelNumber(wchar_t* buf, int* bufLen, int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetDeviceModelNumber",
                  GetDeviceModelNumber(buf, bufLen, device));
}

int HwscopeDll_Smart_GetDevicePartitionInfo(int* driveNumbers, int* count, int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetDevicePartitionInfo",
                  GetDevicePartitionInfo(driveNumbers, count, device));
}

int HwscopeDll_Smart_GetDeviceSerialNumber(wchar_t* buf, unsigned* bufLen, int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetDeviceSerialNumber",
                  GetDeviceSerialNumber(buf, bufLen, device));
}

int HwscopeDll_Smart_GetDriveLetterFromDriveNum(wchar_t* letter, int driveNumber) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetDriveLetterFromDriveNum",
                  GetDriveLetterFromDriveNum(letter, driveNumber));
}

int HwscopeDll_Smart_GetMax28bitLBA(int device, unsigned* result) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetMax28bitLBA", GetMax28bitLBA(device, result));
}

int HwscopeDll_Smart_GetMaxLBA(int device, unsigned* address) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetMaxLBA", GetMaxLBA(device, address));
}

int HwscopeDll_Smart_GetNumDetectedDrives(void) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetNumDetectedDrives", GetNumDetectedDrives());
}

int HwscopeDll_Smart_GetNumSmartAttr(int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetNumSmartAttr", GetNumSmartAttr(device));
}

int HwscopeDll_Smart_GetNumSmartDevices(void) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetNumSmartDevices", GetNumSmartDevices());
}

int HwscopeDll_Smart_GetPhysicalDeviceIDFirst(void) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetPhysicalDeviceIDFirst", GetPhysicalDeviceIDFirst());
}

int HwscopeDll_Smart_GetPhysicalDeviceIDNext(void) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetPhysicalDeviceIDNext", GetPhysicalDeviceIDNext());
}

// No engine operation of its own: a per-device SMART refresh, then the
// self-test execution status byte (status in bits 7-4, tenths remaining in 3-0).
int HwscopeDll_Smart_GetSelfTestStatus(int device, int* status, int* percentRemaining) {
  int result = 0;
  if (!LibraryReady("HwscopeDll_Smart_GetSelfTestStatus", &result)) return result;
  if (status == nullptr || percentRemaining == nullptr) return HWSCOPE_E_BUFFER;
  result = Engine().RefreshSmartAttributes(device);
  if (result != 0) return result;
  if (device < 0 || device >= hwscope::kMaxDevices) return HWSCOPE_E_BAD_DEVICE;
  const unsigned char execution = Engine().devices[device].selfTestStatus[1];
  *status = execution >> 4;
  *percentRemaining = (execution & 0x0F) * 10;
  return 0;
}

int HwscopeDll_Smart_GetSmartAttributeByID(void* out, int* outLen, int attrId, int valueKind,
                                           int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetSmartAttributeByID",
                  GetSmartAttributeByID(out, outLen, attrId, valueKind, device));
}

int HwscopeDll_Smart_GetSmartAttributeIDFirst(int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetSmartAttributeIDFirst", GetSmartAttributeIDFirst(device));
}

int HwscopeDll_Smart_GetSmartAttributeIDNext(int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetSmartAttributeIDNext", GetSmartAttributeIDNext(device));
}

int HwscopeDll_Smart_GetSmartDeviceIDFirst(void) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetSmartDeviceIDFirst", GetSmartDeviceIDFirst());
}

int HwscopeDll_Smart_GetSmartDeviceIDNext(void) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetSmartDeviceIDNext", GetSmartDeviceIDNext());
}

int HwscopeDll_Smart_GetTECDataAtIndex(long long* time, int* value, int* worst,
                                       unsigned long long* raw, int setIndex, int attrId,
                                       int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetTECDataAtIndex",
                  GetTECDataAtIndex(time, value, worst, raw, setIndex, attrId, device));
}

int HwscopeDll_Smart_GetTECDataSetCount(int* count, int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetTECDataSetCount", GetTECDataSetCount(count, device));
}

int HwscopeDll_Smart_GetVolumeCapacity(int* megabytes, int driveNumber) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_GetVolumeCapacity", GetVolumeCapacity(megabytes, driveNumber));
}

int HwscopeDll_Smart_Init(bool enableLogging, const wchar_t* logPath, bool recordHistory) {
  hwscope::LibraryState& library = Library();
  library.initLogging = enableLogging;
  hwscope::SetLogFilePath(logPath);
  if (enableLogging) hwscope::StartLogging(hwscope::LogFilePath().c_str());
  if (library.state.load() == 0) {
    hwscope::Logf("Attempting to re-initialize Hwscope SMART...ignored");
    return 0;
  }
  // The engine of a failed Init is replaced by this one.
  library.engine.reset();
  try {
    library.engine = std::make_unique<hwscope::CSMARTInfo>();
  } catch (const std::bad_alloc&) {
    const std::uint32_t code = platform::kErrorNotEnoughMemory;
    hwscope::Logf("%s error.  Error: %d \"%s\"", "HwscopeDll_Smart_Init", static_cast<int>(code),
                  hwscope::SystemErrorText(code).c_str());
    library.state.store(HWSCOPE_E_NO_ENGINE);
    return HWSCOPE_E_NO_ENGINE;
  }
  hwscope::Logf("%s", hwscope::VersionText().c_str());
  hwscope::Logf("%s ok", "HwscopeDll_Smart_Init");
  const int result = hwscope::RunRefreshPipeline(*library.engine, recordHistory);
  library.state.store(result);
  if (result != 0)
    hwscope::Logf("%s[%d]: err!=0 (err = %d)", "HwscopeDll_Smart_Init", kInitErrorTag, result);
  return result;
}

int HwscopeDll_Smart_IsValidSmartDevice(int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_IsValidSmartDevice", IsValidSmartDevice(device));
}

int HwscopeDll_Smart_ReadSectors(int device, unsigned addressLow, unsigned addressHigh,
                                 int sectorCount, void* buffer) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_ReadSectors",
                  ReadSectors(device, addressLow, addressHigh, sectorCount, buffer));
}

int HwscopeDll_Smart_RecordTECData(int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_RecordTECData", RecordTECData(device));
}

int HwscopeDll_Smart_Refresh(bool recordHistory) {
  int result = 0;
  if (!LibraryReady("HwscopeDll_Smart_Refresh", &result)) return result;
  return hwscope::RunRefreshPipeline(Engine(), recordHistory);
}

int HwscopeDll_Smart_RefreshSmartAttributes(int device) {
  hwscope::LibraryState& library = Library();
  // Admit one caller at a time: a second one waits up to five times 100 ms.
  int idle = 0;
  for (int sleeps = 0; !library.refreshCounter.compare_exchange_strong(idle, 1); ++sleeps) {
    if (sleeps == 5) {
      hwscope::Logf("Refresh SMART attributes failed #%d (%d)", device, idle);
      return HWSCOPE_E_SMART_REFRESH;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    idle = 0;
  }
  int result = 0;
  if (LibraryReady("HwscopeDll_Smart_RefreshSmartAttributes", &result))
    result = Engine().RefreshSmartAttributes(device);
  --library.refreshCounter;
  return result;
}

int HwscopeDll_Smart_RestoreDCO(int device) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_RestoreDCO", RestoreDCO(device));
}

int HwscopeDll_Smart_SetDCOMaxLBA(int device, unsigned addressLow, unsigned addressHigh) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_SetDCOMaxLBA", SetDCOMaxLBA(device, addressLow, addressHigh));
}

int HwscopeDll_Smart_SetInitTimeout(int milliseconds) {
  Library().initTimeoutMs.store(milliseconds);
  return 0;
}

int HwscopeDll_Smart_SetMaxLBA(int device, unsigned addressLow, unsigned addressHigh) {
  HWSCOPE_GUARDED("HwscopeDll_Smart_SetMaxLBA", SetMaxLBA(device, addressLow, addressHigh));
}

int HwscopeDll_StartLogging(const wchar_t* path) { return hwscope::StartLogging(path); }

int HwscopeDll_StartLoggingExisting(FILE* stream) { return hwscope::StartLoggingExisting(stream); }

int HwscopeDll_StopLogging(void) { return hwscope::StopLogging(); }

void Hwscope_TurnDebugMessageBoxesOff(void) { Library().debugMessageBoxes.store(false); }

void Hwscope_TurnDebugMessageBoxesOn(void) {
  if (hwscope::LoggingOn()) Library().debugMessageBoxes.store(true);
}

}  // extern "C"
