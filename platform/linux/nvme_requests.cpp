// NVMe protocol-specific storage queries (identify, log pages) as NVMe admin
// commands through the kernel's NVMe ioctl.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "linux/request_handlers.h"
#include "linux/system_errors.h"
#include "platform/platform.h"
#include "platform/wire.h"

namespace platform::linux_backend {
namespace {

constexpr std::uint8_t kAdminGetLogPage = 0x02;
constexpr std::uint8_t kAdminIdentify = 0x06;
constexpr std::uint32_t kIdentifyLength = 4096;
constexpr std::uint32_t kAllNamespaces = 0xFFFFFFFF;
constexpr std::uint32_t kMaxQueryData = 64 * 1024;

// Bytes of a log page the controller defines; larger reads are cut to it.
std::uint32_t LogPageLength(std::uint32_t logId, std::uint32_t wanted) {
  if (logId == 0x02 || logId == 0x03) return std::min<std::uint32_t>(wanted, 512);  // SMART/health, firmware slots
  return wanted;
}

}  // namespace

std::uint32_t NvmeProtocolQuery(ControlRequest& r) {
  bool nvmeDisk = r.target.kind == RequestTarget::Kind::kDisk && !r.target.disk.nvmeController.empty();
  bool adapter = r.target.kind == RequestTarget::Kind::kAdapter;
  if ((!nvmeDisk && !adapter) || r.target.io == nullptr) return kErrorNotSupported;
  constexpr std::uint32_t kSpecific = offsetof(wire::StorageProtocolQuery, specific);
  constexpr std::uint32_t kHeader = kSpecific + sizeof(wire::StorageProtocolSpecificData);
  if (r.inSize < kHeader) return kErrorInvalidParameter;
  std::uint32_t propertyId, queryType;
  wire::StorageProtocolSpecificData protocol;
  std::memcpy(&propertyId, r.buffer, 4);
  std::memcpy(&queryType, r.buffer + 4, 4);
  std::memcpy(&protocol, r.buffer + kSpecific, sizeof protocol);
  if (propertyId != wire::kStorageAdapterProtocolSpecificProperty &&
      propertyId != wire::kStorageDeviceProtocolSpecificProperty)
    return kErrorNotSupported;
  if (protocol.protocolType != wire::kProtocolTypeNvme) return kErrorNotSupported;
  if (queryType == wire::kPropertyExistsQuery) return kErrorSuccess;
  if (queryType != wire::kPropertyStandardQuery) return kErrorInvalidParameter;
  if (protocol.dataOffset < sizeof(wire::StorageProtocolSpecificData) || protocol.dataLength == 0 ||
      protocol.dataLength > kMaxQueryData)
    return kErrorInvalidParameter;
  std::uint64_t end = std::uint64_t{kSpecific} + protocol.dataOffset + protocol.dataLength;
  if (end > r.outSize) return kErrorInsufficientBuffer;

  NvmeAdminCommand cmd;
  std::vector<std::uint8_t> data;
  if (protocol.dataType == wire::kNvmeDataTypeIdentify) {
    if (protocol.requestValue > 0xFF) return kErrorInvalidParameter;
    data.assign(kIdentifyLength, 0);
    cmd.opcode = kAdminIdentify;
    cmd.cdw10 = protocol.requestValue;  // CNS: 1 controller, 0 namespace
    if (protocol.requestValue == 0)
      cmd.nsid = protocol.requestSubValue != 0 ? protocol.requestSubValue : r.target.disk.nvmeNamespace;
  } else if (protocol.dataType == wire::kNvmeDataTypeLogPage) {
    if (protocol.requestValue > 0xFF) return kErrorInvalidParameter;
    std::uint32_t length = LogPageLength(protocol.requestValue, protocol.dataLength) & ~3u;
    if (length == 0) return kErrorInvalidParameter;
    data.assign(length, 0);
    std::uint32_t dwords = length / 4 - 1;
    cmd.opcode = kAdminGetLogPage;
    cmd.nsid = kAllNamespaces;
    cmd.cdw10 = (dwords & 0xFFFF) << 16 | protocol.requestValue;
    cmd.cdw11 = dwords >> 16;
    cmd.cdw12 = protocol.requestSubValue;   // offset, low half
    cmd.cdw13 = protocol.requestSubValue2;  // offset, high half
  } else {
    return kErrorNotSupported;
  }
  cmd.data = data.data();
  cmd.dataLength = static_cast<std::uint32_t>(data.size());
  if (int rc = r.target.io->NvmeAdmin(&cmd); rc != 0) return IoErrorFromErrno(rc);
  if (cmd.status != 0) return kErrorIoDevice;

  // Reply: descriptor version and size, the echoed request, then the data.
  std::uint32_t copied = std::min<std::uint32_t>(protocol.dataLength, static_cast<std::uint32_t>(data.size()));
  std::uint8_t* out = r.buffer + kSpecific + protocol.dataOffset;
  std::memset(out, 0, protocol.dataLength);
  std::memcpy(out, data.data(), copied);
  std::uint32_t descriptorSize = kHeader;
  std::memcpy(r.buffer, &descriptorSize, 4);
  std::memcpy(r.buffer + 4, &descriptorSize, 4);
  protocol.dataLength = copied;
  protocol.fixedProtocolReturnData = cmd.result;
  std::memcpy(r.buffer + kSpecific, &protocol, sizeof protocol);
  *r.returned = static_cast<std::uint32_t>(end);
  return kErrorSuccess;
}

}  // namespace platform::linux_backend
