// What the mode-1 frames and the packets have in common on the wire: 16-bit
// fields, little-endian, and a checksum that is the sum of the data bytes
// modulo 65536.
#ifndef TESSALINK_HANDHELD_WIRE_FIELDS_H
#define TESSALINK_HANDHELD_WIRE_FIELDS_H

#include <cstdint>
#include <vector>

namespace handheld {

inline uint16_t Sum16(const std::vector<uint8_t> &data)
{
    unsigned sum = 0;
    for (uint8_t b : data)
        sum += b;
    return static_cast<uint16_t>(sum & 0xFFFF);
}

inline void AppendLe16(std::vector<uint8_t> &out, unsigned value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

inline uint16_t Le16(uint8_t low, uint8_t high)
{
    return static_cast<uint16_t>(low | (high << 8));
}

}  // namespace handheld

#endif
