// The handheld's turn: its answers and reply packets, each acknowledged,
// its end of turn, and how a conversation ends.
#include "protocol_side.h"

#include <utility>

#include "trace_text.h"

namespace handheld {

namespace {
constexpr unsigned kSendings = 3;  // the PC gives up after its third NAK
}

void ProtocolSide::OnPcTurnEnded()
{
    if (m_stage == Stage::kCommand)
        AnswerCommand();
    else
        AnswerRequest();
}

void ProtocolSide::AnswerCommand()
{
    const bool known = m_operation != Operation::kUnknown;
    std::vector<uint8_t> answer = kCommandAccepted;
    if (!known || m_faults.answerWithoutDok) {
        m_faults.answerWithoutDok = false;
        answer = kRefusal;
    }
    std::deque<std::vector<uint8_t>> packets = {answer};
    if (m_faults.twoAnswers) {
        m_faults.twoAnswers = false;
        packets.push_back(answer);
    }
    AfterOwnTurn after = AfterOwnTurn::kTakeRequest;
    if (answer != kCommandAccepted)
        after = AfterOwnTurn::kDrop;
    else if (m_operation == Operation::kRelease)
        after = AfterOwnTurn::kFinish;
    BeginOwnTurn(std::move(packets), after);
}

void ProtocolSide::AnswerRequest()
{
    std::deque<std::vector<uint8_t>> packets;
    AfterOwnTurn after = AfterOwnTurn::kFinish;
    switch (m_operation) {
    case Operation::kList:
    case Operation::kGet: {
        std::vector<uint8_t> payload;
        if (m_operation == Operation::kList) {
            payload = m_store.List(m_request.name);
        } else if (!m_store.Read(m_request.name, payload)) {
            Trace("no file \"" + Printable(m_request.name) + "\"");
            BeginOwnTurn({kRefusal}, AfterOwnTurn::kDrop);
            return;
        }
        std::string code = m_code;
        if (m_faults.wrongReplyCode) {
            m_faults.wrongReplyCode = false;
            code = m_operation == Operation::kList ? "FU" : "FF";
        }
        for (std::vector<uint8_t> &reply : BuildReplies(code, payload, m_replySize))
            packets.push_back(std::move(reply));
        if (m_faults.shortReply) {
            m_faults.shortReply = false;
            packets.push_front({'D', static_cast<uint8_t>(code[0])});
        }
        break;
    }
    case Operation::kPut:
    case Operation::kPutInChunks: {
        std::vector<uint8_t> answer = kPutAccepted;
        if (!m_store.Write(m_request.name, m_incoming)) {
            Trace("cannot store \"" + Printable(m_request.name) + "\"");
            answer = kRefusal;
            after = AfterOwnTurn::kDrop;
        } else if (m_faults.answerWithoutAex) {
            m_faults.answerWithoutAex = false;
            answer = kRefusal;
            after = AfterOwnTurn::kDrop;
        }
        packets.push_back(answer);
        if (m_faults.twoAnswers) {
            m_faults.twoAnswers = false;
            packets.push_back(answer);
        }
        break;
    }
    default:
        // "FC": the PC has nothing more to say and nothing to hear.
        Finish();
        return;
    }
    BeginOwnTurn(std::move(packets), after);
}

void ProtocolSide::BeginOwnTurn(std::deque<std::vector<uint8_t>> packets, AfterOwnTurn after)
{
    m_outgoing = std::move(packets);
    m_afterOwnTurn = after;
    m_ownSequence = 1;
    m_cancelsSent = 0;
    m_sendingRepeat = false;
    SendNextOwnPacket();
}

void ProtocolSide::SendNextOwnPacket()
{
    if (m_faults.cancelsBeforePacket > 0 && !m_outgoing.empty()) {
        --m_faults.cancelsBeforePacket;
        SendControl(wire::kCan);
        if (++m_cancelsSent == 2) {
            Drop("cancelled twice");
            return;
        }
        if (m_line.Mode() != 1) {
            m_phase = Phase::kCancelAnswer;
            return;
        }
        if (m_faults.cancelsBeforePacket > 0) {
            SendNextOwnPacket();  // the second CAN, at once: the PC does not answer in mode 1
            return;
        }
        // In mode 1 the PC has read the CAN in the packet's place and will
        // fail the operation: the turn ends without it, and so does the
        // conversation.
        m_outgoing.pop_front();
        ++m_ownSequence;
        m_afterOwnTurn = AfterOwnTurn::kDrop;
    }
    if (m_outgoing.empty()) {
        SendControl(wire::kEot);
        m_phase = Phase::kOwnEot;
        return;
    }
    m_sendings = 0;
    SendOwnPacket();
}

void ProtocolSide::SendOwnPacket()
{
    const std::vector<uint8_t> &data = m_outgoing.front();
    uint8_t sequence = m_ownSequence;
    PacketFlaws flaws;
    std::string damage;
    if (m_faults.wrongSequence > 0) {
        --m_faults.wrongSequence;
        sequence = static_cast<uint8_t>(sequence + 1);
        damage = " (wrong number)";
    }
    if (m_faults.badComplement > 0) {
        --m_faults.badComplement;
        flaws.badComplement = true;
        damage += " (wrong complement)";
    }
    if (m_faults.badChecksum > 0) {
        --m_faults.badChecksum;
        flaws.badChecksum = true;
        damage += " (wrong checksum)";
    }
    ++m_sendings;
    Trace("-> " + DescribedPacket(sequence, PrintableStart(data, 3), data.size()) + damage);
    m_lastSent = BuildPacket(sequence, data, flaws);
    Emit(m_lastSent);
    m_phase = Phase::kOwnPacket;
}

void ProtocolSide::OnOwnPacketAcknowledged()
{
    if (!m_sendingRepeat) {
        m_outgoing.pop_front();
        ++m_ownSequence;
        if (m_faults.repeatPacket) {
            m_faults.repeatPacket = false;
            m_sendingRepeat = true;
            Trace("-> the last packet again");
            Emit(m_lastSent);
            return;
        }
    }
    m_sendingRepeat = false;
    SendNextOwnPacket();
}

void ProtocolSide::OnOwnPacketRefused()
{
    if (m_sendingRepeat) {
        // The PC took the repeat for a new packet and refused it: go on.
        m_sendingRepeat = false;
        SendNextOwnPacket();
        return;
    }
    if (m_sendings >= kSendings) {
        Drop("three sendings refused");
        return;
    }
    SendOwnPacket();
}

void ProtocolSide::OnOwnEotAcknowledged()
{
    if (m_faults.cancelInsteadOfEnq) {
        m_faults.cancelInsteadOfEnq = false;
        SendControl(wire::kCan);
        Drop("cancelled instead of ENQ");
        return;
    }
    SendControl(wire::kEnq);
    switch (m_afterOwnTurn) {
    case AfterOwnTurn::kTakeRequest:
        ExpectPcTurn(Stage::kRequest, Welcome::kRequest);
        break;
    case AfterOwnTurn::kFinish:
        Finish();
        break;
    case AfterOwnTurn::kDrop:
        Reset();
        break;
    }
}

// --- output and endings ---

bool ProtocolSide::SendAck(bool &cancelInstead)
{
    if (cancelInstead) {
        cancelInstead = false;
        SendControl(wire::kCan);
        Drop("cancelled instead of ACK");
        return false;
    }
    SendControl(wire::kAck);
    return true;
}

void ProtocolSide::SendControl(uint8_t code)
{
    Trace("-> " + ControlName(code));
    Emit({code});
}

void ProtocolSide::Emit(std::vector<uint8_t> bytes, uint16_t sequence)
{
    if (m_faults.silentAfter) {
        if (*m_faults.silentAfter == 0) {
            Trace("(silent)");
            return;
        }
        --*m_faults.silentAfter;
    }
    m_line.SendUnit(std::move(bytes), sequence);
}

void ProtocolSide::Finish()
{
    if (m_operation == Operation::kRelease)
        ++m_releases;
    ++m_finished;
    Trace("conversation finished");
    m_line.FinishConversation();
    Reset();
}

void ProtocolSide::Drop(const std::string &why)
{
    Trace("conversation dropped: " + why);
    Reset();
}

void ProtocolSide::Restart()
{
    if (m_phase != Phase::kAwaitCommand || m_reader.MidPacket())
        Trace("conversation dropped: the line was closed or opened afresh");
    m_reader.Reset();
    m_line.Restart();
    Reset();
}

void ProtocolSide::Reset()
{
    m_phase = Phase::kAwaitCommand;
    m_operation = Operation::kUnknown;
    m_expected = 1;
    m_havePrevious = false;
    m_refusals = 0;
    m_outgoing.clear();
    m_incoming.clear();
    m_chunk.clear();
    m_sendingRepeat = false;
}

}  // namespace handheld
