// The SMART attribute table: values, pass/fail status, raw values and the
// estimated threshold-exceeded date of every attribute.
#include <cstdint>
#include <ctime>
#include <locale.h>

#include "common/text.h"
#include "report/report_sections.h"

namespace hwscope::report {

namespace {

// UTC "%d %b %Y %H:%M:%S" with English month names, or "N/A".
std::wstring TecText(CSMARTInfo& engine, int attrId, int device) {
  long long first = 0;
  long long second = 0;
  if (engine.EstimateTECByAttributeID(&first, &second, attrId, device) != 0 || first == 0) return L"N/A";
  std::time_t when = static_cast<std::time_t>(first);
  std::tm utc{};
  if (!gmtime_r(&when, &utc)) return L"N/A";
  char text[96] = {};
  locale_t c = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  strftime_l(text, sizeof text, "%d %b %Y %H:%M:%S", &utc, c);
  freelocale(c);
  return common::FromUtf8(text);
}

std::wstring Name(const AttributeRecord& record) {
  std::size_t n = 0;
  while (n < 128 && record.name[n]) ++n;
  return std::wstring(record.name, n);
}

std::uint64_t Low64(const std::uint8_t* value) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | value[i];
  return v;
}

}  // namespace

void WriteAttributeTable(ReportWriter& out, ReportSource& src) {
  out.Text(L"\nSMART ATTRIBUTES:\n");
  out.Printf(L"%3ls\t%-40ls\t%-10ls\t%-10ls\t%-10ls\t%-10ls\t%-10ls\t%-20ls\n", L"ID", L"Description",
             L"Status", L"Value", L"Worst", L"Threshold", L"Raw Value", L"TEC");
  out.Separator();
  const DeviceState& state = src.engine.devices[src.device];
  const int count = state.attributeCount < 0 ? 0 : std::min(state.attributeCount, kMaxAttributes);
  for (int i = 0; i < count; ++i) {
    const AttributeRecord& a = state.attributes[i];
    if (a.nvme) {
      const std::uint64_t value = Low64(a.value);
      std::wstring raw = i == 1 ? Format(L"%ld C", static_cast<long>(static_cast<std::int16_t>(value - 273)))
                                : Format(L"%llu", static_cast<unsigned long long>(value));
      out.Printf(L"%3u\t%-40ls\t%-10ls\t%-10ls\t%-10ls\t%-10ls\t%-10ls\t%-20ls\n", static_cast<unsigned>(i),
                 Name(a).c_str(), L"OK     ", L"N/A", L"N/A", L"N/A", raw.c_str(),
                 TecText(src.engine, i, src.device).c_str());
      continue;
    }
    const bool fail = a.Threshold() != 0 && a.Threshold() >= a.Current();
    std::wstring raw = a.Id() == 194 ? Format(L"%ld C", static_cast<long>(static_cast<std::int16_t>(a.Raw48() & 0xFFFF)))
                                     : Format(L"%llu", static_cast<unsigned long long>(a.Raw48()));
    out.Printf(L"%3u\t%-40ls\t%-10ls\t%-10d\t%-10d\t%-10d\t%-10ls\t%-20ls\n", static_cast<unsigned>(a.Id()),
               Name(a).c_str(), fail ? L"FAIL   " : L"OK     ", a.Current(), a.Worst(), a.Threshold(),
               raw.c_str(), TecText(src.engine, a.Id(), src.device).c_str());
  }
}

}  // namespace hwscope::report
