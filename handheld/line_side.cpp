#include "line_side.h"

#include "due_time.h"
#include "link/trace_decoder.h"
#include "packet_wire.h"

namespace handheld {

namespace {

constexpr uint8_t kProbe = 0xF0;
constexpr uint8_t kSwitch[13] = {0x0B, 0x21, 0x37, 0x45, 0x50, 0x64, 0x70,
                                 0xD1, 0x56, 0xD0, 0x87, 0x91, 0x11};
constexpr uint32_t kProbeReplyMs = 2;     // well inside the PC's 10 ms
constexpr uint32_t kLateProbeReplyMs = 20;
constexpr uint32_t kSynWaitMs = 500;      // ENQ again after this long without SYN
constexpr uint32_t kAckWaitMs = 1000;
constexpr unsigned kAttempts = 3;
constexpr unsigned kMaxEnqRepeats = 720;  // six minutes of ENQ every 500 ms

}  // namespace

LineSide::LineSide(LinkMode mode) : m_mode(mode) {}

void LineSide::Trace(const std::string &line)
{
    if (m_trace)
        m_trace(line);
}

void LineSide::Emit(std::vector<uint8_t> bytes, uint32_t delay)
{
    if (m_faults.silent)
        return;
    m_output.push_back({m_now + delay, std::move(bytes)});
}

bool LineSide::TakeCancel(Outgoing what)
{
    if (!m_faults.TakeCancelInsteadOf(what))
        return false;
    Trace("-> CAN");
    Emit(BuildControlFrame(wire::kCan, m_style));
    return true;
}

void LineSide::EmitControl(uint8_t code, Outgoing what)
{
    if (TakeCancel(what))
        return;
    Trace("-> " + ControlName(code));
    Emit(BuildControlFrame(code, m_style));
}

std::vector<Transmission> LineSide::TakeOutput()
{
    std::vector<Transmission> out;
    out.swap(m_output);
    return out;
}

std::optional<LineEvent> LineSide::NextEvent()
{
    if (m_events.empty())
        return std::nullopt;
    const LineEvent event = m_events.front();
    m_events.pop_front();
    return event;
}

void LineSide::SetCts(bool on)
{
    if (on == m_cts)
        return;
    m_cts = on;
    m_events.push_back({LineEvent::Kind::kCtsChanged, on});
}

std::vector<Unit> LineSide::TakeReceived()
{
    std::vector<Unit> out;
    out.swap(m_received);
    return out;
}

void LineSide::SendUnit(std::vector<uint8_t> data, uint16_t sequence)
{
    if (m_mode != LinkMode::kFramed) {
        Trace("-> " + std::to_string(data.size()) + " bytes");
        Emit(std::move(data));
        return;
    }
    m_sendQueue.push_back({std::move(data), sequence});
    StartSending();
}

void LineSide::FinishConversation()
{
    if (m_mode == LinkMode::kRawWithDrainWait) {
        SetCts(false);
        m_ctsBackAt = m_now + kCtsDropMs;
        Trace("CTS dropped");
    }
}

void LineSide::Restart()
{
    if (!m_sendQueue.empty())
        Trace("units not sent: " + std::to_string(m_sendQueue.size()));
    m_sendQueue.clear();
    m_sendState = SendState::kIdle;
    m_attempts = 0;
    m_enqRepeats = 0;
    m_parser.Reset();
}

void LineSide::OnBytes(uint32_t now, const uint8_t *data, size_t size)
{
    m_now = now;
    if (m_mode != LinkMode::kFramed) {
        if (size == 0)
            return;
        SetCts(true);  // a new conversation, if the last one had finished
        m_received.push_back({std::vector<uint8_t>(data, data + size), wire::kUnnumbered});
        Trace("<- " + std::to_string(size) + " bytes");
        return;
    }
    for (size_t i = 0; i < size; ++i)
        OnByte(data[i]);
}

void LineSide::OnByte(uint8_t byte)
{
    if (m_awaitSwitch) {
        if (byte == kSwitch[m_switchIndex]) {
            if (++m_switchIndex == sizeof kSwitch) {
                m_awaitSwitch = false;
                ++m_switches;
                m_events.push_back({LineEvent::Kind::kSwitchSequence});
                Trace("<- switch sequence");
            }
            return;
        }
        m_awaitSwitch = false;  // not the sequence: the bytes are frames
    }
    if (m_parser.Idle() && byte == kProbe) {
        ++m_probes;
        m_events.push_back({LineEvent::Kind::kProbe});
        Trace("<- probe");
        m_awaitSwitch = true;
        m_switchIndex = 0;
        switch (m_probeAnswer) {
        case ProbeAnswer::kF4: Emit({0xF4}, kProbeReplyMs); break;
        case ProbeAnswer::kF5: Emit({0xF5}, kProbeReplyMs); break;
        case ProbeAnswer::kWrong: Emit({0xF6}, kProbeReplyMs); break;
        case ProbeAnswer::kLate: Emit({0xF4}, kLateProbeReplyMs); break;
        case ProbeAnswer::kNone: break;
        }
        return;
    }
    if (m_parser.Feed(byte))
        OnFrame(m_parser.Take());
}

void LineSide::OnFrame(const Frame &frame)
{
    if (frame.type == Frame::kControl)
        OnControl(frame.code);
    else
        OnDataFrame(frame);
}

void LineSide::OnControl(uint8_t code)
{
    m_controlsReceived.push_back(code);
    m_events.push_back({LineEvent::Kind::kPcControl});
    Trace("<- " + ControlName(code));
    switch (code) {
    case wire::kEnq:
        EmitControl(wire::kSyn, Outgoing::kSyn);
        break;
    case wire::kSyn:
        if (m_sendState == SendState::kAwaitSyn && !m_sendQueue.empty()) {
            const Unit &unit = m_sendQueue.front();
            if (TakeCancel(Outgoing::kData))
                break;
            const bool wrongSum = m_faults.TakeCorruptSum();
            Trace("-> " + TraceFrameText(unit.sequence, unit.data.size()) +
                  (wrongSum ? " (wrong sum)" : ""));
            Emit(BuildDataFrame(unit.data, unit.sequence, m_style, wrongSum));
            m_sendState = SendState::kAwaitAck;
            m_sendDeadline = m_now + kAckWaitMs;
        }
        break;
    case wire::kAck:
        if (m_sendState == SendState::kAwaitAck) {
            m_sendQueue.pop_front();
            m_sendState = SendState::kIdle;
            m_attempts = 0;
            StartSending();
        }
        break;
    case wire::kNak:
        if (m_sendState == SendState::kAwaitAck)
            FailAttempt();
        break;
    case wire::kCan:
        ++m_cancels;
        m_sendQueue.clear();
        m_sendState = SendState::kIdle;
        break;
    default:
        break;
    }
}

void LineSide::OnDataFrame(const Frame &frame)
{
    Trace("<- " + TraceFrameText(frame.sequence, frame.data.size()) +
          (frame.sumMatches ? "" : " (wrong sum)"));
    bool refuse = !frame.sumMatches || (frame.subKind >> 4) != 1;
    if (m_faults.TakeRefuseFrame())
        refuse = true;
    if (refuse) {
        EmitControl(wire::kNak, Outgoing::kNak);
        return;
    }
    EmitControl(wire::kAck, Outgoing::kAck);
    m_received.push_back({frame.data, frame.sequence});
}

void LineSide::StartSending()
{
    if (m_sendState != SendState::kIdle || m_sendQueue.empty())
        return;
    m_sendState = SendState::kAwaitSyn;
    m_sendDeadline = m_now + kSynWaitMs;
    m_enqRepeats = 0;
    EmitControl(wire::kEnq, Outgoing::kEnq);
}

void LineSide::OnTime(uint32_t now)
{
    m_now = now;
    if (!m_cts && Reached(now, m_ctsBackAt))
        SetCts(true);
    if (m_sendState == SendState::kIdle || !Reached(now, m_sendDeadline))
        return;
    if (m_sendState == SendState::kAwaitSyn) {
        if (++m_enqRepeats >= kMaxEnqRepeats) {
            m_sendQueue.pop_front();
            ++m_abandoned;
            m_sendState = SendState::kIdle;
            StartSending();
            return;
        }
        m_sendDeadline = now + kSynWaitMs;
        EmitControl(wire::kEnq, Outgoing::kEnq);
        return;
    }
    FailAttempt();  // no ACK in time
}

void LineSide::FailAttempt()
{
    m_sendState = SendState::kIdle;
    if (++m_attempts >= kAttempts) {
        m_sendQueue.pop_front();
        ++m_abandoned;
        m_attempts = 0;
    }
    StartSending();
}

}  // namespace handheld
