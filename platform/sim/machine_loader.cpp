#include "platform/backends.h"

namespace platform {

std::shared_ptr<Platform> LoadSimulatedMachine(const std::string& path, std::string* error) {
  if (error) *error = path + ": the simulated machine is not built yet";
  return nullptr;
}

}  // namespace platform
