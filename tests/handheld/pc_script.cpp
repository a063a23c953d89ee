#include "pc_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

#include "handheld/frames.h"

namespace pc {

Bytes Text(const std::string &text)
{
    return Bytes(text.begin(), text.end());
}

Bytes Request(const std::string &text)
{
    Bytes out = Text(text);
    out.push_back(0);
    return out;
}

Bytes Packet(uint8_t sequence, const Bytes &data)
{
    Bytes out = {0x01, sequence, static_cast<uint8_t>(~sequence),
                 static_cast<uint8_t>(data.size()), static_cast<uint8_t>(data.size() >> 8)};
    unsigned sum = 0;
    for (uint8_t b : data) {
        out.push_back(b);
        sum += b;
    }
    out.push_back(static_cast<uint8_t>(sum));
    out.push_back(static_cast<uint8_t>(sum >> 8));
    return out;
}

Bytes Pattern(size_t n, uint8_t seed)
{
    Bytes out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(seed + i * 13);
    return out;
}

Bytes Join(const Bytes &a, const Bytes &b)
{
    Bytes out(a);
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

Script &operator+=(Script &script, const Script &more)
{
    script.insert(script.end(), more.begin(), more.end());
    return script;
}

Script Then(Script script, const Script &more)
{
    script += more;
    return script;
}

Script CommandTurn(const std::string &code)
{
    return {{Packet(1, Text("C" + code)), {kAck}}, {{kEot}, {kAck}}};
}

Script HandheldTurn(const std::vector<Bytes> &packets)
{
    Script script;
    Bytes opener = {kEnq};
    uint8_t sequence = 1;
    for (const Bytes &data : packets) {
        script.push_back({opener, Packet(sequence++, data)});
        opener = {kAck};
    }
    script.push_back({opener, {kEot}});
    script.push_back({{kAck}, {kEnq}});
    return script;
}

Line::Line(int mode, size_t piece) : side(static_cast<LinkMode>(mode)), m_piece(piece)
{
    protocol.SetTrace([this](const std::string &line) { trace.push_back(line); });
}

void Line::Run(const Script &script)
{
    for (size_t i = 0; i < script.size(); ++i) {
        ASSERT_EQ(Write(script[i].pc), script[i].handheld) << "step " << i;
    }
}

void Line::Feed(const Bytes &bytes)
{
    side.OnBytes(m_now, bytes.data(), bytes.size());
    protocol.Pump(m_now);
}

void Line::Pass(uint32_t ms)
{
    m_now += ms;
    side.OnTime(m_now);
    protocol.Pump(m_now);
}

Bytes Line::Write(const Bytes &bytes)
{
    return side.Mode() == LinkMode::kFramed ? WriteFramed(bytes) : WriteRaw(bytes);
}

Bytes Line::WriteRaw(const Bytes &bytes)
{
    const size_t piece = m_piece == 0 ? std::max<size_t>(bytes.size(), 1) : m_piece;
    for (size_t at = 0; at < bytes.size(); at += piece)
        Feed(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                   bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), at + piece))));
    Bytes out;
    for (const handheld::Transmission &t : side.TakeOutput())
        out.insert(out.end(), t.bytes.begin(), t.bytes.end());
    return out;
}

// One block at a time: ENQ, the handheld's SYN, the data frame, its ACK.
// The handheld's own blocks are then fetched the same way round.
Bytes Line::WriteFramed(const Bytes &bytes)
{
    if (bytes.empty())
        return TakeFramed(false);  // only what time brought
    Bytes answered;
    for (size_t at = 0; at < bytes.size(); at += 512) {
        const Bytes block(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                          bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), at + 512)));
        Feed(handheld::BuildControlFrame(kEnq));
        EXPECT_EQ(side.TakeOutput().front().bytes, handheld::BuildControlFrame(0x16));
        Feed(handheld::BuildDataFrame(block, 0xFFFF));
        Bytes units = TakeFramed(true);
        answered.insert(answered.end(), units.begin(), units.end());
    }
    return answered;
}

// Takes the line side's answer to a block (ACK) and every unit that the
// handheld then offers, answering SYN and ACK; each unit must come in one
// frame numbered 1.
Bytes Line::TakeFramed(bool blockSent)
{
    Bytes units;
    bool acked = false;
    for (;;) {
        handheld::FrameParser parser;
        std::vector<handheld::Frame> frames;
        for (const handheld::Transmission &t : side.TakeOutput())
            for (uint8_t b : t.bytes)
                if (parser.Feed(b))
                    frames.push_back(parser.Take());
        bool offered = false;
        for (const handheld::Frame &f : frames) {
            if (f.type == handheld::Frame::kData) {
                EXPECT_EQ(f.sequence, 1);
                units.insert(units.end(), f.data.begin(), f.data.end());
                Feed(handheld::BuildControlFrame(kAck));
                offered = true;  // what it sent after our ACK is in the next round
            } else if (f.code == kAck) {
                acked = true;
            } else if (f.code == kEnq) {
                Feed(handheld::BuildControlFrame(0x16));
                offered = true;
            }
        }
        if (!offered)
            break;
    }
    EXPECT_EQ(acked, blockSent) << "the block's acknowledgement";
    return units;
}

}  // namespace pc
