#include "lines/line_directives.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// What the opening or the resumption directive writes for `frame`, read back from a temp file.
std::string Written(bool resume, const IncludeFrame& frame, std::size_t depth,
                    const Options& options) {
    OutputStream output(std::tmpfile());
    std::string scratch;
    if (resume) {
        Write_Resume_Line_Directive(frame, depth, options, output, scratch);
    } else {
        Write_Opening_Line_Directive(frame, depth, options, output, scratch);
    }
    output.Flush();
    std::rewind(output.Stream());
    std::string text;
    for (int c; (c = std::fgetc(output.Stream())) != EOF;) text.push_back(static_cast<char>(c));
    return text;
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

TEST(LineDirectiveFormTest, OptionsAndDepthChooseTheForm) {
    const char* const named1 = "#line 1 \"a/b.cl\"\n";
    const char* const comment1 = "#line 1 // \"a/b.cl\"\n";
    const char* const named7 = "#line 7 \"a/b.cl\"\n";
    const char* const comment7 = "#line 7 // \"a/b.cl\"\n";
    const struct {
        bool sif, fln, lnff;
        std::size_t depth;
        const char *opening, *resume;
    } cases[] = {
        // clang-format off
        {true,  true,  false, 1, named1,   named7},
        {true,  false, false, 1, named1,   named7},
        {false, true,  false, 1, "",       comment7},
        // Back from a named include, the input must be named again or it keeps that name.
        {false, true,  true,  1, "",       named7},
        {false, false, true,  1, "",       ""},
        {false, true,  true,  2, named1,   named7},
        {true,  true,  false, 3, comment1, comment7},
        {true,  false, true,  2, "",       ""},
        // clang-format on
    };
    IncludeFrame frame("p.cl");
    frame.display_name = "a\\b.cl";
    frame.line_counter = 7;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "sif " << c.sif << " fln " << c.fln << " lnff " << c.lnff
                                        << " depth " << c.depth);
        Options options;
        options.specify_input_filenames = c.sif;
        options.fixup_line_numbers = c.fln;
        options.line_fixup_with_filename = c.lnff;
        EXPECT_EQ(Written(false, frame, c.depth, options), c.opening);
        EXPECT_EQ(Written(true, frame, c.depth, options), c.resume);
    }
}

TEST(LineDirectiveFormTest, ResumptionReopensAnOpenBlockComment) {
    const std::string directive = "#line 7 // \"x.h\"\n";
    const struct {
        bool in_comment;
        const char* carried;
        bool fln;
        std::string expected;
    } cases[] = {
        {true, "", true, directive + "/*"},  {true, " /* note", true, directive + "/*"},
        {true, "/", true, directive + "/*"}, {true, "/* note", true, directive},
        {false, "", true, directive},        {true, "", false, "/*"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in_comment << " '" << c.carried << "' " << c.fln);
        IncludeFrame frame("x.h");
        frame.line_counter = 7;
        frame.in_block_comment = c.in_comment;
        frame.carried_text = c.carried;
        Options options;
        options.fixup_line_numbers = c.fln;
        EXPECT_EQ(Written(true, frame, 2, options), c.expected);
    }
}

}  // namespace
