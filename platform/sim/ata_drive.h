// An emulated ATA drive: IDENTIFY DEVICE, the SMART feature set with
// self-tests that run in time, the host protected area (native max / set
// max), the device configuration overlay and sector reads. It sees only ATA
// task files; the request formats that carry them are handled elsewhere.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "sim/machine_contents.h"

namespace platform::sim {

// A task file as the host writes it. For 48-bit commands the upper bytes of
// features, count and lba are the previous ("HOB") register contents.
struct AtaTaskFile {
  std::uint16_t features = 0;
  std::uint16_t count = 0;
  std::uint64_t lba = 0;  // 28 bits: lba low/mid/high + device bits 3-0
  std::uint8_t device = 0;
  std::uint8_t command = 0;
  bool ext = false;  // the carrier delivered previous registers as well
};

// Registers after the command.
struct AtaResult {
  std::uint8_t status = 0x50;
  std::uint8_t error = 0;
  std::uint16_t count = 0;
  std::uint64_t lba = 0;
  std::uint8_t device = 0;
  bool ok() const { return (status & 0x01) == 0; }
};

enum class AtaProtocol { kNonData, kPioIn, kPioOut, kDmaIn };

struct AtaTransfer {
  AtaProtocol protocol = AtaProtocol::kNonData;
  std::uint32_t bytes = 0;
};

class AtaDrive {
 public:
  // tickMs: the machine's millisecond clock (self-tests progress with it).
  AtaDrive(const DriveSpec& spec, std::function<std::uint64_t()> tickMs);

  // What the command moves; unknown commands are non-data (and abort).
  AtaTransfer TransferOf(const AtaTaskFile& tf) const;
  // Runs the command. data holds TransferOf(tf).bytes bytes: filled for
  // data-in, read for data-out.
  AtaResult Execute(const AtaTaskFile& tf, std::uint8_t* data);

  const DriveSpec& spec() const { return spec_; }
  std::vector<std::uint8_t> Identify() const;
  std::vector<std::uint8_t> SmartData();
  std::vector<std::uint8_t> SmartThresholds() const;
  std::uint64_t UserMax() const { return userMax_; }
  std::uint64_t NativeMax() const { return nativeMax_; }

 private:
  AtaResult Abort(const AtaTaskFile& tf, std::uint8_t error = 0x04);
  AtaResult Smart(const AtaTaskFile& tf, std::uint8_t* data);
  AtaResult Dco(const AtaTaskFile& tf, std::uint8_t* data);
  AtaResult ReadNativeMax(const AtaTaskFile& tf, bool ext);
  AtaResult SetMax(const AtaTaskFile& tf, bool ext);
  AtaResult ReadSectors(const AtaTaskFile& tf, std::uint8_t* data, bool ext);
  void UpdateSelfTest();
  bool ThresholdExceeded() const;

  DriveSpec spec_;
  std::function<std::uint64_t()> tickMs_;
  std::uint64_t factoryMax_;  // highest LBA in the factory configuration
  std::uint64_t nativeMax_;   // highest LBA the overlay leaves (READ NATIVE MAX)
  std::uint64_t userMax_;     // highest LBA the host protected area leaves
  bool smartEnabled_;
  bool nativeMaxJustRead_ = false;  // SET MAX must follow READ NATIVE MAX
  // Self-test state.
  int testRunning_ = -1;  // subcommand 1..4 while a test runs
  std::uint64_t testStart_ = 0;
  std::uint8_t testStatus_ = 0x00;  // byte 363 once nothing runs
  std::uint8_t offlineStatus_ = 0x82;
  std::map<std::uint8_t, std::vector<std::uint8_t>> hostLogs_;  // SMART WRITE LOG 0x80..0x9F
};

// Stores text in ATA string form: padded with blanks, bytes swapped in words.
void PutAtaString(std::uint8_t* dst, std::size_t bytes, const std::string& text);

}  // namespace platform::sim
