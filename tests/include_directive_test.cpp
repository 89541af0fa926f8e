#include "expand/include_directive.h"

#include <gtest/gtest.h>

#include <string>

#include "expand/comment_strip.h"

namespace {

TEST(IncludeDirectiveTest, Recognition) {
    const struct {
        std::string line;  // the source line; it is stripped of comments first
        IncludeShape shape;
        std::string name;
        bool angle;
    } cases[] = {
        {"#include \"a.h\"", IncludeShape::include, "a.h", false},
        {"#include\"a.h\"", IncludeShape::include, "a.h", false},
        {"#   include <a.h>", IncludeShape::include, "a.h", true},
        {"  \t#include <sys/a.h> // c", IncludeShape::include, "sys/a.h", true},
        {"#/* c */include <a.h>", IncludeShape::include, "a.h", true},
        {"#include \"a//b.h\"", IncludeShape::include, "a//b.h", false},
        {"#include \"a\\\"b.h\"", IncludeShape::include, "a\\\"b.h", false},
        {"#include <x.h>/* c */ int y;", IncludeShape::include, "x.h", true},
        {"#include \"\"", IncludeShape::include, "", false},
        {"#Include <a.h>", IncludeShape::none, "", false},
        {"# define include", IncludeShape::none, "", false},
        {"#include", IncludeShape::none, "", false},
        {"x #include <a.h>", IncludeShape::none, "", false},
        {"#includ", IncludeShape::none, "", false},
        {"#include   ", IncludeShape::unrecognised, "", false},
        {"#include MACRO", IncludeShape::unrecognised, "", false},
        {"#includes <a.h>", IncludeShape::unrecognised, "", false},
        {"#include <a.h", IncludeShape::unrecognised, "", false},
        {"#include \"dir\\\"", IncludeShape::unrecognised, "", false},
        {"#include <a//b.h>", IncludeShape::unrecognised, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ScanState state;
        std::string analysis;
        std::vector<std::uint32_t> offsets;
        // A line that cannot be stripped ends the run before recognition; the recognizer alone
        // must still refuse it.
        if (!Strip_Comments(c.line, state, analysis, offsets)) analysis = c.line;
        IncludeSyntax syntax;
        ASSERT_EQ(Recognize_Include(analysis, syntax), c.shape);
        if (c.shape != IncludeShape::include) continue;
        EXPECT_EQ(analysis.substr(syntax.name_begin, syntax.name_end - syntax.name_begin), c.name);
        EXPECT_EQ(syntax.angle, c.angle);
        EXPECT_EQ(analysis[syntax.hash], '#');
        EXPECT_EQ(analysis[syntax.name_end], c.angle ? '>' : '"');
    }
}

TEST(IncludeDirectiveTest, Trim) {
    const struct {
        std::string text, trimmed;
    } cases[] = {
        {" \t ", ""}, {"", ""}, {"a b", "a b"}, {" \r\v\f\na \t", "a"}, {"\xA0x\xA0", "\xA0x\xA0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        Trim(text);
        EXPECT_EQ(text, c.trimmed);
    }
}

}  // namespace
