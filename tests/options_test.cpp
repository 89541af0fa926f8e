// The command line: what each argument list gives. What the switches do is for the case files.

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

Parsed Parse(std::vector<const char*> args, bool with_files = true) {
    if (with_files) args.insert(args.begin(), {"-i", "a", "-o", "b"});
    args.insert(args.begin(), "quillfold");
    Parsed parsed;
    FILE* err = std::tmpfile();
    parsed.outcome = Parse_Options(static_cast<int>(args.size()), args.data(), parsed.options, err);
    std::rewind(err);
    for (int c; (c = std::fgetc(err)) != EOF;) parsed.err.push_back(static_cast<char>(c));
    std::fclose(err);
    return parsed;
}

std::string Joined(const std::vector<const char*>& args) {
    std::string text;
    for (const char* arg : args) text += std::string(arg) + " ";
    return text;
}

// verbose, fixup, with file name, follow, specify inputs, include once, keep unresolved, skip
std::string Flags(const Options& o) {
    std::string flags;
    for (bool on :
         {o.verbose, o.fixup_line_numbers, o.line_fixup_with_filename, o.follow_line_directives,
          o.specify_input_filenames, o.include_once, o.keep_unresolved_includes, o.skip_guarded}) {
        flags += on ? '1' : '0';
    }
    return flags;
}

TEST(OptionsTest, Outcomes) {
    const std::string unknown = "an unknown argument\n", missing = "missing value or " + unknown;
    const ParseOutcome proceed = ParseOutcome::proceed, success = ParseOutcome::stop_success,
                       failure = ParseOutcome::stop_failure;
    const struct {
        std::vector<const char*> args;
        ParseOutcome outcome;
        std::string err;  // "usage": the usage text
    } cases[] = {
        {{}, failure, "usage"},
        {{"-i", "a.cl", "--help", "-zzz"}, success, "usage"},
        {{"-zzz", "-h"}, failure, "error: argument '-zzz': " + unknown},
        {{"-O", "out.cl", "-i", "a.cl"}, failure, "error: argument '-O': " + unknown},
        {{"-o", "out.cl", "-i"}, failure, "error: argument '-i': " + missing},
        {{"-i", "a.cl", "-o", "out.cl", "-v"}, proceed, ""},
        {{"-i", "a.cl"}, failure, "usage"},
        {{"-o", "out.cl"}, failure, "usage"},
        {{"-i", "a", "-o", "b", "-ppm", "x"},
         failure,
         "error: argument '-ppm': 'x' is not of the form OLD=NEW\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Joined(c.args));
        const Parsed parsed = Parse(c.args, false);
        EXPECT_EQ(parsed.outcome, c.outcome);
        EXPECT_EQ(parsed.err, c.err == "usage" ? std::string(kUsageText) : c.err);
    }
}

TEST(OptionsTest, ValuesAndSwitches) {
    // Values are taken verbatim, whatever they look like; lists in order, the last output.
    Parsed p = Parse({"-o",   "-h", "-I",       "d1",      "--include-path",    "d2",
                      "-ip",  "d3", "-i",       "--input", "--input",           "a",
                      "-i",   "-v", "--output", "y",       "--path-prefix-map", "/a==b",
                      "-ppm", "c="});
    ASSERT_EQ(p.outcome, ParseOutcome::proceed) << p.err;
    EXPECT_STREQ(p.options.output_path, "y");
    EXPECT_EQ(Joined(p.options.include_paths), "d1 d2 d3 ");
    EXPECT_EQ(Joined(p.options.input_paths), "a --input a -v ");
    EXPECT_EQ(Flags(p.options), "01010000") << "the defaults";
    EXPECT_EQ(p.options.max_include_recurse, 300);
    EXPECT_EQ(p.options.max_output_size, UINT64_MAX);
    using Pair = std::pair<std::string_view, std::string_view>;
    EXPECT_EQ(p.options.path_prefix_map, (std::vector<Pair>{{"/a", "=b"}, {"c", ""}}));

    const std::vector<std::pair<std::vector<const char*>, const char*>> switches = {
        {{"-lnff", "-nfln"}, "00110000"},
        {{"-nfln", "-lnff"}, "01110000"},  // -lnff: fixup too
        {{"-lnff", "-nlnff"}, "01010000"},
        {{"-nfld", "-sif", "-io", "-kui", "-sg"}, "01001111"},
        {{"--no-fixup-line-numbers", "--fixup-line-numbers", "--verbose"}, "11010000"},
        {{"-nfld", "-fld", "-sif", "-nsif", "-io", "-nio", "-kui", "-nkui", "-sg", "-nsg"},
         "01010000"},
    };
    for (const auto& [args, expected] : switches) {
        SCOPED_TRACE(Joined(args));
        p = Parse(args);
        ASSERT_EQ(p.outcome, ParseOutcome::proceed);
        EXPECT_EQ(Flags(p.options), expected);
    }
}

TEST(OptionsTest, Numbers) {
    // The recursion limit converts as atol does, clamped to 32 bits.
    for (const auto& [value, expected] :
         std::vector<std::pair<const char*, std::int32_t>>{{"abc", 0},
                                                           {" 12x", 12},
                                                           {"-5", -5},
                                                           {"99999999999", INT32_MAX},
                                                           {"-99999999999", INT32_MIN}}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(Parse({"-mir", "3", "--max-include-recurse", value}).options.max_include_recurse,
                  expected);
    }
    // Sizes: digits and an optional K, M or G; anything else, or more than 64 bits, is refused.
    const std::uint64_t refused = 1;  // no row accepts 1
    for (const auto& [value, expected] : std::vector<std::pair<const char*, std::uint64_t>>{
             {"0", 0},
             {"123", 123},
             {"2K", 2048},
             {"3M", 3u << 20},
             {"1G", 1u << 30},
             {"17179869183G", 17179869183ull << 30},
             {"17179869184G", refused},
             {"9999999999999999999", 9999999999999999999ull},
             {"99999999999999999999", refused},
             {"1T", refused},
             {"1KB", refused},
             {"", refused},
             {"-1", refused},
             {"K", refused}}) {
        SCOPED_TRACE(value);
        const Parsed p = Parse({"-mos", "7", "--max-output-size", value});
        EXPECT_EQ(p.outcome == ParseOutcome::proceed ? p.options.max_output_size : refused,
                  expected);
        EXPECT_EQ(p.err, expected == refused ? "error: argument '--max-output-size': '" +
                                                   std::string(value) + "' is not a size in bytes\n"
                                             : "");
    }
}

}  // namespace
