/* Hwscope: the device health library. These 51 functions are its only door;
 * everything else in libhwscope.so is hidden.
 *
 * Result codes: 0 is success, every error is negative (see HWSCOPE_E_*).
 * Counts and identifiers are never negative. Strings are wchar_t; a caller
 * buffer always comes with its length in characters, which on success is
 * replaced by the number of characters written (terminator not counted).
 * Call from one thread; HwscopeDll_Smart_Init comes before every other
 * HwscopeDll_Smart_ call except HwscopeDll_Smart_SetInitTimeout. */
#ifndef HWSCOPE_HWSCOPE_H
#define HWSCOPE_HWSCOPE_H

#include <stdio.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(HWSCOPE_BUILDING)
#define HWSCOPE_API __attribute__((visibility("default")))
#else
#define HWSCOPE_API
#endif

/* Result codes. */
#define HWSCOPE_OK 0
#define HWSCOPE_E_BAD_DEVICE (-1000)        /* device outside 0..99, or no drive row holds it */
#define HWSCOPE_E_NOT_SMART (-1001)         /* device not SMART capable */
#define HWSCOPE_E_OPEN_FAILED (-1002)       /* device cannot be opened */
#define HWSCOPE_E_BAD_DRIVE (-1100)         /* drive number out of range */
#define HWSCOPE_E_DRIVE_NOT_PRESENT (-1101) /* drive row not present */
#define HWSCOPE_E_DRIVE_NOT_FIXED (-1102)   /* drive row is not a fixed drive */
#define HWSCOPE_E_BUFFER (-2001)            /* caller buffer too small, or null */
#define HWSCOPE_E_SMART_LIST_EMPTY (-3001)
#define HWSCOPE_E_SMART_LIST_END (-3002)
#define HWSCOPE_E_PHYSICAL_LIST_EMPTY (-3101)
#define HWSCOPE_E_PHYSICAL_LIST_END (-3102)
#define HWSCOPE_E_NO_ATTRIBUTES (-4001)
#define HWSCOPE_E_ATTRIBUTES_END (-4002)
#define HWSCOPE_E_ATTRIBUTE_NOT_FOUND (-4003)
#define HWSCOPE_E_UNKNOWN_ATTRIBUTE (-4004)
#define HWSCOPE_E_CAPACITY_UNKNOWN (-6001)
#define HWSCOPE_E_VOLUME_TIMEOUT (-7001)
#define HWSCOPE_E_NOT_ADMIN (-7002)
#define HWSCOPE_E_NOT_INITIALISED (-10001)
#define HWSCOPE_E_NO_ENGINE (-10002)
#define HWSCOPE_E_OS_NOT_SUPPORTED (-10003)
#define HWSCOPE_E_IDENTIFY_EMPTY (-10004)
#define HWSCOPE_E_SMART_REFRESH (-30001)
/* Returned by an operation whose implementation has not been built yet. */
#define HWSCOPE_E_NOT_IMPLEMENTED (-99999)

/* The 192-byte device info record of HwscopeDll_Smart_GetDeviceInfo.
 * Offsets are fixed; every byte not named is zero. */
typedef struct HwscopeDeviceInfo {
  unsigned char bytes[192];
} HwscopeDeviceInfo;

/* Value selectors of HwscopeDll_Smart_GetSmartAttributeByID. */
#define HWSCOPE_VALUE_CURRENT 1
#define HWSCOPE_VALUE_RAW 2
#define HWSCOPE_VALUE_WORST 4
#define HWSCOPE_VALUE_THRESHOLD 8
#define HWSCOPE_VALUE_NAME 32
#define HWSCOPE_VALUE_EXCEEDED 64
#define HWSCOPE_VALUE_IS_NVME 128

HWSCOPE_API void HwscopeDll_Cleanup(void);
HWSCOPE_API int HwscopeDll_GetLastErrorString(wchar_t *buf, unsigned bufLen);
HWSCOPE_API const wchar_t *HwscopeDll_GetVersion(void);
HWSCOPE_API void HwscopeDll_Smart_Cleanup(void);
HWSCOPE_API int HwscopeDll_Smart_EstimateTEC(long long *earliest, long long *second, int *attrIdOut,
                                             int device);
HWSCOPE_API int HwscopeDll_Smart_EstimateTECByAttributeID(long long *first, long long *second,
                                                          int attrId, int device);
HWSCOPE_API int HwscopeDll_Smart_ExecuteSelfTest(int device, int testType);
HWSCOPE_API int HwscopeDll_Smart_ExportReport(const wchar_t *path, int device,
                                              const wchar_t *header, int writeHeader, int options,
                                              int historyAttrId);
HWSCOPE_API int HwscopeDll_Smart_ExportTECData(long long *times, int *values, int *worsts,
                                               unsigned long long *raws, unsigned *count,
                                               int attrId, int device);
