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

// --- waits that have no time-out of their own ---
// The packet layer's reads, the text stream's silence in the raw modes and
// the wait for the handheld to drop CTS at the end of a mode-2 conversation
// wait for the handheld without a time-out of their own. A handheld silent as
// long as the longest wait of the block exchange is taken for gone.
constexpr uint32_t kHandheldGoneMs = kFirstAttemptWaitMs;

// --- the line itself ---
// A write that moves no byte for this long (output held by CTS low for good,
// a device that takes nothing) fails the call with -999: the handheld is
// taken for gone, as a silent one is. Each platform write call waits at most
// 1000 ms; a call that fails at once is tried again after a short pause, so
// that a failing write never spins.
constexpr uint32_t kWriteStallLimitMs = kHandheldGoneMs;
constexpr uint32_t kWriteRetryPauseMs = 10;
// A device that has gone (unplugged adapter, hung-up terminal) fails the call
// with -999 at the first read or write that finds it gone: no wait at all.

// --- the mode-1 hunt for a frame header ---
// Once its wait has passed, a hunt ends at the next byte or empty read while
// no header is under way, even on a line that never stops sending noise. A
// header under way, and the frames of the other kind that the hunt reads off
// and drops (each starting the wait afresh), keep it going at most this much
// longer than its wait, so that a babbling handheld cannot hold it for ever.
constexpr uint32_t kHuntOverrunMs = kLaterAttemptWaitMs;

// --- what a handheld may send where a conversation waits for something else,
// and what a call may send ---
// Stray acknowledgements where a packet is awaited are skipped, at most this
// many in one wait; the next fails the exchange with -102.
constexpr unsigned kStrayAckLimit = 16;
// The data of the reply packets of one list or get (their codes included),
// and the text of one receive, at most: the largest size a file can have in
// the protocol. More fails the call (-100 for replies, -1 for text), so that a
// handheld that never ends its turn cannot keep the call for ever.
constexpr uint32_t kReceiveLimitBytes = 0x7FFFFFFF;
// A put or text send reads its file to the end, at most this much: the
// largest size a file can have in the protocol. A file that goes on beyond it
// (a device such as /dev/zero given as the file) fails the call with -500.
constexpr uint32_t kSendLimitBytes = 0x7FFFFFFF;

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
