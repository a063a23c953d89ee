#include "sim_platform.h"

#include <cstdio>
#include <cstdlib>

#include "mode_text.h"
#include "posix_file.h"
#include "window_record.h"

namespace {
constexpr uint32_t kDefaultTimeLimitMs = 24u * 60u * 60u * 1000u;
}  // namespace

SimPlatform::SimPlatform(uint32_t startTime)
    : m_now(startTime), m_start(startTime), m_timeLimit(kDefaultTimeLimitMs), m_readWaits(0)
{
}

void SimPlatform::AttachPort(int port, SimLine *line)
{
    m_ports[port] = Port{line, false, 0};
}

void SimPlatform::AddPlainFile(int port)
{
    m_ports[port] = Port{nullptr, false, 0};
}

void SimPlatform::Advance(uint32_t ms)
{
    m_now += ms;
    if (m_now - m_start > m_timeLimit) {
        std::fprintf(stderr, "simulated platform: %u ms of virtual time passed; stopping a test "
                             "that would wait for ever\n", m_now - m_start);
        std::abort();
    }
    for (auto &entry : m_ports) {
        SimLine *line = entry.second.line;
        if (line != nullptr)
            line->Update(m_now);
        if (line != nullptr && line->Peer() != nullptr)
            line->Peer()->OnTime(*line, m_now);
    }
}

// Handles are the port numbers, offset so that none is all bits set.
SimPlatform::Port *SimPlatform::Find(PortHandle handle)
{
    auto it = m_ports.find(static_cast<int>(handle - 0x10000));
    if (it == m_ports.end() || !it->second.open)
        return nullptr;
    return &it->second;
}

SimLine *SimPlatform::LineOf(PortHandle handle)
{
    Port *port = Find(handle);
    if (port == nullptr || port->line == nullptr || Gone(*port))
        return nullptr;
    return port->line;
}

bool SimPlatform::Gone(Port &port)
{
    if (port.line == nullptr)
        return false;
    port.line->Update(m_now);
    return port.line->Losses() != port.lossesAtOpen;
}

PortHandle SimPlatform::OpenPort(int port)
{
    auto it = m_ports.find(port);
    if (it == m_ports.end() || it->second.open)
        return kInvalidPort;
    SimLine *line = it->second.line;
    if (line != nullptr) {
        line->Update(m_now);
        if (!line->Present())
            return kInvalidPort;
        it->second.lossesAtOpen = line->Losses();
        line->Open(m_now);
    }
    it->second.open = true;
    return static_cast<PortHandle>(port) + 0x10000;
}

bool SimPlatform::IsCharDevice(PortHandle handle)
{
    Port *port = Find(handle);
    return port != nullptr && port->line != nullptr;
}

void SimPlatform::ClosePort(PortHandle handle)
{
    Port *port = Find(handle);
    if (port == nullptr)
        return;
    port->open = false;
    if (port->line != nullptr)
        port->line->Close(m_now);
}

bool SimPlatform::BuildLineState(const char *modeText, LineState &state)
{
    return ParseModeText(modeText, state);
}

int SimPlatform::SetLineState(PortHandle handle, const LineState &state)
{
    SimLine *line = LineOf(handle);
    if (line == nullptr)
        return 0;
    line->ApplyState(m_now, state);
    return 1;
}

int SimPlatform::GetLineState(PortHandle handle, LineState &state)
{
    SimLine *line = LineOf(handle);
    if (line == nullptr)
        return 0;
    state = line->m_state;
    return 1;
}

void SimPlatform::SetTimeouts(PortHandle) {}

int SimPlatform::ReadPort(PortHandle handle, void *buffer, uint32_t count, uint32_t *got)
{
    *got = 0;
    SimLine *line = LineOf(handle);
    if (line == nullptr || line->m_failReads)
        return 0;
    *got = static_cast<uint32_t>(line->Read(m_now, static_cast<uint8_t *>(buffer), count));
    return 1;
}

