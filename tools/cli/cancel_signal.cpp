#include "cancel_signal.h"

#include <csignal>

#include <signal.h>

namespace cli {

namespace {

volatile std::sig_atomic_t g_cancelRequested = 0;

void OnInterrupt(int signalNumber)
{
    if (g_cancelRequested != 0) {
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    g_cancelRequested = 1;
}

}  // namespace

void InstallCancelHandler()
{
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

bool CancelRequested()
{
    return g_cancelRequested != 0;
}

}  // namespace cli
