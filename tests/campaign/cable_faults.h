// The campaign's fault layer on the simulated cable between the PC and the
// handheld: byte faults at planned places of each direction's stream, noise
// before and delays of the handheld's transmissions, babble, and the handheld
// falling silent. It counts what it actually did.
#ifndef TESSALINK_TESTS_CAMPAIGN_CABLE_FAULTS_H
#define TESSALINK_TESTS_CAMPAIGN_CABLE_FAULTS_H

#include <cstdint>
#include <map>
#include <vector>

#include "fault_kinds.h"
#include "random_source.h"
#include "support/sim_handheld.h"

// A byte fault at a position of one direction's stream (bytes counted from
// the start of the conversation).
struct ByteFault {
    uint64_t at;
    FaultKind kind;  // corrupted byte or burst, dropped, duplicated, inserted
    unsigned length = 1;  // bytes of a burst
};

class CampaignCable : public CableFaults {
public:
    explicit CampaignCable(uint64_t seed) : m_random(seed) {}

    void PlanToHandheld(const ByteFault &fault) { m_toHandheld.push_back(fault); }
    void PlanToPc(const ByteFault &fault) { m_toPc.push_back(fault); }
    // The handheld's transmission number index (from 0) goes out late, or
    // after noise.
    void DelayTransmission(unsigned index, uint32_t ms) { m_delays[index] += ms; }
    void NoiseBefore(unsigned index, unsigned bytes) { m_noise[index] += bytes; }
    // Noise towards the PC without pause from time on, for duration ms (0:
    // for good).
    void BabbleFrom(uint32_t time, uint32_t duration);
    // Nothing the handheld sends from time on arrives.
    void SilentFrom(uint32_t time);

    void ToHandheld(uint32_t now, std::vector<uint8_t> &bytes) override;
    void ToPc(handheld::Transmission &t) override;
    void OnTime(SimLine &line, uint32_t now) override;

    // What was injected, by kind.
    const FaultCounts &Injected() const { return m_injected; }
    // Whether a fault that a 16-bit sum may miss reached a stream: a burst,
    // or a byte dropped, duplicated or inserted.
    bool MayPassChecks() const { return m_mayPassChecks; }
    // Whether anything changed, lost or added a byte of either stream.
    bool TouchedBytes() const { return m_touchedBytes; }

private:
    void Apply(std::vector<uint8_t> &bytes, uint64_t &position, std::vector<ByteFault> &plan);
    void Count(FaultKind kind) { ++m_injected[static_cast<size_t>(kind)]; }

    RandomSource m_random;
    std::vector<ByteFault> m_toHandheld;
    std::vector<ByteFault> m_toPc;
    uint64_t m_toHandheldPosition = 0;
    uint64_t m_toPcPosition = 0;
    std::map<unsigned, uint32_t> m_delays;
    std::map<unsigned, unsigned> m_noise;
    unsigned m_transmissions = 0;
    bool m_babbles = false;
    uint32_t m_babbleFrom = 0;
    uint32_t m_babbleFor = 0;
    uint32_t m_babbleNext = 0;
    bool m_babbleCounted = false;
    bool m_silent = false;
    uint32_t m_silentFrom = 0;
    bool m_silenceCounted = false;
    FaultCounts m_injected{};
    bool m_mayPassChecks = false;
    bool m_touchedBytes = false;
};

#endif
