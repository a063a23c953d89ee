// Every transition of the handheld's protocol side. The conversation on the
// wire, the PC holding the turn first:
//   PC: command packet          handheld: ACK
//   PC: EOT                     handheld: ACK
//   PC: ENQ                     handheld: "DOK" (each packet ACKed by the PC), EOT
//   PC: ACK                     handheld: ENQ
//   PC: request, data packets or chunks (each ACKed), EOT   handheld: ACK
//   PC: ENQ                     handheld: replies or "AEX" (none for "FC"), EOT
//   PC: ACK                     handheld: ENQ
// "LE" ends after the command exchange.
#include "protocol_states.h"

#include <iterator>

namespace handheld {
namespace protocol {

namespace {

using S = State;
using I = Input;
using R = Reply;
using A = Action;

constexpr Transition kTransitions[] = {
    // state            input                   reply       action                 next
    // The PC's command turn.
    {S::kAwaitCommand,  I::kLastRefusal,        R::kNak,    A::kNone,              S::kStay},  // none to drop
    {S::kCommandEnd,    I::kEot,                R::kAckEot, A::kNone,              S::kCommandEnq},
    {S::kCommandEnq,    I::kEnq,                R::kNone,   A::kAnswerCommand,     S::kOwnTurn},

    // The PC's request turn.
    {S::kAwaitRequest,  I::kRequest,            R::kAck,    A::kTakeRequest,       S::kRequestEnd},
    {S::kAwaitRequest,  I::kRequestWithData,    R::kAck,    A::kTakeRequest,       S::kPutData},
    {S::kAwaitRequest,  I::kRequestWithChunks,  R::kAck,    A::kTakeRequest,       S::kChunks},
    {S::kPutData,       I::kPutData,            R::kAck,    A::kTakePutData,       S::kStay},
    {S::kPutData,       I::kEot,                R::kAckEot, A::kNone,              S::kRequestEnq},
    {S::kChunks,        I::kChunk,              R::kAck,    A::kTakeChunk,         S::kStay},
    {S::kChunks,        I::kLastChunk,          R::kAck,    A::kTakeChunk,         S::kRequestEnd},
    {S::kRequestEnd,    I::kEot,                R::kAckEot, A::kNone,              S::kRequestEnq},
    {S::kRequestEnq,    I::kEnq,                R::kNone,   A::kAnswerRequest,     S::kOwnTurn},

    // The handheld's turn.
    {S::kOwnTurn,       I::kPacketDue,          R::kNone,   A::kSendPacket,        S::kOwnPacket},
    {S::kOwnTurn,       I::kNothingDue,         R::kNone,   A::kSendEot,           S::kOwnEot},
    {S::kOwnTurn,       I::kNoTurn,             R::kNone,   A::kNone,              S::kTurnOver},
    {S::kOwnPacket,     I::kAck,                R::kNone,   A::kNextPacket,        S::kOwnTurn},
    {S::kOwnPacket,     I::kNak,                R::kNone,   A::kResendPacket,      S::kOwnPacket},
    {S::kOwnPacket,     I::kLastNak,            R::kNone,   A::kDrop,              S::kAwaitCommand},
    {S::kOwnEot,        I::kAck,                R::kEnq,    A::kNone,              S::kTurnOver},
    {S::kTurnOver,      I::kThenRequest,        R::kNone,   A::kExpectRequest,     S::kAwaitRequest},
    {S::kTurnOver,      I::kThenFinish,         R::kNone,   A::kFinish,            S::kAwaitCommand},
    {S::kTurnOver,      I::kThenDrop,           R::kNone,   A::kEndTurnAndDrop,    S::kAwaitCommand},

    // Faults.
    {S::kOwnPacket,     I::kAckThenRepeat,      R::kNone,   A::kNextPacketAndRepeat, S::kOwnRepeat},
    {S::kOwnRepeat,     I::kAck,                R::kNone,   A::kNone,              S::kOwnTurn},
    {S::kOwnRepeat,     I::kNak,                R::kNone,   A::kNone,              S::kOwnTurn},
    {S::kOwnTurn,       I::kCancelAnsweredByEnq, R::kNone,  A::kSendCancel,        S::kCancelAnswer},
    {S::kCancelAnswer,  I::kEnq,                R::kNone,   A::kNone,              S::kOwnTurn},
    {S::kOwnTurn,       I::kCancelThenCancel,   R::kNone,   A::kSendCancel,        S::kOwnTurn},
    {S::kOwnTurn,       I::kCancelInPlace,      R::kNone,   A::kCancelInPlace,     S::kOwnTurn},
    {S::kOwnTurn,       I::kSecondCancel,       R::kNone,   A::kCancelAndDrop,     S::kAwaitCommand},

    // The application-text stream.
    {S::kTextAwaited,   I::kTextUnit,           R::kNone,   A::kTakeText,          S::kText},
    {S::kTextAwaited,   I::kTextEnd,            R::kNone,   A::kEndText,           S::kAwaitCommand},
    {S::kText,          I::kTextUnit,           R::kNone,   A::kTakeText,          S::kStay},
    {S::kText,          I::kTextEnd,            R::kNone,   A::kEndText,           S::kAwaitCommand},
    {S::kText,          I::kTextBrokeOff,       R::kNone,   A::kDropText,          S::kAwaitCommand},

    // In any state. A command starts afresh, so that a conversation the PC
    // gave up does not block the next one.
    {S::kAny,           I::kCommand,            R::kAck,    A::kStartConversation, S::kCommandEnd},
    {S::kAny,           I::kRepeat,             R::kAck,    A::kNone,              S::kStay},
    {S::kAny,           I::kRefused,            R::kNak,    A::kNone,              S::kStay},
    {S::kAny,           I::kLastRefusal,        R::kNak,    A::kDrop,              S::kAwaitCommand},
    {S::kAny,           I::kCan,                R::kNone,   A::kDrop,              S::kAwaitCommand},
    {S::kAny,           I::kReplyCancelled,     R::kNone,   A::kDrop,              S::kAwaitCommand},
    {S::kAny,           I::kTextAnnounced,      R::kNone,   A::kExpectText,        S::kTextAwaited},
    {S::kAny,           I::kRestart,            R::kNone,   A::kRestart,           S::kAwaitCommand},
};

}  // namespace

const Transition *FindTransition(State state, Input input)
{
    for (const Transition &row : kTransitions)
        if ((row.from == state || row.from == State::kAny) && row.input == input)
            return &row;
    return nullptr;
}

}  // namespace protocol
}  // namespace handheld
