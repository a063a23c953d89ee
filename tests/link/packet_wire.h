// Packets and control bytes as the handheld puts them on the wire, built in
// the tests from the packet layout alone.
#ifndef TESSALINK_TESTS_PACKET_WIRE_H
#define TESSALINK_TESTS_PACKET_WIRE_H

#include <cstdint>
#include <string>
#include <vector>

namespace wire {

constexpr uint8_t SOH = 0x01, EOT = 0x04, ENQ = 0x05, ACK = 0x06, NAK = 0x15, CAN = 0x18;

using Bytes = std::vector<uint8_t>;

inline Bytes Packet(uint8_t sequence, const Bytes &data)
{
    Bytes p = {SOH, sequence, static_cast<uint8_t>(~sequence & 0xFF),
               static_cast<uint8_t>(data.size() & 0xFF), static_cast<uint8_t>(data.size() >> 8)};
    unsigned sum = 0;
    for (uint8_t b : data) {
        p.push_back(b);
        sum += b;
    }
    p.push_back(static_cast<uint8_t>(sum & 0xFF));
    p.push_back(static_cast<uint8_t>((sum >> 8) & 0xFF));
    return p;
}

inline Bytes Text(const std::string &s, bool withZero = false)
{
    Bytes b(s.begin(), s.end());
    if (withZero)
        b.push_back(0);
    return b;
}

inline Bytes Packet(uint8_t sequence, const std::string &text, bool withZero = false)
{
    return Packet(sequence, Text(text, withZero));
}

inline Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace wire

#endif
