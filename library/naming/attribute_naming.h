// The display name of an ATA SMART attribute from its identifier and the
// drive's model number.
#pragma once

#include <string>

namespace hwscope::naming {

// The string-table key that names `attrId` on a drive with this model
// number (the 40-character field as reported, padding kept).
int AttributeKeyFor(const std::wstring& model, int attrId);

// Copies the name into `name` (capacity *nameLen characters, at most 127
// copied). 0; -4003 for identifier 0; -4004 when the name is the unknown-
// attribute text; -2001 when it does not fit (nothing copied).
int NameAttribute(const std::wstring& model, int attrId, wchar_t* name, unsigned* nameLen);

}  // namespace hwscope::naming
