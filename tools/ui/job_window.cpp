#include "job_window.h"

#include <algorithm>
#include <utility>

namespace ui {

using cli::LinkWindow;
using cli::WaitPolicy;
using cli::WaitingText;


JobWindow::JobWindow(const std::atomic<bool> &cancel, const WaitPolicy &policy, uint64_t knownTotal, Report report)
    : m_record{&JobWindow::Proc, this},
      m_cancel(cancel),
      m_policy(policy),
      m_knownTotal(knownTotal),
      m_report(std::move(report)),
      m_lastProgress(std::chrono::steady_clock::now()),
      m_lastReport()  // long ago: the first progress is told at once
{
    m_progress.total = knownTotal;
}

intptr_t JobWindow::Proc(void *context, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    auto *window = static_cast<JobWindow *>(context);
    if (message == WM_LINK_POLL)
        return window->Poll() ? 1 : 0;
    if (message == WM_LINK_PROGRESS)
        window->OnProgress(wParam, lParam);
    return 0;
}

bool JobWindow::Poll()
{
    const auto now = std::chrono::steady_clock::now();
    const double silence = std::chrono::duration<double>(now - m_lastProgress).count();
    m_watch.longestSilence = std::max(m_watch.longestSilence, silence);
    if (silence >= LinkWindow::kWaitShownAfterSeconds) {
        std::string waiting = WaitingText(silence, m_policy, "");
        if (waiting != m_progress.waiting) {
            m_progress.waiting = std::move(waiting);
            Tell(now);
        }
    }
    if (m_policy.timeoutSeconds > 0 && silence >= m_policy.timeoutSeconds)
        m_watch.timedOut = true;
    return m_cancel.load() || m_watch.timedOut;
}

void JobWindow::OnProgress(uintptr_t bytes, intptr_t total)
{
    const auto now = std::chrono::steady_clock::now();
    m_progress.bytes += bytes;
    if (m_knownTotal == 0)
        m_progress.total = total > 0 ? static_cast<uint64_t>(total) : 0;
    m_lastProgress = now;
    const bool wasWaiting = !m_progress.waiting.empty();
    m_progress.waiting.clear();
    if (wasWaiting || now - m_lastReport >= kReportInterval)
        Tell(now);
}

void JobWindow::Tell(std::chrono::steady_clock::time_point now)
{
    m_lastReport = now;
    m_told = m_progress;
    m_report(m_progress);
}

void JobWindow::Flush()
{
    m_progress.waiting.clear();
    if (m_progress.bytes != m_told.bytes || m_progress.total != m_told.total || !m_told.waiting.empty())
        Tell(std::chrono::steady_clock::now());
}

}  // namespace ui
