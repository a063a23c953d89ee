#include "frames.h"

#include <iterator>

#include "wire_fields.h"

namespace handheld {

namespace {

std::vector<uint8_t> Prefix(const FrameStyle &style, uint8_t kindLow)
{
    std::vector<uint8_t> out(style.noise);
    std::vector<uint8_t> header = BuildHeader(
        static_cast<uint8_t>((style.kindHighNibble << 4) | kindLow), style.leadingZeros);
    out.insert(out.end(), header.begin(), header.end());
    return out;
}

}  // namespace

std::vector<uint8_t> BuildHeader(uint8_t kindByte, unsigned leadingZeros)
{
    std::vector<uint8_t> out(leadingZeros, 0x00);
    out.push_back(wire::kSync);
    out.push_back(kindByte);
    return out;
}

std::vector<uint8_t> BuildControlFrame(uint8_t code, const FrameStyle &style)
{
    std::vector<uint8_t> out = Prefix(style, wire::kKindControl);
    out.push_back(code);
    return out;
}

std::vector<uint8_t> BuildDataFrame(const std::vector<uint8_t> &data, uint16_t sequence,
                                    const FrameStyle &style, bool wrongSum)
{
    std::vector<uint8_t> out = Prefix(style, wire::kKindData);
    out.push_back(wire::kDataSubKind);
    AppendLe16(out, sequence);
    out.insert(out.end(), std::begin(wire::kDataFixedBytes), std::end(wire::kDataFixedBytes));
    AppendLe16(out, static_cast<unsigned>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    AppendLe16(out, static_cast<uint16_t>(Sum16(data) + (wrongSum ? 1 : 0)));
    return out;
}

bool FrameParser::Feed(uint8_t byte)
{
    switch (m_state) {
    case kIdle:
        if (byte == 0x00)
            m_state = kZeros;
        return false;
    case kZeros:
        if (byte == wire::kSync)
            m_state = kSync;
        else if (byte != 0x00)
            m_state = kIdle;
        return false;
    case kSync: {
        const uint8_t high = byte >> 4, low = byte & 0x0F;
        m_frame = Frame();
        if ((high == 0x8 || high == 0x9) && low == wire::kKindControl) {
            m_frame.type = Frame::kControl;
            m_state = kCode;
        } else if ((high == 0x8 || high == 0x9) && low == wire::kKindData) {
            m_frame.type = Frame::kData;
            m_state = kSubKind;
        } else {
            m_state = kIdle;
        }
        return false;
    }
    case kCode:
        m_frame.code = byte;
        m_state = kIdle;
        return true;
    case kSubKind:
        m_frame.subKind = byte;
        m_got = 0;
        m_state = kFields;
        return false;
    case kFields:
        m_fields[m_got++] = byte;
        if (m_got == sizeof m_fields) {
            m_frame.sequence =
                Le16(m_fields[wire::kFieldNumberAt], m_fields[wire::kFieldNumberAt + 1]);
            m_length = Le16(m_fields[wire::kFieldLengthAt], m_fields[wire::kFieldLengthAt + 1]);
            m_got = 0;
            m_state = m_length > 0 ? kData : kSum;
        }
        return false;
    case kData:
        m_frame.data.push_back(byte);
        if (m_frame.data.size() == m_length)
            m_state = kSum;
        return false;
    case kSum:
        m_sum[m_got++] = byte;
        if (m_got < sizeof m_sum)
            return false;
        m_frame.sumMatches = Sum16(m_frame.data) == Le16(m_sum[0], m_sum[1]);
        m_state = kIdle;
        return true;
    }
    return false;
}

}  // namespace handheld
