#include "test_tree.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/run.h"

namespace fs = std::filesystem;

namespace {

std::string Read_Stream(FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
    return text;
}

void Replace_All(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace

std::string As_Written(const std::string& text) {
    std::string written = text;
    Replace_All(written, "\n", kOutputLineEnd);
    return written;
}

std::string Guard_Key(const std::string& path) {
    std::string key = path;
    if (kWindows) {
        for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (char& c : key) {
        if (c == '\\') c = '/';
    }
    return key;
}

std::string Read_File(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void TreeTest::SetUp() {
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    fs::path root;
    do {
        root = base / ("quillfold-test-" + std::to_string(random()));
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
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
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
    return Read_File((fs::path(root_) / fs::path(relative)).string());
}

bool TreeTest::Exists(const std::string& relative) const {
    return fs::exists(fs::path(root_) / fs::path(relative));
}

RunResult TreeTest::Run_Tool(const std::vector<std::string>& args) const {
    std::vector<const char*> argv{"quillfold"};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    RunResult result;
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr) {
        ADD_FAILURE() << "cannot make temporary files for the console";
        if (out != nullptr) std::fclose(out);
        if (err != nullptr) std::fclose(err);
        return result;
    }
    result.status = ::Run(static_cast<int>(argv.size() - 1), argv.data(), out, err);
    result.out = Read_Stream(out);
    result.err = Read_Stream(err);
    std::fclose(out);
    std::fclose(err);
    return result;
}

std::string TreeTest::Expand(const std::string& text) const {
    std::string expanded = text;
    Replace_All(expanded, "{root}", root_);
    std::string slashed_root = root_;
    for (char& c : slashed_root) {
        if (c == '\\') c = '/';
    }
    Replace_All(expanded, "{slashed root}", slashed_root);
    Replace_All(expanded, "{/}", std::string(1, static_cast<char>(fs::path::preferred_separator)));
    return expanded;
}

void TreeTest::Check(const TreeCase& c) {
    SCOPED_TRACE(c.name);
    // Each case gets a folder of its own, so the cases of one table cannot see each other.
    std::string folder = std::to_string(++cases_checked_) + "-" + c.name.substr(0, 50);
    for (char& ch : folder) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '-';
    }
    const std::string tree_root = root_;
    root_ = (fs::path(tree_root) / folder).string();
    fs::create_directories(root_);
    fs::current_path(root_);
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
    root_ = tree_root;
    fs::current_path(root_);
}
