// The events the page follows (GET /api/events): each published event gets
// the next number, the last few are kept, and a reader waits for the ones
// after the last it had. A slow reader misses old progress, never the end.
#ifndef TESSALINK_UI_EVENT_HUB_H
#define TESSALINK_UI_EVENT_HUB_H

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace ui {

struct ServerEvent {
    uint64_t number = 0;
    std::string type;  // "state", "progress", "result"
    std::string data;  // JSON
};

class EventHub {
public:
    void Publish(const std::string &type, const std::string &data);

    // The kept events after number after, waiting up to wait for one; none
    // when the wait ended or the hub stopped.
    std::vector<ServerEvent> After(uint64_t after, std::chrono::milliseconds wait);

    // The number of the last event published.
    uint64_t Last();

    // Wakes every reader; After returns at once from now on.
    void Stop();
    bool Stopped();

private:
    static constexpr size_t kKept = 64;

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<ServerEvent> m_events;
    uint64_t m_last = 0;
    bool m_stopped = false;
};

}  // namespace ui

#endif
