// The mode-1 block exchange: data travels in numbered, summed data frames,
// each announced with ENQ, called for with SYN, and answered ACK or NAK, with
// three attempts per block. Also Send/SendByte/Receive for every mode.
#include <algorithm>
#include <cstring>

#include "../include/tessalink.h"
#include "block_constants.h"
#include "com_line.h"
#include "deadline.h"
#include "my_exception.h"
#include "waits.h"
#include "wire_words.h"

namespace {

bool IsRaw(LinkMode mode)
{
    return mode == LinkMode::kRaw || mode == LinkMode::kRawWithDrainWait;
}

}  // namespace

// --- every mode ---

void CComLine::Send(const void *data, unsigned count)
{
    if (IsRaw(m_mode))
        Write(data, count);
    else if (m_mode == LinkMode::kFramed)
        SendData(static_cast<const uint8_t *>(data), count);
}

void CComLine::SendByte(int value)
{
    if (IsRaw(m_mode)) {
        WriteByte(value);
    } else if (m_mode == LinkMode::kFramed) {
        const uint8_t one = static_cast<uint8_t>(value);
        SendData(&one, 1);
    }
}

int CComLine::Receive(void *buffer, unsigned count, unsigned timeoutMs)
{
    if (IsRaw(m_mode))
        return Read(buffer, count, timeoutMs);
    if (m_mode != LinkMode::kFramed)
        return 0;
    m_rxLength = 0;
    ReceiveBlock(static_cast<uint8_t *>(buffer), count);
    return m_rxLength;
}

// --- sending ---

void CComLine::SendData(const uint8_t *data, unsigned count)
{
    while (count > 0) {
        unsigned n = count < kMaxBlockData ? count : kMaxBlockData;
        SendBlock(data, n);
        data += n;
        count -= n;
    }
}

void CComLine::SendBlock(const uint8_t *data, unsigned count)
{
    uint32_t wait = kFirstAttemptWaitMs;
    for (int attempt = 0; attempt < kBlockAttempts; ++attempt) {
        if (SendControl(kEnq, wait, kEnqRepeatMs, kSyn) == 0) {
            wait = kLaterAttemptWaitMs;
            continue;
        }
        SendDataFrame(data, count);
        if (ReceiveControl(kAckWaitMs) == kAck) {
            if (m_txSeq != kUnnumbered)
                ++m_txSeq;
            return;
        }
        wait = kLaterAttemptWaitMs;
    }
    throw CMyException(KIVO_ERR_BLOCK_SEND);
}

int CComLine::SendControl(uint8_t code, uint32_t totalWaitMs, uint32_t replyWaitMs,
                          uint8_t expected)
{
    if (totalWaitMs == 0) {
        SendControlFrame(code);
        return 1;
    }
    const CDeadline total(totalWaitMs);
    for (;;) {
        SendControlFrame(code);
        for (;;) {
            uint8_t reply = ReceiveControl(replyWaitMs);
            if (reply == expected)
                return 1;
            if (reply == kNoControl)
                break;
            // Other codes are passed over, but not past the total wait.
            if (total.Passed())
                return 0;
        }
        if (total.Passed())
            return 0;
    }
}

void CComLine::SendControlFrame(uint8_t code)
{
    const uint8_t frame[kControlFrameSize] = {0, 0, 0, 0, 0, kFrameSync, kKindControl, code};
    m_trace.Control(TraceDirection::kSent, code);
    Write(frame, sizeof frame);
}

void CComLine::SendDataFrame(const uint8_t *data, unsigned count)
{
    // The whole frame in one write: written piece by piece, each piece may
    // wake the handheld on its own, and a pseudo-terminal pays a turn of its
    // own for each.
    uint8_t frame[kDataHeaderSize + kMaxBlockData + kBlockChecksumSize] = {
        0, 0, 0, 0, 0, kFrameSync, kKindData, kDataSubKind};
    if (count > kMaxBlockData)
        count = kMaxBlockData;
    m_trace.Frame(TraceDirection::kSent, m_txSeq, data, count, nullptr);
    uint8_t *fields = frame + kDataFieldsAt;
    PutLe16(fields + kFieldNumberAt, m_txSeq);
    std::memcpy(fields + kFieldFixedAt, kDataFixedBytes, sizeof kDataFixedBytes);
    PutLe16(fields + kFieldLengthAt, count);
    std::memcpy(frame + kDataHeaderSize, data, count);
    PutLe16(frame + kDataHeaderSize + count, Sum16(data, count));
    Write(frame, kDataHeaderSize + count + kBlockChecksumSize);
}

// --- receiving ---

void CComLine::ReceiveBlock(uint8_t *buffer, unsigned capacity)
{
    uint32_t wait = kFirstAttemptWaitMs;
    for (int attempt = 0; attempt < kBlockAttempts; ++attempt) {
        if (ReceiveControl(wait) != kEnq) {
            wait = kLaterAttemptWaitMs;
            continue;
        }
        SendControl(kSyn, 0, 0, 0);
        uint8_t verdict = ReceiveDataFrame(buffer, capacity, kDataFrameWaitMs);
        if (verdict == kAck) {
            SendControl(kAck, 0, 0, 0);
            return;
        }
        if (verdict == kNak)
            SendControl(kNak, 0, 0, 0);
        wait = kLaterAttemptWaitMs;
    }
    throw CMyException(KIVO_ERR_BLOCK_RECV);
}

uint8_t CComLine::ReceiveControl(uint32_t waitMs)
{
    int kind = HuntFrame(waitMs, kFrameControl);
    if (kind == 0)
        return kNoControl;
    if (kind != kFrameControl)
        throw CMyException(KIVO_ERR_NOT_CONTROL);
    uint8_t code = 0;
    if (!ReadFrameBytes(&code, 1))
        return kNoControl;
    m_trace.Control(TraceDirection::kReceived, code);
    if (code == kCan)
        throw CMyException(KIVO_ERR_BLOCK_CANCEL);
    return code;
}

