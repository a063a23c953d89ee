#include "cable_faults.h"

#include <algorithm>

namespace {

bool Reached(uint32_t now, uint32_t time)
{
    return static_cast<int32_t>(now - time) >= 0;
}

}  // namespace

void CampaignCable::BabbleFrom(uint32_t time, uint32_t duration)
{
    m_babbles = true;
    m_babbleFrom = time;
    m_babbleFor = duration;
    m_babbleNext = time;
}

void CampaignCable::SilentFrom(uint32_t time)
{
    m_silent = true;
    m_silentFrom = time;
}

void CampaignCable::Apply(std::vector<uint8_t> &bytes, uint64_t &position,
                          std::vector<ByteFault> &plan)
{
    const uint64_t end = position + bytes.size();
    // From the last place to the first, so that a change of length leaves
    // the places before it where they were.
    std::vector<ByteFault> due;
    for (auto it = plan.begin(); it != plan.end();) {
        if (it->at >= position && it->at < end) {
            due.push_back(*it);
            it = plan.erase(it);
        } else {
            ++it;
        }
    }
    std::sort(due.begin(), due.end(), [](const ByteFault &a, const ByteFault &b) { return a.at > b.at; });
    for (const ByteFault &f : due) {
        const size_t i = static_cast<size_t>(f.at - position);
        switch (f.kind) {
        case FaultKind::kCorruptedByte:
            bytes[i] ^= static_cast<uint8_t>(1 + m_random.Below(255));
            break;
        case FaultKind::kCorruptedBurst:
            for (size_t k = i; k < bytes.size() && k < i + f.length; ++k)
                bytes[k] ^= static_cast<uint8_t>(1 + m_random.Below(255));
            m_mayPassChecks = true;
            break;
        case FaultKind::kDroppedByte:
            bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(i));
            m_mayPassChecks = true;
            break;
        case FaultKind::kDuplicatedByte:
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(i), bytes[i]);
            m_mayPassChecks = true;
            break;
        case FaultKind::kInsertedByte:
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(i), m_random.Byte());
            m_mayPassChecks = true;
            break;
        default:
            continue;
        }
        m_touchedBytes = true;
        Count(f.kind);
    }
    position = end;
}

void CampaignCable::ToHandheld(uint32_t now, std::vector<uint8_t> &bytes)
{
    (void)now;
    Apply(bytes, m_toHandheldPosition, m_toHandheld);
}

void CampaignCable::ToPc(handheld::Transmission &t)
{
    const unsigned index = m_transmissions++;
    if (m_silent && Reached(t.due, m_silentFrom)) {
        if (!m_silenceCounted) {
            m_silenceCounted = true;
            Count(FaultKind::kSilence);
        }
        m_touchedBytes = true;
        t.bytes.clear();
        return;
    }
    auto noise = m_noise.find(index);
    if (noise != m_noise.end()) {
        std::vector<uint8_t> before(noise->second);
        for (uint8_t &b : before)
            b = m_random.Byte();
        t.bytes.insert(t.bytes.begin(), before.begin(), before.end());
        m_touchedBytes = true;
        Count(FaultKind::kNoiseBeforeHeader);
    }
    auto delay = m_delays.find(index);
    if (delay != m_delays.end()) {
        t.due += delay->second;
        Count(FaultKind::kDelay);
    }
    Apply(t.bytes, m_toPcPosition, m_toPc);
}

void CampaignCable::OnTime(SimLine &line, uint32_t now)
{
    if (!m_babbles || !Reached(now, m_babbleFrom))
        return;
    if (m_babbleFor != 0 && Reached(now, m_babbleFrom + m_babbleFor))
        return;
    if (!m_babbleCounted) {
        m_babbleCounted = true;
        Count(FaultKind::kBabble);
        m_babbleNext = now;
        m_touchedBytes = true;
    }
    while (static_cast<int32_t>(m_babbleNext - (now + 4)) <= 0) {
        const uint8_t noise = m_random.Byte();
        line.SendToPc(&noise, 1, m_babbleNext);
        ++m_babbleNext;
    }
}
