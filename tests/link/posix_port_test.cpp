// The port on a real pseudo-terminal through the POSIX platform: the termios
// each record turns into, bytes both ways, a cancel while waiting, exclusive
// use, and the messages on standard error.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "link/com_line.h"
#include "link/my_exception.h"
#include "platform/sim_window.h"
#include "support/pty_pair.h"
#include "tessalink.h"

namespace {

// Reaches the descriptor behind the open port, to read back its termios.
class InspectablePort : public CComLine {
public:
    int Descriptor() const { return static_cast<int>(m_handle); }
};

constexpr int kCom = 17;

class PosixPort : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallPlatform(nullptr);
        ASSERT_TRUE(pty.ok()) << "no pseudo-terminal available";
    }
    void TearDown() override { port.Close(0); }

    PtyPair pty{kCom};
    InspectablePort port;
};

TEST_F(PosixPort, EachRecordBecomesItsTermios)
{
    struct Case {
        int index;
        speed_t speed;
        bool oddParity;
        bool xon;
        bool cts;
    };
    const Case cases[] = {
        {0, B9600, false, true, true},
        {1, B9600, true, false, false},
        {2, B115200, false, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("record " + std::to_string(c.index));
        ASSERT_EQ(port.Open(kCom, &port.LineStateOf(c.index)), 1);
        struct termios tio;
        ASSERT_EQ(tcgetattr(port.Descriptor(), &tio), 0);
        EXPECT_EQ(cfgetospeed(&tio), c.speed);
        EXPECT_EQ(cfgetispeed(&tio), c.speed);
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
        // A pseudo-terminal clears PARENB whatever it is given; PARODD and
        // the input check stay as applied.
        EXPECT_EQ((tio.c_cflag & PARODD) != 0, c.oddParity);
        EXPECT_EQ((tio.c_iflag & INPCK) != 0, c.oddParity);
        EXPECT_EQ((tio.c_iflag & IXON) != 0, c.xon);
        EXPECT_EQ((tio.c_iflag & IXOFF) != 0, c.xon);
        EXPECT_EQ((tio.c_cflag & CRTSCTS) != 0, c.cts);
        EXPECT_EQ(tio.c_cc[VSTART], 0x11);
        EXPECT_EQ(tio.c_cc[VSTOP], 0x13);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | PARMRK | IGNBRK), 0u);
        EXPECT_EQ(tio.c_cc[VMIN], 0);
        EXPECT_EQ(tio.c_cc[VTIME], 0);
        port.Close(0);
    }
}

TEST_F(PosixPort, EveryByteValuePassesBothWays)
{
    ASSERT_EQ(port.Open(kCom, &port.LineStateOf(2)), 1);
    std::vector<unsigned char> all(256);
    for (int i = 0; i < 256; ++i)
        all[static_cast<size_t>(i)] = static_cast<unsigned char>(i);

    pty.Send(all);
    std::vector<unsigned char> got(256);
    EXPECT_EQ(port.Read(got.data(), 256, 2000), 256);
    EXPECT_EQ(got, all);

    EXPECT_EQ(port.Write(all.data(), 256), 1);
    EXPECT_EQ(pty.Receive(256, 2000), all);
}

TEST_F(PosixPort, WindowCancelsAWaitingRead)
{
    ASSERT_EQ(port.Open(kCom, &port.LineStateOf(2)), 1);
    SimWindow window;
    window.CancelAfterPolls(20);
    port.SetNotifyWindow(window.Handle());
    uint8_t b;
    try {
        port.Read(&b, 1, 0);
        FAIL() << "the read must be cancelled";
    } catch (const CMyException &e) {
        EXPECT_EQ(e.GetCode(), KIVO_CANCELLED);
    }
    EXPECT_EQ(window.Count(WM_LINK_POLL), 21u);
}

TEST_F(PosixPort, ThePortIsExclusive)
{
    ASSERT_EQ(port.Open(kCom, &port.LineStateOf(2)), 1);
    CComLine second;
    testing::internal::CaptureStderr();
    EXPECT_EQ(second.Open(kCom, &second.LineStateOf(2)), 0);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "COMポートがオープン出来ません!!\n");
    port.Close(0);
    EXPECT_EQ(second.Open(kCom, &second.LineStateOf(2)), 1);
    second.Close(0);
}

TEST(PosixPortMessages, AreShownOnStandardErrorInUtf8)
{
    InstallPlatform(nullptr);
    char plain[] = "/tmp/tessalink-plain-XXXXXX";
    int fd = mkstemp(plain);
    ASSERT_GE(fd, 0);
    close(fd);
    setenv("TESSALINK_COM31", plain, 1);
    unsetenv("TESSALINK_COM0");
    setenv("TESSALINK_COM32", "/nonexistent/tty", 1);
    struct Case {
        int com;
        const char *said;
    };
    const Case cases[] = {
        {0, "COMポートがオープン出来ません!!\n"},    // no device for COM0
        {32, "COMポートがオープン出来ません!!\n"},   // mapped to nothing
        {31, "指定されたCOMポートは異常です!!\n"},   // a plain file
    };
    for (const Case &c : cases) {
        CComLine port;
        testing::internal::CaptureStderr();
        EXPECT_EQ(port.Open(c.com, nullptr), 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.said) << "COM" << c.com;
        EXPECT_FALSE(port.IsOpen());
    }
    unsetenv("TESSALINK_COM31");
    unsetenv("TESSALINK_COM32");
    unlink(plain);
}

}  // namespace
