// How much processor time a read costs while it waits on a silent line: opens
// a pseudo-terminal as a COM port, waits in a read with a time-out, and
// compares the process's CPU time with the time that passed.
//
//   idle_read_cpu [seconds]     (default 5)

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "cpu_seconds.h"
#include "link/com_line.h"
#include "support/pty_pair.h"

int main(int argc, char **argv)
{
    unsigned seconds = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 5;
    if (seconds == 0)
        seconds = 5;
    const int com = 40;
    PtyPair pty(com);
    if (!pty.ok()) {
        std::fprintf(stderr, "no pseudo-terminal available\n");
        return 1;
    }
    CComLine port;
    if (port.Open(com, &port.LineStateOf(2)) != 1)
        return 1;
    uint8_t byte;
    double cpuBefore = CpuSeconds();
    auto start = std::chrono::steady_clock::now();
    int got = port.Read(&byte, 1, seconds * 1000);
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double cpu = CpuSeconds() - cpuBefore;
    port.Close(0);
    std::printf("waiting read on a silent pseudo-terminal: %d bytes, %.3f s waited, %.3f s CPU, "
                "%.2f%% of one core\n", got, wall, cpu, 100.0 * cpu / wall);
    return 0;
}
