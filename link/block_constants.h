// The wire values of the connection handshake and the mode-1 block exchange
// (their waits are in waits.h).
#ifndef TESSALINK_LINK_BLOCK_CONSTANTS_H
#define TESSALINK_LINK_BLOCK_CONSTANTS_H

#include <cstdint>

#include "control_codes.h"

// Mode-1 start, sent without parity.
constexpr uint8_t kProbeByte = 0xF0;
constexpr uint8_t kProbeAnswerA = 0xF4;
constexpr uint8_t kProbeAnswerB = 0xF5;
constexpr uint8_t kSwitchSequence[13] = {0x0B, 0x21, 0x37, 0x45, 0x50, 0x64, 0x70,
                                         0xD1, 0x56, 0xD0, 0x87, 0x91, 0x11};

// Frame header: zeros, sync, kind.
constexpr unsigned kHeaderZeros = 5;
constexpr uint8_t kFrameSync = 0x96;
constexpr uint8_t kKindData = 0x81;
constexpr uint8_t kKindControl = 0x82;
constexpr int kFrameData = 1;
constexpr int kFrameControl = 2;
constexpr uint8_t kDataSubKind = 0x10;
constexpr uint8_t kDataFixedBytes[3] = {0x01, 0x40, 0xFE};
constexpr unsigned kDataHeaderSize = 15;
constexpr unsigned kControlFrameSize = 8;

constexpr uint8_t kNoControl = 0xFF;  // no control frame came in the wait

constexpr unsigned kMaxBlockData = 512;
constexpr int kBlockAttempts = 3;

#endif
