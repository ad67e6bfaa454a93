// Feeds arbitrary bytes as a drive's history file to every reader, the
// estimations and recording. Readers must never change the file; a
// recording that succeeds must leave one more set that reads back.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/smart_info.h"
#include "history/history_path.h"

namespace {

constexpr int kDev = 0;

struct Setup {
  hwscope::CSMARTInfo engine;
  std::string folder;
  std::string file;

  Setup() {
    // tmpfs when there is one: syncs cost nothing there.
    folder = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/fuzz-history-") +
             std::to_string(getpid());
    std::string command = "mkdir -p " + folder;
    if (std::system(command.c_str()) != 0) std::abort();
    hwscope::history::SetHistoryFolderForTesting(folder);
    file = folder + "/FUZZ-1.bin";
    hwscope::DriveRow& row = engine.drives[0];
    row.present = 1;
    row.driveType = 3;
    row.smartRow = 0;
    row.smartCapable = 1;
    row.physicalList[0] = kDev;
    row.physicalCount = 1;
    row.bridgeType = hwscope::kBridgeNative;
    hwscope::DeviceState& d = engine.devices[kDev];
    std::memset(d.identify + 20, ' ', 20);
    std::memcpy(d.identify + 20, "FUZZ-1", 6);
    d.attributeCount = 4;
    const int ids[] = {1, 5, 9, 194};
    for (int i = 0; i < 4; ++i) {
      d.attributes[i].value[0] = static_cast<std::uint8_t>(ids[i]);
      d.attributes[i].value[3] = 100;
      d.attributes[i].threshold[1] = static_cast<std::uint8_t>(i * 10);
    }
  }
};

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

int Count(hwscope::CSMARTInfo& e) {
  int n = -1;
  return e.GetTECDataSetCount(&n, kDev) == 0 ? n : -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Setup* s = new Setup();
  hwscope::CSMARTInfo& e = s->engine;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(s->file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  const int count = Count(e);
  for (int index : {0, 1, 2, count - 1, count}) {
    long long t;
    int v, w;
    unsigned long long r;
    e.GetTECDataAtIndex(&t, &v, &w, &r, index, 5, kDev);
  }
  if (count >= 0 && count <= 4096) {
    std::vector<long long> ts(static_cast<std::size_t>(count) + 1);
    std::vector<int> vs(ts.size()), ws(ts.size());
    std::vector<unsigned long long> rs(ts.size());
    for (int id : {1, 5, 194, 0}) {
      unsigned n = static_cast<unsigned>(count);
      e.ExportTECData(ts.data(), vs.data(), ws.data(), rs.data(), &n, id, kDev);
    }
  }
  long long a, b;
  int id;
  e.EstimateTECByAttributeID(&a, &b, 9, kDev);
  e.EstimateTEC(&a, &b, &id, kDev);
  if (Read(s->file) != bytes) std::abort();  // a reader changed the file

  if (e.RecordTECData(kDev) == 0) {
    const int after = Count(e);
    if (after != (count < 0 ? 1 : count + 1)) std::abort();
    std::vector<long long> ts(static_cast<std::size_t>(after));
    std::vector<int> vs(ts.size()), ws(ts.size());
    std::vector<unsigned long long> rs(ts.size());
    unsigned n = static_cast<unsigned>(after);
    if (after <= 100000 && e.ExportTECData(ts.data(), vs.data(), ws.data(), rs.data(), &n, 5, kDev) != 0)
      std::abort();  // the recorded file does not read back
  }
  return 0;
}
