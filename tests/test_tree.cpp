#include "test_tree.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/run.h"
#include "digest/sha1.h"

namespace fs = std::filesystem;

namespace {

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

void Replace_All(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// The digest guard names end with: of the key with '/' separators, in lower case on Windows.
std::string Key_Hash(std::string path) {
    for (char& c : path) {
        if (kWindows) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '\\') c = '/';
    }
    return Sha1_Hex(path);
}

}  // namespace

ProbingOnly::ProbingOnly() {
#if defined(_WIN32)
    _putenv_s("QUILLFOLD_PROBE_INCLUDES", "1");
#else
    setenv("QUILLFOLD_PROBE_INCLUDES", "1", 1);
#endif
}

ProbingOnly::~ProbingOnly() {
#if defined(_WIN32)
    _putenv_s("QUILLFOLD_PROBE_INCLUDES", "");
#else
    unsetenv("QUILLFOLD_PROBE_INCLUDES");
#endif
}

std::string As_Written(const std::string& text) {
    std::string written = text;
    if (kWindows) Replace_All(written, "\n", "\r\n");
    return written;
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

RunResult TreeTest::Run_Tool(const std::vector<std::string>& args) const {
    std::vector<const char*> argv{"quillfold"};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr) std::abort();
    RunResult result;
    result.status = ::Run(static_cast<int>(argv.size() - 1), argv.data(), out, err);
    result.out = Read_Stream(out);
    result.err = Read_Stream(err);
    return result;
}

std::string TreeTest::Expand(const std::string& text) const {
    std::string expanded = text, slashed_root = root_;
    for (char& c : slashed_root) {
        if (c == '\\') c = '/';
    }
    Replace_All(expanded, "{root}", root_);
    Replace_All(expanded, "{slashed root}", slashed_root);
    Replace_All(expanded, "{/}", std::string(1, static_cast<char>(fs::path::preferred_separator)));
    Replace_All(expanded, "{date}", __DATE__);
    for (std::size_t at; (at = expanded.find("{hash ")) != std::string::npos;) {
        const std::size_t end = expanded.find('}', at);
        expanded.replace(at, end + 1 - at, Key_Hash(expanded.substr(at + 6, end - at - 6)));
    }
    return expanded;
}

void TreeTest::Check(const TreeCase& c) {
    SCOPED_TRACE(c.name);
    for (const TreeFile& file : c.files) Write(file.first, Expand(file.second));
    std::vector<std::string> args;
    for (const std::string& arg : c.args) args.push_back(Expand(arg));
    const RunResult result = Run_Tool(args);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(Read("out.txt"), As_Written(Expand(c.output)));
    EXPECT_EQ(result.err, Expand(c.err));
    if (!c.out.empty()) {
        EXPECT_EQ(result.out, Expand(c.out));
    }
}
