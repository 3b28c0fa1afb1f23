#include "cli/interrupt_wait.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int)
{
    if (g_interrupted) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
        return;
    }
    g_interrupted = 1;
}

}  // namespace

bool TInterruptWait::Cancelled() const { return g_interrupted != 0; }

void TInterruptWait::Install()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: a blocked read returns and the wait sees the flag
    sigaction(SIGINT, &action, nullptr);
    SetWaitWindowFactory([] { return static_cast<IWaitWindow*>(new TInterruptWait); });
}
