// The simulated platform for the link harnesses, with one change: a wait for
// input moves the clock on by at least 50 ms (a whole second once the
// handheld has nothing more to send) instead of the 1 ms the link asks for,
// still ending when the next byte arrives. The protocol's long waits (6
// minutes) then cost a few hundred steps instead of 360000; a time-out ends
// a little late, with the same result.
#ifndef TESSALINK_FUZZ_QUIET_LINE_PLATFORM_H
#define TESSALINK_FUZZ_QUIET_LINE_PLATFORM_H

#include "platform/platform.h"
#include "platform/sim_line.h"
#include "platform/sim_platform.h"

namespace fuzz {

class QuietLinePlatform final : public Platform {
public:
    static constexpr uint32_t kStepMs = 50;
    static constexpr uint32_t kQuietStepMs = 1000;

    QuietLinePlatform(SimPlatform &sim, const SimLine &line) : m_sim(sim), m_line(line) {}

    void WaitReadable(PortHandle h, uint32_t ms) override
    {
        const uint32_t least = m_line.QueuedToPc() == 0 ? kQuietStepMs : kStepMs;
        m_sim.WaitReadable(h, ms < least ? least : ms);
    }
    void Sleep(uint32_t ms) override { m_sim.Sleep(ms); }

    PortHandle OpenPort(int port) override { return m_sim.OpenPort(port); }
    bool IsCharDevice(PortHandle h) override { return m_sim.IsCharDevice(h); }
    void ClosePort(PortHandle h) override { m_sim.ClosePort(h); }
    bool BuildLineState(const char *text, LineState &state) override
    {
        return m_sim.BuildLineState(text, state);
    }
    int SetLineState(PortHandle h, const LineState &state) override { return m_sim.SetLineState(h, state); }
    int GetLineState(PortHandle h, LineState &state) override { return m_sim.GetLineState(h, state); }
    void SetTimeouts(PortHandle h) override { m_sim.SetTimeouts(h); }
    int ReadPort(PortHandle h, void *buffer, uint32_t count, uint32_t *got) override
    {
        return m_sim.ReadPort(h, buffer, count, got);
    }
    int WritePort(PortHandle h, const void *data, uint32_t count, uint32_t *written) override
    {
        return m_sim.WritePort(h, data, count, written);
    }
    bool DeviceGone(PortHandle h) override { return m_sim.DeviceGone(h); }
    int EscapeFunction(PortHandle h, LineSignal signal) override { return m_sim.EscapeFunction(h, signal); }
    int Purge(PortHandle h, uint32_t flags) override { return m_sim.Purge(h, flags); }
    int QueryStatus(PortHandle h, bool *ctsHold) override { return m_sim.QueryStatus(h, ctsHold); }
    std::unique_ptr<PlatformFile> OpenFile(const char *path, FileAccess access) override
    {
        return m_sim.OpenFile(path, access);
    }
    bool FileExists(const char *path) override { return m_sim.FileExists(path); }
    std::unique_ptr<PlatformFile> OpenAppendFile(const char *path) override
    {
        return m_sim.OpenAppendFile(path);
    }
    bool GetEnvironment(const char *name, std::string &value) override
    {
        return m_sim.GetEnvironment(name, value);
    }
    uint32_t TickCount() override { return m_sim.TickCount(); }
    intptr_t SendWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam) override
    {
        return m_sim.SendWindowMessage(window, message, wParam, lParam);
    }
    void ShowMessage(const char *text) override { m_sim.ShowMessage(text); }

private:
    SimPlatform &m_sim;
    const SimLine &m_line;
};

}  // namespace fuzz

#endif
