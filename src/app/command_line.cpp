#include "app/command_line.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

const char kUsageText[] =
    "Quillfold -- concatenates text files and expands #include refrences\n"
    "use: Quillfold -i <input0> [-i <input1> ... -i <inputN>] -o <output> [options]\n"
    "\n"
    "where the [options] are:\n"
    "--help|-h                               - displays this help\n"
    "--fixup-line-numbers|-fln               - adds #line directives to fix line numbers in\n"
    "                                          compiler error outputs (enabled by default)\n"
    "--no-fixup-line-numbers|-nfln           - disables the above\n"
    "--follow-line-directives|-fld           - parses #line directives already in the input\n"
    "                                          files (enabled by default)\n"
    "--no-follow-line-directives|-nfld       - disables the above\n"
    "--line-number-fixup-with-filename|-lnff - the #line directives will also contain files\n"
    "                                          names (which are displayed by nvcc; implies -fln;\n"
    "                                          disabled by default)\n"
    "--no-line-number-fixup-with-filename|-nlnff - disables the above\n"
    "--specify-input-filenames|-sif          - will add a #line 1 directive before the first line\n"
    "                                          of each input file, followed by its name (does not\n"
    "                                          have any effect to the #included files; disabled "
    "by\n"
    "                                          default)\n"
    "--no-specify-input-filenames|-nsif      - disables the above\n"
    "--include-once|-io                      - includes each file only once; as the additional\n"
    "                                          macros the file is going to be compiled with are\n"
    "                                          unknown, it is not possible to reliably determine\n"
    "                                          whether a particular #include line will take "
    "effect\n"
    "                                          or whether the included contents will always "
    "expand\n"
    "                                          to the same code. for that, inclusin tokens are\n"
    "                                          defined to be checked by the compiler so that "
    "errors\n"
    "                                          are surely generated if a file ends up not being\n"
    "                                          included where it should be. use with care.\n"
    "                                          (disabled by default)\n"
    "--no-include-once|-nio                  - disables the above\n"
    "--output|-o                             - specifies the output file name\n"
    "--input|-i                              - specifies the input file name (may occur multiple\n"
    "                                          times, the relative order of the files is "
    "preserved)\n"
    "--include-path|-ip|-I                   - adds a directory to the include path (may occur\n"
    "                                          multiple times; by default only the current\n"
    "                                          directory is searched)\n"
    "--max-include-recurse|-mir              - specifies maximum recursion amount; note that "
    "since\n"
    "                                          no preprocessing is done, this will fail on files\n"
    "                                          which form an #include loop even despite #pragma\n"
    "                                          once and such (default 300)\n"
    "--verbose|-v                            - enables verbose (disabled by default)\n";

