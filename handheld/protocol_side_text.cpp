// The application-text stream: no packets, only the bytes and the end mark.
#include "protocol_side.h"

#include "text_stream.h"

namespace handheld {

void ProtocolSide::TakeText(const std::vector<uint8_t> &unit, bool end)
{
    m_text.insert(m_text.end(), unit.begin(), unit.end());
    Trace("<- text " + std::to_string(unit.size()) + " bytes");
    if (!end)
        return;
    m_text.pop_back();
    m_textComplete = true;
    Trace("<- end of text");
    ++m_textsReceived;
    ++m_finished;
    m_line.FinishConversation();
    m_events.push_back({ProtocolEvent::Kind::kTextReceived, Operation::kUnknown, m_text});
    Reset();
}

void ProtocolSide::SendText(const std::vector<uint8_t> &text)
{
    uint16_t sequence = 1;
    for (std::vector<uint8_t> &unit : TextUnits(text, m_line.Mode() == LinkMode::kFramed)) {
        Trace("-> text " + std::to_string(unit.size()) + " bytes");
        Emit(std::move(unit), sequence);
        if (sequence != wire::kUnnumbered)  // once unnumbered, the PC takes only unnumbered ones
            ++sequence;
    }
    ++m_finished;
    m_line.FinishConversation();
    m_events.push_back({ProtocolEvent::Kind::kTextSent, Operation::kUnknown, {}});
}

}  // namespace handheld
