#include "frame/refresh_pipeline.h"

#include "platform/platform.h"

namespace hwscope {

int RunRefreshPipeline(CSMARTInfo& engine, bool recordHistory) {
  engine.InitVars();
  if (!platform::Current().IsAdministrator()) return HWSCOPE_E_NOT_ADMIN;
  const int built = engine.BuildDrivesInfo(0);
  if (built < 0) return built;
  const int result = engine.AcquireAll();
  if (result == 0 && recordHistory) {
    // A failed snapshot does not fail the refresh.
    for (int device = engine.GetSmartDeviceIDFirst(); device >= 0;
         device = engine.GetSmartDeviceIDNext())
      engine.RecordTECData(device);
  }
  return result;
}

}  // namespace hwscope
