#include <windows.h>

#include <csignal>

#include "io/signal_cleanup.h"
#include "io/signal_cleanup_paths.h"

namespace {

// Windows has no SIGHUP; closing the console ends the process without a signal.
constexpr int kSignals[] = {SIGINT, SIGTERM};
// The handling put aside, for the destructor to put back.
void (*g_previous[2])(int);

void Remove_And_Resend(int signal_number) {
    // The temporary was opened for sharing with deletion, so it goes even while still open.
    for (std::atomic<const char*>& slot : g_cleanup_paths) {
        if (const char* path = slot.load()) DeleteFileA(path);
    }
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

}  // namespace

SignalCleanup::SignalCleanup() {
    for (int i = 0; i < 2; ++i) {
        g_previous[i] = std::signal(kSignals[i], Remove_And_Resend);
        if (g_previous[i] == SIG_IGN) std::signal(kSignals[i], SIG_IGN);
    }
}

SignalCleanup::~SignalCleanup() {
    for (int i = 0; i < 2; ++i) std::signal(kSignals[i], g_previous[i]);
    for (std::atomic<const char*>& slot : g_cleanup_paths) slot.store(nullptr);
}

// A Windows signal handler runs on a thread of its own, which no mask holds back; the moment
// between making a file and handing it over is left open.
void SignalCleanup::Hold() {}

void SignalCleanup::Release() {}
