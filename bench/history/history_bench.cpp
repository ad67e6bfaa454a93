// Times the history operations on a file of two years of recordings every
// ten minutes (105,120 sets of 30 attributes) on a simulated drive, through
// the exported functions: EstimateTEC for the drive, ExportTECData for one
// attribute and one RecordTECData, next to one plain read of the file and
// the plain algorithm (count and export per attribute).
//
//   history_bench [sets]
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "history/history_format.h"
#include "history/history_path.h"
#include "hwscope/hwscope.h"
#include "platform/backends.h"
#include "platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kAttributes = 30;
constexpr int kDevice = 0;
const char kSerial[] = "BENCH-2Y-0001";

std::string MachineJson() {
  std::string attrs;
  for (int i = 0; i < kAttributes; ++i) {
    char entry[160];
    std::snprintf(entry, sizeof entry,
                  "%s{\"id\": %d, \"flags\": 51, \"current\": %d, \"worst\": %d, \"raw\": %d, "
                  "\"threshold\": %d}",
                  i ? ", " : "", i + 1, 180 - i, 170 - i, i * 7, 10 + i);
    attrs += entry;
  }
  return std::string("{\"administrator\": true, \"drives\": [{\"number\": 0, \"kind\": \"ata\", "
                     "\"bus\": \"SATA\", \"bridge\": \"native\", \"model\": \"Bench Disk 2000\", "
                     "\"serial\": \"") +
         kSerial + "\", \"firmware\": \"B1\", \"sectors\": 1000000, \"attributes\": [" + attrs +
         "]}]}";
}

// Two years of sets: values drift down slowly, attribute by attribute.
std::string HistoryFile(int sets) {
  using namespace hwscope::history;
  std::string bytes = EncodeHeader(static_cast<std::uint32_t>(sets));
  bytes.reserve(bytes.size() + static_cast<std::size_t>(sets) * (16 + 10 * kAttributes) + 4);
  Record records[kAttributes];
  const std::int64_t start = 1700000000 - static_cast<std::int64_t>(sets) * 600;
  for (int k = 0; k < sets; ++k) {
    for (int i = 0; i < kAttributes; ++i) {
      records[i].id = static_cast<std::uint8_t>(i + 1);
      records[i].current = static_cast<std::uint8_t>(200 - (static_cast<long long>(k) * (i + 1)) / (sets / 4 + 1) % 100);
      records[i].worst = records[i].current;
      records[i].raw = static_cast<std::uint64_t>(k) * (i + 1);
    }
    SetHeader h;
    h.recordCount = kAttributes;
    h.time = start + static_cast<std::int64_t>(k) * 600;
    bytes += EncodeSet(h, records, kAttributes);
  }
  return bytes + "LDMS";
}

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

constexpr int kRuns = 5;

// Runs `op` kRuns times: "median (min)" in milliseconds.
template <typename Op>
std::string Timed(Op op) {
  std::vector<double> ms;
  for (int i = 0; i < kRuns; ++i) {
    auto a = Clock::now();
    op();
    ms.push_back(Ms(a, Clock::now()));
  }
  std::sort(ms.begin(), ms.end());
  char text[64];
  std::snprintf(text, sizeof text, "%8.1f ms (min %6.1f)", ms[kRuns / 2], ms[0]);
  return text;
}

