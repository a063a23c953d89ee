// The emulator program as a separate process, on its own pseudo-terminal,
// talked to by the library (its static core) through the environment line
// that the emulator writes into its env file: every export family in modes
// 2, 1 and 0, the files checked on disk, the trace of one short
// conversation, and a clean stop on SIGTERM.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"
#include "tessalink.h"

extern char **environ;

namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

Bytes Text(const std::string &text)
{
    return Bytes(text.begin(), text.end());
}

Bytes Pattern(size_t n, unsigned seed)
{
    Bytes v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 7 + seed);
    return v;
}

// Waits up to the limit for the file to exist with at least one full line.
std::string WaitForLine(const std::string &path, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        const Bytes bytes = TempDir::Read(path);
        const std::string text(bytes.begin(), bytes.end());
        const size_t eol = text.find('\n');
        if (eol != std::string::npos)
            return text.substr(0, eol);
        std::this_thread::sleep_for(10ms);
    }
    return std::string();
}

class EmulatorProcess {
public:
    // Starts the emulator with these arguments, its output going to a file.
    EmulatorProcess(const std::vector<std::string> &arguments, const std::string &outputPath)
        : m_outputPath(outputPath)
    {
        std::vector<std::string> all = {TESSALINK_HANDHELD_PROGRAM};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char *> argv;
        for (std::string &a : all)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~EmulatorProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }

    bool Started() const { return m_pid > 0; }

