// Fuzz target: the whole tool, in-process, over a small file tree decoded from the input.
//
// Input format (text, so that seeds stay readable):
//
//   -nfln -I include -i main.cl        <- first line: the arguments
//   @@ main.cl                         <- "@@ " and a name start a file of the tree
//   #include "a.h"
//   @@ include/a.h
//   ...
//
// A file's bytes run from its header line to the line feed before the next header. Names and
// path arguments stay inside the tree (relative, no ".."); only the tool's own switches, -i, -I
// and -mir are taken, and "-mir <limit> -o out.txt" comes last, with a limit small enough that
// every run ends soon, however often the files include each other.
//
// Each input is run twice in a fresh tree, with include folders listed and with every candidate
// asked of the file system. Checked: the status is 0 or -1; both runs give the same status,
// messages and output; no file of the tree but the output changes, and an input
// that is the output is refused and keeps its bytes.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/run.h"
#include "fuzz_check.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxFiles = 8;
constexpr std::size_t kMaxInputs = 4;
constexpr int kMaxRecursion = 8;
constexpr std::uint64_t kMaxFrames = 1000;  ///< frames a run may open at most, counted generously
const char kOutput[] = "out.txt";
// The tool's switches that take no value (their long forms are the option parser's business).
const char kSwitches[] = " -h -fln -nfln -fld -nfld -lnff -nlnff -sif -nsif -io -nio -v ";

// Where every run takes place: a folder of this process, made the current directory for it;
// and the current directory otherwise.
std::string g_root, g_home;
FILE* g_out = nullptr;
FILE* g_err = nullptr;

struct Tree {
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> args{"quillfold"};
    std::vector<std::string> inputs;
    bool help = false;  ///< -h ends the run before anything is read or written
};

// A relative path inside the tree of at most four components: letters, digits, '.', '_', '-',
// components joined by '/', none of them empty or "..". "." is allowed only where `dots` is.
bool Is_Tree_Path(std::string_view path, bool dots) {
    if (path.empty() || path.size() > 48) return false;
    int depth = 0;
    for (std::size_t begin = 0; begin <= path.size(); ++depth) {
        const std::string_view component = path.substr(begin, path.find('/', begin) - begin);
        if (depth == 4 || component.empty() || component == ".." || (component == "." && !dots) ||
            component.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                        "0123456789._-") != std::string_view::npos) {
            return false;
        }
        begin += component.size() + 1;
    }
    return true;
}

// False when the input should not be run at all.
bool Decode(std::string_view text, Tree& tree) {
    // Includes may name any file on the system; special files (one that never ends, one that
    // blocks) are the user's own business, so the fuzzer is kept away from them.
    for (const char* place : {"dev", "proc", "sys"}) {
        if (text.find(place) != std::string_view::npos) return false;
    }
    const std::size_t first_end = text.find('\n');
    std::istringstream words{std::string(text.substr(0, first_end))};
    const std::vector<std::string> given{std::istream_iterator<std::string>(words), {}};
    int recursion = kMaxRecursion;
    for (std::size_t i = 0; i < given.size(); ++i) {
        const std::string& word = given[i];
        // An argument ends at a NUL byte, so the tool would see less than this word.
        if (word.find('\0') != std::string::npos) continue;
        if (std::strstr(kSwitches, (" " + word + " ").c_str()) != nullptr) {
            tree.args.push_back(word);
            tree.help = tree.help || word == "-h";
        } else if (i + 1 < given.size()) {
            const std::string& value = given[++i];
            if (word == "-i") {
                if (!Is_Tree_Path(value, true) || tree.inputs.size() == kMaxInputs) continue;
                tree.inputs.push_back(value);
                tree.args.insert(tree.args.end(), {word, value});
            } else if (word == "-I" || word == "-ip") {
                if (Is_Tree_Path(value, true)) tree.args.insert(tree.args.end(), {word, value});
            } else if (word == "-mir") {
                recursion = std::min(std::max(std::atoi(value.c_str()), 1), kMaxRecursion);
            } else {
                --i;  // not an option with a value: the next word is looked at on its own
            }
        }
    }
    // Every frame opens at most one file per include directive in the whole tree.
    std::uint64_t includes = 0;
    for (std::size_t at = 0; (at = text.find("include", at)) != std::string_view::npos; ++at) {
        ++includes;
    }
    std::uint64_t frames = 0, level = std::max<std::size_t>(tree.inputs.size(), 1);
    for (int depth = 0; depth < recursion; ++depth, level *= includes) {
        if ((frames += level) > kMaxFrames) recursion = std::max(depth, 1);
    }
    tree.args.insert(tree.args.end(), {"-mir", std::to_string(recursion), "-o", kOutput});

    std::string* content = nullptr;
    for (std::size_t begin = first_end; begin != std::string_view::npos;) {
        const std::size_t end = text.find('\n', ++begin);
        const std::string_view line = text.substr(begin, end - begin);
        if (line.substr(0, 3) == "@@ ") {
            content = nullptr;
            if (Is_Tree_Path(line.substr(3), false) && tree.files.size() < kMaxFiles) {
                tree.files.emplace_back(std::string(line.substr(3)), std::string());
                content = &tree.files.back().second;
            }
        } else if (content != nullptr) {
            content->append(line).push_back('\n');
        }
        begin = end;
    }
    // The line feed before a header, or the end, belongs to no file.
    for (auto& file : tree.files) {
        if (!file.second.empty()) file.second.pop_back();
    }
    return true;
}

