#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

struct Parsed {
    ParseOutcome outcome;
    Options options;
    std::string err;
};

Parsed Parse(const std::vector<const char*>& args) {
    std::vector<const char*> argv{"quillfold"};
    argv.insert(argv.end(), args.begin(), args.end());
    Parsed parsed;
    FILE* err = std::tmpfile();
    parsed.outcome = Parse_Options(static_cast<int>(argv.size()), argv.data(), parsed.options, err);
    std::rewind(err);
    char buffer[4096];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, err)) > 0;) {
        parsed.err.append(buffer, count);
    }
    std::fclose(err);
    return parsed;
}

/// The words, each followed by a space.
std::string Joined(const std::vector<const char*>& args) {
    std::string text;
    for (const char* arg : args) text += std::string(arg) + " ";
    return text;
}

/// The switches as 0 and 1: verbose, fixup, with filename, follow, specify inputs, include once.
std::string Flags(const Options& o) {
    std::string flags;
    for (bool on : {o.verbose, o.fixup_line_numbers, o.line_fixup_with_filename,
                    o.follow_line_directives, o.specify_input_filenames, o.include_once}) {
        flags += on ? '1' : '0';
    }
    return flags;
}

TEST(OptionsTest, UsageTextLayout) {
    const std::string usage = kUsageText;
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = usage.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(usage.substr(start, end - start));
    }
    ASSERT_EQ(start, usage.size()) << "the last line must end in a line feed";
    ASSERT_EQ(lines.size(), 58u);
    EXPECT_EQ(lines[0], "Quillfold -- concatenates text files and expands #include refrences");
    for (std::size_t i = 4; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        const std::string& line = lines[i];
        if (line[0] == ' ') {  // a continued description
            EXPECT_EQ(line.find_first_not_of(' '), 42u);
        } else if (line.rfind("--no-line-number-fixup-with-filename|-nlnff", 0) == 0) {
            EXPECT_EQ(line.find(" - "), line.find(' ')) << "too long for the column";
        } else {
            ASSERT_GT(line.size(), 42u);
            EXPECT_EQ(line.substr(39, 3), " - ");
        }
    }
}

TEST(OptionsTest, Outcomes) {
    const std::string unknown = "an unknown argument\n", missing = "missing value or " + unknown;
    const ParseOutcome proceed = ParseOutcome::proceed, success = ParseOutcome::stop_success,
                       failure = ParseOutcome::stop_failure;
    // The arguments, the outcome and the standard error, where "usage" is the usage text.
    const std::vector<std::tuple<std::vector<const char*>, ParseOutcome, std::string>> cases = {
        // clang-format off
        {{}, failure, "usage"}, {{"-h"}, success, "usage"}, {{"--help"}, success, "usage"},
        {{"-i", "a.cl", "-h", "-zzz"}, success, "usage"},  // stops at help
        {{"-zzz", "-h"}, failure, "error: argument '-zzz': " + unknown},
        {{"-O", "out.cl", "-i", "a.cl"}, failure, "error: argument '-O': " + unknown},
        {{"-o", "out.cl", "-i"}, failure, "error: argument '-i': " + missing},
        {{"-i", "a.cl", "-o", "out.cl", "-V"}, failure, "error: argument '-V': " + missing},
        {{"-o", "out.cl", "-i", "a.cl", "-v"}, proceed, ""},
        {{"-i", "a.cl"}, failure, "usage"}, {{"-o", "out.cl"}, failure, "usage"},
        // clang-format on
    };
    for (const auto& [args, outcome, err] : cases) {
        SCOPED_TRACE(Joined(args));
        const Parsed parsed = Parse(args);
        EXPECT_EQ(parsed.outcome, outcome);
        EXPECT_EQ(parsed.err, err == "usage" ? std::string(kUsageText) : err);
    }
}

TEST(OptionsTest, Values) {
    // Taken verbatim, whatever they look like; inputs and include paths in order, the last output.
    const Parsed p = Parse({"-o", "-h", "-I", "dir1", "--include-path", "dir2", "-ip", "dir3",
                            "-i", "--input", "--input", "a", "-i", "-v", "--output", "y"});
    ASSERT_EQ(p.outcome, ParseOutcome::proceed);
    EXPECT_STREQ(p.options.output_path, "y");
    EXPECT_EQ(Joined(p.options.include_paths), "dir1 dir2 dir3 ");
    EXPECT_EQ(Joined(p.options.input_paths), "--input a -v ");
    EXPECT_EQ(Flags(p.options), "010100") << "the defaults";
    EXPECT_EQ(p.options.max_include_recurse, 300);
}

TEST(OptionsTest, MaxIncludeRecurseConvertsLikeAtol) {
    const std::vector<std::pair<const char*, std::int32_t>> cases = {
        {"abc", 0}, {"7x", 7}, {" 12", 12}, {"-5", -5}, {"+9", 9}, {"0", 0},
        {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN}};
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        const Parsed parsed =
            Parse({"-i", "a", "-o", "b", "-mir", "3", "--max-include-recurse", value});
        ASSERT_EQ(parsed.outcome, ParseOutcome::proceed);
        EXPECT_EQ(parsed.options.max_include_recurse, expected);
    }
}

TEST(OptionsTest, LastSwitchWins) {
    const std::vector<std::pair<std::vector<const char*>, const char*>> cases = {
        // clang-format off
        {{"-lnff", "-nfln"}, "001100"}, {{"-nfln", "-lnff"}, "011100"},  // -lnff: fixup too
        {{"-lnff", "-nlnff"}, "010100"}, {{"-nfld", "-sif", "-io"}, "010011"},
        {{"--no-fixup-line-numbers", "--fixup-line-numbers", "--verbose"}, "110100"},
        {{"-nfld", "-fld", "-sif", "-nsif", "-io", "-nio"}, "010100"},
        // clang-format on
    };
    for (const auto& [switches, expected] : cases) {
        SCOPED_TRACE(Joined(switches));
        std::vector<const char*> args{"-i", "a", "-o", "b"};
        args.insert(args.end(), switches.begin(), switches.end());
        const Parsed parsed = Parse(args);
        ASSERT_EQ(parsed.outcome, ParseOutcome::proceed);
        EXPECT_EQ(Flags(parsed.options), expected);
    }
}

}  // namespace
