// The application-text stream: no packets, only the bytes and the end mark.
#include "protocol_side.h"

#include "text_stream.h"

namespace handheld {

void ProtocolSide::ExpectText()
{
    Reset();
    m_phase = Phase::kText;
    m_text.clear();
    m_textBegun = false;
    m_textComplete = false;
}

bool ProtocolSide::BeginsText(const Unit &unit) const
{
    if (unit.data.empty())
        return false;
    if (m_line.Mode() == 1)
        return unit.sequence != wire::kUnnumbered ||
               unit.data == std::vector<uint8_t>{wire::kTextEnd};
    switch (unit.data.front()) {
    case wire::kSoh:
    case wire::kEot:
    case wire::kEnq:
    case wire::kAck:
    case wire::kNak:
    case wire::kCan:
        return false;
    default:
        return true;
    }
}

void ProtocolSide::TakeTextUnit(const std::vector<uint8_t> &data)
{
    m_textBegun = true;
    m_text.insert(m_text.end(), data.begin(), data.end());
    Trace("<- text " + std::to_string(data.size()) + " bytes");
    if (data.empty() || data.back() != wire::kTextEnd)
        return;
    m_text.pop_back();
    m_textComplete = true;
    Trace("<- end of text");
    ++m_textsReceived;
    ++m_finished;
    m_line.FinishConversation();
    Reset();
}

void ProtocolSide::SendText(const std::vector<uint8_t> &text)
{
    uint16_t sequence = 1;
    for (std::vector<uint8_t> &unit : TextUnits(text, m_line.Mode() == 1)) {
        Trace("-> text " + std::to_string(unit.size()) + " bytes");
        Emit(std::move(unit), sequence);
        if (sequence != wire::kUnnumbered)  // once unnumbered, the PC takes only unnumbered ones
            ++sequence;
    }
    ++m_finished;
    m_line.FinishConversation();
}

}  // namespace handheld
