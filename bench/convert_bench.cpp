// Throughput of the conversion exports at 1 MiB and 64 MiB of input, with
// `base64 -d` and `xxd -r -p` on the same 64 MiB workloads as outside
// references, and a summary of the figures against the project's goals:
//   - 4-to-3 decoding at least as fast as base64 -d;
//   - hex-to-binary at least 5 times as fast as xxd -r -p;
//   - every conversion linear: 64 times the input takes at most 80 times as long
//     (the code mask also on its worst case, a text of nothing but 0xEB).
//
// Run: cmake --preset ci && cmake --build --preset ci --target convert_bench &&
//      out/ci/bench/convert_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "tessalink.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kSmall = size_t(1) << 20;
constexpr size_t kLarge = size_t(64) << 20;

// ---- Workloads: each exactly n bytes of input text ----

std::mt19937 &Rng()
{
    static std::mt19937 rng(6);
    return rng;
}

// A text of n bytes from an alphabet of 64, in lines of 76 characters ended
// by LF (the shape base64 writes).
std::string Encoded(const char *alphabet, size_t n)
{
    std::string text;
    text.reserve(n);
    std::uniform_int_distribution<int> pick(0, 63);
    while (text.size() < n)
        text += (text.size() % 77 == 76) ? '\n' : alphabet[pick(Rng())];
    return text;
}

std::string FourToThreeText(size_t n)
{
    return Encoded("012345ABCDEFGHIJKLMNOPQRSTUVWXYZ6789:;abcdefghijklmnopqrstuvwxyz", n);
}

std::string Base64Text(size_t n)
{
    std::string text = Encoded("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/", n);
    // base64 -d wants whole groups of four: the last line's length made a
    // multiple of four by turning its last characters into line breaks.
    size_t chars = 0;
    for (char c : text)
        chars += c != '\n';
    for (size_t i = text.size(); chars % 4 != 0; --i)
        if (text[i - 1] != '\n') {
            text[i - 1] = '\n';
            --chars;
        }
    return text;
}

std::string HexText(size_t n)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(n, '0');
    std::uniform_int_distribution<int> pick(0, 15);
    for (char &c : text)
        c = kDigits[pick(Rng())];
    return text;
}

// Shift-JIS text: ASCII, kana and kanji, with a masked code now and then.
std::string JapaneseText(size_t n)
{
    static const char *const kPieces[] = {"abc ", "Tessalink ", "\x82\xA0\x82\xA2", "\x88\xA4",
                                          "\xB1\xB2", "\x98\x73", "\xEB\x40", "\xED\x40", "\r\n"};
    std::string text;
    std::uniform_int_distribution<size_t> pick(0, 8);
    while (text.size() < n)
        text += kPieces[pick(Rng())];
    text.resize(n);
    return text;
}

// Segments of about 60 bytes ended by 0x1F, some double-byte; labelled ones
// carry a label and a tab.
std::string LayoutText(size_t n, bool labelled)
{
    std::string text;
    std::uniform_int_distribution<int> pick(0, 9);
    unsigned line = 0;
    while (text.size() < n) {
        if (labelled) {
            char label[24];
            std::snprintf(label, sizeof label, "Item%u\t", line++ % 100000);
            text += label;
        }
        for (int i = 0; i < 12; ++i)
            text += pick(Rng()) < 3 ? "\x82\xA0\x82\xA2" : "word ";
        text += '\x1F';
    }
    text.resize(n);
    return text;
}

enum class Kind { FourToThree, Base64, Hex, Japanese, OnlyEB, Memo, Report };

// The workload of a kind and size, made once.
const std::string &Workload(Kind kind, size_t n)
{
    static std::map<std::pair<Kind, size_t>, std::string> cache;
    std::string &text = cache[{kind, n}];
    if (text.empty()) {
        switch (kind) {
        case Kind::FourToThree: text = FourToThreeText(n); break;
        case Kind::Base64: text = Base64Text(n); break;
        case Kind::Hex: text = HexText(n); break;
        case Kind::Japanese: text = JapaneseText(n); break;
        case Kind::OnlyEB: text.assign(n, '\xEB'); break;
        case Kind::Memo: text = LayoutText(n, false); break;
        case Kind::Report: text = LayoutText(n, true); break;
        }
    }
    return text;
}

