// The three points the threshold estimation uses (the oldest set and the
// two newest), for several attributes from one pass over the file.
#pragma once

#include <vector>

#include "history/history_reader.h"

namespace hwscope::history {

struct EndPoints {
  // What ExportTECData returns for the attribute.
  int status = 0;
  // Time and current value of sets 0, n-2 and n-1 as ExportTECData gives
  // them (0 for a set without the attribute).
  long long time[3] = {};
  int value[3] = {};
};

// The reader is open and its file holds at least 3 sets. out[i] belongs to
// ids[i].
void ReadEndPoints(HistoryReader& reader, const std::vector<int>& ids, std::vector<EndPoints>* out);

}  // namespace hwscope::history