HWSCOPE_API int HwscopeDll_Smart_GetAttrDescByID(wchar_t *name, unsigned *nameLen, int attrId,
                                                 int device);
HWSCOPE_API int HwscopeDll_Smart_GetDCOMaxLBA(int device, unsigned *address /* [2], low first */);
HWSCOPE_API int HwscopeDll_Smart_GetDeviceCapacity(unsigned *megabytes, int device);
HWSCOPE_API int HwscopeDll_Smart_GetDeviceFirmWareRev(wchar_t *buf, int *bufLen, int device);
HWSCOPE_API int HwscopeDll_Smart_GetDeviceIDFromDriveNum(unsigned driveNumber);
HWSCOPE_API int HwscopeDll_Smart_GetDeviceInfo(HwscopeDeviceInfo *record, int device);
HWSCOPE_API int HwscopeDll_Smart_GetDeviceInterface(wchar_t *name, int *nameLen, bool *solidState,
                                                    int device);
HWSCOPE_API int HwscopeDll_Smart_GetDeviceModelNumber(wchar_t *buf, int *bufLen, int device);
HWSCOPE_API int HwscopeDll_Smart_GetDevicePartitionInfo(int *driveNumbers, int *count, int device);
HWSCOPE_API int HwscopeDll_Smart_GetDeviceSerialNumber(wchar_t *buf, unsigned *bufLen, int device);
HWSCOPE_API int HwscopeDll_Smart_GetDriveLetterFromDriveNum(wchar_t *letter, int driveNumber);
HWSCOPE_API int HwscopeDll_Smart_GetMax28bitLBA(int device, unsigned *result);
HWSCOPE_API int HwscopeDll_Smart_GetMaxLBA(int device, unsigned *address /* [2], low first */);
HWSCOPE_API int HwscopeDll_Smart_GetNumDetectedDrives(void);
HWSCOPE_API int HwscopeDll_Smart_GetNumSmartAttr(int device);
HWSCOPE_API int HwscopeDll_Smart_GetNumSmartDevices(void);
HWSCOPE_API int HwscopeDll_Smart_GetPhysicalDeviceIDFirst(void);
HWSCOPE_API int HwscopeDll_Smart_GetPhysicalDeviceIDNext(void);
HWSCOPE_API int HwscopeDll_Smart_GetSelfTestStatus(int device, int *status, int *percentRemaining);
HWSCOPE_API int HwscopeDll_Smart_GetSmartAttributeByID(void *out, int *outLen, int attrId,
                                                       int valueKind, int device);
HWSCOPE_API int HwscopeDll_Smart_GetSmartAttributeIDFirst(int device);
HWSCOPE_API int HwscopeDll_Smart_GetSmartAttributeIDNext(int device);
HWSCOPE_API int HwscopeDll_Smart_GetSmartDeviceIDFirst(void);
HWSCOPE_API int HwscopeDll_Smart_GetSmartDeviceIDNext(void);
HWSCOPE_API int HwscopeDll_Smart_GetTECDataAtIndex(long long *time, int *value, int *worst,
                                                   unsigned long long *raw, int setIndex,
                                                   int attrId, int device);
HWSCOPE_API int HwscopeDll_Smart_GetTECDataSetCount(int *count, int device);
HWSCOPE_API int HwscopeDll_Smart_GetVolumeCapacity(int *megabytes, int driveNumber);
HWSCOPE_API int HwscopeDll_Smart_Init(bool enableLogging, const wchar_t *logPath,
                                      bool recordHistory);
HWSCOPE_API int HwscopeDll_Smart_IsValidSmartDevice(int device);
HWSCOPE_API int HwscopeDll_Smart_ReadSectors(int device, unsigned addressLow, unsigned addressHigh,
                                             int sectorCount, void *buffer);
HWSCOPE_API int HwscopeDll_Smart_RecordTECData(int device);
HWSCOPE_API int HwscopeDll_Smart_Refresh(bool recordHistory);
HWSCOPE_API int HwscopeDll_Smart_RefreshSmartAttributes(int device);
HWSCOPE_API int HwscopeDll_Smart_RestoreDCO(int device);
HWSCOPE_API int HwscopeDll_Smart_SetDCOMaxLBA(int device, unsigned addressLow,
                                              unsigned addressHigh);
HWSCOPE_API int HwscopeDll_Smart_SetInitTimeout(int milliseconds);
HWSCOPE_API int HwscopeDll_Smart_SetMaxLBA(int device, unsigned addressLow, unsigned addressHigh);
HWSCOPE_API int HwscopeDll_StartLogging(const wchar_t *path);
HWSCOPE_API int HwscopeDll_StartLoggingExisting(FILE *stream);
HWSCOPE_API int HwscopeDll_StopLogging(void);
HWSCOPE_API void Hwscope_TurnDebugMessageBoxesOff(void);
HWSCOPE_API void Hwscope_TurnDebugMessageBoxesOn(void);

#ifdef __cplusplus
}
#endif

#endif
