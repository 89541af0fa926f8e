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
    "--version                               - displays the version\n"
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
    "--keep-unresolved-includes|-kui         - leaves an #include whose file is found nowhere to\n"
    "                                          the compiler: the line is written unchanged\n"
    "                                          (disabled by default)\n"
    "--no-keep-unresolved-includes|-nkui     - disables the above\n"
    "--skip-guarded|-sg                      - leaves out what the compiler is sure to drop: a\n"
    "                                          later inclusion of a file wrapped whole in an\n"
    "                                          include guard that is in force, and the includes\n"
    "                                          of a branch that is surely skipped (disabled by\n"
    "                                          default)\n"
    "--no-skip-guarded|-nsg                  - disables the above\n"
    "--expand-computed-includes|-eci         - expands an #include of a macro for each of its\n"
    "                                          definitions met before that can be in force,\n"
    "                                          choosing among them with macros of the tool's\n"
    "                                          own (disabled by default)\n"
    "--no-expand-computed-includes|-neci     - disables the above\n"
    "--output|-o                             - specifies the output file name (- for the standard\n"
    "                                          output); a file is replaced only when the run\n"
    "                                          succeeds, and is otherwise left as it was\n"
    "--input|-i                              - specifies the input file name (may occur multiple\n"
    "                                          times, the relative order of the files is "
    "preserved;\n"
    "                                          - for the standard input)\n"
    "--include-path|-ip|-I                   - adds a directory to the include path (may occur\n"
    "                                          multiple times; by default only the current\n"
    "                                          directory is searched)\n"
    "--max-include-recurse|-mir              - specifies maximum recursion amount; note that "
    "since\n"
    "                                          no preprocessing is done, this will fail on files\n"
    "                                          which form an #include loop even despite #pragma\n"
    "                                          once and such (default 300)\n"
    "--path-prefix-map|-ppm                  - <old>=<new>: paths written into the output that\n"
    "                                          start with <old> start with <new> instead (may\n"
    "                                          occur multiple times; the last that matches "
    "applies)\n"
    "--max-output-size|-mos                  - ends the run with an error where the output would\n"
    "                                          grow beyond this many bytes (a K, M or G suffix\n"
    "                                          multiplies by 1024 each; no limit by default)\n"
    "--dependency-file|-MF                   - also writes a make rule to this file that names\n"
    "                                          every file the run read, as compilers do\n"
    "                                          (only when the run succeeds)\n"
    "--dependency-target|-MT                 - the target of that rule instead of the output\n"
    "                                          (may occur multiple times)\n"
    "--phony-dependencies|-MP                - adds an empty rule for each included file to the\n"
    "                                          dependency file, so that a removed header does\n"
    "                                          not break the build\n"
    "--keep-include|-ki                      - <pattern>: an include whose name, as written, matches\n"
    "                                          is left to the compiler even where its file is\n"
    "                                          found (* within a folder, ** across folders; in <>\n"
    "                                          or \"\" it matches that form only; may occur\n"
    "                                          multiple times)\n"
    "--expand-only|-eo                       - <folder>: only includes whose files lie in this\n"
    "                                          folder (or another one so given) are expanded,\n"
    "                                          the others left to the compiler (may occur\n"
    "                                          multiple times)\n"
    "--line-map|-lm                          - <file>: also writes a map of where each line of\n"
    "                                          the output comes from, as JSON (only when the run\n"
    "                                          succeeds)\n"
    "--map-messages|-mm                      - <map>: writes the compiler messages read from the\n"
    "                                          standard input to the standard output, each place\n"
    "                                          in the joined text given as the place it comes\n"
    "                                          from; joins nothing\n"
    "--size-report|-sr                       - reports, after the run, how many times each file\n"
    "                                          was expanded and left out and how many bytes it\n"
    "                                          put into the output\n"
    "--include-graph|-ig                     - <file>: also writes which file included which, in\n"
    "                                          Graphviz DOT (only when the run succeeds)\n"
    "--check                                 - writes nothing: exits with 0 when the output\n"
    "                                          holds exactly what the run would write, else\n"
    "                                          with 1 after saying it is out of date\n"
    "--verbose|-v                            - enables verbose (disabled by default; with -o -\n"
    "                                          the messages go to the standard error)\n";

