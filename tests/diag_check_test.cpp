// The tool's promise, checked against the compiler itself: g++ reading the joined text reports
// its first error at the file and line where it reports it reading the original files. Each
// random tree holds one deliberate error, `int err_here = ;`, and is compiled under every
// combination of the macros it tests: the originals through a wrapper that includes the inputs,
// the joined text, alone in a folder of its own, once with default options (lines compared) and
// once with -lnff -sif -sg (file names too, exactly as gcc names them). A tool error counts as a
// mismatch.
//
// QUILLFOLD_DIAG_TREES=n checks n trees, QUILLFOLD_DIAG_SEED=s starts at seed s (alone: that one
// tree). A mismatching tree is kept with the tool's arguments (args.txt), the joined outputs, the
// compile script and every compiler's diagnostics.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "test_tree.h"

namespace fs = std::filesystem;

namespace {
using Strings = std::vector<std::string>;

// Text put between two other pieces. '@' stands for a number of the tree's own, '%' for a line
// number, '$' for a raw string's prefix, '?' for a macro name, '~' for a NUL byte.
const char* const kPieces[] = {
    "extern int v_@;",
    "extern const char s_@[sizeof(\"a/*b // \\\" ' */\")];",
    "extern const char c_@[sizeof('\"') + sizeof('\\'') + sizeof('/')];",
    "extern int d_@[1'000];",
    "extern int \\\n    v_@;",
    "extern const char s_@[sizeof(\"ab\\\ncd\")];",
    "/* it's a \"note\"\n#include \"nowhere.h\"\n */",
    "extern int v_@; /* it's\n   \"open' #if A\n*/ extern int w_@;",
    "// it's \"x\" /* not a comment",
    "// a note \\\n#include \"nowhere.h\"",
    "extern const char r_@[sizeof($\"x(a/*b it's \"q\" // no)x\")];",
    "extern const char r_@[sizeof($\"d(top\n#include \"nowhere.h\"\n#if A\n /* it's\n)d\")];",
    "extern const char r_@[sizeof($\"e(\n#endif\n)e\")];",
    "#if 0\nit isn't compiled /* nor a comment\n#endif",
    "#ifndef __cplusplus\n#error C isn't supported\n#endif",
    "~#define NUL_@ ~1",
};
// A file's own #line directives, in conditional blocks too.
const char* const kLineDirectives[] = {
    "#line %",        "#line % \"ln_@.cpp\"", "#line %   ",           "#line % // c",
    "#line % /* c */", "# % \"ln_@.cpp\" 3",  "#line %\"ln_@.cpp\"", "#line % \\\n  \"ln_@.cpp\"",
    "#line 4294967295"};
const char* const kRawPrefixes[] = {"R", "u8R", "uR", "UR", "LR"};
const char* const kOpeners[] = {"#if ?", "#ifdef ?", "#ifndef ?", "# if defined(?) // c",
                                "#if ? /* c */"};
const char* const kElifs[] = {"#elif ?", "#elif !? // c"};
const char* const kElses[] = {"#else", "#else // note", "#else /* note */"};
const char* const kEndifs[] = {"#endif",
                               "#endif // note",
                               "#endif /* note */",
                               "#endif /* note\n   still note */",
                               "#endif /* a \\\n b */",
                               "#endif /* note\n   still */ int not_compiled = ;"};
const char* const kIncludeStarts[] = {"#include ", "  #  include ", "/* lead */ #include ",
                                      "#/* lead\n */include "};
// Only comments may follow the name, also when a comment opened there closes on a later line.
const char* const kIncludeEnds[] = {"", " // note", " /* note */", " /* it's \"open\"\n   still */",
                                    " /* a */ /* b\n */"};

// A tree of valid C++ with one deliberate error. Headers include headers made after them, and
// may include again a header made before them, themselves too, when that one is guarded; an
// unguarded one may include itself once more for a second pass. Headers in the root and in inc/
// may share a name; every name a #line gives is unique. Each file ends its lines in LF, CR LF,
// a lone CR or a mix.
class Generator {
  public:
    explicit Generator(std::uint32_t seed) : random_(seed) { Make(); }

