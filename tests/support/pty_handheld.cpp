#include "pty_handheld.h"

#include <chrono>
#include <poll.h>
#include <unistd.h>

#include "handheld/due_time.h"

namespace {

uint32_t NowMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

PtyHandheld::PtyHandheld(int masterFd, handheld::LineSide &side, OnUnit onUnit, Pump pump)
    : m_fd(masterFd),
      m_side(side),
      m_onUnit(std::move(onUnit)),
      m_pump(std::move(pump)),
      m_thread(&PtyHandheld::Run, this)
{
}

PtyHandheld::~PtyHandheld()
{
    m_stop = true;
    m_thread.join();
}

void PtyHandheld::Locked(const std::function<void()> &f)
{
    std::lock_guard<std::mutex> guard(m_lock);
    f();
}

std::vector<handheld::Unit> PtyHandheld::Received()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_received;
}

void PtyHandheld::Run()
{
    std::vector<handheld::Transmission> pending;
    while (!m_stop) {
        struct pollfd pfd = {m_fd, POLLIN, 0};
        int ready = poll(&pfd, 1, 1);
        uint32_t now = NowMs();
        std::lock_guard<std::mutex> guard(m_lock);
        if (ready > 0 && (pfd.revents & POLLIN) != 0) {
            uint8_t buffer[1024];
            ssize_t n = read(m_fd, buffer, sizeof buffer);
            if (n > 0)
                m_side.OnBytes(now, buffer, static_cast<size_t>(n));
        } else if (ready > 0) {
            // The near end is closed (hang-up): nothing to read for now.
            usleep(1000);
        }
        m_side.OnTime(now);
        if (m_pump)
            m_pump(now);
        // A pseudo-terminal has no modem lines for CTS to change; the test
        // looks at the handheld itself.
        while (m_side.NextEvent()) {
        }
        for (handheld::Unit &unit : m_side.TakeReceived()) {
            if (m_onUnit)
                m_onUnit(m_side, unit);
            m_received.push_back(std::move(unit));
        }
        for (handheld::Transmission &t : m_side.TakeOutput())
            pending.push_back(std::move(t));
        for (auto it = pending.begin(); it != pending.end();) {
            if (!handheld::Reached(now, it->due)) {
                ++it;
                continue;
            }
            size_t done = 0;
            while (done < it->bytes.size()) {
                ssize_t w = write(m_fd, it->bytes.data() + done, it->bytes.size() - done);
                if (w <= 0)
                    break;
                done += static_cast<size_t>(w);
            }
            it = pending.erase(it);
        }
    }
}
