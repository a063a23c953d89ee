// tessalink-handheld: the handheld organizer, emulated, at the far end of a
// pseudo-terminal (or of a serial device), serving a directory as its
// storage. See --help, and emulator.h for how it knows when to send or take
// application text.
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "directory_file_store.h"
#include "emulator.h"
#include "handheld/unannounced_text.h"
#include "link/mode_defaults.h"
#include "platform/posix_port_device.h"
#include "host_files.h"
#include "line_device.h"

namespace {

using emulator::DirectoryFileStore;
using emulator::EmulatorSettings;
using emulator::LineDevice;
using emulator::ReplaceHostFile;

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int signal)
{
    g_stop = signal;
}

void CatchStopSignals()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnStopSignal;  // no SA_RESTART: the wait ends at once
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

const char kDefaultDirectory[] = "tessalink-handheld-files";

std::vector<uint8_t> Bytes(const std::string &text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

// The default directory, made with a few sample files if it does not exist.
bool MakeSampleDirectory(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        return true;
    if (::mkdir(path.c_str(), 0777) != 0) {
        std::fprintf(stderr, "tessalink-handheld: cannot create %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    std::vector<uint8_t> table(256);
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<uint8_t>(i);
    DirectoryFileStore store(path);
    const bool ok =
        store.Write("HELLO.TXT", Bytes("Hello from the handheld.\r\n")) &&
        store.Write("MEMO.TXT", Bytes("Buy rice and tea.\r\nCall the office at 3.\r\n")) &&
        store.Write("TABLE.BIN", table);
    if (!ok)
        std::fprintf(stderr, "tessalink-handheld: cannot write the sample files in %s\n",
                     path.c_str());
    return ok;
}

std::string Absolute(const std::string &path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// The words, on lines of at most width characters, each after the indent.
std::string Wrapped(const std::string &text, const std::string &indent, size_t width)
{
    std::string out, line;
    size_t at = 0;
    while (at < text.size()) {
        const size_t space = text.find(' ', at);
        const std::string word = text.substr(at, space == std::string::npos ? std::string::npos
                                                                             : space - at);
        at = space == std::string::npos ? text.size() : space + 1;
        if (!line.empty() && indent.size() + line.size() + 1 + word.size() > width) {
            out += indent + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return out + indent + line;
}

const char kFooterStart[] = R"text(
The line: on a pseudo-terminal, input that arrives while the PC's speed or
parity is not the mode's (9600 bit/s in modes 0 and 1, 115200 in mode 2; no
parity, or odd parity in mode 1) is ignored, as a handheld on a cable would
not understand it; -v says so.

The PC side: set the line printed at start, e.g. TESSALINK_COM2=/dev/pts/7, in
the environment of the program that uses the library (COM<n> opens the device
in TESSALINK_COM<n>), and use the same mode and COM number there.

Application text. Nothing on the wire announces it, so:
  - a conversation that does not begin like the PC's packets is the PC's text;
    each complete text replaces the --text-out file (without its end mark
    0x1A). It begins so:
)text";

const char kFooterEnd[] = R"text(
  - with --text-in, the file's contents (read afresh each time; a trailing
    0x1A dropped) and the end mark are sent when the line has been open and
    quiet for --text-delay ms since the PC opened it (in mode 1: since its
    probe and switch sequence) or since a conversation ended well. The PC
    starts every other conversation 500 ms after opening the line.

Output (standard output, line-buffered): the start lines, the line
TESSALINK_COM<n>=PATH alone on its line, then one line per event:
"<seconds since start> <tag> <text>", tags "emu" (the emulator: the PC opened
or closed the line, text taken or sent; with -v the close tells the bytes
that went each way and the time from the first byte in to the last out),
"pkt" (with -v: packets as "<- #1 C FF (3 bytes)" or "-> #1 DOK (3 bytes)",
control bytes as "-> ACK", "conversation finished"...), "line" (with -v in
mode 1: probe, switch sequence, frames "<- data #1 length 5", control frames;
with -vv also the raw pieces of modes 0 and 2); last
"tessalink-handheld: stopped".

Exit status: 0 when stopped by SIGINT, SIGTERM or SIGHUP (or after --help),
1 when the line or directory cannot be used, 2 on a usage error.)text";

}  // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    EmulatorSettings settings;
    int com = 0;
    std::string directory;
    std::string device;
    unsigned baud = 0;
    std::string envFile;

    CLI::App app("tessalink-handheld: an emulated handheld organizer at the far end of a "
                 "pseudo-terminal, serving a directory as its files.",
                 "tessalink-handheld");
    app.set_version_flag("--version", std::string("tessalink-handheld ") + TESSALINK_VERSION,
                         "Print the version and exit");
    app.add_option("--mode", settings.mode, "Link mode: 0, 1 or 2")
        ->type_name("N")
        ->capture_default_str()
        ->check(CLI::IsMember({0, 1, 2}));
    app.add_option("--com", com,
                   "COM number for the PC's side of the pseudo-terminal "
                   "[default: 1 in mode 0, 2 in modes 1 and 2]")
        ->type_name("N")
        ->check(CLI::Range(1, 255));
    app.add_option("--dir", directory,
                   std::string("Directory served as the handheld's files (its regular files) "
                               "[default: ./") +
                       kDefaultDirectory + ", created with sample files if missing]")
        ->type_name("DIR")
        ->check(CLI::ExistingDirectory);
    app.add_option("--device", device,
                   "Attach to this serial device instead of creating a pseudo-terminal")
        ->type_name("PATH");
    app.add_option("--baud", baud,
                   "Speed on --device [default: 9600 in modes 0 and 1, 115200 in mode 2]")
        ->type_name("N")
        ->check(CLI::Validator(
            [](std::string &text) {
                return LineDevice::IsSupportedSpeed(static_cast<unsigned>(std::atol(text.c_str())))
                           ? std::string()
                           : "unsupported speed " + text;
            },
            "SPEED"));
    app.add_option("--chunk-size", settings.chunkSize,
                   "Bytes per chunk of put-file-2 (\"DL\"): the PC's send block size")
        ->type_name("N")
        ->capture_default_str()
        ->check(CLI::Range(1, 1 << 24));
    app.add_option("--reply-size", settings.replySize,
                   "Data bytes per reply packet of list and get (must fit the PC's receive "
                   "block size)")
        ->type_name("N")
        ->capture_default_str()
        ->check(CLI::Range(4, 65535));
    app.add_option("--text-out", settings.textOut,
                   "Each text the PC sends replaces this file")
        ->type_name("FILE");
    app.add_option("--text-in", settings.textIn, "Text sent when the PC waits for one")
        ->type_name("FILE");
    app.add_option("--text-delay", settings.textDelayMs,
                   "Quiet time before the --text-in text is sent")
        ->type_name("MS")
        ->capture_default_str()
        ->check(CLI::Range(0, 600000));
    app.add_option("--pace", settings.paceBaud,
                   "Carry the bytes, each way, no faster than a line of this speed would "
                   "(10 bits per byte), to try the PC's side at the speed of a real cable "
                   "[default: as fast as the device takes them]")
        ->type_name("BAUD")
        ->check(CLI::Range(50u, 4000000u));
    app.add_option("--print-env-file", envFile,
                   "Once the pseudo-terminal is ready, write TESSALINK_COM<n>=PATH into this file "
                   "(whole, by renaming a temporary file); removed again when stopped")
        ->type_name("FILE");
    app.add_flag("-v,--verbose", settings.verbosity,
                 "Trace the conversation (twice: also the raw pieces of modes 0 and 2)");
    app.footer(kFooterStart + Wrapped(std::string("(") + handheld::kUnannouncedTextRule + ");",
                                      "      ", 79) + kFooterEnd);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        return app.exit(e) == 0 ? 0 : 2;
    }
    if (!device.empty() && (!envFile.empty() || com != 0)) {
        std::fprintf(stderr, "tessalink-handheld: --print-env-file and --com go with the "
                             "pseudo-terminal, not with --device\n");
        return 2;
    }
    if (device.empty() && baud != 0) {
        std::fprintf(stderr, "tessalink-handheld: --baud goes with --device\n");
        return 2;
    }
    if (com == 0)
        com = kModeDefaults[settings.mode].port;
    if (baud == 0)
        baud = static_cast<unsigned>(kModeDefaults[settings.mode].baud);
    settings.lineBaud = baud;

    if (directory.empty()) {
        directory = kDefaultDirectory;
        if (!MakeSampleDirectory(directory))
            return 1;
    }
    DirectoryFileStore store(directory);
    if (!store.IsOpen()) {
        std::fprintf(stderr, "tessalink-handheld: cannot open the directory %s: %s\n",
                     directory.c_str(), std::strerror(errno));
        return 1;
    }

    std::string error;
    std::unique_ptr<LineDevice> line = device.empty()
                                           ? LineDevice::CreatePseudoTerminal(error)
                                           : LineDevice::OpenSerial(device, baud, error);
    if (!line) {
        std::fprintf(stderr, "tessalink-handheld: %s\n", error.c_str());
        return 1;
    }
    CatchStopSignals();

    std::printf("tessalink-handheld: mode %d, serving %s\n", settings.mode,
                Absolute(directory).c_str());
    if (line->IsPseudoTerminal()) {
        const std::string envLine = PortDeviceVariable(com) + "=" + line->PeerPath();
        std::printf("tessalink-handheld: the PC opens %s as COM%d:\n%s\n", line->PeerPath().c_str(),
                    com, envLine.c_str());
        if (!envFile.empty() &&
            !ReplaceHostFile(envFile, Bytes(envLine + "\n"), error)) {
            std::fprintf(stderr, "tessalink-handheld: cannot write the env file: %s\n",
                         error.c_str());
            return 1;
        }
    } else {
        std::printf("tessalink-handheld: on %s at %u bit/s\n", line->PeerPath().c_str(), baud);
    }

    emulator::Emulator emulated(*line, store, settings);
    const bool ok = emulated.Run(g_stop);
    line.reset();
    if (!envFile.empty())
        ::unlink(envFile.c_str());
    const char *by = g_stop == SIGINT ? " by SIGINT" : g_stop == SIGTERM ? " by SIGTERM"
                     : g_stop == SIGHUP ? " by SIGHUP" : "";
    std::printf("tessalink-handheld: stopped%s\n", by);
    return ok ? 0 : 1;
}
