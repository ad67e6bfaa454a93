#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/backends.h"
#include "platform/platform.h"

namespace platform {
namespace {

std::mutex g_mutex;
std::shared_ptr<Platform> g_current;

std::shared_ptr<Platform> Choose() {
  const char* machine = std::getenv("SPINDLEWATCH_MACHINE");
  if (machine != nullptr && *machine != '\0') {
    std::string error;
    auto sim = LoadSimulatedMachine(machine, &error);
    if (!sim) {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::exit(2);
    }
    return sim;
  }
  return CreateNativePlatform();
}

}  // namespace

Platform& Current() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_current) g_current = Choose();
  return *g_current;
}

std::shared_ptr<Platform> CurrentShared() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_current) g_current = Choose();
  return g_current;
}

void SetCurrentForTesting(std::shared_ptr<Platform> platform) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_current = std::move(platform);
}

}  // namespace platform
