// The e-mail address check used for recipients and the sender address.
#pragma once

namespace appcore {

// 0 valid; otherwise the first failing rule: 1 no text, 2 empty, 3 no "@",
// 4 nothing before the first "@", 5 no "." anywhere after the first "@",
// 6 nothing after the first "@". The part before the "@" holds at most 63
// characters (it is cut there, as every address field is).
int IsValidEmailAddress(const char* text);

}  // namespace appcore
