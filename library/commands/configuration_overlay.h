// The DEVICE CONFIGURATION SET block.
#pragma once

#include <cstdint>

namespace hwscope {

// Fills 512 bytes: the overlay for `maxAddress` with its signature and a
// checksum that makes all bytes sum to 0 modulo 256.
void BuildDcoSetBlock(std::uint64_t maxAddress, std::uint8_t* block);

}  // namespace hwscope
