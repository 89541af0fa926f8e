#include "app/options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
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
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, err)) > 0)
        parsed.err.append(buffer, count);
    std::fclose(err);
    return parsed;
}

TEST(OptionsTest, UsageTextLayout) {
    const std::string usage = kUsageText;
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = usage.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(usage.substr(start, end - start));
    }
    ASSERT_EQ(start, usage.size()) << "the last line must end in a line feed";
    ASSERT_EQ(lines.size(), 42u);
    EXPECT_EQ(lines[0], "Quillfold -- concatenates text files and expands #include refrences");
    for (std::size_t i = 4; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        const std::string& line = lines[i];
        if (line[0] == ' ') {
            EXPECT_EQ(line.find_first_not_of(' '), 42u);
        } else if (line.rfind("--no-line-number-fixup-with-filename|-nlnff", 0) == 0) {
            EXPECT_EQ(line.find(" - "), line.find(' '));
        } else {
            ASSERT_GT(line.size(), 42u);
            EXPECT_EQ(line.substr(39, 3), " - ");
        }
    }
}

TEST(OptionsTest, Outcomes) {
    struct Case {
        std::vector<const char*> args;
        ParseOutcome outcome;
        std::string err;  // "usage" stands for the usage text
    };
    const std::string usage = kUsageText;
    const Case cases[] = {
        {{}, ParseOutcome::stop_failure, "usage"},
        {{"-h"}, ParseOutcome::stop_success, "usage"},
        {{"--help"}, ParseOutcome::stop_success, "usage"},
        {{"-i", "a.cl", "-h", "-zzz"}, ParseOutcome::stop_success, "usage"},
        {{"-zzz", "-h"},
         ParseOutcome::stop_failure,
         "error: argument '-zzz': an unknown argument\n"},
        {{"-o", "out.cl", "-i"},
         ParseOutcome::stop_failure,
         "error: argument '-i': missing value or an unknown argument\n"},
        {{"-i", "a.cl", "-o", "out.cl", "extra"},
         ParseOutcome::stop_failure,
         "error: argument 'extra': missing value or an unknown argument\n"},
        {{"-o", "out.cl", "-i", "a.cl", "-v"}, ParseOutcome::proceed, ""},
        {{"-o", "-h", "-i", "a.cl"}, ParseOutcome::proceed, ""},
        {{"-i", "a.cl"}, ParseOutcome::stop_failure, "usage"},
        {{"-o", "out.cl"}, ParseOutcome::stop_failure, "usage"},
        {{"--output=out.cl", "-i", "a.cl"},
         ParseOutcome::stop_failure,
         "error: argument '--output=out.cl': an unknown argument\n"},
        {{"-O", "out.cl", "-i", "a.cl"},
         ParseOutcome::stop_failure,
         "error: argument '-O': an unknown argument\n"},
        {{"-", "-o", "out.cl", "-i", "a.cl"},
         ParseOutcome::stop_failure,
         "error: argument '-': an unknown argument\n"},
        {{"-i", "a.cl", "-o", "out.cl", "-V"},
         ParseOutcome::stop_failure,
         "error: argument '-V': missing value or an unknown argument\n"},
    };
    for (const Case& c : cases) {
        std::string trace;
        for (const char* arg : c.args) trace += std::string(arg) + " ";
        SCOPED_TRACE(trace);
        const Parsed parsed = Parse(c.args);
        EXPECT_EQ(parsed.outcome, c.outcome);
        EXPECT_EQ(parsed.err, c.err == "usage" ? usage : c.err);
    }
}

