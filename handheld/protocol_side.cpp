#include "protocol_side.h"

#include <algorithm>

#include "trace_text.h"

namespace handheld {

namespace {

constexpr unsigned kRefusals = 3;  // the PC gives up after its third sending refused
constexpr size_t kSmallestReply = 4;

std::string Described(const Packet &packet, const std::string &summary)
{
    return DescribedPacket(packet.sequence, summary, packet.data.size());
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
        if (m_detectText && m_phase == Phase::kAwaitCommand && !m_reader.MidPacket() &&
            BeginsText(unit)) {
            Trace("<- unannounced text");
            ExpectText();
        }
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
    if (m_phase == Phase::kText) {
        if (m_textBegun && m_now - m_lastInput >= kStallMs) {
            Trace("<- text broke off after " + std::to_string(m_text.size()) + " bytes");
            Reset();
        }
        return;
    }
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
            Trace("<- " + Described(packet, "C " + Printable(*code)));
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
    const bool taken = m_welcome == Welcome::kRequest ? AcceptRequest(packet)
                                                      : AcceptPutData(packet);
    if (!taken)
        Refuse(number + " not of the form \"" + PrintableStart(packet.data, 3) + "\" expected");
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

bool ProtocolSide::AcceptRequest(const Packet &packet)
{
    std::optional<Request> request = ParseRequest(m_code, packet.data);
    if (!request)
        return false;
    Trace("<- " + Described(packet, "R " + Printable(m_code) + " " + Printable(request->name) +
                                         (m_operation == Operation::kPutInChunks
                                              ? " size " + std::to_string(request->size)
                                              : "")));
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

bool ProtocolSide::AcceptPutData(const Packet &packet)
{
    static const uint8_t kPrefix[] = {'R', 'F', 'D'};
    const std::vector<uint8_t> &data = packet.data;
    if (data.size() < sizeof kPrefix || !std::equal(kPrefix, kPrefix + sizeof kPrefix, data.begin()))
        return false;
    Trace("<- " + Described(packet, "RFD " + std::to_string(data.size() - sizeof kPrefix) +
                                        " bytes of file"));
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

}  // namespace handheld
