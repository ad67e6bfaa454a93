// ExportReport: writes the text report of one drive.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/text.h"
#include "engine/smart_info.h"
#include "frame/log.h"
#include "report/report_sections.h"

namespace hwscope {

int CSMARTInfo::ExportReport(const wchar_t* path, int device, const wchar_t* header, int writeHeader,
                             int options, int historyAttrId) {
  int rc = IsValidPhysicalDevice(device);
  if (rc != 0) return rc;
  std::FILE* file = path ? std::fopen(common::ToUtf8(path).c_str(), "wb") : nullptr;
  if (!file) {
    int e = path ? errno : ENOENT;
    Logf("%s error.  Error: %d \"%s\"", "fopen", e, std::strerror(e));
    return -5001;
  }
  Logf("Exporting info for Device %d", device);
  report::ReportSource src{*this, device, {}, DriveRow(), false};
  if (GetDeviceInfo(&src.info, device) != 0) std::memset(&src.info, 0, sizeof src.info);
  const int row = FindDriveRow(device);
  if (row >= 0 && row < kMaxDriveRows) src.row = drives[row];
  src.nvme = IsNvmeBridge(src.row.bridgeType) || src.info.busType == 17;
  bool written = false;
  {
    report::ReportWriter out(file);
    report::WriteHead(out, src, header, writeHeader != 0);
    if (options & 1) report::WriteDetails(out, src);
    if (options & 2) report::WriteAttributeTable(out, src);
    if (options & 4) report::WriteHistory(out, src, historyAttrId);
    out.Text(L"\n");
    written = out.Flush();
    if (!written) Logf("%s error.  Error: %d \"%s\"", "fwrite", errno, std::strerror(errno));
  }
  // The last buffered bytes go out here; a full disk shows only now.
  if (std::fclose(file) != 0 && written) {
    written = false;
    Logf("%s error.  Error: %d \"%s\"", "fclose", errno, std::strerror(errno));
  }
  // A report cut short is not reported as written.
  return written ? 0 : -5002;
}

}  // namespace hwscope
