#include "sim_fixture.h"

#include <cstring>

#include "platform/wire.h"

namespace simtest {

std::shared_ptr<RecordingPlatform> InstallMachine(const std::string& json) {
  platform::sim::MachineSpec spec;
  std::string error;
  EXPECT_TRUE(platform::sim::ParseMachine(json, "test.json", &spec, &error)) << error;
  auto recorder = std::make_shared<RecordingPlatform>(
      std::make_shared<platform::sim::SimMachine>(std::move(spec)));
  platform::SetCurrentForTesting(recorder);
  return recorder;
}

std::string OneDrive(const std::string& kind, const std::string& bus, const std::string& bridge,
                     const std::string& extra) {
  return R"({"drives":[{"number":0,"kind":")" + kind + R"(","bus":")" + bus + R"(","bridge":")" +
         bridge + R"(","model":"Test Model TM-1","serial":"TM1SERIAL0042","firmware":"FW12",
         "sectors":1000000,
         "attributes":[{"id":5,"flags":51,"current":100,"worst":100,"raw":7,"threshold":10},
                       {"id":194,"flags":34,"current":64,"worst":50,"raw":36,"threshold":0}],
         "nvme_health":{"temperature":320,"available_spare":99,"power_on_hours":1234})" +
         extra + "}]}";
}

std::vector<std::uint8_t> Cdb(const Request& r) {
  platform::wire::ScsiPassThrough spt;
  if (r.in.size() < sizeof spt) return {};
  std::memcpy(&spt, r.in.data(), sizeof spt);
  return std::vector<std::uint8_t>(spt.cdb, spt.cdb + spt.cdbLength);
}

platform::Handle OpenDisk(int n) {
  return platform::Current().OpenDevice(L"\\\\.\\PhysicalDrive" + std::to_wstring(n));
}

}  // namespace simtest
