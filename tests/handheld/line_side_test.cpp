// The handheld's line side on its own, in virtual time: the probe answer and
// the switch sequence, and its mode-1 block exchange as sender (ENQ repeated
// every 500 ms for six minutes, 1000 ms for the ACK, three attempts a unit)
// and as receiver, and how long CTS stays low in mode 2.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "handheld/frames.h"
#include "handheld/line_side.h"

namespace {

using Bytes = std::vector<uint8_t>;
using handheld::BuildControlFrame;
using handheld::BuildDataFrame;
using handheld::LineSide;

constexpr uint8_t kEnq = 0x05, kAck = 0x06, kNak = 0x15, kSyn = 0x16;
constexpr uint8_t kProbe = 0xF0;
const Bytes kSwitch = {0x0B, 0x21, 0x37, 0x45, 0x50, 0x64, 0x70,
                       0xD1, 0x56, 0xD0, 0x87, 0x91, 0x11};

// What the handheld put on the line: each frame's control code (0 for a
// data frame), or a raw byte outside any frame, with the time it is due.
struct Sent {
    uint32_t due;
    uint8_t code;
    bool operator==(const Sent &o) const { return due == o.due && code == o.code; }
};

void PrintTo(const Sent &s, std::ostream *out)
{
    *out << "{" << s.due << ", 0x" << std::hex << int(s.code) << std::dec << "}";
}

class Wire {
public:
    explicit Wire(int mode) : side(static_cast<LinkMode>(mode)) {}

    void Pc(const Bytes &bytes) { side.OnBytes(now, bytes.data(), bytes.size()); }
    void At(uint32_t ms)
    {
        now = ms;
        side.OnTime(now);
    }
    std::vector<Sent> Take()
    {
        std::vector<Sent> out;
        for (const handheld::Transmission &t : side.TakeOutput()) {
            handheld::FrameParser parser;
            bool framed = false;
            for (uint8_t b : t.bytes)
                if (parser.Feed(b)) {
                    const handheld::Frame f = parser.Take();
                    out.push_back({t.due, f.type == handheld::Frame::kData ? uint8_t{0} : f.code});
                    framed = true;
                }
            if (!framed)
                for (uint8_t b : t.bytes)
                    out.push_back({t.due, b});
        }
        return out;
    }
    // Sends one unit and lets the PC take the handheld's ENQ and answer SYN;
    // the data frame is then on the line.
    void OfferUnit()
    {
        side.SendUnit({'u'}, 1);
        ASSERT_EQ(Take(), (std::vector<Sent>{{now + 1, kEnq}}));
        Pc(BuildControlFrame(kSyn));
        ASSERT_EQ(Take(), (std::vector<Sent>{{now + 1, 0}}));
    }