fs::path TempPath(const std::string &name)
{
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("tessalink-bench-" + std::to_string(std::random_device()()));
        fs::create_directories(d);
        return d;
    }();
    return dir / name;
}

// ---- The benchmarks ----

typedef int32_t (*MemExport)(const char *, uint8_t *);
typedef int32_t (*FileExport)(const char *, const char *);

void ToMemory(benchmark::State &state, MemExport convert, Kind kind, size_t n)
{
    const std::string &text = Workload(kind, n);
    std::vector<uint8_t> out(n + 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(convert(text.c_str(), out.data()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * n));
}

void ToFile(benchmark::State &state, FileExport convert, Kind kind, size_t n)
{
    const std::string &text = Workload(kind, n);
    const std::string path = TempPath("out.bin").string();
    for (auto _ : state)
        if (convert(text.c_str(), path.c_str()) != 0)
            state.SkipWithError("the file could not be written");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * n));
}

// The in-place conversions work on a fresh copy each time (not timed).
void CodeMask(benchmark::State &state, Kind kind, size_t n)
{
    const std::string &text = Workload(kind, n);
    std::vector<char> work(n + 1);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(work.data(), text.c_str(), n + 1);
        state.ResumeTiming();
        benchmark::DoNotOptimize(KIVO_CodeMask(work.data()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * n));
}

void Layout(benchmark::State &state, Kind kind, size_t n)
{
    const std::string &text = Workload(kind, n);
    std::vector<char> work(n + 2);
    std::vector<char> out(4 * n + 1);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(work.data(), text.c_str(), n + 1);
        work[n + 1] = 0;  // the closing empty string
        out[0] = 0;
        state.ResumeTiming();
        if (kind == Kind::Memo)
            benchmark::DoNotOptimize(KIVO_MEM_Analize(work.data(), out.data(), 20));
        else
            benchmark::DoNotOptimize(KIVO_REP_Analize(work.data(), out.data(), 40, 24));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * n));
}

// An outside program on the workload, from a file to a file.
void Outside(benchmark::State &state, const char *command, Kind kind, size_t n)
{
    const fs::path in = TempPath(std::string(command).substr(0, 3) + ".in");
    const fs::path out = TempPath(std::string(command).substr(0, 3) + ".out");
    std::ofstream(in, std::ios::binary) << Workload(kind, n);
    const std::string line = std::string(command) + " < '" + in.string() + "' > '" + out.string() + "'";
    for (auto _ : state)
        if (std::system(line.c_str()) != 0)
            state.SkipWithError((std::string(command) + " failed or is missing").c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * n));
    fs::remove(in);
    fs::remove(out);
}

// ---- The summary against the goals ----

std::map<std::string, double> g_seconds;  // seconds per iteration, by benchmark name

// A run's name without the "/real_time" that UseRealTime appends.
std::string Name(const benchmark::BenchmarkReporter::Run &run)
{
    std::string name = run.benchmark_name();
    const std::string suffix = "/real_time";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.erase(name.size() - suffix.size());
    return name;
}

class Collector : public benchmark::ConsoleReporter {
public:
    Collector() : ConsoleReporter(OO_Tabular) {}  // no colours: the output is often kept in a file
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0)
                g_seconds[Name(run)] = run.real_accumulated_time / static_cast<double>(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
};

double Seconds(const std::string &name)
{
    auto it = g_seconds.find(name);
    return it == g_seconds.end() ? 0 : it->second;
}

const char *Verdict(bool met)
{
    return met ? "met" : "NOT MET";
}

