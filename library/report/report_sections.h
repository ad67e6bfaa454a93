// The sections of a drive report, each written from the engine's state of
// one device.
#pragma once

#include <string>

#include "engine/smart_info.h"
#include "report/report_writer.h"

namespace hwscope::report {

struct ReportSource {
  CSMARTInfo& engine;
  int device;
  HwscopeDeviceInfo info;  // all zero when it cannot be read
  DriveRow row;            // a copy of the device's drive row
  bool nvme;
};

// Optional header line, version, time of export and identification.
void WriteHead(ReportWriter& out, ReportSource& src, const wchar_t* header, bool writeHeader);
// Firmware, partitions, geometry and, for ATA drives, the identify features.
void WriteDetails(ReportWriter& out, ReportSource& src);
// The attribute table with status and threshold-exceeded dates.
void WriteAttributeTable(ReportWriter& out, ReportSource& src);
// The recorded history of one attribute or of every attribute.
void WriteHistory(ReportWriter& out, ReportSource& src, int historyAttrId);

// Texts of the library string table.
std::wstring Str(int key);
std::wstring YesNo(bool yes);
std::wstring NotAvailable();

}  // namespace hwscope::report
