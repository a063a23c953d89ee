// The window the link exports report to: it draws the progress line on
// standard error (only when that is a terminal) and answers the library's
// poll with the cancel that Ctrl-C requested.
#ifndef TESSALINK_CLI_LINK_WINDOW_H
#define TESSALINK_CLI_LINK_WINDOW_H

#include <chrono>
#include <cstdint>
#include <string>

#include "progress_text.h"
#include "tessalink.h"

namespace cli {

// What the windows of this run say while they wait, and when they give up.
struct WaitPolicy {
    // e.g. "mode 2, /dev/pts/3, 115200 bit/s": where the handheld is awaited
    std::string where;
    double timeoutSeconds = 0;  // > 0: cancel after so long without progress
};

// What a window says after silence seconds without progress: "waiting 5 s
// of 30<aside>: handheld in link mode? <where>". aside: e.g. " (Ctrl-C
// cancels)", or "".
std::string WaitingText(double silence, const WaitPolicy &policy, const std::string &aside);

// What the last call's window saw.
struct CallWatch {
    double longestSilence = 0;  // seconds without progress, the longest stretch
    bool timedOut = false;      // the window cancelled for the time-out
};

class LinkWindow {
public:
    // knownTotal: the bytes the whole call moves, when the tool knows better
    // than each message (several files); 0 to take the messages' totals.
    LinkWindow(uint64_t knownTotal, bool draw);
    LinkWindow(const LinkWindow &) = delete;
    LinkWindow &operator=(const LinkWindow &) = delete;

    KIVO_HWND Handle() { return &m_record; }
    uint64_t BytesDone() const { return m_state.done; }
    // What the line shows first, e.g. the file that moves now.
    void SetLabel(const std::string &label) { m_state.label = label; }

    // Ends the progress line, if one was drawn.
    void Finish();

    // Whether progress lines belong on standard error.
    static bool StandardErrorIsTerminal();

    static void SetWaitPolicy(const WaitPolicy &policy);
    static const CallWatch &LastCall();

    // After this long without progress, the line says what it waits for.
    static constexpr double kWaitShownAfterSeconds = 2;

private:
    static intptr_t Proc(void *context, uint32_t message, uintptr_t wParam, intptr_t lParam);
    void OnProgress(uintptr_t bytes, intptr_t total);
    void Draw(bool evenIfRecent);
    // Notes the silence so far; true when the time-out has come.
    bool Watch(std::chrono::steady_clock::time_point now);

    KIVO_WINDOW m_record;
    ProgressState m_state;
    uint64_t m_knownTotal;
    bool m_draw;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDraw;
    std::chrono::steady_clock::time_point m_lastProgress;
};

}  // namespace cli

#endif
