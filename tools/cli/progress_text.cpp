#include "progress_text.h"

#include <algorithm>
#include <cstdio>

namespace cli {

namespace {

constexpr size_t kMinBarWidth = 10;
constexpr size_t kMaxBarWidth = 40;
constexpr char kSpinner[] = "|/-\\";

std::string Rate(const ProgressState &state)
{
    if (state.seconds <= 0)
        return "";
    return "  " + ByteCount(static_cast<uint64_t>(static_cast<double>(state.done) / state.seconds)) + "/s";
}

// " 1:05 left", once the rate says something.
std::string TimeLeft(const ProgressState &state)
{
    if (state.total == 0 || state.done == 0 || state.done >= state.total || state.seconds < 1)
        return "";
    const double rate = static_cast<double>(state.done) / state.seconds;
    const auto left = static_cast<unsigned long>(static_cast<double>(state.total - state.done) / rate + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "  %lu:%02lu left", left / 60, left % 60);
    return text;
}

}  // namespace

std::string ByteCount(uint64_t bytes)
{
    static const char *const units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024)
        return std::to_string(bytes) + " B";
    double value = static_cast<double>(bytes);
    size_t unit = 0;
    while (value >= 1024 && unit + 1 < sizeof units / sizeof units[0]) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

namespace {

std::string Figures(const ProgressState &state, size_t room)
{
    std::string line;
    if (state.total == 0) {
        line = std::string(1, kSpinner[state.tick % 4]) + " " + ByteCount(state.done) + Rate(state);
    } else {
        const uint64_t done = std::min(state.done, state.total);
        const unsigned percent = static_cast<unsigned>(done * 100 / state.total);
        char share[8];
        std::snprintf(share, sizeof share, "%3u%%", percent);
        const std::string figures =
            std::string(share) + "  " + ByteCount(done) + " / " + ByteCount(state.total) + Rate(state) +
            TimeLeft(state);
        line = figures;
        if (room >= figures.size() + kMinBarWidth + 3) {
            const size_t width = std::min(room - figures.size() - 3, kMaxBarWidth);
            const size_t filled = static_cast<size_t>(done * width / state.total);
            line = "[" + std::string(filled, '#') + std::string(width - filled, '.') + "] " + figures;
        }
    }
    return line;
}

}  // namespace

std::string ProgressLine(const ProgressState &state, unsigned columns)
{
    const size_t room = columns > 0 ? columns - 1 : 0;
    const std::string label = state.label.empty() ? "" : state.label + "  ";
    std::string line = label + (state.waiting.empty() ? Figures(state, room > label.size() ? room - label.size() : 0)
                                                      : state.waiting);
    if (line.size() > room)
        line.resize(room);
    return line;
}

std::string JobSummary(size_t filesDone, size_t filesPlanned, uint64_t bytes, double seconds)
{
    std::string text = std::to_string(filesDone);
    if (filesDone != filesPlanned)
        text += " of " + std::to_string(filesPlanned);
    text += filesPlanned == 1 ? " file, " : " files, ";
    text += bytes < 1024 ? ByteCount(bytes) : ByteCount(bytes) + " (" + std::to_string(bytes) + " bytes)";
    char time[32];
    std::snprintf(time, sizeof time, " in %.1f s", seconds);
    return text + time;
}

}  // namespace cli
