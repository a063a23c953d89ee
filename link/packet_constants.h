// The packet layer's packet layout and limits (its control bytes are in
// control_codes.h).
#ifndef TESSALINK_LINK_PACKET_CONSTANTS_H
#define TESSALINK_LINK_PACKET_CONSTANTS_H

#include <cstdint>

#include "control_codes.h"

// SOH, sequence, its complement, 16-bit length; the data; 16-bit checksum.
constexpr unsigned kPacketHeaderSize = 5;
constexpr unsigned kPacketTrailerSize = 2;
constexpr unsigned kPacketFraming = kPacketHeaderSize + kPacketTrailerSize;

constexpr int kPacketSendings = 3;   // a packet goes out at most this often
constexpr int kPacketAttempts = 3;   // received packets refused before giving up

#endif
