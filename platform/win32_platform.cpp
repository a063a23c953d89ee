// The Windows platform: the Win32 serial, timing and user-interface calls.
#include "platform.h"
#include "win32_file.h"

#include <cstdio>
#include <set>

#include <windows.h>

namespace {

HANDLE H(PortHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

// Wine's serial driver reports no hold reasons at all: fCtsHold stays clear
// whatever CTS does, so the end of a mode-2 conversation would never be seen.
// Under Wine the hold is read off the modem lines instead (see QueryStatus).
bool RunningUnderWine()
{
    static const bool underWine = [] {
        HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
        return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return underWine;
}

// What the serial calls fail with once the device has been removed (a USB
// adapter unplugged): the driver refuses the request, reports the device
// gone, aborts it, or no longer lets the handle at it.
bool IsLossError(DWORD error)
{
    return error == ERROR_BAD_COMMAND || error == ERROR_DEVICE_REMOVED ||
           error == ERROR_OPERATION_ABORTED || error == ERROR_ACCESS_DENIED;
}

class Win32Platform final : public Platform {
public:
    PortHandle OpenPort(int port) override
    {
        char name[32];
        std::snprintf(name, sizeof name, "COM%d", port);
        HANDLE h = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return kInvalidPort;
        m_gone.erase(reinterpret_cast<PortHandle>(h));
        return reinterpret_cast<PortHandle>(h);
    }

    bool IsCharDevice(PortHandle handle) override
    {
        return ::GetFileType(H(handle)) == FILE_TYPE_CHAR;
    }

    void ClosePort(PortHandle handle) override
    {
        m_gone.erase(handle);
        ::CloseHandle(H(handle));
    }

    bool BuildLineState(const char *modeText, LineState &state) override
    {
        return ::BuildCommDCBA(modeText, &state) != 0;
    }

    int SetLineState(PortHandle handle, const LineState &state) override
    {
        DCB copy = state;
        return ::SetCommState(H(handle), &copy) ? 1 : 0;
    }

    int GetLineState(PortHandle handle, LineState &state) override
    {
        return ::GetCommState(H(handle), &state) ? 1 : 0;
    }

    void SetTimeouts(PortHandle handle) override
    {
        COMMTIMEOUTS timeouts = {};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = 0;
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = kWriteLimitMs;
        ::SetCommTimeouts(H(handle), &timeouts);
    }

    int ReadPort(PortHandle handle, void *buffer, uint32_t count, uint32_t *got) override
    {
        DWORD n = 0;
        BOOL ok = ::ReadFile(H(handle), buffer, count, &n, nullptr);
        if (!ok)
            NoteFailure(handle);
        *got = ok ? n : 0;
        return ok ? 1 : 0;
    }

    int WritePort(PortHandle handle, const void *data, uint32_t count, uint32_t *written) override
    {
        DWORD n = 0;
        BOOL ok = ::WriteFile(H(handle), data, count, &n, nullptr);
        if (!ok)
            NoteFailure(handle);
        *written = ok ? n : 0;
        return ok ? 1 : 0;
    }

    void WaitReadable(PortHandle handle, uint32_t ms) override
    {
        // A port opened for plain (not overlapped) I/O has no wait that input
        // ends: look at the input queue every millisecond. A device that has
        // gone is waited on for the whole time, never returned from at once.
        const DWORD start = ::GetTickCount();
        for (;;) {
            DWORD errors = 0;
            COMSTAT status = {};
            if (::ClearCommError(H(handle), &errors, &status)) {
                if (status.cbInQue > 0)
                    return;
            } else {
                NoteFailure(handle);
            }
            const DWORD elapsed = ::GetTickCount() - start;
            if (elapsed >= ms)
                return;
            ::Sleep(DeviceGone(handle) ? ms - elapsed : 1);
        }
    }

    bool DeviceGone(PortHandle handle) override { return m_gone.count(handle) != 0; }

    int EscapeFunction(PortHandle handle, LineSignal signal) override
    {
        return ::EscapeCommFunction(H(handle), static_cast<DWORD>(signal)) ? 1 : 0;
    }

    int Purge(PortHandle handle, uint32_t flags) override
    {
        return ::PurgeComm(H(handle), flags) ? 1 : 0;
    }

    int QueryStatus(PortHandle handle, bool *ctsHold) override
    {
        DWORD errors = 0;
        COMSTAT status = {};
        *ctsHold = false;
        if (!::ClearCommError(H(handle), &errors, &status)) {
            NoteFailure(handle);
            return 0;
        }
        if (!RunningUnderWine()) {
            *ctsHold = status.fCtsHold != 0;
            return 1;
        }
        // Output is held for CTS when CTS output flow control is on and CTS
        // is off, as the POSIX port reads it. A device without modem lines
        // (a pseudo-terminal) fails the query, as it does on POSIX.
        DWORD modemStatus = 0;
        DCB state = {};
        state.DCBlength = sizeof state;
        if (!::GetCommModemStatus(H(handle), &modemStatus) || !::GetCommState(H(handle), &state))
            return 0;
        *ctsHold = state.fOutxCtsFlow && (modemStatus & MS_CTS_ON) == 0;
        return 1;
    }

    std::unique_ptr<PlatformFile> OpenFile(const char *path, FileAccess access) override
    {
        return OpenWin32File(path, access);
    }

    bool FileExists(const char *path) override { return Win32FileExists(path); }
    std::unique_ptr<PlatformFile> OpenAppendFile(const char *path) override
    {
        return OpenWin32AppendFile(path);
    }
    bool GetEnvironment(const char *name, std::string &value) override
    {
        const DWORD size = ::GetEnvironmentVariableA(name, nullptr, 0);
        if (size == 0)
            return false;  // not set (an empty value reads as not set too)
        std::string text(size, '\0');
        const DWORD length = ::GetEnvironmentVariableA(name, &text[0], size);
        if (length == 0 || length >= size)
            return false;
        text.resize(length);
        value = text;
        return true;
    }

    uint32_t TickCount() override { return ::GetTickCount(); }

    void Sleep(uint32_t ms) override { ::Sleep(ms); }

    intptr_t SendWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam) override
    {
        if (window == nullptr)
            return 0;
        return ::SendMessageA(static_cast<HWND>(window), message, wParam, lParam);
    }

    void ShowMessage(const char *text) override
    {
        ::MessageBoxA(nullptr, text, "Tessalink", MB_OK | MB_ICONERROR);
    }

private:
    // Called right after a serial call failed, while its error is current.
    void NoteFailure(PortHandle handle)
    {
        if (IsLossError(::GetLastError()))
            m_gone.insert(handle);
    }

    // Open handles whose device has gone; a handle leaves when it is closed.
    std::set<PortHandle> m_gone;
};

static_assert(sizeof(DCB) == 28, "the device-control block is 28 bytes");
static_assert(kPurgeRxAbort == PURGE_RXABORT && kPurgeRxClear == PURGE_RXCLEAR, "purge flags");
static_assert(kSetRts == SETRTS && kClrRts == CLRRTS && kSetDtr == SETDTR && kClrDtr == CLRDTR,
              "escape functions");

}  // namespace

Platform &NativePlatform()
{
    static Win32Platform platform;
    return platform;
}
