#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/line_scan.h"

namespace {

constexpr std::uint32_t M = kCommentMarker;
using Mode = ScanState::Mode;

TEST(CommentStripTest, OffsetsMapTheCopyBackToTheLine) {
    const struct {
        std::string line;
        std::string analysis;
        std::vector<std::uint32_t> offsets;
    } cases[] = {
        {"x /* a */ y", "x   y", {0, 1, M, 9, 10}},
        {"#/* c */include <a.h> // c",
         "# include <a.h> ",
         {0, M, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21}},
        {"a \\", "a ", {0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ScanState state;
        std::string analysis = "stale";
        std::vector<std::uint32_t> offsets{1, 2, 3};
        ASSERT_TRUE(Strip_Comments(c.line, state, analysis, offsets));
        EXPECT_EQ(analysis, c.analysis);
        EXPECT_EQ(offsets, c.offsets);
    }
}

// Files of a few lines, each line's analysis copy separated by '|', and whether each line could
// begin a directive ('y' or '-').
TEST(CommentStripTest, StateCarriesFromLineToLine) {
    const struct {
        std::vector<std::string> lines;
        std::string analyses;
        std::string directives;
        Mode mode_after = Mode::code;
    } cases[] = {
        {{"/*/", "*/ #d"}, "| #d", "yy"},
        {{"a /* b", "c */ #d"}, "a | #d", "y-"},
        {{"\"a//b\" /* c", "", "*"}, "\"a//b\" ||", "y--", Mode::block_comment},
        {{"s = R\"(\"/*)\";", "#d"}, "s = R\"(\"/*)\";|#d", "yy"},
        {{"x = u8R\"d(a", "#include \"q\"", ")\" )d\" y"},
         "x = u8R\"d(a|#include \"q\"|)\" )d\" y",
         "y--"},
        {{"LR\"(", ")\"", "R\"x(a\\", ")x\""}, "LR\"(|)\"|R\"x(a\\|)x\"", "y-y-"},
        {{"n = 1'000'000 + 0x1'F + .5'0;", "c = u8'a' + L'\\'';"},
         "n = 1'000'000 + 0x1'F + .5'0;|c = u8'a' + L'\\'';",
         "yy"},
        {{"a \\", "#d", "\\", "#d"}, "a |#d||#d", "y-yy"},
        {{"s = \"ab\\", "cd\" // \\", "#d", "#d"}, "s = \"ab|cd\" ||#d", "y--y"},
        {{"#if A /* c", "#d */ #e"}, "#if A | #e", "y-"},
        {{"s = \"a\\\\", "\"b\""}, "s = \"a\\|\"b\"", "y-"},
        // a literal scanned in blocks of 16 bytes, far into its line
        {{std::string(40, 'a') + "\"\\\" /* \" /* c */ 0123456789abcdef"},
         std::string(40, 'a') + "\"\\\" /* \"   0123456789abcdef",
         "y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.lines));
        ScanState state;
        std::string analyses;
        std::string directives;
        std::string analysis;
        std::vector<std::uint32_t> offsets;
        for (const std::string& line : c.lines) {
            directives += state.Directive_Possible() ? 'y' : '-';
            ASSERT_TRUE(Strip_Comments(line, state, analysis, offsets)) << line;
            analyses += (analyses.empty() && directives.size() == 1 ? "" : "|") + analysis;
        }
        EXPECT_EQ(analyses, c.analyses);
        EXPECT_EQ(directives, c.directives);
        EXPECT_EQ(state.mode, c.mode_after);
    }
}

TEST(CommentStripTest, LiteralsLeftOpenFail) {
    for (const std::string line : {"#error don't", "x = \"abc", "'", "\"a\\\"", "xR\"(\")\"",
                                   "R\"12345678901234567(\")\""}) {
        SCOPED_TRACE(line);
        ScanState state;
        EXPECT_FALSE(Check_Comments(line, state));
    }
    // Quotes inside comments open nothing.
    ScanState state;
    EXPECT_TRUE(Check_Comments("x // don't", state));
    EXPECT_TRUE(Check_Comments("x /* don't", state));
    EXPECT_TRUE(Check_Comments("it's */", state));
}

}  // namespace
