#include "lines/conditionals.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

std::string Read_All(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
    return text;
}

const std::string kMismatched =
    "warning: mismatched preprocessor conditionals in 'a.cl': there might have been parse "
    "errors\n";
const std::string kUnresolved =
    "warning: unresolved line number fixes after conditional includes in 'a.cl': line numbers "
    "may not match source\n";
const std::string kSuffix = " // about to fix after-include-line\n";

TEST(ConditionalDirectiveTest, ClassifiesAnalysisCopies) {
    const struct {
        std::string analysis;
        bool is_if, is_endif;
    } cases[] = {
        {"#if A", true, false},        {"# if(X)", true, false},  {"#if !X", true, false},
        {" \t#\v if 1", true, false},  {"#if ", true, false},     {"#if_X", true, false},
        {"#if\xc3", true, false},      {"#if\0"s, true, false},   {"#ifdef X", true, false},
        {"#ifndef(X)", true, false},   {"#if", false, false},     {"#ifX", false, false},
        {"#ifdef", false, false},      {"#ifdefX", false, false}, {"#ifndef", false, false},
        {"#IF A", false, false},       {"x #if A", false, false}, {"#elif A", false, false},
        {"#else", false, false},       {"", false, false},        {" # ", false, false},
        {"#endif", false, true},       {"# endif", false, true},  {"#endif ", false, true},
        {"\t#\tendif_X", false, true}, {"#endif/", false, true},  {"#endifX", false, false},
        {"#endif1", false, false},     {"#endi", false, false},   {"endif", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.analysis);
        EXPECT_EQ(Is_If_Directive(c.analysis), c.is_if);
        EXPECT_EQ(Is_Endif_Directive(c.analysis), c.is_endif);
    }
}

TEST(ConditionalPendingFixTest, KeepsDistinctDepthsInAscendingOrder) {
    const struct {
        std::vector<std::uint32_t> depths;
        std::vector<std::uint32_t> expected;
    } cases[] = {
        {{0, 0}, {}},
        {{1, 1, 1}, {1}},
        {{3, 1, 2, 1, 3, 0}, {1, 2, 3}},
        {{7, 2, 5}, {2, 5, 7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.depths));
        IncludeFrame frame("a.cl");
        for (const std::uint32_t depth : c.depths) {
            frame.conditional_depth = depth;
            Register_Pending_Fix(frame);
        }
        EXPECT_EQ(frame.pending_fixes, c.expected);
    }
}

TEST(CloseConditionalTest, TakesTheFixOfTheBlockItCloses) {
    const std::string multiline =
        "warning: 'a.cl' line 9: multiline endif while line number fix pending\n";
    constexpr EndifAction W = EndifAction::write_line, R = EndifAction::restart;
    const struct {
        std::uint32_t depth;
        std::vector<std::uint32_t> fixes;
        bool in_comment;
        std::string line;
        EndifAction action;
        std::uint32_t depth_after;
        std::vector<std::uint32_t> fixes_after;
        std::string output, err;
    } cases[] = {
        // clang-format off
        {1, {},        false, "#endif",            W, 0, {},     "",                 ""},
        {1, {1},       false, "#endif",            R, 0, {},     "#endif" + kSuffix, ""},
        {2, {1},       false, "#endif",            W, 1, {1},    "",                 ""},
        {3, {1, 3, 5}, false, " # endif",          R, 2, {1, 5}, " # endif" + kSuffix, ""},
        {0, {1},       false, "#endif",            R, 0, {},     "#endif" + kSuffix, kMismatched},
        {0, {2},       false, "#endif",            W, 0, {2},    "",                 kMismatched},
        {1, {1},       false, "#endif // C:\\dir", W, 0, {1},    "",                 multiline},
        {1, {1},       false, "#endif \\",         W, 0, {1},    "",                 multiline},
        {1, {1},       false, "#endif //\0x"s,     R, 0, {},     "#endif //\0x"s + kSuffix, ""},
        // The resumption directive that follows must not fall into the comment.
        {1, {1},       true,  "#endif /* a",       R, 0, {},     "#endif /* a */" + kSuffix, ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.line) + " depth " + std::to_string(c.depth));
        IncludeFrame frame("a.cl");
        frame.line_counter = 10;
        frame.conditional_depth = c.depth;
        frame.pending_fixes = c.fixes;
        frame.in_block_comment = c.in_comment;
        std::FILE* err = std::tmpfile();
        OutputStream output(std::tmpfile());
        EXPECT_EQ(Close_Conditional(frame, c.line, output, err), c.action);
        output.Flush();
        EXPECT_EQ(Read_All(output.Stream()), c.output);
        EXPECT_EQ(Read_All(err), c.err);
        EXPECT_EQ(frame.conditional_depth, c.depth_after);
        EXPECT_EQ(frame.pending_fixes, c.fixes_after);
        std::fclose(err);
    }
}

TEST(CloseConditionalTest, FixKeptByABackslashWaitsForTheNextEndifAtItsDepth) {
    IncludeFrame frame("a.cl");
    frame.conditional_depth = 2;
    frame.pending_fixes = {2};
    std::FILE* err = std::tmpfile();
    OutputStream output(std::tmpfile());
    EXPECT_EQ(Close_Conditional(frame, "#endif \\", output, err), EndifAction::write_line);
    EXPECT_EQ(Close_Conditional(frame, "#endif", output, err), EndifAction::write_line);
    frame.conditional_depth = 2;  // two later #if lines open depth 2 again
    EXPECT_EQ(Close_Conditional(frame, "#endif", output, err), EndifAction::restart);
    EXPECT_TRUE(frame.pending_fixes.empty());
    std::fclose(err);
}

TEST(ConditionalEndOfFileTest, WarnsAboutOpenBlocksThenUnresolvedFixes) {
    const struct {
        std::uint32_t depth;
        std::vector<std::uint32_t> fixes;
        std::string err;
    } cases[] = {
        {0, {}, ""},
        {2, {}, kMismatched},
        {0, {1}, kUnresolved},
        {1, {1}, kMismatched + kUnresolved},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        IncludeFrame frame("a.cl");
        frame.conditional_depth = c.depth;
        frame.pending_fixes = c.fixes;
        std::FILE* err = std::tmpfile();
        Check_End_Of_File(frame, err);
        EXPECT_EQ(Read_All(err), c.err);
        std::fclose(err);
    }
}

}  // namespace
