// CComLine: the three per-mode settings records, the line-state records built
// from them, the link mode, the connection bracket, and moving data in the
// selected mode (raw bytes, or the mode-1 block exchange).
#ifndef TESSALINK_LINK_COM_LINE_H
#define TESSALINK_LINK_COM_LINE_H

#include <cstdint>

#include "call_trace.h"
#include "com_port.h"
#include "link_mode.h"

struct PortSetting {
    int32_t port;       // COM port number: 1 opens COM1
    int32_t baud;       // bits per second
    int32_t oddParity;  // nonzero = odd parity, 0 = none
    int32_t xon;        // nonzero = XON/XOFF both ways
};

// A block number that stands for no number: a block sent so is taken
// whatever number the receiver expects.
constexpr uint16_t kUnnumbered = 0xFFFF;

class CComLine : public CComPort {
public:
    CComLine();
    ~CComLine() override;

    LinkMode GetMode() const { return m_mode; }
    int SetMode(int mode);
    int SetPort(int index, int port);
    int SetBaud(int index, int baud);
    int SetXon(int index, int on);

    const PortSetting &Setting(int index) const { return m_settings[index]; }
    const LineState &LineStateOf(int index) const { return m_lineState[index]; }

    // --- the connection bracket ---
    // Opens the port of the selected mode with its record; in mode 1 probes
    // the handheld and switches the line; then sleeps 500 ms in every mode.
    // 1 = connected, 0 = no port could be opened (or no mode is selected).
    int Connect();
    // Ends the connection: in mode 2, after a successful operation, first waits
    // for the handheld to drop CTS. Closes the port and returns result.
    int Disconnect(int result);

    // --- moving data in the selected mode ---
    // Modes 0 and 2: raw bytes. Mode 1: blocks of at most 512 bytes, each in
    // one acknowledged data frame. Other modes: nothing.
    void Send(const void *data, unsigned count);
    void SendByte(int value);
    // Modes 0 and 2: Read(buffer, count, timeoutMs). Mode 1: one block into
    // buffer, whose size count must be (the block and a closing zero byte must
    // fit); the time-out plays no part. Returns the number of bytes received.
    int Receive(void *buffer, unsigned count, unsigned timeoutMs);

    // --- the trace of one export call (see CCallTrace) ---
    // Starts it if the caller's environment asks for one, naming the call and
    // the line of the selected mode.
    void BeginTrace(const char *call) noexcept;
    void EndTrace(int result) noexcept { m_trace.End(result); }

protected:
    CCallTrace &CallTrace() { return m_trace; }

    // The blocks sent from now on carry the numbers first, first + 1, ...
    // counting on after each acknowledged block; kUnnumbered sends them
    // unnumbered.
    void NumberBlocksFrom(uint16_t first) { m_txSeq = first; }
    // The blocks received from now on must carry the numbers first,
    // first + 1, ... (or none: an unnumbered block is always taken).
    void ExpectBlocksFrom(uint16_t first) { m_rxSeq = first; }

    // --- steps of the mode-1 block exchange that tests drive on their own ---
    // Sends the control frame code; with a total wait, sends it again until
    // the expected code answers (1) or the wait is over (0).
    int SendControl(uint8_t code, uint32_t totalWaitMs, uint32_t replyWaitMs, uint8_t expected);
    // The code of the next control frame, or kNoControl after waitMs.
    uint8_t ReceiveControl(uint32_t waitMs);
    // Receives one data frame into buffer: kAck when taken, kNak when
    // refused, kNoControl when none came.
    uint8_t ReceiveDataFrame(uint8_t *buffer, unsigned capacity, uint32_t waitMs);

    uint16_t GetTxSeq() const { return m_txSeq; }
    uint16_t GetRxSeq() const { return m_rxSeq; }
    uint16_t GetRxLength() const { return m_rxLength; }

private:
    static bool IsModeIndex(int index) { return index >= 0 && index < kModeCount; }
    void BuildLineState(int index);

    // --- the connection handshake ---
    bool Probe();
    int SwitchLine();
    // Waits until the clock has advanced by at least ms.
    void Pause(unsigned ms);

    // --- the mode-1 block exchange ---
    void SendData(const uint8_t *data, unsigned count);
    void SendBlock(const uint8_t *data, unsigned count);
    void ReceiveBlock(uint8_t *buffer, unsigned capacity);
    int HuntFrame(uint32_t waitMs, int wantedKind);
    void SendControlFrame(uint8_t code);
    void SendDataFrame(const uint8_t *data, unsigned count);
    void SkipDataFrame();
    void SkipControlFrame();
    // Reads the rest of a frame whose header has come. False if the line fell
    // silent for kFrameSilenceLimitMs in the middle of it.
    bool ReadFrameBytes(void *buffer, unsigned count);
    // Reads count bytes of a frame and drops them; false as ReadFrameBytes.
    bool DropFrameBytes(unsigned count);

    int32_t m_handshake;
    PortSetting m_settings[kModeCount];
    LineState m_lineState[kModeCount];
    LinkMode m_mode;
    uint16_t m_rxLength;
    uint16_t m_txSeq;
    uint16_t m_rxSeq;
    CCallTrace m_trace;
};

#endif
