#include "sim/ata_drive.h"

#include <algorithm>
#include <cstring>

namespace platform::sim {
namespace {

constexpr std::uint8_t kStatusOk = 0x50;     // DRDY, DSC
constexpr std::uint8_t kStatusError = 0x51;  // DRDY, DSC, ERR
constexpr std::uint8_t kErrorAbort = 0x04;
constexpr std::uint8_t kErrorIdNotFound = 0x10;
constexpr std::uint64_t kMax28 = 0x0FFFFFFF;

void PutWord(std::uint8_t* b, int word, std::uint16_t v) {
  b[word * 2] = static_cast<std::uint8_t>(v);
  b[word * 2 + 1] = static_cast<std::uint8_t>(v >> 8);
}

std::uint8_t Checksum(const std::uint8_t* b) {
  std::uint8_t sum = 0;
  for (int i = 0; i < 511; ++i) sum = static_cast<std::uint8_t>(sum + b[i]);
  return static_cast<std::uint8_t>(-sum);
}

std::uint32_t Fnv(const std::string& s) {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : s) h = (h ^ c) * 16777619u;
  return h;
}

}  // namespace

void PutAtaString(std::uint8_t* dst, std::size_t bytes, const std::string& text) {
  for (std::size_t i = 0; i < bytes; ++i) {
    char c = i < text.size() ? text[i] : ' ';
    dst[i ^ 1] = static_cast<std::uint8_t>(c);
  }
}

AtaDrive::AtaDrive(const DriveSpec& spec, std::function<std::uint64_t()> tickMs)
    : spec_(spec), tickMs_(std::move(tickMs)) {
  userMax_ = spec_.sectors - 1;
  nativeMax_ = spec_.nativeMax.value_or(userMax_);
  factoryMax_ = spec_.dcoMax.value_or(nativeMax_);
  smartEnabled_ = spec_.smartSupported && spec_.smartEnabled;
}

AtaTransfer AtaDrive::TransferOf(const AtaTaskFile& tf) const {
  const std::uint8_t feature = static_cast<std::uint8_t>(tf.features);
  auto sectors = [&](bool ext) -> std::uint32_t {
    std::uint32_t n = ext ? tf.count : (tf.count & 0xFF);
    if (n == 0) n = ext ? 65536 : 256;
    return n * 512;
  };
  switch (tf.command) {
    case 0xEC:
      return {AtaProtocol::kPioIn, 512};
    case 0xB0:
      switch (feature) {
        case 0xD0:
        case 0xD1:
          return {AtaProtocol::kPioIn, 512};
        case 0xD5:
          return {AtaProtocol::kPioIn, std::max<std::uint32_t>(1, tf.count & 0xFF) * 512};
        case 0xD6:
          return {AtaProtocol::kPioOut, std::max<std::uint32_t>(1, tf.count & 0xFF) * 512};
        default:
          return {};
      }
    case 0xB1:
      if (feature == 0xC2) return {AtaProtocol::kPioIn, 512};
      if (feature == 0xC3) return {AtaProtocol::kPioOut, 512};
      return {};
    case 0x20:
      return {AtaProtocol::kPioIn, sectors(false)};
    case 0x24:
      return {AtaProtocol::kPioIn, sectors(true)};
    case 0xC8:
      return {AtaProtocol::kDmaIn, sectors(false)};
    case 0x25:
      return {AtaProtocol::kDmaIn, sectors(true)};
    default:
      return {};
  }
}

AtaResult AtaDrive::Abort(const AtaTaskFile& tf, std::uint8_t error) {
  AtaResult r;
  r.status = kStatusError;
  r.error = error;
  r.count = tf.count;
  r.lba = tf.lba;
  r.device = tf.device;
  return r;
}

