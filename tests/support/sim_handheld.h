// Puts the handheld's line side at the far end of a simulated line: what the
// PC writes and the passing of virtual time go in; what the handheld sends is
// queued on the line at the time it is due, and CTS follows the handheld's
// changes of it.
#ifndef TESSALINK_TESTS_SIM_HANDHELD_H
#define TESSALINK_TESTS_SIM_HANDHELD_H

#include <functional>
#include <optional>

#include "handheld/line_side.h"
#include "platform/sim_line.h"

class SimHandheld : public SimPeer {
public:
    explicit SimHandheld(handheld::LineSide &side) : m_side(side) {}

    // Runs after every input to the line side: the place for the handheld's
    // upper layer to take what arrived and answer.
    void SetPump(std::function<void(uint32_t now)> pump) { m_pump = std::move(pump); }

    void OnReceive(SimLine &line, uint32_t now, const uint8_t *data, size_t size) override
    {
        m_side.OnBytes(now, data, size);
        Pump(line, now);
    }
    void OnTime(SimLine &line, uint32_t now) override
    {
        m_side.OnTime(now);
        Pump(line, now);
    }
    // Sends what the handheld has queued since the last call (after the test
    // asked it to send something), and sets CTS when the handheld changed it.
    void Flush(SimLine &line)
    {
        for (const handheld::Transmission &t : m_side.TakeOutput())
            line.SendToPc(t.bytes.data(), t.bytes.size(), t.due);
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
};

#endif