namespace {

enum class Switch {
    help,
    version,
    check,
    phony_dependencies,
    dependency_file,
    dependency_target,
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
    keep_unresolved,
    no_keep_unresolved,
    skip_guarded,
    no_skip_guarded,
    computed_includes,
    no_computed_includes,
    size_report,
    keep_include,
    expand_only,
    line_map,
    map_messages,
    include_graph,
    output,
    input,
    include_path,
    max_recurse,
    prefix_map,
    max_output,
};

struct Form {
    const char* text;
    Switch option;
};

// In the order arguments are compared with them; the long form of a row comes first.
constexpr Form kFlagForms[] = {
    {"--help", Switch::help},
    {"-h", Switch::help},
    {"--version", Switch::version},
    {"--check", Switch::check},
    {"--phony-dependencies", Switch::phony_dependencies},
    {"-MP", Switch::phony_dependencies},
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
    {"--keep-unresolved-includes", Switch::keep_unresolved},
    {"-kui", Switch::keep_unresolved},
    {"--no-keep-unresolved-includes", Switch::no_keep_unresolved},
    {"-nkui", Switch::no_keep_unresolved},
    {"--skip-guarded", Switch::skip_guarded},
    {"-sg", Switch::skip_guarded},
    {"--no-skip-guarded", Switch::no_skip_guarded},
    {"-nsg", Switch::no_skip_guarded},
    {"--expand-computed-includes", Switch::computed_includes},
    {"-eci", Switch::computed_includes},
    {"--no-expand-computed-includes", Switch::no_computed_includes},
    {"-neci", Switch::no_computed_includes},
    {"--size-report", Switch::size_report},
    {"-sr", Switch::size_report},
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
    {"--path-prefix-map", Switch::prefix_map},
    {"-ppm", Switch::prefix_map},
    {"--max-output-size", Switch::max_output},
    {"-mos", Switch::max_output},
    {"--dependency-file", Switch::dependency_file},
    {"-MF", Switch::dependency_file},
    {"--dependency-target", Switch::dependency_target},
    {"-MT", Switch::dependency_target},
    {"--keep-include", Switch::keep_include},
    {"-ki", Switch::keep_include},
    {"--expand-only", Switch::expand_only},
    {"-eo", Switch::expand_only},
    {"--line-map", Switch::line_map},
    {"-lm", Switch::line_map},
    {"--map-messages", Switch::map_messages},
    {"-mm", Switch::map_messages},
    {"--include-graph", Switch::include_graph},
    {"-ig", Switch::include_graph},
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
        case Switch::keep_unresolved:
            options.keep_unresolved_includes = true;
            break;
        case Switch::no_keep_unresolved:
            options.keep_unresolved_includes = false;
            break;
        case Switch::skip_guarded:
            options.skip_guarded = true;
            break;
        case Switch::check:
            options.check = true;
            break;
        case Switch::phony_dependencies:
            options.phony_dependencies = true;
            break;
        case Switch::no_skip_guarded:
            options.skip_guarded = false;
            break;
        case Switch::computed_includes:
            options.expand_computed_includes = true;
            break;
        case Switch::no_computed_includes:
            options.expand_computed_includes = false;
            break;
        case Switch::size_report:
            options.size_report = true;
            break;
        default:
            break;
    }
}

// A count: decimal digits alone. One beyond what the type holds clamps to its largest, which
// no include stack reaches anyway. False on anything else.
bool To_Count(const char* text, std::int32_t& count) {
    if (*text == '\0') return false;
    std::int64_t value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') return false;
        if (value <= INT32_MAX) value = value * 10 + (*c - '0');
    }
    count = value > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(value);
    return true;
}

