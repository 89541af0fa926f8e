// The end-to-end cases of tests/cases/*.cases, each a test named after its file and its name
// (--gtest_filter='include.*angle*'), run twice: the second time every include candidate is asked
// of the file system, not looked up in a folder listing. A case file, comments outside sections:
//
//   ### name of the case
//   args: -i a.cl -o out.txt    split at spaces; "status: -1" (default 0) and "platform: posix"
//                               (windows, posix or linux; default: everywhere) may follow
//   --- sub/a.cl                a file of the tree: the lines up to the next header
//   === output                  out.txt (with CR LF line ends on Windows, where a tree's out.txt
//                               is written so too); "=== stderr" (always compared) and
//                               "=== stdout" (compared when given) likewise; "=== stdin" is
//                               what the run reads on standard input
//   +++ name of a variant       another run over the same tree, with its own keys, files and
//                               sections where it gives them; a case with variants runs only them
//
// A section line ends with a line feed; " [no-eol]" on its header drops the last one and
// " [escaped]" decodes \\, \r and \xNN. A blank line before "###" or "+++" belongs to no
// section. A run that fails must leave a given out.txt with its time, and no run may leave a
// file that is neither the tree's nor one it was asked to write. Everywhere, file names included,
// "{root}" is the tree's root, "{slashed root}" the same with '/', "{/}" the native separator,
// "{//}" that separator as a C or DOT string escapes it, "{lf}" a line feed, "{date}" the build
// date, and "{hash <path>}" the include-once key of a path.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>

#include "digest/sha1.h"
#include "test_tree.h"

namespace fs = std::filesystem;

namespace {

struct TreeCase {
    std::string name;
    std::vector<std::pair<std::string, std::string>> files;  // path, bytes
    std::vector<std::string> args;
    std::string output, err, out, in;  // out.txt, standard error, standard output and input
    int status = 0;
    std::string platform;
    int line = 0;
    std::string error;  // set when the case file could not be read
};

bool Starts_With(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

void Replace_All(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

std::string Decode(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes.push_back(text[i]);
            continue;
        }
        const char kind = text[++i];
        if (kind == 'x' && i + 2 < text.size()) {
            bytes.push_back(
                static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16)));
            i += 2;
        } else {
            bytes.push_back(kind == 't' ? '\t' : kind == 'r' ? '\r' : kind);
        }
    }
    return bytes;
}

// Where the lines of the open section go, and how they are taken.
struct Section {
    std::string* text = nullptr;
    bool no_eol = false;
    bool escaped = false;

    void Close(bool before_case) {
        if (text == nullptr) return;
        // A blank line separates a case or a variant from the next.
        const std::size_t size = text->size();
        if (before_case &&
            (*text == "\n" || (size >= 2 && text->compare(size - 2, 2, "\n\n") == 0))) {
            text->pop_back();
        }
        if (no_eol && !text->empty()) text->pop_back();
        if (escaped) *text = Decode(*text);
        *this = Section{};
    }
};

// The cases of a case file, variants flattened; one that says why when it cannot be read.
std::vector<TreeCase> Read_Case_File(const std::string& path) {
    const auto unreadable = [](const std::string& why) {
        TreeCase c;
        c.name = "unreadable";
        c.error = why;
        return std::vector<TreeCase>{c};
    };
    std::ifstream in(path, std::ios::binary);
    if (!in) return unreadable(path + ": cannot read");
    std::vector<TreeCase> cases;
    std::vector<std::size_t> templates;  // cases that only their variants run
    std::size_t base = 0;                // the current case
    Section section;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const bool new_case = Starts_With(line, "### ") || Starts_With(line, "+++ ");
        if (section.text != nullptr && !new_case && !Starts_With(line, "--- ") &&
            !Starts_With(line, "=== ")) {
            *section.text += line + "\n";
            continue;
        }
        section.Close(new_case);
        if (line.empty() || Starts_With(line, "//")) continue;
        std::string name = line.substr(std::min<std::size_t>(4, line.size()));
        if (Starts_With(line, "### ")) {
            base = cases.size();
            cases.emplace_back();
            cases.back().name = name;
            cases.back().line = number;
            continue;
        }
        const std::string where = path + ":" + std::to_string(number);
        if (cases.empty()) return unreadable(where + ": text before the first case");
        if (Starts_With(line, "+++ ")) {
            if (templates.empty() || templates.back() != base) templates.push_back(base);
            TreeCase variant = cases[base];
            variant.name += " / " + name;
            variant.line = number;
            cases.push_back(std::move(variant));
            continue;
        }
        TreeCase& c = cases.back();
        section.no_eol = name.find(" [no-eol]") != std::string::npos;
        section.escaped = name.find(" [escaped]") != std::string::npos;
        name = name.substr(0, name.find(" ["));
        if (Starts_With(line, "args:")) {
            std::istringstream words(line.substr(5));
            c.args.clear();
            for (std::string word; words >> word;) c.args.push_back(word);
        } else if (Starts_With(line, "status:")) {
            c.status = std::atoi(line.c_str() + 7);
        } else if (Starts_With(line, "platform:")) {
            std::istringstream(line.substr(9)) >> c.platform;
        } else if (Starts_With(line, "--- ")) {
            c.files.push_back({name, ""});
            section.text = &c.files.back().second;
        } else if (Starts_With(line, "=== ") &&
                   (name == "output" || name == "stderr" || name == "stdout" || name == "stdin")) {
            section.text = name == "output"   ? &c.output
                           : name == "stderr" ? &c.err
                           : name == "stdout" ? &c.out
                                              : &c.in;
            section.text->clear();
        } else {
            return unreadable(where + ": cannot read '" + line + "'");
        }
    }
    section.Close(true);
    for (auto at = templates.rbegin(); at != templates.rend(); ++at) {
        cases.erase(cases.begin() + static_cast<std::ptrdiff_t>(*at));
    }
    return cases;
}

