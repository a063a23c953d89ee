#include "event_hub.h"

namespace ui {

void EventHub::Publish(const std::string &type, const std::string &data)
{
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_events.push_back({++m_last, type, data});
        if (m_events.size() > kKept)
            m_events.pop_front();
    }
    m_changed.notify_all();
}

std::vector<ServerEvent> EventHub::After(uint64_t after, std::chrono::milliseconds wait)
{
    std::unique_lock<std::mutex> hold(m_lock);
    m_changed.wait_for(hold, wait, [&] { return m_stopped || m_last > after; });
    std::vector<ServerEvent> events;
    if (m_stopped)
        return events;
    for (const ServerEvent &event : m_events)
        if (event.number > after)
            events.push_back(event);
    return events;
}

uint64_t EventHub::Last()
{
    const std::lock_guard<std::mutex> hold(m_lock);
    return m_last;
}

void EventHub::Stop()
{
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        m_stopped = true;
    }
    m_changed.notify_all();
}

bool EventHub::Stopped()
{
    const std::lock_guard<std::mutex> hold(m_lock);
    return m_stopped;
}

}  // namespace ui
