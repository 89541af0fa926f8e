// The command line: one row for each kind of argument list. What the switches do is for the
// case files, but for the text of the dependency file, whose lines depend on the paths' lengths.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/dependency_rule.h"
#include "test_tree.h"

namespace {

TEST(OptionsTest, OutcomesAndValues) {
    const std::string usage = kUsageText, error = "error: argument ";
    const ParseOutcome failure = ParseOutcome::stop_failure, proceed = ParseOutcome::proceed;
    struct Case {
        std::vector<const char*> args;
        ParseOutcome outcome;
        std::string err;
    };
    std::vector<Case> cases = {
        {{}, failure, usage},
        {{"-i", "a", "--help", "-zzz"}, ParseOutcome::stop_success, usage},
        {{"-zzz", "-h"}, failure, error + "'-zzz': an unknown argument\n"},
        {{"-o", "b", "-i"}, failure, error + "'-i': missing value or an unknown argument\n"},
        {{"-i", "a"}, failure, usage},
        {{"-i", "a", "-o", "-", "--check"},
         failure,
         error + "'--check': the standard output holds nothing to compare with\n"},
        {{"-i", "a", "--version", "-zzz"}, ParseOutcome::show_version, ""},
        // Values are taken verbatim, whatever they look like; the last output wins; a count
        // too large for the limit is no limit.
        {{"-o", "-h", "-i", "--input", "-o", "y", "-nfln", "-lnff", "-mir", "99999999999", "-mos",
          "3M"},
         proceed,
         ""},
    };
    // A value its switch does not take, and what the value is not.
    const char* const bad_values[][3] = {
        {"-ppm", "x", "of the form OLD=NEW"},
        {"-mos", "17179869184G", "a size in bytes"},
        {"-mos", "1KB", "a size in bytes"},
        {"-mos", "99999999999999999999", "a size in bytes"},
        {"-mir", "abc", "a non-negative whole number"},
        {"-mir", "-5", "a non-negative whole number"},
        {"-mir", "", "a non-negative whole number"},
    };
    for (const auto& bad : bad_values) {
        cases.push_back({{"-i", "a", "-o", "b", bad[0], bad[1]},
                         failure,
                         error + "'" + bad[0] + "': '" + bad[1] + "' is not " + bad[2] + "\n"});
    }
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"quillfold"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        Options o;
        FILE* err = std::tmpfile();
        Diagnostics diagnostics(nullptr, err);
        EXPECT_EQ(Parse_Options(static_cast<int>(argv.size()), argv.data(), o, diagnostics),
                  c.outcome);
        EXPECT_EQ(Read_Stream(err), c.err);
        if (c.outcome != proceed) continue;
        EXPECT_EQ(std::string(o.output_path) + o.input_paths.at(0), "y--input");
        EXPECT_TRUE(o.fixup_line_numbers && o.line_fixup_with_filename);
        EXPECT_EQ(o.max_include_recurse, INT32_MAX);
        EXPECT_EQ(o.max_output_size, 3u << 20);
    }
}

TEST(OptionsTest, DependencyRuleAsCompilersWriteIt) {
    // What gcc -MD -MP writes for these names (its one main file is an input here).
    std::vector<ReadFiles::Entry> files{{"m ain.c", true}};
    for (const char* name :
         {"/usr/include/stdc-predef.h", "a b.h", "x$y.h", "h#1.h", "back\\slash.h", "tr\\ sp.h",
          "tab\tt.h", "d ir/long_name_number_one_for_wrapping_purposes.h", "colon:c.h",
          "pct%p.h"}) {
        files.push_back({name, false});
    }
    std::string rule;
    Make_Dependency_Rule({}, "o ut$.o", files, true, rule);
    EXPECT_EQ(rule,
              "o\\ ut$$.o: m\\ ain.c /usr/include/stdc-predef.h a\\ b.h x$$y.h h\\#1.h \\\n"
              " back\\slash.h tr\\\\\\ sp.h tab\\\tt.h \\\n"
              " d\\ ir/long_name_number_one_for_wrapping_purposes.h colon:c.h pct%p.h\n"
              "/usr/include/stdc-predef.h:\na\\ b.h:\nx$$y.h:\nh\\#1.h:\nback\\slash.h:\n"
              "tr\\\\\\ sp.h:\ntab\\\tt.h:\n"
              "d\\ ir/long_name_number_one_for_wrapping_purposes.h:\ncolon:c.h:\npct%p.h:\n");
    // Targets as given; the first name goes on a line of its own past the columns.
    const std::string target(80, 't');
    Make_Dependency_Rule({target.c_str(), "$x"}, "out", {{"a.c", true}}, true, rule);
    EXPECT_EQ(rule, target + " \\\n $x: a.c\n");
}

}  // namespace
