#pragma once

#include <map>
#include <set>
#include <string>

struct RunState;

/// The guard names issued in a run and the name issued for each guard key. Shared by all inputs.
struct GuardTable {
    std::set<std::string> names;
    std::map<std::string, const std::string*> by_key;
};

enum class OnceResult {
    guarded,  ///< first expansion: the guard block was written
    skipped,  ///< seen before: the check lines were written and the frame popped
    failed,   ///< the error was printed; the run ends
};

/// Applies include-once to the frame just opened on top of the stack. Prints its own verbose
/// message and error.
OnceResult Apply_Include_Once(RunState& state);
