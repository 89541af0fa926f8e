#pragma once

#include <string>

/// The process's current directory, asked of the system the first time a path is made
/// absolute and kept from then on: nothing in the program changes it while it runs.
class WorkingDirectory {
  public:
    /// CPath::To_Absolute, in place: `path` joined to the current directory unless it is
    /// absolute. False, with `path` as it was, when the current directory cannot be had.
    [[nodiscard]] bool To_Absolute(std::string& path);

  private:
    std::string directory_;
    bool known_ = false;
};
