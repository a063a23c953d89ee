// The packet layer's packet layout and limits (its control bytes are in
// control_codes.h).
#ifndef TESSALINK_LINK_PACKET_CONSTANTS_H
#define TESSALINK_LINK_PACKET_CONSTANTS_H

#include <cstdint>

#include "control_codes.h"

// A packet: SOH, sequence, its complement, 16-bit length; the data; 16-bit
// checksum. Offsets from the packet's first byte:
constexpr unsigned kPacketSequenceAt = 1;
constexpr unsigned kPacketComplementAt = 2;
constexpr unsigned kPacketLengthAt = 3;
// The header's size, and so where the data begins.
constexpr unsigned kPacketHeaderSize = 5;
// The checksum after the data.
constexpr unsigned kPacketTrailerSize = 2;
// A packet's bytes beyond its data.
constexpr unsigned kPacketFraming = kPacketHeaderSize + kPacketTrailerSize;
// A packet buffer holds the block size plus this: the framing and one byte
// more.
constexpr unsigned kPacketBufferExtra = kPacketFraming + 1;

constexpr int kPacketSendings = 3;   // a packet goes out at most this often
constexpr int kPacketAttempts = 3;   // received packets refused before giving up

#endif
