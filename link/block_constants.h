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
// The header's bytes up to and with the kind: where a frame's content begins.
constexpr unsigned kFrameHeaderSize = kHeaderZeros + 2;
// A control frame: the header and its one code.
constexpr unsigned kControlFrameSize = kFrameHeaderSize + 1;

// A data frame's content: a sub-kind, then its fields (16-bit block number,
// three fixed bytes, 16-bit block length), the block, and the block's 16-bit
// checksum.
constexpr uint8_t kDataSubKind = 0x10;
constexpr uint8_t kDataFixedBytes[3] = {0x01, 0x40, 0xFE};
// Offsets within the fields.
constexpr unsigned kFieldNumberAt = 0;
constexpr unsigned kFieldFixedAt = 2;
constexpr unsigned kFieldLengthAt = 5;
constexpr unsigned kDataFieldsSize = 7;
// Where the fields begin in the whole frame, and where its block begins.
constexpr unsigned kDataFieldsAt = kFrameHeaderSize + 1;
constexpr unsigned kDataHeaderSize = kDataFieldsAt + kDataFieldsSize;
constexpr unsigned kBlockChecksumSize = 2;

constexpr uint8_t kNoControl = 0xFF;  // no control frame came in the wait

constexpr unsigned kMaxBlockData = 512;
constexpr int kBlockAttempts = 3;

#endif
