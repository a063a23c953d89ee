// The platform seam: everything the link logic needs from the operating
// system, and nothing more. The library reaches the system only through the
// Platform in force: the native one (Windows or POSIX) unless a test installs
// another, such as the simulated platform.
#ifndef TESSALINK_PLATFORM_PLATFORM_H
#define TESSALINK_PLATFORM_PLATFORM_H

#include <cstdint>
#include <memory>
#include <string>

#include "line_state.h"

// An open serial device; kInvalidPort (all bits set) while none is open.
typedef intptr_t PortHandle;
constexpr PortHandle kInvalidPort = -1;

// One platform write call returns within this long, written or not.
constexpr uint32_t kWriteLimitMs = 1000;

// The caller's window, as the public header's KIVO_HWND; null means none.
typedef void *WindowHandle;

// A file of the caller's, open for reading or for writing, used by no other
// opener while it is open. Closed when destroyed.
class PlatformFile {
public:
    virtual ~PlatformFile() = default;
    // Reads up to count bytes; the number read (0 at the end), or -1 on failure.
    virtual long Read(void *buffer, size_t count) = 0;
    // Writes all bytes; false on failure.
    virtual bool Write(const void *data, size_t count) = 0;
    // The file's size in bytes, or -1 on failure.
    virtual int64_t Size() = 0;
};

enum class FileAccess {
    kRead,   // must exist
    kWrite,  // created, or emptied if it exists
};

class Platform {
public:
    virtual ~Platform() = default;

    // Opens the serial device "COM<port>" for reading and writing, shared with
    // no other opener. kInvalidPort if it cannot be opened.
    virtual PortHandle OpenPort(int port) = 0;
    // True if the open device is a character device.
    virtual bool IsCharDevice(PortHandle handle) = 0;
    virtual void ClosePort(PortHandle handle) = 0;

    // Fills a record from a mode text ("baud=%d parity=%s data=8 stop=1 xon=%s");
    // fields the text does not name keep their values. The result is advisory.
    virtual bool BuildLineState(const char *modeText, LineState &state) = 0;
    // Apply the record to the open device / read back the one in force;
    // nonzero on success.
    virtual int SetLineState(PortHandle handle, const LineState &state) = 0;
    virtual int GetLineState(PortHandle handle, LineState &state) = 0;
    // Reads return at once with whatever has arrived; one write call returns
    // within kWriteLimitMs with the count written so far.
    virtual void SetTimeouts(PortHandle handle) = 0;

    // Reads up to count bytes that have already arrived; never waits.
    // Nonzero on success, with *got set (possibly 0). Zero on failure, and
    // always once the device has gone.
    virtual int ReadPort(PortHandle handle, void *buffer, uint32_t count, uint32_t *got) = 0;
    // Writes up to count bytes, waiting at most kWriteLimitMs. Nonzero on success,
    // with *written set (possibly less than count). Zero on failure, and
    // always once the device has gone.
    virtual int WritePort(PortHandle handle, const void *data, uint32_t count, uint32_t *written) = 0;
    // Waits until input is ready to read, or at most ms milliseconds. On a
    // device that has gone it waits the full ms: it never returns at once.
    virtual void WaitReadable(PortHandle handle, uint32_t ms) = 0;
    // True once the open device has gone for good: an unplugged adapter, a
    // hung-up terminal (the far end of a pseudo-terminal closed), a device
    // that reports input ready but reads nothing. Nothing will ever move on
    // this handle again; only closing it is left. Ask after a read or write
    // that failed: a plain failure may pass, a device that has gone never
    // comes back. Stays false on a device that is merely silent or held.
    virtual bool DeviceGone(PortHandle handle) = 0;

    // Raises or drops DTR or RTS; nonzero on success.
    virtual int EscapeFunction(PortHandle handle, LineSignal signal) = 0;
    // Discards pending input and/or output (PurgeFlag bits); nonzero on success.
    virtual int Purge(PortHandle handle, uint32_t flags) = 0;
    // Queries (and clears) the device's error and status: *ctsHold is set when
    // output is held because CTS is low. Zero if the query failed.
    virtual int QueryStatus(PortHandle handle, bool *ctsHold) = 0;

    // Opens a caller's file, bytes exactly as stored, shared with no other
    // opener; null if it cannot be opened.
    virtual std::unique_ptr<PlatformFile> OpenFile(const char *path, FileAccess access) = 0;
    // True if a file (not a directory) exists under the path.
    virtual bool FileExists(const char *path) = 0;
    // Opens a file to append lines to (the trace file, not a caller's file):
    // created if need be, shared with any other writer. Only a plain file or a
    // terminal; null for anything else or if it cannot be opened.
    virtual std::unique_ptr<PlatformFile> OpenAppendFile(const char *path) = 0;

    // The value of the caller's environment variable name; false when it is
    // not set.
    virtual bool GetEnvironment(const char *name, std::string &value) = 0;

    // The millisecond clock (wraps after 2^32 ms) and a sleep on it.
    virtual uint32_t TickCount() = 0;
    virtual void Sleep(uint32_t ms) = 0;

    // Delivers a message to the caller's window synchronously; its answer.
    virtual intptr_t SendWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam) = 0;
    // Shows a modal message (a text in code page 932) and returns once it has
    // been dismissed.
    virtual void ShowMessage(const char *text) = 0;
};

// The platform in force.
Platform &CurrentPlatform();
// Installs a platform (tests); null puts the native one back. Returns the
// previous one.
Platform *InstallPlatform(Platform *platform);
// The native platform of this build.
Platform &NativePlatform();

#endif
