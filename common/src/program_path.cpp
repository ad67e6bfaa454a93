#include "common/program_path.h"

#include <unistd.h>

#include <climits>

namespace common {

std::string ProgramDirectory() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string path(buf, static_cast<std::size_t>(n));
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash);
}

}  // namespace common