    std::vector<std::pair<std::string, std::string>> files;  // path, bytes
    Strings inputs;                                          // in command-line order
    std::string macros;  // the macros its conditionals test, e.g. "AC"
    bool computed = false;  // it holds an include of a macro
    bool line_directives = false;  // it holds #line directives or line markers of its own

  private:
    // std::mt19937's numbers are fixed by the standard; its distributions are not.
    std::uint32_t Pick(std::size_t n) { return static_cast<std::uint32_t>(random_() % n); }
    template <std::size_t N>
    const char* One(const char* const (&items)[N]) {
        return items[Pick(N)];
    }
    void Make();
    std::string Fill(const std::string& piece);
    void Emit(const std::string& text);
    void Block(std::size_t file, int depth);
    void Include(std::size_t file);
    void Computed_Include(std::size_t file);
    std::string Name_For(std::size_t includer, std::size_t target);

    std::mt19937 random_;
    Strings paths_;
    std::vector<bool> twinned_;  // another header has the same name in the other folder
    std::vector<std::vector<std::size_t>> pending_;  // the files each file is still to include
    Strings lines_;
    std::vector<std::size_t> slots_;  // lines before which code may go
    unsigned counter_ = 0;
    std::uint32_t macro_count_ = 0;  // conditionals test the first ones of A, B, C
    unsigned macros_ = 0;
};

std::string Generator::Fill(const std::string& piece) {
    const std::string id = std::to_string(++counter_);
    std::string text;
    for (const char c : piece) {
        if (c == '@') {
            text += id;
        } else if (c == '%') {
            text += std::to_string(10 + Pick(990));
        } else if (c == '~') {
            text += '\0';
        } else if (c == '$') {
            text += One(kRawPrefixes);
        } else if (c == '?') {
            const std::uint32_t macro = Pick(macro_count_);
            macros_ |= 1u << macro;
            text += static_cast<char>('A' + macro);
        } else {
            text += c;
        }
    }
    return text;
}

void Generator::Emit(const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) lines_.push_back(line);
}

void Generator::Block(std::size_t file, int depth) {
    for (std::uint32_t count = 1 + Pick(depth == 0 ? 5 : 3); count > 0; --count) {
        slots_.push_back(lines_.size());
        const std::uint32_t kind = Pick(10);
        if (kind < 3 && !pending_[file].empty()) {
            if (Pick(4) == 0) {
                Computed_Include(file);
            } else {
                Include(file);
            }
        } else if (kind < 5 && depth < 3 && macro_count_ > 0) {
            Emit(Fill(One(kOpeners)));
            Block(file, depth + 1);
            if (Pick(10) < 3) {
                Emit(Fill(One(kElifs)));
                Block(file, depth + 1);
            }
            if (Pick(10) < 4) {
                Emit(Fill(One(kElses)));
                Block(file, depth + 1);
            }
            Emit(Fill(One(kEndifs)));
        } else if (Pick(6) == 0) {
            line_directives = true;
            Emit(Fill(One(kLineDirectives)));
        } else {
            Emit(Fill(One(kPieces)));
        }
    }
    slots_.push_back(lines_.size());
}

// A spelling of the include that finds `target` from `includer`: beside it, in the root (the
// current directory, searched after the includer's folder), or in inc/ (the include path, where
// alone an angle name looks); a name another header shares needs a spelling that passes it by.
std::string Generator::Name_For(std::size_t includer, std::size_t target) {
    const std::string& path = paths_[target];
    const bool in_inc = path.compare(0, 4, "inc/") == 0;
    const bool from_inc = paths_[includer].compare(0, 4, "inc/") == 0;
    const std::string name = in_inc ? path.substr(4) : path;
    if (!in_inc) {
        if (!from_inc) return "\"" + name + "\"";
        return twinned_[target] || Pick(2) == 0 ? "\"../" + name + "\"" : "\"" + name + "\"";
    }
    if (from_inc && Pick(2) == 0) return "\"" + name + "\"";
    if (!from_inc && Pick(3) == 0) return "\"inc/" + name + "\"";
    return !from_inc && twinned_[target] ? "<" + name + ">"
           : Pick(2) == 0                ? "<" + name + ">"
                                         : "\"" + name + "\"";
}

