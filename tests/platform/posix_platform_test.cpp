// The POSIX platform on real pseudo-terminals: speeds beyond the fixed table,
// the raw line whatever the speed, devices that are no terminal, and a device
// that goes away under an open port.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <string>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "platform/platform.h"
#include "termios2_speed.h"

namespace {

constexpr int kCom = 41;

// A pseudo-terminal whose near end "COM41" names; the test holds the far end
// and may close it, as a vanished handheld does.
class Pty : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallPlatform(nullptr);
        far = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(far, 0);
        ASSERT_EQ(grantpt(far), 0);
        ASSERT_EQ(unlockpt(far), 0);
        setenv("TESSALINK_COM41", ptsname(far), 1);
        near = platform().OpenPort(kCom);
        ASSERT_NE(near, kInvalidPort);
        ASSERT_TRUE(platform().BuildLineState("baud=9600 parity=n data=8 stop=1 xon=off", record));
        record.fParity = 1;
        ASSERT_EQ(platform().SetLineState(near, record), 1);  // raw, as every port runs
    }
    void TearDown() override
    {
        if (near != kInvalidPort)
            platform().ClosePort(near);
        CloseFarEnd();
        unsetenv("TESSALINK_COM41");
    }
    void CloseFarEnd()
    {
        if (far >= 0)
            close(far);
        far = -1;
    }
    static Platform &platform() { return NativePlatform(); }
    int NearFd() const { return static_cast<int>(near); }

    int far = -1;
    PortHandle near = kInvalidPort;
    LineState record = {};
};

TEST_F(Pty, AnySpeedAWindowsPortTakesIsSetExactly)
{
    const uint32_t speeds[] = {14400, 56000, 128000, 250000, 49664, 9600, 115200, 1200};
    for (uint32_t speed : speeds) {
        SCOPED_TRACE(speed);
        record.BaudRate = speed;
        EXPECT_EQ(platform().SetLineState(near, record), 1);
        DeviceSpeeds held = ReadDeviceSpeeds(NearFd());
        ASSERT_TRUE(held.ok);
        EXPECT_EQ(held.output, speed);
        EXPECT_EQ(held.input, speed);
        LineState back = {};
        ASSERT_EQ(platform().GetLineState(near, back), 1);
        EXPECT_EQ(back.BaudRate, speed);
    }
}

// Speed 0 is no speed (to a terminal it means hang up): refused, as Windows
// refuses it, yet the line is raw with every other setting of the record.
TEST_F(Pty, ARefusedSpeedStillLeavesTheLineRaw)
{
    struct termios cooked;
    ASSERT_EQ(tcgetattr(NearFd(), &cooked), 0);
    cooked.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    cooked.c_iflag |= ICRNL | IXON;
    cooked.c_oflag |= OPOST;
    cfsetospeed(&cooked, B4800);
    cfsetispeed(&cooked, B4800);
    ASSERT_EQ(tcsetattr(NearFd(), TCSANOW, &cooked), 0);

    record.BaudRate = 0;
    record.fOutX = 0;
    record.fInX = 1;
    EXPECT_EQ(platform().SetLineState(near, record), 0);

    struct termios tio;
    ASSERT_EQ(tcgetattr(NearFd(), &tio), 0);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON), 0u);
    EXPECT_NE(tio.c_iflag & (IXOFF | INPCK), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B4800));  // the speed is left alone
}

