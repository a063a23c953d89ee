// CDeadline: a wait on the platform's millisecond clock that is started,
// checked, and asked how much of it is left.
//
// The one rule at the boundary: a wait of n ms has passed once the clock has
// advanced by n ms since it started. The clock wraps after 2^32 ms; the clock
// and the end are compared through their signed difference, so that a wait
// across the wrap ends on time. A wait of 0 ms is no limit: it never passes.
#ifndef TESSALINK_LINK_DEADLINE_H
#define TESSALINK_LINK_DEADLINE_H

#include <cstdint>

class CDeadline {
public:
    // Starts a wait of ms from now.
    explicit CDeadline(uint32_t ms);

    // Starts the same wait again from now.
    void Restart();
    bool Passed() const;
    // What is left of the wait: 0 once it has passed (and for a wait of 0).
    uint32_t RemainingMs() const;
    // How long to wait for something before looking at the wait again: at
    // most `most`, and no longer than what is left (`most` for no limit).
    uint32_t WaitMs(uint32_t most) const;

private:
    uint32_t m_ms;
    uint32_t m_end;
};

#endif
