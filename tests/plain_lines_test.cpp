// Lines with nothing to analyse are copied in runs straight from the read buffer: the block scan
// that finds them, at every length and alignment, and the line numbers after a run.

#include "scan/plain_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "test_tree.h"

namespace {

// The whole lines before the first byte that stops the scan.
std::size_t Plain_Prefix(const std::string& text) {
    const std::size_t stop = text.find_first_of(std::string("#/\"'\\\r"));
    const std::size_t end = text.rfind('\n', stop == std::string::npos ? text.size() : stop);
    return end == std::string::npos ? 0 : end + 1;
}

TEST(PlainLinesTest, ScanStopsAtTheLineOfTheFirstStopByte) {
    // Lines of 0 to 16 bytes, then more than 255 blocks' worth of 16-byte lines, whose line feeds
    // all fall in one lane of a block; a stop byte at positions all over, in every alignment.
    std::string text;
    for (std::size_t i = 0; text.size() < 80; ++i) {
        text += std::string(i % 17, static_cast<char>('a' + i % 26)) + "\n";
    }
    for (int i = 0; i < 300; ++i) text += std::string(15, 'x') + "\n";
    for (std::size_t size = 0; size <= text.size(); size += size < 80 ? 1 : 61) {
        for (const char stop : std::string("#/\"'\\\r\0", 7)) {
            for (std::size_t at = size < 40 ? 0 : size - 40; at <= size; ++at) {
                std::string piece = text.substr(0, size);
                if (at < size) piece[at] = stop;
                // A scan by blocks of 16 bytes may leave the lines in a last partial block.
                std::uint32_t lines = 7;
                const std::size_t length = Plain_Lines(piece, lines);
                const std::string trace = std::to_string(size) + " " + std::to_string(at);
                ASSERT_LE(length, Plain_Prefix(piece)) << trace;
                ASSERT_GE(length, Plain_Prefix(piece.substr(0, size / 16 * 16))) << trace;
                ASSERT_TRUE(length == 0 || piece[length - 1] == '\n') << trace;
                ASSERT_EQ(lines, static_cast<std::uint32_t>(
                                     std::count(piece.begin(), piece.begin() + length, '\n')))
                    << trace;
            }
        }
    }
}

class PlainLinesRunTest : public TreeTest {};

TEST_F(PlainLinesRunTest, LineNumbersAfterRunsOfEveryLength) {
    // Runs of 0 to 40 equal lines of each length from 0 to 40 bytes, each run followed by an
    // include, so a line number that drifts anywhere shows in the next #line directive; then a
    // literal left open after a long run names its line.
    std::string input, output;
    std::size_t number = 0;
    for (std::size_t length = 0; length <= 40; ++length) {
        for (std::size_t count = 0; count <= 40; count += 7) {
            for (std::size_t i = 0; i < count; ++i) {
                const std::string line(length, static_cast<char>('a' + i % 26));
                input += line + "\n";
                output += line + "\n";
                ++number;
            }
            input += "#include \"inc.h\"\n";
            output += "// #include {root}{/}inc.h\n#line 1 // \"inc.h\"\ni\n#line " +
                      std::to_string(++number + 1) + " // \"main.cl\"\n";
        }
    }
    Check({"runs",
           {{"main.cl", input + "it's;\n"}, {"inc.h", "i\n"}},
           {"-i", "main.cl", "-o", "out.txt"},
           output,
           "error: 'main.cl' line " + std::to_string(number + 1) + ": failed to strip comments\n",
           -1});
}

}  // namespace
