// The window a job of the page's server gives the link exports: it passes
// their progress on, says what the call waits for when the handheld is
// silent, and answers the library's poll with the page's cancel or the
// time-out of the settings.
#ifndef TESSALINK_UI_JOB_WINDOW_H
#define TESSALINK_UI_JOB_WINDOW_H

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "link_window.h"
#include "tessalink.h"

namespace ui {

struct JobProgress {
    uint64_t bytes = 0;
    uint64_t total = 0;    // 0: not known
    std::string waiting;   // "" while the handheld is not silent
};

class JobWindow {
public:
    // report: called on the link thread at most every interval with news,
    // and at once when the waiting text changes; knownTotal: the bytes of the
    // whole job when the server knows better than each message (0: not).
    using Report = std::function<void(const JobProgress &)>;
    JobWindow(const std::atomic<bool> &cancel, const cli::WaitPolicy &policy, uint64_t knownTotal, Report report);
    JobWindow(const JobWindow &) = delete;
    JobWindow &operator=(const JobWindow &) = delete;

    KIVO_HWND Handle() { return &m_record; }
    const JobProgress &Progress() const { return m_progress; }
    const cli::CallWatch &Watch() const { return m_watch; }

    // After the call: reports the last progress, if it was not told yet,
    // with no waiting text.
    void Flush();

    static constexpr auto kReportInterval = std::chrono::milliseconds(100);

private:
    static intptr_t Proc(void *context, uint32_t message, uintptr_t wParam, intptr_t lParam);
    bool Poll();
    void OnProgress(uintptr_t bytes, intptr_t total);
    void Tell(std::chrono::steady_clock::time_point now);

    KIVO_WINDOW m_record;
    const std::atomic<bool> &m_cancel;
    cli::WaitPolicy m_policy;
    uint64_t m_knownTotal;
    Report m_report;
    JobProgress m_progress;
    JobProgress m_told;
    cli::CallWatch m_watch;
    std::chrono::steady_clock::time_point m_lastProgress;
    std::chrono::steady_clock::time_point m_lastReport;
};

}  // namespace ui

#endif
