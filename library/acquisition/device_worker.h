// The acquisition worker of one device and the record it shares with the
// acquiring thread. The worker reads into the record only; the acquiring
// thread copies the record into the engine after the worker has ended within
// its budget, and drops it otherwise.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "acquisition/bounded_worker.h"
#include "engine/smart_info.h"
#include "platform/platform.h"
#include "platform/wire.h"

namespace hwscope {

struct AcquisitionWorker {
  WorkerGate gate;
  std::shared_ptr<platform::Platform> platform;
  // Inputs.
  int device = -1;
  int row = -1;
  wchar_t rowLetter = 0;
  int refresh = 0;
  int budgetMs = 0;
  // The device handle: the engine's open handle moves in here for the
  // worker's run and moves back when the results are taken. A record that is
  // dropped closes it.
  platform::Handle handle = platform::kInvalidHandle;
  std::atomic<bool> opened{false};

  // Results.
  int bridgeType = kBridgeNone;
  bool geometryRead = false;
  platform::wire::DiskGeometry geometry{};
  bool busTypeRead = false;
  int busType = -1;
  bool addressRead = false;
  std::uint8_t scsiAddress[4] = {};
  bool versionSet = false;
  DriverVersionBlock version{};
  bool identifyRead = false;
  bool nvme = false;
  std::uint8_t identify[512] = {};
  bool smartRead = false;
  std::uint8_t smart[512] = {};
  std::uint8_t thresholds[512] = {};
  int exitCode = 0;

  AcquisitionWorker() = default;
  AcquisitionWorker(const AcquisitionWorker&) = delete;
  AcquisitionWorker& operator=(const AcquisitionWorker&) = delete;
  ~AcquisitionWorker();
};

// The worker body: open, geometry, descriptor, address, transport probe,
// identify and SMART data, each phase only while the budget lasts.
void GetSMARTInfoThread(AcquisitionWorker& record);

}  // namespace hwscope
