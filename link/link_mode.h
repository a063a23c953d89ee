// The link modes, by the numbers with which the caller selects them
// (KIVO_SetMode) and which index the per-mode settings records.
#ifndef TESSALINK_LINK_LINK_MODE_H
#define TESSALINK_LINK_LINK_MODE_H

#include <cstdint>

enum class LinkMode : int32_t {
    kNone = -1,  // none selected: no connection can be made
    // Raw bytes; the file transfers run with XON/XOFF switched off.
    kRaw = 0,
    // A probe and switch sequence open the line; bytes travel in numbered,
    // acknowledged data frames, without CTS flow control.
    kFramed = 1,
    // Raw bytes; a successful conversation ends when the handheld drops CTS,
    // and only this mode runs the put-file-2 transfers.
    kRawWithDrainWait = 2,
};

constexpr int kModeCount = 3;

// The index of a mode's settings record.
constexpr int ModeIndex(LinkMode mode)
{
    return static_cast<int>(mode);
}

#endif
