#include "naming/drive_families.h"

#include <cwctype>
#include <regex>

#include "frame/log.h"

namespace hwscope::naming {
namespace {

const wchar_t* const kIndilinxPattern =
    L"(((Corsair|CORSAIR) )?(CMFSSD|CSSD-V).*)|(CRUCIAL_CT(.*)M225)|(G.SKILL FALCON.*)|"
    L"(GSkill FM-25S2I.*)|(OCZ[ -](AGILITY$|AGILITY4|COLOSSUS$|(OCTANE.*)|ONYX$|SOLID2|(ARC.*)|"
    L"(PETR ?OL)|(Vector.*)|(VECT ?OR.*)|((Vertex|VERTEX|VERT EX)[ -]?(1199|TURBO|(Plus|PLUS.*)|"
    L"4|450|460)?$)))|(Patriot Torqx.*)";
const wchar_t* const kSandForcePattern =
    L"(OCZ[ -]((AGILITY[23].*)|COLOSSUS2|ONYX2|Z-DRIVE|((SOLID|SOLI D)3)|NOCTI|(RevoDrive.*)|"
    L"(REVODRIVE.*)|VELO|((Vertex|VERTEX|VERT EX)[ -]?(2|3|LE).*)))|"
    L"((Corsair|CORSAIR) (Accelerator|Force|FORCE).*)|(CSSD-F.*)|"
    L"(ADATA (Premier Pro |SSD |XPG )?(S396|S510|S511|S599|SP800|SP900|(SX ?(900|910|300))|XM11|"
    L"XM14).*)|(GSkill (FM-25S2S|FM-25S3).*)|"
    L"((Kingston|KINGSTON )?(HyperX|SHFS37A|SMS200S|SV300|SVP200S|SH10|SKC100|SKC300|SKC380).*)|"
    L"(Mushkin.*)|(Patriot (Inferno|Mac Series|Wildfire|Pyro).*)|(PNY.*)|(SSD[29]SC.*)|"
    L"(SanDisk (SDSSD|SSD P4).*)|(TS.*GSS ?D ?[37]20.*)";
const wchar_t* const kThirdPattern =
    L"(ADATA (Premier Pro )?(S596 Turbo|SP600).*)|(APPLE SSD TS.*)|(CSSD-S.*)|"
    L"(KINGSTON|Kingston (SNV425S2|SSDNOW 30GB|SS100S2|SNVP325S2|SV100S2|SVP100S2|SV200S3|"
    L"SSDNow V).*)|(Patriot Warp.*)|(OCZ CORE_SSD.*)|(TOSHIBA THNS.*)|(TS.*GSS ?D ?340.*)";

// A compiled pattern; an engine that cannot compile it leaves it unusable,
// and every test with it logs once and counts as no match.
struct Pattern {
  explicit Pattern(const wchar_t* text) {
    try {
      regex = std::wregex(text, std::regex_constants::ECMAScript);
      ok = true;
    } catch (const std::regex_error& e) {
      error = e.what();
    }
  }
  bool Search(const std::wstring& subject) const {
    if (!ok) {
      Logf("Regular expression error: %s", error.c_str());
      return false;
    }
    try {
      return std::regex_search(subject, regex);
    } catch (const std::regex_error& e) {
      Logf("Regular expression error: %s", e.what());
      return false;
    }
  }
  std::wregex regex;
  bool ok = false;
  std::string error;
};

bool StartsNoCase(const std::wstring& text, const wchar_t* prefix) {
  std::size_t i = 0;
  for (; prefix[i] != L'\0'; ++i) {
    if (i >= text.size() || std::towlower(text[i]) != std::towlower(prefix[i])) return false;
  }
  return true;
}

bool Contains(const std::wstring& text, const wchar_t* part) {
  return text.find(part) != std::wstring::npos;
}

bool ContainsNoCase(const std::wstring& text, const std::wstring& part) {
  std::wstring lower;
  for (wchar_t c : text) lower += static_cast<wchar_t>(std::towlower(c));
  std::wstring p;
  for (wchar_t c : part) p += static_cast<wchar_t>(std::towlower(c));
  return lower.find(p) != std::wstring::npos;
}

}  // namespace

PatternGroup MatchPatternGroup(const std::wstring& model) {
  static const Pattern indilinx(kIndilinxPattern);
  static const Pattern sandForce(kSandForcePattern);
  static const Pattern third(kThirdPattern);
  if (indilinx.Search(model)) return PatternGroup::kIndilinx;
  if (sandForce.Search(model)) return PatternGroup::kSandForce;
  if (third.Search(model)) return PatternGroup::kThird;
  return PatternGroup::kNone;
}

Vendor MatchVendor(const std::wstring& model) {
  if (StartsNoCase(model, L"INTEL")) return Vendor::kIntel;
  if (StartsNoCase(model, L"Samsung") || StartsNoCase(model, L"OCZ SUMMIT"))
    return Vendor::kSamsung;
  if (StartsNoCase(model, L"Crucial") || StartsNoCase(model, L"Micron") ||
      Contains(model, L"C400-MTF") || Contains(model, L"C300-MTF") || Contains(model, L"MTFD"))
    return Vendor::kCrucialMicron;
  return Vendor::kNone;
}

bool HostGigabyteTest(const std::wstring& model) {
  return model.compare(0, 3, L"OCZ") == 0 &&
         (ContainsNoCase(model, L"VECTOR") || Contains(model, L"450") || Contains(model, L"460"));
}

bool IsMicronM500DC(const std::wstring& model) { return StartsNoCase(model, L"Micron_M500DC"); }

}  // namespace hwscope::naming
