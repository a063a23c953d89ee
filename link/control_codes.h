// The control characters of the link, shared by the block exchange and the
// packet layer: the same bytes, with the same meanings, in both.
#ifndef TESSALINK_LINK_CONTROL_CODES_H
#define TESSALINK_LINK_CONTROL_CODES_H

#include <cstdint>

constexpr uint8_t kSoh = 0x01;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kEnq = 0x05;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kSyn = 0x16;
constexpr uint8_t kCan = 0x18;

#endif