    LineSide side;
    uint32_t now = 0;
};

struct ProbeCase {
    const char *name;
    handheld::ProbeAnswer answer;
    std::vector<Sent> sent;  // at time 100
};

// The PC reads the answer within 10 ms of its probe.
const ProbeCase kProbeCases[] = {
    {"F4", handheld::ProbeAnswer::kF4, {{102, 0xF4}}},
    {"F5", handheld::ProbeAnswer::kF5, {{102, 0xF5}}},
    {"Wrong", handheld::ProbeAnswer::kWrong, {{102, 0xF6}}},
    {"Late", handheld::ProbeAnswer::kLate, {{120, 0xF4}}},
    {"None", handheld::ProbeAnswer::kNone, {}},
};

class HandheldProbe : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(HandheldProbe, IsAnsweredAsSet)
{
    Wire wire(1);
    wire.side.SetProbeAnswer(GetParam().answer);
    wire.At(100);
    wire.Pc({kProbe});
    EXPECT_EQ(wire.Take(), GetParam().sent);
    EXPECT_EQ(wire.side.ProbesSeen(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Each, HandheldProbe, ::testing::ValuesIn(kProbeCases),
                         [](const ::testing::TestParamInfo<ProbeCase> &p) { return p.param.name; });

TEST(HandheldSwitchSequence, CountsWhenWholeEvenInPieces)
{
    Wire wire(1);
    wire.Pc({kProbe});
    for (uint8_t b : kSwitch)
        wire.Pc({b});
    EXPECT_EQ(wire.side.SwitchesSeen(), 1u);
}

// Once a byte differs, the sequence is no longer looked for: later bytes
// that happen to match it are frame bytes like any other.
TEST(HandheldSwitchSequence, IsLookedForOnlyRightAfterTheProbe)
{
    Wire wire(1);
    wire.Pc({kProbe});
    wire.Take();
    wire.Pc(BuildControlFrame(kEnq));
    EXPECT_EQ(wire.Take(), (std::vector<Sent>{{1, kSyn}}));
    wire.Pc(BuildDataFrame(Bytes(kSwitch.begin(), kSwitch.begin() + 4), 1));
    EXPECT_EQ(wire.Take(), (std::vector<Sent>{{1, kAck}}));
    const std::vector<handheld::Unit> units = wire.side.TakeReceived();
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0].data, Bytes(kSwitch.begin(), kSwitch.begin() + 4));
    EXPECT_EQ(wire.side.SwitchesSeen(), 0u);
}

TEST(HandheldSending, EnqAgainEvery500msWithoutSyn)
{
    Wire wire(1);
    wire.side.SendUnit({'u'}, 1);
    EXPECT_EQ(wire.Take(), (std::vector<Sent>{{1, kEnq}}));
    wire.At(499);
    EXPECT_TRUE(wire.Take().empty());
    wire.At(500);
    EXPECT_EQ(wire.Take(), (std::vector<Sent>{{501, kEnq}}));
    wire.At(999);
    EXPECT_TRUE(wire.Take().empty());
    wire.At(1000);
    EXPECT_EQ(wire.Take(), (std::vector<Sent>{{1001, kEnq}}));
}

TEST(HandheldSending, GivesUpAfterSixMinutesOfEnq)
{
    Wire wire(1);
    wire.side.SendUnit({'u'}, 1);
    unsigned enqs = static_cast<unsigned>(wire.Take().size());
    for (uint32_t t = 500; t < 360000; t += 500) {
        wire.At(t);
        enqs += static_cast<unsigned>(wire.Take().size());
    }
    EXPECT_EQ(enqs, 720u);
    wire.At(359999);
    EXPECT_EQ(wire.side.UnitsAbandoned(), 0u);
    wire.At(360000);
    EXPECT_TRUE(wire.Take().empty());
    EXPECT_EQ(wire.side.UnitsAbandoned(), 1u);
    EXPECT_FALSE(wire.side.HasUnitsToSend());
}

TEST(HandheldSending, WaitsOneSecondForTheAck)
{
    Wire wire(1);
    wire.At(100);
    ASSERT_NO_FATAL_FAILURE(wire.OfferUnit());
    wire.At(1099);
    EXPECT_TRUE(wire.Take().empty());
    wire.At(1100);  // no answer: the next attempt begins with ENQ
    EXPECT_EQ(wire.Take(), (std::vector<Sent>{{1101, kEnq}}));
}

// Each unit has three attempts; an ACK ends its attempts, and the next unit
// has three of its own.
TEST(HandheldSending, ThreeAttemptsPerUnit)
{
    struct Case {
        unsigned naks;
        bool abandoned;
    };
    for (const Case c : {Case{2, false}, Case{3, true}}) {
        SCOPED_TRACE(c.naks);
        Wire wire(1);
        for (int unit = 0; unit < 2; ++unit) {
            for (unsigned i = 0; i < c.naks; ++i) {
                if (i == 0) {
                    ASSERT_NO_FATAL_FAILURE(wire.OfferUnit());
                }
                wire.Pc(BuildControlFrame(kNak));
                if (i + 1 < c.naks) {  // the next attempt
                    ASSERT_EQ(wire.Take(), (std::vector<Sent>{{1, kEnq}}));
                    wire.Pc(BuildControlFrame(kSyn));
                    ASSERT_EQ(wire.Take(), (std::vector<Sent>{{1, 0}}));
                }
            }
            if (!c.abandoned) {
                EXPECT_EQ(wire.Take(), (std::vector<Sent>{{1, kEnq}}));
                wire.Pc(BuildControlFrame(kSyn));
                wire.Take();
                wire.Pc(BuildControlFrame(kAck));
            }
            EXPECT_TRUE(wire.Take().empty());
        }
        EXPECT_EQ(wire.side.UnitsAbandoned(), c.abandoned ? 2u : 0u);
        EXPECT_FALSE(wire.side.HasUnitsToSend());
    }
}

// A data frame is one whose sub-kind byte has 1 in its high nibble.
TEST(HandheldReceivingFrames, SubKindDecides)
{
    struct Case {
        uint8_t subKind;
        uint8_t answer;
    };
    for (const Case c : {Case{0x10, kAck}, Case{0x1F, kAck}, Case{0x20, kNak}, Case{0x00, kNak}}) {
        SCOPED_TRACE(int(c.subKind));
        Wire wire(1);
        Bytes frame = BuildDataFrame({'x'}, 1);
        frame[7] = c.subKind;  // behind five zeros, the sync byte and the kind
        wire.Pc(BuildControlFrame(kEnq));
        wire.Take();
        wire.Pc(frame);
        EXPECT_EQ(wire.Take(), (std::vector<Sent>{{1, c.answer}}));
        EXPECT_EQ(wire.side.TakeReceived().size(), c.answer == kAck ? 1u : 0u);
    }
}

TEST(HandheldCts, Mode2DropsItFor50ms)
{
    Wire wire(2);
    wire.At(1000);
    wire.side.FinishConversation();
    EXPECT_FALSE(wire.side.Cts());
    wire.At(1049);
    EXPECT_FALSE(wire.side.Cts());
    wire.At(1050);
    EXPECT_TRUE(wire.side.Cts());
}

// A new conversation while CTS is low (the PC did not wait): it comes back.
TEST(HandheldCts, Mode2RaisesItWhenBytesArrive)
{
    Wire wire(2);
    wire.side.FinishConversation();
    wire.At(10);
    wire.Pc({0x01});
    EXPECT_TRUE(wire.side.Cts());
}

TEST(HandheldCts, OtherModesKeepIt)
{
    for (int mode : {0, 1}) {
        Wire wire(mode);
        wire.side.FinishConversation();
        EXPECT_TRUE(wire.side.Cts());
    }
}

// What the driver hears of, in order: each once.
std::vector<std::string> Events(LineSide &side)
{
    std::vector<std::string> out;
    while (std::optional<handheld::LineEvent> e = side.NextEvent()) {
        switch (e->kind) {
        case handheld::LineEvent::Kind::kProbe: out.push_back("probe"); break;
        case handheld::LineEvent::Kind::kSwitchSequence: out.push_back("switch"); break;
        case handheld::LineEvent::Kind::kPcControl: out.push_back("control"); break;
        case handheld::LineEvent::Kind::kCtsChanged: out.push_back(e->cts ? "cts on" : "cts off"); break;
        }
    }
    return out;
}

TEST(HandheldLineEvents, ModeOneConnection)
{
    Wire wire(1);
    Bytes opening = {kProbe};
    opening.insert(opening.end(), kSwitch.begin(), kSwitch.end());
    wire.Pc(opening);
    const Bytes enq = BuildControlFrame(kEnq), ack = BuildControlFrame(kAck);
    wire.Pc(Bytes(enq.begin(), enq.end()));
    wire.Pc(BuildDataFrame({'x'}, 1));
    wire.Pc(ack);
    EXPECT_EQ(Events(wire.side), (std::vector<std::string>{"probe", "switch", "control", "control"}));
    EXPECT_TRUE(Events(wire.side).empty());
}

TEST(HandheldLineEvents, ModeTwoCts)
{
    Wire wire(2);
    wire.side.FinishConversation();
    wire.side.FinishConversation();  // already low: no change to tell
    wire.At(50);
    wire.At(60);
    EXPECT_EQ(Events(wire.side), (std::vector<std::string>{"cts off", "cts on"}));
    wire.side.FinishConversation();
    wire.Pc({0x01});
    EXPECT_EQ(Events(wire.side), (std::vector<std::string>{"cts off", "cts on"}));
}

}  // namespace
