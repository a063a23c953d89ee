// The application-text stream on the handheld's side: taking the PC's stream
// up to its end mark, and sending one of its own.
#include <gtest/gtest.h>

#include "handheld/frames.h"
#include "pc_script.h"

namespace {

using namespace pc;

TEST(HandheldTextStream, TakesThePcsStreamUpToTheMark)
{
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        Line line(mode);
        line.protocol.ExpectText();
        // A 0x1A inside a write does not end the stream; one that ends a write does.
        EXPECT_EQ(line.Write({'A', 0x1A, 'B', 0x0D, 0x0A}), Bytes{});
        EXPECT_FALSE(line.protocol.TextComplete());
        EXPECT_EQ(line.Write({0x1A}), Bytes{});
        EXPECT_TRUE(line.protocol.TextComplete());
        EXPECT_EQ(line.protocol.ReceivedText(), (Bytes{'A', 0x1A, 'B', 0x0D, 0x0A}));
        EXPECT_EQ(line.side.Cts(), mode != 2);
        const std::optional<handheld::ProtocolEvent> event = line.protocol.NextEvent();
        ASSERT_TRUE(event.has_value());
        EXPECT_EQ(event->kind, handheld::ProtocolEvent::Kind::kTextReceived);
        EXPECT_EQ(event->text, (Bytes{'A', 0x1A, 'B', 0x0D, 0x0A}));
        EXPECT_FALSE(line.protocol.NextEvent().has_value());
        // Then packets again.
        line.Run(Then(CommandTurn("LE"), HandheldTurn({Text("DOK")})));
    }
}

// The pause that drops a stream counts from its first byte: before it, the
// PC may take its time.
TEST(HandheldTextStream, WaitsForTheFirstByteWithoutLimit)
{
    Line line(0);
    line.protocol.ExpectText();
    line.Pass(handheld::ProtocolSide::kStallMs * 2);
    EXPECT_EQ(line.Write({'a', 0x1A}), Bytes{});
    EXPECT_TRUE(line.protocol.TextComplete());
    EXPECT_EQ(line.protocol.ReceivedText(), Bytes{'a'});
}

// In mode 1 an empty data frame carries nothing, end mark included.
TEST(HandheldTextStream, EmptyFrameDoesNotEndIt)
{
    Line line(1);
    line.protocol.ExpectText();
    for (const Bytes &unit : {Bytes{'a'}, Bytes{}, Bytes{0x1A}}) {
        EXPECT_FALSE(line.protocol.TextComplete());
        const Bytes enq = handheld::BuildControlFrame(kEnq);
        line.side.OnBytes(0, enq.data(), enq.size());
        const Bytes frame = handheld::BuildDataFrame(unit, 1);
        line.side.OnBytes(0, frame.data(), frame.size());
        line.protocol.Pump(0);
    }
    EXPECT_TRUE(line.protocol.TextComplete());
    EXPECT_EQ(line.protocol.ReceivedText(), Bytes{'a'});
}

TEST(HandheldTextStream, SendsTextAndMarkRaw)
{
    for (int mode : {0, 2}) {
        Line line(mode);
        line.protocol.SendText(Text("AB\r\n"));
        EXPECT_EQ(line.Write({}), (Bytes{'A', 'B', 0x0D, 0x0A, 0x1A}));
        EXPECT_EQ(line.side.Cts(), mode != 2);
        EXPECT_EQ(line.protocol.ConversationsFinished(), 1u);
        const std::optional<handheld::ProtocolEvent> event = line.protocol.NextEvent();
        ASSERT_TRUE(event.has_value());
        EXPECT_EQ(event->kind, handheld::ProtocolEvent::Kind::kTextSent);
    }
}

TEST(HandheldTextStream, SendsNumberedFramesInModeOne)
{
    Line line(1);
    line.protocol.SendText(Pattern(1000));
    std::vector<uint16_t> numbers;
    Bytes received;
    for (int round = 0; round < 20; ++round) {
        handheld::FrameParser parser;
        for (const handheld::Transmission &t : line.side.TakeOutput())
            for (uint8_t b : t.bytes)
                if (parser.Feed(b)) {
                    const handheld::Frame f = parser.Take();
                    const Bytes answer = handheld::BuildControlFrame(
                        f.type == handheld::Frame::kData ? kAck : 0x16);
                    if (f.type == handheld::Frame::kData) {
                        numbers.push_back(f.sequence);
                        received.insert(received.end(), f.data.begin(), f.data.end());
                    }
                    line.side.OnBytes(0, answer.data(), answer.size());
                }
    }
    EXPECT_EQ(numbers, (std::vector<uint16_t>{1, 2}));
    EXPECT_EQ(received, Join(Pattern(1000), {0x1A}));
}

}  // namespace

