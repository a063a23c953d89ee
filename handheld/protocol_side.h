// The handheld's side of the transfer protocol, as a state machine on top of
// its line side: it takes the units that the line side received, runs the
// handheld's half of each conversation (packets and turns, the command answer
// "DOK", the six file operations on a file store, the application-text
// stream) and queues what the handheld sends with LineSide::SendUnit. It does
// no I/O: the driver calls Pump after every input to the line side and on
// time, then sends what the line side has to send, and takes the events
// (NextEvent) that tell it what the handheld has done.
//
// Its states, how each reads its input, and every transition between them are
// in protocol_states.h and .cpp; this class reads the input into the table's
// terms as the state's reading says, carries out the actions with what each
// input brings, and asks the fault hooks (protocol_faults.h) at fixed points.
//
// Every packet or control byte goes out as one unit (one data frame numbered
// 1 in mode 1, raw bytes in modes 0 and 2). Incoming units are read as one
// byte stream, so a packet may arrive split anywhere, or over several frames.
//
// Conversations, the PC holding the turn first:
//  - command: "C" + code, answered "DOK" and the end of the handheld's turn.
//    A command packet is welcome in any state and starts afresh, so a
//    conversation that the PC gave up does not block the next one.
//  - "FF", "FU": the request "R" + code + argument + zero; reply packets
//    "D" + code + piece, numbered from 1, then the end of turn. An empty list
//    or file gives no reply packet; a missing file gives one packet "DNG".
//  - "FD": the request, then packets "RFD" + bytes numbered 2, 3...; "DL": the
//    request "RDL" + name + "|" + size + zero, then unframed chunks of
//    min(chunk size, bytes left) bytes, each acknowledged. After the PC's end
//    of turn the file is stored and answered "AEX" ("DNG" if it cannot be).
//  - "FC": the request; the file is removed (a missing one is no error).
//  - "LE": the command exchange alone; each one counts as a release.
// Unknown codes are answered "DNG". A request, or a put data packet, that is
// not of its form is refused with NAK, like a damaged packet.
//
// Receiving, the handheld checks the complement, the checksum and the number
// (from 1 in each of the PC's turns); it NAKs a bad packet, ACKs a repeat of
// the last number taken without using it, and, as the PC stops after its
// third sending, drops the conversation after three refusals in a row. A
// packet or chunk that stops arriving midway is refused with NAK after
// kStallMs of silence, so a damaged length field cannot hold both sides (the
// PC waits for that answer without limit). kStallMs is well above the longest
// pause inside one write: in mode 1 a whole 512-byte frame arrives before its
// unit does, which takes about 5 s at 1200 bits/s.
// Sending, it resends on NAK (three sendings at most) and drops the
// conversation on CAN.
//
// A text stream that has begun and then stops arriving for kStallMs before
// its end mark is dropped, as the PC sends its text without pausing.
//
// In mode 2 a successful conversation ends with LineSide::FinishConversation
// (CTS dropped): for "FF", "FU", "FD", "DL" and "LE" after the handheld's end
// of turn, for "FC" after the PC's, for text when the stream is complete.
#ifndef TESSALINK_HANDHELD_PROTOCOL_SIDE_H
#define TESSALINK_HANDHELD_PROTOCOL_SIDE_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "file_store.h"
#include "line_side.h"
#include "operation_texts.h"
#include "packet_wire.h"
#include "protocol_faults.h"
#include "protocol_states.h"

namespace handheld {

// What the handheld has done that its driver may act on, in order.
struct ProtocolEvent {
    enum class Kind {
        kConversationFinished,  // a file operation or a release ended well
        kTextReceived,          // the PC's text stream, complete
        kTextSent,              // SendText has queued the handheld's text
    };
    Kind kind;
    Operation operation = Operation::kUnknown;  // kConversationFinished
    std::vector<uint8_t> text;                  // kTextReceived, without its end mark
};

class ProtocolSide {
public:
    static constexpr size_t kDefaultChunkSize = 4096;
    static constexpr size_t kDefaultReplySize = 256;
    static constexpr uint32_t kStallMs = 10000;

    ProtocolSide(LineSide &line, FileStore &store);

    void Pump(uint32_t now);
    // The next event, oldest first; none when all have been taken.
    std::optional<ProtocolEvent> NextEvent();

    ProtocolFaults &Faults() { return m_faults; }
    // One readable line per packet, control byte and turn of events.
    void SetTrace(std::function<void(const std::string &)> trace) { m_trace = std::move(trace); }
    // The size of the "DL" chunks: the PC's send block size (at least 1).
    void SetChunkSize(size_t bytes);
    // The data length of a full reply packet of "FF" and "FU", its 3 bytes of
    // code included (at least 4). It must fit the PC's receive block.
    void SetReplySize(size_t dataBytes);

