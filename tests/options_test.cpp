// The command line: what each kind of argument list gives. What the switches do is for the case
// files.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

struct Parsed {
    ParseOutcome outcome;
    Options options;
    std::string err;
};

Parsed Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "quillfold");
    Parsed parsed;
    FILE* err = std::tmpfile();
    parsed.outcome = Parse_Options(static_cast<int>(args.size()), args.data(), parsed.options, err);
    std::rewind(err);
    for (int c; (c = std::fgetc(err)) != EOF;) parsed.err.push_back(static_cast<char>(c));
    std::fclose(err);
    return parsed;
}

TEST(OptionsTest, OutcomesAndValues) {
    const std::string usage = kUsageText, failure = "error: argument ";
    const struct {
        std::vector<const char*> args;
        ParseOutcome outcome;
        std::string err;
    } cases[] = {
        {{}, ParseOutcome::stop_failure, usage},
        {{"-i", "a", "--help", "-zzz"}, ParseOutcome::stop_success, usage},
        {{"-zzz", "-h"}, ParseOutcome::stop_failure, failure + "'-zzz': an unknown argument\n"},
        {{"-o", "b", "-i"},
         ParseOutcome::stop_failure,
         failure + "'-i': missing value or an unknown argument\n"},
        {{"-i", "a"}, ParseOutcome::stop_failure, usage},
        {{"-i", "a", "-o", "b", "-ppm", "x"},
         ParseOutcome::stop_failure,
         failure + "'-ppm': 'x' is not of the form OLD=NEW\n"},
        {{"-i", "a", "-o", "b", "-mos", "17179869184G"},
         ParseOutcome::stop_failure,
         failure + "'-mos': '17179869184G' is not a size in bytes\n"},
        {{"-i", "a", "-o", "b", "-mos", "1KB"},
         ParseOutcome::stop_failure,
         failure + "'-mos': '1KB' is not a size in bytes\n"},
    };
    for (const auto& c : cases) {
        const Parsed parsed = Parse(c.args);
        EXPECT_EQ(parsed.outcome, c.outcome) << c.args.size();
        EXPECT_EQ(parsed.err, c.err);
    }
    // Values are taken verbatim, whatever they look like; the last output wins.
    const Parsed p = Parse({"-o",      "-h",           "-I",    "d1",  "-ip",  "d2",    "-i",
                            "--input", "-i",           "a",     "-o",  "y",    "-ppm",  "/a==b",
                            "-mir",    "-99999999999", "-mos",  "3M",  "-v",   "-nfln", "-lnff",
                            "-nfld",   "-sif",         "-nsif", "-io", "-kui", "-sg"});
    ASSERT_EQ(p.outcome, ParseOutcome::proceed) << p.err;
    EXPECT_STREQ(p.options.output_path, "y");
    EXPECT_EQ(std::string(p.options.include_paths.at(1)) + p.options.input_paths.at(0),
              "d2--input");
    EXPECT_EQ(p.options.path_prefix_map.at(0).second, "=b");
    EXPECT_EQ(p.options.max_include_recurse, INT32_MIN);
    EXPECT_EQ(p.options.max_output_size, 3u << 20);
    const Options& o = p.options;
    EXPECT_EQ(std::vector<bool>({o.verbose, o.fixup_line_numbers, o.line_fixup_with_filename,
                                 o.follow_line_directives, o.specify_input_filenames,
                                 o.include_once, o.keep_unresolved_includes, o.skip_guarded}),
              std::vector<bool>({true, true, true, false, false, true, true, true}));
}

}  // namespace