int SimPlatform::WritePort(PortHandle handle, const void *data, uint32_t count, uint32_t *written)
{
    *written = 0;
    SimLine *line = LineOf(handle);
    if (line == nullptr)
        return 0;
    if (line->m_failedWritesLeft > 0) {
        --line->m_failedWritesLeft;
        return 0;
    }
    bool ctsHeld = line->m_state.fOutxCtsFlow && !line->m_cts;
    if (line->m_stallWrites || ctsHeld) {
        Advance(kWriteLimitMs);
        return 1;
    }
    uint32_t n = count;
    if (line->m_writeLimit != 0 && n > line->m_writeLimit)
        n = static_cast<uint32_t>(line->m_writeLimit);
    line->Write(m_now, static_cast<const uint8_t *>(data), n);
    *written = n;
    return 1;
}

bool SimPlatform::DeviceGone(PortHandle handle)
{
    Port *port = Find(handle);
    return port != nullptr && Gone(*port);
}

void SimPlatform::WaitReadable(PortHandle handle, uint32_t ms)
{
    ++m_readWaits;
    SimLine *line = LineOf(handle);
    if (line != nullptr && line->Readable(m_now) > 0)
        return;
    uint32_t step = ms;
    uint32_t arrival;
    if (line != nullptr && line->NextArrival(&arrival) && arrival - m_now < step)
        step = arrival - m_now;
    Advance(step);
}

int SimPlatform::EscapeFunction(PortHandle handle, LineSignal signal)
{
    SimLine *line = LineOf(handle);
    if (line == nullptr)
        return 0;
    bool isDtr = signal == kSetDtr || signal == kClrDtr;
    bool on = signal == kSetDtr || signal == kSetRts;
    line->SetSignal(m_now, isDtr, on);
    return 1;
}

int SimPlatform::Purge(PortHandle handle, uint32_t flags)
{
    SimLine *line = LineOf(handle);
    if (line == nullptr)
        return 0;
    if ((flags & (kPurgeRxAbort | kPurgeRxClear)) != 0)
        line->PurgeInput(m_now);
    return 1;
}

int SimPlatform::QueryStatus(PortHandle handle, bool *ctsHold)
{
    *ctsHold = false;
    SimLine *line = LineOf(handle);
    if (line == nullptr || line->m_failStatus)
        return 0;
    *ctsHold = line->m_state.fOutxCtsFlow && !line->m_cts;
    return 1;
}

void SimPlatform::Sleep(uint32_t ms)
{
    m_sleeps.push_back({m_now, ms});
    Advance(ms);
}

intptr_t SimPlatform::SendWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                                        intptr_t lParam)
{
    return CallWindowRecord(window, message, wParam, lParam);
}

void SimPlatform::ShowMessage(const char *text)
{
    m_messages.emplace_back(text);
}

std::unique_ptr<PlatformFile> SimPlatform::OpenFile(const char *path, FileAccess access)
{
    return OpenPosixFile(path, access);
}

bool SimPlatform::FileExists(const char *path)
{
    return PosixFileExists(path);
}

namespace {

// A file in memory that only grows; its writes fail if told so.
class SimAppendFile final : public PlatformFile {
public:
    SimAppendFile(std::string &text, bool failWrites) : m_text(text), m_failWrites(failWrites) {}
    long Read(void *, size_t) override { return -1; }
    bool Write(const void *data, size_t count) override
    {
        if (m_failWrites)
            return false;
        m_text.append(static_cast<const char *>(data), count);
        return true;
    }
    int64_t Size() override { return static_cast<int64_t>(m_text.size()); }

private:
    std::string &m_text;
    bool m_failWrites;
};

}  // namespace

void SimPlatform::SetEnvironment(const std::string &name, const std::string &value)
{
    m_environment[name] = value;
}

std::unique_ptr<PlatformFile> SimPlatform::OpenAppendFile(const char *path)
{
    ++m_appendOpens;
    if (path == nullptr || m_refusedAppends.count(path) != 0)
        return nullptr;
    return std::unique_ptr<PlatformFile>(
        new SimAppendFile(m_appended[path], m_failingAppends.count(path) != 0));
}

bool SimPlatform::GetEnvironment(const char *name, std::string &value)
{
    auto it = m_environment.find(name);
    if (it == m_environment.end())
        return false;
    value = it->second;
    return true;
}
