// What the history operations take from the engine: the device's file path
// and the records of one data set.
#pragma once

#include <string>
#include <vector>

#include "engine/smart_info.h"
#include "history/history_format.h"

namespace hwscope::history {

// Checks the device, reads its serial number and builds its file path.
// Returns 0, the device check's code, the serial number's code or -1.
// `countTexts` selects the set counter's log text for a serial failure.
int DeviceHistoryPath(CSMARTInfo& engine, int device, const char* op, bool countTexts,
                      std::string* path);

// The device's attribute table as the records of a data set.
std::vector<Record> DeviceRecords(const DeviceState& state);

}  // namespace hwscope::history
