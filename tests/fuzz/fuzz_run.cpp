// Fuzz target: the whole tool, in-process, over a small file tree decoded from the input:
//
//   -nfln -I include -i main.cl        <- first line: the arguments
//   @@ main.cl                         <- "@@ " and a name start a file of the tree
//   #include "a.h"
//
// Names and path arguments stay inside the tree (letters, digits, '.', '_', '-' and '/', no
// ".."); only the tool's own switches, -i, -I and -mir are taken, and "-mir <limit> -o out.txt"
// comes last, with a limit that keeps every run short however the files include each other.
// Each input is run twice in a fresh tree, with include folders listed and with every candidate
// asked of the file system. Checked: the status is 0 or -1, both runs give the
// same status, messages and output, and no file of the tree but the output changes.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/run.h"
#include "fuzz_check.h"

namespace fs = std::filesystem;

namespace {

const char kSwitches[] = " -fln -nfln -fld -nfld -lnff -nlnff -sif -nsif -io -nio -v ";
std::string g_root, g_home;

bool Is_Tree_Path(const std::string& path) {
    return !path.empty() && path.size() < 48 && path.find("..") == std::string::npos &&
           path[0] != '/' &&
           path.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789._-/") == std::string::npos;
}

// Everything a run gave, as one string; the files of the tree but the output must not change.
std::string Run_Once(const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& files) {
    for (const auto& entry : fs::directory_iterator(g_root)) fs::remove_all(entry.path());
    for (const auto& [name, bytes] : files) {
        std::error_code failed;  // a file in the way of a folder leaves the file out
        fs::create_directories(fs::path(name).parent_path(), failed);
        std::ofstream(name, std::ios::binary) << bytes;
    }
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    const int status = Run(static_cast<int>(argv.size() - 1), argv.data(), out, err);
    FUZZ_CHECK(status == 0 || status == -1);
    std::string result = std::to_string(status);
    for (FILE* stream : {out, err}) {
        std::rewind(stream);
        for (int c; (c = std::fgetc(stream)) != EOF;) result.push_back(static_cast<char>(c));
        std::fclose(stream);
    }
    for (const auto& entry : fs::recursive_directory_iterator(g_root)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = fs::relative(entry.path(), g_root).string();
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        FUZZ_CHECK(name == "out.txt" || bytes == files.at(name));
        if (name == "out.txt") result += '\0' + bytes;
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_home = fs::current_path().string();
    g_root = (fs::temp_directory_path() / ("quillfold-fuzz-" + std::to_string(getpid()))).string();
    fs::create_directories(g_root);
    std::atexit([] { fs::remove_all(g_root); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Special files (one that never ends, one that blocks) are kept out of reach.
    if (text.find('\0') != std::string::npos || text.find("dev") != std::string::npos ||
        text.find("proc") != std::string::npos) {
        return -1;
    }
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    std::istringstream words(line);
    std::vector<std::string> args{"quillfold"};
    std::size_t inputs = 0;
    for (std::string word, value; words >> word;) {
        if (std::string(kSwitches).find(" " + word + " ") != std::string::npos) {
            args.push_back(word);
        } else if ((word == "-i" || word == "-I") && words >> value && Is_Tree_Path(value)) {
            args.insert(args.end(), {word, value});
            inputs += word == "-i";
        }
    }
    std::map<std::string, std::string> files;
    std::string* content = nullptr;
    while (std::getline(lines, line)) {
        if (line.rfind("@@ ", 0) == 0) {
            const std::string name = line.substr(3);
            content = Is_Tree_Path(name) && name != "out.txt" && files.size() < 8 ? &files[name]
                                                                                  : nullptr;
        } else if (content != nullptr) {
            *content += line + "\n";
        }
    }
    // Every frame opens at most one file per include directive of the tree: a depth whose
    // frames stay under a thousand.
    std::uint64_t includes = 0, frames = 0, level = std::max<std::size_t>(inputs, 1);
    for (std::size_t at = 0; (at = text.find("include", at)) != std::string::npos; ++at) ++includes;
    int depth = 0;
    while (depth < 8 && (frames += level) <= 1000) ++depth, level *= includes;
    args.insert(args.end(), {"-mir", std::to_string(std::max(depth, 1)), "-o", "out.txt"});
    FUZZ_CHECK(chdir(g_root.c_str()) == 0);
    const std::string listed = Run_Once(args, files);
    // Asking the file system for every candidate must give what the folder listings give.
    FUZZ_CHECK(setenv("QUILLFOLD_PROBE_INCLUDES", "1", 1) == 0);
    const std::string probed = Run_Once(args, files);
    FUZZ_CHECK(unsetenv("QUILLFOLD_PROBE_INCLUDES") == 0);
    FUZZ_CHECK(listed == probed);
    FUZZ_CHECK(chdir(g_home.c_str()) == 0);
    return 0;
}
