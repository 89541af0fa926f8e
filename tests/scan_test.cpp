// The line analysis where end-to-end cases reach it only by chance: the offsets of the analysis
// copy, the state carried across lines and block-scan boundaries.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "scan/line_scan.h"
#include "scan/plain_lines.h"

namespace {

using namespace std::string_literals;
constexpr std::uint32_t M = kCommentMarker;

TEST(ScanTest, AnalysisCopiesAndTheirOffsets) {
    ScanState state;
    std::string analysis = "stale";
    std::vector<std::uint32_t> offsets{1, 2, 3};
    ASSERT_TRUE(Strip_Comments("#/* c */include <a.h> // c", state, analysis, offsets));
    EXPECT_EQ(analysis, "# include <a.h> ");
    EXPECT_EQ(offsets, (std::vector<std::uint32_t>{0, M, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18,
                                                   19, 20, 21}));
    // Lines of one file, their copies joined by '|', and whether each could begin a directive.
    const struct {
        std::vector<std::string> lines;
        std::string analyses, directives;
    } cases[] = {
        {{"a /* b", "c */ #d", "/*/", "*/ #d"}, "a | #d|| #d", "y-yy"},
        {{"x = u8R\"d(a", "#i \"q\"", ")\" )d\" y", "LR\"(", ")\""},
         "x = u8R\"d(a|#i \"q\"|)\" )d\" y|LR\"(|)\"",
         "y--y-"},
        {{"n = u8'a' + L'\\'' + 1'000 + 0x1'F", "a \\", "#d", "s = \"ab\\", "cd\" // \\", "#d"},
         "n = u8'a' + L'\\'' + 1'000 + 0x1'F|a |#d|s = \"ab|cd\" |",
         "yy-y--"},
        // a literal scanned in blocks of 16 bytes, far into its line
        {{std::string(40, 'a') + "\"\\\" /* \" /* c */ 0123456789abcdef"},
         std::string(40, 'a') + "\"\\\" /* \"   0123456789abcdef",
         "y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.lines));
        state = ScanState{};
        std::string analyses, directives;
        for (const std::string& line : c.lines) {
            directives += state.Directive_Possible() ? 'y' : '-';
            ScanState checked = state;
            ASSERT_TRUE(Check_Comments(line, checked));
            ASSERT_TRUE(Strip_Comments(line, state, analysis, offsets));
            EXPECT_EQ(checked.mode, state.mode);
            analyses += (directives.size() == 1 ? "" : "|") + analysis;
        }
        EXPECT_EQ(analyses, c.analyses);
        EXPECT_EQ(directives, c.directives);
    }
    for (const std::string line :
         {"#error don't", "x = \"abc", "\"a\\\"", "xR\"(\")\"", "R\"12345678901234567(\")\""}) {
        state = ScanState{};
        EXPECT_FALSE(Check_Comments(line, state)) << line;
    }
    // A backslash before the splice escapes the first byte of the next line, even a line of
    // one byte: the quote there does not close the string.
    state = ScanState{};
    ASSERT_TRUE(Check_Comments("s = \"x\\\\", state));
    EXPECT_FALSE(Check_Comments("\"", state));
}

TEST(ScanTest, PlainLinesStopAtTheLineOfTheFirstStopByte) {
    // Lines of 0 to 16 bytes, then more than 255 blocks of 16-byte lines, whose line feeds all
    // fall in one lane of a block; a stop byte all over, in every alignment.
    std::string text;
    for (std::size_t i = 0; text.size() < 80; ++i) text += std::string(i % 17, 'a') + "\n";
    for (int i = 0; i < 300; ++i) text += std::string(15, 'x') + "\n";
    for (std::size_t size = 0; size <= text.size(); size += size < 80 ? 1 : 61) {
        for (const char stop : "#/\"'\\\r"s) {
            for (std::size_t at = size < 40 ? 0 : size - 40; at <= size; ++at) {
                std::string piece = text.substr(0, size);
                if (at < size) piece[at] = stop;
                // The whole lines before the stop; a last partial block may be left out.
                const auto prefix = [](const std::string& t) {
                    const std::size_t end = t.rfind('\n', t.find_first_of("#/\"'\\\r"));
                    return end == std::string::npos ? 0 : end + 1;
                };
                std::uint32_t lines = 7;
                const std::size_t length = Plain_Lines(piece, lines);
                ASSERT_LE(length, prefix(piece)) << size << " " << at;
                ASSERT_GE(length, prefix(piece.substr(0, size / 16 * 16))) << size << " " << at;
                ASSERT_EQ(lines, std::count(piece.begin(), piece.begin() + length, '\n'));
            }
        }
    }
}

}  // namespace