TEST(OptionsTest, DefaultsAndValues) {
    const Parsed plain = Parse({"-i", "a.cl", "-o", "out.cl"});
    ASSERT_EQ(plain.outcome, ParseOutcome::proceed);
    const Options& o = plain.options;
    EXPECT_STREQ(o.output_path, "out.cl");
    ASSERT_EQ(o.input_paths.size(), 1u);
    EXPECT_STREQ(o.input_paths[0], "a.cl");
    EXPECT_TRUE(o.fixup_line_numbers);
    EXPECT_TRUE(o.follow_line_directives);
    EXPECT_FALSE(o.verbose || o.line_fixup_with_filename || o.specify_input_filenames ||
                 o.include_once);
    EXPECT_EQ(o.max_include_recurse, 300);

    // Values are taken verbatim, whatever they look like.
    const Parsed dash = Parse({"-o", "-v", "-i", "--input", "-i", "a.cl"});
    ASSERT_EQ(dash.outcome, ParseOutcome::proceed);
    EXPECT_STREQ(dash.options.output_path, "-v");
    EXPECT_FALSE(dash.options.verbose);
    ASSERT_EQ(dash.options.input_paths.size(), 2u);
    EXPECT_STREQ(dash.options.input_paths[0], "--input");

    const Parsed lists = Parse({"-I", "dir1", "--include-path", "dir2", "-ip", "dir3", "-i", "a",
                                "--input", "b", "-i", "a", "-o", "x", "--output", "y"});
    ASSERT_EQ(lists.outcome, ParseOutcome::proceed);
    ASSERT_EQ(lists.options.include_paths.size(), 3u);
    EXPECT_STREQ(lists.options.include_paths[0], "dir1");
    EXPECT_STREQ(lists.options.include_paths[1], "dir2");
    EXPECT_STREQ(lists.options.include_paths[2], "dir3");
    ASSERT_EQ(lists.options.input_paths.size(), 3u);
    EXPECT_STREQ(lists.options.input_paths[2], "a");
    EXPECT_STREQ(lists.options.output_path, "y");
}

TEST(OptionsTest, MaxIncludeRecurseConvertsLikeAtol) {
    const struct {
        const char* value;
        std::int32_t expected;
    } cases[] = {
        {"abc", 0},
        {"1", 1},
        {"7x", 7},
        {" 12", 12},
        {"-5", -5},
        {"+9", 9},
        {"0", 0},
        {"99999999999", INT32_MAX},
        {"-99999999999", INT32_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const Parsed parsed =
            Parse({"-i", "a", "-o", "b", "-mir", "3", "--max-include-recurse", c.value});
        ASSERT_EQ(parsed.outcome, ParseOutcome::proceed);
        EXPECT_EQ(parsed.options.max_include_recurse, c.expected);
    }
}

TEST(OptionsTest, LastSwitchWins) {
    const struct {
        std::vector<const char*> switches;
        bool fixup, with_filename, follow, specify, once;
    } cases[] = {
        {{"-lnff", "-nfln"}, false, true, true, false, false},
        {{"-nfln", "-lnff"}, true, true, true, false, false},
        {{"-lnff", "-nlnff"}, true, false, true, false, false},
        {{"--no-fixup-line-numbers", "--fixup-line-numbers"}, true, false, true, false, false},
        {{"-nfld", "-sif", "-io"}, true, false, false, true, true},
        {{"-nfld", "-fld", "-sif", "-nsif", "-io", "-nio"}, true, false, true, false, false},
    };
    for (const auto& c : cases) {
        std::vector<const char*> args{"-i", "a", "-o", "b"};
        std::string trace;
        for (const char* s : c.switches) {
            args.push_back(s);
            trace += std::string(s) + " ";
        }
        SCOPED_TRACE(trace);
        const Parsed parsed = Parse(args);
        ASSERT_EQ(parsed.outcome, ParseOutcome::proceed);
        EXPECT_EQ(parsed.options.fixup_line_numbers, c.fixup);
        EXPECT_EQ(parsed.options.line_fixup_with_filename, c.with_filename);
        EXPECT_EQ(parsed.options.follow_line_directives, c.follow);
        EXPECT_EQ(parsed.options.specify_input_filenames, c.specify);
        EXPECT_EQ(parsed.options.include_once, c.once);
    }
}

}  // namespace
