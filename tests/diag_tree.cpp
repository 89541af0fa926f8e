#include "diag_tree.h"

#include <algorithm>
#include <cstddef>
#include <random>
#include <set>

namespace {

using Strings = std::vector<std::string>;

const char* const kFolders[] = {"", "sub", "src", "inc", "inc/deep"};

// Text put between two other pieces. '@' stands for a number of the tree's own, '%' for a line
// number, '$' for a raw string's prefix, '?' for a macro name.
const char* const kPieces[] = {
    "extern int v_@;",
    "extern const char s_@[sizeof(\"a/*b\")];",
    "extern const char s_@[sizeof(\"// \\\" ' */\")];",
    "extern const char c_@[sizeof('\"') + sizeof('\\'') + sizeof('/')];",
    "extern int d_@[1'000];",
    "extern int \\\n    v_@;",
    "extern const char s_@[sizeof(\"ab\\\ncd\")];",
    "/* it's a \"note\"\n#include \"nowhere.h\"\n */",
    "extern int v_@; /* it's\n   \"open' #if A\n*/ extern int w_@;",
    "// it's \"x\" /* not a comment",
    "// a note \\\n#include \"nowhere.h\"",
    "extern const char r_@[sizeof($\"d(a/*b)d\")];",
    "extern const char r_@[sizeof($\"x(it's \"q\" // no)x\")];",
    "extern const char r_@[sizeof($\"d(top\n#include \"nowhere.h\"\n#if A\n /* it's\n)d\")];",
    "extern const char r_@[sizeof($\"e(\n#endif\n)e\")];",
};
// A file's own #line directives, in conditional blocks too.
const char* const kLineDirectives[] = {"#line %", "#line % \"ln_@.cpp\"", "#line %   ",
                                       "#line % // c", "#line % /* c */"};
const char* const kRawPrefixes[] = {"R", "u8R", "uR", "UR", "LR"};
const char* const kOpeners[] = {"#if ?", "#ifdef ?", "#ifndef ?", "# if defined(?) // c",
                                "#if ? /* c */"};
const char* const kElifs[] = {"#elif ?", "#elif !? // c"};
const char* const kElses[] = {"#else", "#else // note", "#else /* note */"};
const char* const kEndifs[] = {"#endif", "#endif // note", "#endif /* note */",
                               "#endif /* note\n   still note */", "#endif /* a \\\n b */"};
const char* const kIncludeStarts[] = {"#include ", "  #  include ", "/* lead */ #include "};
// Only comments may follow the name, also when a comment opened there closes on a later line.
const char* const kIncludeEnds[] = {"", " // note", " /* note */", " /* it's \"open\"\n   still */",
                                    " /* a */ /* b\n */"};

Strings Split(const std::string& text, char separator) {
    Strings parts;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = std::min(text.find(separator, from), text.size());
        parts.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return parts;
}

std::string Joined(const Strings& parts) {
    std::string path;
    for (const std::string& part : parts) path += (path.empty() ? "" : "/") + part;
    return path;
}

std::string Folder_Of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

// `to` as seen from the folder `from`, going up with "..".
std::string Relative(const std::string& from, const std::string& to) {
    const Strings a = Split(from, '/'), b = Split(to, '/');
    std::size_t common = 0;
    while (common < a.size() && common + 1 < b.size() && a[common] == b[common]) ++common;
    Strings name(a.size() - common, "..");
    name.insert(name.end(), b.begin() + common, b.end());
    return Joined(name);
}

struct Name {
    std::string text;
    bool angle;
};

class Generator {
  public:
    explicit Generator(std::uint32_t seed) : random_(seed) {}
    DiagTree Make();

  private:
    // std::mt19937's numbers are fixed by the standard; its distributions are not.
    std::uint32_t Pick(std::size_t n) { return static_cast<std::uint32_t>(random_() % n); }
    template <std::size_t N>
    const char* One(const char* const (&items)[N]) {
        return items[Pick(N)];
    }
    std::string Fill(const std::string& piece);
    void Emit(const std::string& text);
    void Block(std::size_t file, int depth);
    void Include(std::size_t file);
    std::string Finds(bool gcc, const std::string& folder, const Name& name) const;