// An include of a macro whose definitions, picked by the tree's macros in a conditional chain,
// name one of up to three of the file's pending headers, now and then through a macro of their
// own; after it, the macro is undefined, defined again and included once more.
void Generator::Computed_Include(std::size_t file) {
    computed = true;
    std::vector<std::size_t>& pending = pending_[file];
    Strings names;
    for (std::uint32_t n = 1 + Pick(3); n > 0 && !pending.empty(); --n) {
        const std::size_t which = Pick(pending.size());
        names.push_back(Name_For(file, pending[which]));
        pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(which));
    }
    const std::string id = std::to_string(++counter_), macro = "CI_" + id;
    const auto define = [&](const std::string& name) {
        if (name[0] == '<' && Pick(2) == 0) {
            Emit("#define CI_FILE_" + id + " " + name.substr(1, name.size() - 2));
            return "#define " + macro + " <CI_FILE_" + id + ">";
        }
        return "#define " + macro + " " + name;
    };
    if (names.size() == 1 || macro_count_ == 0) {
        Emit(define(names[0]));
    } else {
        for (std::size_t i = 0; i < names.size(); ++i) {
            Emit(i == 0 ? Fill("#if ?") : i + 1 < names.size() ? Fill("#elif ?") : "#else");
            Emit(define(names[i]));
        }
        Emit("#endif");
    }
    Emit(One(kIncludeStarts) + macro + Fill(One(kIncludeEnds)));
    if (Pick(3) == 0) {
        Emit("#undef " + macro);
        Emit(define(names[Pick(names.size())]));
        Emit("#include " + macro);
    }
}

void Generator::Include(std::size_t file) {
    std::vector<std::size_t>& pending = pending_[file];
    const std::size_t which = Pick(pending.size());
    const std::size_t target = pending[which];
    pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(which));
    Emit(One(kIncludeStarts) + Name_For(file, target) + Fill(One(kIncludeEnds)));
}

void Generator::Make() {
    // Each macro doubles the compilations, so most trees test fewer than three.
    macro_count_ = Pick(4);
    const std::size_t n_inputs = 1 + Pick(3), n_files = n_inputs + 1 + Pick(5);
    twinned_.assign(n_files, false);
    for (std::size_t i = 0; i < n_files; ++i) {
        if (i < n_inputs) {
            paths_.push_back("gen_" + std::to_string(i) + ".cpp");
            inputs.push_back(paths_.back());
            continue;
        }
        const bool in_inc = Pick(2) == 0;
        std::string name = "h_" + std::to_string(i) + ".h";
        // Now and then the name of a header in the other folder.
        for (std::size_t j = n_inputs; j < i && Pick(4) == 0; ++j) {
            const bool other_in_inc = paths_[j].compare(0, 4, "inc/") == 0;
            if (other_in_inc == in_inc || twinned_[j]) continue;
            name = other_in_inc ? paths_[j].substr(4) : paths_[j];
            twinned_[i] = twinned_[j] = true;
            break;
        }
        paths_.push_back((in_inc ? "inc/" : "") + name);
    }
    // Some headers take effect once: by #pragma once (0; 3 for one that stands in a block and
    // counts only there) or by an include guard (1).
    std::vector<std::uint32_t> once(n_files, 2);
    for (std::size_t i = n_inputs; i < n_files; ++i) {
        once[i] = Pick(3);
        if (once[i] == 0 && macro_count_ > 0 && Pick(3) == 0) once[i] = 3;
    }
    // Every header has an includer made before it, and some have more; a guarded header may be
    // included again from one made after it, or from itself.
    pending_.resize(n_files);
    for (std::size_t i = n_inputs; i < n_files; ++i) pending_[Pick(i)].push_back(i);
    for (std::size_t i = 0; i + 1 < n_files; ++i) {
        const std::size_t first = std::max(i + 1, n_inputs);
        for (std::uint32_t n = Pick(3); n > 0 && first < n_files; --n) {
            pending_[i].push_back(first + Pick(n_files - first));
        }
    }
    for (std::size_t i = n_inputs; i < n_files; ++i) {
        const std::size_t back = n_inputs + Pick(i + 1 - n_inputs);
        if (once[back] < 2 && Pick(3) == 0) pending_[i].push_back(back);
    }
    std::vector<Strings> lines;
    std::vector<std::vector<std::size_t>> slots;
    for (std::size_t i = 0; i < n_files; ++i) {
        const std::string guard = "GUARD_" + std::to_string(i) + "_H";
        // A pragma may hold more, or stand in a block, which makes it count only there.
        if (once[i] == 0) Emit(Pick(2) == 0 ? "#pragma once" : "#pragma once x");
        if (once[i] == 3) Emit(Fill("#ifdef ?\n#pragma once\n#endif"));
        if (once[i] == 1) Emit("#ifndef " + guard + "\n#define " + guard);
        Block(i, 0);
        while (!pending_[i].empty()) {
            Include(i);
            slots_.push_back(lines_.size());
        }
        if (once[i] == 1) Emit("#endif");
        if (once[i] == 2 && i >= n_inputs && Pick(4) == 0) {
            // The second-pass idiom: the header reads itself once more.
            const std::string pass = "PASS_" + std::to_string(i);
            Emit("#ifndef " + pass + "\n#define " + pass + "\n#include " + Name_For(i, i) +
                 "\n#undef " + pass + "\n#endif");
        }
        // A splice at the end of a file reaches no further.
        if (Pick(8) == 0) Emit(Fill("extern int v_@; \\"));
        lines.push_back(std::move(lines_));
        slots.push_back(std::move(slots_));
        lines_.clear();
        slots_.clear();
    }
    const std::size_t file = Pick(n_files);
    const std::size_t slot = slots[file][Pick(slots[file].size())];
    lines[file].insert(lines[file].begin() + static_cast<std::ptrdiff_t>(slot), "int err_here = ;");
    static const char* const kLineEnds[] = {"\n", "\r\n", "\r"};
    for (std::size_t i = 0; i < n_files; ++i) {
        const std::uint32_t ends = Pick(8);
        std::string text;
        for (const std::string& line : lines[i]) {
            text += line + kLineEnds[ends < 5 ? 0 : ends < 7 ? ends - 4 : Pick(3)];
        }
        files.push_back({paths_[i], text});
    }
    for (int macro = 0; macro < 3; ++macro) {
        if ((macros_ >> macro & 1u) != 0) macros += static_cast<char>('A' + macro);
    }
}

