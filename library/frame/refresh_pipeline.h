#pragma once

#include "engine/smart_info.h"

namespace hwscope {

// The full refresh of Init and Refresh: reset, administrator check, drive
// table, acquisition of every drive, and a history snapshot per SMART device
// when asked. Returns the acquisition result or the first failure.
int RunRefreshPipeline(CSMARTInfo& engine, bool recordHistory);

}  // namespace hwscope
