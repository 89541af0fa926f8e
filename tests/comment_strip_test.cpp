#include "expand/comment_strip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::uint32_t M = kCommentMarker;

TEST(CommentStripTest, AnalysisCopyAndOffsets) {
    const struct {
        std::string line;
        bool in_comment_before;
        std::string analysis;
        std::vector<std::uint32_t> offsets;  // empty: each byte maps to its own position
        bool in_comment_after;
    } cases[] = {
        {"x /* a */ y", false, "x   y", {0, 1, M, 9, 10}, false},
        {"/**/", false, " ", {M}, false},
        {"/*/", false, "", {}, true},
        {"/*", false, "", {}, true},
        {"a/", false, "a/", {}, false},
        {"a / b", false, "a / b", {}, false},
        {"#include \"a//b.h\" // c", false, "#include \"a//b.h\" ", {}, false},
        {"s = \"a\\\"b\"; /* c", false, "s = \"a\\\"b\"; ", {}, true},
        {"'/*' x", false, "'/*' x", {}, false},
        {"inside", true, "", {}, true},
        {"", true, "", {}, true},
        {"*", true, "", {}, true},
        {"end */ #include <x>",
         true,
         " #include <x>",
         {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18},
         false},
        {"*/", true, "", {}, false},
        {"a /* b */ c /* d */", false, "a   c  ", {0, 1, M, 9, 10, 11, M}, false},
        {"#/* c */include <a.h>",
         false,
         "# include <a.h>",
         {0, M, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        bool in_comment = c.in_comment_before;
        std::string analysis = "stale";
        std::vector<std::uint32_t> offsets{1, 2, 3};
        ASSERT_TRUE(Strip_Comments(c.line, in_comment, analysis, offsets));
        EXPECT_EQ(analysis, c.analysis);
        EXPECT_EQ(in_comment, c.in_comment_after);
        ASSERT_EQ(offsets.size(), analysis.size());
        if (c.offsets.empty()) {
            for (std::size_t i = 0; i < offsets.size(); ++i) EXPECT_EQ(offsets[i], i);
        } else {
            EXPECT_EQ(offsets, c.offsets);
        }
    }
}

TEST(CommentStripTest, UnterminatedLiteralsFail) {
    for (const std::string line : {"#error don't", "\"abc\\", "x = \"abc", "'", "\"a\\\""}) {
        SCOPED_TRACE(line);
        bool in_comment = false;
        std::string analysis;
        std::vector<std::uint32_t> offsets;
        EXPECT_FALSE(Strip_Comments(line, in_comment, analysis, offsets));
    }
    // A quote inside a comment does not open a literal.
    bool in_comment = false;
    std::string analysis;
    std::vector<std::uint32_t> offsets;
    EXPECT_TRUE(Strip_Comments("x // don't", in_comment, analysis, offsets));
    EXPECT_TRUE(Strip_Comments("x /* don't */", in_comment, analysis, offsets));
    in_comment = true;
    EXPECT_TRUE(Strip_Comments("it's still a comment", in_comment, analysis, offsets));
}

}  // namespace
