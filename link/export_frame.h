// The frame every link export follows around its operation: the entry and
// exit switches, the caller's file, the connection bracket, and the mapping of
// every failure to one integer result. No exception leaves it.
//
// The frame takes the operation as it is, by reference: nothing is built to
// pass it, so nothing can fail before the frame is there to catch it.
#ifndef TESSALINK_LINK_EXPORT_FRAME_H
#define TESSALINK_LINK_EXPORT_FRAME_H

#include <new>

#include "../include/tessalink.h"
#include "caller_file.h"
#include "link_file.h"
#include "link_object.h"
#include "my_exception.h"

enum class EntrySwitch {
    kNone,        // application text: the line as the mode's record says
    kModeZero,    // in mode 0, XON/XOFF off for the call
    kModeTwoGate  // only in mode 2, with a send block size of 4096 for the call
};

inline WindowHandle WindowOf(KIVO_HWND window)
{
    return reinterpret_cast<WindowHandle>(window);
}

// The caller's file of an export: opened by the frame before the connection,
// closed after it.
struct CallerFileToOpen {
    const char *path;
    FileAccess access;
};

// The entry switch; false when the mode-2 gate stays shut, and then nothing
// is opened or changed.
bool EnterFrame(EntrySwitch entry) noexcept;
// The exit switch, on every path that passed the entry switch.
void LeaveFrame(EntrySwitch entry) noexcept;
// The packet operations refuse unusable block sizes before any byte goes out,
// the connection's probe included.
bool BlockSizesAllowRun(EntrySwitch entry) noexcept;

// The frame's one way out: runs step and gives its result, or the result
// that stands for what it raised: a CMyException's code, -500 for a failure
// of the caller's file, -999 for want of memory. Anything else would be a
// fault of the library, and is not passed off as a result.
template <typename Step>
int FrameResultOf(Step &&step) noexcept
{
    try {
        return step();
    } catch (const CMyException &e) {
        return e.GetCode();
    } catch (const CFileError &) {
        return KIVO_ERR_FILE;
    } catch (const std::bad_alloc &) {
        return KIVO_ERR_NO_CONNECTION;
    }
}

// Connect, the operation, Disconnect. A port already open is refused with
// -999 and left as it is; running out of memory while connecting opens
// nothing. The operation's failures reach Disconnect as its result.
template <typename Operation>
int RunConnected(Operation &&operation) noexcept
{
    const int connected =
        FrameResultOf([] { return g_link.Connect() == 1 ? 0 : KIVO_ERR_NO_CONNECTION; });
    if (connected != 0)
        return connected;
    return g_link.Disconnect(FrameResultOf(operation));
}

// The whole frame around body, which opens what it needs and runs the
// connection.
template <typename Body>
int RunFrame(EntrySwitch entry, Body &&body) noexcept
{
    if (!EnterFrame(entry))
        return KIVO_ERR_NO_CONNECTION;
    const int result = BlockSizesAllowRun(entry) ? FrameResultOf(body) : KIVO_ERR_NO_CONNECTION;
    LeaveFrame(entry);
    return result;
}

// An export without a caller's file (or with several, which the operation
// opens itself).
template <typename Operation>
int RunExport(EntrySwitch entry, Operation &&operation) noexcept
{
    return RunFrame(entry, [&] { return RunConnected(operation); });
}

// An export with one caller's file, handed to the operation; -500 when it
// cannot be opened, and then no port is opened.
template <typename Operation>
int RunExport(EntrySwitch entry, CallerFileToOpen file, Operation &&operation) noexcept
{
    return RunFrame(entry, [&] {
        CCallerFile opened(file.path, file.access);
        if (!opened.IsOpen())
            return KIVO_ERR_FILE;
        return RunConnected([&] { return operation(opened); });
    });
}

#endif
