// Plays the PC against the handheld's protocol side, step by step: each step
// is what the PC writes and what the handheld must answer, both composed from
// the wire tables. In modes 0 and 2 the bytes go raw (optionally cut into
// pieces); in mode 1 each write goes in data frames of at most 512 bytes, and
// each unit that the handheld sends is taken from its data frame.
#ifndef TESSALINK_TESTS_HANDHELD_PC_SCRIPT_H
#define TESSALINK_TESTS_HANDHELD_PC_SCRIPT_H

#include <cstdint>
#include <string>
#include <vector>

#include "handheld/file_store.h"
#include "handheld/line_side.h"
#include "handheld/protocol_side.h"

namespace pc {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kEot = 0x04, kEnq = 0x05, kAck = 0x06, kNak = 0x15, kCan = 0x18;

Bytes Text(const std::string &text);
// The text and its terminating zero.
Bytes Request(const std::string &text);
// A packet as the wire tables lay it out.
Bytes Packet(uint8_t sequence, const Bytes &data);
Bytes Pattern(size_t n, uint8_t seed = 0);
Bytes Join(const Bytes &a, const Bytes &b);

struct Step {
    Bytes pc;        // written by the PC (empty: nothing, only time passes)
    Bytes handheld;  // everything the handheld must answer to it
};
using Script = std::vector<Step>;

Script &operator+=(Script &script, const Script &more);
Script Then(Script script, const Script &more);

// The PC's command packet and its end of turn, up to the handheld's ACK of EOT.
Script CommandTurn(const std::string &code);
// The handheld's turn, opened by the PC's ENQ: its packets numbered from 1,
// each acknowledged, then EOT, ACK, ENQ.
Script HandheldTurn(const std::vector<Bytes> &packets);

class Line {
public:
    // piece: in modes 0 and 2, how many bytes each write of the PC arrives
    // in at once (0: all of it).
    Line(int mode, size_t piece = 0);

    // Runs the steps, checking every answer; stops at the first mismatch.
    void Run(const Script &script);
    // Writes as the PC and gives back everything the handheld answered.
    Bytes Write(const Bytes &bytes);
    void Pass(uint32_t ms);

    handheld::LineSide side;
    handheld::MemoryFileStore store;
    handheld::ProtocolSide protocol{side, store};
    std::vector<std::string> trace;

private:
    Bytes WriteRaw(const Bytes &bytes);
    Bytes WriteFramed(const Bytes &bytes);
    Bytes TakeFramed(bool blockSent);
    void Feed(const Bytes &bytes);

    size_t m_piece;
    uint32_t m_now = 0;
};

}  // namespace pc

#endif
