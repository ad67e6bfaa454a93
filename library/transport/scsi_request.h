// Sending one SCSI command through the SCSI pass-through requests, and the
// pieces the ATA-side transports share: the canned ATA register sets and the
// return-register block.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/wire.h"

namespace hwscope::transport {

// Where sense and data sit in a buffered request.
struct SptForm {
  std::uint32_t senseOffset;
  std::uint32_t senseLength;
  std::uint32_t dataOffset;
};
inline constexpr SptForm kSptLongSense{platform::wire::kSptSenseOffset,
                                       platform::wire::kSptSenseLength,
                                       platform::wire::kSptDataOffset};
inline constexpr SptForm kSptShortSense{platform::wire::kSptShortSenseOffset,
                                        platform::wire::kSptShortSenseLength,
                                        platform::wire::kSptShortDataOffset};

struct ScsiExchange {
  bool ok = false;               // the device control call succeeded
  std::uint32_t error = 0;       // its system error when it did not
  std::uint8_t scsiStatus = 0;
  std::uint8_t sense[32] = {};   // as returned (the sense area of the request)
  std::uint32_t bytesReturned = 0;
  std::uint32_t dataTransferLength = 0;  // as the reply states it
};

// Buffered SCSI pass-through: `data` (length bytes) is copied into the
// request for data-out and back from the reply for data-in (direction
// kScsiDataIn). The device control size is the data offset plus length.
ScsiExchange SendScsi(platform::Handle device, const SptForm& form, std::uint8_t target,
                      const std::uint8_t* cdb, std::uint8_t cdbLength, std::uint8_t direction,
                      std::uint8_t* data, std::uint32_t length, std::uint32_t timeoutSeconds);
// Direct SCSI pass-through: the device reads into / writes from `buffer`.
ScsiExchange SendScsiDirect(platform::Handle device, std::uint8_t target, const std::uint8_t* cdb,
                            std::uint8_t cdbLength, std::uint8_t direction, void* buffer,
                            std::uint32_t length, std::uint32_t timeoutSeconds);

// The register set of a canned ATA command code.
enum class AtaData { kNone, kIn, kOut };
struct CannedAta {
  std::uint8_t features = 0, count = 0, lbaLow = 0, lbaMid = 0, lbaHigh = 0, device = 0,
               command = 0;
  AtaData data = AtaData::kNone;
  bool ext = false;  // 0x27 and 0x37
};
// false for a code no caller uses. satCounts: the count of 1 that only SAT
// sends with SMART READ DATA / THRESHOLDS.
bool CannedRegisters(std::uint8_t code, std::uint8_t subValue, std::uint64_t address,
                     bool satCounts, CannedAta* out);

// Fills the return-register block from a task file (error, count, LBA low,
// mid, high, device, status) in descriptor-format sense form. A capacity
// below 32 sets *size to 0. Returns true when filled.
bool FillReturnRegisters(void* block, std::uint32_t* size, std::uint8_t error, std::uint8_t count,
                         std::uint8_t lbaLow, std::uint8_t lbaMid, std::uint8_t lbaHigh,
                         std::uint8_t device, std::uint8_t status);
// Copies 32 returned sense bytes into the block (SAT). Returns true when filled.
bool CopyReturnRegisters(void* block, std::uint32_t* size, const std::uint8_t* sense);
// True when sense bytes that came with CHECK CONDITION report a failure: a
// sense key other than "no sense" / "recovered error", the ERR bit in the
// returned ATA status, or no recognisable sense at all.
bool ReturnRegistersShowError(const void* block);

// Copies 512 data bytes to the caller when *size allows, else sets it to 0.
void CopySector(void* dst, std::uint32_t* size, const std::uint8_t* src);

}  // namespace hwscope::transport
