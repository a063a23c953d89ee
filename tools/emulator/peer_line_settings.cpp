#include "peer_line_settings.h"

// The kernel's own termios2 carries any speed exactly (termios.h would
// clash with it).
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace emulator {

namespace {

unsigned SpeedOfCode(unsigned code)
{
    static const struct {
        unsigned code;
        unsigned baud;
    } speeds[] = {{B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},       {B150, 150},
                  {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
                  {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
                  {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};
    for (const auto &speed : speeds)
        if (speed.code == code)
            return speed.baud;
    return 0;
}

}  // namespace

bool ReadPeerLineSettings(int fd, PeerLineSettings &settings)
{
    struct termios2 tio = {};
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    const unsigned code = tio.c_cflag & CBAUD;
    settings.baud = code == BOTHER ? tio.c_ospeed : SpeedOfCode(code);
    settings.parity = (tio.c_cflag & PARENB) != 0;
    settings.oddParity = settings.parity && (tio.c_cflag & PARODD) != 0;
    return true;
}

std::string Describe(const PeerLineSettings &settings)
{
    return std::to_string(settings.baud) + " bit/s, " +
           (settings.parity ? (settings.oddParity ? "odd parity" : "even parity") : "no parity");
}

}  // namespace emulator
