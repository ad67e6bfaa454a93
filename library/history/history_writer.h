// Appending a data set to a history file so that a process killed at any
// moment, or a write that fails, leaves a file whose earlier sets all read
// back and to which later recordings keep appending.
#pragma once

#include <cstddef>
#include <string>

#include "history/history_format.h"

namespace hwscope::history {

// Creates the file with one set, or appends a set to an existing file.
// `records` may be empty only when the file exists (-20001 then, file
// unchanged). Returns 0 or a code of history_format.h; logs failures as
// `op`.
int AppendSet(const std::string& path, const SetHeader& header, const Record* records,
              std::size_t count, const char* op);

}  // namespace hwscope::history