AtaResult AtaDrive::Execute(const AtaTaskFile& tf, std::uint8_t* data) {
  const bool justRead = nativeMaxJustRead_;
  nativeMaxJustRead_ = false;
  UpdateSelfTest();
  AtaResult ok;
  ok.status = kStatusOk;
  ok.count = tf.count;
  ok.lba = tf.lba;
  ok.device = tf.device;
  switch (tf.command) {
    case 0xEC: {
      const auto id = Identify();
      std::memcpy(data, id.data(), 512);
      return ok;
    }
    case 0xB0:
      return Smart(tf, data);
    case 0xB1:
      return Dco(tf, data);
    case 0xF8:
      return ReadNativeMax(tf, false);
    case 0x27:
      return ReadNativeMax(tf, true);
    case 0xF9:
      if (!justRead) return Abort(tf);
      return SetMax(tf, false);
    case 0x37:
      if (!justRead) return Abort(tf);
      return SetMax(tf, true);
    case 0x20:
    case 0xC8:
      return ReadSectors(tf, data, false);
    case 0x24:
    case 0x25:
      return ReadSectors(tf, data, true);
    case 0xE5:  // CHECK POWER MODE: active
      ok.count = 0xFF;
      return ok;
    default:
      return Abort(tf);
  }
}

std::vector<std::uint8_t> AtaDrive::Identify() const {
  std::vector<std::uint8_t> b(512, 0);
  const bool ssd = spec_.rotation == 1;
  PutWord(b.data(), 0, spec_.removable ? 0x0080 : 0x0040);
  PutWord(b.data(), 1, 16383);
  PutWord(b.data(), 3, 16);
  PutWord(b.data(), 6, 63);
  PutAtaString(&b[20], 20, spec_.serial);
  PutAtaString(&b[46], 8, spec_.firmware);
  PutAtaString(&b[54], 40, spec_.model);
  PutWord(b.data(), 21, ssd ? 0 : 0x4000);  // buffer size in 512-byte units (legacy)
  PutWord(b.data(), 47, 0x8010);
  PutWord(b.data(), 49, 0x2F00);  // LBA, DMA, IORDY
  PutWord(b.data(), 50, 0x4000);
  PutWord(b.data(), 53, 0x0007);
  PutWord(b.data(), 54, 16383);
  PutWord(b.data(), 55, 16);
  PutWord(b.data(), 56, 63);
  const std::uint64_t userSectors = userMax_ + 1;
  const std::uint32_t sectors28 =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(userSectors, kMax28));
  PutWord(b.data(), 57, static_cast<std::uint16_t>(std::min<std::uint64_t>(userSectors, 16514064)));
  PutWord(b.data(), 58, static_cast<std::uint16_t>(std::min<std::uint64_t>(userSectors, 16514064) >> 16));
  PutWord(b.data(), 59, 0x0110);
  PutWord(b.data(), 60, static_cast<std::uint16_t>(sectors28));
  PutWord(b.data(), 61, static_cast<std::uint16_t>(sectors28 >> 16));
  PutWord(b.data(), 63, 0x0407);
  PutWord(b.data(), 64, 0x0003);
  for (int w = 65; w <= 68; ++w) PutWord(b.data(), w, 120);
  PutWord(b.data(), 75, 31);
  PutWord(b.data(), 76, 0x070E);  // SATA gen 1-3, NCQ
  PutWord(b.data(), 78, 0x004C);
  PutWord(b.data(), 79, 0x0040);
  PutWord(b.data(), 80, 0x07F0);  // ATA-4 to ACS-3
  PutWord(b.data(), 81, 0x011B);
  const std::uint16_t smart = spec_.smartSupported ? 0x0001 : 0;
  const std::uint16_t hpa = spec_.hpa ? 0x0400 : 0;
  PutWord(b.data(), 82, 0x7068 | smart | hpa);
  const std::uint16_t w83 = 0x4000 | (spec_.lba48 ? 0x0400 : 0) | (spec_.dco ? 0x0800 : 0) |
                            (spec_.hpa ? 0x0100 : 0) | 0x3001;
  PutWord(b.data(), 83, w83);
  PutWord(b.data(), 84, static_cast<std::uint16_t>(0x4160 | (spec_.smartSupported ? 0x0003 : 0)));
  PutWord(b.data(), 85, static_cast<std::uint16_t>(0x7068 | (smartEnabled_ ? 1 : 0) | hpa));
  PutWord(b.data(), 86, static_cast<std::uint16_t>(w83 & 0xBFFF));
  PutWord(b.data(), 87, static_cast<std::uint16_t>(0x4160 | (spec_.smartSupported ? 0x0003 : 0)));
  PutWord(b.data(), 88, 0x407F);
  PutWord(b.data(), 93, 0x0000);
  if (spec_.lba48) {
    for (int i = 0; i < 4; ++i)
      PutWord(b.data(), 100 + i, static_cast<std::uint16_t>(userSectors >> (16 * i)));
  }
  PutWord(b.data(), 106, 0x4000);
  const std::uint32_t h = Fnv(spec_.serial + spec_.model);
  PutWord(b.data(), 108, static_cast<std::uint16_t>(0x5000 | ((h >> 20) & 0x0FFF)));
  PutWord(b.data(), 109, static_cast<std::uint16_t>(h >> 4));
  PutWord(b.data(), 110, static_cast<std::uint16_t>(h * 31));
  PutWord(b.data(), 111, static_cast<std::uint16_t>(h * 131));
  PutWord(b.data(), 217, spec_.rotation);
  PutWord(b.data(), 222, 0x10FF);
  for (const auto& [word, value] : spec_.identify) PutWord(b.data(), word, value);
  if (!spec_.identify.count(255)) {
    b[510] = 0xA5;
    b[511] = Checksum(b.data());
  }
  return b;
}

