#include "test_tree.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/run.h"

namespace fs = std::filesystem;

std::string Read_Stream(FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        text.append(buffer, count);
    }
    std::fclose(file);
    return text;
}

void TreeTest::SetUp() {
    std::random_device random;
    fs::path root;
    do {
        root = fs::temp_directory_path() / ("quillfold-test-" + std::to_string(random()));
    } while (!fs::create_directory(root));
    root_ = fs::canonical(root).string();
    previous_directory_ = fs::current_path().string();
    fs::current_path(root_);
}

void TreeTest::TearDown() {
    fs::current_path(previous_directory_);
    if (HasFailure()) {
        std::fprintf(stderr, "test tree kept in %s\n", root_.c_str());
        return;
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void TreeTest::Write(const std::string& relative, const std::string& bytes) {
    const fs::path path = fs::path(root_) / fs::path(relative);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string TreeTest::Read(const std::string& relative) const {
    std::ifstream in(fs::path(root_) / fs::path(relative), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

RunResult TreeTest::Run_Tool(const std::vector<std::string>& args, const std::string& input) const {
    std::vector<const char*> argv{"quillfold"};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    FILE* in = std::tmpfile();
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    if (in == nullptr || out == nullptr || err == nullptr) std::abort();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    RunResult result;
    result.status = ::Run(static_cast<int>(argv.size() - 1), argv.data(), in, out, err, probing_);
    std::fclose(in);
    result.out = Read_Stream(out);
    result.err = Read_Stream(err);
    return result;
}
