#include <gtest/gtest.h>

#include "case_file.h"
#include "test_tree.h"

// The end-to-end cases kept as case files under tests/cases: each a small file tree, the
// arguments, and the output, standard error and status the run must give.

namespace {

class CaseFileTest : public TreeTest {
protected:
    void Check_File(const std::string& name) {
        const std::vector<TreeCase> cases = Read_Case_File(QUILLFOLD_CASES_DIR "/" + name);
        EXPECT_FALSE(cases.empty()) << name;
        for (const TreeCase& c : cases) Check(c);
    }
};

TEST_F(CaseFileTest, Run) {
    Check_File("run.cases");
}

TEST_F(CaseFileTest, Include) {
    Check_File("include.cases");
}

TEST_F(CaseFileTest, LineNumbering) {
    Check_File("line_numbering.cases");
}

TEST_F(CaseFileTest, Once) {
    Check_File("once.cases");
}

}  // namespace
