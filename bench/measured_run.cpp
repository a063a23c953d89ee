// Runs one command and tells the wall time and the processor time it took:
//
//   measured_run [--stop-after SECONDS] OUT -- COMMAND [ARGS...]
//
// writes "wall user system status" (seconds; the exit status, or 128 plus the
// signal) as one line into OUT when the command ends. SIGINT and SIGTERM are
// passed on to the command; with --stop-after it gets SIGINT after that long.
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

volatile sig_atomic_t g_child = 0;

void PassOn(int signal)
{
    if (g_child > 0)
        ::kill(g_child, signal);
}

double Seconds(const struct timeval &tv)
{
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char **argv)
{
    double stopAfter = 0;
    int at = 1;
    if (at + 1 < argc && std::strcmp(argv[at], "--stop-after") == 0) {
        stopAfter = std::atof(argv[at + 1]);
        at += 2;
    }
    if (at + 2 >= argc || std::strcmp(argv[at + 1], "--") != 0) {
        std::fprintf(stderr, "usage: measured_run [--stop-after SECONDS] OUT -- COMMAND [ARGS...]\n");
        return 2;
    }
    const char *out = argv[at];
    char **command = argv + at + 2;

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child < 0)
        return 1;
    if (child == 0) {
        ::execvp(command[0], command);
        std::fprintf(stderr, "measured_run: %s: %s\n", command[0], std::strerror(errno));
        _exit(127);
    }
    g_child = child;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = PassOn;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    if (stopAfter > 0) {
        action.sa_handler = [](int) { PassOn(SIGINT); };
        sigaction(SIGALRM, &action, nullptr);
        struct itimerval timer = {};
        timer.it_value.tv_sec = static_cast<time_t>(stopAfter);
        timer.it_value.tv_usec = static_cast<suseconds_t>((stopAfter - static_cast<double>(
                                                              timer.it_value.tv_sec)) * 1e6);
        setitimer(ITIMER_REAL, &timer, nullptr);
    }
    int status = 0;
    struct rusage usage;
    while (::wait4(child, &status, 0, &usage) < 0)
        if (errno != EINTR)
            return 1;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    FILE *f = std::fopen(out, "w");
    if (f == nullptr)
        return 1;
    std::fprintf(f, "%.6f %.6f %.6f %d\n", wall, Seconds(usage.ru_utime), Seconds(usage.ru_stime),
                 code);
    std::fclose(f);
    return code;
}