// Every regular file of the tree with its bytes.
std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> files;
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(g_root, ignored)) {
        if (!entry.is_regular_file(ignored)) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[fs::relative(entry.path(), g_root).string()] =
            std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

// What was written to `stream`, which is emptied for the next run.
std::string Take(FILE* stream) {
    std::fflush(stream);
    std::rewind(stream);
    std::string text;
    char buffer[4096];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, stream)) > 0;) {
        text.append(buffer, count);
    }
    std::rewind(stream);
    FUZZ_CHECK(ftruncate(fileno(stream), 0) == 0);
    return text;
}

// Everything a run gave, as one string: status, standard output and error, the output file.
std::string Run_Once(const Tree& tree) {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(g_root, ignored)) {
        fs::remove_all(entry.path(), ignored);
    }
    // A later file of the same name replaces an earlier one; one whose folder cannot be made
    // (a file of that name is in the way) is left out.
    for (const auto& [name, bytes] : tree.files) {
        std::error_code failed;
        fs::create_directories(fs::path(name).parent_path(), failed);
        std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::map<std::string, std::string> before = Snapshot();
    // An input that is the existing output ("out.txt", "./out.txt", ...) must not be touched.
    bool refused = false;
    for (std::string_view input : tree.inputs) {
        while (input.substr(0, 2) == "./") input.remove_prefix(2);
        refused = refused || (input == kOutput && before.count(kOutput) != 0);
    }
    if (!refused) before.erase(kOutput);

    std::vector<const char*> argv;
    for (const std::string& arg : tree.args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    const int status = Run(static_cast<int>(argv.size() - 1), argv.data(), g_out, g_err);
    FUZZ_CHECK(status == 0 || status == -1);
    FUZZ_CHECK(!refused || tree.help || status == -1);
    std::map<std::string, std::string> after = Snapshot();
    std::string result = std::to_string(status) + '\0' + Take(g_out) + '\0' + Take(g_err);
    if (after.count(kOutput) != 0) result += '\0' + after[kOutput];
    if (!refused) after.erase(kOutput);
    FUZZ_CHECK(after == before);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The runs take place in a folder of their own, made the current directory only for them;
    // a crash file written meanwhile goes where the fuzzer was started (crash paths given on the
    // command line must be absolute).
    g_home = fs::current_path().string();
    static std::string prefix = "-artifact_prefix=" + g_home + "/";
    static std::vector<char*> arguments(*argv, *argv + *argc);
    arguments.insert(arguments.begin() + 1, prefix.data());
    arguments.push_back(nullptr);
    *argc += 1;
    *argv = arguments.data();
    // Every run writes and removes a few files: in memory where there is a place for that.
    for (const char* base : {"/dev/shm", "/tmp"}) {
        g_root = std::string(base) + "/quillfold-fuzz-XXXXXX";
        if (mkdtemp(g_root.data()) != nullptr) break;
        g_root.clear();
    }
    g_out = std::tmpfile();
    g_err = std::tmpfile();
    FUZZ_CHECK(!g_root.empty() && g_out != nullptr && g_err != nullptr);
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(g_root, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Tree tree;
    if (!Decode(std::string_view(reinterpret_cast<const char*>(data), size), tree)) return -1;
    FUZZ_CHECK(chdir(g_root.c_str()) == 0);
    const std::string listed = Run_Once(tree);
    // Asking the file system for every candidate must give what the folder listings give.
    FUZZ_CHECK(setenv("QUILLFOLD_PROBE_INCLUDES", "1", 1) == 0);
    const std::string probed = Run_Once(tree);
    FUZZ_CHECK(unsetenv("QUILLFOLD_PROBE_INCLUDES") == 0);
    FUZZ_CHECK(listed == probed);
    FUZZ_CHECK(chdir(g_home.c_str()) == 0);
    return 0;
}