    // Application text. ExpectText: the next incoming units are the PC's text
    // stream, up to a unit whose last byte is the end mark 0x1A; the text is
    // kept without the mark. SendText: sends the text and the end mark at
    // once (call it once the PC reads), numbered from 1 in mode 1.
    void ExpectText();
    void SendText(const std::vector<uint8_t> &text);
    bool TextComplete() const { return m_textComplete; }
    const std::vector<uint8_t> &ReceivedText() const { return m_text; }
    // Text streams received up to their end mark so far.
    unsigned TextsReceived() const { return m_textsReceived; }

    // Application text that comes unannounced (off by default; the emulator
    // turns it on, as nothing tells it when the PC sends text). While a
    // command is awaited and no packet has begun, a unit that cannot begin
    // the PC's packets (BeginsUnannouncedText) begins its text stream, as if
    // ExpectText had been called just before it.
    void SetTextDetection(bool on) { m_detectText = on; }
    // The PC has closed the line or opened it afresh: whatever was under way
    // (a conversation, a text stream, units still to send) is dropped.
    void Restart();

    // What it has done.
    unsigned Releases() const { return m_releases; }
    unsigned ConversationsFinished() const { return m_finished; }
    bool AwaitingCommand() const { return m_state == protocol::State::kAwaitCommand; }

private:
    using State = protocol::State;
    using Input = protocol::Input;
    using Reading = protocol::Reading;
    using Arrival = protocol::Arrival;

    // The handheld's turn as planned when it begins.
    struct Turn {
        enum class Then { kRequest, kFinish, kDrop };
        std::deque<std::vector<uint8_t>> packets;
        Then then = Then::kDrop;
        bool taken = true;  // false: the handheld does not take the turn ("FC")
    };

    // The machine: the only place that changes m_state.
    void Fire(Arrival arrival);
    bool Step(const Arrival &arrival);
    Input Triggered(Reading reading);
    bool SendReply(protocol::Reply reply);
    void Perform(protocol::Action action, const Arrival &arrival);

    // Input, read into the table's terms.
    Reading CurrentReading() const { return protocol::ReadingOf(m_state); }
    void FeedByte(uint8_t byte);
    void OnControl(uint8_t code);
    Arrival ReadPacket(const Packet &packet);
    std::optional<Arrival> ReadRequest(const Packet &packet);
    std::optional<Arrival> ReadPutData(const Packet &packet);
    Input Refusal(const std::string &why);
    void OnChunkComplete();
    void CheckStall();
    std::string DropReason(Input input) const;

    // Actions.
    void StartConversation(const std::string &code);
    void TakeRequest(const Request &request);
    void TakePutData(const std::vector<uint8_t> &bytes);
    void TakeChunk(const std::vector<uint8_t> &chunk);
    void ExpectRequest();
    void AnswerCommand();
    void AnswerRequest();
    void BeginTurn(Turn &&turn);
    void SendOwnPacket();
    void NextPacket();
    void SendControl(uint8_t code);
    void Emit(std::vector<uint8_t> bytes, uint16_t sequence = 1);
    void Finish();
    void Drop(const std::string &why);
    void Reset();
    void TakeText(const std::vector<uint8_t> &unit, bool end);
    void RestartLine();
    void Trace(const std::string &line);

    LineSide &m_line;
    FileStore &m_store;
    ProtocolFaults m_faults;
    std::function<void(const std::string &)> m_trace;
    size_t m_chunkSize = kDefaultChunkSize;
    size_t m_replySize = kDefaultReplySize;
    std::deque<ProtocolEvent> m_events;

    State m_state = State::kAwaitCommand;
    uint32_t m_now = 0;
    uint32_t m_lastInput = 0;
    PacketReader m_reader;

    // The conversation.
    std::string m_code;
    Operation m_operation = Operation::kUnknown;
    Request m_request;
    std::vector<uint8_t> m_incoming;  // the file being put
    std::vector<uint8_t> m_chunk;     // the chunk under way
    std::string m_cancelledReply;  // the reply that a fault put CAN in place of

    // The PC's turn.
    uint8_t m_expected = 1;
    bool m_havePrevious = false;
    uint8_t m_previous = 0;
    unsigned m_refusals = 0;

    // The handheld's turn.
    Turn m_turn;
    uint8_t m_ownSequence = 1;
    unsigned m_sendings = 0;
    unsigned m_cancelsSent = 0;
    std::vector<uint8_t> m_lastSent;

    std::vector<uint8_t> m_text;
    bool m_textComplete = false;
    bool m_detectText = false;
    unsigned m_textsReceived = 0;
    unsigned m_releases = 0;
    unsigned m_finished = 0;
};

}  // namespace handheld

#endif
