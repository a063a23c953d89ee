// The emulator's end of the serial line: the far (master) end of a
// pseudo-terminal pair that it creates, whose near end the PC opens; or a
// serial device that it opens itself. Raw bytes, non-blocking.
//
// Whether the PC has the line open: on a pseudo-terminal the master sees a
// hang-up (POLLHUP) while no one has the near end open, and none once it is
// opened (the pair is created with its near end opened and closed once, so
// that the hang-up shows from the start). On a serial device the PC's DTR,
// through a null-modem cable, raises DSR or DCD; a device without modem lines
// cannot tell.
#ifndef TESSALINK_TOOLS_EMULATOR_LINE_DEVICE_H
#define TESSALINK_TOOLS_EMULATOR_LINE_DEVICE_H

#include <memory>
#include <string>

namespace emulator {

class LineDevice {
public:
    enum class Presence { kOpen, kClosed, kUnknown };

    // A new pseudo-terminal pair, both ends raw.
    static std::unique_ptr<LineDevice> CreatePseudoTerminal(std::string &error);
    // An existing serial device, raw, 8 data bits, no parity, 1 stop bit,
    // no flow control, at this speed; DTR and RTS raised.
    static std::unique_ptr<LineDevice> OpenSerial(const std::string &path, unsigned baud,
                                                  std::string &error);
    // Whether the speed is one that OpenSerial can set.
    static bool IsSupportedSpeed(unsigned baud);

    ~LineDevice();
    LineDevice(const LineDevice &) = delete;
    LineDevice &operator=(const LineDevice &) = delete;

    int Fd() const { return m_fd; }
    bool IsPseudoTerminal() const { return m_pseudoTerminal; }
    // The device that the PC opens: the near end of the pair, or the device
    // itself.
    const std::string &PeerPath() const { return m_peerPath; }

    // What the last poll's events (revents, 0 after a time-out) and the modem
    // lines say of the PC. kUnknown: nothing new, or the device cannot tell
    // (input still waiting after the near end closed counts as nothing new:
    // it is read first).
    Presence PresenceNow(short revents) const;
    // Whether PresenceNow can ever tell.
    bool KnowsPresence() const { return m_pseudoTerminal || m_modemLines; }

    // Pseudo-terminals only: what the PC left unread when it closed the near
    // end would be read by the next opener (the near end keeps its input
    // queue while the master is open), so it is discarded through a brief
    // opening of the near end of the emulator's own.
    void DiscardUnread();

    // Serial devices only; nothing on a pseudo-terminal, where the PC has no
    // CTS to see and parity means nothing.
    void SetRts(bool on);  // the PC's CTS, through a null-modem cable
    void SetOddParity(bool on);

private:
    LineDevice(int fd, bool pseudoTerminal, std::string peerPath);

    int m_fd;
    bool m_pseudoTerminal;
    bool m_modemLines = false;
    std::string m_peerPath;
};

}  // namespace emulator

#endif
