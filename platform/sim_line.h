// The simulated serial line: an in-memory cable between the library (the PC
// end) and a peer at the far end, on the simulated platform's virtual clock.
// It keeps a timestamped record of everything that crossed it, and offers
// faults to inject.
#ifndef TESSALINK_PLATFORM_SIM_LINE_H
#define TESSALINK_PLATFORM_SIM_LINE_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <vector>

#include "line_state.h"

class SimLine;

// The far end of the line. Every callback runs on the library's thread, inside
// the platform call that caused it.
class SimPeer {
public:
    virtual ~SimPeer() = default;
    // The PC wrote bytes (already recorded on the line).
    virtual void OnReceive(SimLine &line, uint32_t now, const uint8_t *data, size_t size)
    {
        (void)line, (void)now, (void)data, (void)size;
    }
    // The PC changed DTR or RTS.
    virtual void OnSignals(SimLine &line, uint32_t now) { (void)line, (void)now; }
    // The virtual clock moved on to now.
    virtual void OnTime(SimLine &line, uint32_t now) { (void)line, (void)now; }
};

struct SimByte {
    uint32_t time;   // when the PC wrote it
    uint8_t value;
    uint8_t parity;  // the parity in force on the line then (NOPARITY, ODDPARITY...)
};

struct SimSignalEvent {
    uint32_t time;
    bool dtr;
    bool rts;
};

struct SimStateEvent {
    uint32_t time;
    LineState state;
};

class SimLine {
public:
    SimLine();

    void AttachPeer(SimPeer *peer) { m_peer = peer; }
    SimPeer *Peer() const { return m_peer; }

    // --- the far end's side ---
    // Bytes that become readable by the PC at arriveAt (never before bytes
    // sent earlier).
    void SendToPc(const uint8_t *data, size_t size, uint32_t arriveAt);
    void SendToPc(std::initializer_list<uint8_t> bytes, uint32_t arriveAt);
    void SetCts(bool on) { m_cts = on; }

    // --- what crossed the line ---
    const std::vector<SimByte> &FromPc() const { return m_fromPc; }
    std::vector<uint8_t> FromPcValues() const;
    const std::vector<SimSignalEvent> &Signals() const { return m_signals; }
    const std::vector<SimStateEvent> &States() const { return m_states; }
    bool Dtr() const { return m_dtr; }
    bool Rts() const { return m_rts; }
    bool Cts() const { return m_cts; }
    bool IsOpen() const { return m_open; }
    unsigned OpenCount() const { return m_openCount; }
    unsigned PurgeCount() const { return m_purgeCount; }
    // Bytes still queued towards the PC, readable or not yet.
    size_t QueuedToPc() const { return m_toPc.size(); }

    // --- faults ---
    // Each PC write call accepts at most n bytes (0: no limit).
    void LimitWritesTo(size_t n) { m_writeLimit = n; }
    // Each PC write call accepts nothing and takes its full 1000 ms.
    void StallWrites(bool on) { m_stallWrites = on; }
    void FailStatusQuery(bool on) { m_failStatus = on; }
    void FailReads(bool on) { m_failReads = on; }
    // The next count PC write calls fail at once, as a write that the system
    // refuses returns at once, while the device stays there.
    void FailWrites(unsigned count) { m_failedWritesLeft = count; }
    // The device goes away, as an unplugged adapter or a hung-up terminal
    // does: bytes on their way to the PC are lost, whatever the far end sends
    // later never arrives, and a port open on it has gone for good (the
    // platform says so; its reads, writes and queries fail). It cannot be
    // opened until it is plugged in again.
    void Vanish();
    // The same, when the virtual clock reaches time.
    void VanishAt(uint32_t time);
    // Plugged in again: the next open works. A port that was open across the
    // loss stays gone.
    void Replug();
    bool Present() const { return m_present; }

private:
    friend class SimPlatform;

    struct Pending {
        uint32_t time;
        uint8_t value;
    };

    // The PC end, used by the simulated platform.
    void Open(uint32_t now);
    void Close(uint32_t now);
    size_t Readable(uint32_t now) const;
    size_t Read(uint32_t now, uint8_t *buffer, size_t count);
    bool NextArrival(uint32_t *time) const;
    void Write(uint32_t now, const uint8_t *data, size_t size);
    void SetSignal(uint32_t now, bool isDtr, bool on);
    void ApplyState(uint32_t now, const LineState &state);
    void PurgeInput(uint32_t now);
    // Carries out a vanishing that falls due at now.
    void Update(uint32_t now);
    // How often the device has gone; a port open across a change has gone.
    unsigned Losses() const { return m_losses; }

    SimPeer *m_peer;
    std::deque<Pending> m_toPc;
    std::vector<SimByte> m_fromPc;
    std::vector<SimSignalEvent> m_signals;
    std::vector<SimStateEvent> m_states;
    LineState m_state;
    bool m_dtr;
    bool m_rts;
    bool m_cts;
    bool m_open;
    unsigned m_openCount;
    unsigned m_purgeCount;
    size_t m_writeLimit;
    bool m_stallWrites;
    bool m_failStatus;
    bool m_failReads;
    unsigned m_failedWritesLeft;
    bool m_present;
    bool m_vanishScheduled;
    uint32_t m_vanishAt;
    unsigned m_losses;
};

#endif
