#include "sim_library.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "frame/library_state.h"
#include "hwscope/hwscope.h"
#include "platform/backends.h"

namespace hwscope_test {

SimMachine::SimMachine(const std::string& json) {
  char name[] = "/tmp/hwscope-machine-XXXXXX";
  const int fd = ::mkstemp(name);
  if (fd < 0) {
    error_ = "cannot create a temporary machine file";
    return;
  }
  ::close(fd);
  path_ = name;
  std::ofstream(path_) << json;
  platform_ = platform::LoadSimulatedMachine(path_, &error_);
  if (platform_) platform::SetCurrentForTesting(platform_);
}

SimMachine::~SimMachine() {
  platform::SetCurrentForTesting(nullptr);
  if (!path_.empty()) std::remove(path_.c_str());
}

LogCapture::LogCapture() {
  file_ = std::tmpfile();
  if (file_ != nullptr) HwscopeDll_StartLoggingExisting(file_);
}

LogCapture::~LogCapture() {
  HwscopeDll_StopLogging();
  if (file_ != nullptr) std::fclose(file_);
}

std::string LogCapture::Text() const {
  if (file_ == nullptr) return std::string();
  std::fflush(file_);
  const long end = std::ftell(file_);
  std::string text(static_cast<std::size_t>(end > 0 ? end : 0), '\0');
  std::rewind(file_);
  const std::size_t n = std::fread(text.data(), 1, text.size(), file_);
  text.resize(n);
  std::fseek(file_, 0, SEEK_END);
  return text;
}

hwscope::CSMARTInfo& Engine() { return *hwscope::Library().engine; }

const hwscope::DriveRow* RowOf(int device) {
  if (!hwscope::Library().engine) return nullptr;
  const int row = Engine().FindDriveRow(device);
  return row >= 0 && row < hwscope::kMaxDriveRows ? &Engine().drives[row] : nullptr;
}

std::string Machine(const std::string& drives, const std::string& volumes,
                    const std::string& extra) {
  std::ostringstream out;
  out << "{" << extra << (extra.empty() ? "" : ",") << "\"drives\": [" << drives
      << "], \"volumes\": [" << volumes << "]}";
  return out.str();
}

std::string AtaAttributes() {
  return R"("attributes": [
      {"id": 1, "flags": 15, "current": 100, "worst": 99, "raw": 12, "threshold": 6},
      {"id": 5, "flags": 51, "current": 98, "worst": 98, "raw": 3, "threshold": 36},
      {"id": 9, "flags": 50, "current": 90, "worst": 90, "raw": 8765, "threshold": 0},
      {"id": 194, "flags": 34, "current": 35, "worst": 60, "raw": 35, "threshold": 0}])";
}

bool LibraryTest::Load(const std::string& json) {
  machine_.reset();  // the old machine uninstalls itself first
  machine_ = std::make_unique<SimMachine>(json);
  EXPECT_TRUE(machine_->ok()) << machine_->error();
  return machine_->ok();
}

int LibraryTest::LoadAndInit(const std::string& json) {
  if (!Load(json)) return 1;
  return HwscopeDll_Smart_Init(false, nullptr, false);
}

void LibraryTest::TearDown() {
  HwscopeDll_Smart_Cleanup();
  HwscopeDll_Smart_SetInitTimeout(hwscope::kDefaultInitTimeoutMs);
  machine_.reset();
}

}  // namespace hwscope_test
