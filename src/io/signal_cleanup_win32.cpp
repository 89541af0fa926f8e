#include <windows.h>

#include <atomic>
#include <csignal>

#include "io/signal_cleanup.h"

namespace {

// A signal handler can reach nothing but process-wide state, so this is the one place that has
// some: the paths to remove, each prepared before it is stored, and the handling put aside.
// Windows has no SIGHUP; closing the console ends the process without a signal.
std::atomic<const char*> g_paths[2];
constexpr int kSignals[] = {SIGINT, SIGTERM};
void (*g_previous[2])(int);

void Remove_And_Resend(int signal_number) {
    // The temporary was opened for sharing with deletion, so it goes even while still open.
    for (std::atomic<const char*>& slot : g_paths) {
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
    for (std::atomic<const char*>& slot : g_paths) slot.store(nullptr);
}

void SignalCleanup::Add(const char* path) {
    for (std::atomic<const char*>& slot : g_paths) {
        const char* empty = nullptr;
        if (slot.compare_exchange_strong(empty, path)) return;
    }
}

void SignalCleanup::Drop(const char* path) {
    for (std::atomic<const char*>& slot : g_paths) {
        const char* expected = path;
        slot.compare_exchange_strong(expected, nullptr);
    }
}

// A Windows signal handler runs on a thread of its own, which no mask holds back; the moment
// between making a file and handing it over is left open.
void SignalCleanup::Hold() {}

void SignalCleanup::Release() {}
