// The states of the handheld's protocol side, the inputs that move it, and
// what a transition may send and do. Two tables, in protocol_states.cpp,
// decide everything that depends on the state:
//  - how each state reads what comes in (its Reading), and so which inputs it
//    can be given at all;
//  - the transitions: each row reads "in this state, on this input, send this
//    reply, do this, go to that state", in the order in which a conversation
//    meets them on the wire.
// Every input that a state can be given has a row: one that lets it pass
// (nothing sent, the state kept) says so.
#ifndef TESSALINK_HANDHELD_PROTOCOL_STATES_H
#define TESSALINK_HANDHELD_PROTOCOL_STATES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "operation_texts.h"

namespace handheld {
namespace protocol {

enum class State {
    // The PC's first turn: its command.
    kAwaitCommand,  // no conversation: a command packet awaited
    kCommandEnd,    // the command taken; the PC's EOT awaited
    kCommandEnq,    // the PC's EOT acknowledged; its ENQ awaited
    // The PC's second turn: its request, and the data of a put.
    kAwaitRequest,  // the command accepted: the request awaited
    kPutData,       // "FD": packets "RFD" + file bytes, up to the PC's EOT
    kChunks,        // "DL": unframed chunks, up to the size announced
    kRequestEnd,    // the request (and its data) taken; the PC's EOT awaited
    kRequestEnq,    // the PC's EOT acknowledged; its ENQ awaited
    // The handheld's turn: the packets planned for it, then EOT.
    kOwnTurn,       // passing: the next packet is due, or the end of the turn
    kOwnPacket,     // a packet sent; its ACK or NAK awaited
    kOwnEot,        // EOT sent; its ACK awaited
    kTurnOver,      // passing: the turn handed back; the plan says what follows
    // Reached through faults only.
    kOwnRepeat,     // an acknowledged packet sent once more; any answer awaited
    kCancelAnswer,  // CAN sent where a packet was due; the PC's ENQ awaited
    // The application-text stream (no packets).
    kTextAwaited,   // its first unit awaited
    kText,          // under way, up to its end mark

    // In rows only, after every state: as a source, any state; as a target,
    // the same state.
    kAny,
    kStay,
};

// How a state reads what comes in.
enum class Reading {
    // The PC's turn: its packets, by number, and its control bytes; a packet
    // that breaks off is refused. A packet numbered as expected is welcome as
    kCommand,       // nothing (only a command counts); text may begin unannounced
    kTurnEnd,       // nothing: the PC's EOT is due
    kRequest,       // the request
    kPutData,       // "RFD" + file bytes
    // The handheld's turn: the PC's control bytes. Of its packets only a
    // command or a damaged one counts; the rest, and one that breaks off,
    // are let go.
    kAnswer,
    kPacketAnswer,  // to a packet sent: an ACK may repeat it, a NAK may be the last
    // "DL": unframed bytes, counted into chunks; one that breaks off is refused.
    kChunks,
    // Units of the text stream, as they come.
    kTextStart,     // the PC may take its time to begin
    kText,          // silence before the end mark breaks it off
    // Passing states, left at once by the input that Triggered gives: the
    // next step of the handheld's turn, or what follows the turn.
    kOwnTurn,
    kTurnOver,
};

enum class Input {
    // A packet from the PC, sound unless said otherwise.
    kCommand,             // numbered 1, "C" + code
    kRepeat,              // numbered as the last packet taken
    kRequest,             // the request of an operation that sends no more
    kRequestWithData,     // the request of "FD": data packets follow
    kRequestWithChunks,   // the request of "DL" with a size: chunks follow
    kPutData,             // "RFD" + file bytes, numbered as expected
    kRefused,             // damaged, unexpected or not of its form, or broken off
    kLastRefusal,         // the same, the third in a row
    kOutOfTurn,           // sound, but neither a command nor in the PC's turn
    // A chunk of "DL".
    kChunk,
    kLastChunk,           // completes the size announced
    // A control byte from the PC.
    kEot,
    kEnq,
    kAck,
    kNak,
    kLastNak,             // to the third sending of a packet
    kCan,
    // The PC's text stream.
    kTextUnit,
    kTextEnd,             // a unit whose last byte is the end mark
    kTextBrokeOff,        // silence before the end mark
    // From the driver.
    kTextAnnounced,       // ExpectText, or a unit that begins unannounced text
    kRestart,             // the line closed or opened afresh
    // Given by the passing states.
    kPacketDue,
    kNothingDue,          // no packet left: the turn ends
    kNoTurn,              // an operation that the handheld does not answer ("FC")
    kThenRequest,
    kThenFinish,
    kThenDrop,
    // Faults (protocol_faults.h).
    kAckThenRepeat,       // ACK, and the packet is due again on purpose
    kCancelAnsweredByEnq, // CAN due where a packet is; the PC answers ENQ (modes 0, 2)
    kCancelInPlace,       // CAN due where a packet is; the PC reads it as one (mode 1)
    kCancelThenCancel,    // the same, and a second CAN due at once (mode 1)
    kSecondCancel,        // a second CAN in one turn: the conversation ends
    kReplyCancelled,      // CAN was sent in place of a transition's reply
};

// The last input, for the checks that go through every one.
constexpr Input kLastInput = Input::kReplyCancelled;

// An input as the machine is given it, with what it brings for the action
// that takes it; the fields that it does not bring stay empty.
struct Arrival {
    Arrival(Input given) : input(given) {}  // an input that brings nothing

