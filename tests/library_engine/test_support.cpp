#include "test_support.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "common/text.h"

namespace enginetest {

platform::Handle BareSystem::OpenDevice(const std::wstring&) { return platform::kInvalidHandle; }

bool BareSystem::DeviceControl(platform::Handle, std::uint32_t, const void*, std::uint32_t, void*,
                               std::uint32_t, std::uint32_t*) {
  return false;
}

std::wstring BareSystem::ErrorText(std::uint32_t code) {
  if (code == platform::kErrorNotEnoughMemory) return L"Not enough memory resources are available.";
  return L"";
}

std::shared_ptr<BareSystem> InstallBareSystem() {
  auto system = std::make_shared<BareSystem>();
  platform::SetCurrentForTesting(system);
  return system;
}

void AttachDevice(hwscope::CSMARTInfo& engine, int device, int row, int busType, int bridge) {
  hwscope::DriveRow& d = engine.drives[row];
  d.present = 1;
  d.driveType = platform::kDriveFixed;
  d.smartRow = row;
  d.smartCapable = 1;
  d.physicalList[0] = device;
  d.physicalCount = 1;
  d.busType = busType;
  d.bridgeType = bridge;
}

std::vector<std::uint8_t> LoadFixture(const std::string& name) {
  std::ifstream in(std::string(ENGINE_FIXTURE_DIR) + "/" + name, std::ios::binary);
  std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), {});
  if (data.size() != 512) throw std::runtime_error("fixture " + name + " is not 512 bytes");
  return data;
}

std::filesystem::path MakeTempFolder(const std::string& tag) {
  auto dir = std::filesystem::temp_directory_path() /
             ("engine-" + tag + "-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

std::wstring ReadUtf16File(const std::filesystem::path& path, bool* hadBom) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  const bool bom = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                   static_cast<unsigned char>(bytes[1]) == 0xFE;
  if (hadBom) *hadBom = bom;
  return common::FromUtf16Le(bom ? bytes.substr(2) : bytes);
}

}  // namespace enginetest