// Text that comes unannounced, as the emulator meets it: nothing but its
// first unit tells the handheld that the PC sends text.
namespace {

using namespace pc;

// In mode 1: the PC's ENQ, the handheld's SYN, then one data frame.
void FeedFrame(Line &line, const Bytes &data, uint16_t sequence)
{
    const Bytes enq = handheld::BuildControlFrame(kEnq);
    line.side.OnBytes(0, enq.data(), enq.size());
    const Bytes frame = handheld::BuildDataFrame(data, sequence);
    line.side.OnBytes(0, frame.data(), frame.size());
    line.protocol.Pump(0);
    line.side.TakeOutput();
}

TEST(HandheldUnannouncedText, RawModesTakeAStreamThatIsNoPacket)
{
    for (int mode : {0, 2}) {
        SCOPED_TRACE(mode);
        Line line(mode);
        line.protocol.SetTextDetection(true);
        EXPECT_EQ(line.Write(Text("hello\r\n")), Bytes{});
        EXPECT_EQ(line.Write({0x1A}), Bytes{});
        EXPECT_EQ(line.protocol.TextsReceived(), 1u);
        EXPECT_EQ(line.protocol.ReceivedText(), Text("hello\r\n"));
        EXPECT_EQ(line.side.Cts(), mode != 2);
        // An empty text is the end mark alone.
        EXPECT_EQ(line.Write({0x1A}), Bytes{});
        EXPECT_EQ(line.protocol.TextsReceived(), 2u);
        EXPECT_EQ(line.protocol.ReceivedText(), Bytes{});
        line.Run(Then(CommandTurn("LE"), HandheldTurn({Text("DOK")})));
    }
}

TEST(HandheldUnannouncedText, PacketsAndStrayControlBytesAreNoText)
{
    Line line(0);
    line.protocol.SetTextDetection(true);
    for (uint8_t control : {kEot, kEnq, kAck, kNak, kCan})
        EXPECT_EQ(line.Write({control}), Bytes{});
    line.Run(Then(CommandTurn("LE"), HandheldTurn({Text("DOK")})));
    EXPECT_EQ(line.protocol.TextsReceived(), 0u);
    EXPECT_EQ(line.protocol.Releases(), 1u);
}

// A packet may come in pieces; no piece but its first is looked at for text.
TEST(HandheldUnannouncedText, PacketsInPiecesAreNoText)
{
    Line line(0, 3);
    line.protocol.SetTextDetection(true);
    line.Run(Then(CommandTurn("LE"), HandheldTurn({Text("DOK")})));
    EXPECT_EQ(line.protocol.TextsReceived(), 0u);
    EXPECT_EQ(line.protocol.Releases(), 1u);
}

TEST(HandheldUnannouncedText, OffUnlessAskedFor)
{
    Line line(0);
    EXPECT_EQ(line.Write(Text("hello\x1A")), Bytes{});
    EXPECT_EQ(line.protocol.TextsReceived(), 0u);
}

TEST(HandheldUnannouncedText, ModeOneTakesNumberedFrames)
{
    Line line(1);
    line.protocol.SetTextDetection(true);
    FeedFrame(line, Text("line 1\r\n"), 1);
    FeedFrame(line, Text("line 2\r\n"), 2);
    EXPECT_EQ(line.protocol.TextsReceived(), 0u);
    FeedFrame(line, {0x1A}, 0xFFFF);
    EXPECT_EQ(line.protocol.TextsReceived(), 1u);
    EXPECT_EQ(line.protocol.ReceivedText(), Text("line 1\r\nline 2\r\n"));
    // An empty text: the unnumbered end mark alone.
    FeedFrame(line, {0x1A}, 0xFFFF);
    EXPECT_EQ(line.protocol.TextsReceived(), 2u);
    // Packets travel unnumbered.
    line.Run(Then(CommandTurn("LE"), HandheldTurn({Text("DOK")})));
    EXPECT_EQ(line.protocol.Releases(), 1u);
}

TEST(HandheldUnannouncedText, AStreamThatBreaksOffIsDropped)
{
    Line line(2);
    line.protocol.SetTextDetection(true);
    EXPECT_EQ(line.Write(Text("half a")), Bytes{});
    line.Pass(handheld::ProtocolSide::kStallMs);
    EXPECT_TRUE(line.protocol.AwaitingCommand());
    line.Run(Then(CommandTurn("LE"), HandheldTurn({Text("DOK")})));
    EXPECT_EQ(line.protocol.TextsReceived(), 0u);
}

TEST(HandheldRestart, DropsWhatWasUnderWay)
{
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        Line line(mode);
        line.protocol.SetTextDetection(true);
        // A text half sent, then a conversation half done.
        line.protocol.ExpectText();
        line.Write(Text("half"));
        line.protocol.Restart();
        EXPECT_TRUE(line.protocol.AwaitingCommand());
        line.Run(CommandTurn("FF"));
        line.protocol.Restart();
        EXPECT_TRUE(line.protocol.AwaitingCommand());
        line.Run(Then(CommandTurn("LE"), HandheldTurn({Text("DOK")})));
        EXPECT_EQ(line.protocol.TextsReceived(), 0u);
        EXPECT_EQ(line.protocol.Releases(), 1u);
    }
}

TEST(HandheldRestart, ModeOneDropsUnitsNotSentAndAHalfFrame)
{
    Line line(1);
    line.protocol.SendText(Text("nobody reads this"));
    EXPECT_FALSE(line.side.TakeOutput().empty());  // the ENQ that offers it
    EXPECT_TRUE(line.side.HasUnitsToSend());
    const Bytes frame = handheld::BuildDataFrame(Text("cut"), 0xFFFF);
    line.side.OnBytes(0, frame.data(), frame.size() / 2);
    line.protocol.Restart();
    EXPECT_FALSE(line.side.HasUnitsToSend());
    line.Pass(2000);
    EXPECT_TRUE(line.side.TakeOutput().empty());  // no ENQ again
    // The next connection's probe is seen, as the frame parser starts afresh.
    const Bytes probe = {0xF0};
    line.side.OnBytes(2000, probe.data(), probe.size());
    EXPECT_EQ(line.side.ProbesSeen(), 1u);
}

}  // namespace
