// Puts the handheld's line side at the far end of a simulated line: what the
// PC writes and the passing of virtual time go in; what the handheld sends is
// queued on the line at the time it is due, and CTS follows the handheld's
// changes of it.
#ifndef TESSALINK_TESTS_SIM_HANDHELD_H
#define TESSALINK_TESTS_SIM_HANDHELD_H

#include <functional>
#include <optional>
#include <vector>

#include "handheld/file_store.h"
#include "handheld/line_side.h"
#include "handheld/protocol_side.h"
#include "platform/sim_line.h"

// Faults on the cable between the PC and the handheld: the bytes of each
// direction pass through it, and it may send bytes of its own as time passes.
class CableFaults {
public:
    virtual ~CableFaults() = default;
    // What the PC wrote, on its way to the handheld: may be changed.
    virtual void ToHandheld(uint32_t now, std::vector<uint8_t> &bytes) = 0;
    // What the handheld sends, on its way to the PC: may be changed or delayed.
    virtual void ToPc(handheld::Transmission &t) = 0;
    virtual void OnTime(SimLine &line, uint32_t now) = 0;
};

class SimHandheld : public SimPeer {
public:
    explicit SimHandheld(handheld::LineSide &side) : m_side(side) {}

    // Puts faults on the cable (null: a sound cable).
    void SetCable(CableFaults *cable) { m_cable = cable; }

    // Runs after every input to the line side: the place for the handheld's
    // upper layer to take what arrived and answer.
    void SetPump(std::function<void(uint32_t now)> pump) { m_pump = std::move(pump); }

    void OnReceive(SimLine &line, uint32_t now, const uint8_t *data, size_t size) override
    {
        if (m_cable != nullptr) {
            std::vector<uint8_t> bytes(data, data + size);
            m_cable->ToHandheld(now, bytes);
            m_side.OnBytes(now, bytes.data(), bytes.size());
        } else {
            m_side.OnBytes(now, data, size);
        }
        Pump(line, now);
    }
    void OnTime(SimLine &line, uint32_t now) override
    {
        m_side.OnTime(now);
        Pump(line, now);
        if (m_cable != nullptr)
            m_cable->OnTime(line, now);
    }
    // Sends what the handheld has queued since the last call (after the test
    // asked it to send something), and sets CTS when the handheld changed it.
    void Flush(SimLine &line)
    {
        for (handheld::Transmission &t : m_side.TakeOutput()) {
            if (m_cable != nullptr)
                m_cable->ToPc(t);
            line.SendToPc(t.bytes.data(), t.bytes.size(), t.due);
        }
        while (std::optional<handheld::LineEvent> event = m_side.NextEvent())
            if (event->kind == handheld::LineEvent::Kind::kCtsChanged)
                line.SetCts(event->cts);
    }

private:
    void Pump(SimLine &line, uint32_t now)
    {
        if (m_pump)
            m_pump(now);
        Flush(line);
    }

    handheld::LineSide &m_side;
    std::function<void(uint32_t now)> m_pump;
    CableFaults *m_cable = nullptr;
};

// The whole handheld at the far end of a simulated line: its line side and
// protocol side, a file store in memory, and the driver between them.
struct HandheldOnLine {
    explicit HandheldOnLine(int mode) : side(static_cast<LinkMode>(mode)), protocol(side, store), peer(side)
    {
        peer.SetPump([this](uint32_t now) { protocol.Pump(now); });
    }
    handheld::LineSide side;
    handheld::MemoryFileStore store;
    handheld::ProtocolSide protocol;
    SimHandheld peer;
};

#endif
