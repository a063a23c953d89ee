// The line settings that the PC applied to its end of a pseudo-terminal.
// Both ends of a pair share one set of settings, so the master reads what
// the PC set on the near end: its speed and parity. A handheld on a cable
// does not understand a PC at another speed or parity; the emulator compares
// these with its mode's to behave the same on a pseudo-terminal.
#ifndef TESSALINK_TOOLS_EMULATOR_PEER_LINE_SETTINGS_H
#define TESSALINK_TOOLS_EMULATOR_PEER_LINE_SETTINGS_H

#include <string>

namespace emulator {

struct PeerLineSettings {
    unsigned baud = 0;
    bool parity = false;
    bool oddParity = false;
};

// The pair's settings as read on the master's descriptor; false when they
// cannot be read.
bool ReadPeerLineSettings(int fd, PeerLineSettings &settings);

// "9600 bit/s, no parity", "9600 bit/s, odd parity".
std::string Describe(const PeerLineSettings &settings);

}  // namespace emulator

#endif
