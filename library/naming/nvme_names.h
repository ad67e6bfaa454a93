// Names of the NVMe health-log pseudo-attributes, by position 0 to 14.
#pragma once

namespace hwscope {

// Copies the name of the pseudo-attribute at `position` (capacity *nameLen
// characters); positions outside 0..14 get the unknown-attribute text.
// 0; -2001 when it does not fit (nothing copied); -4004 for the unknown text.
int NvmeAttributeName(int position, wchar_t* name, unsigned* nameLen);

}  // namespace hwscope
