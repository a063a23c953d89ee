// The handheld's frames against the wire layout, byte for byte, and its
// parser on the same bytes.
#include <gtest/gtest.h>

#include "handheld/frames.h"

namespace {

using handheld::BuildControlFrame;
using handheld::BuildDataFrame;
using handheld::Frame;
using handheld::FrameParser;

const std::vector<uint8_t> kDataFrameAB = {0, 0, 0, 0, 0, 0x96, 0x81, 0x10, 0x02, 0x01, 0x01,
                                           0x40, 0xFE, 0x02, 0x00, 0x41, 0x42, 0x83, 0x00};

TEST(HandheldFrames, BuildTheWireLayout)
{
    EXPECT_EQ(BuildControlFrame(0x16), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0x96, 0x82, 0x16}));
    EXPECT_EQ(BuildDataFrame({0x41, 0x42}, 0x0102), kDataFrameAB);
    std::vector<uint8_t> big(300, 0xFF);  // sum 300 * 255 = 0x12AD4, kept to 16 bits
    std::vector<uint8_t> frame = BuildDataFrame(big, 0xFFFF);
    EXPECT_EQ(frame[13], 0x2C);
    EXPECT_EQ(frame[14], 0x01);
    EXPECT_EQ(frame[frame.size() - 2], 0xD4);
    EXPECT_EQ(frame[frame.size() - 1], 0x2A);
}

TEST(HandheldFrames, ParserFindsFramesAmongNoise)
{
    std::vector<uint8_t> stream = {0x41, 0x96, 0x81, 0x00, 0x13, 0x00, 0x96, 0xA1};
    stream.insert(stream.end(), kDataFrameAB.begin(), kDataFrameAB.end());
    std::vector<uint8_t> syn = {0, 0, 0x96, 0x92, 0x16};
    stream.insert(stream.end(), syn.begin(), syn.end());
    FrameParser parser;
    std::vector<Frame> frames;
    for (uint8_t b : stream)
        if (parser.Feed(b))
            frames.push_back(parser.Take());
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].type, Frame::kData);
    EXPECT_EQ(frames[0].sequence, 0x0102);
    EXPECT_EQ(frames[0].data, (std::vector<uint8_t>{0x41, 0x42}));
    EXPECT_TRUE(frames[0].sumMatches);
    EXPECT_EQ(frames[1].type, Frame::kControl);
    EXPECT_EQ(frames[1].code, 0x16);
    EXPECT_TRUE(parser.Idle());
}

TEST(HandheldFrames, ParserNoticesAWrongSum)
{
    std::vector<uint8_t> frame = BuildDataFrame({1, 2, 3}, 1, handheld::FrameStyle(), true);
    FrameParser parser;
    bool done = false;
    for (uint8_t b : frame)
        done = parser.Feed(b);
    ASSERT_TRUE(done);
    EXPECT_FALSE(parser.Take().sumMatches);
}

}  // namespace
