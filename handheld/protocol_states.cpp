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

#include <algorithm>
#include <iterator>

namespace handheld {
namespace protocol {

namespace {

using S = State;
using I = Input;
using R = Reply;
using A = Action;
using Rd = Reading;

// The inputs that each way of reading gives.
constexpr Input kPcPackets[] = {I::kCommand, I::kRepeat, I::kRefused, I::kLastRefusal};
constexpr Input kRequests[] = {I::kRequest, I::kRequestWithData, I::kRequestWithChunks};
constexpr Input kControls[] = {I::kEot, I::kEnq, I::kAck, I::kNak, I::kCan};
constexpr Input kOutOfTurnPackets[] = {I::kCommand, I::kRefused, I::kLastRefusal, I::kOutOfTurn};
constexpr Input kPacketAnswers[] = {I::kAckThenRepeat, I::kLastNak};
constexpr Input kChunks[] = {I::kChunk, I::kLastChunk, I::kRefused, I::kLastRefusal};
constexpr Input kTextStart[] = {I::kTextUnit, I::kTextEnd};
constexpr Input kText[] = {I::kTextUnit, I::kTextEnd, I::kTextBrokeOff};
constexpr Input kOwnTurn[] = {I::kPacketDue, I::kNothingDue, I::kNoTurn,
                              I::kCancelAnsweredByEnq, I::kCancelInPlace,
                              I::kCancelThenCancel, I::kSecondCancel};
constexpr Input kTurnOver[] = {I::kThenRequest, I::kThenFinish, I::kThenDrop};
constexpr Input kInAnyState[] = {I::kTextAnnounced, I::kRestart, I::kReplyCancelled};

template <size_t N>
bool In(Input input, const Input (&inputs)[N])
{
    return std::find(std::begin(inputs), std::end(inputs), input) != std::end(inputs);
}

bool Gives(Reading reading, Input input)
{
    switch (reading) {
    case Rd::kCommand:
    case Rd::kTurnEnd: return In(input, kPcPackets) || In(input, kControls);
    case Rd::kRequest: return In(input, kPcPackets) || In(input, kControls) || In(input, kRequests);
    case Rd::kPutData: return In(input, kPcPackets) || In(input, kControls) || input == I::kPutData;
    case Rd::kAnswer: return In(input, kOutOfTurnPackets) || In(input, kControls);
    case Rd::kPacketAnswer:
        return In(input, kOutOfTurnPackets) || In(input, kControls) || In(input, kPacketAnswers);
    case Rd::kChunks: return In(input, kChunks);
    case Rd::kTextStart: return In(input, kTextStart);
    case Rd::kText: return In(input, kText);
    case Rd::kOwnTurn: return In(input, kOwnTurn);
    case Rd::kTurnOver: return In(input, kTurnOver);
    }
    return false;
}

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
    // Let pass in any state: a control byte that the state does not await,
    // and a sound packet out of the PC's turn.
    {S::kAny,           I::kEot,                R::kNone,   A::kNone,              S::kStay},
    {S::kAny,           I::kEnq,                R::kNone,   A::kNone,              S::kStay},
    {S::kAny,           I::kAck,                R::kNone,   A::kNone,              S::kStay},
    {S::kAny,           I::kNak,                R::kNone,   A::kNone,              S::kStay},
    {S::kAny,           I::kOutOfTurn,          R::kNone,   A::kNone,              S::kStay},
};

}  // namespace

// How each state reads what comes in. A switch, so that a state left out
// cannot build.
Reading ReadingOf(State state)
{
    switch (state) {
    case S::kAwaitCommand: return Rd::kCommand;
    case S::kCommandEnd:
    case S::kRequestEnd: return Rd::kTurnEnd;
    case S::kAwaitRequest: return Rd::kRequest;
    case S::kPutData: return Rd::kPutData;
    case S::kChunks: return Rd::kChunks;
    case S::kCommandEnq:
    case S::kRequestEnq:
    case S::kOwnEot:
    case S::kOwnRepeat:
    case S::kCancelAnswer: return Rd::kAnswer;
    case S::kOwnPacket: return Rd::kPacketAnswer;
    case S::kOwnTurn: return Rd::kOwnTurn;
    case S::kTurnOver: return Rd::kTurnOver;
    case S::kTextAwaited: return Rd::kTextStart;
    case S::kText: return Rd::kText;
    case S::kAny:
    case S::kStay: break;  // in rows only
    }
    return Rd::kCommand;
}

bool InPcTurn(Reading reading)
{
    return reading == Reading::kCommand || reading == Reading::kTurnEnd ||
           reading == Reading::kRequest || reading == Reading::kPutData;
}

bool IsPassing(State state)
{
    const Reading reading = ReadingOf(state);
    return reading == Reading::kOwnTurn || reading == Reading::kTurnOver;
}

bool Takes(State state, Input input)
{
    return In(input, kInAnyState) || Gives(ReadingOf(state), input);
}

TransitionRows AllTransitions()
{
    return {kTransitions, std::size(kTransitions)};
}

const Transition *FindTransition(State state, Input input)
{
    for (const Transition &row : kTransitions)
        if ((row.from == state || row.from == State::kAny) && row.input == input)
            return &row;
    return nullptr;
}

}  // namespace protocol
}  // namespace handheld
