// The bare round trip of a pseudo-terminal pair: one process writes one byte
// on the master, another reads it on the slave and writes one byte back, the
// first reads it; blocking reads, no library. Prints the median time of one
// round trip over several rounds, in microseconds.
//
//   pty_ping_pong [round trips per round]     (default 20000; 5 rounds)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "pty_ends.h"

namespace {

bool Exchange(int fd, bool first, long count)
{
    char byte = 'x';
    for (long i = 0; i < count; ++i) {
        if (first && ::write(fd, &byte, 1) != 1)
            return false;
        if (::read(fd, &byte, 1) != 1)
            return false;
        if (!first && ::write(fd, &byte, 1) != 1)
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    const long count = argc > 1 ? std::atol(argv[1]) : 20000;
    if (count <= 0)
        return 2;
    std::vector<double> perTrip;
    for (int round = 0; round < 5; ++round) {
        int master = -1, slave = -1;
        if (!OpenRawPtyPair(&master, &slave)) {
            std::perror("pty_ping_pong: pseudo-terminal");
            return 1;
        }
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(master);
            _exit(Exchange(slave, false, count) ? 0 : 1);
        }
        ::close(slave);
        const auto start = std::chrono::steady_clock::now();
        const bool ok = Exchange(master, true, count);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(master);
        if (!ok || status != 0)
            return 1;
        perTrip.push_back(seconds / static_cast<double>(count) * 1e6);
    }
    std::sort(perTrip.begin(), perTrip.end());
    std::printf("%.2f\n", perTrip[perTrip.size() / 2]);
    return 0;
}
