// The history section: every recorded value of one attribute or of each
// attribute of the drive's list, oldest first.
#include <ctime>
#include <memory>
#include <new>
#include <vector>

#include "naming/nvme_names.h"
#include "report/report_sections.h"
#include "strings/string_table.h"

namespace hwscope::report {

namespace {

constexpr unsigned kCapacity = 256000;

// Local time in the 24-character form "Www Mmm dd hh:mm:ss yyyy".
std::wstring ClockText(long long time) {
  static const wchar_t* const kDays[] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
  static const wchar_t* const kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                           L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
  std::time_t t = static_cast<std::time_t>(time);
  std::tm local{};
  if (!localtime_r(&t, &local) || local.tm_wday < 0 || local.tm_wday > 6 || local.tm_mon < 0 ||
      local.tm_mon > 11)
    return L"N/A";
  return Format(L"%ls %ls%3d %.2d:%.2d:%.2d %d", kDays[local.tm_wday], kMonths[local.tm_mon], local.tm_mday,
                local.tm_hour, local.tm_min, local.tm_sec, local.tm_year + 1900);
}

std::wstring AttributeName(ReportSource& src, int id) {
  std::vector<wchar_t> name(8192, L'\0');
  unsigned length = 8192;
  if (src.nvme)
    NvmeAttributeName(id, name.data(), &length);
  else
    src.engine.GetAttrDescByID(name.data(), &length, id, src.device);
  return std::wstring(name.data());
}

template <typename T>
std::unique_ptr<T[]> Reserve() {
  return std::unique_ptr<T[]>(new (std::nothrow) T[kCapacity]);
}

}  // namespace

void WriteHistory(ReportWriter& out, ReportSource& src, int historyAttrId) {
  out.Printf(L"\n%ls\n", Str(strings::SMART_RPTHDR_SMART_HISTORY).c_str());
  auto times = Reserve<long long>();
  auto values = Reserve<int>();
  auto worsts = Reserve<int>();
  auto raws = Reserve<unsigned long long>();
  if (!times || !values || !worsts || !raws) {
    out.Text(L"Hwscope SMART Error: Could not allocate memory\n");
    return;
  }
  std::vector<int> ids;
  if (historyAttrId != 0) {
    ids.push_back(historyAttrId);
  } else {
    int position = 0;
    for (const AttributeRecord& a : src.engine.devices[src.device].attributeList)
      ids.push_back(a.nvme ? position++ : (++position, a.Id()));
  }
  for (int id : ids) {
    out.Printf(L"Attribute ID: %-5d\tAttribute Name: %ls\n", id, AttributeName(src, id).c_str());
    out.Printf(L"  %-26ls\t%-10ls\t%-10ls\t%-10ls\n", L"Date", L"Value", L"Worst", L"Raw");
    out.Separator();
    unsigned count = kCapacity;
    if (src.engine.ExportTECData(times.get(), values.get(), worsts.get(), raws.get(), &count, id, src.device) != 0) {
      out.Text(L"No history\n");
    } else {
      for (unsigned k = 0; k < count; ++k)
        out.Printf(L"  %-26ls\t%-10d\t%-10d\t%-10llu\n", ClockText(times[k]).c_str(), values[k], worsts[k], raws[k]);
    }
    out.Text(L"\n");
  }
}

}  // namespace hwscope::report
