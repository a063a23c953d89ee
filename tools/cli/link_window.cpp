#include "link_window.h"

#include <algorithm>
#include <cstdio>

#include <sys/ioctl.h>
#include <unistd.h>

#include "cancel_signal.h"

namespace cli {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr unsigned kDefaultColumns = 80;

WaitPolicy g_policy;
CallWatch g_lastCall;

double Seconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

unsigned TerminalColumns()
{
    struct winsize size = {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return kDefaultColumns;
}

}  // namespace

std::string WaitingText(double silence, const WaitPolicy &policy, const std::string &aside)
{
    char text[64];
    if (policy.timeoutSeconds > 0)
        std::snprintf(text, sizeof text, "waiting %.0f s of %g", silence, policy.timeoutSeconds);
    else
        std::snprintf(text, sizeof text, "waiting %.0f s", silence);
    // What matters first, as a narrow terminal cuts the end.
    return std::string(text) + aside + ": handheld in link mode? " + policy.where;
}

LinkWindow::LinkWindow(uint64_t knownTotal, bool draw)
    : m_record{&LinkWindow::Proc, this},
      m_knownTotal(knownTotal),
      m_draw(draw),
      m_start(std::chrono::steady_clock::now()),
      m_lastDraw(m_start),
      m_lastProgress(m_start)
{
    m_state.total = knownTotal;
    g_lastCall = CallWatch();
}

void LinkWindow::SetWaitPolicy(const WaitPolicy &policy)
{
    g_policy = policy;
}

const CallWatch &LinkWindow::LastCall()
{
    return g_lastCall;
}

bool LinkWindow::Watch(std::chrono::steady_clock::time_point now)
{
    const double silence = Seconds(now - m_lastProgress);
    g_lastCall.longestSilence = std::max(g_lastCall.longestSilence, silence);
    if (silence >= kWaitShownAfterSeconds && !g_policy.where.empty())
        m_state.waiting = WaitingText(silence, g_policy, " (Ctrl-C cancels)");
    if (g_policy.timeoutSeconds > 0 && silence >= g_policy.timeoutSeconds)
        g_lastCall.timedOut = true;
    return g_lastCall.timedOut;
}

bool LinkWindow::StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

intptr_t LinkWindow::Proc(void *context, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    auto *window = static_cast<LinkWindow *>(context);
    if (message == WM_LINK_POLL) {
        const bool timedOut = window->Watch(std::chrono::steady_clock::now());
        window->Draw(false);
        return CancelRequested() || timedOut ? 1 : 0;
    }
    if (message == WM_LINK_PROGRESS)
        window->OnProgress(wParam, lParam);
    return 0;
}

void LinkWindow::OnProgress(uintptr_t bytes, intptr_t total)
{
    m_state.done += bytes;
    m_lastProgress = std::chrono::steady_clock::now();
    m_state.waiting.clear();
    if (m_knownTotal == 0)
        m_state.total = total > 0 ? static_cast<uint64_t>(total) : 0;
    ++m_state.tick;
    Draw(m_state.total != 0 && m_state.done >= m_state.total);
}

void LinkWindow::Draw(bool evenIfRecent)
{
    if (!m_draw)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!evenIfRecent && now - m_lastDraw < kRedrawInterval)
        return;
    if (!evenIfRecent)
        ++m_state.tick;
    m_lastDraw = now;
    m_state.seconds = std::chrono::duration<double>(now - m_start).count();
    std::fprintf(stderr, "\r%s\033[K", ProgressLine(m_state, TerminalColumns()).c_str());
    std::fflush(stderr);
    m_drawn = true;
}

void LinkWindow::Finish()
{
    if (!m_drawn)
        return;
    m_drawn = false;
    if (m_state.done == 0) {  // only the spinner of a call that moves no data
        std::fputs("\r\033[K", stderr);
        return;
    }
    Draw(true);
    std::fputc('\n', stderr);
}

}  // namespace cli
