#include "placeholders.h"

#include <cwchar>
#include <fstream>
#include <sstream>

namespace testutil {

std::vector<std::string> Placeholders(const std::wstring& text) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'%') continue;
    if (i + 1 < text.size() && text[i + 1] == L'%') {
      ++i;
      continue;
    }
    std::string spec = "%";
    std::size_t j = i + 1;
    while (j < text.size() && std::wcschr(L"-+ #0123456789.*hlLzjtI", text[j])) spec += static_cast<char>(text[j++]);
    if (j < text.size()) spec += static_cast<char>(text[j] < 0x80 ? text[j] : '?');
    out.push_back(spec);
    i = j;
  }
  return out;
}

}  // namespace testutil
