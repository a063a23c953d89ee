// The packets and control bytes that the handheld and the PC exchange once the
// line is up: building a packet to send, and a reader that takes the incoming
// byte stream one byte at a time and yields whole packets or control bytes.
//
// A packet: SOH, sequence number, its complement (XOR 0xFF), data length
// (16-bit little-endian), the data, and the 16-bit sum of the data bytes
// (little-endian). Any other byte between packets is a control byte.
#ifndef TESSALINK_HANDHELD_PACKET_WIRE_H
#define TESSALINK_HANDHELD_PACKET_WIRE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "frames.h"

namespace handheld {

namespace wire {
constexpr uint8_t kSoh = 0x01;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kTextEnd = 0x1A;
// A packet's bytes beyond its data: SOH, sequence, complement, length, checksum.
constexpr size_t kPacketFraming = 7;
}  // namespace wire

// "EOT", "ACK"... for the control bytes of both layers, "0x41" otherwise.
std::string ControlName(uint8_t code);

// Deliberate damage, for the handheld's fault hooks.
struct PacketFlaws {
    bool badComplement = false;
    bool badChecksum = false;
};

std::vector<uint8_t> BuildPacket(uint8_t sequence, const std::vector<uint8_t> &data,
                                 const PacketFlaws &flaws = PacketFlaws());

struct Packet {
    uint8_t sequence = 0;
    uint8_t complement = 0;
    std::vector<uint8_t> data;
    uint16_t checksum = 0;  // as it came on the wire

    bool ComplementMatches() const { return (sequence ^ 0xFF) == complement; }
    bool ChecksumMatches() const;
};

class PacketReader {
public:
    struct Item {
        bool isPacket = false;
        uint8_t control = 0;  // when not a packet
        Packet packet;
    };

    // Takes one byte; true when it completed an item, which Take() then gives.
    bool Feed(uint8_t byte);
    const Item &Take() const { return m_item; }
    // True while a packet has begun and not yet ended.
    bool MidPacket() const { return m_state != kBetween; }
    void Reset() { m_state = kBetween; }

private:
    enum State { kBetween, kSequence, kComplement, kLength, kData, kChecksum };

    State m_state = kBetween;
    Item m_item;
    size_t m_length = 0;
    unsigned m_fieldBytes = 0;
};

}  // namespace handheld

#endif
