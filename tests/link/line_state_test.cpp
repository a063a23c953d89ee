// The line-state records that CComLine builds from its three settings records.
#include <gtest/gtest.h>

#include <cstring>

#include "link/com_line.h"

namespace {

struct Expected {
    uint32_t baud;
    uint8_t parity;
    unsigned xon;
    unsigned cts;
};

void ExpectRecord(const LineState &s, const Expected &e, int index)
{
    SCOPED_TRACE("record " + std::to_string(index));
    EXPECT_EQ(s.DCBlength, sizeof(LineState));
    EXPECT_EQ(s.BaudRate, e.baud);
    EXPECT_EQ(s.ByteSize, 8);
    EXPECT_EQ(s.StopBits, ONESTOPBIT);
    EXPECT_EQ(s.Parity, e.parity);
    EXPECT_EQ(s.fOutX, e.xon);
    EXPECT_EQ(s.fInX, e.xon);
    EXPECT_EQ(s.fOutxCtsFlow, e.cts);
    EXPECT_EQ(s.fBinary, 1u);
    EXPECT_EQ(s.fParity, 1u);
    EXPECT_EQ(s.fNull, 0u);
    EXPECT_EQ(s.XonChar, 0x11);
    EXPECT_EQ(s.XoffChar, 0x13);
    EXPECT_EQ(s.fRtsControl, static_cast<unsigned>(RTS_CONTROL_ENABLE));
    EXPECT_EQ(s.fDtrControl, static_cast<unsigned>(DTR_CONTROL_ENABLE));
}

TEST(LineStateRecords, DefaultsPerMode)
{
    CComLine line;
    const Expected expected[3] = {
        {9600, NOPARITY, 1, 1},
        {9600, ODDPARITY, 0, 0},
        {115200, NOPARITY, 0, 1},
    };
    for (int i = 0; i < 3; ++i)
        ExpectRecord(line.LineStateOf(i), expected[i], i);
    EXPECT_EQ(line.GetMode(), LinkMode::kNone);
}

TEST(LineStateRecords, SettersRebuildOnlyTheirRecord)
{
    CComLine line;
    LineState before0 = line.LineStateOf(0);
    LineState before1 = line.LineStateOf(1);
    EXPECT_EQ(line.SetBaud(2, 9600), 1);
    EXPECT_EQ(std::memcmp(&line.LineStateOf(0), &before0, sizeof before0), 0);
    EXPECT_EQ(std::memcmp(&line.LineStateOf(1), &before1, sizeof before1), 0);
    ExpectRecord(line.LineStateOf(2), {9600, NOPARITY, 0, 1}, 2);
}

TEST(LineStateRecords, XonSwitchKeepsCtsFlow)
{
    CComLine line;
    EXPECT_EQ(line.SetXon(0, 0), 1);
    ExpectRecord(line.LineStateOf(0), {9600, NOPARITY, 0, 1}, 0);
    EXPECT_EQ(line.SetXon(0, 1), 1);
    ExpectRecord(line.LineStateOf(0), {9600, NOPARITY, 1, 1}, 0);
}

TEST(LineStateRecords, RecordOneNeverGetsCtsFlow)
{
    CComLine line;
    line.SetBaud(1, 19200);
    line.SetXon(1, 1);
    ExpectRecord(line.LineStateOf(1), {19200, ODDPARITY, 1, 0}, 1);
}

TEST(LineStateRecords, IndexesOutsideZeroToTwoChangeNothing)
{
    CComLine line;
    for (int index : {-1, 3, 1000}) {
        EXPECT_EQ(line.SetMode(index), 0);
        EXPECT_EQ(line.SetPort(index, 5), 0);
        EXPECT_EQ(line.SetBaud(index, 5), 0);
        EXPECT_EQ(line.SetXon(index, 0), 0);
    }
    EXPECT_EQ(line.GetMode(), LinkMode::kNone);
    EXPECT_EQ(line.Setting(0).port, 1);
    EXPECT_EQ(line.Setting(2).baud, 115200);
}

}  // namespace