// The plain algorithm for the whole drive: count and export every
// attribute, extrapolate through the oldest and newest points and through
// the two newest, keep the earliest.
void PlainEstimate(long long* earliest, long long* second, int* attr) {
  *earliest = *second = *attr = 0;
  for (int id = 1; id <= kAttributes; ++id) {
    int n = 0;
    if (HwscopeDll_Smart_GetTECDataSetCount(&n, kDevice) != 0 || n < 3) return;
    std::vector<long long> t(n);
    std::vector<int> v(n), w(n);
    std::vector<unsigned long long> r(n);
    unsigned c = static_cast<unsigned>(n);
    if (HwscopeDll_Smart_ExportTECData(t.data(), v.data(), w.data(), r.data(), &c, id, kDevice) != 0) continue;
    const int threshold = 10 + id - 1;
    if (!((v[n - 1] < v[0] && t[0] < t[n - 1]) || (v[n - 2] < v[n - 1] && t[n - 1] < t[n - 2]))) continue;
    long long a = 0, b = 0;
    if (v[0] > v[n - 1] && t[n - 1] > t[0])
      a = t[0] + static_cast<long long>(v[0] - threshold) * (t[n - 1] - t[0]) / (v[0] - v[n - 1]);
    if (v[n - 2] > v[n - 1] && t[n - 1] > t[n - 2])
      b = t[n - 2] + static_cast<long long>(v[n - 2] - threshold) * (t[n - 1] - t[n - 2]) / (v[n - 2] - v[n - 1]);
    long long f = a > 0 ? a : 0, s = b > 0 ? b : 0;
    if (s != 0 && s < f) std::swap(f, s);
    if (f > 0 && (*earliest == 0 || f < *earliest)) {
      *earliest = f;
      *attr = id;
      if (*second == 0) *second = s;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int sets = argc > 1 ? std::atoi(argv[1]) : 2 * 365 * 144;
  auto folder = std::filesystem::temp_directory_path() / ("history-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const auto machinePath = folder / "machine.json";
  std::ofstream(machinePath) << MachineJson();
  std::string error;
  auto machine = platform::LoadSimulatedMachine(machinePath.string(), &error);
  if (!machine) {
    std::fprintf(stderr, "machine: %s\n", error.c_str());
    return 1;
  }
  platform::SetCurrentForTesting(machine);
  hwscope::history::SetHistoryFolderForTesting(folder.string());
  int rc = HwscopeDll_Smart_Init(false, nullptr, false);
  if (rc != 0) {
    std::fprintf(stderr, "Init: %d\n", rc);
    return 1;
  }

  const auto file = folder / (std::string(kSerial) + ".bin");
  {
    std::string bytes = HistoryFile(sets);
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  const auto size = std::filesystem::file_size(file);
  std::printf("history file: %d sets of %d attributes, %.1f MB; median of %d runs\n", sets, kAttributes,
              size / 1048576.0, kRuns);

  std::vector<char> buffer(size);
  std::printf("read the file once:                 %s\n", Timed([&] {
                int fd = open(file.c_str(), O_RDONLY);
                std::size_t got = 0;
                while (got < size) {
                  ssize_t n = read(fd, buffer.data() + got, size - got);
                  if (n <= 0) break;
                  got += static_cast<std::size_t>(n);
                }
                close(fd);
              }).c_str());

  long long earliest = 0, second = 0;
  int attr = 0;
  std::string took = Timed([&] { rc = HwscopeDll_Smart_EstimateTEC(&earliest, &second, &attr, kDevice); });
  std::printf("EstimateTEC (drive):                %s  result %d, attribute %d, %lld / %lld\n", took.c_str(),
              rc, attr, earliest, second);

  long long plainEarliest = 0, plainSecond = 0;
  int plainAttr = 0;
  took = Timed([&] { PlainEstimate(&plainEarliest, &plainSecond, &plainAttr); });
  std::printf("plain algorithm (30 count+export):  %s  %s\n", took.c_str(),
              plainAttr == attr && plainEarliest == earliest && plainSecond == second ? "same result"
                                                                                      : "DIFFERENT RESULT");

  std::vector<long long> times(static_cast<std::size_t>(sets) + kRuns);
  std::vector<int> values(times.size()), worsts(times.size());
  std::vector<unsigned long long> raws(times.size());
  unsigned count = 0;
  took = Timed([&] {
    count = static_cast<unsigned>(times.size());
    rc = HwscopeDll_Smart_ExportTECData(times.data(), values.data(), worsts.data(), raws.data(), &count,
                                        kAttributes, kDevice);
  });
  std::printf("ExportTECData (one attribute):      %s  result %d, %u sets\n", took.c_str(), rc, count);

  took = Timed([&] { rc = HwscopeDll_Smart_RecordTECData(kDevice); });
  std::printf("RecordTECData (one set):            %s  result %d\n", took.c_str(), rc);

  HwscopeDll_Smart_Cleanup();
  std::filesystem::remove_all(folder);
  return plainAttr == attr && plainEarliest == earliest && plainSecond == second ? 0 : 1;
}