bool AtaDrive::ThresholdExceeded() const {
  for (const auto& a : spec_.attributes)
    if (a.threshold != 0 && a.current <= a.threshold && (a.flags & 0x0001)) return true;
  return false;
}

void AtaDrive::UpdateSelfTest() {
  if (testRunning_ < 0) return;
  const std::uint64_t elapsed = tickMs_() - testStart_;
  if (elapsed >= spec_.selfTestMs[testRunning_]) {
    testStatus_ = static_cast<std::uint8_t>(spec_.selfTestResult << 4);
    testRunning_ = -1;
  }
}

std::vector<std::uint8_t> AtaDrive::SmartData() {
  UpdateSelfTest();
  std::vector<std::uint8_t> b(512, 0);
  if (spec_.faults.zeroSmart) return b;
  b[0] = 0x10;
  for (std::size_t i = 0; i < spec_.attributes.size() && i < 30; ++i) {
    const auto& a = spec_.attributes[i];
    std::uint8_t* e = &b[2 + 12 * i];
    e[0] = a.id;
    e[1] = static_cast<std::uint8_t>(a.flags);
    e[2] = static_cast<std::uint8_t>(a.flags >> 8);
    e[3] = a.current;
    e[4] = a.worst;
    for (int k = 0; k < 6; ++k) e[5 + k] = static_cast<std::uint8_t>(a.raw >> (8 * k));
  }
  b[362] = offlineStatus_;
  if (testRunning_ >= 0) {
    const std::uint64_t total = std::max<std::uint32_t>(1, spec_.selfTestMs[testRunning_]);
    const std::uint64_t left = total - std::min<std::uint64_t>(total, tickMs_() - testStart_);
    int tenths = static_cast<int>((left * 10 + total - 1) / total);
    tenths = std::clamp(tenths, 1, 9);
    b[363] = static_cast<std::uint8_t>(0xF0 | tenths);
  } else {
    b[363] = testStatus_;
  }
  b[364] = 0x3C;  // off-line collection time, seconds
  b[367] = 0x7B;
  b[368] = 0x03;
  b[370] = 0x01;
  b[372] = static_cast<std::uint8_t>(std::max<std::uint32_t>(1, spec_.selfTestMs[1] / 60000));
  const std::uint32_t extMin = std::max<std::uint32_t>(1, spec_.selfTestMs[2] / 60000);
  b[373] = static_cast<std::uint8_t>(std::min<std::uint32_t>(extMin, 0xFF));
  b[374] = static_cast<std::uint8_t>(std::max<std::uint32_t>(1, spec_.selfTestMs[3] / 60000));
  b[375] = static_cast<std::uint8_t>(extMin);
  b[376] = static_cast<std::uint8_t>(extMin >> 8);
  b[511] = Checksum(b.data());
  return b;
}

