// The order of two readings of a millisecond clock that wraps after 2^32 ms:
// they are compared through their signed difference, so that a time is
// reached once the clock is at it or past it by less than half the clock's
// range, and a wait across the wrap ends on time. Every clock of the system
// (the platform's tick count, the simulated line's, the handheld's) is read
// so.
#ifndef TESSALINK_PLATFORM_CLOCK_ORDER_H
#define TESSALINK_PLATFORM_CLOCK_ORDER_H

#include <cstdint>

// How far now is past time; negative before it.
inline int32_t MsPast(uint32_t now, uint32_t time)
{
    return static_cast<int32_t>(now - time);
}

// Whether the clock, at now, has reached time.
inline bool TimeReached(uint32_t now, uint32_t time)
{
    return MsPast(now, time) >= 0;
}

#endif
