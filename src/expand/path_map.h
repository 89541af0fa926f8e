#pragma once

#include <string>
#include <string_view>

#include "expand/options.h"

/// `path` as the output shows it: with the leading text of the last pair in `map` whose old text
/// begins it replaced by the pair's new text. Returns `path` itself when no pair matches, else
/// the text in `scratch`, valid until `scratch` next changes.
std::string_view Map_Path(std::string_view path, const PathPrefixMap& map, std::string& scratch);
