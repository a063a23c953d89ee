// The frame every link export follows around its operation: the caller's
// window for the length of the call, the entry and exit switches, the caller's
// file, the connection bracket, and the mapping of every failure to one
// integer result. No exception leaves it.
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

// What the frame knows of an export's call before it runs it.
struct ExportCall {
    const char *name;  // the export's, for the trace
    EntrySwitch entry;
    KIVO_HWND window;
    // The result that refuses the call before anything is opened or changed
    // (an argument the export cannot run without); 0 lets it run.
    int32_t refusal = 0;
};

// Holds the caller's window in g_link for the length of one export and no
// longer: the window is the caller's, and the library keeps no pointer of the
// caller's beyond a call.
class CallerWindowHeld {
public:
    explicit CallerWindowHeld(KIVO_HWND window) noexcept
    {
        g_link.SetNotifyWindow(WindowOf(window));
    }
    ~CallerWindowHeld() { g_link.SetNotifyWindow(nullptr); }
    CallerWindowHeld(const CallerWindowHeld &) = delete;
    CallerWindowHeld &operator=(const CallerWindowHeld &) = delete;
};

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

// The frame's switches, its refusals and the result of body.
template <typename Body>
int RunFrameSwitched(const ExportCall &call, Body &&body) noexcept
{
    const CallerWindowHeld window(call.window);
    if (call.refusal != 0)
        return call.refusal;
    if (!EnterFrame(call.entry))
        return KIVO_ERR_NO_CONNECTION;
    const int result =
        BlockSizesAllowRun(call.entry) ? FrameResultOf(body) : KIVO_ERR_NO_CONNECTION;
    LeaveFrame(call.entry);
    return result;
}

// The whole frame around body, which opens what it needs and runs the
// connection, traced from start to result when the caller's environment asks
// for it (read afresh at every call). Every way out of an export passes here.
template <typename Body>
int RunFrame(const ExportCall &call, Body &&body) noexcept
{
    g_link.BeginTrace(call.name);
    const int result = RunFrameSwitched(call, body);
    g_link.EndTrace(result);
    return result;
}

// An export without a caller's file (or with several, which the operation
// opens itself).
template <typename Operation>
int RunExport(const ExportCall &call, Operation &&operation) noexcept
{
    return RunFrame(call, [&] { return RunConnected(operation); });
}

// An export with one caller's file, handed to the operation; -500 when it
// cannot be opened, and then no port is opened.
template <typename Operation>
int RunExport(const ExportCall &call, CallerFileToOpen file, Operation &&operation) noexcept
{
    return RunFrame(call, [&] {
        CCallerFile opened(file.path, file.access);
        if (!opened.IsOpen())
            return KIVO_ERR_FILE;
        return RunConnected([&] { return operation(opened); });
    });
}

#endif
