// The handheld's side of the line, as a state machine: fed with the bytes that
// arrive and with the time, it gives back the bytes to send (each with the
// time it is due) and the state of CTS. It does no I/O of its own, so the
// same machine answers on the simulated line in tests and on a real device in
// the emulator.
//
// Framed (mode 1): answers the probe, takes the switch sequence, and carries
// every unit in acknowledged data frames, as receiver and as sender. Raw
// (modes 0 and 2): raw bytes; with the drain wait (mode 2) CTS is dropped
// when a conversation has finished.
#ifndef TESSALINK_HANDHELD_LINE_SIDE_H
#define TESSALINK_HANDHELD_LINE_SIDE_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "frames.h"
#include "line_faults.h"
#include "link/link_mode.h"

namespace handheld {

enum class ProbeAnswer { kF4, kF5, kWrong, kLate, kNone };

struct Transmission {
    uint32_t due;
    std::vector<uint8_t> bytes;
};

// One unit of the conversation: a data frame's contents in mode 1 (with its
// number), or the raw bytes that came in one piece in modes 0 and 2.
struct Unit {
    std::vector<uint8_t> data;
    uint16_t sequence;
};

// What happened on the line that the driver may act on, in order.
struct LineEvent {
    enum class Kind {
        kProbe,           // mode 1: the PC's probe, a connection begins
        kSwitchSequence,  // mode 1: the PC's switch sequence, odd parity follows
        kPcControl,       // mode 1: a control frame from the PC (ENQ, SYN, ACK...)
        kCtsChanged,      // the handheld's CTS, now as in cts
    };
    Kind kind;
    bool cts = true;
};

class LineSide {
public:
    explicit LineSide(LinkMode mode);

    LinkMode Mode() const { return m_mode; }

    // --- behaviour and faults (see line_faults.h) ---
    void SetProbeAnswer(ProbeAnswer answer) { m_probeAnswer = answer; }
    void SetFrameStyle(const FrameStyle &style) { m_style = style; }
    LineFaults &Faults() { return m_faults; }
    void RefuseFrames(unsigned n) { m_faults.refuseFrames = n; }
    void CorruptSums(unsigned n) { m_faults.corruptSums = n; }
    void CancelInsteadOf(Outgoing what) { m_faults.cancelInsteadOf.push_back(what); }
    void SetSilent(bool on) { m_faults.silent = on; }
    // Called with one readable line per event (frames, control codes, probe).
    void SetTrace(std::function<void(const std::string &)> trace) { m_trace = std::move(trace); }

    // --- the line ---
    void OnBytes(uint32_t now, const uint8_t *data, size_t size);
    void OnTime(uint32_t now);
    std::vector<Transmission> TakeOutput();
    bool Cts() const { return m_cts; }
    // The next event, oldest first; none when all have been taken.
    std::optional<LineEvent> NextEvent();

    // --- the layer above ---
    // Queues a unit to send: one data frame in mode 1, raw bytes otherwise.
    void SendUnit(std::vector<uint8_t> data, uint16_t sequence = wire::kUnnumbered);
    std::vector<Unit> TakeReceived();
    // True while units wait to be sent or acknowledged.
    bool HasUnitsToSend() const { return !m_sendQueue.empty(); }
    // The conversation is over: in mode 2, drop CTS for a moment. The PC
    // closes the line when it sees CTS low; on a connection that carries a
    // further conversation (a release after a put) its output is held only
    // until CTS comes back.
    void FinishConversation();
    static constexpr uint32_t kCtsDropMs = 50;
    // The PC has closed the line or opened it afresh (the driver knows):
    // units not yet sent or acknowledged and a frame half received are
    // dropped, so that nothing of the last connection reaches the next one.
    void Restart();

    // --- what it has seen ---
    unsigned ProbesSeen() const { return m_probes; }
    unsigned SwitchesSeen() const { return m_switches; }
    unsigned CancelsSeen() const { return m_cancels; }
    // Control codes received, in order (ENQ, SYN, ACK, NAK...).
    const std::vector<uint8_t> &ControlsReceived() const { return m_controlsReceived; }
    // Units given up after three refused or unanswered attempts.
    unsigned UnitsAbandoned() const { return m_abandoned; }

private:
    enum class SendState { kIdle, kAwaitSyn, kAwaitAck };

    void OnByte(uint8_t byte);
    void OnFrame(const Frame &frame);
    void OnControl(uint8_t code);
    void OnDataFrame(const Frame &frame);
    void StartSending();
    // A data frame refused or not answered: try again, or give it up.
    void FailAttempt();
    void Emit(std::vector<uint8_t> bytes, uint32_t delay = 1);
    void EmitControl(uint8_t code, Outgoing what);
    bool TakeCancel(Outgoing what);
    void SetCts(bool on);
    void Trace(const std::string &line);

    LinkMode m_mode;
    uint32_t m_now = 0;
    bool m_cts = true;
    uint32_t m_ctsBackAt = 0;
    FrameParser m_parser;

    ProbeAnswer m_probeAnswer = ProbeAnswer::kF4;
    FrameStyle m_style;
    LineFaults m_faults;
    std::function<void(const std::string &)> m_trace;

    bool m_awaitSwitch = false;
    size_t m_switchIndex = 0;

    std::deque<Unit> m_sendQueue;
    SendState m_sendState = SendState::kIdle;
    uint32_t m_sendDeadline = 0;
    unsigned m_attempts = 0;
    unsigned m_enqRepeats = 0;

    std::vector<Transmission> m_output;
    std::vector<Unit> m_received;
    std::deque<LineEvent> m_events;
    std::vector<uint8_t> m_controlsReceived;
    unsigned m_probes = 0;
    unsigned m_switches = 0;
    unsigned m_cancels = 0;
    unsigned m_abandoned = 0;
};

}  // namespace handheld

#endif
