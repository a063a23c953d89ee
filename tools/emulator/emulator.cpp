#include "emulator.h"

#include <poll.h>
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

uint32_t NowMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

Emulator::Emulator(LineDevice &device, handheld::FileStore &store, const EmulatorSettings &settings)
    : m_device(device), m_settings(settings), m_side(settings.mode), m_protocol(m_side, store)
{
    m_protocol.SetChunkSize(settings.chunkSize);
    m_protocol.SetReplySize(settings.replySize);
    m_protocol.SetTextDetection(true);
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
    m_start = m_now = NowMs();
    // A device that cannot tell whether the PC is there is taken as open.
    m_open = !m_device.KnowsPresence();
    if (m_settings.mode == 1)
        m_device.SetOddParity(true);
    m_device.SetRts(true);
    while (stop == 0) {
        struct pollfd pfd = {m_device.Fd(), POLLIN, 0};
        const int ready = ::poll(&pfd, 1, WaitMs());
        if (ready < 0 && errno != EINTR) {
            std::fprintf(stderr, "tessalink-handheld: poll: %s\n", std::strerror(errno));
            return false;
        }
        m_now = NowMs();
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

int Emulator::WaitMs() const
{
    int wait = kPollMs;
    for (const handheld::Transmission &t : m_pending)
        wait = std::min(wait, static_cast<int>(handheld::RemainingMs(m_now, t.due)));
    return wait;
}

bool Emulator::ReadInput()
{
    uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(m_device.Fd(), buffer, sizeof buffer);
        if (n > 0) {
            m_side.OnBytes(m_now, buffer, static_cast<size_t>(n));
            m_quietSince = m_now;
            if (m_settings.mode != 1)
                m_armed = false;  // every byte belongs to a conversation
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EIO: the near end of the pseudo-terminal is closed, all read.
        return !(n < 0 && errno == EIO && m_device.IsPseudoTerminal());
    }
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
    if (m_settings.verbosity >= 1)
        Say("emu", "the PC closed the line");
    m_protocol.Restart();
    if (m_device.IsPseudoTerminal())
        m_pending.clear();
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
    // In order; what the device does not take now waits for the next round.
    while (!m_pending.empty() && handheld::Reached(m_now, m_pending.front().due)) {
        std::vector<uint8_t> &bytes = m_pending.front().bytes;
        const ssize_t n = ::write(m_device.Fd(), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        if (static_cast<size_t>(n) < bytes.size()) {
            bytes.erase(bytes.begin(), bytes.begin() + n);
            return;
        }
        m_pending.erase(m_pending.begin());
    }
}

}  // namespace emulator