namespace {

enum class Switch {
    help,
    fixup,
    verbose,
    no_fixup,
    follow,
    no_follow,
    fixup_with_filename,
    no_fixup_with_filename,
    specify_inputs,
    no_specify_inputs,
    include_once,
    no_include_once,
    output,
    input,
    include_path,
    max_recurse,
};

struct Form {
    const char* text;
    Switch option;
};

// In the order arguments are compared with them; the long form of a row comes first.
constexpr Form kFlagForms[] = {
    {"--help", Switch::help},
    {"-h", Switch::help},
    {"--fixup-line-numbers", Switch::fixup},
    {"-fln", Switch::fixup},
    {"--verbose", Switch::verbose},
    {"-v", Switch::verbose},
    {"--no-fixup-line-numbers", Switch::no_fixup},
    {"-nfln", Switch::no_fixup},
    {"--follow-line-directives", Switch::follow},
    {"-fld", Switch::follow},
    {"--no-follow-line-directives", Switch::no_follow},
    {"-nfld", Switch::no_follow},
    {"--line-number-fixup-with-filename", Switch::fixup_with_filename},
    {"-lnff", Switch::fixup_with_filename},
    {"--no-line-number-fixup-with-filename", Switch::no_fixup_with_filename},
    {"-nlnff", Switch::no_fixup_with_filename},
    {"--specify-input-filenames", Switch::specify_inputs},
    {"-sif", Switch::specify_inputs},
    {"--no-specify-input-filenames", Switch::no_specify_inputs},
    {"-nsif", Switch::no_specify_inputs},
    {"--include-once", Switch::include_once},
    {"-io", Switch::include_once},
    {"--no-include-once", Switch::no_include_once},
    {"-nio", Switch::no_include_once},
};

constexpr Form kValueForms[] = {
    {"--output", Switch::output},
    {"-o", Switch::output},
    {"--input", Switch::input},
    {"-i", Switch::input},
    {"--include-path", Switch::include_path},
    {"-ip", Switch::include_path},
    {"-I", Switch::include_path},
    {"--max-include-recurse", Switch::max_recurse},
    {"-mir", Switch::max_recurse},
};

template <std::size_t N>
const Form* Find(const Form (&forms)[N], const char* argument) {
    for (const Form& form : forms) {
        if (std::strcmp(form.text, argument) == 0) return &form;
    }
    return nullptr;
}

void Apply_Flag(Switch option, Options& options) {
    switch (option) {
        case Switch::fixup:
            options.fixup_line_numbers = true;
            break;
        case Switch::verbose:
            options.verbose = true;
            break;
        case Switch::no_fixup:
            options.fixup_line_numbers = false;
            break;
        case Switch::follow:
            options.follow_line_directives = true;
            break;
        case Switch::no_follow:
            options.follow_line_directives = false;
            break;
        case Switch::fixup_with_filename:
            // File names in line directives make no sense without the directives.
            options.line_fixup_with_filename = true;
            options.fixup_line_numbers = true;
            break;
        case Switch::no_fixup_with_filename:
            options.line_fixup_with_filename = false;
            break;
        case Switch::specify_inputs:
            options.specify_input_filenames = true;
            break;
        case Switch::no_specify_inputs:
            options.specify_input_filenames = false;
            break;
        case Switch::include_once:
            options.include_once = true;
            break;
        case Switch::no_include_once:
            options.include_once = false;
            break;
        default:
            break;
    }
}

// Converts as atol does where long has 32 bits: leading whitespace, a sign, digits, and anything
// after them ignored; out-of-range values clamp, so every platform reads the same number.
std::int32_t To_Int32(const char* text) {
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

void Apply_Value(Switch option, const char* value, Options& options) {
    switch (option) {
        case Switch::output:
            options.output_path = value;
            break;
        case Switch::input:
            options.input_paths.push_back(value);
            break;
        case Switch::include_path:
            options.include_paths.push_back(value);
            break;
        case Switch::max_recurse:
            options.max_include_recurse = To_Int32(value);
            break;
        default:
            break;
    }
}

}  // namespace

ParseOutcome Parse_Options(int argc, const char* const* argv, Options& options, FILE* err) {
    if (argc < 2) {
        std::fputs(kUsageText, err);
        return ParseOutcome::stop_failure;
    }
    for (int index = 1; index < argc; ++index) {
        const char* argument = argv[index];
        if (const Form* flag = Find(kFlagForms, argument)) {
            if (flag->option == Switch::help) {
                std::fputs(kUsageText, err);
                return ParseOutcome::stop_success;
            }
            Apply_Flag(flag->option, options);
            continue;
        }
        // Checked before the value options, so an option that lacks its value and an unknown
        // last word get the same message.
        if (index == argc - 1) {
            std::fprintf(err, "error: argument '%s': missing value or an unknown argument\n",
                         argument);
            return ParseOutcome::stop_failure;
        }
        const Form* valued = Find(kValueForms, argument);
        if (valued == nullptr) {
            std::fprintf(err, "error: argument '%s': an unknown argument\n", argument);
            return ParseOutcome::stop_failure;
        }
        Apply_Value(valued->option, argv[++index], options);
    }
    if (options.output_path == nullptr || options.input_paths.empty()) {
        std::fputs(kUsageText, err);
        return ParseOutcome::stop_failure;
    }
    return ParseOutcome::proceed;
}
