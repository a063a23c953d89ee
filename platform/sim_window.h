// A caller's window for tests: records every message with the virtual time it
// came at, and answers the cancel poll from a script.
#ifndef TESSALINK_PLATFORM_SIM_WINDOW_H
#define TESSALINK_PLATFORM_SIM_WINDOW_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "../include/tessalink.h"
#include "platform.h"

class SimWindow {
public:
    struct Message {
        uint32_t time;
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };

    // Times messages by the clock of the platform in force when they arrive.
    SimWindow();
    SimWindow(const SimWindow &) = delete;
    SimWindow &operator=(const SimWindow &) = delete;

    KIVO_HWND Handle() { return &m_record; }

    // Answer 0 to the first n polls, then nonzero (cancel) to every later one.
    void CancelAfterPolls(size_t n);
    // Answer every message with what the function returns.
    void AnswerWith(std::function<intptr_t(const Message &)> answer) { m_answer = std::move(answer); }

    const std::vector<Message> &Messages() const { return m_messages; }
    size_t Count(uint32_t message) const;
    // The progress reports, as (wParam, lParam) pairs.
    std::vector<std::pair<uintptr_t, intptr_t>> Progress() const;

private:
    static intptr_t Proc(void *context, uint32_t message, uintptr_t wParam, intptr_t lParam);

    KIVO_WINDOW m_record;
    std::vector<Message> m_messages;
    std::function<intptr_t(const Message &)> m_answer;
};

#endif
