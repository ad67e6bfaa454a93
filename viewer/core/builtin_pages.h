// The server's built-in resources ":default.html" and ":pagemint-logo.png".
#pragma once

#include <string_view>

#include "raw_inflate.h"

namespace bookloom {

// Start page shown when no book is open (UTF-8 with byte-order mark).
const TBytes& DefaultHtml();
// The viewer's logo as a PNG file, drawn by code.
const TBytes& LogoPng();
// Produces a built-in resource by name (compared ignoring case); false for
// an unknown colon name.
bool ProduceBuiltin(std::u16string_view name, TBytes& out);

}  // namespace bookloom