// A number of bytes: decimal digits, then optionally K, M or G, each a factor of 1024. False on
// anything else and on sizes beyond 64 bits.
bool To_Size(const char* text, std::uint64_t& size) {
    const char* end = text;
    while (*end >= '0' && *end <= '9') ++end;
    if (end == text || end - text > 19) return false;
    size = std::strtoull(text, nullptr, 10);
    const char* units = "KMG";
    if (*end == '\0') return true;
    const char* unit = std::strchr(units, *end);
    if (unit == nullptr || end[1] != '\0') return false;
    for (const char* u = units; u <= unit; ++u) {
        if (size > UINT64_MAX / 1024) return false;
        size *= 1024;
    }
    return true;
}

// Applies a value option. False after printing why the value cannot be taken.
bool Apply_Value(Switch option, const char* argument, const char* value, Options& options,
                 Diagnostics& diagnostics) {
    switch (option) {
        case Switch::prefix_map: {
            const char* equals = std::strchr(value, '=');
            if (equals == nullptr) {
                diagnostics.Error("argument '%s': '%s' is not of the form OLD=NEW", argument,
                                  value);
                return false;
            }
            options.path_prefix_map.emplace_back(
                std::string_view(value, static_cast<std::size_t>(equals - value)),
                std::string_view(equals + 1));
            break;
        }
        case Switch::max_output:
            if (!To_Size(value, options.max_output_size)) {
                diagnostics.Error("argument '%s': '%s' is not a size in bytes", argument, value);
                return false;
            }
            break;
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
            if (!To_Count(value, options.max_include_recurse)) {
                diagnostics.Error("argument '%s': '%s' is not a non-negative whole number",
                                  argument, value);
                return false;
            }
            break;
        case Switch::dependency_file:
            options.dependency_file = value;
            break;
        case Switch::dependency_target:
            options.dependency_targets.push_back(value);
            break;
        case Switch::keep_include:
            options.keep_include_patterns.push_back(value);
            break;
        case Switch::expand_only:
            options.expand_only_folders.push_back(value);
            break;
        case Switch::line_map:
            options.line_map_file = value;
            break;
        case Switch::map_messages:
            options.map_messages_file = value;
            break;
        case Switch::include_graph:
            options.include_graph_file = value;
            break;
        default:
            break;
    }
    return true;
}

}  // namespace

ParseOutcome Parse_Options(int argc, const char* const* argv, Options& options,
                           Diagnostics& diagnostics) {
    if (argc < 2) {
        diagnostics.Print_Raw(kUsageText);
        return ParseOutcome::stop_failure;
    }
    for (int index = 1; index < argc; ++index) {
        const char* argument = argv[index];
        if (const Form* flag = Find(kFlagForms, argument)) {
            if (flag->option == Switch::help) {
                diagnostics.Print_Raw(kUsageText);
                return ParseOutcome::stop_success;
            }
            if (flag->option == Switch::version) return ParseOutcome::show_version;
            Apply_Flag(flag->option, options);
            continue;
        }
        // Checked before the value options, so an option that lacks its value and an unknown
        // last word get the same message.
        if (index == argc - 1) {
            diagnostics.Error("argument '%s': missing value or an unknown argument", argument);
            return ParseOutcome::stop_failure;
        }
        const Form* valued = Find(kValueForms, argument);
        if (valued == nullptr) {
            diagnostics.Error("argument '%s': an unknown argument", argument);
            return ParseOutcome::stop_failure;
        }
        if (!Apply_Value(valued->option, argument, argv[index + 1], options, diagnostics)) {
            return ParseOutcome::stop_failure;
        }
        ++index;
    }
    // Mapping messages joins nothing.
    if (options.map_messages_file != nullptr) return ParseOutcome::proceed;
    if (options.output_path == nullptr || options.input_paths.empty()) {
        diagnostics.Print_Raw(kUsageText);
        return ParseOutcome::stop_failure;
    }
    if (options.check && std::strcmp(options.output_path, "-") == 0) {
        diagnostics.Error("argument '--check': the standard output holds nothing to compare with");
        return ParseOutcome::stop_failure;
    }
    return ParseOutcome::proceed;
}