bool Runs_Here(const std::string& platform) {
#if defined(__linux__)
    if (platform == "linux") return true;
#endif
    return platform.empty() || platform == (kWindows ? "windows" : "posix");
}


class CaseTest : public TreeTest {
  public:
    explicit CaseTest(TreeCase c) : case_(std::move(c)) {}

    void TestBody() override {
        ASSERT_EQ(case_.error, "");
        if (!Runs_Here(case_.platform)) GTEST_SKIP() << "runs only on " << case_.platform;
        Check();
        const std::string top = root_;
        root_ = (fs::path(root_) / "probed").string();
        fs::create_directory(root_);
        fs::current_path(root_);
        probing_ = true;
        Check();
        probing_ = false;
        root_ = top;
    }

  private:
    std::string Expand(const std::string& text) const {
        std::string expanded = text, slashed_root = root_;
        std::replace(slashed_root.begin(), slashed_root.end(), '\\', '/');
        Replace_All(expanded, "{root}", root_);
        Replace_All(expanded, "{slashed root}", slashed_root);
        Replace_All(expanded, "{/}",
                    std::string(1, static_cast<char>(fs::path::preferred_separator)));
        Replace_All(expanded, "{//}", kWindows ? "\\\\" : "/");
        Replace_All(expanded, "{date}", __DATE__);
        Replace_All(expanded, "{lf}", "\n");
        for (std::size_t at; (at = expanded.find("{hash ")) != std::string::npos;) {
            const std::size_t end = expanded.find('}', at);
            std::string key = expanded.substr(at + 6, end - at - 6);
            for (char& c : key) {
                if (kWindows) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                if (c == '\\') c = '/';
            }
            expanded.replace(at, end + 1 - at, Sha1_Hex(key));
        }
        return expanded;
    }

    void Check() {
        std::set<fs::path> expected_files;
        for (const auto& file : case_.files) {
            // A given output holds what the tool would have written.
            std::string bytes = Expand(file.second);
            const std::string name = Expand(file.first);
            if (kWindows && name == "out.txt") Replace_All(bytes, "\n", "\r\n");
            Write(name, bytes);
            expected_files.insert((fs::path(root_) / name).lexically_normal());
        }
        // An output that was there is a day old, so that rewriting it would show.
        const fs::path old_output = fs::path(root_) / "out.txt";
        std::error_code missing;
        fs::file_time_type old_time = fs::last_write_time(old_output, missing);
        if (!missing) {
            old_time -= std::chrono::hours(24);
            fs::last_write_time(old_output, old_time);
        }
        std::vector<std::string> args;
        for (const std::string& arg : case_.args) args.push_back(Expand(arg));
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i - 1] == "-o" || args[i - 1] == "-MF" || args[i - 1] == "-lm" ||
                args[i - 1] == "-ig") {
                expected_files.insert((fs::path(root_) / args[i]).lexically_normal());
            }
        }
        const RunResult result = Run_Tool(args, Expand(case_.in));
        if (!missing && result.status != 0) {
            EXPECT_TRUE(fs::last_write_time(old_output) == old_time) << "out.txt was rewritten";
        }
        for (const auto& entry : fs::recursive_directory_iterator(root_)) {
            if (entry.is_regular_file()) {
                EXPECT_EQ(expected_files.count(entry.path().lexically_normal()), 1u)
                    << entry.path() << " was left";
            }
        }
        std::string output = Expand(case_.output);
        if (kWindows) Replace_All(output, "\n", "\r\n");
        EXPECT_EQ(result.status, case_.status);
        EXPECT_EQ(Read("out.txt"), output);
        EXPECT_EQ(result.err, Expand(case_.err));
        if (!case_.out.empty()) {
            EXPECT_EQ(result.out, Expand(case_.out));
        }
    }

    TreeCase case_;
};

std::string Test_Name(const std::string& text) {
    std::string name;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            name.push_back(c);
        } else if (!name.empty() && name.back() != '_') {
            name.push_back('_');
        }
    }
    while (!name.empty() && name.back() == '_') name.pop_back();
    return name;
}

const bool g_registered = [] {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(QUILLFOLD_CASES_DIR)) {
        if (entry.path().extension() == ".cases") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const std::string suite = file.stem().string();
        std::set<std::string> names;
        for (TreeCase& c : Read_Case_File(file.string())) {
            std::string name = Test_Name(c.name);
            if (!names.insert(name).second) name += "_" + std::to_string(c.line);
            const int line = c.line;
            testing::RegisterTest(suite.c_str(), name.c_str(), nullptr, nullptr,
                                  file.string().c_str(), line,
                                  [c = std::move(c)]() -> CaseTest* { return new CaseTest(c); });
        }
    }
    return true;
}();

}  // namespace
