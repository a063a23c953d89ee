// The settings exports: their results, the 16-bit reading of their arguments,
// and which record each one changes.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "link/link_object.h"
#include "tessalink.h"

namespace {

class SettingsExports : public ::testing::Test {
protected:
    // g_link lives for the whole test program: put the records back.
    void TearDown() override
    {
        const int defaults[3][3] = {{1, 9600, 1}, {2, 9600, 0}, {2, 115200, 0}};
        for (uint16_t i = 0; i < 3; ++i) {
            KIVO_SetPort(i, static_cast<uint16_t>(defaults[i][0]));
            KIVO_SetBaudEx(i, defaults[i][1]);
            g_link.SetXon(i, defaults[i][2]);
        }
        KIVO_LinkSendBlockSize(256);
        KIVO_LinkRecvBlockSize(256);
    }

    static bool SameRecord(int index, const PortSetting &setting, const LineState &state)
    {
        return std::memcmp(&g_link.Setting(index), &setting, sizeof setting) == 0 &&
               std::memcmp(&g_link.LineStateOf(index), &state, sizeof state) == 0;
    }
};

TEST_F(SettingsExports, SetModeAcceptsOnlyZeroToTwo)
{
    struct Case {
        uint16_t mode;
        int32_t result;
        int modeAfter;
    };
    // Each row starts from the mode the row before left.
    const Case cases[] = {
        {1, 1, 1}, {3, 0, 1}, {0, 1, 0}, {65535, 0, 0}, {2, 1, 2}, {4, 0, 2}, {1, 1, 1},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(KIVO_SetMode(c.mode), c.result) << "mode " << c.mode;
        EXPECT_EQ(ModeIndex(g_link.GetMode()), c.modeAfter) << "mode " << c.mode;
    }
}

TEST_F(SettingsExports, EachSetterChangesOnlyItsRecord)
{
    struct Case {
        const char *name;
        int32_t (*apply)(uint16_t mode);
        int32_t expectedPort;  // -1: unchanged
        int32_t expectedBaud;  // -1: unchanged
    };
    const Case setters[] = {
        {"SetPort", [](uint16_t m) { return KIVO_SetPort(m, 7); }, 7, -1},
        {"SetBaud", [](uint16_t m) { return KIVO_SetBaud(m, 4800); }, -1, 4800},
        {"SetBaudEx", [](uint16_t m) { return KIVO_SetBaudEx(m, 230400); }, -1, 230400},
    };
    for (const Case &setter : setters) {
        for (uint16_t target : std::initializer_list<uint16_t>{0, 1, 2, 3, 65535}) {
            TearDown();
            PortSetting before[3];
            LineState beforeState[3];
            for (int i = 0; i < 3; ++i) {
                before[i] = g_link.Setting(i);
                beforeState[i] = g_link.LineStateOf(i);
            }
            const LinkMode modeBefore = g_link.GetMode();
            bool valid = target <= 2;
            EXPECT_EQ(setter.apply(target), valid ? 1 : 0) << setter.name << " " << target;
            EXPECT_EQ(g_link.GetMode(), modeBefore) << "a setter never selects a mode";
            for (int i = 0; i < 3; ++i) {
                if (i != target) {
                    EXPECT_TRUE(SameRecord(i, before[i], beforeState[i]))
                        << setter.name << "(" << target << ") touched record " << i;
                    continue;
                }
                const PortSetting &now = g_link.Setting(i);
                EXPECT_EQ(now.port, setter.expectedPort >= 0 ? setter.expectedPort : before[i].port);
                EXPECT_EQ(now.baud, setter.expectedBaud >= 0 ? setter.expectedBaud : before[i].baud);
                if (setter.expectedBaud >= 0)
                    EXPECT_EQ(g_link.LineStateOf(i).BaudRate,
                              static_cast<uint32_t>(setter.expectedBaud));
                else  // the port number does not rebuild the line state
                    EXPECT_EQ(std::memcmp(&g_link.LineStateOf(i), &beforeState[i],
                                          sizeof(LineState)), 0);
            }
        }
    }
}

TEST_F(SettingsExports, SixteenBitSpeedKeepsTheLowBits)
{
    EXPECT_EQ(KIVO_SetBaud(2, static_cast<uint16_t>(115200u)), 1);
    EXPECT_EQ(g_link.Setting(2).baud, 49664);
    EXPECT_EQ(g_link.LineStateOf(2).BaudRate, 49664u);
    EXPECT_EQ(KIVO_SetBaudEx(2, 115200), 1);
    EXPECT_EQ(g_link.Setting(2).baud, 115200);
    EXPECT_EQ(g_link.LineStateOf(2).BaudRate, 115200u);
}

TEST_F(SettingsExports, BlockSizesAreStoredWithTheirOddResults)
{
    EXPECT_EQ(KIVO_LinkSendBlockSize(512), 1);
    EXPECT_EQ(KIVO_LinkRecvBlockSize(512), 0);
    EXPECT_EQ(g_link.GetSendBlockSize(), 512);
    EXPECT_EQ(g_link.GetRecvBlockSize(), 512);
    EXPECT_TRUE(g_link.BlockSizesUsable());
}

TEST_F(SettingsExports, UnusableBlockSizesAreStoredButRefusedByTheOperations)
{
    struct Case {
        int32_t size;
        bool usable;
    };
    const Case cases[] = {{INT_MIN, false}, {-1, false}, {0, false},  {3, false},   {4, true},
                          {8192, true},     {8193, false}, {INT_MAX, false}, {256, true}};
    for (const Case &c : cases) {
        EXPECT_EQ(KIVO_LinkSendBlockSize(c.size), 1);
        EXPECT_EQ(g_link.GetSendBlockSize(), c.size);
        EXPECT_EQ(g_link.BlockSizesUsable(), c.usable) << "send " << c.size;
        KIVO_LinkSendBlockSize(256);
        EXPECT_EQ(KIVO_LinkRecvBlockSize(c.size), 0);
        EXPECT_EQ(g_link.GetRecvBlockSize(), c.size);
        EXPECT_EQ(g_link.BlockSizesUsable(), c.usable) << "recv " << c.size;
        KIVO_LinkRecvBlockSize(256);
    }
}

}  // namespace
