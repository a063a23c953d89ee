// The packet layer's control bytes, packet layout and limits.
#ifndef TESSALINK_LINK_PACKET_CONSTANTS_H
#define TESSALINK_LINK_PACKET_CONSTANTS_H

#include <cstdint>

constexpr uint8_t kSoh = 0x01;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kPacketEnq = 0x05;
constexpr uint8_t kPacketAck = 0x06;
constexpr uint8_t kPacketNak = 0x15;
constexpr uint8_t kPacketCan = 0x18;

// SOH, sequence, its complement, 16-bit length; the data; 16-bit checksum.
constexpr unsigned kPacketHeaderSize = 5;
constexpr unsigned kPacketTrailerSize = 2;
constexpr unsigned kPacketFraming = kPacketHeaderSize + kPacketTrailerSize;

constexpr int kPacketSendings = 3;   // a packet goes out at most this often
constexpr int kPacketAttempts = 3;   // received packets refused before giving up

#endif
