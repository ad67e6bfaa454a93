// pageserver_bench [seconds] [connections]
// Packs the manual into a book, serves it on loopback, then measures with
// wrk (when installed) and with an in-process keep-alive client of its own.
#include <httplib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "book_writer.h"
#include "page_server.h"
#include "text_util.h"

using namespace bookloom;
using Clock = std::chrono::steady_clock;

static void RunWrk(const std::string& url, int seconds, int connections) {
  if (std::system("command -v wrk >/dev/null 2>&1") != 0) {
    std::printf("wrk: not installed, skipped\n");
    return;
  }
  const std::string cmd = "wrk -t2 -c" + std::to_string(connections) + " -d" +
                          std::to_string(seconds) + "s --latency '" + url + "' 2>&1";
  std::printf("$ %s\n", cmd.c_str());
  std::fflush(stdout);
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char line[512];
    while (std::fgets(line, sizeof line, p)) std::fputs(line, stdout);
    pclose(p);
  }
}

static void RunOwnClient(int port, const std::string& prefix, const std::vector<std::string>& pages,
                         int seconds, int connections) {
  std::atomic<bool> stop{false};
  std::vector<std::vector<double>> latencies(static_cast<std::size_t>(connections));
  std::atomic<long> errors{0};
  std::vector<std::thread> threads;
  const auto start = Clock::now();
  for (int c = 0; c < connections; ++c) {
    threads.emplace_back([&, c] {
      httplib::Client cli("127.0.0.1", port);
      cli.set_keep_alive(true);
      cli.set_url_encode(false);
      std::size_t i = static_cast<std::size_t>(c);
      while (!stop) {
        const std::string path = prefix + "/" + pages[i++ % pages.size()];
        const auto t0 = Clock::now();
        auto res = cli.Get(path.c_str());
        const auto t1 = Clock::now();
        if (!res || res->status != 200) ++errors;
        latencies[static_cast<std::size_t>(c)].push_back(
            std::chrono::duration<double, std::milli>(t1 - t0).count());
      }
    });
  }
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  stop = true;
  for (auto& t : threads) t.join();
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  std::vector<double> all;
  for (auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
  std::sort(all.begin(), all.end());
  auto pct = [&](double p) { return all.empty() ? 0.0 : all[std::min(all.size() - 1, std::size_t(p * all.size()))]; };
  std::printf("own client: %d connections, %zu requests in %.1f s, %ld errors\n", connections,
              all.size(), elapsed, errors.load());
  std::printf("  requests/s %.0f   latency ms: p50 %.2f  p90 %.2f  p99 %.2f  max %.2f\n",
              all.size() / elapsed, pct(0.50), pct(0.90), pct(0.99), all.empty() ? 0.0 : all.back());
}

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const int connections = argc > 2 ? std::max(1, std::atoi(argv[2])) : 64;
  const std::string book = (std::filesystem::temp_directory_path() /
                            ("pageserver_bench_" + std::to_string(::getpid()) + ".pagemint")).string();
  std::string error;
  const std::string manual = SW_MANUAL_DIR;
  if (!WriteBook(manual, manual + "/book.desc", "", book, 200, error)) {
    std::fprintf(stderr, "cannot pack the manual: %s\n", error.c_str());
    return 1;
  }
  auto archive = std::make_shared<TQzLzhArchive>(book);
  if (!archive->FOpen) {
    std::fprintf(stderr, "cannot open %s\n", book.c_str());
    return 1;
  }
  std::vector<std::string> pages;
  for (int i = 0; i < archive->FileCount(); ++i) {
    const std::string name = U16ToUtf8(archive->FileRecordAt(i)->filename);
    if (!name.empty() && name[0] != '#') pages.push_back(name);
  }
  TPageServer server(TMimeTable::CreateDefault(), nullptr);
  if (!server.Start()) {
    std::fprintf(stderr, "no free port in 8000..8099\n");
    return 1;
  }
  server.MakeUrlPrefix(u"qz.8");
  server.SetBook(archive);
  const std::string base = U16ToUtf8(server.BaseURL());
  const std::string prefix = U16ToUtf8(server.UrlPrefix());
  std::printf("serving %d entries of the manual (%ju bytes) at %s\n", archive->FileCount(),
              static_cast<std::uintmax_t>(std::filesystem::file_size(book)), base.c_str());

  RunWrk(base + "hid_checktec.htm", seconds, connections);
  RunOwnClient(server.ServerPort(), prefix, pages, seconds, connections);
  server.Stop();
  std::filesystem::remove(book);
  return 0;
}