    std::mt19937 random_;
    Strings paths_;
    std::vector<std::set<std::string>> gcc_folders_;  // where gcc sees each file
    std::vector<std::vector<std::size_t>> pending_;   // the files each file is still to include
    std::set<std::string> links_;
    Strings lines_;
    std::vector<std::size_t> slots_;  // lines before which code may go
    unsigned counter_ = 0;
    std::uint32_t macro_count_ = 0;  // conditionals test the first ones of A, B, C
    unsigned macros_ = 0;
    DiagTree tree_;
};

std::string Generator::Fill(const std::string& piece) {
    const std::string id = std::to_string(++counter_);
    std::string text;
    for (const char c : piece) {
        if (c == '@') {
            text += id;
        } else if (c == '%') {
            text += std::to_string(10 + Pick(990));
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
    for (const std::string& line : Split(text, '\n')) lines_.push_back(line);
}

void Generator::Block(std::size_t file, int depth) {
    for (std::uint32_t count = 1 + Pick(depth == 0 ? 5 : 3); count > 0; --count) {
        slots_.push_back(lines_.size());
        const std::uint32_t kind = Pick(10);
        if (kind < 3 && !pending_[file].empty()) {
            Include(file);
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
            Emit(Fill(One(kLineDirectives)));
        } else {
            Emit(Fill(One(kPieces)));
        }
    }
    slots_.push_back(lines_.size());
}

// The file `name` leads to from `folder`: beside it, then in the root, then in inc/ (only there
// for <name>); "" when none. The tool reads '\' as '/' and normalises the joined text; gcc needs
// each folder on the way to exist and takes '\' as part of a file name.
std::string Generator::Finds(bool gcc, const std::string& folder, const Name& name) const {
    std::string text = name.text;
    if (!gcc) std::replace(text.begin(), text.end(), '\\', '/');
    const Strings parts = Split(text, '/');
    for (const std::string& base : name.angle ? Strings{"inc"} : Strings{folder, "", "inc"}) {
        Strings at = Split(base, '/');
        bool lost = false;
        for (std::size_t i = 0; i + 1 < parts.size() && !lost; ++i) {
            if (parts[i] != "..") {
                at.push_back(parts[i]);
                lost = gcc && std::find(std::begin(kFolders), std::end(kFolders), Joined(at)) ==
                                  std::end(kFolders);
            } else if (at.empty()) {
                lost = true;
            } else {
                at.pop_back();
            }
        }
        at.push_back(parts.back());
        if (!lost && std::count(paths_.begin(), paths_.end(), Joined(at)) != 0) return Joined(at);
    }
    return "";
}

void Generator::Include(std::size_t file) {
    std::vector<std::size_t>& pending = pending_[file];
    const std::size_t which = Pick(pending.size());
    const std::size_t target = pending[which];
    pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(which));
    const std::string& path = paths_[target];
    const std::string folder = Folder_Of(paths_[file]);
    const std::string below = Relative(folder, path);
    const std::string detour = kFolders[1 + Pick(4)];
    std::vector<Name> names{
        {below, false}, {path, false}, {detour + "/" + Relative(detour, path), false}};
    if (path.rfind("inc/", 0) == 0) {
        names.push_back({path.substr(4), false});
        names.push_back({path.substr(4), true});
    }
    // gcc looks beside a file in the folder it found it in, which for a file reached through a
    // link is the link's: from every folder gcc sees the includer in, it must find the same file.
    std::vector<Name> valid;
    for (const Name& name : names) {
        bool same = Finds(false, folder, name) == path;
        for (const std::string& from : gcc_folders_[file]) {
            same = same && Finds(true, from, name) == path;
        }
        if (same) valid.push_back(name);
    }
    // A name with '\' reaches a link beside the includer, so gcc must see the includer only there.
    const bool backslash = below.find('/') != std::string::npos && below.rfind("..", 0) != 0 &&
                           gcc_folders_[file] == std::set<std::string>{folder};
    std::string backslashed = below;
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    if (backslash) valid.push_back({backslashed, false});
    const std::size_t chosen = Pick(valid.size());
    const Name& name = valid[chosen];
    if (backslash && chosen + 1 == valid.size()) {
        gcc_folders_[target].insert(folder);
        const std::string link = folder.empty() ? backslashed : folder + "/" + backslashed;
        if (links_.insert(link).second) tree_.links.push_back({link, below});
    } else {
        gcc_folders_[target].insert(Folder_Of(path));
    }
    const char* const quotes = name.angle ? "<>" : "\"\"";
    Emit(One(kIncludeStarts) + (quotes[0] + name.text) + quotes[1] + Fill(One(kIncludeEnds)));
}

DiagTree Generator::Make() {
    // Each macro doubles the compilations, so most trees test fewer than three.
    macro_count_ = Pick(4);
    const std::size_t inputs = 1 + Pick(3), files = inputs + 1 + Pick(5);
    for (std::size_t i = 0; i < files; ++i) {
        const std::string folder = i < inputs ? (Pick(10) < 3 ? "src" : "") : One(kFolders);
        const std::string name =
            i < inputs ? "gen_" + std::to_string(i) + ".cpp" : "h_" + std::to_string(i) + ".h";
        paths_.push_back(folder.empty() ? name : folder + "/" + name);
        if (i < inputs) tree_.inputs.push_back(paths_.back());
        gcc_folders_.push_back(i < inputs ? std::set<std::string>{folder}
                                          : std::set<std::string>{});
    }
    tree_.folders.assign(std::begin(kFolders), std::end(kFolders));
    // A DAG: every header has an includer made before it, and some have more.
    pending_.resize(files);
    for (std::size_t i = inputs; i < files; ++i) pending_[Pick(i)].push_back(i);
    for (std::size_t i = 0; i + 1 < files; ++i) {
        const std::size_t first = std::max(i + 1, inputs);
        for (std::uint32_t n = Pick(3); n > 0 && first < files; --n) {
            pending_[i].push_back(first + Pick(files - first));
        }
    }
    std::vector<Strings> lines;
    std::vector<std::vector<std::size_t>> slots;
    for (std::size_t i = 0; i < files; ++i) {
        // Some headers take effect once: by #pragma once or by an include guard.
        const std::uint32_t once = i < inputs ? 2 : Pick(3);
        const std::string guard = "GUARD_" + std::to_string(i) + "_H";
        if (once == 0) Emit("#pragma once");
        if (once == 1) Emit("#ifndef " + guard + "\n#define " + guard);
        Block(i, 0);
        while (!pending_[i].empty()) {
            Include(i);
            slots_.push_back(lines_.size());
        }
        if (once == 1) Emit("#endif");
        lines.push_back(std::move(lines_));
        slots.push_back(std::move(slots_));
        lines_.clear();
        slots_.clear();
    }
    const std::size_t file = Pick(files);
    const std::size_t slot = slots[file][Pick(slots[file].size())];
    lines[file].insert(lines[file].begin() + static_cast<std::ptrdiff_t>(slot), "int err_here = ;");
    for (std::size_t i = 0; i < files; ++i) {
        std::string text;
        for (const std::string& line : lines[i]) text += line + "\n";
        tree_.files.push_back({paths_[i], text});
    }
    for (int macro = 0; macro < 3; ++macro) {
        if ((macros_ >> macro & 1u) != 0) tree_.macros += static_cast<char>('A' + macro);
    }
    return tree_;
}

}  // namespace

DiagTree Generate_Diag_Tree(std::uint32_t seed) {
    return Generator(seed).Make();
}
