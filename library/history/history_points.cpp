#include "history/history_points.h"

namespace hwscope::history {

void ReadEndPoints(HistoryReader& reader, const std::vector<int>& ids, std::vector<EndPoints>* out) {
  out->assign(ids.size(), EndPoints{});
  const std::uint32_t n = reader.SetCount();
  if (n < 3) return;
  auto slotOf = [n](std::uint32_t k) { return k == 0 ? 0 : k == n - 2 ? 1 : k == n - 1 ? 2 : -1; };
  // ExportTECData's result is the status of its last set; every set before
  // the unreadable ones reads whole, so only set n-1's status matters.
  reader.Walk(
      n,
      [&](const SetView& set) {
        int slot = slotOf(set.index);
        if (slot < 0) return 0;
        for (std::size_t i = 0; i < ids.size(); ++i) {
          Record record;
          bool found = false;
          int status = reader.FindRecord(set, ids[i], &record, &found);
          EndPoints& p = (*out)[i];
          if (found) {
            p.time[slot] = set.header.time;
            p.value[slot] = record.current;
          }
          if (slot == 2) p.status = status;
        }
        return 0;
      },
      [&](std::uint32_t first) {
        for (EndPoints& p : *out) {
          p.status = kReadFailed;
          for (int slot = 0; slot < 3; ++slot) {
            std::uint32_t k = slot == 0 ? 0 : n - 3 + static_cast<std::uint32_t>(slot);
            if (k >= first) {
              p.time[slot] = 0;
              p.value[slot] = 0;
            }
          }
        }
      });
}

}  // namespace hwscope::history
