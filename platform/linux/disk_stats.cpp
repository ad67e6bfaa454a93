#include "linux/disk_stats.h"

#include <sstream>
#include <vector>

namespace platform::linux_backend {

std::map<std::string, DiskActivitySample> ParseDiskStats(const std::string& text) {
  std::map<std::string, DiskActivitySample> stats;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    unsigned major = 0, minor = 0;
    std::string name;
    if (!(fields >> major >> minor >> name)) continue;
    // reads, merged, sectors read, ms reading, writes, merged, sectors
    // written, ms writing, in flight, ms busy, weighted ms
    std::vector<std::uint64_t> v;
    std::uint64_t x;
    while (v.size() < 11 && fields >> x) v.push_back(x);
    if (v.size() < 11) continue;
    DiskActivitySample s;
    s.reads = v[0];
    s.bytesRead = v[2] * 512;
    s.readTimeMs = v[3];
    s.writes = v[4];
    s.bytesWritten = v[6] * 512;
    s.writeTimeMs = v[7];
    s.busyMs = v[9];
    stats[name] = s;
  }
  return stats;
}

}  // namespace platform::linux_backend
