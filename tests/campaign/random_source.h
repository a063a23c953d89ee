// The campaign's source of chance: one generator per conversation, seeded by
// the conversation's number, so that a seed replays the same conversation on
// every run and every machine.
#ifndef TESSALINK_TESTS_CAMPAIGN_RANDOM_SOURCE_H
#define TESSALINK_TESTS_CAMPAIGN_RANDOM_SOURCE_H

#include <cstdint>

class RandomSource {
public:
    explicit RandomSource(uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}

    // splitmix64: small, and the same everywhere.
    uint64_t Next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A number in [0, n); n > 0.
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
    // A number in [low, high].
    uint32_t Between(uint32_t low, uint32_t high) { return low + Below(high - low + 1); }
    // True with the chance percent in 100.
    bool Chance(unsigned percent) { return Below(100) < percent; }
    uint8_t Byte() { return static_cast<uint8_t>(Next()); }

private:
    uint64_t m_state;
};

#endif
