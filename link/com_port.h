// CComPort: one open COM port, its work buffer, and the caller's window for
// the cancel poll and progress messages.
#ifndef TESSALINK_LINK_COM_PORT_H
#define TESSALINK_LINK_COM_PORT_H

#include <cstdint>
#include <memory>

#include "../platform/platform.h"

constexpr unsigned kWorkBufferSize = 8192;

class CComPort {
public:
    CComPort();
    virtual ~CComPort();
    CComPort(const CComPort &) = delete;
    CComPort &operator=(const CComPort &) = delete;

    bool IsOpen() const { return m_handle != kInvalidPort; }

    // Opens "COM<port>" and applies state if given. 1 = open and prepared,
    // 0 = failed (after a message to the user). Raises -999 if a port is open.
    int Open(int port, const LineState *state);
    // Drops DTR, closes the port and releases the work buffer; returns result.
    int Close(int result);
    int GetLineState(LineState &state);
    int SetLineState(const LineState &state);

    void SetNotifyWindow(WindowHandle window) { m_notifyWindow = window; }
    bool HasNotifyWindow() const { return m_notifyWindow != nullptr; }
    WindowHandle GetNotifyWindow() const { return m_notifyWindow; }

    // Writes every byte, polling the window after each platform write call.
    // 1 when done, 0 if no port is open. A cancel raises 999; a device that
    // has gone, or a write that moves nothing for kWriteStallLimitMs, -999.
    int Write(const void *data, unsigned count);
    int WriteByte(int value);
    // Reads up to count bytes; timeoutMs limits the silence between bytes
    // (0: no limit). Returns the number read. A cancel raises 999; a device
    // that has gone, -999.
    int Read(void *buffer, unsigned count, unsigned timeoutMs);
    int ReadByte(uint8_t *value, unsigned timeoutMs);

    // The work buffer, present while the port is open (null while closed).
    uint8_t *WorkBuffer() const { return m_buffer.get(); }

protected:
    // Sends WM_LINK_POLL if a window is set; true when it answers nonzero
    // (the caller asks to cancel).
    bool CancelAsked();
    // Raise and drop the modem signals.
    void RaiseRts();
    void DropRts();
    void RaiseDtr();
    void DropDtr();
    // One write of the bytes, without a cancel poll and without writing again
    // what it left: the number written.
    uint32_t WriteOnce(const void *data, unsigned count);
    // One read of what has already arrived, up to count bytes, without
    // waiting: the number read.
    uint32_t ReadArrived(void *buffer, unsigned count);
    // Discards the input received and not yet read.
    void DiscardInput();
    // Whether output is held because CTS is low; false when the port's status
    // cannot be read.
    bool QueryCtsHold(bool &held);
    // Sends WM_LINK_PROGRESS if a window is set; the answer is ignored.
    void NotifyProgress(uintptr_t bytes, intptr_t total);
    // The platform's handle of the open port (kInvalidPort while closed).
    PortHandle Handle() const { return m_handle; }

private:
    // As CancelAsked, but a cancel raises 999.
    void PollWindow();
    // After a platform read or write that failed: raises -999 if the device
    // has gone for good.
    void FailIfDeviceGone();

    PortHandle m_handle;
    WindowHandle m_notifyWindow;
    std::unique_ptr<uint8_t[]> m_buffer;
};

#endif
