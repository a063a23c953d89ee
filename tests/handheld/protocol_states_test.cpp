// The handheld's transition table as a whole: every state can be reached,
// every input a state can be given has exactly one row, and every row answers
// with the control byte that the wire has next.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "handheld/protocol_states.h"

namespace {

using handheld::protocol::AllTransitions;
using handheld::protocol::FindTransition;
using handheld::protocol::Input;
using handheld::protocol::kLastInput;
using handheld::protocol::Reply;
using handheld::protocol::State;
using handheld::protocol::Takes;
using handheld::protocol::Transition;

std::vector<State> AllStates()
{
    std::vector<State> states;
    for (int i = 0; i < static_cast<int>(State::kAny); ++i)
        states.push_back(static_cast<State>(i));
    return states;
}

std::vector<Input> AllInputs()
{
    std::vector<Input> inputs;
    for (int i = 0; i <= static_cast<int>(kLastInput); ++i)
        inputs.push_back(static_cast<Input>(i));
    return inputs;
}

int N(State state) { return static_cast<int>(state); }
int N(Input input) { return static_cast<int>(input); }

TEST(ProtocolTable, EveryStateIsReachedFromTheAwaitedCommand)
{
    std::set<State> reached = {State::kAwaitCommand};
    std::vector<State> todo = {State::kAwaitCommand};
    while (!todo.empty()) {
        const State state = todo.back();
        todo.pop_back();
        for (Input input : AllInputs()) {
            const Transition *row = Takes(state, input) ? FindTransition(state, input) : nullptr;
            if (row == nullptr || row->to == State::kStay)
                continue;
            if (reached.insert(row->to).second)
                todo.push_back(row->to);
        }
    }
    for (State state : AllStates())
        EXPECT_TRUE(reached.count(state)) << "state " << N(state) << " is never reached";
}

TEST(ProtocolTable, EveryInputThatAStateTakesHasARowAndNoRowIsForAnInputNeverTaken)
{
    for (State state : AllStates()) {
        for (Input input : AllInputs()) {
            if (Takes(state, input)) {
                EXPECT_NE(FindTransition(state, input), nullptr)
                    << "state " << N(state) << ", input " << N(input) << ": no row";
            }
        }
    }

    for (const Transition &row : AllTransitions()) {
        bool taken = false;
        for (State state : AllStates())
            taken = taken || ((row.from == state || row.from == State::kAny) && Takes(state, row.input));
        EXPECT_TRUE(taken) << "the row for state " << N(row.from) << ", input " << N(row.input)
                           << " is for an input that its state is never given";
    }
}

TEST(ProtocolTable, NoTwoRowsForOneStateAndInput)
{
    std::map<std::pair<State, Input>, int> rows;
    for (const Transition &row : AllTransitions())
        ++rows[{row.from, row.input}];
    for (const auto &[pair, count] : rows)
        EXPECT_EQ(count, 1) << "state " << N(pair.first) << ", input " << N(pair.second);
}

// What the handheld answers at once, before anything the transition sends,
// as the wire has it: a packet or chunk taken is acknowledged and one refused
// is NAKed; the PC's EOT that ends its turn is acknowledged; the PC's ACK to
// the handheld's EOT hands the turn back with ENQ. Nothing else is answered.
Reply WireReply(const Transition &row)
{
    switch (row.input) {
    case Input::kCommand:
    case Input::kRepeat:
    case Input::kRequest:
    case Input::kRequestWithData:
    case Input::kRequestWithChunks:
    case Input::kPutData:
    case Input::kChunk:
    case Input::kLastChunk:
        return Reply::kAck;
    case Input::kRefused:
    case Input::kLastRefusal:
        return Reply::kNak;
    case Input::kEot:
        return row.to == State::kStay ? Reply::kNone : Reply::kAckEot;  // or a stray one
    case Input::kAck:
        return row.from == State::kOwnEot ? Reply::kEnq : Reply::kNone;
    default:
        return Reply::kNone;
    }
}

TEST(ProtocolTable, EveryRowRepliesWhatTheWireHasNext)
{
    for (const Transition &row : AllTransitions())
        EXPECT_EQ(row.reply, WireReply(row))
            << "state " << N(row.from) << ", input " << N(row.input);
}

}  // namespace
