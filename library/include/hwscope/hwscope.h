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
 * Offsets are fixed (noted per field); every reserved byte is zero. "Wn" is
 * word n of the drive's IDENTIFY DEVICE data, "Wn.b" bit b of it; flags are
 * 0 or 1. For NVMe drives only offsets 0 to 23, 34 and the three strings are
 * filled. */
#pragma pack(push, 1)
typedef struct HwscopeDeviceInfo {
  unsigned char scsiPathId;               /* 0 */
  unsigned char scsiTargetId;             /* 1 */
  unsigned char scsiLun;                  /* 2 */
  unsigned char busType;                  /* 3: storage bus type, low byte */
  unsigned char reserved4[4];             /* 4 */
  unsigned long long cylinders;           /* 8 */
  unsigned short bytesPerSector;          /* 16 */
  unsigned short sectorsPerTrack;         /* 18 */
  unsigned short tracksPerCylinder;       /* 20 */
  unsigned short logicalSectorSize;       /* 22 */
  unsigned short physicalSectorSize;      /* 24: bytes per sector << (W106 & 15) */
  unsigned char reserved26[2];            /* 26 */
  unsigned int bufferSize;                /* 28: W21 * 512 */
  unsigned short word22;                  /* 32 */
  unsigned short rotationRate;            /* 34: W217, NVMe 1 (non-rotating) */
  unsigned short majorVersion;            /* 36: W80 */
  unsigned short transportMajorVersion;   /* 38: W222 */
  unsigned long long userSectors;         /* 40: W60-61, or W100-103 when large */
  char serialNumber[20];                  /* 48: as stored, not terminated */
  unsigned char reserved68;               /* 68 */
  char firmwareRevision[8];               /* 69 */
  unsigned char reserved77;               /* 77 */
  char modelNumber[40];                   /* 78 */
  unsigned char reserved118;              /* 118 */
  unsigned char worldWideName[8];         /* 119: W108-111 in word order */
  unsigned char smartSupported;           /* 127: W82.0 */
  unsigned char smartEnabled;             /* 128: W85.0 */
  unsigned char selfTestSupported;        /* 129: W84.1 */
  unsigned char errorLogSupported;        /* 130: W84.0 */
  unsigned char lbaSupported;             /* 131: W49.9 */
  unsigned char iordySupported;           /* 132: W49.11 */
  unsigned char word69Bit15;              /* 133: W69.15 */
  unsigned char dmaSupported;             /* 134: W49.8 */
  unsigned char multiwordDmaSupported;    /* 135: W63 bits 2-0 */
  unsigned char multiwordDmaSelected;     /* 136: W63 bits 10-8 */
  unsigned char ultraDmaSupported;        /* 137: W88 bits 6-0 */
  unsigned char ultraDmaSelected;         /* 138: W88 bits 14-8 */
  unsigned char pioModesSupported;        /* 139: W64 low byte */
  unsigned char serialAta;                /* 140: W76 neither 0 nor 0xFFFF */
  unsigned char reserved141;              /* 141 */
  unsigned short sataCapabilities;        /* 142: W76 */
  unsigned short sataFeaturesSupported;   /* 144: W78 */
  unsigned short sataFeaturesEnabled;     /* 146: W79 */
  unsigned char trustedComputing;         /* 148: W48.0 */
  unsigned char hpaSupported;             /* 149: W82.10 */
  unsigned char readLookAheadSupported;   /* 150: W82.6 */
  unsigned char readLookAheadEnabled;     /* 151: W85.6 */
  unsigned char writeCacheSupported;      /* 152: W82.5 */
  unsigned char writeCacheEnabled;        /* 153: W85.5 */
  unsigned char powerManagementSupported; /* 154: W82.3 */
  unsigned char securitySupported;        /* 155: W82.1 */
  unsigned char securityEnabled;          /* 156: W85.1 */
  unsigned char dcoSupported;             /* 157: W83.11 */
  unsigned char lba48Supported;           /* 158: W83.10 */
  unsigned char aamSupported;             /* 159: W83.9 */
  unsigned char aamEnabled;               /* 160: W86.9 */
  unsigned char aamRecommended;           /* 161: W94 high byte */
  unsigned char aamCurrent;               /* 162: W94 low byte */
  unsigned char puisSupported;            /* 163: W83.5 */
  unsigned char puisEnabled;              /* 164: W86.5 */
  unsigned char apmSupported;             /* 165: W83.3 */
  unsigned char apmEnabled;               /* 166: W86.3 */
  unsigned char apmLevel;                 /* 167: W91 low byte */
  unsigned char cfaSupported;             /* 168: W83.2 */
  unsigned char gplSupported;             /* 169: W84.5 */
  unsigned char streamingSupported;       /* 170: W84.4 */
  unsigned char mediaCardSupported;       /* 171: W84.3 */
  unsigned char word87Bit3;               /* 172: W87.3 */
  unsigned char epcSupported;             /* 173: W119.7 */
  unsigned char epcEnabled;               /* 174: W120.7 */
  unsigned char senseDataSupported;       /* 175: W119.6 */
  unsigned char senseDataEnabled;         /* 176: W120.6 */
  unsigned char freeFallSupported;        /* 177: W119.5 */
  unsigned char freeFallEnabled;          /* 178: W120.5 */
  unsigned char writeReadVerifySupported; /* 179: W119.1 */
  unsigned char writeReadVerifyEnabled;   /* 180: W120.1 */
  unsigned char trimSupported;            /* 181: W169.0 */
  unsigned short sctSupported;            /* 182: W206.0 */
  unsigned char word214Bit4;              /* 184: W214.4 */
  unsigned char word214Bit0;              /* 185: W214.0 */
  unsigned char word214Bit1;              /* 186: W214.1 */
  unsigned char reserved187[5];           /* 187 */
} HwscopeDeviceInfo;
#pragma pack(pop)

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
