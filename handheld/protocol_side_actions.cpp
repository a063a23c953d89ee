// What the transitions do: take what the PC sent, plan and send the
// handheld's turn, and end conversations. None of it changes the state.
#include "protocol_side.h"

#include <utility>

#include "trace_text.h"

namespace handheld {

using protocol::Action;

void ProtocolSide::Perform(Action action, const Arrival &arrival)
{
    switch (action) {
    case Action::kNone: break;
    case Action::kStartConversation: StartConversation(arrival.code); break;
    case Action::kTakeRequest: TakeRequest(arrival.request); break;
    case Action::kTakePutData: TakePutData(arrival.bytes); break;
    case Action::kTakeChunk: TakeChunk(arrival.bytes); break;
    case Action::kExpectRequest: ExpectRequest(); break;
    case Action::kAnswerCommand: AnswerCommand(); break;
    case Action::kAnswerRequest: AnswerRequest(); break;
    case Action::kSendPacket:
        m_sendings = 0;
        SendOwnPacket();
        break;
    case Action::kResendPacket: SendOwnPacket(); break;
    case Action::kNextPacket: NextPacket(); break;
    case Action::kNextPacketAndRepeat:
        NextPacket();
        Trace("-> the last packet again");
        Emit(m_lastSent);
        break;
    case Action::kSendEot: SendControl(wire::kEot); break;
    case Action::kSendCancel:
        SendControl(wire::kCan);
        ++m_cancelsSent;
        break;
    case Action::kCancelInPlace:
        // The PC has read the CAN in the packet's place and will fail the
        // operation: the turn goes on without it, and the conversation
        // ends with the turn.
        SendControl(wire::kCan);
        ++m_cancelsSent;
        NextPacket();
        m_turn.then = Turn::Then::kDrop;
        break;
    case Action::kCancelAndDrop:
        SendControl(wire::kCan);
        Drop("cancelled twice");
        break;
    case Action::kFinish: Finish(); break;
    case Action::kDrop: Drop(DropReason(arrival.input)); break;
    case Action::kEndTurnAndDrop: Reset(); break;
    case Action::kExpectText:
        Reset();
        m_text.clear();
        m_textComplete = false;
        break;
    case Action::kTakeText: TakeText(arrival.bytes, false); break;
    case Action::kEndText: TakeText(arrival.bytes, true); break;
    case Action::kDropText: Reset(); break;
    case Action::kRestart: RestartLine(); break;
    }
}

// --- the PC's turn ---

void ProtocolSide::StartConversation(const std::string &code)
{
    Reset();
    m_code = code;
    m_operation = OperationOf(m_code);
    m_havePrevious = true;
    m_previous = 1;
    m_expected = 2;
}

void ProtocolSide::TakeRequest(const Request &request)
{
    m_request = request;
    m_havePrevious = true;
    m_previous = m_expected++;
    m_refusals = 0;
    m_incoming.clear();
    m_chunk.clear();
    if (m_operation == Operation::kDelete)
        m_store.Remove(m_request.name);
}

void ProtocolSide::TakePutData(const std::vector<uint8_t> &bytes)
{
    m_incoming.insert(m_incoming.end(), bytes.begin(), bytes.end());
    m_havePrevious = true;
    m_previous = m_expected++;
    m_refusals = 0;
}

void ProtocolSide::TakeChunk(const std::vector<uint8_t> &chunk)
{
    m_refusals = 0;
    m_incoming.insert(m_incoming.end(), chunk.begin(), chunk.end());
}

void ProtocolSide::ExpectRequest()
{
    m_expected = 1;
    m_havePrevious = false;
    m_refusals = 0;
}

// --- the handheld's turn ---

void ProtocolSide::AnswerCommand()
{
    Turn turn;
    turn.packets = {m_operation != Operation::kUnknown ? kCommandAccepted : kRefusal};
    if (!m_faults.ShapeCommandAnswer(turn.packets))
        turn.then = Turn::Then::kDrop;
    else if (m_operation == Operation::kRelease)
        turn.then = Turn::Then::kFinish;
    else
        turn.then = Turn::Then::kRequest;
    BeginTurn(std::move(turn));
}

void ProtocolSide::AnswerRequest()
{
    Turn turn;
    turn.then = Turn::Then::kFinish;
    switch (m_operation) {
    case Operation::kList:
    case Operation::kGet: {
        std::vector<uint8_t> payload;
        if (m_operation == Operation::kList) {
            payload = m_store.List(m_request.name);
        } else if (!m_store.Read(m_request.name, payload)) {
            Trace("no file \"" + Printable(m_request.name) + "\"");
            turn.packets = {kRefusal};
            turn.then = Turn::Then::kDrop;
            break;
        }
        const std::string code = m_faults.ReplyCode(m_code);
        for (std::vector<uint8_t> &reply : BuildReplies(code, payload, m_replySize))
            turn.packets.push_back(std::move(reply));
        m_faults.ShapeReplies(turn.packets, code);
        break;
    }
    case Operation::kPut:
    case Operation::kPutInChunks: {
        const bool stored = m_store.Write(m_request.name, m_incoming);
        if (!stored)
            Trace("cannot store \"" + Printable(m_request.name) + "\"");
        turn.packets = {stored ? kPutAccepted : kRefusal};
        if (!m_faults.ShapePutAnswer(turn.packets))
            turn.then = Turn::Then::kDrop;
        break;
    }
    default:
        // "FC": the PC has nothing more to say and nothing to hear.
        turn.taken = false;
        break;
    }
    BeginTurn(std::move(turn));
}

void ProtocolSide::BeginTurn(Turn &&turn)
{
    m_turn = std::move(turn);
    m_ownSequence = 1;
    m_cancelsSent = 0;
}

void ProtocolSide::SendOwnPacket()
{
    const std::vector<uint8_t> &data = m_turn.packets.front();
    const ProtocolFaults::Damage damage = m_faults.TakeDamage();
    const uint8_t sequence = static_cast<uint8_t>(m_ownSequence + (damage.wrongNumber ? 1 : 0));
    ++m_sendings;
    Trace("-> " + DescribedPacket(TraceSender::kHandheld, sequence, data) +
          damage.Described());
    m_lastSent = BuildPacket(sequence, data, damage.flaws);
    Emit(m_lastSent);
}

void ProtocolSide::NextPacket()
{
    m_turn.packets.pop_front();
    ++m_ownSequence;
}

// --- output and endings ---

void ProtocolSide::SendControl(uint8_t code)
{
    Trace("-> " + ControlName(code));
    Emit({code});
}

void ProtocolSide::Emit(std::vector<uint8_t> bytes, uint16_t sequence)
{
    if (m_faults.TakeSilence()) {
        Trace("(silent)");
        return;
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
    m_events.push_back({ProtocolEvent::Kind::kConversationFinished, m_operation, {}});
    Reset();
}

void ProtocolSide::Drop(const std::string &why)
{
    Trace("conversation dropped: " + why);
    Reset();
}

void ProtocolSide::RestartLine()
{
    if (m_state != State::kAwaitCommand || m_reader.MidPacket())
        Trace("conversation dropped: the line was closed or opened afresh");
    m_reader.Reset();
    m_line.Restart();
    Reset();
}

// The conversation's data, to begin afresh.
void ProtocolSide::Reset()
{
    m_operation = Operation::kUnknown;
    m_expected = 1;
    m_havePrevious = false;
    m_refusals = 0;
    m_turn = Turn();
    m_incoming.clear();
    m_chunk.clear();
}

}  // namespace handheld
