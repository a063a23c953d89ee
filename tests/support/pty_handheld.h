// Runs the handheld's line side on the far end of a real pseudo-terminal, in a
// thread of its own and on real time, as the emulator does.
#ifndef TESSALINK_TESTS_PTY_HANDHELD_H
#define TESSALINK_TESTS_PTY_HANDHELD_H

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "handheld/line_side.h"

class PtyHandheld {
public:
    // Called on the handheld's thread for every unit it receives.
    using OnUnit = std::function<void(handheld::LineSide &, const handheld::Unit &)>;

    // Called on the handheld's thread after every input and on time, before
    // the units are taken: the place for the handheld's protocol side.
    using Pump = std::function<void(uint32_t now)>;

    PtyHandheld(int masterFd, handheld::LineSide &side, OnUnit onUnit, Pump pump = Pump());
    ~PtyHandheld();
    PtyHandheld(const PtyHandheld &) = delete;
    PtyHandheld &operator=(const PtyHandheld &) = delete;

    // Every unit received so far (copied under the lock).
    std::vector<handheld::Unit> Received();
    // Runs f while the handheld's thread stands still between two steps: the
    // way for the test to look at or change the handheld.
    void Locked(const std::function<void()> &f);

private:
    void Run();

    int m_fd;
    handheld::LineSide &m_side;
    OnUnit m_onUnit;
    Pump m_pump;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::vector<handheld::Unit> m_received;
    std::thread m_thread;
};

#endif
