// The same connection and block exchange on a real pseudo-terminal, against
// the handheld's line side running in a thread on real time.
#include <gtest/gtest.h>

#include <vector>

#include "handheld/line_side.h"
#include "link/com_line.h"
#include "link_seams.h"
#include "support/pty_handheld.h"
#include "support/pty_pair.h"

namespace {

TEST(PtyBlockExchange, ConnectSendReceiveDisconnectInModeOne)
{
    InstallPlatform(nullptr);
    constexpr int kCom = 21;
    PtyPair pty(kCom);
    ASSERT_TRUE(pty.ok());

    std::vector<uint8_t> sent(1000);
    for (size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<uint8_t>(i * 13 + 1);
    const std::vector<uint8_t> reply = {'D', 'O', 'N', 'E'};

    handheld::LineSide side(LinkMode::kFramed);
    size_t bytesIn = 0;
    PtyHandheld handheldThread(pty.master(), side,
                               [&](handheld::LineSide &s, const handheld::Unit &unit) {
                                   bytesIn += unit.data.size();
                                   if (bytesIn == 1000)
                                       s.SendUnit(reply, 1);
                               });

    ComLineSeam port;
    port.SetMode(1);
    port.SetPort(1, kCom);
    ASSERT_EQ(port.Connect(), 1);
    port.NumberBlocksFrom(0xFFFF);
    port.Send(sent.data(), static_cast<unsigned>(sent.size()));
    port.ExpectBlocksFrom(1);
    uint8_t buffer[600];
    EXPECT_EQ(port.Receive(buffer, sizeof buffer, 0), 4);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 4), reply);
    EXPECT_EQ(port.Disconnect(0), 0);

    std::vector<uint8_t> arrived;
    for (const handheld::Unit &unit : handheldThread.Received())
        arrived.insert(arrived.end(), unit.data.begin(), unit.data.end());
    EXPECT_EQ(arrived, sent);
}

}  // namespace
