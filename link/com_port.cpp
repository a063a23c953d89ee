#include "com_port.h"

#include <utility>

#include "../include/tessalink.h"
#include "deadline.h"
#include "my_exception.h"
#include "port_messages.h"
#include "waits.h"

CComPort::CComPort() : m_handle(kInvalidPort), m_notifyWindow(nullptr) {}

CComPort::~CComPort() = default;

int CComPort::Open(int port, const LineState *state)
{
    if (IsOpen())
        throw CMyException(KIVO_ERR_NO_CONNECTION);
    // The work buffer first: running out of memory opens nothing.
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kWorkBufferSize]);
    Platform &platform = CurrentPlatform();
    m_handle = platform.OpenPort(port);
    if (m_handle == kInvalidPort) {
        platform.ShowMessage(kMsgCannotOpenPort);
        return 0;
    }
    if (!platform.IsCharDevice(m_handle)) {
        platform.ShowMessage(kMsgPortAbnormal);
        Close(0);
        return 0;
    }
    if (state != nullptr)
        SetLineState(*state);
    platform.SetTimeouts(m_handle);
    m_buffer = std::move(buffer);
    return 1;
}

int CComPort::Close(int result)
{
    if (!IsOpen())
        return result;
    DropDtr();
    CurrentPlatform().ClosePort(m_handle);
    m_handle = kInvalidPort;
    m_buffer.reset();
    return result;
}

int CComPort::GetLineState(LineState &state)
{
    if (!IsOpen())
        return 0;
    return CurrentPlatform().GetLineState(m_handle, state);
}

int CComPort::SetLineState(const LineState &state)
{
    if (!IsOpen())
        return 0;
    const int result = CurrentPlatform().SetLineState(m_handle, state);
    RaiseRts();
    RaiseDtr();
    return result;
}

bool CComPort::CancelAsked()
{
    return HasNotifyWindow() &&
           CurrentPlatform().SendWindowMessage(m_notifyWindow, WM_LINK_POLL, 0, 0) != 0;
}

void CComPort::PollWindow()
{
    if (CancelAsked())
        throw CMyException(KIVO_CANCELLED);
}

void CComPort::RaiseRts()
{
    CurrentPlatform().EscapeFunction(m_handle, kSetRts);
}

void CComPort::DropRts()
{
    CurrentPlatform().EscapeFunction(m_handle, kClrRts);
}

void CComPort::RaiseDtr()
{
    CurrentPlatform().EscapeFunction(m_handle, kSetDtr);
}

void CComPort::DropDtr()
{
    CurrentPlatform().EscapeFunction(m_handle, kClrDtr);
}

uint32_t CComPort::WriteOnce(const void *data, unsigned count)
{
    uint32_t written = 0;
    if (!CurrentPlatform().WritePort(m_handle, data, count, &written))
        written = 0;
    return written;
}

uint32_t CComPort::ReadArrived(void *buffer, unsigned count)
{
    uint32_t got = 0;
    if (!CurrentPlatform().ReadPort(m_handle, buffer, count, &got))
        got = 0;
    return got;
}

void CComPort::DiscardInput()
{
    CurrentPlatform().Purge(m_handle, kPurgeRxAbort | kPurgeRxClear);
}

bool CComPort::QueryCtsHold(bool &held)
{
    held = false;
    return CurrentPlatform().QueryStatus(m_handle, &held) != 0;
}

void CComPort::NotifyProgress(uintptr_t bytes, intptr_t total)
{
    if (HasNotifyWindow())
        CurrentPlatform().SendWindowMessage(m_notifyWindow, WM_LINK_PROGRESS, bytes, total);
}

int CComPort::Write(const void *data, unsigned count)
{
    if (!IsOpen())
        return 0;
    Platform &platform = CurrentPlatform();
    const uint8_t *p = static_cast<const uint8_t *>(data);
    CDeadline stalled(kWriteStallLimitMs);
    while (count > 0) {
        uint32_t written = 0;
        const bool failed = !platform.WritePort(m_handle, p, count, &written);
        if (failed)
            written = 0;
        PollWindow();
        if (written > count)
            written = count;
        if (written > 0) {
            p += written;
            count -= written;
            stalled.Restart();
            continue;
        }
        if (failed)
            FailIfDeviceGone();
        if (stalled.Passed())
            throw CMyException(KIVO_ERR_NO_CONNECTION);
        // A platform write that failed returned at once: pause before the next.
        if (failed)
            platform.Sleep(kWriteRetryPauseMs);
    }
    return 1;
}

void CComPort::FailIfDeviceGone()
{
    if (CurrentPlatform().DeviceGone(m_handle))
        throw CMyException(KIVO_ERR_NO_CONNECTION);
}

int CComPort::WriteByte(int value)
{
    uint8_t one = static_cast<uint8_t>(value);
    return Write(&one, 1);
}

int CComPort::Read(void *buffer, unsigned count, unsigned timeoutMs)
{
    if (!IsOpen())
        return 0;
    Platform &platform = CurrentPlatform();
    uint8_t *p = static_cast<uint8_t *>(buffer);
    CDeadline silence(timeoutMs);  // 0: no limit
    unsigned total = 0;
    while (count > 0) {
        uint32_t got = 0;
        bool failed = !platform.ReadPort(m_handle, p, count, &got);
        if (failed)
            got = 0;
        if (got > count)
            got = count;
        if (got > 0) {
            total += got;
            p += got;
            count -= got;
            silence.Restart();
            continue;
        }
        if (failed)
            FailIfDeviceGone();
        if (silence.Passed())
            break;
        PollWindow();
        // Wait for input rather than spin. A device whose reads fail may
        // still report input ready: sleep instead.
        if (failed)
            platform.Sleep(kPollIntervalMs);
        else
            platform.WaitReadable(m_handle, silence.WaitMs(kReadinessWaitMs));
    }
    return static_cast<int>(total);
}

int CComPort::ReadByte(uint8_t *value, unsigned timeoutMs)
{
    return Read(value, 1, timeoutMs) == 1 ? 1 : 0;
}
