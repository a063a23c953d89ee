// link_campaign: randomized conversations between the library and the
// handheld on the simulated line, in virtual time, with random faults; each
// decided by its seed alone.
//
//   link_campaign --seeds 1-400            the conversations of seeds 1 to 400
//   link_campaign --seeds 7,12,100-120     lists and ranges
//   link_campaign --seed 1234              one conversation, told in full
//
// After each: the call returned within its virtual-time bound with a result
// of the table; a success moved the data exactly unless a fault that the
// protocol's checks cannot catch reached it (counted, and reported); the port
// is closed and the next call works. A failing seed prints itself with the
// command that replays it. The exit status is 0 when every seed passed.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "conversation_run.h"
#include "support/temp_dir.h"

namespace {

volatile uint64_t g_currentSeed = 0;

// A crash, a kill (a time-out of the test command), or the simulated platform
// stopping a call that would wait for ever, still names the seed that caused it.
void OnFatalSignal(int signal)
{
    char text[160];
    const int n = std::snprintf(text, sizeof text,
                                "\nlink_campaign: seed %llu stopped (signal %d); replay: "
                                "link_campaign --seed %llu\n",
                                static_cast<unsigned long long>(g_currentSeed), signal,
                                static_cast<unsigned long long>(g_currentSeed));
    if (n > 0 && write(STDERR_FILENO, text, static_cast<size_t>(n)) < 0) {
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

bool ParseSeeds(const char *text, std::vector<uint64_t> &seeds)
{
    std::string all(text);
    size_t pos = 0;
    while (pos <= all.size()) {
        const size_t comma = all.find(',', pos);
        const std::string part = all.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        char *end = nullptr;
        const unsigned long long first = std::strtoull(part.c_str(), &end, 10);
        if (end == part.c_str())
            return false;
        unsigned long long last = first;
        if (*end == '-') {
            const char *from = end + 1;
            last = std::strtoull(from, &end, 10);
            if (end == from || last < first)
                return false;
        }
        if (*end != '\0')
            return false;
        for (unsigned long long s = first; s <= last; ++s)
            seeds.push_back(s);
        if (comma == std::string::npos)
            break;
        pos = comma + 1;
    }
    return !seeds.empty();
}

int Usage()
{
    std::fprintf(stderr, "usage: link_campaign --seeds FIRST-LAST[,N...] | --seed N\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    std::vector<uint64_t> seeds;
    bool tell = false;
    if (argc != 3)
        return Usage();
    if (std::strcmp(argv[1], "--seed") == 0)
        tell = true;
    else if (std::strcmp(argv[1], "--seeds") != 0)
        return Usage();
    if (!ParseSeeds(argv[2], seeds) || (tell && seeds.size() != 1))
        return Usage();

    std::signal(SIGABRT, OnFatalSignal);
    std::signal(SIGSEGV, OnFatalSignal);
    std::signal(SIGBUS, OnFatalSignal);
    std::signal(SIGFPE, OnFatalSignal);
    std::signal(SIGTERM, OnFatalSignal);
    std::signal(SIGINT, OnFatalSignal);

    TempDir dir;
    FaultCounts faults{};
    uint64_t conversations = 0, successes = 0, hangs = 0, wrongSuccesses = 0, undetectable = 0,
             handheldFaults = 0, failures = 0;
    uint64_t virtualMs = 0;
    for (uint64_t seed : seeds) {
        g_currentSeed = seed;
        const ConversationOutcome o = RunConversation(seed, dir, tell);
        ++conversations;
        virtualMs += o.elapsedMs;
        for (size_t k = 0; k < faults.size(); ++k)
            faults[k] += o.injected[k];
        if (o.success)
            ++successes;
        if (o.elapsedMs > o.boundMs)
            ++hangs;
        if (o.success && !o.exact) {
            if (!o.checkable)
                ++undetectable;
            else if (o.handheldAtFault)
                ++handheldFaults;
            else
                ++wrongSuccesses;
        }
        if (tell || (o.success && !o.exact && (!o.checkable || o.handheldAtFault))) {
            std::printf("%sseed %llu: %s\n  result %d after %u ms (bound %u ms)%s\n",
                        tell ? "told above; " : "", static_cast<unsigned long long>(seed),
                        tell ? "" : o.described.c_str(), o.result,
                        o.elapsedMs, o.boundMs,
                        !o.success || o.exact ? ""
                        : !o.checkable       ? ", wrong data from a fault no check can catch"
                        : o.handheldAtFault ? ", wrong data from the handheld's own fault"
                                               : ", wrong data");
        }
        if (!o.failure.empty()) {
            ++failures;
            std::printf("FAILED seed %llu: %s\n  %s\n  replay: link_campaign --seed %llu\n",
                        static_cast<unsigned long long>(seed), o.described.c_str(), o.failure.c_str(),
                        static_cast<unsigned long long>(seed));
        }
    }

    std::printf("conversations run: %llu (successes %llu, %.1f hours of virtual time)\n",
                static_cast<unsigned long long>(conversations), static_cast<unsigned long long>(successes),
                static_cast<double>(virtualMs) / 3.6e6);
    std::printf("faults injected by kind (the cable's as injected; the handheld's, the device's and the "
                "window's as planned):\n");
    for (size_t k = 0; k < faults.size(); ++k)
        std::printf("  %-20s %llu\n", FaultName(static_cast<FaultKind>(k)),
                    static_cast<unsigned long long>(faults[k]));
    std::printf("hangs: %llu\nsuccesses with wrong data: %llu\nundetectable corruptions seen: %llu\n"
                "successes with wrong data from the handheld's own faults (a block taken out of order, a "
                "text dropped midway): %llu\n"
                "failed seeds: %llu\n",
                static_cast<unsigned long long>(hangs), static_cast<unsigned long long>(wrongSuccesses),
                static_cast<unsigned long long>(undetectable), static_cast<unsigned long long>(handheldFaults),
                static_cast<unsigned long long>(failures));
    return failures == 0 ? 0 : 1;
}
