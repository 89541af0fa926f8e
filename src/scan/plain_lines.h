#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

/// The length of the whole lines at the start of `text` that hold none of '#', '/', '"', '\'',
/// '\\' and carriage return, and so have nothing to analyse: in code they hold no directive,
/// comment, literal or line continuation, and inside a block comment or a raw string they cannot
/// end it. `lines` gets their number.
/// A partial line at the end is left to the line by line path.
std::size_t Plain_Lines(std::string_view text, std::uint32_t& lines);
