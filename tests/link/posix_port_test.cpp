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
#include "link_seams.h"
#include "link/my_exception.h"
#include "platform/sim_window.h"
#include "support/pty_pair.h"
#include "tessalink.h"

namespace {

// The descriptor behind the open port, to read back its termios.
int DescriptorOf(const ComLineSeam &port)
{
    return static_cast<int>(port.Handle());
}

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
    ComLineSeam port;
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
        ASSERT_EQ(tcgetattr(DescriptorOf(port), &tio), 0);
        EXPECT_EQ(cfgetospeed(&tio), c.speed);
        EXPECT_EQ(cfgetispeed(&tio), c.speed);
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
        // A pseudo-terminal clears PARENB whatever it is given; PARODD and
        // the input check stay as applied. Every record checks parity.
        EXPECT_EQ((tio.c_cflag & PARODD) != 0, c.oddParity);
        EXPECT_NE(tio.c_iflag & INPCK, 0u);
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

struct TermiosView {
    tcflag_t iflag, oflag, cflag, lflag;
    speed_t ispeed, ospeed;
    cc_t start, stop, min, time;
    bool operator==(const TermiosView &o) const
    {
        return iflag == o.iflag && oflag == o.oflag && cflag == o.cflag && lflag == o.lflag &&
               ispeed == o.ispeed && ospeed == o.ospeed && start == o.start && stop == o.stop &&
               min == o.min && time == o.time;
    }
};

TermiosView ViewOf(int fd)
{
    struct termios tio;
    EXPECT_EQ(tcgetattr(fd, &tio), 0);
    return {tio.c_iflag,      tio.c_oflag,      tio.c_cflag,       tio.c_lflag,
            cfgetispeed(&tio), cfgetospeed(&tio), tio.c_cc[VSTART], tio.c_cc[VSTOP],
            tio.c_cc[VMIN],    tio.c_cc[VTIME]};
}

TEST_F(PosixPort, ARecordReadBackAndAppliedAgainChangesNothing)
{
    for (int index = 0; index < 3; ++index) {
        SCOPED_TRACE("record " + std::to_string(index));
        const LineState &applied = port.LineStateOf(index);
        ASSERT_EQ(port.Open(kCom, &applied), 1);
        const TermiosView before = ViewOf(DescriptorOf(port));

        LineState back;
        ASSERT_EQ(port.GetLineState(back), 1);
        EXPECT_EQ(back.BaudRate, applied.BaudRate);
        EXPECT_EQ(back.fParity, applied.fParity);
        EXPECT_EQ(back.fOutxCtsFlow, applied.fOutxCtsFlow);
        EXPECT_EQ(back.fOutX, applied.fOutX);
        EXPECT_EQ(back.fInX, applied.fInX);
        EXPECT_EQ(back.ByteSize, applied.ByteSize);
        EXPECT_EQ(back.StopBits, applied.StopBits);
        EXPECT_EQ(back.XonChar, applied.XonChar);
        EXPECT_EQ(back.XoffChar, applied.XoffChar);
        EXPECT_EQ(back.Parity, applied.Parity);

        // (Applying record 1 may report a failure: a pseudo-terminal takes
        // no parity bit, and the C library says so. The rest is in force.)
        port.SetLineState(back);
        EXPECT_TRUE(ViewOf(DescriptorOf(port)) == before);
        port.Close(0);
    }
}

// The mode-1 switch: the probe runs with parity none, the switch reads the
// line back, makes it odd and applies it. Parity checking must survive.
TEST_F(PosixPort, TheModeOneSwitchKeepsParityChecking)
{
    LineState probe = port.LineStateOf(1);
    probe.Parity = NOPARITY;
    ASSERT_EQ(port.Open(kCom, &probe), 1);
    LineState current = port.LineStateOf(1);
    ASSERT_EQ(port.GetLineState(current), 1);
    current.Parity = ODDPARITY;
    port.SetLineState(current);

    struct termios tio;
    ASSERT_EQ(tcgetattr(DescriptorOf(port), &tio), 0);
    EXPECT_NE(tio.c_iflag & INPCK, 0u);
    EXPECT_NE(tio.c_cflag & PARODD, 0u);
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
    setenv("TESSALINK_COM33", "/dev/null", 1);
    struct Case {
        int com;
        const char *said;
    };
    const Case cases[] = {
        {0, "COMポートがオープン出来ません!!\n"},    // no device for COM0
        {32, "COMポートがオープン出来ません!!\n"},   // mapped to nothing
        {31, "指定されたCOMポートは異常です!!\n"},   // a plain file
        {33, "指定されたCOMポートは異常です!!\n"},   // a character device but no terminal
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
    unsetenv("TESSALINK_COM33");
    unlink(plain);
}

}  // namespace
