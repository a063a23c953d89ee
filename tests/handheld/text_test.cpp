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
        // Then packets again.
        line.Run(Then(CommandTurn("LE"), HandheldTurn({Text("DOK")})));
    }
}

TEST(HandheldTextStream, SendsTextAndMarkRaw)
{
    for (int mode : {0, 2}) {
        Line line(mode);
        line.protocol.SendText(Text("AB\r\n"));
        EXPECT_EQ(line.Write({}), (Bytes{'A', 'B', 0x0D, 0x0A, 0x1A}));
        EXPECT_EQ(line.side.Cts(), mode != 2);
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
