// Full acquisition: one worker per disk of every fixed row, one at a time,
// each under the init timeout.
#include <cstring>
#include <memory>

#include "acquisition/device_worker.h"
#include "frame/log.h"

namespace hwscope {
namespace {

bool ListsDevice(const DriveRow& row, int device) {
  for (int i = 0; i < row.physicalCount && i < kMaxDevices; ++i)
    if (row.physicalList[i] == device) return true;
  return false;
}

bool Processed(const DriveRow& row) {
  return row.driveType == platform::kDriveFixed && row.physicalCount > 0 && !row.covered;
}

}  // namespace

// Copies what a worker that ended within its budget found into the engine;
// decoding runs here, on the acquiring thread. True when SMART data counts.
static bool AdoptResults(CSMARTInfo& engine, AcquisitionWorker& record) {
  const int device = record.device;
  DeviceState& state = engine.devices[device];
  DriveRow& row = engine.drives[record.row];
  if (state.handle == platform::kInvalidHandle) {
    state.handle = record.handle;
    record.handle = platform::kInvalidHandle;
  }
  if (record.bridgeType != kBridgeNone) row.bridgeType = record.bridgeType;
  if (record.geometryRead) {
    const auto& g = record.geometry;
    row.bytesPerSector = g.bytesPerSector;
    row.sectorsPerTrack = g.sectorsPerTrack;
    row.tracksPerCylinder = g.tracksPerCylinder;
    row.cylinders = static_cast<std::uint64_t>(g.cylinders);
    row.capacity = row.cylinders * g.tracksPerCylinder * g.sectorsPerTrack * g.bytesPerSector;
  }
  if (record.busTypeRead) row.busType = record.busType;
  if (record.addressRead) std::memcpy(row.scsiAddress, record.scsiAddress, sizeof row.scsiAddress);
  if (record.versionSet) state.version = record.version;

  const bool nvme = IsNvmeBridge(row.bridgeType);
  if (record.identifyRead) {
    if (nvme)
      engine.FormatNVMeIdInfo(record.identify, device, record.row);
    else
      engine.FormatIdInfo(record.identify, device, record.row);
  }
  if (!record.smartRead) return false;

  Logf("Formatting SMART data...");
  if (nvme) {
    engine.FormatNVMEAttributeData(record.smart, device, record.refresh);
    return true;
  }
  const bool decoded =
      engine.FormatAttributeData(record.smart, record.thresholds, device, record.refresh);
  Logf("Formatting Self Test status...");
  std::memcpy(state.selfTestStatus, record.smart + 362, sizeof state.selfTestStatus);
  // All-zero values from the native driver mean no usable SMART data; a
  // bridge's answer counts even so.
  const bool bridged = row.bridgeType >= kBridgeSat && row.bridgeType <= kBridgeSunplus;
  return decoded || bridged;
}

int CSMARTInfo::GetSMARTInfoNT(int flag) {
  Logf("GetSMARTInfoNT()");
  for (int index = 0; index < kMaxDriveRows; ++index) {
    DriveRow& row = drives[index];
    if (Processed(row)) {
      for (int i = 0; i < row.physicalCount && i < kMaxDevices; ++i) {
        const int device = row.physicalList[i];
        if (device < 0 || device >= kMaxDevices) {
          Logf("Error with SMART device id #%d (1)", device);
          continue;
        }
        std::shared_ptr<AcquisitionWorker>& slot = acquisitionWorkers[device];
        if (slot && !slot->gate.Done()) {
          Logf("GetSMARTInfoThread still running. Abort.  for device id #%d", device);
          continue;
        }
        auto record = std::make_shared<AcquisitionWorker>();
        record->platform = platform::CurrentShared();
        record->device = device;
        record->row = index;
        record->rowLetter = row.driveLetter;
        record->refresh = flag;
        record->budgetMs = InitTimeoutMs();
        // The open handle travels with the worker and comes back with its results.
        record->handle = devices[device].handle;
        devices[device].handle = platform::kInvalidHandle;
        slot = record;

        Logf("Creating thread GetSMARTInfoThread...");
        const WorkerOutcome outcome = RunBounded(record, GetSMARTInfoThread, record->budgetMs);
        if (outcome == WorkerOutcome::kStartFailed) {
          Logf("CreateThread(GetSMARTInfoThread) failed for device id #%d", device);
          devices[device].handle = record->handle;
          record->handle = platform::kInvalidHandle;
          slot.reset();
          continue;
        }
        if (flag == 0 && record->opened.load()) physicalDeviceIds.push_back(device);
        if (outcome == WorkerOutcome::kTimedOut) {
          // Left behind: it keeps its record (and closes its handle) when it
          // ends; nothing it reads reaches the engine.
          Logf("GetSMARTInfoThread timed out for device id #%d", device);
          continue;
        }
        slot.reset();
        if (AdoptResults(*this, *record)) {
          ++smartDeviceCount;
          row.smartCapable = 1;
          if (flag == 0) smartDeviceIds.push_back(device);
        } else {
          row.smartCapable = 0;
        }
      }
    } else if (row.physicalCount > 0) {
      // Close the handles of disks that no processed row reads.
      for (int i = 0; i < row.physicalCount && i < kMaxDevices; ++i) {
        const int device = row.physicalList[i];
        if (device < 0 || device >= kMaxDevices) {
          Logf("Error with SMART device id #%d (0)", device);
          continue;
        }
        bool used = false;
        for (int other = 0; other < kMaxDriveRows && !used; ++other)
          used = Processed(drives[other]) && ListsDevice(drives[other], device);
        if (used || devices[device].handle == platform::kInvalidHandle) continue;
        platform::Current().CloseDevice(devices[device].handle);
        devices[device].handle = platform::kInvalidHandle;
      }
    }
  }
  Logf("%d SMART enabled devices found.", smartDeviceCount);
  return 0;
}

int CSMARTInfo::AcquireAll() { return GetSMARTInfoNT(0); }

int CSMARTInfo::GetNumSmartDevices() { return smartDeviceCount; }

int CSMARTInfo::GetSmartDeviceIDFirst() {
  static const char* const kName = "CSMARTInfo::GetSmartIDFirst";
  if (smartDeviceIds.empty()) {
    Logf("%s[%d]: m_smartDeviceID.empty() is true", kName, 401);
    return HWSCOPE_E_SMART_LIST_EMPTY;
  }
  smartDeviceIter = 0;
  Logf("%s[%d]: *m_smartDeviceIDIter = %d", kName, 402, smartDeviceIds[0]);
  return smartDeviceIds[0];
}

int CSMARTInfo::GetSmartDeviceIDNext() {
  static const char* const kName = "CSMARTInfo::GetSmartIDNext";
  if (smartDeviceIter >= smartDeviceIds.size()) {
    Logf("%s[%d]: m_smartDeviceID.end() is true", kName, 403);
    return HWSCOPE_E_SMART_LIST_END;
  }
  ++smartDeviceIter;
  Logf("%s[%d]: after ++m_smartDeviceIDIter", kName, 404);
  if (smartDeviceIter >= smartDeviceIds.size()) {
    Logf("%s[%d]: m_smartDeviceIDIter==m_smartDeviceID.end() is true", kName, 405);
    return HWSCOPE_E_SMART_LIST_END;
  }
  return smartDeviceIds[smartDeviceIter];
}

}  // namespace hwscope
