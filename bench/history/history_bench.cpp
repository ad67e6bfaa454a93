// Times the history operations on a file of two years of recordings every
// ten minutes (105,120 sets of 30 attributes) on a simulated drive, through
// the exported functions: EstimateTEC for the drive, ExportTECData for one
// attribute and one RecordTECData, next to one plain read of the file and
// the plain algorithm (count and export per attribute).
//
//   history_bench [sets]
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
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
  std::printf("history file: %d sets of %d attributes, %.1f MB\n", sets, kAttributes, size / 1048576.0);

  // One plain read of the whole file, for comparison.
  std::vector<char> buffer(size);
  auto t0 = Clock::now();
  int fd = open(file.c_str(), O_RDONLY);
  std::size_t got = 0;
  while (got < size) {
    ssize_t n = read(fd, buffer.data() + got, size - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  close(fd);
  auto t1 = Clock::now();
  std::printf("read the file once:               %8.1f ms\n", Ms(t0, t1));

  long long earliest = 0, second = 0;
  int attr = 0;
  t0 = Clock::now();
  rc = HwscopeDll_Smart_EstimateTEC(&earliest, &second, &attr, kDevice);
  t1 = Clock::now();
  std::printf("EstimateTEC (drive):              %8.1f ms  (result %d, attribute %d, %lld / %lld)\n",
              Ms(t0, t1), rc, attr, earliest, second);

  std::vector<long long> times(sets);
  std::vector<int> values(sets), worsts(sets);
  std::vector<unsigned long long> raws(sets);
  unsigned count = static_cast<unsigned>(sets);
  t0 = Clock::now();
  rc = HwscopeDll_Smart_ExportTECData(times.data(), values.data(), worsts.data(), raws.data(), &count,
                                      kAttributes, kDevice);
  t1 = Clock::now();
  std::printf("ExportTECData (one attribute):    %8.1f ms  (result %d, %u sets)\n", Ms(t0, t1), rc, count);

  // The plain algorithm: count and export per attribute, then extrapolate.
  t0 = Clock::now();
  for (int id = 1; id <= kAttributes; ++id) {
    int n = 0;
    HwscopeDll_Smart_GetTECDataSetCount(&n, kDevice);
    unsigned c = static_cast<unsigned>(n);
    HwscopeDll_Smart_ExportTECData(times.data(), values.data(), worsts.data(), raws.data(), &c, id, kDevice);
  }
  t1 = Clock::now();
  std::printf("plain estimate (30 x count+export):%7.1f ms\n", Ms(t0, t1));

  t0 = Clock::now();
  rc = HwscopeDll_Smart_RecordTECData(kDevice);
  t1 = Clock::now();
  std::printf("RecordTECData (one set):          %8.1f ms  (result %d)\n", Ms(t0, t1), rc);

  HwscopeDll_Smart_Cleanup();
  std::filesystem::remove_all(folder);
  return 0;
}
