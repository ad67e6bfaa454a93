// printf conversions of a text, for checking translated texts.
#pragma once

#include <string>
#include <vector>

namespace testutil {

// The conversions in order, each as written ("%s", "%.1f", "%llu"); "%%"
// is not a conversion.
std::vector<std::string> Placeholders(const std::wstring& text);


}  // namespace testutil
