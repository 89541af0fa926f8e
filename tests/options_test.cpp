// The command line: one row for each kind of argument list. What the switches do is for the
// case files, but for the text of the dependency file, whose lines depend on the paths' lengths.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/dependency_rule.h"

namespace {

TEST(OptionsTest, OutcomesAndValues) {
    const std::string usage = kUsageText, error = "error: argument ";
    const ParseOutcome failure = ParseOutcome::stop_failure, proceed = ParseOutcome::proceed;
    const struct {
        std::vector<const char*> args;
        ParseOutcome outcome;
        std::string err;
    } cases[] = {
        {{}, failure, usage},
        {{"-i", "a", "--help", "-zzz"}, ParseOutcome::stop_success, usage},
        {{"-zzz", "-h"}, failure, error + "'-zzz': an unknown argument\n"},
        {{"-o", "b", "-i"}, failure, error + "'-i': missing value or an unknown argument\n"},
        {{"-i", "a"}, failure, usage},
        {{"-i", "a", "-o", "b", "-ppm", "x"},
         failure,
         error + "'-ppm': 'x' is not of the form OLD=NEW\n"},
        {{"-i", "a", "-o", "b", "-mos", "17179869184G"},
         failure,
         error + "'-mos': '17179869184G' is not a size in bytes\n"},
        {{"-i", "a", "-o", "b", "-mos", "1KB"},
         failure,
         error + "'-mos': '1KB' is not a size in bytes\n"},
        {{"-i", "a", "-o", "b", "-mos", "99999999999999999999"},
         failure,
         error + "'-mos': '99999999999999999999' is not a size in bytes\n"},
        {{"-i", "a", "-o", "b", "-mir", "abc"},
         failure,
         error + "'-mir': 'abc' is not a non-negative whole number\n"},
        {{"-i", "a", "-o", "b", "-mir", "-5"},
         failure,
         error + "'-mir': '-5' is not a non-negative whole number\n"},
        {{"-i", "a", "-o", "b", "-mir", ""},
         failure,
         error + "'-mir': '' is not a non-negative whole number\n"},
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
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"quillfold"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        Options o;
        FILE* err = std::tmpfile();
        Diagnostics diagnostics(nullptr, err);
        EXPECT_EQ(Parse_Options(static_cast<int>(argv.size()), argv.data(), o, diagnostics),
                  c.outcome);
        std::rewind(err);
        std::string text;
        for (int ch; (ch = std::fgetc(err)) != EOF;) text.push_back(static_cast<char>(ch));
        std::fclose(err);
        EXPECT_EQ(text, c.err);
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
