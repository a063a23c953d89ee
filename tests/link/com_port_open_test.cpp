// Opening and closing the port on the simulated platform: the two messages,
// the record applied with RTS and DTR raised after it, exclusive use.
#include <gtest/gtest.h>

#include "link/com_line.h"
#include "link/my_exception.h"
#include "link/port_messages.h"
#include "support/sim_fixture.h"

namespace {

class PortOpen : public SimFixture {
protected:
    CComLine port;  // CComLine for its records; opening is CComPort's
};

TEST_F(PortOpen, OpensAppliesTheRecordThenRaisesRtsAndDtr)
{
    const LineState &record = port.LineStateOf(1);
    ASSERT_EQ(port.Open(kPort, &record), 1);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_NE(port.WorkBuffer(), nullptr);
    ASSERT_EQ(line.States().size(), 1u);
    EXPECT_EQ(line.States()[0].state.BaudRate, 9600u);
    EXPECT_EQ(line.States()[0].state.Parity, ODDPARITY);
    ASSERT_EQ(line.Signals().size(), 2u);
    EXPECT_TRUE(line.Signals()[0].rts);   // RTS first
    EXPECT_FALSE(line.Signals()[0].dtr);
    EXPECT_TRUE(line.Signals()[1].dtr);   // then DTR
    EXPECT_TRUE(sim.Messages().empty());

    EXPECT_EQ(port.Close(-7), -7);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(line.IsOpen());
    EXPECT_EQ(port.WorkBuffer(), nullptr);
    EXPECT_FALSE(line.Dtr());  // DTR dropped on close
}

TEST_F(PortOpen, WithoutARecordAppliesNothing)
{
    ASSERT_EQ(port.Open(kPort, nullptr), 1);
    EXPECT_TRUE(line.States().empty());
    EXPECT_TRUE(line.Signals().empty());
    port.Close(0);
}

TEST_F(PortOpen, FailuresShowTheirMessageAndLeaveThePortClosed)
{
    sim.AddPlainFile(5);
    struct Case {
        int port;
        const char *message;
    };
    const Case cases[] = {{9, kMsgCannotOpenPort}, {0, kMsgCannotOpenPort}, {5, kMsgPortAbnormal}};
    size_t shown = 0;
    for (const Case &c : cases) {
        EXPECT_EQ(port.Open(c.port, &port.LineStateOf(0)), 0) << "COM" << c.port;
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.WorkBuffer(), nullptr);
        ASSERT_EQ(sim.Messages().size(), ++shown);
        EXPECT_EQ(sim.Messages().back(), c.message) << "COM" << c.port;
    }
    // The device that was no serial device was closed again.
    EXPECT_NE(sim.OpenPort(5), kInvalidPort);
}

TEST_F(PortOpen, SecondOpenRaisesAndLeavesTheFirstUsable)
{
    ASSERT_EQ(port.Open(kPort, &port.LineStateOf(2)), 1);
    try {
        port.Open(kPort, &port.LineStateOf(2));
        FAIL() << "a second Open must raise";
    } catch (const CMyException &e) {
        EXPECT_EQ(e.GetCode(), -999);
        EXPECT_EQ(e.GetMessageText(), "");
    }
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.WriteByte(0x5A), 1);
    EXPECT_EQ(line.FromPcValues(), std::vector<uint8_t>{0x5A});
    EXPECT_EQ(line.OpenCount(), 1u);
    port.Close(0);
}

TEST_F(PortOpen, CloseWhenClosedReturnsItsArgument)
{
    for (int result : {0, -999, 999, 12345})
        EXPECT_EQ(port.Close(result), result);
    EXPECT_TRUE(line.Signals().empty());
}

TEST_F(PortOpen, LineStateCallsNeedAnOpenPort)
{
    LineState state = port.LineStateOf(0);
    EXPECT_EQ(port.SetLineState(state), 0);
    EXPECT_EQ(port.GetLineState(state), 0);
    ASSERT_EQ(port.Open(kPort, &port.LineStateOf(0)), 1);
    LineState current{};
    EXPECT_NE(port.GetLineState(current), 0);
    EXPECT_EQ(current.BaudRate, 9600u);
    EXPECT_EQ(current.fOutX, 1u);
    port.Close(0);
}

TEST_F(PortOpen, SettingsReachTheLineOnlyAtTheNextOpen)
{
    ASSERT_EQ(port.Open(kPort, &port.LineStateOf(2)), 1);
    size_t applied = line.States().size();
    port.SetBaud(2, 9600);
    EXPECT_EQ(line.States().size(), applied);
    port.Close(0);
    ASSERT_EQ(port.Open(kPort, &port.LineStateOf(2)), 1);
    EXPECT_EQ(line.States().back().state.BaudRate, 9600u);
    port.Close(0);
}

}  // namespace
