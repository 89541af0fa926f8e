// Registers every case of the case files under tests/cases as a test of its own: the suite is
// the file's name, the test the case's name with every run of other characters than letters and
// digits made one '_'; for example --gtest_filter='include.*angle*'.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "case_file.h"
#include "test_tree.h"

namespace {

bool Runs_Here(const std::string& platform) {
#if defined(__linux__)
    const bool on_linux = true;
#else
    const bool on_linux = false;
#endif
    return platform.empty() || (platform == "windows" && kWindows) ||
           (platform == "posix" && !kWindows) || (platform == "linux" && on_linux);
}

class CaseTest : public TreeTest {
  public:
    explicit CaseTest(TreeCase c) : case_(std::move(c)) {}
    void TestBody() override {
        ASSERT_EQ(case_.error, "");
        if (!Runs_Here(case_.platform)) GTEST_SKIP() << "runs only on " << case_.platform;
        Check(case_);
        // Asking the file system for every candidate must give what the folder listings give.
        const std::string top = root_;
        root_ = (std::filesystem::path(root_) / "probed").string();
        std::filesystem::create_directory(root_);
        std::filesystem::current_path(root_);
        ProbingOnly probing;
        Check(case_);
        root_ = top;
    }

  private:
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
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(QUILLFOLD_CASES_DIR)) {
        if (entry.path().extension() == ".cases") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const std::filesystem::path& file : files) {
        const std::string suite = file.stem().string();
        std::set<std::string> names;
        for (TreeCase& c : Read_Case_File(file.string())) {
            std::string name = Test_Name(c.name);
            for (int n = 2; !names.insert(name).second; ++n)
                name = Test_Name(c.name) + "_" + std::to_string(n);
            const int line = c.line;
            testing::RegisterTest(suite.c_str(), name.c_str(), nullptr, nullptr,
                                  file.string().c_str(), line,
                                  [c = std::move(c)]() -> CaseTest* { return new CaseTest(c); });
        }
    }
    return true;
}();

}  // namespace
