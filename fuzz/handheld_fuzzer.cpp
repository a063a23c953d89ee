// The handheld's side (line side and protocol side, as the emulator runs
// them) fed arbitrary bytes as what the PC sends, in each mode, with a file
// store in memory. It must take any input without a report, never spin, and
// send only what its own wire tables allow: in mode 1 frames with their sums
// (data frames of at most 512 bytes) and the probe's answer; in every mode
// packets with matching complement and sum, and the control bytes of the
// packet layer. What it sends is bounded by what it was sent and the files
// it holds.
//
// Input: byte 0 chooses the mode (0-2, folded) and bit 2 unannounced text;
// byte 1 the timing (chunk length and the virtual time between chunks);
// the rest is the wire.
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "handheld/file_store.h"
#include "handheld/frames.h"
#include "handheld/line_side.h"
#include "handheld/packet_wire.h"
#include "handheld/protocol_side.h"

namespace {

using namespace handheld;

constexpr size_t kMaxFrameData = 512;
// Long enough after the last byte for every stall and retry to run out.
constexpr uint32_t kTailMs = 15 * 60 * 1000;
constexpr uint32_t kTailStepMs = 250;

bool IsPacketControl(uint8_t b)
{
    return b == wire::kAck || b == wire::kNak || b == wire::kCan || b == wire::kEot ||
           b == wire::kEnq;
}

// Reads what the handheld sent as the packet layer's stream.
class PacketChecker {
public:
    void Feed(const uint8_t *data, size_t size)
    {
        for (size_t i = 0; i < size; ++i) {
            if (!m_reader.Feed(data[i]))
                continue;
            const PacketReader::Item &item = m_reader.Take();
            if (item.isPacket) {
                fuzz::Check(item.packet.ComplementMatches(), "a packet's complement matches");
                fuzz::Check(item.packet.ChecksumMatches(), "a packet's sum matches");
            } else {
                fuzz::Check(IsPacketControl(item.control), "a byte between packets is a control");
            }
        }
    }

private:
    PacketReader m_reader;
};

// Reads what the handheld sent in mode 1: frames, and the probe's answer
// outside them.
class FrameChecker {
public:
    void Feed(const uint8_t *data, size_t size)
    {
        for (size_t i = 0; i < size; ++i) {
            if (m_parser.Idle() && (data[i] == 0xF4 || data[i] == 0xF5))
                continue;
            if (!m_parser.Feed(data[i]))
                continue;
            const Frame frame = m_parser.Take();
            if (frame.type == Frame::kData) {
                fuzz::Check(frame.sumMatches, "a data frame's sum matches");
                fuzz::Check(frame.data.size() <= kMaxFrameData, "a data frame holds 512 bytes at most");
                m_packets.Feed(frame.data.data(), frame.data.size());
            }
        }
    }

private:
    FrameParser m_parser;
    PacketChecker m_packets;
};

class Handheld {
public:
    Handheld(int mode, bool detectText) : m_mode(mode), m_line(static_cast<LinkMode>(mode)), m_protocol(m_line, m_store)
    {
        m_store.files["MEMO.TXT"] = std::vector<uint8_t>(40, 'm');
        m_store.files["ADDR.DAT"] = std::vector<uint8_t>(1500, 0x81);
        m_protocol.SetTextDetection(detectText);
    }

    // The emulator's round: input, time, the line's events, the protocol.
    void Step(uint32_t now, const uint8_t *data, size_t size)
    {
        if (size > 0)
            m_line.OnBytes(now, data, size);
        m_line.OnTime(now);
        while (std::optional<LineEvent> event = m_line.NextEvent())
            if (event->kind == LineEvent::Kind::kProbe)
                m_protocol.Restart();
        m_protocol.Pump(now);
        while (m_protocol.NextEvent()) {
        }
        for (const Transmission &t : m_line.TakeOutput()) {
            m_sent += t.bytes.size();
            if (m_mode == 1)
                m_frames.Feed(t.bytes.data(), t.bytes.size());
            else
                m_packets.Feed(t.bytes.data(), t.bytes.size());
        }
    }

    size_t Sent() const { return m_sent; }
    size_t Stored() const
    {
        size_t total = 0;
        for (const auto &file : m_store.files)
            total += file.first.size() + file.second.size();
        return total;
    }

private:
    int m_mode;
    MemoryFileStore m_store;
    LineSide m_line;
    ProtocolSide m_protocol;
    size_t m_sent = 0;
    FrameChecker m_frames;
    PacketChecker m_packets;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int mode = (data[0] & 3) % 3;
    const bool detectText = (data[0] & 4) != 0;
    static const size_t kChunks[] = {1, 5, 64, 4096};
    static const uint32_t kGaps[] = {0, 1, 400, 1100, 5000, 10001, 30000, 60001};
    const size_t chunk = kChunks[data[1] & 3];
    const uint32_t gap = kGaps[(data[1] >> 2) & 7];
    data += 2;
    size -= 2;

    Handheld handheld(mode, detectText);
    uint32_t now = 1000;
    for (size_t offset = 0; offset < size; offset += chunk) {
        const size_t n = size - offset < chunk ? size - offset : chunk;
        handheld.Step(now, data + offset, n);
        now += gap;
    }
    // Every file it holds may go out a few times over (a list, a get, and
    // their resendings), framed; beyond that a few bytes per byte it was sent.
    const size_t bound = 64 * (size + 1) + 8 * handheld.Stored() + 4096;
    fuzz::Check(handheld.Sent() <= bound, "what it sends is bounded by its input");
    const size_t beforeTail = handheld.Sent();
    for (uint32_t waited = 0; waited < kTailMs; waited += kTailStepMs)
        handheld.Step(now + waited, nullptr, 0);
    fuzz::Check(handheld.Sent() - beforeTail <= 4 * (handheld.Stored() + 4096),
                "alone, it falls silent");
    return 0;
}
