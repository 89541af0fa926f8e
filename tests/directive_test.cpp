#include "scan/directive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "scan/line_directive.h"

// Which directive an analysis copy holds, and what a #line line says. How the verdicts shape the
// output is checked end to end by the case files.

namespace {

using namespace std::string_literals;
using Kind = DirectiveKind;

TEST(DirectiveTest, ClassifiesAnalysisCopies) {
    const struct {
        std::string analysis;
        Kind kind;
        std::string include_name = "";  // with its delimiters
    } cases[] = {
        {"#if A", Kind::if_open},         {" \t#\v if(1)", Kind::if_open},
        {"#if_X", Kind::if_open},         {"#if\xc3", Kind::if_open},
        {"#ifndef X", Kind::if_open},     {"#if", Kind::none},
        {"#ifX", Kind::none},             {"#ifdef", Kind::none},
        {"#IF A", Kind::none},            {"x #if A", Kind::none},
        {"#endif", Kind::endif},          {"# endif/", Kind::endif},
        {"#endifX", Kind::none},          {"#else", Kind::branch},
        {"#elif A", Kind::branch},        {"#elifdef A", Kind::branch},
        {"#elseif", Kind::none},          {"#line 5", Kind::line},
        {"# line -5", Kind::line},        {"#line5", Kind::line},
        {"#line x", Kind::none},          {"#include", Kind::none},
        {"#include\"a.h\"", Kind::include, "\"a.h\""},
        {"#  include <a\\>.h> x", Kind::include, "<a\\>.h>"},
        {"#include \"a//b.h\" ", Kind::include, "\"a//b.h\""},
        {"#include   ", Kind::bad_include},
        {"#include MACRO", Kind::bad_include},
        {"#includes <a.h>", Kind::bad_include},
        {"#include \"dir\\\"", Kind::bad_include},
        {"#Include <a.h>", Kind::none},   {"", Kind::none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.analysis);
        const Directive directive = Classify_Directive(c.analysis);
        EXPECT_EQ(directive.kind, c.kind);
        if (c.kind != Kind::include) continue;
        const IncludeSyntax& syntax = directive.include;
        EXPECT_EQ(c.analysis[syntax.hash], '#');
        EXPECT_EQ(syntax.angle, c.include_name[0] == '<');
        EXPECT_EQ(c.analysis.substr(syntax.name_begin - 1, syntax.name_end - syntax.name_begin + 2),
                  c.include_name);
    }
}

// Every text of up to five pieces: the #line test must agree with sscanf on each.
TEST(DirectiveTest, LineTestAgreesWithSscanf) {
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
        if ((Classify_Directive(text).kind == Kind::line) != expected) {
            ADD_FAILURE() << testing::PrintToString(text) << " expected " << expected;
            return;
        }
    }
}

TEST(DirectiveTest, ParsesLineDirectives) {
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
        {"#line 5 \"dir\\\\x.cl\"", true, 5, "dir\\\\x.cl", 0},
        {"#line 5 \"a\\\"b\" x", true, 5, "a\\\"b", 0},
        {"#line 5 \"a\0b\""s, true, 5, "a\0b"s, 0},
        {"#line 12abc", true, 12, "", 0},
        {"#line -3", true, 0, "", 0},
        {"#line 100  ", true, 100, "", 0},
        {"#line 5 x\"", true, 5, "", 0},
        {"#line 4294967295", true, 4294967295u, "", 0},
        {"#line 4294967296", true, 0, "", 1},
        {"#line 99999999999 x", false, 1215752191u, "", 2},
        {"#line100", false, 0, "", 0},
        {"#line 100 file.cl", false, 100, "", 0},
        {"#line 100 \"unterminated", false, 100, "", 0},
        {"#line 5 \"a\\", false, 5, "", 0},
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

}  // namespace
