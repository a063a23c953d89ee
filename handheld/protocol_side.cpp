// The machine, and its input read into the table's terms.
#include "protocol_side.h"

#include <algorithm>

#include "due_time.h"
#include "trace_text.h"
#include "unannounced_text.h"

namespace handheld {

using protocol::Action;
using protocol::Reply;
using protocol::Transition;

namespace {

constexpr unsigned kRefusals = 3;  // the PC gives up after its third sending refused
constexpr unsigned kSendings = 3;  // the PC gives up after its third NAK
constexpr size_t kSmallestReply = 4;

// A packet of the PC's, as the trace describes it.
std::string Described(const Packet &packet)
{
    return DescribedPacket(TraceSender::kPc, packet.sequence, packet.data);
}

}  // namespace

ProtocolSide::ProtocolSide(LineSide &line, FileStore &store) : m_line(line), m_store(store) {}

void ProtocolSide::SetChunkSize(size_t bytes)
{
    m_chunkSize = std::max<size_t>(bytes, 1);
}

void ProtocolSide::SetReplySize(size_t dataBytes)
{
    m_replySize = std::max(dataBytes, kSmallestReply);
}

void ProtocolSide::Trace(const std::string &line)
{
    if (m_trace)
        m_trace(line);
}

std::optional<ProtocolEvent> ProtocolSide::NextEvent()
{
    if (m_events.empty())
        return std::nullopt;
    ProtocolEvent event = std::move(m_events.front());
    m_events.pop_front();
    return event;
}

// --- the machine ---

void ProtocolSide::Fire(Input input)
{
    if (!Step(input))
        return;
    while (protocol::IsPassing(m_state))
        if (!Step(Triggered()))
            break;  // every passing state has a row for each input it gives
}

bool ProtocolSide::Step(Input input)
{
    const Transition *row = protocol::FindTransition(m_state, input);
    if (row == nullptr)
        return false;
    if (!SendReply(row->reply))
        return Step(Input::kReplyCancelled);
    Perform(row->action, input);
    if (row->to != State::kStay)
        m_state = row->to;
    return true;
}

protocol::Input ProtocolSide::Triggered()
{
    if (m_state == State::kOwnTurn) {
        if (!m_turn.taken)
            return Input::kNoTurn;
        if (m_turn.packets.empty())
            return Input::kNothingDue;
        if (m_faults.TakeCancelBeforePacket()) {
            if (m_cancelsSent == 1)
                return Input::kSecondCancel;
            if (m_line.Mode() != 1)
                return Input::kCancelAnsweredByEnq;
            return m_faults.MoreCancelsBeforePacket() ? Input::kCancelThenCancel
                                                      : Input::kCancelInPlace;
        }
        return Input::kPacketDue;
    }
    switch (m_turn.then) {
    case Turn::Then::kRequest: return Input::kThenRequest;
    case Turn::Then::kFinish: return Input::kThenFinish;
    case Turn::Then::kDrop: break;
    }
    return Input::kThenDrop;
}

// False when a fault sent CAN in the reply's place.
bool ProtocolSide::SendReply(Reply reply)
{
    bool cancel = false;
    uint8_t code = wire::kAck;
    switch (reply) {
    case Reply::kNone:
        return true;
    case Reply::kAck:
        cancel = m_faults.TakeCancelInsteadOfAck();
        break;
    case Reply::kAckEot:
        cancel = m_faults.TakeCancelInsteadOfEotAck();
        break;
    case Reply::kNak:
        code = wire::kNak;
        ++m_refusals;
        break;
    case Reply::kEnq:
        code = wire::kEnq;
        cancel = m_faults.TakeCancelInsteadOfEnq();
        break;
    }
    if (cancel) {
        m_cancelledReply = ControlName(code);
        SendControl(wire::kCan);
        return false;
    }
    SendControl(code);
    return true;
}

std::string ProtocolSide::DropReason(Input input) const
{
    switch (input) {
    case Input::kLastRefusal: return "three refusals in a row";
    case Input::kLastNak: return "three sendings refused";
    case Input::kCan: return "cancelled by the PC";
    case Input::kReplyCancelled: return "cancelled instead of " + m_cancelledReply;
    default: return "";
    }
}

// --- input ---

void ProtocolSide::Pump(uint32_t now)
{
    m_now = now;
    for (const Unit &unit : m_line.TakeReceived()) {
        m_lastInput = now;
        if (m_detectText && m_state == State::kAwaitCommand && !m_reader.MidPacket() &&
            BeginsUnannouncedText(unit, m_line.Mode())) {
            Trace("<- unannounced text");
            Fire(Input::kTextAnnounced);
        }
        if (m_state == State::kTextAwaited || m_state == State::kText) {
            m_inBytes = unit.data;
            const bool end = !unit.data.empty() && unit.data.back() == wire::kTextEnd;
            Fire(end ? Input::kTextEnd : Input::kTextUnit);
            continue;
        }
        for (uint8_t byte : unit.data)
            FeedByte(byte);
    }
    CheckStall();
}

void ProtocolSide::FeedByte(uint8_t byte)
{
    if (m_state == State::kChunks) {
        m_chunk.push_back(byte);
        if (m_chunk.size() == std::min(m_chunkSize, m_request.size - m_incoming.size()))
            OnChunkComplete();
        return;
    }
    if (!m_reader.Feed(byte))
        return;
    const PacketReader::Item &item = m_reader.Take();
    if (!item.isPacket) {
        OnControl(item.control);
        return;
    }
    if (std::optional<Input> input = ReadPacket(item.packet))
        Fire(*input);
}

// The PC's turn, where its packets are read (a chunk is no packet).
bool ProtocolSide::TakesPackets() const
{
    switch (m_state) {
    case State::kAwaitCommand:
    case State::kCommandEnd:
    case State::kAwaitRequest:
    case State::kPutData:
    case State::kRequestEnd:
        return true;
    default:
        return false;
    }
}

void ProtocolSide::CheckStall()
{
    if (m_state == State::kTextAwaited)
        return;  // the PC may take its time to begin
    if (m_state == State::kText) {
        if (Reached(m_now, m_lastInput + kStallMs)) {
            Trace("<- text broke off after " + std::to_string(m_text.size()) + " bytes");
            Fire(Input::kTextBrokeOff);
        }
        return;
    }
    const bool midChunk = m_state == State::kChunks && !m_chunk.empty();
    if (!(midChunk || m_reader.MidPacket()) || !Reached(m_now, m_lastInput + kStallMs))
        return;
    Trace(midChunk ? "<- chunk broke off after " + std::to_string(m_chunk.size()) + " bytes"
                   : "<- packet broke off");
    m_chunk.clear();
    m_reader.Reset();
    // Outside the PC's turn nothing is answered: the handheld awaits an answer.
    if (TakesPackets() || m_state == State::kChunks)
        Fire(Refusal("incomplete"));
}

void ProtocolSide::OnControl(uint8_t code)
{
    Trace("<- " + ControlName(code));
    switch (code) {
    case wire::kEot:
        Fire(Input::kEot);
        break;
    case wire::kEnq:
        Fire(Input::kEnq);
        break;
    case wire::kAck:
        Fire(m_state == State::kOwnPacket && m_faults.TakeRepeatPacket() ? Input::kAckThenRepeat
                                                                         : Input::kAck);
        break;
    case wire::kNak:
        Fire(m_state == State::kOwnPacket && m_sendings >= kSendings ? Input::kLastNak
                                                                     : Input::kNak);
        break;
    case wire::kCan:
        Fire(Input::kCan);
        break;
    default:
        break;
    }
}

// Empty for a packet that no state takes.
std::optional<protocol::Input> ProtocolSide::ReadPacket(const Packet &packet)
{
    const std::string number = "#" + std::to_string(packet.sequence);
    if (m_faults.TakeNakReceived())
        return Refusal(number + " (refused on purpose)");
    if (!packet.ComplementMatches())
        return Refusal(number + " with a wrong complement");
    if (!packet.ChecksumMatches())
        return Refusal(number + " with a wrong checksum");
    if (packet.sequence == 1) {
        if (std::optional<std::string> code = CommandCode(packet.data)) {
            Trace("<- " + Described(packet));
            m_inCode = *code;
            return Input::kCommand;
        }
    }
    if (!TakesPackets()) {
        Trace("<- " + number + " ignored: not the PC's turn");
        return std::nullopt;
    }
    if (m_havePrevious && packet.sequence == m_previous) {
        Trace("<- " + number + " again");
        return Input::kRepeat;
    }
    const bool welcome = (m_state == State::kAwaitRequest || m_state == State::kPutData) &&
                         packet.sequence == m_expected;
    if (!welcome)
        return Refusal(number + " unexpected");
    std::optional<Input> taken =
        m_state == State::kAwaitRequest ? ReadRequest(packet) : ReadPutData(packet);
    if (!taken)
        return Refusal(number + " not of the form \"" + PrintableStart(packet.data, 3) +
                       "\" expected");
    return taken;
}

std::optional<protocol::Input> ProtocolSide::ReadRequest(const Packet &packet)
{
    std::optional<Request> request = ParseRequest(m_code, packet.data);
    if (!request)
        return std::nullopt;
    Trace("<- " + Described(packet));
    m_inRequest = *request;
    if (m_operation == Operation::kPut)
        return Input::kRequestWithData;
    if (m_operation == Operation::kPutInChunks && request->size > 0)
        return Input::kRequestWithChunks;
    return Input::kRequest;
}

std::optional<protocol::Input> ProtocolSide::ReadPutData(const Packet &packet)
{
    static const uint8_t kPrefix[] = {'R', 'F', 'D'};
    const std::vector<uint8_t> &data = packet.data;
    if (data.size() < sizeof kPrefix || !std::equal(kPrefix, kPrefix + sizeof kPrefix, data.begin()))
        return std::nullopt;
    Trace("<- " + Described(packet));
    m_inBytes.assign(data.begin() + sizeof kPrefix, data.end());
    return Input::kPutData;
}

protocol::Input ProtocolSide::Refusal(const std::string &why)
{
    Trace("<- " + why);
    return m_refusals + 1 >= kRefusals ? Input::kLastRefusal : Input::kRefused;
}

void ProtocolSide::OnChunkComplete()
{
    Trace("<- chunk " + std::to_string(m_chunk.size()) + " bytes");
    if (m_faults.TakeNakReceived()) {
        m_chunk.clear();
        Fire(Refusal("chunk (refused on purpose)"));
        return;
    }
    const bool last = m_incoming.size() + m_chunk.size() == m_request.size;
    Fire(last ? Input::kLastChunk : Input::kChunk);
}

void ProtocolSide::Restart()
{
    Fire(Input::kRestart);
}

void ProtocolSide::ExpectText()
{
    Fire(Input::kTextAnnounced);
}

}  // namespace handheld
