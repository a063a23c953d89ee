// The frame every link export follows around its operation: the entry and
// exit switches, the caller's file, the connection bracket, and the mapping of
// every failure to one integer result. No exception leaves it.
#ifndef TESSALINK_LINK_EXPORT_FRAME_H
#define TESSALINK_LINK_EXPORT_FRAME_H

#include <functional>

#include "../include/tessalink.h"
#include "caller_file.h"

enum class EntrySwitch {
    kNone,        // application text: the line as the mode's record says
    kModeZero,    // in mode 0, XON/XOFF off for the call
    kModeTwoGate  // only in mode 2, with a send block size of 4096 for the call
};

inline WindowHandle WindowOf(KIVO_HWND window)
{
    return reinterpret_cast<WindowHandle>(window);
}

// Connect, the operation, Disconnect. A failure of the caller's file becomes
// -500 and running out of memory -999, both after Disconnect.
int RunConnected(const std::function<int()> &operation);

// The whole frame of an export with one caller's file.
int RunWithFile(EntrySwitch entry, const char *path, FileAccess access,
                const std::function<int(CCallerFile &)> &operation);

// The frame of an export without a caller's file (or with several, which the
// operation opens itself).
int RunWithoutFile(EntrySwitch entry, const std::function<int()> &operation);

#endif
