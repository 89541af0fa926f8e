#pragma once

#include <atomic>

// Shared by the platform halves of SignalCleanup.

/// The paths an interrupt removes. A signal handler can reach nothing but process-wide state,
/// so this is the one place that has some; each path is prepared before it is stored.
extern std::atomic<const char*> g_cleanup_paths[2];
