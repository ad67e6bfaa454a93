#include "core/email_address.h"

#include <cstring>

namespace appcore {

int IsValidEmailAddress(const char* text) {
  if (text == nullptr) return 1;
  if (text[0] == '\0') return 2;
  const char* at = std::strchr(text, '@');
  if (at == nullptr) return 3;
  if (at == text) return 4;
  const char* domain = at + 1;
  // The dot rule comes first, so an address ending at its "@" reads as 5.
  if (std::strchr(domain, '.') == nullptr) return 5;
  if (*domain == '\0') return 6;
  return 0;
}

}  // namespace appcore
