// The cost of waiting: receives the application text (KIVO_AppTextRecv) from
// a handheld that sends none, with a window that answers every poll with "go
// on" until the given time has passed and then with "cancel". Prints the
// result, the processor time of the wait as a percentage of one core, and the
// time from the cancel answer to the export's return in milliseconds:
//
//   text_wait_cost MODE COM CANCEL-AFTER-MS OUTPUT-FILE
//
// With CANCEL-AFTER-MS 0 the window never cancels (stop the program from
// outside, e.g. with measured_run --stop-after).

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "cpu_seconds.h"

#include "tessalink.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Watch {
    Clock::time_point start;
    long cancelAfterMs;
    bool cancelled;
    Clock::time_point cancelAt;
};

intptr_t OnMessage(void *context, uint32_t message, uintptr_t, intptr_t)
{
    Watch &watch = *static_cast<Watch *>(context);
    if (message != WM_LINK_POLL || watch.cancelAfterMs == 0)
        return 0;
    if (!watch.cancelled && Clock::now() - watch.start >=
                                std::chrono::milliseconds(watch.cancelAfterMs)) {
        watch.cancelled = true;
        watch.cancelAt = Clock::now();
    }
    return watch.cancelled ? 1 : 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: text_wait_cost MODE COM CANCEL-AFTER-MS OUTPUT-FILE\n");
        return 2;
    }
    const uint16_t mode = static_cast<uint16_t>(std::atoi(argv[1]));
    KIVO_SetMode(mode);
    KIVO_SetPort(mode, static_cast<uint16_t>(std::atoi(argv[2])));
    Watch watch = {Clock::now(), std::atol(argv[3]), false, {}};
    KIVO_WINDOW window = {OnMessage, &watch};
    const double cpuBefore = CpuSeconds();
    const int32_t result = KIVO_AppTextRecv(argv[4], &window);
    const auto end = Clock::now();
    const double cpu = CpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(end - watch.start).count();
    const double cancelMs =
        watch.cancelled ? std::chrono::duration<double, std::milli>(end - watch.cancelAt).count()
                        : -1.0;
    std::printf("%d %.3f %.3f\n", result, 100.0 * cpu / wall, cancelMs);
    return 0;
}