// About 60 ms a tree on two cores.
constexpr std::uint32_t kDefaultTrees = 120;

bool Shell(const std::string& command) {
    return std::system(("LC_ALL=C " + command).c_str()) == 0;
}

// "file:line" of the first error in gcc's diagnostics, the file as gcc names it; "none" when
// there is none.
std::string First_Error(const std::string& diagnostics) {
    static const std::regex place(R"(^(.*?):(\d+):(?:\d+:)? (?:fatal )?error:)");
    std::istringstream lines(diagnostics);
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_search(line, match, place)) return match.str(1) + ":" + match.str(2);
        if (line.find("error:") != std::string::npos) return line;
    }
    return "none";
}

class DiagCheck : public TreeTest {
  protected:
    void SetUp() override {
        TreeTest::SetUp();
#ifdef _WIN32
        GTEST_SKIP() << "g++ is run through a POSIX shell";
#else
        if (!Shell("command -v g++ >/dev/null 2>&1")) GTEST_SKIP() << "g++ is not installed";
#endif
    }
    void Check_Tree(std::uint32_t seed);
};

void DiagCheck::Check_Tree(std::uint32_t seed) {
    const Generator tree(seed);
    const std::string trees_root = root_;
    root_ = (fs::path(trees_root) / ("tree-" + std::to_string(seed))).string();
    // The joined texts are compiled alone, where no include they might still hold is found.
    fs::create_directories(fs::path(root_) / "inc");
    fs::create_directories(fs::path(root_) / "alone");
    fs::current_path(root_);
    for (const auto& file : tree.files) Write(file.first, file.second);
    std::string wrapper;
    std::vector<std::string> inputs;
    for (const std::string& input : tree.inputs) {
        wrapper += "#include \"" + input + "\"\n";
        inputs.insert(inputs.end(), {"-i", input});
    }
    Write("diag_wrapper.cpp", wrapper);

    // An include of a macro is joined only with -eci, and then with either option set.
    const std::string eci = tree.computed ? "-eci" : "-nsg";
    // Without #line directives of the tree's own, the line a compiler gives in a text joined
    // without any is the output's line, which the line map takes back to its place.
    const std::vector<std::string> variants[] = {
        {eci}, {"-lnff", "-sif", "-sg", eci}, {"-nfln", "-lm", "alone/out_mapped.map", eci}};
    const char* const names[] = {"default", "lnff", "mapped"};
    const int variant_count = tree.line_directives ? 2 : 3;
    std::string problems, arguments;
    bool joined[3];
    for (int v = 0; v < variant_count; ++v) {
        std::vector<std::string> args = inputs;
        args.insert(args.end(), {"-I", "inc"});
        args.insert(args.end(), variants[v].begin(), variants[v].end());
        args.insert(args.end(), {"-o", std::string("alone/out_") + names[v] + ".cpp"});
        for (const std::string& arg : args) arguments += arg + " ";
        arguments += "\n";
        const RunResult run = Run_Tool(args);
        joined[v] = run.status == 0;
        if (!joined[v]) problems += std::string("tool failed (") + names[v] + "): " + run.err;
    }
    Write("args.txt", arguments);

    // All compilations at once, in the background; one shell for the tree.
    const std::string gcc = "g++ -fsyntax-only -std=c++17 -x c++";
    std::string script;
    std::vector<std::string> labels;
    for (unsigned mask = 0; mask < 1u << tree.macros.size(); ++mask) {
        std::string defines, label;
        for (std::size_t m = 0; m < tree.macros.size(); ++m) {
            if ((mask >> m & 1u) == 0) continue;
            defines += std::string(" -D") + tree.macros[m];
            label += tree.macros[m];
        }
        labels.push_back(label.empty() ? "none" : label);
        const std::string to = "_" + labels.back() + ".txt 2>&1 &\n";
        script += gcc + " -iquote . -I inc" + defines + " diag_wrapper.cpp >orig" + to;
        for (int v = 0; v < variant_count; ++v) {
            script += "(cd alone && " + gcc + defines + " out_" + names[v] + ".cpp) >" + names[v] +
                      to;
        }
    }
    Write("compile.sh", script + "wait\n");
    Shell("sh compile.sh");
    for (const std::string& label : labels) {
        const std::string original = First_Error(Read("orig_" + label + ".txt"));
        const std::string by_line = First_Error(Read("default_" + label + ".txt"));
        const std::string named = First_Error(Read("lnff_" + label + ".txt"));
        const std::string with = "with " + label + ": original " + original;
        const auto line_of = [](const std::string& place) {
            return place.substr(place.rfind(':') + 1);
        };
        if (joined[0] && line_of(by_line) != line_of(original)) {
            problems += with + ", default options " + by_line + "\n";
        }
        if (joined[1] && named != original) problems += with + ", -lnff -sif -sg " + named + "\n";
        if (variant_count == 3 && joined[2]) {
            const std::string log = Read("mapped_" + label + ".txt");
            const std::string mapped =
                First_Error(Run_Tool({"-mm", "alone/out_mapped.map"}, log).out);
            if (mapped != original) problems += with + ", -nfln mapped " + mapped + "\n";
        }
    }

    fs::current_path(trees_root);
    if (problems.empty()) {
        fs::remove_all(root_);
    } else {
        Write("mismatches.txt", problems);
        ADD_FAILURE() << "seed " << seed << ", kept in " << root_ << "\n" << problems;
    }
    root_ = trees_root;
}

TEST_F(DiagCheck, JoinedTextKeepsTheFirstErrorWhereTheOriginalsHaveIt) {
    const char* const one = std::getenv("QUILLFOLD_DIAG_SEED");
    const char* const trees = std::getenv("QUILLFOLD_DIAG_TREES");
    const auto first = static_cast<std::uint32_t>(one ? std::strtoul(one, nullptr, 10) : 1);
    const auto count = static_cast<std::uint32_t>(trees ? std::strtoul(trees, nullptr, 10)
                                                  : one ? 1
                                                        : kDefaultTrees);
    std::printf("diagnostics check: seeds %u to %u\n", first, first + count - 1);
    for (std::uint32_t seed = first; seed - first < count; ++seed) Check_Tree(seed);
}

}  // namespace
