// Device requests on an open device node.
#include <fcntl.h>
#include <linux/cdrom.h>
#include <linux/fs.h>
#include <linux/nvme_ioctl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "linux/kernel_device.h"

namespace platform::linux_backend {
namespace {

class FdKernelDevice final : public KernelDevice {
 public:
  explicit FdKernelDevice(int fd) : fd_(fd) {}
  ~FdKernelDevice() override { ::close(fd_); }

  int SgIo(SgCommand* c) override {
    sg_io_hdr_t hdr;
    std::memset(&hdr, 0, sizeof hdr);
    hdr.interface_id = 'S';
    switch (c->direction) {
      case SgDirection::kNone: hdr.dxfer_direction = SG_DXFER_NONE; break;
      case SgDirection::kToDevice: hdr.dxfer_direction = SG_DXFER_TO_DEV; break;
      case SgDirection::kFromDevice: hdr.dxfer_direction = SG_DXFER_FROM_DEV; break;
    }
    hdr.cmd_len = c->cdbLength;
    hdr.cmdp = c->cdb;
    hdr.dxferp = c->dataLength ? c->data : nullptr;
    hdr.dxfer_len = c->dataLength;
    if (!c->dataLength) hdr.dxfer_direction = SG_DXFER_NONE;
    hdr.sbp = c->sense;
    hdr.mx_sb_len = c->senseCapacity;
    hdr.timeout = c->timeoutMs;
    if (::ioctl(fd_, SG_IO, &hdr) != 0) return errno;
    c->status = hdr.status;
    c->senseLength = hdr.sb_len_wr;
    c->resid = hdr.resid;
    c->hostStatus = hdr.host_status;
    c->driverStatus = hdr.driver_status;
    // DID_TIME_OUT from the host, or the driver's own timeout.
    c->timedOut = hdr.host_status == 0x03 || (hdr.driver_status & 0x0F) == 0x06;
    return 0;
  }

  int NvmeAdmin(NvmeAdminCommand* c) override {
    nvme_admin_cmd cmd;
    std::memset(&cmd, 0, sizeof cmd);
    cmd.opcode = c->opcode;
    cmd.nsid = c->nsid;
    cmd.addr = reinterpret_cast<std::uintptr_t>(c->data);
    cmd.data_len = c->dataLength;
    cmd.cdw10 = c->cdw10;
    cmd.cdw11 = c->cdw11;
    cmd.cdw12 = c->cdw12;
    cmd.cdw13 = c->cdw13;
    cmd.cdw14 = c->cdw14;
    cmd.cdw15 = c->cdw15;
    cmd.timeout_ms = c->timeoutMs;
    int rc = ::ioctl(fd_, NVME_IOCTL_ADMIN_CMD, &cmd);
    if (rc < 0) return errno;
    c->status = static_cast<std::uint32_t>(rc);
    c->result = cmd.result;
    return 0;
  }

  int MediumSize(std::uint64_t* bytes) override {
    // An optical drive keeps the size of the last disc: ask the drive.
    int drive = ::ioctl(fd_, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    if (drive >= 0 && drive != CDS_DISC_OK && drive != CDS_NO_INFO) {
      *bytes = 0;
      return 0;
    }
    std::uint64_t size = 0;
    if (::ioctl(fd_, BLKGETSIZE64, &size) != 0) return errno;
    *bytes = size;
    return 0;
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<KernelDevice> OpenKernelDevice(const std::string& node, int* error) {
  int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
    fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = errno;
    return nullptr;
  }
  *error = 0;
  return std::make_unique<FdKernelDevice>(fd);
}

}  // namespace platform::linux_backend
