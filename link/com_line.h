// CComLine: the three per-mode settings records, the line-state records built
// from them, the link mode, and (later) the connection and block exchange.
#ifndef TESSALINK_LINK_COM_LINE_H
#define TESSALINK_LINK_COM_LINE_H

#include <cstdint>

#include "com_port.h"

struct PortSetting {
    int32_t port;       // COM port number: 1 opens COM1
    int32_t baud;       // bits per second
    int32_t oddParity;  // nonzero = odd parity, 0 = none
    int32_t xon;        // nonzero = XON/XOFF both ways
};

constexpr int kModeCount = 3;
constexpr int kNoMode = -1;

class CComLine : public CComPort {
public:
    CComLine();
    ~CComLine() override;

    int GetMode() const { return m_mode; }
    int SetMode(int mode);
    int SetPort(int index, int port);
    int SetBaud(int index, int baud);
    int SetXon(int index, int on);
    void BuildLineState(int index);

    const PortSetting &Setting(int index) const { return m_settings[index]; }
    const LineState &LineStateOf(int index) const { return m_lineState[index]; }

protected:
    static bool IsModeIndex(int index) { return index >= 0 && index < kModeCount; }

    int32_t m_handshake;
    PortSetting m_settings[kModeCount];
    LineState m_lineState[kModeCount];
    int32_t m_mode;
    uint16_t m_rxLength;
    uint16_t m_txSeq;
    uint16_t m_rxSeq;
};

#endif
