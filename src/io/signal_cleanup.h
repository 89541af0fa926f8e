#pragma once

/// While it lives, an interrupt (SIGINT, SIGTERM and, where there is one, SIGHUP) removes the
/// files handed to `Add` before the process ends as that signal ends it, so that a stopped run
/// leaves no temporary behind. A signal that was ignored stays ignored. One at a time.
class SignalCleanup {
  public:
    SignalCleanup();
    /// Puts back the handling there was before.
    ~SignalCleanup();
    SignalCleanup(const SignalCleanup&) = delete;
    SignalCleanup& operator=(const SignalCleanup&) = delete;

    /// Removes `path` on a signal from now on; it must stay valid until `Drop(path)`. At most
    /// two paths at a time.
    void Add(const char* path);
    /// No longer removes `path`.
    void Drop(const char* path);
    /// Holds interrupts back until `Release`, so that a file made and handed to `Add` in
    /// between is never left behind by one that came in the middle.
    void Hold();
    void Release();
};
