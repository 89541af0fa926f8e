// The line reader's and the output buffer's edges, which end-to-end cases reach only by chance.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/line_reader.h"
#include "io/output_stream.h"
#include "test_tree.h"

namespace {

using Steps = std::vector<std::pair<std::string, bool>>;  // each line, and At_End after it

class IoTest : public TreeTest {};

TEST_F(IoTest, LinesAndEndOfFile) {
    struct Case {
        const char* name;
        std::string bytes;
        bool mark;  // a byte order mark is skipped
        Steps steps;
    };
    std::vector<Case> cases = {
        {"empty piece after the last LF", "a\n\n", false, {{"a", false}, {"", false}, {"", true}}},
        {"CR LF folded, lone CR kept",
         "a\r\nb\r\r\n\r",
         false,
         {{"a", false}, {"b\r", false}, {"\r", true}}},
        {"mark only at the start",
         "\xEF\xBB\xBF#x\n\xEF\xBB\xBF",
         true,
         {{"#x", false}, {"\xEF\xBB\xBF", true}}},
        {"part of a mark", "\xEF\xBB", false, {{"\xEF\xBB", true}}},
        {"lines across buffer refills, a CR LF split by one", "", false, {}},
    };
    for (const std::size_t length : {100000u, 16383u, 16384u, 16385u, 1u, 40000u}) {
        const std::string line(length, static_cast<char>('a' + length % 26));
        cases.back().bytes += line + "\r\n";
        cases.back().steps.emplace_back(line, false);
    }
    cases.back().steps.emplace_back("", true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write("lines.txt", c.bytes);
        for (const bool view : {false, true}) {
            LineReader reader;
            ASSERT_TRUE(reader.Open("lines.txt"));
            EXPECT_EQ(reader.Skip_Byte_Order_Mark(), c.mark);
            Steps steps;
            std::string line, storage;
            std::string_view text;
            while (!reader.At_End() && steps.size() <= c.steps.size()) {
                EXPECT_TRUE(view ? reader.Read_Line(text, storage) : reader.Read_Line(line));
                steps.emplace_back(view ? std::string(text) : line, reader.At_End());
            }
            EXPECT_EQ(steps, c.steps) << (view ? "as views" : "as strings");
        }
    }
}

TEST_F(IoTest, FormattedTextPastTheBufferEnd) {
    // Printed where the buffer has less room than the text needs, the text is formatted again.
    const std::string before(64 * 1024 - 10, 'x'), name(40, 'n');
    FILE* file = std::fopen("out.txt", "wb");
    ASSERT_NE(file, nullptr);
    OutputStream out(file);
    out.Write(before);
    out.Print("#line %u \"%s\"", 123456u, name.c_str());
    out.Print("%s", "end");
    ASSERT_TRUE(out.Close());
    EXPECT_TRUE(Read("out.txt") == before + "#line 123456 \"" + name + "\"end");
}

TEST_F(IoTest, ReadErrorIsReported) {
    // A stream opened for writing only cannot be read: the read fails with the error indicator.
    std::FILE* probe = std::fopen("write-only.txt", "w");
    ASSERT_NE(probe, nullptr);
    const bool runtime_reports_it = std::fgetc(probe) == EOF && std::ferror(probe) != 0;
    std::fclose(probe);
    if (!runtime_reports_it) GTEST_SKIP() << "this C runtime sets no error indicator here";
    LineReader reader;
    reader.Adopt(std::fopen("write-only.txt", "w"));
    std::string line;
    EXPECT_FALSE(reader.Read_Line(line));
    EXPECT_TRUE(reader.Failed());
}

}  // namespace
