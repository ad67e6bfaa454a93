#include <fstream>
#include <sstream>

#include "platform/backends.h"
#include "sim/machine_contents.h"
#include "sim/sim_machine.h"

namespace platform {

std::shared_ptr<Platform> LoadSimulatedMachine(const std::string& path, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    if (error) *error = path + ": cannot open the machine file";
    return nullptr;
  }
  std::ostringstream text;
  text << file.rdbuf();
  sim::MachineSpec spec;
  if (!sim::ParseMachine(text.str(), path, &spec, error)) return nullptr;
  return std::make_shared<sim::SimMachine>(std::move(spec));
}

}  // namespace platform
