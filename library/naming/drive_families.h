// Sorting drive model numbers into controller pattern groups and vendors,
// whose attribute identifiers carry their own meanings.
#pragma once

#include <string>

namespace hwscope::naming {

enum class PatternGroup { kNone, kIndilinx, kSandForce, kThird };
enum class Vendor { kNone, kIntel, kSamsung, kCrucialMicron };

// The first pattern group whose pattern matches anywhere in the model
// number (case-sensitive; `$` is the end of the field, padding included).
PatternGroup MatchPatternGroup(const std::wstring& model);
Vendor MatchVendor(const std::wstring& model);
// Indilinx drives that count host traffic in gigabytes.
bool HostGigabyteTest(const std::wstring& model);
bool IsMicronM500DC(const std::wstring& model);

}  // namespace hwscope::naming
