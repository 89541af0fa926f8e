#include <gtest/gtest.h>

#include <string>

#include "test_tree.h"

namespace {

class LineNumberingTest : public TreeTest {};

const TreeFile kX = {"x.h", "x\n"};

TEST_F(LineNumberingTest, DeferredFixAfterConditionalBlocks) {
    const TreeCase cases[] = {
        {"an include in an #if block gets a fix after its #endif",
         {{"a.cl", "#if A\n#include \"x.h\"\n#endif\nl4\n"}, kX},
         {"-i", "a.cl", "-o", "out.txt"},
         "#if A\n// #include {root}{/}x.h\n#line 1 // \"x.h\"\nx\n#line 3 // \"a.cl\"\n"
         "#endif // about to fix after-include-line\n#line 4 // \"a.cl\"\nl4\n"},
        {"two includes in one block, one fix",
         {{"a.cl", "#ifdef A\n#include \"x.h\"\n#include \"x.h\"\n#endif\n"}, kX},
         {"-i", "a.cl", "-o", "out.txt"},
         "#ifdef A\n// #include {root}{/}x.h\n#line 1 // \"x.h\"\nx\n#line 3 // \"a.cl\"\n"
         "// #include {root}{/}x.h\n#line 1 // \"x.h\"\nx\n#line 4 // \"a.cl\"\n"
         "#endif // about to fix after-include-line\n#line 5 // \"a.cl\"\n"},
        {"nested blocks each take their own fix",
         {{"a.cl", "#if A\n#include \"x.h\"\n# ifndef B\n#include \"x.h\"\n#endif\n#endif\nl7\n"}, kX},
         {"-i", "a.cl", "-o", "out.txt"},
         "#if A\n// #include {root}{/}x.h\n#line 1 // \"x.h\"\nx\n#line 3 // \"a.cl\"\n# ifndef B\n"
         "// #include {root}{/}x.h\n#line 1 // \"x.h\"\nx\n#line 5 // \"a.cl\"\n"
         "#endif // about to fix after-include-line\n#line 6 // \"a.cl\"\n"
         "#endif // about to fix after-include-line\n#line 7 // \"a.cl\"\nl7\n"},
        {"#else and #elif take no fix; a block without includes takes none",
         {{"a.cl", "#if A\n#include \"x.h\"\n#elif B\n#else\n#if C\n#endif\n#endif\n"}, kX},
         {"-nfln", "-i", "a.cl", "-o", "out.txt"},
         "#if A\n// #include {root}{/}x.h\nx\n#elif B\n#else\n#if C\n#endif\n"
         "#endif // about to fix after-include-line\n"},
        {"conditionals in comments are not seen; an unmatched #endif is warned about",
         {{"a.cl", "/* #if A */\n#include \"x.h\"\n// #endif\n#endif\n"}, kX},
         {"-nfln", "-i", "a.cl", "-o", "out.txt"},
         "/* #if A */\n// #include {root}{/}x.h\nx\n// #endif\n#endif\n",
         "warning: mismatched preprocessor conditionals in 'a.cl': there might have been parse "
         "errors\n"},
        {"an #endif holding a backslash keeps its fix pending",
         {{"a.cl", "#if A\n#include \"x.h\"\n#endif // C:\\dir\n"}, kX},
         {"-nfln", "-i", "a.cl", "-o", "out.txt"},
         "#if A\n// #include {root}{/}x.h\nx\n#endif // C:\\dir\n",
         "warning: 'a.cl' line 3: multiline endif while line number fix pending\n"
         "warning: unresolved line number fixes after conditional includes in 'a.cl': line "
         "numbers may not match source\n"},
        {"a pending fix kept by a backslash is taken by an unmatched #endif",
         {{"a.cl", "#if A\n#include \"x.h\"\n#endif \\\n#endif\n"}, kX},
         {"-nfln", "-i", "a.cl", "-o", "out.txt"},
         "#if A\n// #include {root}{/}x.h\nx\n#endif \\\n#endif // about to fix after-include-line\n",
         "warning: 'a.cl' line 3: multiline endif while line number fix pending\n"
         "warning: mismatched preprocessor conditionals in 'a.cl': there might have been parse "
         "errors\n"},
        {"a block opened in an included file and closed in its includer",
         {{"a.cl", "#include \"x.h\"\n#endif\n"}, {"x.h", "#if A\n"}},
         {"-nfln", "-i", "a.cl", "-o", "out.txt"},
         "// #include {root}{/}x.h\n#if A\n#endif\n",
         "warning: mismatched preprocessor conditionals in '{root}{/}x.h': there might have been "
         "parse errors\n"
         "warning: mismatched preprocessor conditionals in 'a.cl': there might have been parse "
         "errors\n"},
        {"an #endif that opens a block comment closes it before its fix",
         {{"a.cl", "#if A\n#include \"x.h\"\n#endif /* note\nmore */\n"}, kX},
         {"-i", "a.cl", "-o", "out.txt"},
         "#if A\n// #include {root}{/}x.h\n#line 1 // \"x.h\"\nx\n#line 3 // \"a.cl\"\n"
         "#endif /* note */ // about to fix after-include-line\n#line 4 // \"a.cl\"\n/*more */\n"},
    };
    for (const TreeCase& c : cases) Check(c);
}

TEST_F(LineNumberingTest, FollowsExistingLineDirectives) {
    const TreeCase cases[] = {
        {"numbering and name continue from the directive",
         {{"a.cl", "1\n2\n3\n4\n5\n6\n#line 100 \"gen.cl\"\n#include \"x.h\"\nafter\n"}, kX},
         {"-i", "a.cl", "-o", "out.txt"},
         "1\n2\n3\n4\n5\n6\n#line 100 \"gen.cl\"\n// #include {root}{/}x.h\n#line 1 // \"x.h\"\nx\n"
         "#line 101 // \"gen.cl\"\nafter\n"},
        {"not followed when switched off",
         {{"a.cl", "1\n2\n3\n4\n5\n6\n#line 100 \"gen.cl\"\n#include \"x.h\"\nafter\n"}, kX},
         {"-nfld", "-i", "a.cl", "-o", "out.txt"},
         "1\n2\n3\n4\n5\n6\n#line 100 \"gen.cl\"\n// #include {root}{/}x.h\n#line 1 // \"x.h\"\nx\n"
         "#line 9 // \"a.cl\"\nafter\n"},
        {"the display name is taken raw",
         {{"a.cl", "#line 5 \"dir\\\\x.cl\"\n#include \"x.h\"\n"}, kX},
         {"-lnff", "-i", "a.cl", "-o", "out.txt"},
         "#line 5 \"dir\\\\x.cl\"\n// #include {root}{/}x.h\n#line 1 \"x.h\"\nx\n"
         "#line 6 \"dir//x.cl\"\n"},
        {"a #line in an included file changes that file's numbering only",
         {{"a.cl", "#include \"y.h\"\nz\n#include \"x.h\"\n"}, {"y.h", "#line 50\n"}, kX},
         {"-i", "a.cl", "-o", "out.txt"},
         "// #include {root}{/}y.h\n#line 1 // \"y.h\"\n#line 50\n#line 2 // \"a.cl\"\nz\n"
         "// #include {root}{/}x.h\n#line 1 // \"x.h\"\nx\n#line 4 // \"a.cl\"\n"},
    };
    for (const TreeCase& c : cases) Check(c);
}

TEST_F(LineNumberingTest, LineNumbersInMessages) {
    // An include that cannot be resolved reports the line number the directive before it set,
    // and always names the file's path.
    const struct {
        const char* directive;
        const char* line;
        const char* warnings;
    } cases[] = {
        {"#line 100 \"gen.cl\"", "100", ""},
        {"# line 100", "100", ""},
        {"#  line\t100", "100", ""},
        {"#line100", "2", ""},
        {"#line 100 ", "2", ""},
        {"#line 100 // note", "2", ""},
        {"#line 100 /* note */", "2", ""},
        {"#line 100 file.cl", "2", ""},
        {"#line 12abc", "12", ""},
        {"#line -3", "0", ""},
        {"#LINE 100", "2", ""},
        {"# 100 \"gen.cl\"", "2", ""},
        {"#line 4294967295", "4294967295", ""},
        {"#line 4294967296", "0",
         "warning: 'a.cl' line 1: integral constant overflow: '#line 4294967296'\n"},
        {"#line 99999999999", "1215752191",
         "warning: 'a.cl' line 1: integral constant overflow: '#line 99999999999'\n"
         "warning: 'a.cl' line 1: integral constant overflow: '#line 99999999999'\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.directive);
        Write("a.cl", std::string(c.directive) + "\n#include \"missing.h\"\n");
        const RunResult r = Run_Tool({"-i", "a.cl", "-o", "out.txt"});
        EXPECT_EQ(r.status, -1);
        EXPECT_EQ(r.err, std::string(c.warnings) + "error: 'a.cl' line " + c.line +
                             ": failed to resolve include of 'missing.h': file not found\n");
    }
    // An unterminated name is an unterminated literal, which ends the run before the line is
    // looked at as a directive.
    Write("a.cl", "#line 100 \"unterminated\n");
    RunResult r = Run_Tool({"-i", "a.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err, "error: 'a.cl' line 1: failed to strip comments\n");

    // The overflow warning comes even when directives are not followed.
    Write("a.cl", "#line 4294967296\n");
    r = Run_Tool({"-nfld", "-i", "a.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "warning: 'a.cl' line 1: integral constant overflow: '#line 4294967296'\n");
    EXPECT_EQ(Read("out.txt"), "#line 4294967296\n");
}

}  // namespace
