// The PC's link on the simulated platform for the link harnesses: a fresh
// virtual clock and line per run, the fuzzer's bytes queued as what the
// handheld sends, in chunks with gaps of virtual time between them so that
// every wait of the protocol is reached.
#ifndef TESSALINK_FUZZ_SIM_LINK_H
#define TESSALINK_FUZZ_SIM_LINK_H

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "platform/sim_line.h"
#include "platform/sim_platform.h"
#include "tessalink.h"

namespace fuzz {

// How the handheld's bytes are spread over time, from one byte of the
// input: bits 0-2 choose the gap, bits 3-4 the chunk length. Gaps sit both
// sides of the protocol's waits (1 ms, 500 ms, 1 s, 10 s, 60 s, 6 min).
struct Timing {
    explicit Timing(uint8_t choice)
    {
        static const uint32_t kGaps[] = {0, 1, 2, 499, 1001, 10001, 60001, 360001};
        static const size_t kChunks[] = {1, 7, 64, 600};
        gapMs = kGaps[choice & 7];
        chunk = kChunks[(choice >> 3) & 3];
    }
    uint32_t gapMs;
    size_t chunk;
};

// Queues bytes on the line towards the PC from now on; returns when the last
// of them arrives.
inline uint32_t QueueHandheldBytes(SimLine &line, uint32_t now, const Timing &timing,
                                   const uint8_t *data, size_t size)
{
    uint32_t at = now;
    for (size_t offset = 0; offset < size; offset += timing.chunk) {
        const size_t n = size - offset < timing.chunk ? size - offset : timing.chunk;
        line.SendToPc(data + offset, n, at);
        at += timing.gapMs;
    }
    return at;
}

// Every code an operation of the link may end with.
inline bool IsLinkResult(int code)
{
    switch (code) {
    case 0:
    case KIVO_ERR_NO_CONNECTION:
    case KIVO_ERR_WRONG_REPLY:
    case KIVO_ERR_NO_DOK:
    case KIVO_ERR_PACKET:
    case KIVO_ERR_PACKET_CANCEL:
    case KIVO_ERR_BLOCK_RECV:
    case KIVO_ERR_BLOCK_SEND:
    case KIVO_ERR_NOT_CONTROL:
    case KIVO_ERR_NOT_DATA:
    case KIVO_ERR_BAD_HEADER:
    case KIVO_ERR_BLOCK_CANCEL:
        return true;
    default:
        return false;
    }
}

// Virtual time a call may take once the handheld's last byte has come: a
// few of the longest waits (6 minutes), the per-attempt waits after them,
// and the lateness of the quiet line's whole-second steps; an hour in all.
// Longer means a wait that does not end by itself.
constexpr uint32_t kQuietBoundMs = 60 * 60 * 1000;

}  // namespace fuzz

#endif
