#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "lines/conditionals.h"
#include "lines/follow_line_directive.h"
#include "lines/line_directives.h"

// The classifiers and parsers of directive lines, on analysis copies. How their verdicts shape
// the output is checked end to end in line_numbering_test.cpp.

namespace {

using namespace std::string_literals;

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

// Every text of up to five pieces: the test must agree with sscanf on each.
TEST(FollowLineDirectiveTest, TestAgreesWithSscanf) {
    const std::vector<std::string> pieces = {"",  " ", "\t\v", "#",  "line", "lin", "LINE",
                                             "+", "-", "5",    "12", "\0"s,  "\"",  "x"};
    std::vector<std::string> texts = {""};
    for (int round = 0; round < 5; ++round) {
        std::vector<std::string> longer;
        for (const auto& text : texts) {
            for (const auto& piece : pieces) longer.push_back(text + piece);
        }
        texts.swap(longer);
    }
    for (const auto& text : texts) {
        unsigned value = 0;
        const bool expected = std::sscanf(text.c_str(), " # line %u", &value) == 1;
        if (Is_Line_Directive(text) != expected) {
            ADD_FAILURE() << testing::PrintToString(text) << " expected " << expected;
            return;
        }
    }
}

TEST(FollowLineDirectiveTest, ParsesAcceptedAndRejectedShapes) {
    const struct {
        std::string analysis;
        bool accepted;
        std::uint32_t number;
        std::string name;
        unsigned overflows;
    } cases[] = {
        {"#line 100", true, 100, "", 0},
        {"\t# line\v7\f\"t.cl\"", true, 7, "t.cl", 0},
        {"#line 100 \"gen.cl\" 1 3", true, 100, "gen.cl", 0},
        {"#line 5 \"\"", true, 5, "", 0},
        {"#line 5 \"dir\\\\x.cl\"", true, 5, "dir\\\\x.cl", 0},
        {"#line 5 \"a\\\"b\" x", true, 5, "a\\\"b", 0},
        {"#line 5 \"a\0b\""s, true, 5, "a\0b"s, 0},
        {"#line 12abc", true, 12, "", 0},
        {"#line -3", true, 0, "", 0},
        {"#line 5 x\"", true, 5, "", 0},
        {"#line 4294967295", true, 4294967295u, "", 0},
        {"#line 4294967296", true, 0, "", 1},
        {"#line 99999999999", true, 1215752191u, "", 2},
        {"#line 99999999999 x", false, 1215752191u, "", 2},
        {"#line100", false, 0, "", 0},
        {"#LINE 100", false, 0, "", 0},
        {"#line 100 ", true, 100, "", 0},
        {"#line 100 file.cl", false, 100, "", 0},
        {"#line 100 \"unterminated", false, 100, "", 0},
        {"#line 5 \"a\\\"", false, 5, "", 0},
        {"#line 5 \"a\\", false, 5, "", 0},
        {"#line 5 \\\"", false, 5, "", 0},
        {"# 100 \"gen.cl\"", false, 0, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.analysis));
        const LineDirective directive = Parse_Line_Directive(c.analysis);
        EXPECT_EQ(directive.accepted, c.accepted);
        EXPECT_EQ(directive.number, c.number);
        EXPECT_EQ(directive.name, c.name);
        EXPECT_EQ(directive.overflows, c.overflows);
    }
}

TEST(EscapeCStringTest, EscapesTheTenBytesAndCopiesTheRest) {
    const struct {
        const char *text, *escaped, *shown;
    } cases[] = {
        {"", "", ""},
        {"\a\b\t\n\v\f\r", "\\a\\b\\t\\n\\v\\f\\r", "\\a\\b\\t\\n\\v\\f\\r"},
        {"\"'", "\\\"\\'", "\\\"\\'"},
        {"sub\\b.h", "sub\\\\b.h", "sub/b.h"},
        {"dir\\\\x.cl", "dir\\\\\\\\x.cl", "dir//x.cl"},
        {"a\x01\x1b\x7f\xc3\xa9?z", "a\x01\x1b\x7f\xc3\xa9?z", "a\x01\x1b\x7f\xc3\xa9?z"},
    };
    std::string scratch = "left over";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_STREQ(Escape_C_String(c.text, scratch), c.escaped);
        EXPECT_STREQ(Display_Path(c.text, scratch), c.shown);
    }
}

}  // namespace
