// The connection bracket: opening the line of the selected mode (with the
// mode-1 probe and line switch) and closing it (with the mode-2 wait for the
// handheld to release the line).
#include "../include/tessalink.h"
#include "block_constants.h"
#include "com_line.h"
#include "deadline.h"
#include "waits.h"

int CComLine::Connect()
{
    // No mode selected: there is no record to open with. No message either:
    // no port was tried.
    if (m_mode == LinkMode::kNone)
        return 0;
    const int index = ModeIndex(m_mode);
    int opened = Open(m_settings[index].port, &m_lineState[index]);
    if (!IsOpen())
        return opened;
    if (m_mode == LinkMode::kFramed && m_handshake != 0) {
        if (Probe()) {
            SwitchLine();
        } else {
            LineState record = m_lineState[index];
            SetLineState(record);
        }
    }
    CurrentPlatform().Sleep(kSettleMs);
    return opened;
}

int CComLine::Disconnect(int result)
{
    if (result == 0 && m_mode == LinkMode::kRawWithDrainWait && IsOpen()) {
        // The handheld drops CTS when it has finished; with CTS output flow
        // control that shows as output held for CTS.
        const CDeadline limit(kHandheldGoneMs);
        for (;;) {
            if (CancelAsked())
                break;
            bool ctsHold = false;
            if (!QueryCtsHold(ctsHold) || ctsHold)
                break;
            if (limit.Passed())
                break;
            CurrentPlatform().Sleep(kPollIntervalMs);
        }
    }
    return Close(result);
}

bool CComLine::Probe()
{
    LineState withoutParity = m_lineState[ModeIndex(LinkMode::kFramed)];
    withoutParity.Parity = NOPARITY;
    SetLineState(withoutParity);
    RaiseRts();
    RaiseDtr();
    Pause(kProbeSignalsUpMs);
    DropRts();
    Pause(kProbeRtsLowMs);
    RaiseRts();
    Pause(kProbeRtsBackMs);
    DropDtr();
    const uint8_t probe = kProbeByte;
    m_trace.Step(TraceDirection::kSent, "probe");
    WriteOnce(&probe, 1);
    // The handheld has exactly this long to answer: one read, no waiting.
    Pause(kProbeAnswerMs);
    uint8_t answer = 0;
    if (ReadArrived(&answer, 1) != 1) {
        m_trace.Step(TraceDirection::kReceived, "no answer to the probe");
        return false;
    }
    m_trace.Control(TraceDirection::kReceived, answer);
    return answer == kProbeAnswerA || answer == kProbeAnswerB;
}

int CComLine::SwitchLine()
{
    m_trace.Step(TraceDirection::kSent, "switch sequence");
    WriteOnce(kSwitchSequence, sizeof kSwitchSequence);
    DiscardInput();
    Pause(kSwitchPauseMs);
    RaiseDtr();
    // Start from record 1 so that a failed read-back still applies a whole record.
    LineState current = m_lineState[ModeIndex(LinkMode::kFramed)];
    GetLineState(current);
    current.Parity = ODDPARITY;
    SetLineState(current);
    return 1;
}

void CComLine::Pause(unsigned ms)
{
    const CDeadline end(ms);
    while (ms != 0 && !end.Passed())
        CurrentPlatform().Sleep(end.RemainingMs());
}
