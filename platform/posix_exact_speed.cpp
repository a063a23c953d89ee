// Kept apart from the rest of the POSIX platform: <asm/termbits.h> defines the
// same names as <termios.h> and the two cannot meet in one file.
#include "posix_exact_speed.h"

#if defined(__linux__)

#include <asm/termbits.h>
#include <sys/ioctl.h>

bool SetExactSpeed(int fd, uint32_t baud)
{
    struct termios2 tio;
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ospeed = baud;
    tio.c_ispeed = baud;
    if (::ioctl(fd, TCSETS2, &tio) != 0)
        return false;
    // A driver that cannot run at the speed puts in one it can (or its
    // default); that is a refusal too.
    uint32_t now = 0;
    return ReadExactSpeed(fd, &now) && now == baud;
}

bool ReadExactSpeed(int fd, uint32_t *baud)
{
    struct termios2 tio;
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    *baud = tio.c_ospeed;
    return true;
}

#else

bool SetExactSpeed(int, uint32_t)
{
    return false;
}

bool ReadExactSpeed(int, uint32_t *)
{
    return false;
}

#endif
