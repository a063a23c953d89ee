#include "emulator.h"

#include "peer_line_settings.h"

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "handheld/due_time.h"
#include "host_files.h"

namespace emulator {

namespace {

constexpr uint8_t kTextEnd = 0x1A;

uint64_t NowUs()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

Emulator::Emulator(LineDevice &device, handheld::FileStore &store, const EmulatorSettings &settings)
    : m_device(device),
      m_settings(settings),
      m_side(static_cast<LinkMode>(settings.mode)),
      m_protocol(m_side, store),
      m_pacer(settings.paceBaud)
{
    m_protocol.SetChunkSize(settings.chunkSize);
    m_protocol.SetReplySize(settings.replySize);
    m_protocol.SetTextDetection(true);
    PeerLineSettings untouched;
    if (device.IsPseudoTerminal() && ReadPeerLineSettings(device.Fd(), untouched))
        m_untouchedSettings = Describe(untouched);
    if (settings.verbosity >= 1)
        m_protocol.SetTrace([this](const std::string &line) { Say("pkt", line); });
    // In modes 0 and 2 the line side only tells of raw pieces of input and
    // output, which the packet lines say better.
    if (settings.verbosity >= 2 || (settings.verbosity >= 1 && settings.mode == 1))
        m_side.SetTrace([this](const std::string &line) { Say("line", line); });
}

void Emulator::Say(const char *tag, const std::string &text) const
{
    std::printf("%9.3f %-4s %s\n", static_cast<double>(m_now - m_start) / 1000.0, tag,
                text.c_str());
}

bool Emulator::Run(const volatile std::sig_atomic_t &stop)
{
    Tick();
    m_start = m_now;
    // A device that cannot tell whether the PC is there is taken as open.
    m_open = !m_device.KnowsPresence();
    if (m_settings.mode == 1)
        m_device.SetOddParity(true);
    m_device.SetRts(true);
    while (stop == 0) {
        // A paced line holding enough input reads no more for now.
        const short wanted = m_pacer.InputFull(m_nowUs) ? 0 : POLLIN;
        struct pollfd pfd = {m_device.Fd(), wanted, 0};
        const uint64_t waitUs = WaitUs();
        const struct timespec wait = {static_cast<time_t>(waitUs / 1000000),
                                      static_cast<long>(waitUs % 1000000) * 1000};
        const int ready = ::ppoll(&pfd, 1, &wait, nullptr);
        if (ready < 0 && errno != EINTR) {
            std::fprintf(stderr, "tessalink-handheld: poll: %s\n", std::strerror(errno));
            return false;
        }
        Tick();
        const short events = ready > 0 ? pfd.revents : 0;
        // A serial device that hangs up or fails has gone (unplugged); the
        // master of a pseudo-terminal sees a hang-up whenever the PC closes.
        const short failure =
            m_device.IsPseudoTerminal() ? POLLNVAL : (POLLERR | POLLHUP | POLLNVAL);
        if ((events & failure) != 0) {
            std::fprintf(stderr, "tessalink-handheld: the device failed\n");
            return false;
        }
        bool nearEndOpen = true;
        if ((events & POLLIN) != 0)
            nearEndOpen = ReadInput();
        const std::vector<uint8_t> delivered = m_pacer.TakeDelivered(m_nowUs);
        if (!delivered.empty())
            TakeInput(delivered.data(), delivered.size());
        m_side.OnTime(m_now);
        TakeLineEvents();
        m_protocol.Pump(m_now);
        TakeProtocolEvents();
        // After the input is used: the last bytes before a close count.
        OnPresence(nearEndOpen ? m_device.PresenceNow(events) : LineDevice::Presence::kClosed);
        OfferText();
        WriteDue();
        if (!m_open && m_device.IsPseudoTerminal() && ready > 0)
            ::usleep(kClosedSleepMs * 1000);  // the hang-up shows at once: no spinning
    }
    return true;
}

void Emulator::Tick()
{
    m_nowUs = NowUs();
    m_now = static_cast<uint32_t>(m_nowUs / 1000);
}

// Under way: the handheld's own time-outs run, or CTS is to come back.
bool Emulator::Busy() const
{
    return !m_protocol.AwaitingCommand() || m_side.HasUnitsToSend() || !m_side.Cts();
}

uint64_t Emulator::WaitUs() const
{
    // A pseudo-terminal shows the PC's opening only as a wait that ends
    // without a hang-up, a serial device its opening and closing only through
    // its modem lines, which are looked at on every round.
    const bool idle = m_open && !Busy() && m_device.IsPseudoTerminal();
    uint32_t waitMs = idle ? kIdlePollMs : kBusyPollMs;
    if (m_armed && !m_settings.textIn.empty())
        waitMs = std::min(waitMs,
                          handheld::RemainingMs(m_now, m_quietSince + m_settings.textDelayMs));
    // Output due now that a paced line does not take yet waits for the line.
    for (const handheld::Transmission &t : m_pending)
        if (!m_pacer.Paced() || !handheld::Reached(m_now + kReplyTickMs, t.due))
            waitMs = std::min(waitMs, handheld::RemainingMs(m_now + kReplyTickMs, t.due));
    uint64_t waitUs = uint64_t{waitMs} * 1000;
    const bool outputDue =
        !m_pending.empty() && handheld::Reached(m_now + kReplyTickMs, m_pending.front().due);
    const uint64_t paced = m_pacer.NextDue(outputDue ? m_pending.front().bytes.size() : 0);
    if (paced != 0)
        waitUs = std::min(waitUs, paced > m_nowUs ? paced - m_nowUs : 0);
    return waitUs;
}

bool Emulator::ReadInput()
{
    uint8_t buffer[65536];
    for (;;) {
        if (m_pacer.InputFull(m_nowUs))
            return true;
        const ssize_t n = ::read(m_device.Fd(), buffer, sizeof buffer);
        if (n > 0 && !PeerSettingsMatch())
            continue;
        if (n > 0) {
            if (m_bytesIn == 0)
                m_firstInUs = m_nowUs;
            Count(static_cast<size_t>(n), 0);
            if (m_pacer.Paced())
                m_pacer.Arrived(m_nowUs, buffer, static_cast<size_t>(n));
            else
                TakeInput(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EIO: the near end of the pseudo-terminal is closed, all read.
        return !(n < 0 && errno == EIO && m_device.IsPseudoTerminal());
    }
}

bool Emulator::PeerSettingsMatch()
{
    PeerLineSettings peer;
    if (m_settings.lineBaud == 0 || !m_device.IsPseudoTerminal() || !ReadPeerLineSettings(m_device.Fd(), peer))
        return true;
    const bool parityFits = !peer.parity || (m_settings.mode == 1 && peer.oddParity);
    if (peer.baud == m_settings.lineBaud && parityFits) {
        m_mismatchSaid.clear();
        return true;
    }
    const std::string described = Describe(peer);
    if (described == m_untouchedSettings)
        return true;
    if (m_settings.verbosity >= 1 && described != m_mismatchSaid)
        Say("line", "input ignored: the PC's line is at " + described + "; mode " +
                        std::to_string(m_settings.mode) + " takes " + std::to_string(m_settings.lineBaud) +
                        " bit/s" + (m_settings.mode == 1 ? "" : ", no parity"));
    m_mismatchSaid = described;
    return false;
}

void Emulator::TakeInput(const uint8_t *data, size_t size)
{
    m_side.OnBytes(m_now, data, size);
    m_quietSince = m_now;
    if (m_settings.mode != 1)
        m_armed = false;  // every byte belongs to a conversation
}

void Emulator::Count(size_t in, size_t out)
{
    m_bytesIn += in;
    m_bytesOut += out;
}

void Emulator::OnPresence(LineDevice::Presence presence)
{
    if (presence == LineDevice::Presence::kOpen && !m_open)
        OnOpened("the PC opened the line");
    else if (presence == LineDevice::Presence::kClosed && m_open)
        OnClosed();
}

void Emulator::OnOpened(const char *how)
{
    m_open = true;
    if (m_settings.verbosity >= 1)
        Say("emu", how);
    Arm();
}

void Emulator::OnClosed()
{
    m_open = false;
    if (m_settings.verbosity >= 1) {
        char span[64] = "";
        if (m_bytesIn > 0 && m_lastOutUs > m_firstInUs)
            std::snprintf(span, sizeof span, ", %.6f s from the first in to the last out",
                          static_cast<double>(m_lastOutUs - m_firstInUs) / 1e6);
        Say("emu", "the PC closed the line (" + std::to_string(m_bytesIn) + " bytes in, " +
                       std::to_string(m_bytesOut) + " bytes out" + span + ")");
    }
    m_bytesIn = m_bytesOut = 0;
    m_firstInUs = m_lastOutUs = 0;
    m_protocol.Restart();
    if (m_device.IsPseudoTerminal())
        m_pending.clear();
    m_pacer.Reset();
    m_device.DiscardUnread();
    m_armed = false;
}

// What the line side has seen: in mode 1 a probe starts a connection afresh
// (the line back at no parity for the answer), the switch sequence puts it at
// odd parity, and a control frame from the PC begins a conversation. On a
// serial device RTS follows CTS. Taken before the protocol side reads the
// input, which after a probe belongs to the new connection.
void Emulator::TakeLineEvents()
{
    using Kind = handheld::LineEvent::Kind;
    while (std::optional<handheld::LineEvent> event = m_side.NextEvent()) {
        switch (event->kind) {
        case Kind::kProbe:
            m_device.SetOddParity(false);
            m_protocol.Restart();
            if (m_open)
                Arm();  // a new connection, its close and opening too quick to see
            else
                OnOpened("the PC opened the line (probe)");
            break;
        case Kind::kSwitchSequence:
            m_device.SetOddParity(true);
            break;
        case Kind::kPcControl:
            m_armed = false;
            break;
        case Kind::kCtsChanged:
            m_device.SetRts(event->cts);
            break;
        }
    }
}

// A conversation that ended well, or a text taken, leaves the line quiet:
// the time to offer text begins.
void Emulator::TakeProtocolEvents()
{
    using Kind = handheld::ProtocolEvent::Kind;
    while (std::optional<handheld::ProtocolEvent> event = m_protocol.NextEvent()) {
        switch (event->kind) {
        case Kind::kTextReceived:
            KeepText(event->text);
            Arm();
            break;
        case Kind::kConversationFinished:
            Arm();
            break;
        case Kind::kTextSent:
            break;
        }
    }
}

void Emulator::Arm()
{
    m_armed = true;
    m_quietSince = m_now;
}

void Emulator::KeepText(const std::vector<uint8_t> &text)
{
    const std::string size = std::to_string(text.size()) + " bytes";
    if (m_settings.textOut.empty()) {
        Say("emu", "text from the PC: " + size + " (not kept: no --text-out)");
        return;
    }
    std::string error;
    if (ReplaceHostFile(m_settings.textOut, text, error))
        Say("emu", "text from the PC: " + size + " written to " + m_settings.textOut);
    else
        Say("emu", "text from the PC: " + size + " lost: " + error);
}

void Emulator::OfferText()
{
    if (m_settings.textIn.empty() || !m_armed || !m_open || !m_protocol.AwaitingCommand() ||
        m_side.HasUnitsToSend() || !handheld::Reached(m_now, m_quietSince + m_settings.textDelayMs))
        return;
    m_armed = false;
    std::vector<uint8_t> text;
    std::string error;
    if (!ReadHostFile(m_settings.textIn, text, error)) {
        Say("emu", "no text for the PC: " + error);
        return;
    }
    if (!text.empty() && text.back() == kTextEnd)
        text.pop_back();
    m_protocol.SendText(text);
    Say("emu",
        "text to the PC: " + std::to_string(text.size()) + " bytes from " + m_settings.textIn);
}

void Emulator::WriteDue()
{
    for (handheld::Transmission &t : m_side.TakeOutput())
        m_pending.push_back(std::move(t));
    if (!m_open && m_device.IsPseudoTerminal()) {
        m_pending.clear();  // the next opener would read it
        return;
    }
    // In order; what the device (or the paced line) does not take now waits
    // for the next round.
    while (!m_pending.empty() && handheld::Reached(m_now + kReplyTickMs, m_pending.front().due)) {
        std::vector<uint8_t> &bytes = m_pending.front().bytes;
        const size_t sendable = m_pacer.Sendable(m_nowUs, bytes.size());
        if (sendable == 0)
            return;
        const ssize_t n = ::write(m_device.Fd(), bytes.data(), sendable);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        m_pacer.Sent(static_cast<size_t>(n));
        Count(0, static_cast<size_t>(n));
        m_lastOutUs = m_pacer.Paced() ? m_nowUs : NowUs();
        if (static_cast<size_t>(n) < bytes.size()) {
            bytes.erase(bytes.begin(), bytes.begin() + n);
            continue;
        }
        m_pending.erase(m_pending.begin());
    }
    m_pacer.OutputIdle();
}

}  // namespace emulator
