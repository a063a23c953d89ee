// The POSIX platform: termios and ioctl on real serial devices and
// pseudo-terminals.
#include "platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "../include/tessalink.h"
#include "mode_text.h"
#include "posix_exact_speed.h"
#include "posix_file.h"
#include "posix_port_device.h"
#include "window_record.h"

namespace {

int Fd(PortHandle handle)
{
    return static_cast<int>(handle);
}

const struct { uint32_t baud; speed_t speed; } kSpeeds[] = {
    {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300},
    {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B921600
    {921600, B921600},
#endif
};

bool SpeedOf(uint32_t baud, speed_t *speed)
{
    for (const auto &s : kSpeeds)
        if (s.baud == baud) {
            *speed = s.speed;
            return true;
        }
    return false;
}

uint32_t BaudOf(speed_t speed)
{
    for (const auto &s : kSpeeds)
        if (s.speed == speed)
            return s.baud;
    return 0;
}

// What a read or write on a device that has gone fails with: a hung-up
// terminal gives EIO, a vanished adapter ENXIO or ENODEV.
bool IsLossError(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV;
}

uint32_t MonotonicMs()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

// Code page 932 to UTF-8; the bytes unchanged where the system cannot convert.
std::string ToUtf8(const char *text)
{
    std::string in(text);
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return in;
    std::string out(in.size() * 3 + 4, '\0');
    char *src = &in[0];
    size_t srcLeft = in.size();
    char *dst = &out[0];
    size_t dstLeft = out.size();
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1))
        return in;
    out.resize(out.size() - dstLeft);
    return out;
}

class PosixPlatform final : public Platform {
public:
    PortHandle OpenPort(int port) override
    {
        const std::string path = PortDevicePath(port);
        if (path.empty())
            return kInvalidPort;
        // Exclusive: the lock keeps out every other opener that plays by the
        // same rule, and TIOCEXCL keeps later openers out (but not root).
        const int fd = OpenPortDevice(path.c_str());
        if (fd < 0)
            return kInvalidPort;
        ::ioctl(fd, TIOCEXCL);
        m_gone.erase(fd);
        // The device is given back as it was found: a stale device variable
        // can name somebody's terminal, which must not stay raw at 115200.
        struct termios found;
        if (::tcgetattr(fd, &found) == 0)
            m_found[fd] = found;
        // A port opens with no input pending, as on Windows: bytes a previous
        // opener left unread belong to no conversation of ours. (Output is
        // left alone: on a pseudo-terminal it may still hold the last bytes of
        // the previous opener, not yet read at the far end.)
        ::tcflush(fd, TCIFLUSH);
        return fd;
    }

    bool IsCharDevice(PortHandle handle) override
    {
        return IsSerialDevice(Fd(handle));
    }

    void ClosePort(PortHandle handle) override
    {
        const auto found = m_found.find(Fd(handle));
        if (found != m_found.end()) {
            ::tcsetattr(Fd(handle), TCSANOW, &found->second);
            m_found.erase(found);
        }
        m_gone.erase(Fd(handle));
        ::ioctl(Fd(handle), TIOCNXCL);
        ::close(Fd(handle));
    }

    bool BuildLineState(const char *modeText, LineState &state) override
    {
        return ParseModeText(modeText, state);
    }

