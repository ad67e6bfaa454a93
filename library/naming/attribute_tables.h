// Attribute identifier -> string-table key: the base table and the tables of
// the pattern groups and vendors that rename some identifiers.
#pragma once

#include <cstddef>

#include "strings/hwscope_keys.h"

namespace hwscope::naming {

struct AttributeKey {
  int id;
  strings::HwKey key;
};

struct AttributeTable {
  const AttributeKey* entries;
  std::size_t size;
};

extern const AttributeTable kBaseTable;
extern const AttributeTable kIndilinxTable;
extern const AttributeTable kSandForceTable;
extern const AttributeTable kThirdGroupTable;
extern const AttributeTable kIntelTable;
extern const AttributeTable kSamsungTable;
extern const AttributeTable kCrucialMicronTable;

// The key the table gives `id`, or -1 when it does not list it.
int FindKey(const AttributeTable& table, int id);

}  // namespace hwscope::naming
