#include "history/history_device.h"

#include <algorithm>

#include "frame/log.h"
#include "history/history_path.h"

namespace hwscope::history {

int DeviceHistoryPath(CSMARTInfo& engine, int device, const char* op, bool countTexts,
                      std::string* path) {
  int rc = engine.IsValidSmartDevice(device);
  if (rc != 0) return rc;
  wchar_t serial[256] = {};
  unsigned length = 256;
  rc = engine.GetDeviceSerialNumber(serial, &length, device);
  if (rc != 0) {
    if (countTexts)
      Logf("Error <%s:%d>, GetDeviceSerialNumber: %d", op, __LINE__, rc);
    else
      Logf("Error <%s:%d>, GetDeviceSerialNumber err = %d", op, __LINE__, rc);
    return rc;
  }
  std::string folder;
  if (!HistoryFolder(&folder)) {
    Logf("Error <%s:%d>, error code: %d", op, __LINE__, kNoProgramPath);
    return kNoProgramPath;
  }
  *path = folder + "/" + HistoryFileName(std::wstring(serial, length));
  return kOk;
}

std::vector<Record> DeviceRecords(const DeviceState& state) {
  std::vector<Record> records;
  int count = state.attributeCount < 0 ? 0 : std::min(state.attributeCount, kMaxAttributes);
  for (int i = 0; i < count; ++i) {
    const AttributeRecord& a = state.attributes[i];
    Record r;
    if (a.nvme) {
      r.id = static_cast<std::uint8_t>(i);
      for (int k = 5; k >= 0; --k) r.raw = (r.raw << 8) | a.value[k];
    } else {
      r.id = a.Id();
      r.current = a.Current();
      r.raw = a.Raw48();
      r.worst = a.Worst();
    }
    records.push_back(r);
  }
  return records;
}

}  // namespace hwscope::history
