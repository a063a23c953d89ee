// Block sizes the packet operations can work with: room for a piece's
// three-byte code and one byte, and no more than the port's work buffer
// holds; and the size both block sizes start with. The tools that check or
// reset a block size use these too.
#ifndef TESSALINK_LINK_BLOCK_SIZE_LIMITS_H
#define TESSALINK_LINK_BLOCK_SIZE_LIMITS_H

#include <cstdint>

constexpr int32_t kMinBlockSize = 4;
constexpr int32_t kMaxBlockSize = 8192;
constexpr int32_t kDefaultBlockSize = 256;

#endif
