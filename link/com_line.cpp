#include "com_line.h"

#include <cstdio>
#include <cstring>

#include "mode_defaults.h"

namespace {

// Port and speed as every mode starts; odd parity in mode 1, XON/XOFF in
// mode 0.
const PortSetting kDefaultSettings[kModeCount] = {
    {kModeDefaults[0].port, kModeDefaults[0].baud, 0, 1},
    {kModeDefaults[1].port, kModeDefaults[1].baud, 1, 0},
    {kModeDefaults[2].port, kModeDefaults[2].baud, 0, 0},
};

}  // namespace

CComLine::CComLine()
    : m_handshake(1), m_mode(LinkMode::kNone), m_rxLength(0), m_txSeq(0), m_rxSeq(0)
{
    std::memset(m_lineState, 0, sizeof m_lineState);
    for (int i = 0; i < kModeCount; ++i)
        m_settings[i] = kDefaultSettings[i];
    for (int i = 0; i < kModeCount; ++i)
        BuildLineState(i);
}

CComLine::~CComLine() = default;

int CComLine::SetMode(int mode)
{
    if (!IsModeIndex(mode))
        return 0;
    m_mode = static_cast<LinkMode>(mode);
    return 1;
}

int CComLine::SetPort(int index, int port)
{
    if (!IsModeIndex(index))
        return 0;
    m_settings[index].port = port;
    return 1;
}

int CComLine::SetBaud(int index, int baud)
{
    if (!IsModeIndex(index))
        return 0;
    m_settings[index].baud = baud;
    BuildLineState(index);
    return 1;
}

int CComLine::SetXon(int index, int on)
{
    if (!IsModeIndex(index))
        return 0;
    m_settings[index].xon = on;
    BuildLineState(index);
    return 1;
}

void CComLine::BeginTrace(const char *call) noexcept
{
    if (m_mode == LinkMode::kNone) {
        m_trace.Begin(call, -1, 0, 0);
        return;
    }
    const PortSetting &setting = m_settings[ModeIndex(m_mode)];
    m_trace.Begin(call, ModeIndex(m_mode), setting.port, setting.baud);
}

void CComLine::BuildLineState(int index)
{
    LineState &state = m_lineState[index];
    const PortSetting &setting = m_settings[index];
    state.DCBlength = sizeof(LineState);
    char modeText[80];
    std::snprintf(modeText, sizeof modeText, "baud=%d parity=%s data=8 stop=1 xon=%s",
                  static_cast<int>(setting.baud), setting.oddParity != 0 ? "o" : "n",
                  setting.xon != 0 ? "on" : "off");
    CurrentPlatform().BuildLineState(modeText, state);
    state.fBinary = 1;
    state.fParity = 1;
    state.fNull = 0;
    state.XonChar = 0x11;
    state.XoffChar = 0x13;
    state.fOutxCtsFlow = index != ModeIndex(LinkMode::kFramed) ? 1 : 0;
    state.fRtsControl = RTS_CONTROL_ENABLE;
    state.fDtrControl = DTR_CONTROL_ENABLE;
}
