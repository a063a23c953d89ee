// Faults that the handheld's line side can be told to commit in mode 1, so
// that the PC's block exchange can be tested against each. The line side
// asks at fixed points whether one is due; each Take... uses it up.
#ifndef TESSALINK_HANDHELD_LINE_FAULTS_H
#define TESSALINK_HANDHELD_LINE_FAULTS_H

#include <algorithm>
#include <vector>

namespace handheld {

// What the handheld sends that a fault can turn into a CAN control frame.
enum class Outgoing { kEnq, kSyn, kAck, kNak, kData };

struct LineFaults {
    // Refuse (NAK) the next n data frames received, whatever they hold.
    unsigned refuseFrames = 0;
    // The next n data frames sent carry a wrong sum.
    unsigned corruptSums = 0;
    // The next time it would send one of these, it sends a CAN control
    // frame instead.
    std::vector<Outgoing> cancelInsteadOf;
    // Sends nothing at all while on.
    bool silent = false;

    bool TakeRefuseFrame() { return Take(refuseFrames); }
    bool TakeCorruptSum() { return Take(corruptSums); }
    bool TakeCancelInsteadOf(Outgoing what)
    {
        auto it = std::find(cancelInsteadOf.begin(), cancelInsteadOf.end(), what);
        if (it == cancelInsteadOf.end())
            return false;
        cancelInsteadOf.erase(it);
        return true;
    }

private:
    static bool Take(unsigned &count)
    {
        if (count == 0)
            return false;
        --count;
        return true;
    }
};

}  // namespace handheld

#endif