void Summary(const std::vector<std::string> &conversions)
{
    std::printf("\nLinear scaling (goal: time at 64 MiB <= 80 x time at 1 MiB)\n");
    std::printf("  %-26s %10s %10s %10s %8s\n", "conversion", "1 MiB MB/s", "64MiB MB/s", "ratio", "goal");
    for (const std::string &c : conversions) {
        const double small = Seconds(c + "/1MiB"), large = Seconds(c + "/64MiB");
        if (small <= 0 || large <= 0)
            continue;
        std::printf("  %-26s %10.0f %10.0f %10.1f %8s\n", c.c_str(), kSmall / small / 1e6, kLarge / large / 1e6,
                    large / small, Verdict(large / small <= 80));
    }
    struct Pair {
        const char *ours, *reference;
        double goal;
    };
    const Pair pairs[] = {{"KIVO_4TO3_MEM", "base64 -d", 1}, {"KIVO_4TO3_FILE", "base64 -d", 1},
                          {"KIVO_HEX2BIN_MEM", "xxd -r -p", 5}, {"KIVO_HEX2BIN_FILE", "xxd -r -p", 5}};
    std::printf("\nAgainst the outside references, 64 MiB (ratio = reference time / our time)\n");
    for (const Pair &p : pairs) {
        const double ours = Seconds(std::string(p.ours) + "/64MiB");
        const double reference = Seconds(std::string(p.reference) + "/64MiB");
        if (ours <= 0 || reference <= 0)
            continue;
        std::printf("  %-18s %8.1f ms   %-10s %8.1f ms   ratio %6.1f   goal >= %.0f: %s\n", p.ours, ours * 1e3,
                    p.reference, reference * 1e3, reference / ours, p.goal, Verdict(reference / ours >= p.goal));
    }
}

}  // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    using Body = std::function<void(benchmark::State &, size_t)>;
    const std::vector<std::pair<std::string, Body>> conversions = {
        {"KIVO_4TO3_MEM", [](benchmark::State &s, size_t n) { ToMemory(s, KIVO_4TO3_MEM, Kind::FourToThree, n); }},
        {"KIVO_4TO3_FILE", [](benchmark::State &s, size_t n) { ToFile(s, KIVO_4TO3_FILE, Kind::FourToThree, n); }},
        {"KIVO_HEX2BIN_MEM", [](benchmark::State &s, size_t n) { ToMemory(s, KIVO_HEX2BIN_MEM, Kind::Hex, n); }},
        {"KIVO_HEX2BIN_FILE", [](benchmark::State &s, size_t n) { ToFile(s, KIVO_HEX2BIN_FILE, Kind::Hex, n); }},
        {"KIVO_CodeMask", [](benchmark::State &s, size_t n) { CodeMask(s, Kind::Japanese, n); }},
        {"KIVO_CodeMask(only EB)", [](benchmark::State &s, size_t n) { CodeMask(s, Kind::OnlyEB, n); }},
        {"KIVO_MEM_Analize", [](benchmark::State &s, size_t n) { Layout(s, Kind::Memo, n); }},
        {"KIVO_REP_Analize", [](benchmark::State &s, size_t n) { Layout(s, Kind::Report, n); }},
    };
    std::vector<std::string> names;
    for (const auto &[name, body] : conversions) {
        names.push_back(name);
        for (const auto &[suffix, n] : {std::pair<const char *, size_t>{"/1MiB", kSmall}, {"/64MiB", kLarge}}) {
            const size_t size = n;
            const Body run = body;
            benchmark::RegisterBenchmark((name + suffix).c_str(), [run, size](benchmark::State &s) { run(s, size); })
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    benchmark::RegisterBenchmark("base64 -d/64MiB",
                                 [](benchmark::State &s) { Outside(s, "base64 -d", Kind::Base64, kLarge); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("xxd -r -p/64MiB",
                                 [](benchmark::State &s) { Outside(s, "xxd -r -p", Kind::Hex, kLarge); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();

    Collector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    Summary(names);
    std::error_code ignored;
    fs::remove_all(TempPath("x").parent_path(), ignored);
    return 0;
}