uint8_t CComLine::ReceiveDataFrame(uint8_t *buffer, unsigned capacity, uint32_t waitMs)
{
    int kind = HuntFrame(waitMs, kFrameData);
    if (kind == 0)
        return kNoControl;
    if (kind != kFrameData)
        throw CMyException(KIVO_ERR_NOT_DATA);
    uint8_t subKind = 0;
    if (!ReadFrameBytes(&subKind, 1))
        return kNoControl;
    if ((subKind >> 4) != 1)
        throw CMyException(KIVO_ERR_BAD_HEADER);
    uint8_t fields[kDataFieldsSize];
    if (!ReadFrameBytes(fields, sizeof fields))
        return kNoControl;
    const uint16_t seq = Le16(fields + kFieldNumberAt);
    const unsigned length = Le16(fields + kFieldLengthAt);

    // The block and the zero byte after it must fit: a longer frame is read
    // off the line and refused, never stored beyond the buffer.
    if (buffer == nullptr || length >= capacity) {
        m_trace.Frame(TraceDirection::kReceived, seq, nullptr, length, "too long: refused");
        return DropFrameBytes(length + kBlockChecksumSize) ? kNak : kNoControl;
    }
    if (!ReadFrameBytes(buffer, length))
        return kNoControl;
    buffer[length] = 0;
    uint8_t sumBytes[kBlockChecksumSize];
    if (!ReadFrameBytes(sumBytes, sizeof sumBytes))
        return kNoControl;
    const bool numberOk = seq == kUnnumbered || seq == m_rxSeq;
    const bool sumOk = Le16(sumBytes) == Sum16(buffer, length);
    m_trace.Frame(TraceDirection::kReceived, seq, buffer, length,
                  !numberOk ? "unexpected number" : !sumOk ? "wrong sum" : nullptr);
    if (!numberOk || !sumOk)
        return kNak;
    m_rxLength = static_cast<uint16_t>(length);
    if (seq == kUnnumbered)
        m_rxSeq = kUnnumbered;
    else
        ++m_rxSeq;
    return kAck;
}

int CComLine::HuntFrame(uint32_t waitMs, int wantedKind)
{
    enum { kIdle, kZeroSeen, kSyncSeen } state;
    // However often frames of the other kind start the wait afresh, the hunt
    // ends this long after its wait (0: no limit).
    const CDeadline overall(waitMs == 0 ? 0 : waitMs + kHuntOverrunMs);
    for (;;) {
        const CDeadline wait(waitMs);  // 0: no limit
        CDeadline headerSilence(kFrameSilenceLimitMs);
        state = kIdle;
        int kind = 0;
        for (;;) {
            // Each read may wait as long as the hunt can go on without a byte,
            // up to the readiness wait (the window is polled in between): a
            // byte ends it at once, and a silent line costs no wake-up a
            // millisecond.
            const CDeadline &next = state == kIdle ? wait : headerSilence;
            const uint32_t readMs = std::min(overall.WaitMs(kReadinessWaitMs),
                                             next.WaitMs(kReadinessWaitMs));
            uint8_t b = 0;
            const bool got = ReadByte(&b, std::max<uint32_t>(readMs, 1)) != 0;
            // Idle, the wait ends the hunt, noise or not; a header begun and
            // never finished ends it after the frame's silence limit.
            if (overall.Passed() || (state == kIdle && wait.Passed()))
                return 0;
            if (!got) {
                if (state != kIdle && headerSilence.Passed())
                    return 0;
                continue;
            }
            headerSilence.Restart();
            if (state == kIdle) {
                state = b == 0x00 ? kZeroSeen : kIdle;
            } else if (state == kZeroSeen) {
                state = b == 0x00 ? kZeroSeen : (b == kFrameSync ? kSyncSeen : kIdle);
            } else {
                const int high = b >> 4;
                if (high == 8 || high == 9) {
                    kind = b & 0x0F;
                    break;
                }
                state = kIdle;
            }
        }
        if (kind == kFrameData && wantedKind != kFrameData) {
            SkipDataFrame();
            continue;
        }
        if (kind == kFrameControl && wantedKind != kFrameControl) {
            SkipControlFrame();
            continue;
        }
        return kind;
    }
}

void CComLine::SkipControlFrame()
{
    uint8_t code = 0;
    if (!ReadFrameBytes(&code, 1))
        return;
    m_trace.Control(TraceDirection::kReceived, code);
    if (code == kCan)
        throw CMyException(KIVO_ERR_BLOCK_CANCEL);
}

void CComLine::SkipDataFrame()
{
    uint8_t subKindAndFields[1 + kDataFieldsSize];
    if (!ReadFrameBytes(subKindAndFields, sizeof subKindAndFields))
        return;
    const uint8_t *fields = subKindAndFields + 1;
    const unsigned length = Le16(fields + kFieldLengthAt);
    m_trace.Frame(TraceDirection::kReceived, Le16(fields + kFieldNumberAt), nullptr, length,
                  "passed over");
    DropFrameBytes(length + kBlockChecksumSize);
}

bool CComLine::ReadFrameBytes(void *buffer, unsigned count)
{
    return Read(buffer, count, kFrameSilenceLimitMs) == static_cast<int>(count);
}

bool CComLine::DropFrameBytes(unsigned count)
{
    uint8_t scrap[64];
    while (count > 0) {
        unsigned n = count < sizeof scrap ? count : static_cast<unsigned>(sizeof scrap);
        if (!ReadFrameBytes(scrap, n))
            return false;
        count -= n;
    }
    return true;
}
