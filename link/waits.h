// Every wait of the link layer, in ms, each named for what it limits.
#ifndef TESSALINK_LINK_WAITS_H
#define TESSALINK_LINK_WAITS_H

#include <cstdint>

// --- the connection ---
// The mode-1 probe: RTS and DTR up, then RTS low for a moment, then DTR
// dropped with the probe byte, which the handheld has a fixed time to answer.
constexpr uint32_t kProbeSignalsUpMs = 100;
constexpr uint32_t kProbeRtsLowMs = 50;
constexpr uint32_t kProbeRtsBackMs = 50;
constexpr uint32_t kProbeAnswerMs = 10;
// After the switch sequence and the purge, before DTR rises again.
constexpr uint32_t kSwitchPauseMs = 3;
// The line settles this long after every connect, in every mode.
constexpr uint32_t kSettleMs = 500;

// --- the mode-1 block exchange ---
// The handheld's time to start an exchange: on a block's first attempt, and
// on each later one.
constexpr uint32_t kFirstAttemptWaitMs = 360000;  // 6 minutes
constexpr uint32_t kLaterAttemptWaitMs = 10000;
// ENQ goes out again after this long without an answer.
constexpr uint32_t kEnqRepeatMs = 500;
// The answer to a data frame, and the data frame after SYN.
constexpr uint32_t kAckWaitMs = 1000;
constexpr uint32_t kDataFrameWaitMs = 500;
// Once a frame header has come, the rest of the frame follows at line speed.
// A line silent this long in the middle of a frame is dead: the frame counts
// as not received, so that no call can hang for ever on a dead line.
constexpr uint32_t kFrameSilenceLimitMs = 60000;
// The hunt for a frame header reads one byte at a time, each read waiting at
// most this long, so that it can check its own wait between reads.
constexpr uint32_t kHuntReadMs = 1;

// --- waits that have no time-out of their own ---
// The packet layer's reads, the text stream's silence in the raw modes and
// the wait for the handheld to drop CTS at the end of a mode-2 conversation
// wait for the handheld without a time-out of their own. A handheld silent as
// long as the longest wait of the block exchange is taken for gone.
constexpr uint32_t kHandheldGoneMs = kFirstAttemptWaitMs;

// --- the text stream ---
// One receive step of the text stream in the raw modes ends after this much
// silence.
constexpr uint32_t kTextReadTimeoutMs = 1000;

// --- polling ---
// Pauses of the loops that cannot wait for input (a failing read, the wait
// for CTS).
constexpr uint32_t kPollIntervalMs = 1;
// Between empty reads the library waits for input at most this long (and no
// longer than the read's own time-out has left): input ends the wait at once,
// so this only sets how often the caller's window is polled while nothing
// comes. 10 ms: a waiting call costs well under 1% of a core, and a cancel
// takes effect within 20 ms.
constexpr uint32_t kReadinessWaitMs = 10;

#endif
