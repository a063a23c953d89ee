// The handheld emulator's main loop: the handheld's line side and protocol
// side (handheld/) driven on a real line in real time, serving a file store,
// conversation after conversation, until told to stop.
//
// Application text. Nothing on the wire announces the PC's text:
//  - The PC sends text: the protocol side's text detection is on, so a
//    conversation that does not begin like the PC's packets is its text
//    stream (handheld/unannounced_text.h). Each complete stream replaces the
//    --text-out file (written whole, then renamed into place).
//  - The PC receives text: it sends nothing at all and waits (up to six
//    minutes) for the handheld's stream. So, with --text-in, the emulator
//    sends that file's contents (read afresh each time, one trailing 0x1A
//    dropped, as the stream's end mark follows) when the line has been open
//    and quiet for the text delay (default 1 s): after the PC opened it (in
//    mode 1 after its probe and switch sequence, which count as opening),
//    or after a conversation that ended well, with nothing received since.
//    The PC begins every other conversation 500 ms after opening the line.
//
// The line. On a pseudo-terminal the PC's opening and closing of the near
// end show as the master's hang-up ending and beginning; on a serial device
// as DSR or DCD rising and falling (a mode-1 probe also counts as opening).
// When the PC closes the line, whatever was under way is dropped (see
// ProtocolSide::Restart), as is anything still to send or left unread by the
// PC: on a pseudo-terminal the next opener would read it. While closed, the
// loop sleeps between looks.
//
// On a serial device, RTS follows the handheld's CTS (mode 2 drops it when a
// conversation has ended well), and in mode 1 the line runs at odd parity
// but for the moment between the PC's probe and its switch sequence.
#ifndef TESSALINK_TOOLS_EMULATOR_EMULATOR_H
#define TESSALINK_TOOLS_EMULATOR_EMULATOR_H

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "handheld/file_store.h"
#include "handheld/line_side.h"
#include "handheld/protocol_side.h"
#include "line_device.h"
#include "line_pacer.h"

namespace emulator {

struct EmulatorSettings {
    int mode = 2;
    size_t chunkSize = handheld::ProtocolSide::kDefaultChunkSize;
    size_t replySize = handheld::ProtocolSide::kDefaultReplySize;
    std::string textOut;  // empty: the PC's text is counted, not kept
    std::string textIn;   // empty: no text is ever sent
    uint32_t textDelayMs = 1000;
    unsigned paceBaud = 0;  // 0: bytes pass as fast as the device takes them
    // 0: events only; 1: the trace (packets and control bytes, and in mode 1
    // the frames); 2: also the raw pieces of input and output of modes 0, 2.
    int verbosity = 0;
    // The mode's line speed. On a pseudo-terminal, input that arrives while
    // the PC's settings differ from the mode's (this speed; no parity, or in
    // mode 1 odd parity too) is ignored, as a handheld on a cable would not
    // understand it. 0: every input is taken.
    unsigned lineBaud = 0;
};

class Emulator {
public:
    // How long the loop waits for input at most while the line is open: while
    // a conversation is under way (the handheld's own time-outs, CTS coming
    // back, run on its clock), on a serial device (whose modem lines tell of
    // the PC) and until the PC's opening has been seen, and while an open
    // pseudo-terminal is idle (nothing is timed then but the text offer,
    // which the loop knows, and input ends the wait). While the line is
    // closed it sleeps between looks (the PC sends nothing sooner than 200 ms
    // after opening).
    static constexpr int kBusyPollMs = 5;
    static constexpr int kIdlePollMs = 1000;
    static constexpr int kClosedSleepMs = 20;
    // The handheld answers one tick of its millisecond clock after the input
    // that it answers (on the simulated line the tick stands for its own
    // processing time). On a real line the input has already taken its time
    // to come: what is due by the next tick goes out at once, not up to a
    // millisecond later when the clock turns.
    static constexpr uint32_t kReplyTickMs = 1;

    Emulator(LineDevice &device, handheld::FileStore &store, const EmulatorSettings &settings);

    // Serves until stop becomes nonzero. False when the device failed.
    bool Run(const volatile std::sig_atomic_t &stop);

    // Prints a line on standard output: the time in seconds since the start,
    // a tag naming its source, the text.
    void Say(const char *tag, const std::string &text) const;

private:
    uint64_t WaitUs() const;
    bool Busy() const;
    void Tick();  // the clocks to now
    bool ReadInput();  // false when the near end turned out to be closed
    void TakeInput(const uint8_t *data, size_t size);
    void OnPresence(LineDevice::Presence presence);
    void OnOpened(const char *how);
    void OnClosed();
    void TakeLineEvents();
    void TakeProtocolEvents();
    void Arm();
    void KeepText(const std::vector<uint8_t> &text);
    void OfferText();
    void WriteDue();
    void Count(size_t in, size_t out);

    // Whether input at the PC's present line settings is understood; says
    // so (with -v) when it is not.
    bool PeerSettingsMatch();

    LineDevice &m_device;
    EmulatorSettings m_settings;
    std::string m_mismatchSaid;  // the settings last told as not the mode's
    // The pair's settings before any PC set its own: the PC's port gives
    // them back when it closes, maybe before the emulator has read the last
    // bytes it sent, which are then taken as they are.
    std::string m_untouchedSettings;
    handheld::LineSide m_side;
    handheld::ProtocolSide m_protocol;

    LinePacer m_pacer;

    uint32_t m_start = 0;
    uint32_t m_now = 0;  // the handheld's clock, ms
    uint64_t m_nowUs = 0;
    bool m_open = false;
    std::vector<handheld::Transmission> m_pending;

    // The bytes of this opening of the line, each way, and when the first
    // came in and the last went out (with -v, told when the PC closes).
    size_t m_bytesIn = 0;
    size_t m_bytesOut = 0;
    uint64_t m_firstInUs = 0;
    uint64_t m_lastOutUs = 0;

    // Text to send: offered once the line has been quiet since m_quietSince.
    bool m_armed = false;
    uint32_t m_quietSince = 0;
};

}  // namespace emulator

#endif
