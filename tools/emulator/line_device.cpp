#include "line_device.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace emulator {

namespace {

struct Speed {
    unsigned baud;
    speed_t value;
};

const Speed kSpeeds[] = {{300, B300},       {600, B600},       {1200, B1200},
                         {2400, B2400},     {4800, B4800},     {9600, B9600},
                         {19200, B19200},   {38400, B38400},   {57600, B57600},
                         {115200, B115200}, {230400, B230400}};

bool MakeRaw(int fd)
{
    struct termios tio;
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

std::string SystemError(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

}  // namespace

LineDevice::LineDevice(int fd, bool pseudoTerminal, std::string peerPath)
    : m_fd(fd), m_pseudoTerminal(pseudoTerminal), m_peerPath(std::move(peerPath))
{
}

LineDevice::~LineDevice()
{
    ::close(m_fd);
}

bool LineDevice::IsSupportedSpeed(unsigned baud)
{
    for (const Speed &s : kSpeeds)
        if (s.baud == baud)
            return true;
    return false;
}

std::unique_ptr<LineDevice> LineDevice::CreatePseudoTerminal(std::string &error)
{
    int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = SystemError("cannot create a pseudo-terminal");
        return nullptr;
    }
    const char *name = nullptr;
    if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || (name = ::ptsname(fd)) == nullptr ||
        !MakeRaw(fd) || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) {
        error = SystemError("cannot set up the pseudo-terminal");
        ::close(fd);
        return nullptr;
    }
    std::string path = name;
    // The near end raw before the PC opens it (no echo, no line editing of
    // what the handheld sends), and opened and closed once: until then the
    // master would not see that no one has it open.
    int near = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (near < 0 || !MakeRaw(near)) {
        error = SystemError("cannot set up " + path);
        if (near >= 0)
            ::close(near);
        ::close(fd);
        return nullptr;
    }
    ::close(near);
    return std::unique_ptr<LineDevice>(new LineDevice(fd, true, path));
}

std::unique_ptr<LineDevice> LineDevice::OpenSerial(const std::string &path, unsigned baud,
                                                   std::string &error)
{
    speed_t speed = B0;
    for (const Speed &s : kSpeeds)
        if (s.baud == baud)
            speed = s.value;
    if (speed == B0) {
        error = "unsupported speed " + std::to_string(baud);
        return nullptr;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = SystemError("cannot open " + path);
        return nullptr;
    }
    struct termios tio;
    if (!MakeRaw(fd) || ::tcgetattr(fd, &tio) != 0 || ::cfsetispeed(&tio, speed) != 0 ||
        ::cfsetospeed(&tio, speed) != 0 || ::tcsetattr(fd, TCSANOW, &tio) != 0) {
        error = SystemError(path + " is not a usable serial device");
        ::close(fd);
        return nullptr;
    }
    ::tcflush(fd, TCIOFLUSH);
    std::unique_ptr<LineDevice> device(new LineDevice(fd, false, path));
    int bits = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &bits);
    device->m_modemLines = ::ioctl(fd, TIOCMGET, &bits) == 0;
    return device;
}

LineDevice::Presence LineDevice::PresenceNow(short revents) const
{
    if (m_pseudoTerminal) {
        if ((revents & POLLIN) != 0)
            return Presence::kUnknown;
        return (revents & POLLHUP) != 0 ? Presence::kClosed : Presence::kOpen;
    }
    int bits = 0;
    if (!m_modemLines || ::ioctl(m_fd, TIOCMGET, &bits) != 0)
        return Presence::kUnknown;
    return (bits & (TIOCM_DSR | TIOCM_CD)) != 0 ? Presence::kOpen : Presence::kClosed;
}

void LineDevice::DiscardUnread()
{
    if (!m_pseudoTerminal)
        return;
    int near = ::open(m_peerPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (near < 0)
        return;  // the PC has it open again, exclusively
    ::tcflush(near, TCIFLUSH);
    ::close(near);
}

void LineDevice::SetRts(bool on)
{
    if (m_pseudoTerminal)
        return;
    int bits = TIOCM_RTS;
    ::ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bits);
}

void LineDevice::SetOddParity(bool on)
{
    struct termios tio;
    if (m_pseudoTerminal || ::tcgetattr(m_fd, &tio) != 0)
        return;
    if (on)
        tio.c_cflag |= PARENB | PARODD;
    else
        tio.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
    ::tcsetattr(m_fd, TCSANOW, &tio);
}

}  // namespace emulator
