// A kernel device for translation tests: records every command it gets and
// answers with the data, SCSI status, sense bytes and errors a test sets.
#pragma once

#include <cstring>
#include <vector>

#include "linux/kernel_device.h"

namespace platform::linux_backend::testing {

class FakeKernelDevice final : public KernelDevice {
 public:
  // What the next commands get back.
  int error = 0;                        // errno of the ioctl
  std::uint8_t status = 0;              // SCSI status
  std::vector<std::uint8_t> sense;      // sense bytes written
  std::vector<std::uint8_t> dataIn;     // bytes a data-in transfer returns
  std::uint16_t hostStatus = 0;
  std::uint32_t nvmeStatus = 0;
  std::uint64_t medium = 1 << 20;

  // What was sent.
  std::vector<SgCommand> sg;
  std::vector<std::vector<std::uint8_t>> dataOut;
  std::vector<NvmeAdminCommand> nvme;

  int SgIo(SgCommand* c) override {
    sg.push_back(*c);
    if (error) return error;
    if (c->direction == SgDirection::kToDevice) {
      auto* p = static_cast<std::uint8_t*>(c->data);
      dataOut.emplace_back(p, p + c->dataLength);
    }
    if (c->direction == SgDirection::kFromDevice) {
      std::size_t n = std::min<std::size_t>(c->dataLength, dataIn.size());
      std::memcpy(c->data, dataIn.data(), n);
      c->resid = static_cast<std::int32_t>(c->dataLength - n);
    }
    c->status = status;
    c->hostStatus = hostStatus;
    std::size_t s = std::min<std::size_t>(sense.size(), c->senseCapacity);
    if (s) std::memcpy(c->sense, sense.data(), s);
    c->senseLength = static_cast<std::uint8_t>(s);
    return 0;
  }

  int NvmeAdmin(NvmeAdminCommand* c) override {
    nvme.push_back(*c);
    if (error) return error;
    std::size_t n = std::min<std::size_t>(c->dataLength, dataIn.size());
    std::memcpy(c->data, dataIn.data(), n);
    c->status = nvmeStatus;
    c->result = 0x1234;
    return 0;
  }

  int MediumSize(std::uint64_t* bytes) override {
    if (error) return error;
    *bytes = medium;
    return 0;
  }
};

// Descriptor-format sense with an ATA status return descriptor.
inline std::vector<std::uint8_t> AtaStatusSense(std::uint8_t error, std::uint8_t status, const std::uint8_t lba[6],
                                                std::uint8_t count = 0, std::uint8_t device = 0x40,
                                                bool extend = true) {
  std::vector<std::uint8_t> s(22, 0);
  s[0] = 0x72;
  s[1] = 0x01;
  s[3] = 0x1D;
  s[7] = 14;
  std::uint8_t* d = s.data() + 8;
  d[0] = 0x09;
  d[1] = 12;
  d[2] = extend ? 1 : 0;
  d[3] = error;
  d[5] = count;
  d[6] = lba[3];
  d[7] = lba[0];
  d[8] = lba[4];
  d[9] = lba[1];
  d[10] = lba[5];
  d[11] = lba[2];
  d[12] = device;
  d[13] = status;
  return s;
}

}  // namespace platform::linux_backend::testing