std::vector<std::uint8_t> AtaDrive::SmartThresholds() const {
  std::vector<std::uint8_t> b(512, 0);
  if (spec_.faults.zeroSmart) return b;
  b[0] = 0x10;
  for (std::size_t i = 0; i < spec_.attributes.size() && i < 30; ++i) {
    b[2 + 12 * i] = spec_.attributes[i].id;
    b[3 + 12 * i] = spec_.attributes[i].threshold;
  }
  b[511] = Checksum(b.data());
  return b;
}

AtaResult AtaDrive::Smart(const AtaTaskFile& tf, std::uint8_t* data) {
  const std::uint8_t mid = static_cast<std::uint8_t>(tf.lba >> 8);
  const std::uint8_t high = static_cast<std::uint8_t>(tf.lba >> 16);
  if (!spec_.smartSupported || mid != 0x4F || high != 0xC2) return Abort(tf);
  const std::uint8_t feature = static_cast<std::uint8_t>(tf.features);
  if (!smartEnabled_ && feature != 0xD8) return Abort(tf);
  AtaResult ok;
  ok.status = kStatusOk;
  ok.count = tf.count;
  ok.lba = tf.lba;
  ok.device = tf.device;
  switch (feature) {
    case 0xD0: {
      const auto d = SmartData();
      std::memcpy(data, d.data(), 512);
      return ok;
    }
    case 0xD1: {
      const auto d = SmartThresholds();
      std::memcpy(data, d.data(), 512);
      return ok;
    }
    case 0xD2:  // attribute autosave
    case 0xD3:  // save attribute values
      return ok;
    case 0xD4: {
      const std::uint8_t sub = static_cast<std::uint8_t>(tf.lba);
      if (sub == 0x00) {
        offlineStatus_ = 0x82;
      } else if (sub >= 1 && sub <= 4) {
        testRunning_ = sub;
        testStart_ = tickMs_();
      } else if (sub == 0x7F) {
        if (testRunning_ >= 0) testStatus_ = 0x10;  // aborted by the host
        testRunning_ = -1;
      } else if (sub >= 0x81 && sub <= 0x84) {
        testRunning_ = -1;  // captive: finished before the command completes
        testStatus_ = static_cast<std::uint8_t>(spec_.selfTestResult << 4);
        if (spec_.selfTestResult != 0) return Abort(tf);
      } else {
        return Abort(tf);
      }
      return ok;
    }
    case 0xD5: {  // READ LOG: directory, self-test log, host logs
      const std::uint8_t log = static_cast<std::uint8_t>(tf.lba);
      const std::uint32_t count = std::max<std::uint32_t>(1, tf.count & 0xFF);
      std::memset(data, 0, count * 512);
      if (log == 0x00) {
        data[0] = 0x01;
        data[2 * 0x01] = 1;  // summary error log
        data[2 * 0x06] = 1;  // self-test log
        for (int l = 0x80; l <= 0x9F; ++l) data[2 * l] = 16;
      } else if (log == 0x01 || log == 0x06) {
        data[0] = 0x01;
      } else if (log >= 0x80 && log <= 0x9F) {
        auto it = hostLogs_.find(log);
        if (it != hostLogs_.end())
          std::memcpy(data, it->second.data(), std::min<std::size_t>(it->second.size(), count * 512));
      } else {
        return Abort(tf);
      }
      return ok;
    }
    case 0xD6: {
      const std::uint8_t log = static_cast<std::uint8_t>(tf.lba);
      if (log < 0x80 || log > 0x9F) return Abort(tf);
      const std::uint32_t count = std::max<std::uint32_t>(1, tf.count & 0xFF);
      hostLogs_[log].assign(data, data + count * 512);
      return ok;
    }
    case 0xD8:
      smartEnabled_ = true;
      return ok;
    case 0xD9:
      smartEnabled_ = false;
      return ok;
    case 0xDA:
      if (ThresholdExceeded()) ok.lba = 0x2CF400 | (tf.lba & 0xFF);  // LBA mid F4, high 2C
      return ok;
    default:
      return Abort(tf);
  }
}

