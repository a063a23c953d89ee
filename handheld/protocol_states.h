// The states of the handheld's protocol side, the inputs that move it, and
// what a transition may send and do. The transitions themselves are one
// table, in protocol_states.cpp: each row reads "in this state, on this
// input, send this reply, do this, go to that state", in the order in which a
// conversation meets them on the wire. A pair of state and input that no row
// names is ignored: nothing is sent and the state stays.
#ifndef TESSALINK_HANDHELD_PROTOCOL_STATES_H
#define TESSALINK_HANDHELD_PROTOCOL_STATES_H

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

    // In rows only: as a source, any state; as a target, the same state.
    kAny,
    kStay,
};

// A passing state is left at once, by the input that Triggered gives.
inline bool IsPassing(State state)
{
    return state == State::kOwnTurn || state == State::kTurnOver;
}

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

// The first row for this state and input (rows for any state come last);
// null when there is none.
const Transition *FindTransition(State state, Input input);

}  // namespace protocol
}  // namespace handheld

#endif
