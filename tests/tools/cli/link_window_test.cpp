// The window the tool hands the link exports: progress in, cancel out.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "cancel_signal.h"
#include "link_window.h"

namespace {

intptr_t Send(KIVO_HWND window, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0)
{
    return window->proc(window->context, message, wParam, lParam);
}

TEST(LinkWindow, CtrlCTurnsThePollIntoACancel)
{
    cli::InstallCancelHandler();
    cli::LinkWindow window(0, false);
    EXPECT_EQ(Send(window.Handle(), WM_LINK_POLL), 0);
    std::raise(SIGINT);
    EXPECT_TRUE(cli::CancelRequested());
    EXPECT_NE(Send(window.Handle(), WM_LINK_POLL), 0);
    EXPECT_NE(Send(window.Handle(), WM_LINK_POLL), 0);
}

// For the waits in which the library polls no more.
TEST(LinkWindowDeathTest, ASecondCtrlCEndsTheToolAtOnce)
{
    EXPECT_EXIT(
        {
            cli::InstallCancelHandler();
            std::raise(SIGINT);
            std::raise(SIGINT);
            std::exit(0);
        },
        ::testing::KilledBySignal(SIGINT), "");
}

TEST(LinkWindow, AddsUpTheBytesOfEveryStep)
{
    cli::LinkWindow window(0, false);
    EXPECT_EQ(Send(window.Handle(), WM_LINK_PROGRESS, 253, 1000), 0);
    EXPECT_EQ(Send(window.Handle(), WM_LINK_PROGRESS, 0, 0), 0);
    EXPECT_EQ(Send(window.Handle(), WM_LINK_PROGRESS, 747, 1000), 0);
    EXPECT_EQ(window.BytesDone(), 1000u);
}

}  // namespace
