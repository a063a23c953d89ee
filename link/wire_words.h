// The 16-bit words of the wire, low byte first, and the 16-bit sum of data
// bytes that both the block exchange's frames and the packets carry.
#ifndef TESSALINK_LINK_WIRE_WORDS_H
#define TESSALINK_LINK_WIRE_WORDS_H

#include <cstdint>

inline uint16_t Le16(const uint8_t *p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline void PutLe16(uint8_t *p, unsigned value)
{
    p[0] = static_cast<uint8_t>(value & 0xFF);
    p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

// The sum of the bytes, modulo 2^16.
inline uint16_t Sum16(const uint8_t *data, unsigned count)
{
    uint16_t sum = 0;
    for (unsigned i = 0; i < count; ++i)
        sum = static_cast<uint16_t>(sum + data[i]);
    return sum;
}

#endif
