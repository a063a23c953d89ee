#include "deadline.h"

#include "../platform/clock_order.h"
#include "../platform/platform.h"

namespace {

// How far the clock is past the end; negative before it.
int32_t PastEnd(uint32_t end)
{
    return MsPast(CurrentPlatform().TickCount(), end);
}

}  // namespace

CDeadline::CDeadline(uint32_t ms) : m_ms(ms), m_end(0)
{
    Restart();
}

void CDeadline::Restart()
{
    m_end = CurrentPlatform().TickCount() + m_ms;
}

bool CDeadline::Passed() const
{
    return m_ms != 0 && PastEnd(m_end) >= 0;
}

uint32_t CDeadline::RemainingMs() const
{
    const int32_t past = PastEnd(m_end);
    return past >= 0 ? 0 : static_cast<uint32_t>(-static_cast<int64_t>(past));
}

uint32_t CDeadline::WaitMs(uint32_t most) const
{
    if (m_ms == 0)
        return most;
    const uint32_t left = RemainingMs();
    return left < most ? left : most;
}
