// The kinds of fault the campaign injects, with the names its summary uses.
#ifndef TESSALINK_TESTS_CAMPAIGN_FAULT_KINDS_H
#define TESSALINK_TESTS_CAMPAIGN_FAULT_KINDS_H

#include <array>
#include <cstddef>
#include <cstdint>

enum class FaultKind {
    // on the cable, either direction
    kCorruptedByte,     // one byte changed, far from any other change
    kCorruptedBurst,    // 2-4 bytes in a row changed: may pass a 16-bit sum
    kDroppedByte,
    kDuplicatedByte,
    kInsertedByte,
    // on the cable, towards the PC
    kNoiseBeforeHeader,
    kDelay,             // one transmission late, by up to past a time-out
    kBabble,            // noise without pause, for a while or for good
    kSilence,           // the handheld falls silent for good
    // the device
    kVanish,
    // the handheld's own faults
    kCancel,            // CAN in place of an answer
    kWrongAnswer,       // no "DOK"/"AEX", a wrong reply code, a short reply, two answers
    kRefusal,           // NAKs, refused frames
    kDamagedPacket,     // bad complement, number or sum from the handheld
    // the caller
    kWindowCancel,
    kCount
};

inline const char *FaultName(FaultKind kind)
{
    static const std::array<const char *, static_cast<std::size_t>(FaultKind::kCount)> names = {
        "corrupted byte",  "corrupted burst",     "dropped byte", "duplicated byte",
        "inserted byte",   "noise before header", "delay",        "babble",
        "silence",         "device gone",         "CAN",          "wrong answer",
        "refusal",         "damaged packet",      "window cancel",
    };
    return names[static_cast<std::size_t>(kind)];
}

using FaultCounts = std::array<uint64_t, static_cast<std::size_t>(FaultKind::kCount)>;

#endif
