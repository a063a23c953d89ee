// Due times on the handheld's millisecond clock, which wraps: a time is
// reached once the clock is at it or past it, by less than half the clock's
// range.
#ifndef TESSALINK_HANDHELD_DUE_TIME_H
#define TESSALINK_HANDHELD_DUE_TIME_H

#include <cstdint>

#include "platform/clock_order.h"

namespace handheld {

inline bool Reached(uint32_t now, uint32_t due)
{
    return TimeReached(now, due);
}

// Milliseconds until the due time; 0 once it is reached.
inline uint32_t RemainingMs(uint32_t now, uint32_t due)
{
    return Reached(now, due) ? 0 : due - now;
}

}  // namespace handheld

#endif
