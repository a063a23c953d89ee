// Runs two programs on the two ends of one pseudo-terminal pair (standard
// input and output of the first on the master, of the second on the raw
// slave) and tells the time both took and the processor time of each:
//
//   pty_pair_run OUT -- MASTER-COMMAND... -- SLAVE-COMMAND...
//
// writes "wall master-cpu slave-cpu master-status slave-status" (seconds)
// into OUT. The benchmarks run ZMODEM's sz and rz so, beside the emulator,
// which sits on the master of a pair of its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "pty_ends.h"

namespace {

pid_t Start(char **command, int fd, int other)
{
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    ::close(other);
    ::dup2(fd, 0);
    ::dup2(fd, 1);
    ::close(fd);
    ::execvp(command[0], command);
    std::fprintf(stderr, "pty_pair_run: %s: %s\n", command[0], std::strerror(errno));
    _exit(127);
}

double Cpu(const struct rusage &usage)
{
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char **argv)
{
    int second = 0;
    for (int i = 3; i < argc; ++i)
        if (std::strcmp(argv[i], "--") == 0)
            second = i;
    if (argc < 6 || std::strcmp(argv[2], "--") != 0 || second <= 3 || second + 1 >= argc) {
        std::fprintf(stderr, "usage: pty_pair_run OUT -- MASTER-COMMAND... -- SLAVE-COMMAND...\n");
        return 2;
    }
    argv[second] = nullptr;
    int master = -1, slave = -1;
    if (!OpenRawPtyPair(&master, &slave)) {
        std::perror("pty_pair_run: pseudo-terminal");
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t onMaster = Start(argv + 3, master, slave);
    const pid_t onSlave = Start(argv + second + 1, slave, master);
    ::close(master);
    ::close(slave);
    int statusMaster = 0, statusSlave = 0;
    struct rusage usageMaster, usageSlave;
    ::wait4(onMaster, &statusMaster, 0, &usageMaster);
    ::wait4(onSlave, &statusSlave, 0, &usageSlave);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    FILE *f = std::fopen(argv[1], "w");
    if (f == nullptr)
        return 1;
    std::fprintf(f, "%.6f %.6f %.6f %d %d\n", wall, Cpu(usageMaster), Cpu(usageSlave),
                 statusMaster, statusSlave);
    std::fclose(f);
    return statusMaster == 0 && statusSlave == 0 ? 0 : 1;
}
