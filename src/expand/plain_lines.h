#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

/// The length of the whole lines at the start of `text` that hold none of '#', '/', '"', '\''
/// and carriage return, and so have nothing to analyse: outside a block comment they hold no
/// directive, comment or literal, and inside one they cannot end it. `lines` gets their number.
/// A partial line at the end is left to the line by line path.
std::size_t Plain_Lines(std::string_view text, std::uint32_t& lines);
