#include <signal.h>
#include <unistd.h>

#include "io/signal_cleanup.h"
#include "io/signal_cleanup_paths.h"

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
// The handling put aside, for the destructor to put back.
struct sigaction g_previous[3];
sigset_t g_held;

void Remove_And_Resend(int signal_number) {
    for (std::atomic<const char*>& slot : g_cleanup_paths) {
        if (const char* path = slot.load()) unlink(path);
    }
    // SA_RESETHAND has put the default action back: once this returns, the signal, blocked
    // while it runs, ends the process, and the exit status shows it.
    raise(signal_number);
}

}  // namespace

SignalCleanup::SignalCleanup() {
    struct sigaction action {};
    action.sa_handler = Remove_And_Resend;
    sigemptyset(&action.sa_mask);
    for (const int signal_number : kSignals) sigaddset(&action.sa_mask, signal_number);
    action.sa_flags = SA_RESETHAND;
    for (int i = 0; i < 3; ++i) {
        sigaction(kSignals[i], nullptr, &g_previous[i]);
        if (g_previous[i].sa_handler != SIG_IGN) sigaction(kSignals[i], &action, nullptr);
    }
}

SignalCleanup::~SignalCleanup() {
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
    for (std::atomic<const char*>& slot : g_cleanup_paths) slot.store(nullptr);
}

void SignalCleanup::Hold() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal_number : kSignals) sigaddset(&signals, signal_number);
    sigprocmask(SIG_BLOCK, &signals, &g_held);
}

void SignalCleanup::Release() {
    sigprocmask(SIG_SETMASK, &g_held, nullptr);
}
