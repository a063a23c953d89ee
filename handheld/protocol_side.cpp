// The machine, and its input read into the table's terms.
#include "protocol_side.h"

#include <algorithm>
#include <cassert>
#include <utility>

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

void ProtocolSide::Fire(Arrival arrival)
{
    if (!Step(arrival))
        return;
    while (protocol::IsPassing(m_state))
        if (!Step(Triggered(CurrentReading())))
            break;
}

bool ProtocolSide::Step(const Arrival &arrival)
{
    // The table has a row for every input that a state takes, and the
    // readers give a state no other.
    assert(protocol::Takes(m_state, arrival.input));
    const Transition *row = protocol::FindTransition(m_state, arrival.input);
    if (row == nullptr)
        return false;
    if (!SendReply(row->reply))
        return Step(Input::kReplyCancelled);
    Perform(row->action, arrival);
    if (row->to != State::kStay)
        m_state = row->to;
    return true;
}

protocol::Input ProtocolSide::Triggered(Reading reading)
{
    if (reading == Reading::kOwnTurn) {
        if (!m_turn.taken)
            return Input::kNoTurn;
        if (m_turn.packets.empty())
            return Input::kNothingDue;
        if (m_faults.TakeCancelBeforePacket()) {
            if (m_cancelsSent == 1)
                return Input::kSecondCancel;
            if (m_line.Mode() != LinkMode::kFramed)
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
        if (m_detectText && CurrentReading() == Reading::kCommand && !m_reader.MidPacket() &&
            BeginsUnannouncedText(unit, m_line.Mode())) {
            Trace("<- unannounced text");
            Fire(Input::kTextAnnounced);
        }
        const Reading reading = CurrentReading();
        if (reading == Reading::kTextStart || reading == Reading::kText) {
            const bool end = !unit.data.empty() && unit.data.back() == wire::kTextEnd;
            Arrival text{end ? Input::kTextEnd : Input::kTextUnit};
            text.bytes = unit.data;
            Fire(std::move(text));
            continue;
        }
        for (uint8_t byte : unit.data)
            FeedByte(byte);
    }
    CheckStall();
}

void ProtocolSide::FeedByte(uint8_t byte)
{
    if (CurrentReading() == Reading::kChunks) {
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
    Fire(ReadPacket(item.packet));
}

void ProtocolSide::CheckStall()
{
    const Reading reading = CurrentReading();
    if (reading == Reading::kTextStart)
        return;  // the PC may take its time to begin
    if (reading == Reading::kText) {
        if (Reached(m_now, m_lastInput + kStallMs)) {
            Trace("<- text broke off after " + std::to_string(m_text.size()) + " bytes");
            Fire(Input::kTextBrokeOff);
        }
        return;
    }
    const bool midChunk = reading == Reading::kChunks && !m_chunk.empty();
    if (!(midChunk || m_reader.MidPacket()) || !Reached(m_now, m_lastInput + kStallMs))
        return;
    Trace(midChunk ? "<- chunk broke off after " + std::to_string(m_chunk.size()) + " bytes"
                   : "<- packet broke off");
    m_chunk.clear();
    m_reader.Reset();
    // Outside the PC's turn nothing is answered: the handheld awaits an answer.
    if (protocol::InPcTurn(reading) || reading == Reading::kChunks)
        Fire(Refusal("incomplete"));
}

void ProtocolSide::OnControl(uint8_t code)
{
    Trace("<- " + ControlName(code));
    const bool packetAnswer = CurrentReading() == Reading::kPacketAnswer;
    switch (code) {
    case wire::kEot:
        Fire(Input::kEot);
        break;
    case wire::kEnq:
        Fire(Input::kEnq);
        break;
    case wire::kAck:
        Fire(packetAnswer && m_faults.TakeRepeatPacket() ? Input::kAckThenRepeat : Input::kAck);
        break;
    case wire::kNak:
        Fire(packetAnswer && m_sendings >= kSendings ? Input::kLastNak : Input::kNak);
        break;
    case wire::kCan:
        Fire(Input::kCan);
        break;
    default:
        break;
    }
}

protocol::Arrival ProtocolSide::ReadPacket(const Packet &packet)
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
            Arrival command{Input::kCommand};
            command.code = *code;
            return command;
        }
    }
    const Reading reading = CurrentReading();
    if (!protocol::InPcTurn(reading)) {
        Trace("<- " + number + " ignored: not the PC's turn");
        return Input::kOutOfTurn;
    }
    if (m_havePrevious && packet.sequence == m_previous) {
        Trace("<- " + number + " again");
        return Input::kRepeat;
    }
    const bool welcome = (reading == Reading::kRequest || reading == Reading::kPutData) &&
                         packet.sequence == m_expected;
    if (!welcome)
        return Refusal(number + " unexpected");
    std::optional<Arrival> taken =
        reading == Reading::kRequest ? ReadRequest(packet) : ReadPutData(packet);
    if (!taken)
        return Refusal(number + " not of the form \"" + PrintableStart(packet.data, 3) +
                       "\" expected");
    return std::move(*taken);
}

std::optional<protocol::Arrival> ProtocolSide::ReadRequest(const Packet &packet)
{
    std::optional<Request> request = ParseRequest(m_code, packet.data);
    if (!request)
        return std::nullopt;
    Trace("<- " + Described(packet));
    Input input = Input::kRequest;
    if (m_operation == Operation::kPut)
        input = Input::kRequestWithData;
    else if (m_operation == Operation::kPutInChunks && request->size > 0)
        input = Input::kRequestWithChunks;
    Arrival arrival{input};
    arrival.request = std::move(*request);
    return arrival;
}

std::optional<protocol::Arrival> ProtocolSide::ReadPutData(const Packet &packet)
{
    static const uint8_t kPrefix[] = {'R', 'F', 'D'};
    const std::vector<uint8_t> &data = packet.data;
    if (data.size() < sizeof kPrefix || !std::equal(kPrefix, kPrefix + sizeof kPrefix, data.begin()))
        return std::nullopt;
    Trace("<- " + Described(packet));
    Arrival arrival{Input::kPutData};
    arrival.bytes.assign(data.begin() + sizeof kPrefix, data.end());
    return arrival;
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
    Arrival chunk{last ? Input::kLastChunk : Input::kChunk};
    chunk.bytes.swap(m_chunk);
    Fire(std::move(chunk));
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
