// One conversation of the campaign, all of it decided by its seed: a random
// export in a mode it runs in, random sizes and block sizes, random faults;
// run on a simulated line of its own in virtual time, then checked.
#ifndef TESSALINK_TESTS_CAMPAIGN_CONVERSATION_RUN_H
#define TESSALINK_TESTS_CAMPAIGN_CONVERSATION_RUN_H

#include <cstdint>
#include <string>

#include "fault_kinds.h"

class TempDir;

struct ConversationOutcome {
    std::string described;   // the export, mode, sizes and faults, for a report
    int result = 0;
    uint32_t elapsedMs = 0;  // virtual time the call took
    uint32_t boundMs = 0;    // what it may take at most
    FaultCounts injected{};
    bool success = false;
    bool exact = false;          // a success moved the data exactly
    bool checkable = true;       // every fault that reached the data was one the checks catch
    // The handheld's own fault, not the library's: it took a numbered block
    // with a number other than the next (sent again after its ACK was lost,
    // or its number damaged), or dropped a text stream midway while going on
    // acknowledging its blocks.
    bool handheldAtFault = false;
    std::string failure;         // empty: every invariant held
};

// The virtual time that a call may take: a fixed share for the conversation
// itself and, for each fault, the longest a fault can hold one exchange (the
// first attempt's six minutes with every later attempt's waits and overruns).
uint32_t VirtualTimeBound(unsigned faults);

// tellFirst: prints the plan before the call, so that a call that never
// returns is told too.
ConversationOutcome RunConversation(uint64_t seed, const TempDir &dir, bool tellFirst);

#endif
