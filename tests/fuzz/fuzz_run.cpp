// The whole tool, in-process, over a small tree in a folder of its own: the first line of the
// input holds the arguments, each "@@ name" line starts a file of the tree (names and arguments
// of letters, digits, '-' and '.', so nothing outside the tree is reached). The run must end
// with 0 or -1 and leave every file of the tree but the output as it was.

#include <unistd.h>

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

namespace fs = std::filesystem;

namespace {

bool In_Tree(const std::string& word) {
    return !word.empty() && word.find("..") == std::string::npos &&
           word.find_first_not_of("-.0123456789abcdefghijklmnopqrstuvwxyzI") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static const fs::path root =
        fs::temp_directory_path() / ("qf-fuzz-" + std::to_string(getpid()));
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::istringstream lines(input);
    std::string line, word;
    std::getline(lines, line);
    std::vector<std::string> args{"quillfold"};
    std::size_t inputs = 1;
    for (std::istringstream words(line); words >> word;) {
        if (In_Tree(word) && word != "-o" && word != "-mir") args.push_back(word);
        inputs += word == "-i";
    }
    std::map<std::string, std::string> files;
    for (std::string* text = nullptr; std::getline(lines, line);) {
        if (line.rfind("@@ ", 0) != 0) {
            if (text != nullptr) *text += line + "\n";
        } else {
            text = In_Tree(line.substr(3)) ? &files[line.substr(3)] : nullptr;
        }
    }
    // A depth limit that keeps the frames of a run under a thousand.
    std::size_t includes = 0;
    for (std::size_t at = input.find("include"); at != std::string::npos;
         at = input.find("include", at + 1)) {
        ++includes;
    }
    int depth = 1;
    for (std::size_t frames = inputs, level = inputs;
         depth < 8 && (frames += level *= includes) <= 1000;) {
        ++depth;
    }
    args.insert(args.end(), {"-mir", std::to_string(depth), "-o", "out.txt"});
    fs::remove_all(root);
    fs::create_directories(root);
    fs::current_path(root);
    for (const auto& [name, text] : files) std::ofstream(name, std::ios::binary) << text;
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    FILE* out = std::tmpfile();
    const int status = Run(static_cast<int>(argv.size()), argv.data(), out, out);
    std::fclose(out);
    if (status != 0 && status != -1) std::abort();
    for (const auto& [name, text] : files) {
        std::ifstream in(name, std::ios::binary);
        if (name != "out.txt" && std::string(std::istreambuf_iterator<char>(in), {}) != text) {
            std::abort();
        }
    }
    return 0;
}
