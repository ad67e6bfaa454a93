// Head of the report: optional header, version, export time, identification.
#include <clocale>
#include <ctime>
#include <locale.h>

#include "common/text.h"
#include "platform/platform.h"
#include "report/report_sections.h"
#include "strings/string_table.h"

namespace hwscope::report {

namespace {

using namespace strings;

const wchar_t* const kBusNames[] = {L"Unknown", L"SCSI", L"ATAPI", L"ATA", L"1394", L"SSA",
                                    L"Fibre", L"USB", L"RAID", L"iSCSI", L"SAS", L"SATA", L"SD",
                                    L"MMC", L"Virtual Storage", L"Virtual File-backed Storage",
                                    L"Storage Spaces", L"NVMe"};

// Local time "HH:mm:ss dd-MMM-yyyy", the month in the user's language.
std::wstring ExportTime() {
  std::time_t now = platform::Current().Now();
  std::tm local{};
  if (!localtime_r(&now, &local)) return std::wstring();
  char text[128] = {};
  locale_t user = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) user = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  strftime_l(text, sizeof text, "%H:%M:%S %d-%b-%Y", &local, user);
  freelocale(user);
  return common::FromUtf8(text);
}

}  // namespace

std::wstring Str(int key) { return TextCopy(key); }

std::wstring YesNo(bool yes) { return TextCopy(yes ? HW_IDS_YES : HW_IDS_NO).substr(0, 15); }

std::wstring NotAvailable() { return TextCopy(HW_IDS_NA_ABV); }

void WriteHead(ReportWriter& out, ReportSource& src, const wchar_t* header, bool writeHeader) {
  if (writeHeader && header) out.Printf(L"%ls\n", header);
  out.Label(0, L"Hwscope DLL Version:");
  out.Printf(L"%ls %ls Build: %ls\n", L"Hwscope", L"v3.0", L"1000");
  out.Line(0, Str(SMART_RPTHDR_TIME_OF_EXPORT), ExportTime());
  out.Text(L"\n");
  out.Line(0, Str(SMART_RPTHDR_DEVICE_INFO), L"");
  out.Line(1, Str(SMART_RPTHDR_DEVICE_ID), Format(L"%d", src.device));
  const unsigned bus = src.info.busType;
  out.Line(1, Str(SMART_RPTHDR_INTERFACE), bus <= 17 ? kBusNames[bus] : Str(HW_IDS_UNKNOWN));

  unsigned megabytes = 0;
  out.Line(1, Str(SMART_RPTHDR_DEVICE_CAPACITY),
           src.engine.GetDeviceCapacity(&megabytes, src.device) == 0
               ? Format(L"%d MB", static_cast<int>(megabytes))
               : NotAvailable());
  wchar_t text[256];
  unsigned serialLength = 256;
  out.Line(1, Str(SMART_RPTHDR_SERIAL_NO),
           src.engine.GetDeviceSerialNumber(text, &serialLength, src.device) == 0
               ? std::wstring(text, serialLength)
               : NotAvailable());
  int modelLength = 256;
  out.Line(1, Str(SMART_RPTHDR_MODEL_NO),
           src.engine.GetDeviceModelNumber(text, &modelLength, src.device) == 0
               ? std::wstring(text, static_cast<std::size_t>(modelLength))
               : NotAvailable());
}

}  // namespace hwscope::report
