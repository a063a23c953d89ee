// The page's server's one link thread: one job at a time, the page's cancel
// reaching the call's window, and a stop that cancels what runs.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "event_hub.h"
#include "link_worker.h"

namespace ui {
namespace {

// A call that reports progress once, then polls its window until it answers
// "cancel", as the library's calls do while they wait for the handheld.
int32_t WaitForCancel(KIVO_HWND window, std::atomic<bool> &started, std::thread::id &thread)
{
    thread = std::this_thread::get_id();
    window->proc(window->context, WM_LINK_PROGRESS, 10, 100);
    started = true;
    while (window->proc(window->context, WM_LINK_POLL, 0, 0) == 0)
        std::this_thread::yield();
    return KIVO_CANCELLED;
}

cli::LinkSettings SomeLink()
{
    cli::LinkSettings link;
    link.mode = 2;
    link.device = "/nonexistent/tty";
    return link;
}

TEST(LinkWorker, RunsOneJobAtATimeAndCancelsIt)
{
    EventHub events;
    LinkWorker worker(events);
    JobInfo busy;
    std::unique_ptr<JobTicket> ticket = worker.Take("get", "A.TXT", busy);
    ASSERT_TRUE(ticket);
    std::atomic<bool> started{false};
    std::thread::id callThread;
    auto running = std::async(std::launch::async, [&] {
        return ticket->Run(SomeLink(), 0, [&](KIVO_HWND window) { return WaitForCancel(window, started, callThread); });
    });
    while (!started)
        std::this_thread::yield();

    EXPECT_FALSE(worker.Take("list", "", busy));
    EXPECT_EQ(busy.kind, "get");
    EXPECT_EQ(busy.name, "A.TXT");
    ASSERT_TRUE(worker.Current());
    EXPECT_EQ(worker.Current()->progress.bytes, 10u);
    EXPECT_EQ(worker.Current()->progress.total, 100u);

    EXPECT_TRUE(worker.Cancel());
    EXPECT_EQ(running.get().result, KIVO_CANCELLED);
    EXPECT_NE(callThread, std::this_thread::get_id());
    ticket.reset();
    EXPECT_FALSE(worker.Current());
    EXPECT_FALSE(worker.Cancel());
    EXPECT_TRUE(worker.Take("list", "", busy));
}

TEST(LinkWorker, EveryCallRunsOnTheSameThread)
{
    EventHub events;
    LinkWorker worker(events);
    std::thread::id first;
    std::thread::id second;
    JobInfo busy;
    for (std::thread::id *seen : {&first, &second}) {
        auto ticket = worker.Take("release", "", busy);
        ASSERT_TRUE(ticket);
        ticket->Run(SomeLink(), 0, [seen](KIVO_HWND) {
            *seen = std::this_thread::get_id();
            return static_cast<int32_t>(KIVO_OK);
        });
    }
    EXPECT_EQ(first, second);
    EXPECT_NE(first, std::this_thread::get_id());
}

TEST(LinkWorker, StopCancelsTheRunningCallAndTakesNoMore)
{
    EventHub events;
    LinkWorker worker(events);
    JobInfo busy;
    std::atomic<bool> started{false};
    std::thread::id callThread;
    auto running = std::async(std::launch::async, [&] {
        auto ticket = worker.Take("backup", "", busy);
        return ticket->Run(SomeLink(), 0, [&](KIVO_HWND window) { return WaitForCancel(window, started, callThread); })
            .result;
    });
    while (!started)
        std::this_thread::yield();
    worker.Stop();
    EXPECT_EQ(running.get(), KIVO_CANCELLED);
    EXPECT_FALSE(worker.Take("list", "", busy));
}

TEST(LinkWorker, TellsThePageAboutTheJob)
{
    EventHub events;
    LinkWorker worker(events);
    JobInfo busy;
    const uint64_t before = events.Last();
    {
        auto ticket = worker.Take("delete", "OLD.TXT", busy);
        ticket->Run(SomeLink(), 0, [](KIVO_HWND window) {
            window->proc(window->context, WM_LINK_PROGRESS, 5, 5);
            return static_cast<int32_t>(KIVO_ERR_WRONG_REPLY);
        });
        ticket->Finish(KIVO_ERR_WRONG_REPLY, "the handheld did not delete OLD.TXT (result -100)", "see the list");
    }
    std::string types;
    for (const ServerEvent &event : events.After(before, std::chrono::milliseconds(0)))
        types += event.type + " ";
    EXPECT_EQ(types, "state progress result state ");
    const std::vector<ServerEvent> all = events.After(before, std::chrono::milliseconds(0));
    EXPECT_NE(all[0].data.find("\"busy\":true"), std::string::npos) << all[0].data;
    EXPECT_NE(all[0].data.find("OLD.TXT"), std::string::npos) << all[0].data;
    EXPECT_NE(all[2].data.find("\"code\":-100"), std::string::npos) << all[2].data;
    EXPECT_NE(all[3].data.find("\"busy\":false"), std::string::npos) << all[3].data;
}

}  // namespace
}  // namespace ui
