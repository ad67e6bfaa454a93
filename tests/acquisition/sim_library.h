// Test support: a simulated machine from JSON text made the current
// platform, the library initialised on it, and its log captured as text.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "engine/smart_info.h"
#include "platform/platform.h"

namespace hwscope_test {

// Loads the machine from `json` and installs it; restores the environment's
// platform when destroyed.
class SimMachine {
 public:
  explicit SimMachine(const std::string& json);
  ~SimMachine();
  SimMachine(const SimMachine&) = delete;
  SimMachine& operator=(const SimMachine&) = delete;
  bool ok() const { return platform_ != nullptr; }
  const std::string& error() const { return error_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string error_;
  std::shared_ptr<platform::Platform> platform_;
};

// The library log, written to a temporary stream while it lives.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  std::string Text() const;
  bool Contains(const std::string& text) const { return Text().find(text) != std::string::npos; }

 private:
  std::FILE* file_ = nullptr;
};

// The engine of an initialised library.
hwscope::CSMARTInfo& Engine();

// Drive row of a device (the engine's lookup), or nullptr.
const hwscope::DriveRow* RowOf(int device);

// A machine file with `drives` and `volumes` (JSON arrays without brackets).
std::string Machine(const std::string& drives, const std::string& volumes,
                    const std::string& extra = "");

// A typical ATA attribute set: 1, 5, 9, 194 with thresholds.
std::string AtaAttributes();

// Test fixture: owns the machine; after each test cleans the library up
// (before the machine goes) and restores the default init timeout.
class LibraryTest : public ::testing::Test {
 protected:
  // Installs the machine; false (with a test failure) when it does not load.
  bool Load(const std::string& json);
  // Load, then HwscopeDll_Smart_Init without logging; its result.
  int LoadAndInit(const std::string& json);
  void TearDown() override;

  std::unique_ptr<SimMachine> machine_;
};

}  // namespace hwscope_test
