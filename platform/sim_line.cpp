#include "sim_line.h"

#include <cstring>

#include "clock_order.h"

SimLine::SimLine()
    : m_peer(nullptr),
      m_dtr(false),
      m_rts(false),
      m_cts(true),
      m_open(false),
      m_openCount(0),
      m_purgeCount(0),
      m_writeLimit(0),
      m_stallWrites(false),
      m_failStatus(false),
      m_failReads(false),
      m_failedWritesLeft(0),
      m_present(true),
      m_vanishScheduled(false),
      m_vanishAt(0),
      m_losses(0)
{
    std::memset(&m_state, 0, sizeof m_state);
}

void SimLine::SendToPc(const uint8_t *data, size_t size, uint32_t arriveAt)
{
    if (!m_present)
        return;
    if (!m_toPc.empty() && MsPast(m_toPc.back().time, arriveAt) > 0)
        arriveAt = m_toPc.back().time;
    for (size_t i = 0; i < size; ++i)
        m_toPc.push_back({arriveAt, data[i]});
}

void SimLine::SendToPc(std::initializer_list<uint8_t> bytes, uint32_t arriveAt)
{
    std::vector<uint8_t> v(bytes);
    SendToPc(v.data(), v.size(), arriveAt);
}

std::vector<uint8_t> SimLine::FromPcValues() const
{
    std::vector<uint8_t> values;
    values.reserve(m_fromPc.size());
    for (const SimByte &b : m_fromPc)
        values.push_back(b.value);
    return values;
}

void SimLine::Open(uint32_t now)
{
    (void)now;
    m_open = true;
    ++m_openCount;
}

void SimLine::Close(uint32_t now)
{
    (void)now;
    m_open = false;
}

size_t SimLine::Readable(uint32_t now) const
{
    size_t n = 0;
    for (const Pending &p : m_toPc) {
        if (!TimeReached(now, p.time))
            break;
        ++n;
    }
    return n;
}

size_t SimLine::Read(uint32_t now, uint8_t *buffer, size_t count)
{
    size_t n = 0;
    while (n < count && !m_toPc.empty() && TimeReached(now, m_toPc.front().time)) {
        buffer[n++] = m_toPc.front().value;
        m_toPc.pop_front();
    }
    return n;
}

bool SimLine::NextArrival(uint32_t *time) const
{
    if (m_toPc.empty())
        return false;
    *time = m_toPc.front().time;
    return true;
}

void SimLine::Write(uint32_t now, const uint8_t *data, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        m_fromPc.push_back({now, data[i], m_state.Parity});
    if (m_peer != nullptr)
        m_peer->OnReceive(*this, now, data, size);
}

void SimLine::SetSignal(uint32_t now, bool isDtr, bool on)
{
    (isDtr ? m_dtr : m_rts) = on;
    m_signals.push_back({now, m_dtr, m_rts});
    if (m_peer != nullptr)
        m_peer->OnSignals(*this, now);
}

void SimLine::ApplyState(uint32_t now, const LineState &state)
{
    m_state = state;
    m_states.push_back({now, state});
}

void SimLine::PurgeInput(uint32_t now)
{
    (void)now;
    ++m_purgeCount;
    // Only what has already arrived is discarded; bytes still on their way
    // arrive afterwards.
    while (!m_toPc.empty() && TimeReached(now, m_toPc.front().time))
        m_toPc.pop_front();
}

void SimLine::Vanish()
{
    m_vanishScheduled = false;
    if (!m_present)
        return;
    m_present = false;
    ++m_losses;
    m_toPc.clear();
}

void SimLine::VanishAt(uint32_t time)
{
    m_vanishScheduled = true;
    m_vanishAt = time;
}

void SimLine::Replug()
{
    m_vanishScheduled = false;
    m_present = true;
}

void SimLine::Update(uint32_t now)
{
    if (m_vanishScheduled && TimeReached(now, m_vanishAt))
        Vanish();
}
