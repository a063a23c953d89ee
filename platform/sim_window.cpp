#include "sim_window.h"

SimWindow::SimWindow() : m_record{&SimWindow::Proc, this} {}

void SimWindow::CancelAfterPolls(size_t n)
{
    auto polls = std::make_shared<size_t>(0);
    m_answer = [n, polls](const Message &m) -> intptr_t {
        if (m.message != WM_LINK_POLL)
            return 0;
        return (*polls)++ >= n ? 1 : 0;
    };
}

size_t SimWindow::Count(uint32_t message) const
{
    size_t n = 0;
    for (const Message &m : m_messages)
        n += m.message == message;
    return n;
}

std::vector<std::pair<uintptr_t, intptr_t>> SimWindow::Progress() const
{
    std::vector<std::pair<uintptr_t, intptr_t>> reports;
    for (const Message &m : m_messages)
        if (m.message == WM_LINK_PROGRESS)
            reports.emplace_back(m.wParam, m.lParam);
    return reports;
}

intptr_t SimWindow::Proc(void *context, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    SimWindow *self = static_cast<SimWindow *>(context);
    Message m{CurrentPlatform().TickCount(), message, wParam, lParam};
    self->m_messages.push_back(m);
    return self->m_answer ? self->m_answer(m) : 0;
}