    Input input;
    std::string code;            // kCommand: the command's code
    Request request;             // kRequest, kRequestWithData, kRequestWithChunks
    std::vector<uint8_t> bytes;  // kPutData: the file bytes; kChunk, kLastChunk:
                                 // the chunk; kTextUnit, kTextEnd: the unit
};

// The control byte a transition answers with, before its action.
enum class Reply {
    kNone,
    kAck,     // to a packet or chunk
    kAckEot,  // to the PC's EOT
    kNak,     // refuses a packet or chunk; counts towards three in a row
    kEnq,     // after the ACK to the handheld's EOT: the turn goes back
};

enum class Action {
    kNone,
    kStartConversation,
    kTakeRequest,
    kTakePutData,
    kTakeChunk,
    kExpectRequest,
    kAnswerCommand,    // plans the handheld's turn: "DOK" or "DNG"
    kAnswerRequest,    // plans the handheld's turn: replies, "AEX", or none
    kSendPacket,
    kResendPacket,
    kNextPacket,       // the packet acknowledged: on to the next
    kNextPacketAndRepeat,
    kSendEot,
    kSendCancel,
    kCancelInPlace,    // CAN, and the packet it replaced is given up
    kCancelAndDrop,
    kFinish,           // the conversation ended well
    kDrop,             // the conversation ended badly
    kEndTurnAndDrop,   // after a refusal ("DNG"): no more to say
    kExpectText,
    kTakeText,
    kEndText,
    kDropText,
    kRestart,
};

struct Transition {
    State from;
    Input input;
    Reply reply;
    Action action;
    State to;
};

Reading ReadingOf(State state);
// Whether a state that reads so holds the PC's turn, where its packets are
// read by number and refused when they break off.
bool InPcTurn(Reading reading);
bool IsPassing(State state);
// Whether a state can be given this input: one that its reading gives, or
// one that comes in any state (from the driver, or a reply cancelled).
bool Takes(State state, Input input);

// The first row for this state and input (rows for any state come last);
// null when there is none, which the table allows only for an input that
// the state is never given.
const Transition *FindTransition(State state, Input input);

// Every row, for the checks of the table as a whole.
struct TransitionRows {
    const Transition *first;
    size_t count;
    const Transition *begin() const { return first; }
    const Transition *end() const { return first + count; }
};
TransitionRows AllTransitions();

}  // namespace protocol
}  // namespace handheld

#endif