    // SIGTERM, then the exit status (-1 if it did not exit normally within 5 s).
    int Stop()
    {
        kill(m_pid, SIGTERM);
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

    std::vector<std::string> OutputLines() const
    {
        const Bytes bytes = TempDir::Read(m_outputPath);
        std::istringstream in(std::string(bytes.begin(), bytes.end()));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

private:
    pid_t m_pid = -1;
    std::string m_outputPath;
};

// The trace lines with this tag, without their time stamps.
std::vector<std::string> Tagged(const std::vector<std::string> &lines, const std::string &tag)
{
    std::vector<std::string> out;
    for (const std::string &line : lines) {
        std::istringstream in(line);
        std::string seconds, lineTag;
        in >> seconds >> lineTag;
        if (lineTag == tag) {
            std::string rest;
            std::getline(in, rest);
            out.push_back(rest.substr(rest.find_first_not_of(' ')));
        }
    }
    return out;
}

bool Contains(const std::vector<std::string> &lines, const std::string &wanted)
{
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

// A window that cancels once the transfer has made some progress.
intptr_t CancelAfterProgress(void *context, uint32_t message, uintptr_t, intptr_t)
{
    int &progress = *static_cast<int *>(context);
    if (message == WM_LINK_PROGRESS)
        ++progress;
    return message == WM_LINK_POLL && progress >= 2 ? 1 : 0;
}

std::string Joined(const std::vector<std::string> &lines)
{
    std::string out;
    for (const std::string &line : lines)
        out += line + "\n";
    return out;
}

class EmulatorProgram : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        mode = GetParam();
        com = 40 + mode;
        served = dir.Path("served");
        ASSERT_EQ(mkdir(served.c_str(), 0777), 0);
        dir.Write("served/HELLO.TXT", Text("Hello from the handheld.\r\n"));
        textIn = dir.Write("text-in.txt", Text("world\r\n"));
        textOut = dir.Path("text-out.txt");
        envFile = dir.Path("env");
        emulator.reset(new EmulatorProcess(
            {"--mode", std::to_string(mode), "--com", std::to_string(com), "--dir", served,
             "--text-in", textIn, "--text-out", textOut, "--print-env-file", envFile, "-v"},
            dir.Path("output.txt")));
        ASSERT_TRUE(emulator->Started());
        const std::string env = WaitForLine(envFile, 5000ms);
        const std::string name = "TESSALINK_COM" + std::to_string(com);
        ASSERT_EQ(env.substr(0, name.size() + 1), name + "=") << env;
        ASSERT_EQ(setenv(name.c_str(), env.substr(name.size() + 1).c_str(), 1), 0);
        ASSERT_EQ(KIVO_SetMode(static_cast<uint16_t>(mode)), 1);
        ASSERT_EQ(KIVO_SetPort(static_cast<uint16_t>(mode), static_cast<uint16_t>(com)), 1);
    }
    void TearDown() override
    {
        unsetenv(("TESSALINK_COM" + std::to_string(com)).c_str());
    }

    Bytes Served(const std::string &name) const { return TempDir::Read(served + "/" + name); }

    int mode = 0;
    int com = 0;
    TempDir dir;
    std::string served, textIn, textOut, envFile;
    std::unique_ptr<EmulatorProcess> emulator;
};

TEST_P(EmulatorProgram, ServesEveryFamilyAndStopsCleanly)
{
    // One short conversation first, for its trace.
    EXPECT_EQ(KIVO_LinkRelease(nullptr), 0);

    const Bytes data = Pattern(3000, 1);
    const std::string local = dir.Write("data.bin", data);
    EXPECT_EQ(KIVO_LinkPutFile(local.c_str(), "ONE", nullptr), 0);
    EXPECT_EQ(Served("ONE"), data);
    if (mode == 2) {
        const Bytes big = Pattern(70000, 2);
        EXPECT_EQ(KIVO_LinkPutFile2Ex(dir.Write("big.bin", big).c_str(), "BIG", nullptr), 0);
        EXPECT_EQ(Served("BIG"), big);
    }
    // A put cancelled midway leaves nothing behind, and the emulator goes on
    // serving.
    int progress = 0;
    KIVO_WINDOW window = {CancelAfterProgress, &progress};
    EXPECT_EQ(KIVO_LinkPutFile(dir.Write("large.bin", Pattern(200000, 3)).c_str(), "LARGE", &window),
              KIVO_CANCELLED);
    EXPECT_FALSE(TempDir::Exists(served + "/LARGE"));
    // As between two runs of a program: time for the emulator to see the
    // line closed, before the next call opens it.
    std::this_thread::sleep_for(100ms);

    // A name that would leave the directory is refused, and nothing is written.
    EXPECT_NE(KIVO_LinkPutFileEx(local.c_str(), "../escaped", nullptr), 0);
    EXPECT_FALSE(TempDir::Exists(dir.Path("escaped")));

    const std::string back = dir.Path("back.txt");
    EXPECT_EQ(KIVO_LinkGetFile(back.c_str(), "HELLO.TXT", nullptr), 0);
    EXPECT_EQ(TempDir::Read(back), Text("Hello from the handheld.\r\n"));

    const std::string list = dir.Path("list.txt");
    EXPECT_EQ(KIVO_LinkFileList(list.c_str(), "", nullptr), 0);
    const std::string expected = mode == 2 ? "BIG\t70000\r\nHELLO.TXT\t26\r\nONE\t3000\r\n"
                                           : "HELLO.TXT\t26\r\nONE\t3000\r\n";
    EXPECT_EQ(TempDir::Read(list), Text(expected));

    EXPECT_EQ(KIVO_LinkDelFile("ONE", nullptr), 0);
    EXPECT_FALSE(TempDir::Exists(served + "/ONE"));

    EXPECT_EQ(KIVO_AppTextSend(dir.Write("text.txt", Text("hello\r\n")).c_str(), nullptr), 0);
    EXPECT_EQ(WaitForLine(textOut, 5000ms), "hello\r");

    const std::string in = dir.Path("in.txt");
    EXPECT_EQ(KIVO_AppTextRecv(in.c_str(), nullptr), 0);
    EXPECT_EQ(TempDir::Read(in), Text("world\r\n\x1A"));

    EXPECT_EQ(emulator->Stop(), 0);
    const std::vector<std::string> output = emulator->OutputLines();
    ASSERT_FALSE(output.empty());
    EXPECT_EQ(output.back().rfind("tessalink-handheld: stopped", 0), 0u) << output.back();
    EXPECT_FALSE(TempDir::Exists(envFile));

    // The release, packet by packet.
    const std::vector<std::string> packets = Tagged(output, "pkt");
    const std::vector<std::string> release = {
        "<- #1 C LE (3 bytes)", "-> ACK", "<- EOT", "-> ACK", "<- ENQ", "-> #1 DOK (3 bytes)",
        "<- ACK", "-> EOT", "<- ACK", "-> ENQ", "conversation finished"};
    ASSERT_GE(packets.size(), release.size()) << Joined(output);
    EXPECT_EQ(std::vector<std::string>(packets.begin(), packets.begin() + release.size()), release)
        << Joined(output);
    EXPECT_TRUE(Contains(packets, "<- #1 R FF  (4 bytes)")) << Joined(output);
    EXPECT_TRUE(Contains(packets, "<- unannounced text")) << Joined(output);
    const std::vector<std::string> events = Tagged(output, "emu");
    EXPECT_TRUE(Contains(events, "the PC opened the line") ||
                Contains(events, "the PC opened the line (probe)"))
        << Joined(output);
    EXPECT_TRUE(Contains(events, "text from the PC: 7 bytes written to " + textOut))
        << Joined(output);
    EXPECT_TRUE(Contains(events, "text to the PC: 7 bytes from " + textIn)) << Joined(output);
    if (mode == 1) {
        // Every probe answered and followed by the switch sequence: nothing
        // left on the line by an earlier conversation (the cancelled put
        // above all) came in the probe's way.
        const std::vector<std::string> line = Tagged(output, "line");
        const auto probes = std::count(line.begin(), line.end(), "<- probe");
        EXPECT_GE(probes, 9) << Joined(output);
        EXPECT_EQ(std::count(line.begin(), line.end(), "<- switch sequence"), probes)
            << Joined(output);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, EmulatorProgram, ::testing::Values(2, 1, 0),
                         [](const ::testing::TestParamInfo<int> &p) {
                             return "Mode" + std::to_string(p.param);
                         });

}  // namespace