    int SetLineState(PortHandle handle, const LineState &state) override
    {
        struct termios tio;
        if (::tcgetattr(Fd(handle), &tio) != 0)
            return 0;
        // Everything the record says is applied even when part of it cannot
        // be: the line is raw whatever its speed, and the result tells of the
        // part that failed, as a rejected record does on Windows.
        bool whole = state.ByteSize >= 5 && state.ByteSize <= 8;
        // Raw bytes: no translation, no echo, no signals; NUL passed through.
        tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                              ICRNL | IXON | IXOFF | IXANY | INPCK | IGNPAR);
        tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
        tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
        static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
        tio.c_cflag |= (whole ? kSizes[state.ByteSize - 5] : CS8) | CREAD | CLOCAL;
        if (state.StopBits == TWOSTOPBITS)
            tio.c_cflag |= CSTOPB;
        if (state.Parity == ODDPARITY || state.Parity == EVENPARITY) {
            tio.c_cflag |= PARENB;
            if (state.Parity == ODDPARITY)
                tio.c_cflag |= PARODD;
        }
        // Parity checking follows the record whatever the parity: with parity
        // none it checks nothing, and it reads back as the record held it, so
        // a record read back, changed to odd parity and applied again (the
        // mode-1 switch) checks its parity.
        if (state.fParity)
            tio.c_iflag |= INPCK;
        if (state.fOutX)
            tio.c_iflag |= IXON;
        if (state.fInX)
            tio.c_iflag |= IXOFF;
        tio.c_cc[VSTART] = static_cast<cc_t>(state.XonChar);
        tio.c_cc[VSTOP] = static_cast<cc_t>(state.XoffChar);
        if (state.fOutxCtsFlow)
            tio.c_cflag |= CRTSCTS;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        // A speed of the fixed table goes in with the rest; any other is set
        // exactly afterwards where the system can. Speed 0 is none: on a
        // terminal it would mean hanging up.
        speed_t speed;
        bool tabled = SpeedOf(state.BaudRate, &speed);
        if (tabled) {
            cfsetispeed(&tio, speed);
            cfsetospeed(&tio, speed);
#ifdef CIBAUD
            // The input speed follows the output one; an exact input speed
            // set earlier would otherwise stay.
            tio.c_cflag &= ~static_cast<tcflag_t>(CIBAUD);
#endif
        }
        // (The C library reports a parity bit that did not stick, as on a
        // pseudo-terminal, as a failure; the rest is in force all the same.)
        if (::tcsetattr(Fd(handle), TCSANOW, &tio) != 0)
            whole = false;
        if (!tabled && (state.BaudRate == 0 || !SetExactSpeed(Fd(handle), state.BaudRate)))
            whole = false;
        return whole ? 1 : 0;
    }

    int GetLineState(PortHandle handle, LineState &state) override
    {
        struct termios tio;
        if (::tcgetattr(Fd(handle), &tio) != 0)
            return 0;
        std::memset(&state, 0, sizeof state);
        state.DCBlength = sizeof(LineState);
        if (!ReadExactSpeed(Fd(handle), &state.BaudRate))
            state.BaudRate = BaudOf(cfgetospeed(&tio));
        state.fBinary = 1;
        state.fParity = (tio.c_iflag & INPCK) != 0;
        state.fOutxCtsFlow = (tio.c_cflag & CRTSCTS) != 0;
        state.fOutX = (tio.c_iflag & IXON) != 0;
        state.fInX = (tio.c_iflag & IXOFF) != 0;
        state.fDtrControl = DTR_CONTROL_ENABLE;
        state.fRtsControl = RTS_CONTROL_ENABLE;
        switch (tio.c_cflag & CSIZE) {
        case CS5: state.ByteSize = 5; break;
        case CS6: state.ByteSize = 6; break;
        case CS7: state.ByteSize = 7; break;
        default: state.ByteSize = 8; break;
        }
        // Odd parity without PARENB: a device that carries no parity bit (a
        // pseudo-terminal drops PARENB) was given odd parity, and keeps the
        // rest of it; SetLineState never sets PARODD alone.
        if ((tio.c_cflag & PARODD) != 0)
            state.Parity = ODDPARITY;
        else
            state.Parity = (tio.c_cflag & PARENB) != 0 ? EVENPARITY : NOPARITY;
        state.StopBits = (tio.c_cflag & CSTOPB) != 0 ? TWOSTOPBITS : ONESTOPBIT;
        state.XonChar = static_cast<char>(tio.c_cc[VSTART]);
        state.XoffChar = static_cast<char>(tio.c_cc[VSTOP]);
        return 1;
    }

    void SetTimeouts(PortHandle) override
    {
        // Reads never wait (the descriptor is non-blocking) and WritePort
        // bounds itself; nothing to set on the device.
    }

    int ReadPort(PortHandle handle, void *buffer, uint32_t count, uint32_t *got) override
    {
        *got = 0;
        if (m_gone.count(Fd(handle)) != 0)
            return 0;
        if (count == 0)
            return 1;
        ssize_t n = ReadSome(handle, buffer, count);
        if (n == 0) {
            // A raw terminal reads nothing when nothing has arrived, and so
            // does one that has hung up. Only the second also reports the
            // hang-up, or input ready that then reads nothing.
            struct pollfd pfd = {Fd(handle), POLLIN, 0};
            if (::poll(&pfd, 1, 0) > 0) {
                if ((pfd.revents & kLost) == 0 && (pfd.revents & POLLIN) != 0)
                    n = ReadSome(handle, buffer, count);
                if ((pfd.revents & kLost) != 0 || n == 0) {
                    NoteGone(handle);
                    return 0;
                }
            }
        }
        if (n < 0)
            return 0;
        *got = static_cast<uint32_t>(n);
        return 1;
    }

    int WritePort(PortHandle handle, const void *data, uint32_t count, uint32_t *written) override
    {
        *written = 0;
        if (m_gone.count(Fd(handle)) != 0)
            return 0;
        const uint8_t *p = static_cast<const uint8_t *>(data);
        uint32_t start = MonotonicMs();
        while (*written < count) {
            ssize_t n = ::write(Fd(handle), p + *written, count - *written);
            if (n > 0) {
                *written += static_cast<uint32_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                if (IsLossError(errno))
                    NoteGone(handle);
                return 0;
            }
            uint32_t elapsed = MonotonicMs() - start;
            if (elapsed >= kWriteLimitMs)
                break;
            struct pollfd pfd = {Fd(handle), POLLOUT, 0};
            ::poll(&pfd, 1, static_cast<int>(kWriteLimitMs - elapsed));
        }
        return 1;
    }

    void WaitReadable(PortHandle handle, uint32_t ms) override
    {
        if (m_gone.count(Fd(handle)) != 0) {
            Sleep(ms);
            return;
        }
        struct pollfd pfd = {Fd(handle), POLLIN, 0};
        int rc = ::poll(&pfd, 1, static_cast<int>(ms));
        // A hung-up device (the far end of a pseudo-terminal closed, the
        // adapter gone) reports ready at once, with or without POLLIN, and
        // never has data; sleep instead so the wait stays a wait.
        if (rc > 0 && (pfd.revents & kLost) != 0)
            NoteGone(handle);
        if (rc > 0 && ((pfd.revents & POLLIN) == 0 || (pfd.revents & kLost) != 0))
            Sleep(ms);
    }

    bool DeviceGone(PortHandle handle) override
    {
        if (m_gone.count(Fd(handle)) != 0)
            return true;
        struct pollfd pfd = {Fd(handle), POLLIN, 0};
        if (::poll(&pfd, 1, 0) > 0 && (pfd.revents & kLost) != 0)
            NoteGone(handle);
        return m_gone.count(Fd(handle)) != 0;
    }

    int EscapeFunction(PortHandle handle, LineSignal signal) override
    {
        int bits = (signal == kSetDtr || signal == kClrDtr) ? TIOCM_DTR : TIOCM_RTS;
        unsigned long request = (signal == kSetDtr || signal == kSetRts) ? TIOCMBIS : TIOCMBIC;
        return ::ioctl(Fd(handle), request, &bits) == 0 ? 1 : 0;
    }

    int Purge(PortHandle handle, uint32_t flags) override
    {
        bool in = (flags & (kPurgeRxAbort | kPurgeRxClear)) != 0;
        bool out = (flags & (kPurgeTxAbort | kPurgeTxClear)) != 0;
        if (!in && !out)
            return 1;
        int queue = in && out ? TCIOFLUSH : (in ? TCIFLUSH : TCOFLUSH);
        return ::tcflush(Fd(handle), queue) == 0 ? 1 : 0;
    }

    int QueryStatus(PortHandle handle, bool *ctsHold) override
    {
        *ctsHold = false;
        int bits = 0;
        if (::ioctl(Fd(handle), TIOCMGET, &bits) != 0) {
            // A device without modem lines fails too, but it has not gone.
            if (IsLossError(errno))
                NoteGone(handle);
            return 0;
        }
        struct termios tio;
        if (::tcgetattr(Fd(handle), &tio) != 0)
            return 0;
        *ctsHold = (tio.c_cflag & CRTSCTS) != 0 && (bits & TIOCM_CTS) == 0;
        return 1;
    }

    std::unique_ptr<PlatformFile> OpenFile(const char *path, FileAccess access) override
    {
        return OpenPosixFile(path, access);
    }

    bool FileExists(const char *path) override { return PosixFileExists(path); }
    std::unique_ptr<PlatformFile> OpenAppendFile(const char *path) override
    {
        return OpenPosixAppendFile(path);
    }
    bool GetEnvironment(const char *name, std::string &value) override
    {
        const char *text = std::getenv(name);
        if (text == nullptr)
            return false;
        value = text;
        return true;
    }

    uint32_t TickCount() override { return MonotonicMs(); }

    void Sleep(uint32_t ms) override
    {
        struct timespec ts = {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
        while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
        }
    }

    intptr_t SendWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam) override
    {
        return CallWindowRecord(window, message, wParam, lParam);
    }

    void ShowMessage(const char *text) override
    {
        std::string line = ToUtf8(text) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }

private:
    static constexpr short kLost = POLLHUP | POLLERR | POLLNVAL;

    // One read: the count (0 when nothing has arrived), or -1 on failure,
    // noting a device that has gone.
    ssize_t ReadSome(PortHandle handle, void *buffer, uint32_t count)
    {
        for (;;) {
            ssize_t n = ::read(Fd(handle), buffer, count);
            if (n >= 0)
                return n;
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return 0;
            if (IsLossError(errno))
                NoteGone(handle);
            return -1;
        }
    }

    void NoteGone(PortHandle handle) { m_gone.insert(Fd(handle)); }

    // Open descriptors whose device has gone; a descriptor leaves when it is
    // closed (its number may come back for another device).
    std::set<int> m_gone;
    std::map<int, struct termios> m_found;  // the settings each open port had
};

}  // namespace

Platform &NativePlatform()
{
    static PosixPlatform platform;
    return platform;
}
