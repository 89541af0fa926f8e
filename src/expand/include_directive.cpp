#include "expand/include_directive.h"

#include <cctype>
#include <cstring>

#include "expand/run_state.h"
#include "lines/conditionals.h"
#include "path/path.h"

namespace {

bool Is_Space(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::size_t Skip_Spaces(std::string_view text, std::size_t at) {
    while (at < text.size() && Is_Space(text[at])) ++at;
    return at;
}

// The resolved path of include `name` written in the top frame, pooled, or null after printing
// why there is none.
const char* Resolve(RunState& state, const std::string& name, bool angle) {
    FILE* err = state.console_err;
    const IncludeFrame& includer = state.stack.back();
    if (CPath::Is_Absolute(name)) return name.c_str();

    std::string& candidate = state.path_scratch;
    if (!angle) {
        // Beside the includer. An includer named by an absolute path keeps its directory as it
        // is: a file in a root directory has a directory part that alone is not absolute.
        std::string& directory = state.display_scratch;
        const std::string includer_path = includer.path;
        const bool made = CPath::Get_Path(directory, includer_path) &&
                          (CPath::Is_Absolute(includer_path) || CPath::To_Absolute(directory)) &&
                          CPath::Join(candidate, directory, name) && CPath::Normalize(candidate);
        if (!made) {
            std::fprintf(err, "error: failed to make absolute path '%s'\n", name.c_str());
            return nullptr;
        }
        if (CPath::Exists(candidate)) return state.pool.Add(candidate).c_str();

        if (!CPath::To_Absolute(candidate, name) || !CPath::Normalize(candidate)) {
            std::fprintf(err, "error: failed to make absolute path '%s'\n", name.c_str());
            return nullptr;
        }
        if (CPath::Exists(candidate)) return state.pool.Add(candidate).c_str();
    }
    for (const char* directory : state.options.include_paths) {
        if (!CPath::Join(candidate, directory, name.c_str()) || !CPath::Normalize(candidate)) {
            std::fprintf(err, "error: failed to join paths '%s' + '%s'\n", directory,
                         name.c_str());
            return nullptr;
        }
        if (CPath::Exists(candidate)) return state.pool.Add(candidate).c_str();
    }
    std::fprintf(err, "error: '%s' line %u: failed to resolve include of '%s': file not found\n",
                 includer.path, includer.line_counter - 1, name.c_str());
    return nullptr;
}

}  // namespace

IncludeShape Recognize_Include(std::string_view analysis, IncludeSyntax& syntax) {
    const std::size_t m = analysis.size();
    std::size_t at = Skip_Spaces(analysis, 0);
    if (at == m || analysis[at] != '#') return IncludeShape::none;
    syntax.hash = at;
    const std::size_t word = Skip_Spaces(analysis, at + 1);
    // A bare "#include" that ends the line is not looked at.
    if (word + 7 >= m || analysis.compare(word, 7, "include") != 0) return IncludeShape::none;
    at = Skip_Spaces(analysis, word + 7);
    if (at == m || (analysis[at] != '<' && analysis[at] != '"')) return IncludeShape::unrecognised;
    syntax.angle = analysis[at] == '<';
    const char closing = syntax.angle ? '>' : '"';
    syntax.name_begin = ++at;
    while (at < m && analysis[at] != closing) at += (analysis[at] == '\\' && at + 1 < m) ? 2 : 1;
    if (at >= m) return IncludeShape::unrecognised;
    syntax.name_end = at;
    return IncludeShape::include;
}

IncludeResult Handle_Include(RunState& state) {
    const std::string& line = state.line;
    const std::string& analysis = state.analysis;
    IncludeSyntax syntax;
    const IncludeFrame& includer = state.stack.back();
    switch (Recognize_Include(analysis, syntax)) {
        case IncludeShape::none: return IncludeResult::not_include;
        case IncludeShape::unrecognised:
            std::fprintf(state.console_err,
                         "warning: '%s' line %u: did not understand #include directive: '%s'\n",
                         includer.path, includer.line_counter - 1, line.c_str());
            return IncludeResult::unrecognised;
        case IncludeShape::include: break;
    }
    const std::string& name = state.pool.Add(
        std::string_view(analysis).substr(syntax.name_begin, syntax.name_end - syntax.name_begin));
    const std::int32_t limit = state.options.max_include_recurse;
    if (limit > 0 && state.stack.size() == static_cast<std::size_t>(limit)) {
        std::fprintf(state.console_err, "error: '%s' line %u: maximum include recursion exceeded\n",
                     includer.path, includer.line_counter - 1);
        return IncludeResult::failed;
    }
    const char* resolved = Resolve(state, name, syntax.angle);
    if (resolved == nullptr) return IncludeResult::failed;

    state.stack.emplace_back(resolved);
    state.stack.back().display_name = name.c_str();
    IncludeFrame& frame = state.stack[state.stack.size() - 2];  // the includer, maybe moved
    Register_Pending_Fix(frame);

    OutputStream& output = state.output;
    const std::uint32_t hash = state.offsets[syntax.hash];
    if (hash != 0) {
        std::string& prefix = state.display_scratch;
        prefix.assign(line, 0, hash);
        Trim(prefix);
        if (!prefix.empty()) {
            output.Write(line.data(), hash);
            output.Put(' ');
        }
    }
    // The rest of the line after the closing delimiter comes back as the includer's next line,
    // under the include line's own number.
    const std::size_t rest = std::size_t{state.offsets[syntax.name_end]} + 1;
    if (rest < line.size()) {
        frame.carried_text.assign(line, rest, std::string::npos);
        --frame.line_counter;
    }
    output.Print("// #include %s\n", resolved);
    return IncludeResult::expanded;
}

bool Prepare_Include_Paths(std::vector<const char*>& include_paths, StringPool& pool, FILE* err) {
    for (const char*& entry : include_paths) {
        if (CPath::Is_Absolute(entry)) continue;
        std::string& absolute = pool.Add(entry);
        if (!CPath::To_Absolute(absolute)) {
            std::fprintf(err, "error: failed to make absolute path '%s'\n", entry);
            return false;
        }
        entry = absolute.c_str();
    }
    return true;
}

void Trim(std::string& text) {
    std::size_t n = text.size();
    while (n > 0 && Is_Space(text[n - 1])) --n;
    std::size_t k = 0;
    while (k < n && Is_Space(text[k])) ++k;
    text.erase(n);
    text.erase(0, k);
}
