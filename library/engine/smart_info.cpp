// Construction and destruction of the engine.
#include "engine/smart_info.h"

namespace hwscope {

// Every record starts in its reset state: counts 0, handles none, device
// lists empty (the member initialisers).
CSMARTInfo::CSMARTInfo() = default;

// InitVars stops leftover acquisition workers and closes every open device
// handle, which is all that destruction has to release.
CSMARTInfo::~CSMARTInfo() { InitVars(); }

}  // namespace hwscope
