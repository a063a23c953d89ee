// The simulated platform: a virtual millisecond clock that moves only when the
// library sleeps or waits, serial lines in memory, and a record of the
// messages shown. Every protocol time-out runs in microseconds of real time and
// gives the same result on every run.
#ifndef TESSALINK_PLATFORM_SIM_PLATFORM_H
#define TESSALINK_PLATFORM_SIM_PLATFORM_H

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform.h"
#include "sim_line.h"

struct SimSleep {
    uint32_t time;  // when the sleep began
    uint32_t ms;
};

class SimPlatform final : public Platform {
public:
    // The clock starts at startTime; start near 2^32 to test the wrap.
    explicit SimPlatform(uint32_t startTime = 1000);

    // "COM<port>" opens this line. A port with no line cannot be opened.
    void AttachPort(int port, SimLine *line);
    // "COM<port>" opens, but is no character device (a disk file, say).
    void AddPlainFile(int port);

    uint32_t Now() const { return m_now; }
    // Moves the clock on, telling every attached peer.
    void Advance(uint32_t ms);
    // A guard against a test that would wait for ever: past this much virtual
    // time since the start, the process stops with a message.
    void SetTimeLimit(uint32_t ms) { m_timeLimit = ms; }

    // Modal messages shown, as given (code page 932).
    const std::vector<std::string> &Messages() const { return m_messages; }
    const std::vector<SimSleep> &Sleeps() const { return m_sleeps; }
    // Number of empty-read waits the library made.
    uint64_t ReadWaits() const { return m_readWaits; }

    // The caller's environment as the library reads it: empty at first.
    void SetEnvironment(const std::string &name, const std::string &value);
    void UnsetEnvironment(const std::string &name) { m_environment.erase(name); }
    // Files opened to append to are kept in memory: what each received, by
    // path. A refused path cannot be opened; one whose writes fail opens, and
    // every write to it fails.
    const std::string &Appended(const std::string &path) { return m_appended[path]; }
    void RefuseAppendFile(const std::string &path) { m_refusedAppends.insert(path); }
    void FailAppendWrites(const std::string &path) { m_failingAppends.insert(path); }
    // How often the library opened a file to append to.
    unsigned AppendFileOpens() const { return m_appendOpens; }

    PortHandle OpenPort(int port) override;
    bool IsCharDevice(PortHandle handle) override;
    void ClosePort(PortHandle handle) override;
    bool BuildLineState(const char *modeText, LineState &state) override;
    int SetLineState(PortHandle handle, const LineState &state) override;
    int GetLineState(PortHandle handle, LineState &state) override;
    void SetTimeouts(PortHandle handle) override;
    int ReadPort(PortHandle handle, void *buffer, uint32_t count, uint32_t *got) override;
    int WritePort(PortHandle handle, const void *data, uint32_t count, uint32_t *written) override;
    void WaitReadable(PortHandle handle, uint32_t ms) override;
    int EscapeFunction(PortHandle handle, LineSignal signal) override;
    int Purge(PortHandle handle, uint32_t flags) override;
    int QueryStatus(PortHandle handle, bool *ctsHold) override;
    // True once the line's device has vanished while the port was open.
    bool DeviceGone(PortHandle handle) override;
    // The caller's files are real files, as on the system the tests run on.
    std::unique_ptr<PlatformFile> OpenFile(const char *path, FileAccess access) override;
    bool FileExists(const char *path) override;
    std::unique_ptr<PlatformFile> OpenAppendFile(const char *path) override;
    bool GetEnvironment(const char *name, std::string &value) override;
    uint32_t TickCount() override { return m_now; }
    void Sleep(uint32_t ms) override;
    intptr_t SendWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam) override;
    void ShowMessage(const char *text) override;

private:
    struct Port {
        SimLine *line;  // null: a plain file
        bool open;
        unsigned lossesAtOpen;
    };

    Port *Find(PortHandle handle);
    // The line of an open port whose device is still there; null otherwise.
    SimLine *LineOf(PortHandle handle);
    bool Gone(Port &port);

    uint32_t m_now;
    uint32_t m_start;
    uint32_t m_timeLimit;
    std::map<int, Port> m_ports;
    std::vector<std::string> m_messages;
    std::vector<SimSleep> m_sleeps;
    uint64_t m_readWaits;
    std::map<std::string, std::string> m_environment;
    std::map<std::string, std::string> m_appended;
    std::set<std::string> m_refusedAppends;
    std::set<std::string> m_failingAppends;
    unsigned m_appendOpens = 0;
};

#endif