TEST(PosixDevices, OnlyATerminalIsASerialDevice)
{
    InstallPlatform(nullptr);
    Platform &platform = NativePlatform();
    char plain[] = "/tmp/tessalink-plain-XXXXXX";
    int fd = mkstemp(plain);
    ASSERT_GE(fd, 0);
    close(fd);
    struct Case {
        const char *path;
        bool serial;
    };
    const Case cases[] = {{"/dev/null", false}, {"/dev/zero", false}, {plain, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        setenv("TESSALINK_COM42", c.path, 1);
        PortHandle h = platform.OpenPort(42);
        ASSERT_NE(h, kInvalidPort);
        EXPECT_EQ(platform.IsCharDevice(h), c.serial);
        platform.ClosePort(h);
    }
    unsetenv("TESSALINK_COM42");
    unlink(plain);
}

// A raw line reads 0 bytes when nothing has come, just as a hung-up one does.
TEST_F(Pty, ALiveButSilentDeviceHasNotGone)
{
    uint8_t b;
    uint32_t got = 1;
    EXPECT_EQ(platform().ReadPort(near, &b, 1, &got), 1);
    EXPECT_EQ(got, 0u);
    platform().WaitReadable(near, 1);
    bool held = false;
    platform().QueryStatus(near, &held);  // no modem lines: fails, but nothing has gone
    EXPECT_FALSE(platform().DeviceGone(near));
    ASSERT_EQ(write(far, "z", 1), 1);
    platform().WaitReadable(near, 1000);
    EXPECT_EQ(platform().ReadPort(near, &b, 1, &got), 1);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(b, 'z');
}

TEST_F(Pty, AHungUpDeviceHasGoneAndEveryCallSaysSo)
{
    CloseFarEnd();
    EXPECT_TRUE(platform().DeviceGone(near));
    uint8_t b;
    uint32_t got = 1;
    EXPECT_EQ(platform().ReadPort(near, &b, 1, &got), 0);
    EXPECT_EQ(got, 0u);
    uint32_t written = 1;
    EXPECT_EQ(platform().WritePort(near, "x", 1, &written), 0);
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(platform().DeviceGone(near));
}

// Each way of learning of the loss, on a fresh port: the read that reads
// nothing, the write that fails, the readiness wait that sees the hang-up.
TEST_F(Pty, TheLossIsSeenByWhicheverCallMeetsItFirst)
{
    enum Way { kRead, kWrite, kWait };
    for (Way way : {kRead, kWrite, kWait}) {
        SCOPED_TRACE(way);
        if (far < 0) {
            platform().ClosePort(near);
            SetUp();
        }
        CloseFarEnd();
        uint8_t b;
        uint32_t n = 0;
        if (way == kRead)
            EXPECT_EQ(platform().ReadPort(near, &b, 1, &n), 0);
        else if (way == kWrite)
            EXPECT_EQ(platform().WritePort(near, "x", 1, &n), 0);
        else
            platform().WaitReadable(near, 1);
        EXPECT_TRUE(platform().DeviceGone(near));
    }
}

// A hung-up terminal reports itself readable at once, for ever; the wait
// must still wait its interval, or a waiting reader spins.
TEST_F(Pty, TheReadinessWaitStillWaitsOnAHungUpDevice)
{
    CloseFarEnd();
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (int i = 0; i < 20; ++i)
        platform().WaitReadable(near, 5);
    clock_gettime(CLOCK_MONOTONIC, &end);
    const long ms = (end.tv_sec - start.tv_sec) * 1000L + (end.tv_nsec - start.tv_nsec) / 1000000L;
    EXPECT_GE(ms, 100);
}

TEST_F(Pty, ANewOpenOfTheSameDescriptorStartsAfresh)
{
    CloseFarEnd();
    ASSERT_TRUE(platform().DeviceGone(near));
    platform().ClosePort(near);
    near = kInvalidPort;
    SetUp();
    EXPECT_FALSE(platform().DeviceGone(near));
}

}  // namespace

namespace {

// A device variable left over from an earlier session can name somebody's
// terminal; the port gives it back with the settings it had when opened.
TEST(PosixDevices, APortIsGivenBackWithTheSettingsItHadWhenOpened)
{
    InstallPlatform(nullptr);
    const int far = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(far, 0);
    ASSERT_EQ(grantpt(far), 0);
    ASSERT_EQ(unlockpt(far), 0);
    struct termios before;
    ASSERT_EQ(tcgetattr(far, &before), 0);
    ASSERT_NE(before.c_lflag & ISIG, 0u);  // a fresh terminal: signals, output processing
    setenv("TESSALINK_COM43", ptsname(far), 1);
    Platform &platform = NativePlatform();
    const PortHandle port = platform.OpenPort(43);
    ASSERT_NE(port, kInvalidPort);
    LineState state = {};
    ASSERT_TRUE(platform.BuildLineState("baud=115200 parity=n data=8 stop=1 xon=off", state));
    state.fOutxCtsFlow = 1;
    ASSERT_EQ(platform.SetLineState(port, state), 1);
    struct termios during;
    ASSERT_EQ(tcgetattr(far, &during), 0);
    EXPECT_EQ(during.c_lflag & ISIG, 0u);  // the port runs raw meanwhile
    platform.ClosePort(port);
    struct termios after;
    ASSERT_EQ(tcgetattr(far, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    unsetenv("TESSALINK_COM43");
    close(far);
}

}  // namespace
