#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scan/line_scan.h"

/// The length of the whole lines at the start of `text` that the scan may pass in bulk: they
/// hold no '#' outside comments and literals, no backslash outside literals, no line
/// continuation, no carriage return and no raw string; every literal closes on its line and a
/// block comment that runs past a line keeps on to the line end. What they leave open is as
/// `Strip_Comments` line by line would leave it: `state` moves past them, `lines` gets their
/// number. `state` must be at rest (`At_Rest`); a partial line at the end is left to the line
/// by line path, and so is everything when `state` is one this scan does not start from.
std::size_t Plain_Lines(std::string_view text, ScanState& state, std::uint32_t& lines);
