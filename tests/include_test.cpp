#include <gtest/gtest.h>

#include <string>

#include "test_tree.h"

namespace {

class IncludeTest : public TreeTest {};

TEST_F(IncludeTest, ResolutionOrder) {
    const TreeCase cases[] = {
        {"beside the includer wins over the current directory and include paths",
         {{"sub/a.cl", "#include \"c.h\"\n"},
          {"sub/c.h", "beside\n"},
          {"c.h", "current\n"},
          {"inc/c.h", "included\n"}},
         {"-nfln", "-I", "inc", "-i", "sub/a.cl", "-o", "out.txt"},
         "// #include {root}{/}sub{/}c.h\nbeside\n"},
        {"then the current directory",
         {{"sub/a.cl", "#include \"c.h\"\n"}, {"c.h", "current\n"}, {"inc/c.h", "included\n"}},
         {"-nfln", "-I", "inc", "-i", "sub/a.cl", "-o", "out.txt"},
         "// #include {root}{/}c.h\ncurrent\n"},
        {"then the include paths in command-line order",
         {{"sub/a.cl", "#include \"c.h\"\n"},
          {"inc1/x.h", ""},
          {"inc2/c.h", "second\n"},
          {"inc3/c.h", "third\n"}},
         {"-nfln", "-I", "inc1", "-I", "inc2", "-I", "inc3", "-i", "sub/a.cl", "-o", "out.txt"},
         "// #include {root}{/}inc2{/}c.h\nsecond\n"},
        {"an angle include never looks beside the includer or in the current directory",
         {{"sub/a.cl", "#include <c.h>\n"},
          {"sub/c.h", "beside\n"},
          {"c.h", "current\n"},
          {"inc/c.h", "included\n"}},
         {"-nfln", "-I", "inc", "-i", "sub/a.cl", "-o", "out.txt"},
         "// #include {root}{/}inc{/}c.h\nincluded\n"},
        {"an angle include without include paths is not found",
         {{"a.cl", "x\n#include <c.h>\n"}, {"c.h", "current\n"}},
         {"-i", "a.cl", "-o", "out.txt"},
         "x\n",
         "error: 'a.cl' line 2: failed to resolve include of 'c.h': file not found\n",
         -1},
        {"a nested include is looked for beside the file that includes it",
         {{"a.cl", "#include \"inc/b.h\"\n"},
          {"inc/b.h", "#include \"c.h\"\n"},
          {"inc/c.h", "c\n"},
          {"c.h", "wrong\n"}},
         {"-nfln", "-i", "a.cl", "-o", "out.txt"},
         "// #include {root}{/}inc{/}b.h\n// #include {root}{/}inc{/}c.h\nc\n"},
        {"backslashes in a name are separators; the path is normalized",
         {{"a.cl", "#include \"sub\\..\\sub\\.\\b.h\"\n"}, {"sub/b.h", "b\n"}},
         {"-nfln", "-i", "a.cl", "-o", "out.txt"},
         "// #include {root}{/}sub{/}b.h\nb\n"},
        {"an absolute name is used as written",
         {{"a.cl", "#include \"{root}/inc/./a.h\"\n"}, {"inc/a.h", "a\n"}},
         {"-nfln", "-i", "a.cl", "-o", "out.txt"},
         "// #include {root}/inc/./a.h\na\n"},
        {"a missing absolute name fails when it is opened",
         {{"a.cl", "#include \"{root}/none.h\"\n"}},
         {"-nfln", "-i", "a.cl", "-o", "out.txt"},
         "// #include {root}/none.h\n",
         "error: failed to open '{root}/none.h'\n",
         -1},
        {"an includer named by an absolute path finds the file beside it",
         {{"sub/a.cl", "#include \"b.h\"\n"}, {"sub/b.h", "beside\n"}, {"b.h", "current\n"}},
         {"-nfln", "-i", "{root}/sub/a.cl", "-o", "out.txt"},
         "// #include {root}{/}sub{/}b.h\nbeside\n"},
        {"an include of the output being written is refused",
         {{"a.cl", "a\n#include \"out.txt\"\n"}},
         {"-nfln", "-i", "a.cl", "-o", "out.txt"},
         "a\n// #include {root}{/}out.txt\n",
         "error: failed to open '{root}{/}out.txt': it is the output file\n",
         -1},
        {"an include naming a directory fails to open",
         {{"a.cl", "#include \"dir\"\n"}, {"dir/x.h", ""}},
         {"-nfln", "-i", "a.cl", "-o", "out.txt"},
         "// #include {root}{/}dir\n",
         "error: failed to open '{root}{/}dir'\n",
         -1},
    };
    for (const TreeCase& c : cases) Check(c);
}

TEST_F(IncludeTest, ReplacementAndCarriedText) {
    const TreeCase cases[] = {
        {"nothing after the directive: the includer resumes at the next line",
         {{"m.cl", "#include \"a.h\"\nend\n"}, {"a.h", "a\n"}},
         {"-i", "m.cl", "-o", "out.txt"},
         "// #include {root}{/}a.h\n#line 1 // \"a.h\"\na\n#line 2 // \"m.cl\"\nend\n"},
        {"a comment after the directive comes back under the include line's number",
         {{"m.cl", "#include \"a.h\" // note\nend\n"}, {"a.h", "a\n"}},
         {"-i", "m.cl", "-o", "out.txt"},
         "// #include {root}{/}a.h\n#line 1 // \"a.h\"\na\n#line 1 // \"m.cl\"\n // note\nend\n"},
        {"trailing whitespace is carried too",
         {{"m.cl", "#include \"a.h\"   \n"}, {"a.h", "a\n"}},
         {"-nfln", "-i", "m.cl", "-o", "out.txt"},
         "// #include {root}{/}a.h\na\n   \n"},
        {"text before the directive is kept with one space",
         {{"m.cl", "/* c */ #include \"a.h\" int x;\n"}, {"a.h", "int a;\n"}},
         {"-nfln", "-i", "m.cl", "-o", "out.txt"},
         "/* c */  // #include {root}{/}a.h\nint a;\n int x;\n"},
        {"whitespace before the directive is not kept",
         {{"m.cl", " \t #include <x.h>/* c */ int y;\n"}, {"inc/x.h", "x\n"}},
         {"-nfln", "-I", "inc", "-i", "m.cl", "-o", "out.txt"},
         "// #include {root}{/}inc{/}x.h\nx\n/* c */ int y;\n"},
        {"two includes on one line expand in order",
         {{"m.cl", "#include \"a.h\" #include \"b.h\"\nend\n"}, {"a.h", "a\n"}, {"b.h", "b\n"}},
         {"-i", "m.cl", "-o", "out.txt"},
         "// #include {root}{/}a.h\n#line 1 // \"a.h\"\na\n#line 1 // \"m.cl\"\n"
         "// #include {root}{/}b.h\n#line 1 // \"b.h\"\nb\n#line 2 // \"m.cl\"\nend\n"},
        {"a block comment left open after the directive is reopened after the include",
         {{"m.cl", "#include \"x.h\" /* note\nstill */ y\n"}, {"x.h", "x\n"}},
         {"-i", "m.cl", "-o", "out.txt"},
         "// #include {root}{/}x.h\n#line 1 // \"x.h\"\nx\n#line 1 // \"m.cl\"\n/* /* note\nstill "
         "*/ y\n"},
        {"a carried remainder that opens the comment itself is not reopened",
         {{"m.cl", "#include \"x.h\"/* note\nstill */ y\n"}, {"x.h", "x\n"}},
         {"-i", "m.cl", "-o", "out.txt"},
         "// #include {root}{/}x.h\n#line 1 // \"x.h\"\nx\n#line 1 // \"m.cl\"\n/* note\nstill */ "
         "y\n"},
        {"an included file starts outside its includer's block comment",
         {{"m.cl", "#include \"x.h\" /* note\n*/\n"},
          {"x.h", "#include \"y.h\"\n"},
          {"y.h", "y\n"}},
         {"-nfln", "-i", "m.cl", "-o", "out.txt"},
         "// #include {root}{/}x.h\n// #include {root}{/}y.h\ny\n/* /* note\n*/\n"},
        {"an include as the last line, with text and no line feed",
         {{"m.cl", "x\n#include \"a.h\" tail"}, {"a.h", "a"}},
         {"-nfln", "-i", "m.cl", "-o", "out.txt"},
         "x\n// #include {root}{/}a.h\na\n tail\n"},
        {"an include inside a conditional block is expanded",
         {{"m.cl", "#if 0\n#include \"a.h\"\n#endif\n"}, {"a.h", "a\n"}},
         {"-nfln", "-i", "m.cl", "-o", "out.txt"},
         "#if 0\n// #include {root}{/}a.h\na\n#endif // about to fix after-include-line\n"},
        {"an unrecognised directive is warned about and written unchanged",
         {{"m.cl", "x\n  #include MACRO // why\n#include\n"}},
         {"-i", "m.cl", "-o", "out.txt"},
         "x\n  #include MACRO // why\n#include\n",
         "warning: 'm.cl' line 2: did not understand #include directive: '  #include MACRO // "
         "why'\n"},
        {"a quoted name whose closing quote is escaped is an unterminated literal",
         {{"m.cl", "x\n#include \"dir\\\"\n"}},
         {"-i", "m.cl", "-o", "out.txt"},
         "x\n",
         "error: 'm.cl' line 2: failed to strip comments\n",
         -1},
        {"a byte order mark of an included file is dropped, and a directive behind it is seen",
         {{"m.cl", "\xEF\xBB\xBF#include \"a.h\"\n"},
          {"a.h", "\xEF\xBB\xBF#include \"b.h\"\n"},
          {"b.h", "b\n"}},
         {"-nfln", "-i", "m.cl", "-o", "out.txt"},
         "\xEF\xBB\xBF// #include {root}{/}a.h\n// #include {root}{/}b.h\nb\n"},
    };
    for (const TreeCase& c : cases) Check(c);
}

TEST_F(IncludeTest, LineDirectiveForms) {
    const std::vector<TreeFile> files = {
        {"a.cl", "l1\nl2\nl3\n#include \"sub\\b.h\"\nl5\n"}, {"sub/b.h", "b1\n"}, {"c.cl", "c1\n"}};
    const TreeCase cases[] = {
        {"default: comment forms, no directive before the input",
         files,
         {"-i", "a.cl", "-o", "out.txt"},
         "l1\nl2\nl3\n// #include {root}{/}sub{/}b.h\n#line 1 // \"sub/b.h\"\nb1\n"
         "#line 5 // \"a.cl\"\nl5\n"},
        {"with file names: named forms, the input's too once an included file was named",
         files,
         {"-lnff", "-i", "a.cl", "-o", "out.txt"},
         "l1\nl2\nl3\n// #include {root}{/}sub{/}b.h\n#line 1 \"sub/b.h\"\nb1\n"
         "#line 5 \"a.cl\"\nl5\n"},
        {"with file names and input names: named forms everywhere",
         files,
         {"-lnff", "-sif", "-i", "a.cl", "-i", "c.cl", "-o", "out.txt"},
         "#line 1 \"a.cl\"\nl1\nl2\nl3\n// #include {root}{/}sub{/}b.h\n#line 1 \"sub/b.h\"\nb1\n"
         "#line 5 \"a.cl\"\nl5\n#line 1 \"c.cl\"\nc1\n"},
        {"input names without fix-ups: inputs named, included files bare",
         files,
         {"-sif", "-nfln", "-i", "a.cl", "-i", "c.cl", "-o", "out.txt"},
         "#line 1 \"a.cl\"\nl1\nl2\nl3\n// #include {root}{/}sub{/}b.h\nb1\n"
         "#line 5 \"a.cl\"\nl5\n#line 1 \"c.cl\"\nc1\n"},
        {"file names switched on, then fix-ups off: no directive at all",
         files,
         {"-lnff", "-nfln", "-i", "a.cl", "-o", "out.txt"},
         "l1\nl2\nl3\n// #include {root}{/}sub{/}b.h\nb1\nl5\n"},
        {"display names are escaped for a string literal",
         {{"a.cl", "#include \"it's x.h\"\n"}, {"it's x.h", "x\n"}},
         {"-lnff", "-i", "a.cl", "-o", "out.txt"},
         "// #include {root}{/}it's x.h\n#line 1 \"it\\'s x.h\"\nx\n#line 2 \"a.cl\"\n"},
    };
    for (const TreeCase& c : cases) Check(c);
}

TEST_F(IncludeTest, RecursionLimit) {
    // f0.cl includes f1.h, which includes f2.h, and so on.
    auto chain = [this](int files, const std::string& folder) {
        for (int i = 0; i < files; ++i) {
            const std::string name = folder + "/f" + std::to_string(i) + (i == 0 ? ".cl" : ".h");
            Write(name,
                  i + 1 < files ? "#include \"f" + std::to_string(i + 1) + ".h\"\n" : "end\n");
        }
    };
    chain(300, "ok");
    RunResult r = Run_Tool({"-nfln", "-i", "ok/f0.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.err;

    chain(301, "deep");
    r = Run_Tool({"-nfln", "-i", "deep/f0.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(
        r.err,
        Expand("error: '{root}{/}deep{/}f299.h' line 1: maximum include recursion exceeded\n"));

    r = Run_Tool({"-nfln", "-mir", "0", "-i", "deep/f0.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.err;

    r = Run_Tool({"-mir", "1", "-i", "ok/f0.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, -1);
    EXPECT_EQ(r.err, "error: 'ok/f0.cl' line 1: maximum include recursion exceeded\n");
}

TEST_F(IncludeTest, VerboseRecursionIsIndented) {
    Write("a.cl", "#include \"b.h\"\n#include \"b.h\"\n");
    Write("b.h", "#include \"inc/c.h\"\n");
    Write("inc/c.h", "c\n");
    const RunResult r = Run_Tool({"-v", "-i", "a.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0);
    const std::string banner = "Quillfold 1.01 (built " + std::string(__DATE__) + ")\n\n";
    EXPECT_EQ(r.out, Expand(banner +
                            "loading 'a.cl' ...\n"
                            "    recursing to 'b.h' (resolved as '{root}{/}b.h')\n"
                            "        recursing to 'inc/c.h' (resolved as '{root}{/}inc{/}c.h')\n"
                            "    recursing to 'b.h' (resolved as '{root}{/}b.h')\n"
                            "        recursing to 'inc/c.h' (resolved as '{root}{/}inc{/}c.h')\n"));
}

}  // namespace
