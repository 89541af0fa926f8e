// The whole tool, in-process, on the input as the file main.cl, which may include itself and
// files beside it: the run ends with 0 or -1 and gives the same with include folders listed as
// with every candidate asked of the file system, and a file without directives comes out as it
// went in, CR LF read as LF and a line feed ending the last line.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/run.h"

namespace {

// The status, the messages and the output of one run.
std::string Run_Once(int& status) {
    const char* const argv[] = {"quillfold", "-io", "-sg", "-kui",    "-nfln", "-mir",   "4",
                                "-I",        ".",   "-i",  "main.cl", "-o",    "out.txt"};
    FILE* messages = std::tmpfile();
    if (messages == nullptr) std::abort();
    status = Run(13, argv, messages, messages);
    if (status != 0 && status != -1) std::abort();
    std::rewind(messages);
    std::string result;
    for (int c; (c = std::fgetc(messages)) != EOF;) result.push_back(static_cast<char>(c));
    std::fclose(messages);
    std::ifstream out("out.txt", std::ios::binary);
    return result + '\0' + std::string{std::istreambuf_iterator<char>(out), {}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("qf-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(root);
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(root);
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::ofstream("main.cl", std::ios::binary) << input;
    int status = 0, probed_status = 0;
    const std::string listed = Run_Once(status);
    setenv("QUILLFOLD_PROBE_INCLUDES", "1", 1);
    const std::string probed = Run_Once(probed_status);
    unsetenv("QUILLFOLD_PROBE_INCLUDES");
    std::filesystem::current_path(home);
    if (probed != listed || probed_status != status) std::abort();
    if (status != 0 || input.find('#') != std::string::npos) return 0;
    std::string expected;
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (input[i] != '\r' || i + 1 == input.size() || input[i + 1] != '\n') expected += input[i];
    }
    if (!expected.empty() && expected.back() != '\n') expected += '\n';
    if (listed.substr(listed.find('\0') + 1) != expected) std::abort();
    return 0;
}