AtaResult AtaDrive::Dco(const AtaTaskFile& tf, std::uint8_t* data) {
  if (!spec_.dco) return Abort(tf);
  AtaResult ok;
  ok.status = kStatusOk;
  ok.device = tf.device;
  const bool hpaSet = userMax_ < nativeMax_;
  switch (static_cast<std::uint8_t>(tf.features)) {
    case 0xC2: {  // IDENTIFY: revision, modes, factory maximum, feature sets
      std::memset(data, 0, 512);
      PutWord(data, 0, 0x0002);
      PutWord(data, 1, 0x0007);
      PutWord(data, 2, 0x007F);
      for (int i = 0; i < 4; ++i)
        PutWord(data, 3 + i, static_cast<std::uint16_t>(factoryMax_ >> (16 * i)));
      PutWord(data, 7, 0x7BDF);
      PutWord(data, 8, 0x001F);
      PutWord(data, 21, 0xFE00);
      data[510] = 0xA5;
      data[511] = Checksum(data);
      return ok;
    }
    case 0xC3: {  // SET
      if (hpaSet || data[510] != 0xA5) return Abort(tf);
      std::uint8_t sum = 0;
      for (int i = 0; i < 512; ++i) sum = static_cast<std::uint8_t>(sum + data[i]);
      if (sum != 0) return Abort(tf);
      std::uint64_t max = 0;
      for (int i = 0; i < 8; ++i) max |= static_cast<std::uint64_t>(data[6 + i]) << (8 * i);
      if (max > factoryMax_ || max == 0) return Abort(tf);
      nativeMax_ = userMax_ = max;
      return ok;
    }
    case 0xC0:  // RESTORE
      if (hpaSet) return Abort(tf);
      nativeMax_ = userMax_ = factoryMax_;
      return ok;
    default:
      return Abort(tf);
  }
}

AtaResult AtaDrive::ReadNativeMax(const AtaTaskFile& tf, bool ext) {
  if (!spec_.hpa || (ext && !spec_.lba48)) return Abort(tf);
  AtaResult ok;
  ok.status = kStatusOk;
  if (ext) {
    ok.lba = nativeMax_;
    ok.device = static_cast<std::uint8_t>(tf.device | 0x40);
  } else {
    const std::uint64_t max = std::min<std::uint64_t>(nativeMax_, kMax28 - 1);
    ok.lba = max & 0xFFFFFF;
    ok.device = static_cast<std::uint8_t>((tf.device & 0xF0) | 0x40 | ((max >> 24) & 0x0F));
  }
  nativeMaxJustRead_ = true;
  return ok;
}

AtaResult AtaDrive::SetMax(const AtaTaskFile& tf, bool ext) {
  if (!spec_.hpa || (ext && !spec_.lba48)) return Abort(tf);
  const std::uint64_t max = ext ? tf.lba : tf.lba & kMax28;
  if (max > nativeMax_ || max == 0) return Abort(tf, kErrorIdNotFound);
  userMax_ = max;
  AtaResult ok;
  ok.status = kStatusOk;
  ok.lba = tf.lba;
  ok.device = tf.device;
  return ok;
}

AtaResult AtaDrive::ReadSectors(const AtaTaskFile& tf, std::uint8_t* data, bool ext) {
  if (ext && !spec_.lba48) return Abort(tf);
  const AtaTransfer t = TransferOf(tf);
  const std::uint64_t first = ext ? tf.lba : tf.lba & kMax28;
  const std::uint64_t count = t.bytes / 512;
  if (first + count - 1 > userMax_) return Abort(tf, kErrorIdNotFound);
  // Sector contents: its address in the first eight bytes, then a pattern
  // of that address; sector 0 ends with the boot signature.
  for (std::uint64_t s = 0; s < count; ++s) {
    std::uint8_t* p = data + s * 512;
    const std::uint64_t lba = first + s;
    for (int i = 0; i < 512; ++i) p[i] = static_cast<std::uint8_t>(lba + i);
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(lba >> (8 * i));
    if (lba == 0) {
      p[510] = 0x55;
      p[511] = 0xAA;
    }
  }
  AtaResult ok;
  ok.status = kStatusOk;
  ok.lba = first + count - 1;
  ok.device = tf.device;
  return ok;
}

}  // namespace platform::sim
