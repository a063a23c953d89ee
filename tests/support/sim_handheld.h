// Puts the handheld's line side at the far end of a simulated line: what the
// PC writes and the passing of virtual time go in; what the handheld sends is
// queued on the line at the time it is due, and CTS follows the handheld.
#ifndef TESSALINK_TESTS_SIM_HANDHELD_H
#define TESSALINK_TESTS_SIM_HANDHELD_H

#include "handheld/line_side.h"
#include "platform/sim_line.h"

class SimHandheld : public SimPeer {
public:
    explicit SimHandheld(handheld::LineSide &side) : m_side(side) {}

    void OnReceive(SimLine &line, uint32_t now, const uint8_t *data, size_t size) override
    {
        m_side.OnBytes(now, data, size);
        Flush(line);
    }
    void OnTime(SimLine &line, uint32_t now) override
    {
        m_side.OnTime(now);
        Flush(line);
    }
    // Sends what the handheld has queued since the last call (after the test
    // asked it to send something).
    void Flush(SimLine &line)
    {
        for (const handheld::Transmission &t : m_side.TakeOutput())
            line.SendToPc(t.bytes.data(), t.bytes.size(), t.due);
        line.SetCts(m_side.Cts());
    }

private:
    handheld::LineSide &m_side;
};

#endif
