// The engine's decisions one at a time, where a case would name a tree and not the behaviour:
// which directive a line is, what a #line says, which #line form is written, what the compiler
// surely skips.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "expand/computed_includes.h"
#include "expand/line_numbering.h"
#include "expand/once_logic.h"
#include "scan/directive.h"
#include "scan/line_directive.h"
#include "test_tree.h"

namespace {

using namespace std::string_literals;
using Kind = DirectiveKind;
using Tests = Condition::Kind;

TEST(Engine, DirectiveKinds) {
    const struct {
        std::string analysis;
        Kind kind;
        Tests test = Tests::unknown;
        std::string macro;
    } cases[] = {
        {" # ifdef X ", Kind::if_open, Tests::defined, "X"},
        {"#ifndef X junk", Kind::if_open},
        {"#if !defined ( X )", Kind::if_open, Tests::not_defined, "X"},
        {"#if 00", Kind::if_open, Tests::constant},
        {"#if A", Kind::if_open},
        {"#if", Kind::none},
        {"#elifndef Y", Kind::branch, Tests::not_defined, "Y"},
        {"#endif ", Kind::endif},
        {"#endifZ", Kind::none},
        {"# 12 \"x.c\"", Kind::line},
        {"#line -3", Kind::line},
        {"#include MACRO", Kind::bad_include},
        {"\0#define N 1"s, Kind::define, Tests::unknown, "N"},
        {"#pragma once x", Kind::pragma_once},
        {"#pragma pop_macro(\"M\")", Kind::undef, Tests::unknown, "M"},
        {"#warning it's", Kind::message},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.analysis);
        const Directive directive = Classify_Directive(c.analysis);
        EXPECT_EQ(directive.kind, c.kind);
        EXPECT_EQ(directive.condition.kind, c.test);
        const std::string_view macro = c.kind == Kind::define || c.kind == Kind::undef
                                           ? directive.macro
                                           : directive.condition.macro;
        EXPECT_EQ(macro, c.macro);
    }
    EXPECT_FALSE(Classify_Directive("#if 00").condition.value);
    EXPECT_TRUE(Classify_Directive("#elif 10").condition.value);
}

TEST(Engine, LineDirectivesAsCompilersRead) {
    const struct {
        std::string analysis;
        bool accepted;
        std::uint32_t number = 0;
        std::string name = "-";  // "-" for none
        unsigned overflows = 0;
    } cases[] = {
        {"#line 5", true, 5},
        {"#line 90\"z.c\" 3", true, 90, "z.c"},
        {"#line 60 \"\"", true, 60, ""},
        {"# 100 \"x\\\"y.c\" 1 3", true, 100, "x\\\"y.c"},
        {"#line 4294967296", true, 0, "-", 1},
        {"#line 30abc", false},
        {"#line -3", false},
        {"#line 100 x", false},
        {"#line 1 \"open", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.analysis);
        const LineDirective line = Parse_Line_Directive(c.analysis);
        EXPECT_EQ(line.accepted, c.accepted);
        EXPECT_EQ(line.overflows, c.overflows);
        if (!c.accepted) continue;
        EXPECT_EQ(line.number, c.number);
        EXPECT_EQ(line.has_name ? std::string(line.name) : "-", c.name);
    }
    EXPECT_TRUE(Parse_Line_Directive("# 3 \"a\" 1").enters);
    EXPECT_TRUE(Parse_Line_Directive("# 3 \"a\" 2").returns);
}

// What the line directive writer writes for an input or an included file, opened or resumed.
std::string Written(const std::vector<const char*>& switches, std::size_t depth, bool resume) {
    Options options;
    for (const std::string word : switches) {
        if (word == "-sif") options.specify_input_filenames = true;
        if (word == "-nfln") options.fixup_line_numbers = false;
        if (word == "-lnff") options.line_fixup_with_filename = true;
    }
    FILE* file = std::tmpfile();
    {
        OutputStream output(file, OutputMode::borrow);
        LineDirectiveWriter lines(options, output);
        IncludeFrame frame("dir\\f.h");
        frame.line_counter = 7;
        if (resume) {
            lines.Resume(frame, depth);
        } else {
            lines.Opening(frame, depth, depth == 1);
        }
    }
    return Read_Stream(file);
}

