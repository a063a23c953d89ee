#include "protocol_side.h"

#include <algorithm>
#include <utility>

#include "text_stream.h"

namespace handheld {

namespace {

constexpr unsigned kSendings = 3;   // the PC gives up after its third NAK
constexpr unsigned kRefusals = 3;   // ...and after its third sending refused
constexpr size_t kSmallestReply = 4;

std::string Printable(const std::string &text)
{
    std::string out;
    for (char c : text)
        out += (c >= 0x20 && c < 0x7F) ? c : '.';
    return out;
}

std::string Quoted(const std::vector<uint8_t> &data, size_t count)
{
    return Printable(std::string(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(
                                                                  std::min(count, data.size()))));
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

// --- input ---

void ProtocolSide::Pump(uint32_t now)
{
    m_now = now;
    for (const Unit &unit : m_line.TakeReceived()) {
        m_lastInput = now;
        if (m_phase == Phase::kText) {
            TakeTextUnit(unit.data);
            continue;
        }
        for (uint8_t byte : unit.data)
            FeedByte(byte);
    }
    CheckStall();
}

void ProtocolSide::FeedByte(uint8_t byte)
{
    if (m_phase == Phase::kChunks) {
        m_chunk.push_back(byte);
        if (m_chunk.size() == std::min(m_chunkSize, m_request.size - m_incoming.size()))
            OnChunkComplete();
        return;
    }
    if (!m_reader.Feed(byte))
        return;
    const PacketReader::Item &item = m_reader.Take();
    if (item.isPacket)
        OnPacket(item.packet);
    else
        OnControl(item.control);
}

void ProtocolSide::CheckStall()
{
    const bool midChunk = m_phase == Phase::kChunks && !m_chunk.empty();
    if (!(midChunk || m_reader.MidPacket()) || m_now - m_lastInput < kStallMs)
        return;
    Trace(midChunk ? "<- chunk broke off after " + std::to_string(m_chunk.size()) + " bytes"
                   : "<- packet broke off");
    m_chunk.clear();
    m_reader.Reset();
    if (m_phase == Phase::kAwaitCommand || m_phase == Phase::kPcPackets ||
        m_phase == Phase::kChunks)
        Refuse("incomplete");
}

void ProtocolSide::OnControl(uint8_t code)
{
    Trace("<- " + ControlName(code));
    if (code == wire::kCan) {
        Drop("cancelled by the PC");
        return;
    }
    switch (m_phase) {
    case Phase::kPcPackets:
        if (code == wire::kEot && m_welcome != Welcome::kRequest) {
            if (SendAck(m_faults.cancelInsteadOfEotAck))
                m_phase = Phase::kPcEnq;
        }
        break;
    case Phase::kPcEnq:
        if (code == wire::kEnq)
            OnPcTurnEnded();
        break;
    case Phase::kOwnPacket:
        if (code == wire::kAck)
            OnOwnPacketAcknowledged();
        else if (code == wire::kNak)
            OnOwnPacketRefused();
        break;
    case Phase::kCancelAnswer:
        if (code == wire::kEnq)
            SendNextOwnPacket();
        break;
    case Phase::kOwnEot:
        if (code == wire::kAck)
            OnOwnEotAcknowledged();
        break;
    default:
        break;
    }
}

// --- the PC's turn ---

void ProtocolSide::OnPacket(const Packet &packet)
{
    const std::string number = "#" + std::to_string(packet.sequence);
    if (m_faults.nakReceived > 0) {
        --m_faults.nakReceived;
        Refuse(number + " (refused on purpose)");
        return;
    }
    if (!packet.ComplementMatches()) {
        Refuse(number + " with a wrong complement");
        return;
    }
    if (!packet.ChecksumMatches()) {
        Refuse(number + " with a wrong checksum");
        return;
    }
    if (packet.sequence == 1) {
        if (std::optional<std::string> code = CommandCode(packet.data)) {
            StartConversation(*code);
            return;
        }
    }
    if (m_phase != Phase::kAwaitCommand && m_phase != Phase::kPcPackets) {
        Trace("<- " + number + " ignored: not the PC's turn");
        return;
    }
    if (m_havePrevious && packet.sequence == m_previous) {
        Trace("<- " + number + " again");
        SendAck(m_faults.cancelInsteadOfAck);
        return;
    }
    if (!Welcomes(packet)) {
        Refuse(number + " unexpected");
        return;
    }
    const bool taken = m_welcome == Welcome::kRequest ? AcceptRequest(packet.data)
                                                      : AcceptPutData(packet.data);
    if (!taken)
        Refuse(number + " not of the form \"" + Quoted(packet.data, 3) + "\" expected");
}

bool ProtocolSide::Welcomes(const Packet &packet) const
{
    return m_phase == Phase::kPcPackets && m_welcome != Welcome::kEndOfTurn &&
           packet.sequence == m_expected;
}

void ProtocolSide::Refuse(const std::string &why)
{
    Trace("<- " + why);
    SendControl(wire::kNak);
    if (++m_refusals >= kRefusals && m_phase != Phase::kAwaitCommand)
        Drop("three refusals in a row");
}

void ProtocolSide::StartConversation(const std::string &code)
{
    Trace("<- C " + Printable(code));
    Reset();
    if (!SendAck(m_faults.cancelInsteadOfAck))
        return;
    m_code = code;
    m_operation = OperationOf(code);
    ExpectPcTurn(Stage::kCommand, Welcome::kEndOfTurn);
    m_havePrevious = true;
    m_previous = 1;
    m_expected = 2;
}

void ProtocolSide::ExpectPcTurn(Stage stage, Welcome welcome)
{
    m_phase = Phase::kPcPackets;
    m_stage = stage;
    m_welcome = welcome;
    m_expected = 1;
    m_havePrevious = false;
    m_refusals = 0;
}

bool ProtocolSide::AcceptRequest(const std::vector<uint8_t> &data)
{
    std::optional<Request> request = ParseRequest(m_code, data);
    if (!request)
        return false;
    Trace("<- R " + Printable(m_code) + " " + Printable(request->name) +
          (m_operation == Operation::kPutInChunks ? " size " + std::to_string(request->size) : ""));
    if (!SendAck(m_faults.cancelInsteadOfAck))
        return true;
    m_request = *request;
    m_havePrevious = true;
    m_previous = m_expected++;
    m_refusals = 0;
    m_incoming.clear();
    m_chunk.clear();
    switch (m_operation) {
    case Operation::kPut:
        m_welcome = Welcome::kPutData;
        break;
    case Operation::kPutInChunks:
        if (m_request.size > 0)
            m_phase = Phase::kChunks;
        else
            m_welcome = Welcome::kEndOfTurn;
        break;
    case Operation::kDelete:
        m_store.Remove(m_request.name);
        m_welcome = Welcome::kEndOfTurn;
        break;
    default:
        m_welcome = Welcome::kEndOfTurn;
        break;
    }
    return true;
}

bool ProtocolSide::AcceptPutData(const std::vector<uint8_t> &data)
{
    static const uint8_t kPrefix[] = {'R', 'F', 'D'};
    if (data.size() < sizeof kPrefix || !std::equal(kPrefix, kPrefix + sizeof kPrefix, data.begin()))
        return false;
    Trace("<- RFD " + std::to_string(data.size() - sizeof kPrefix) + " bytes");
    if (!SendAck(m_faults.cancelInsteadOfAck))
        return true;
    m_incoming.insert(m_incoming.end(), data.begin() + sizeof kPrefix, data.end());
    m_havePrevious = true;
    m_previous = m_expected++;
    m_refusals = 0;
    return true;
}

void ProtocolSide::OnChunkComplete()
{
    Trace("<- chunk " + std::to_string(m_chunk.size()) + " bytes");
    if (m_faults.nakReceived > 0) {
        --m_faults.nakReceived;
        m_chunk.clear();
        Refuse("chunk (refused on purpose)");
        return;
    }
    if (!SendAck(m_faults.cancelInsteadOfAck))
        return;
    m_refusals = 0;
    m_incoming.insert(m_incoming.end(), m_chunk.begin(), m_chunk.end());
    m_chunk.clear();
    if (m_incoming.size() == m_request.size) {
        m_phase = Phase::kPcPackets;
        m_welcome = Welcome::kEndOfTurn;
    }
}

// --- the handheld's turn ---

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
    Trace("-> #" + std::to_string(sequence) + " " + Quoted(data, 3) + " " +
          std::to_string(data.size()) + " bytes" + damage);
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

// --- application text ---

void ProtocolSide::ExpectText()
{
    Reset();
    m_phase = Phase::kText;
    m_text.clear();
    m_textComplete = false;
}

void ProtocolSide::TakeTextUnit(const std::vector<uint8_t> &data)
{
    m_text.insert(m_text.end(), data.begin(), data.end());
    Trace("<- text " + std::to_string(data.size()) + " bytes");
    if (data.empty() || data.back() != wire::kTextEnd)
        return;
    m_text.pop_back();
    m_textComplete = true;
    Trace("<- end of text");
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
