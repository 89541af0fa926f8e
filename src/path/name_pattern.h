#pragma once

#include <string_view>

/// Whether `name` matches `pattern` whole: "*" stands for any run of bytes within one folder
/// name, "**" for any run across folders ("**/" also for none), and every other byte for itself,
/// '/' and '\' alike.
bool Matches_Pattern(std::string_view pattern, std::string_view name);