TEST(Engine, LineDirectiveForms) {
    EXPECT_EQ(Written({}, 1, false), "");
    EXPECT_EQ(Written({"-sif", "-nfln"}, 1, false), "#line 1 \"dir/f.h\"\n");
    EXPECT_EQ(Written({}, 1, true), "#line 7 // \"dir/f.h\"\n");
    EXPECT_EQ(Written({"-lnff"}, 1, true), "#line 7 \"dir/f.h\"\n");
    EXPECT_EQ(Written({"-lnff"}, 2, false), "#line 1 \"dir/f.h\"\n");
    EXPECT_EQ(Written({"-sif"}, 2, true), "#line 7 // \"dir/f.h\"\n");
    EXPECT_EQ(Written({"-nfln", "-lnff"}, 2, true), "");
}

// Directives taken in by the once logic, one frame deep, and whether the line after each is
// surely skipped ('s') or not ('-').
std::string Skipped_After(const std::vector<std::string>& lines, bool skip_guarded = false) {
    Options options;
    options.skip_guarded = skip_guarded;
    Diagnostics diagnostics(nullptr, nullptr);
    OutputStream output(nullptr, OutputMode::discard);
    OnceLogic once(options, output, diagnostics);
    IncludeStack stack;
    stack.emplace_back("a.h");
    if (once.Open(stack, true) != OnceLogic::Opening::expand) return "not opened";
    std::string skipped;
    for (const std::string& line : lines) {
        once.Take_Line(stack.back(), Classify_Directive(line), line);
        skipped.push_back(once.In_Skipped_Branch() ? 's' : '-');
    }
    return skipped;
}

TEST(Engine, SurelySkippedBranches) {
    // A definition on the way makes a negated test surely false and a test of it surely true.
    EXPECT_EQ(Skipped_After(
                  {"#define X", "#ifndef X", "#else", "#endif", "#ifdef X", "#elif 1", "#endif"}),
              "-s---s-");
    EXPECT_EQ(Skipped_After({"#if 0", "#elif A", "#else", "#endif", "#if 1", "#else", "#endif"}),
              "s----s-");
    // One beside the way, or undefined since, makes nothing sure.
    EXPECT_EQ(Skipped_After({"#if A", "#define X", "#endif", "#ifndef X", "#endif"}), "-----");
    EXPECT_EQ(Skipped_After({"#define X", "#if A", "#undef X", "#endif", "#ifndef X"}), "-----");
    // An #undef where the compiler surely does not go undefines nothing.
    EXPECT_EQ(Skipped_After({"#define X", "#if 0", "#undef X", "#endif", "#ifndef X"}), "-ss-s");
    // An include guard's idiom leaves its macro defined after the block, entered or not.
    EXPECT_EQ(Skipped_After({"#ifndef G", "#define G", "#endif", "#ifndef G"}), "---s");
    EXPECT_EQ(Skipped_After({"#ifndef G", "#define G", "#else", "#endif", "#ifndef G"}), "-----");
}

TEST(Engine, TrustedGuardsWithSkipGuarded) {
    // Past its #define, a guard whose macro no text defined before counts as entered: what it
    // defines holds after it.
    EXPECT_EQ(Skipped_After({"#ifndef G", "#define G", "#define Y", "#endif", "#ifndef Y"}, true),
              "----s");
    EXPECT_EQ(Skipped_After({"#ifndef G", "#define G", "#define Y", "#endif", "#ifndef Y"}),
              "-----");
}

}  // namespace

TEST(Engine, ComputedIncludeCandidates) {
    // Every definition of a marked macro that may be in force gives one name, up to 64; one that
    // is no header name leaves the include as it is.
    for (const std::size_t count : {64, 65}) {
        SCOPED_TRACE(count);
        const ComputedIncludes::MacroSet marked = {"H", "N", "W"};
        ComputedIncludes computed(marked);
        EXPECT_EQ(computed.Define("H", " <dir/N.h>"), 1u);
        for (std::size_t i = 0; i < count; ++i) (void)computed.Define("N", "n" + std::to_string(i));
        std::vector<ComputedIncludes::Candidate> names;
        const bool within = count <= 64;
        EXPECT_EQ(computed.Reduce("H", names), within ? ComputedIncludes::Outcome::reduced
                                                      : ComputedIncludes::Outcome::too_many);
        if (within) {
            EXPECT_EQ(names.at(2).name, "dir/n2.h");
        }
        (void)computed.Define("W", " 12");
        EXPECT_EQ(computed.Reduce("W", names), ComputedIncludes::Outcome::unreduced);
    }
}
