// The mode-text parser fills a line-state record the way the Windows parser
// does: named fields change, the rest keep their values, and a text it does
// not understand is refused.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/mode_text.h"

namespace {

struct ParseCase {
    const char *text;
    bool accepted;
    uint32_t baud;
    uint8_t parity;
    uint8_t byteSize;
    uint8_t stopBits;
    unsigned xon;  // fOutX and fInX
};

class ModeTextParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ModeTextParse, FillsNamedFields)
{
    const ParseCase &c = GetParam();
    LineState state;
    std::memset(&state, 0, sizeof state);
    state.BaudRate = 1234;  // what the text does not name survives
    state.ByteSize = 7;
    EXPECT_EQ(ParseModeText(c.text, state), c.accepted) << c.text;
    EXPECT_EQ(state.BaudRate, c.baud);
    EXPECT_EQ(state.Parity, c.parity);
    EXPECT_EQ(state.ByteSize, c.byteSize);
    EXPECT_EQ(state.StopBits, c.stopBits);
    EXPECT_EQ(state.fOutX, c.xon);
    EXPECT_EQ(state.fInX, c.xon);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ModeTextParse,
    ::testing::Values(
        ParseCase{"baud=9600 parity=n data=8 stop=1 xon=on", true, 9600, NOPARITY, 8, ONESTOPBIT, 1},
        ParseCase{"baud=9600 parity=o data=8 stop=1 xon=off", true, 9600, ODDPARITY, 8, ONESTOPBIT, 0},
        ParseCase{"baud=115200 parity=n data=8 stop=1 xon=off", true, 115200, NOPARITY, 8, ONESTOPBIT,
                  0},
        ParseCase{"baud=49664 parity=e data=7 stop=2", true, 49664, EVENPARITY, 7, TWOSTOPBITS, 0},
        ParseCase{"parity=o", true, 1234, ODDPARITY, 7, ONESTOPBIT, 0},
        ParseCase{"", true, 1234, NOPARITY, 7, ONESTOPBIT, 0},
        // A negative speed is no speed: refused, the speed kept.
        ParseCase{"baud=-5 parity=o", false, 1234, NOPARITY, 7, ONESTOPBIT, 0},
        // Nine digits are the most a speed may have.
        ParseCase{"baud=999999999 parity=o", true, 999999999, ODDPARITY, 7, ONESTOPBIT, 0},
        ParseCase{"baud=1000000000 parity=o", false, 1234, NOPARITY, 7, ONESTOPBIT, 0},
        ParseCase{"baud=96001 stop=1.5", true, 96001, NOPARITY, 7, ONE5STOPBITS, 0},
        ParseCase{"baud=9600 parity=x", false, 9600, NOPARITY, 7, ONESTOPBIT, 0},
        ParseCase{"baud=9600 data=9", false, 9600, NOPARITY, 7, ONESTOPBIT, 0},
        ParseCase{"baud=9600 xon=maybe", false, 9600, NOPARITY, 7, ONESTOPBIT, 0},
        ParseCase{"speed=9600", false, 1234, NOPARITY, 7, ONESTOPBIT, 0},
        ParseCase{"baud", false, 1234, NOPARITY, 7, ONESTOPBIT, 0}));

}  // namespace
