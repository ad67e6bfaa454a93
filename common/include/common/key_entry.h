// One entry of a string-table vocabulary: the key name used in the string
// file and the index code uses to look the text up.
#pragma once

namespace common {

struct KeyEntry {
  const char* name;
  int index;
};

}  // namespace common
