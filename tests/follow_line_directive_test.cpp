#include "lines/follow_line_directive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
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
        {"#line 100 ", false, 100, "", 0},
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

TEST(FollowLineDirectiveTest, ChangesTheFrameOnlyWhenFollowing) {
    const std::string overflow =
        "warning: 'a.cl' line 6: integral constant overflow: '#line 99999999999 // big'\n";
    const struct {
        std::string analysis;
        bool follow;
        bool is_directive;
        std::uint32_t line_counter;
        const char* display_name;
        std::string err;
    } cases[] = {
        {"#line 100 \"gen.cl\"", true, true, 100, "gen.cl", ""},
        {"#line 100 \"gen.cl\"", false, true, 7, "a.h", ""},
        {"#line 100", true, true, 100, "a.h", ""},
        {"#line 100 \"a\0b\""s, true, true, 100, "a", ""},
        {"#line 100 ", true, true, 7, "a.h", ""},
        {"#line5", true, true, 7, "a.h", ""},
        {"#line 99999999999 ", true, true, 7, "a.h", overflow + overflow},
        {"#line 99999999999", false, true, 7, "a.h", overflow + overflow},
        {"#line \0 5"s, true, false, 7, "a.h", ""},
        {"#include \"x.h\"", true, false, 7, "a.h", ""},
    };
    // The warning shows the source line, comments included, and no byte beyond its end.
    const std::string source_text = "#line 99999999999 // bigEXTRA";
    const std::string_view source(source_text.data(), source_text.size() - 5);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.analysis) + (c.follow ? " follow" : ""));
        IncludeFrame frame("a.cl");
        frame.display_name = "a.h";
        frame.line_counter = 7;
        StringPool pool;
        std::FILE* err = std::tmpfile();
        EXPECT_EQ(Follow_Line_Directive(frame, c.analysis, source, c.follow, pool, err),
                  c.is_directive);
        EXPECT_EQ(Read_All(err), c.err);
        std::fclose(err);
        EXPECT_STREQ(frame.path, "a.cl");
        EXPECT_EQ(frame.line_counter, c.line_counter);
        EXPECT_STREQ(frame.display_name, c.display_name);
        EXPECT_EQ(pool.Size(), std::strcmp(c.display_name, "a.h") == 0 ? 0u : 1u);
    }
}

}  // namespace
