#pragma once

#include <string>
#include <unordered_set>

#include "expand/options.h"
#include "io/diagnostics.h"

/// The key that tells files apart for include-once: `path` made absolute, with '/' for every
/// separator, in lower case where file names ignore case. False when it cannot be made
/// absolute; the caller prints the error.
[[nodiscard]] bool Guard_Key(const char* path, std::string& key);

/// The macro names the run has issued for its guards, each once.
class GuardNames {
  public:
    /// A name of the run's own for the file with guard `key`: "__", `tag`, the file's name and
    /// the SHA-1 of `key` as the output shows it (`map`). Unique in the run; a collision is
    /// warned about and lengthened.
    const std::string& Issue(const std::string& key, const char* tag, const PathPrefixMap& map,
                             Diagnostics& diagnostics);

  private:
    std::unordered_set<std::string> names_;
    // Reused from one name to the next.
    std::string scratch_;
    std::string shown_;
    std::string file_name_;
};
