#include "io/signal_cleanup.h"
#include "io/signal_cleanup_paths.h"

std::atomic<const char*> g_cleanup_paths[2];

void SignalCleanup::Add(const char* path) {
    for (std::atomic<const char*>& slot : g_cleanup_paths) {
        const char* empty = nullptr;
        if (slot.compare_exchange_strong(empty, path)) return;
    }
}

void SignalCleanup::Drop(const char* path) {
    for (std::atomic<const char*>& slot : g_cleanup_paths) {
        const char* expected = path;
        slot.compare_exchange_strong(expected, nullptr);
    }
}
