// The line analysis where end-to-end cases reach it only by chance: the offsets of the analysis
// copy, the state carried across lines and block-scan boundaries.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "scan/byte_masks.h"
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
        // a number may begin with '.'
        {{"f = .5'5; // '", "#a"}, "f = .5'5; |#a", "yy"},
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
         {"#error don't", "x = \"abc", "\"a\\\"", "xR\"(\")\"", "R\"12345678901234567(\")\"",
          "R\"12345678901234567("}) {
        state = ScanState{};
        EXPECT_FALSE(Check_Comments(line, state)) << line;
    }
    // A backslash before the splice escapes the first byte of the next line, even a line of
    // one byte: the quote there does not close the string.
    state = ScanState{};
    ASSERT_TRUE(Check_Comments("s = \"x\\\\", state));
    EXPECT_FALSE(Check_Comments("\"", state));
}

TEST(ScanTest, ByteMasksAtEveryLaneMatchAByteLoop) {
    const auto bits = [](const std::string& b, std::size_t from, const char* set, bool ends) {
        std::uint64_t mask = 0;
        for (std::size_t i = 0; i < 64; ++i) {
            const char c = b[from + i];
            const bool hit = (c != '\0' && std::strchr(set, c) != nullptr) ||
                             (ends && c == '*' && b[from + i + 1] == '/');
            mask |= std::uint64_t{hit} << i;
        }
        return mask;
    };
    for (std::size_t at = 0; at < 128; ++at) {
        for (const char c : "\n\r#/\"'\\*"s) {
            std::string b(129, 'a');
            b[at] = c;
            if (c == '*') b[at + 1] = '/';  // a "*/" across two blocks at 63
            ByteMasks got[2];
            Find_Byte_Masks(b.data(), 2, got);
            for (std::size_t k = 0; k < 2; ++k) {
                SCOPED_TRACE(testing::Message() << at << " " << int(c) << " " << k);
                EXPECT_EQ(got[k].feeds, bits(b, 64 * k, "\n", false));
                EXPECT_EQ(got[k].feed_count, Count_Bits(got[k].feeds));
                EXPECT_EQ(got[k].code, bits(b, 64 * k, "\r#/\"'\\", false));
                EXPECT_EQ(got[k].literal, bits(b, 64 * k, "\n\r\"'\\", false));
                EXPECT_EQ(got[k].comment, bits(b, 64 * k, "\r", true));
            }
        }
    }
}

TEST(ScanTest, PlainLinesPassWhatTheLineScanPassesAndStopAtTheRest) {
    const std::string passing =
        "x = a / b; // it's \"#\" a\\b\n/* a\n * '#' */ c = '\\'';\ns = \"\\\"#\\\\\" + \"'\";\n"
        "/**/ /*/ */ y; x = 1; /* open\n  still */ z\n  /* open \\\nclose */\n";
    // Each stops the scan at its line: a directive, a continued line, a raw string, a digit
    // separator, a prefixed literal, a comment that may follow a token, a carriage return.
    const char* stopping[] = {"#if x\n", "/* c */ # x\n", "a \\\n", "s = \"a\\ \n", "r = R\"(\n",
                              "n = 1'0;\n", "u = u8'a';\n", "/**/ /* a\n", "// c \\\n",
                              "c /* a \r\n", "x\r", "s = \"a\n", "y = 1; /* open\n"};
    // The stopping line, and the text after it, shifted over a whole block; the text ends
    // inside a block.
    for (std::size_t shift = 0; shift <= 64; ++shift) {
        const std::string pad = std::string(shift, '-') + "\n";
        for (const char* stop : stopping) {
            const bool continued = stop == std::string("y = 1; /* open\n");
            const std::string text = pad + passing + stop + (continued ? "*/ #x\n" : "") + "tail";
            SCOPED_TRACE(testing::Message() << shift << " " << testing::PrintToString(stop));
            ScanState state, expected;
            std::uint32_t lines = 0;
            const std::size_t length = Plain_Lines(text, state, lines);
            std::size_t want = pad.size() + passing.size();
            if (continued) want += std::strlen(stop);
            ASSERT_EQ(length, want);
            ASSERT_EQ(lines, std::count(text.begin(), text.begin() + length, '\n'));
            for (std::size_t at = 0; at < length; at = text.find('\n', at) + 1) {
                ASSERT_TRUE(Check_Comments(text.substr(at, text.find('\n', at) - at), expected));
            }
            EXPECT_EQ(state.mode, expected.mode);
            EXPECT_EQ(state.in_logical_line, expected.in_logical_line);
            EXPECT_EQ(state.spliced, expected.spliced);
        }
    }
}

}  // namespace
