// The whole tool, in-process, on the input as the file main.cl, which may include itself: the
// run ends with 0 or -1, and a file without directives comes out as it went in, CR LF read as LF
// and a line feed ending the last line.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/run.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static const std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("qf-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(root);
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(root);
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::ofstream("main.cl", std::ios::binary) << input;
    const char* const argv[] = {"quillfold", "-io",     "-nfln", "-mir",    "4",
                                "-i",        "main.cl", "-o",    "out.txt", nullptr};
    FILE* messages = std::tmpfile();
    const int status = Run(9, argv, messages, messages);
    std::fclose(messages);
    if (status != 0 && status != -1) std::abort();
    std::ifstream out("out.txt", std::ios::binary);
    const std::string output{std::istreambuf_iterator<char>(out), {}};
    std::filesystem::current_path(home);
    if (status != 0 || input.find('#') != std::string::npos) return 0;
    std::string expected;
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (input[i] != '\r' || i + 1 == input.size() || input[i + 1] != '\n') expected += input[i];
    }
    if (!expected.empty() && expected.back() != '\n') expected += '\n';
    if (output != expected) std::abort();
    return 0;
}
