// A pseudo-terminal pair for the benchmarks' own processes: both ends raw,
// blocking, 8-bit clean.
#ifndef TESSALINK_BENCH_PTY_ENDS_H
#define TESSALINK_BENCH_PTY_ENDS_H

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

// The master in *master, the slave (opened) in *slave; false on failure.
inline bool OpenRawPtyPair(int *master, int *slave)
{
    *master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (*master < 0 || ::grantpt(*master) != 0 || ::unlockpt(*master) != 0)
        return false;
    const char *name = ::ptsname(*master);
    *slave = name != nullptr ? ::open(name, O_RDWR | O_NOCTTY) : -1;
    if (*slave < 0)
        return false;
    struct termios tio;
    if (::tcgetattr(*slave, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(*slave, TCSANOW, &tio) == 0;
}

#endif
