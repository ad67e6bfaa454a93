#include "history_test_support.h"

#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "history/history_path.h"

namespace historytest {

std::shared_ptr<ClockSystem> InstallClock(std::time_t now) {
  auto system = std::make_shared<ClockSystem>();
  system->now = now;
  platform::SetCurrentForTesting(system);
  return system;
}

void AttachDevice(hwscope::CSMARTInfo& engine, int device, int row, const std::string& serial,
                  bool nvme) {
  hwscope::DriveRow& d = engine.drives[row];
  d.present = 1;
  d.driveType = platform::kDriveFixed;
  d.smartRow = row;
  d.smartCapable = 1;
  d.physicalList[0] = device;
  d.physicalCount = 1;
  d.busType = nvme ? 17 : 11;
  d.bridgeType = nvme ? hwscope::kBridgeStorageQuery : hwscope::kBridgeNative;
  std::uint8_t* id = engine.devices[device].identify;
  const int offset = nvme ? 4 : 20;
  std::memset(id + offset, ' ', 20);
  std::memcpy(id + offset, serial.data(), std::min<std::size_t>(serial.size(), 20));
  engine.devices[device].version.version = 1;
  engine.devices[device].version.revision = 2;
}

void SetAtaAttributes(hwscope::CSMARTInfo& engine, int device,
                      const std::vector<AtaAttribute>& attributes) {
  hwscope::DeviceState& state = engine.devices[device];
  for (auto& a : state.attributes) a = hwscope::AttributeRecord();
  state.attributeCount = static_cast<int>(attributes.size());
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    hwscope::AttributeRecord& r = state.attributes[i];
    const AtaAttribute& a = attributes[i];
    r.value[0] = static_cast<std::uint8_t>(a.id);
    r.value[1] = 0x32;
    r.value[3] = static_cast<std::uint8_t>(a.current);
    r.value[4] = static_cast<std::uint8_t>(a.worst);
    for (int k = 0; k < 6; ++k) r.value[5 + k] = static_cast<std::uint8_t>(a.raw >> (8 * k));
    r.threshold[0] = static_cast<std::uint8_t>(a.id);
    r.threshold[1] = static_cast<std::uint8_t>(a.threshold);
    std::swprintf(r.name, 128, L"Attribute %d", a.id);
  }
  state.attributeList.assign(state.attributes, state.attributes + attributes.size());
}

void SetNvmeValues(hwscope::CSMARTInfo& engine, int device, const std::vector<std::uint64_t>& values) {
  hwscope::DeviceState& state = engine.devices[device];
  for (auto& a : state.attributes) a = hwscope::AttributeRecord();
  state.attributeCount = static_cast<int>(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    hwscope::AttributeRecord& r = state.attributes[i];
    r.nvme = 1;
    for (int k = 0; k < 8; ++k) r.value[k] = static_cast<std::uint8_t>(values[i] >> (8 * k));
    std::swprintf(r.name, 128, L"Health value %d", static_cast<int>(i));
  }
  state.attributeList.assign(state.attributes, state.attributes + values.size());
}

std::filesystem::path UseFreshHistoryFolder(const std::string& tag) {
  auto dir = std::filesystem::temp_directory_path() /
             ("history-" + tag + "-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  hwscope::history::SetHistoryFolderForTesting(dir.string());
  return dir;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string HistoryBytes(const std::vector<Set>& sets) {
  using namespace hwscope::history;
  std::string bytes = EncodeHeader(static_cast<std::uint32_t>(sets.size()));
  for (const Set& s : sets) {
    SetHeader h;
    h.recordCount = static_cast<std::uint32_t>(s.records.size());
    h.time = s.time;
    h.version = 1;
    h.revision = 2;
    bytes += EncodeSet(h, s.records.data(), s.records.size());
  }
  return bytes + "LDMS";
}

}  // namespace historytest
