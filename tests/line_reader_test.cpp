#include "io/line_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/text_file.h"
#include "test_tree.h"

namespace {

using Steps = std::vector<std::pair<std::string, bool>>;  // each line, and At_End after it

class LineReaderTest : public TreeTest {};

TEST_F(LineReaderTest, LinesAndEndOfFile) {
    struct Case {
        const char* name;
        std::string bytes;
        bool mark;  // a byte order mark is skipped
        Steps steps;
    };
    // clang-format off
    std::vector<Case> cases = {
        {"empty piece after the last LF", "a\n\n", false, {{"a", false}, {"", false}, {"", true}}},
        {"final line without feed", "x\ny", false, {{"x", false}, {"y", true}}},
        {"CR LF folded, lone CR kept", "a\r\nb\r\r\n\r", false,
                                        {{"a", false}, {"b\r", false}, {"\r", true}}},
        {"NUL bytes kept", std::string("a\0b\n", 4), false,
                            {{std::string("a\0b", 3), false}, {"", true}}},
        {"mark only at the start", "\xEF\xBB\xBF#x\n\xEF\xBB\xBF", true,
                                    {{"#x", false}, {"\xEF\xBB\xBF", true}}},
        {"part of a mark", "\xEF\xBB", false, {{"\xEF\xBB", true}}},
        {"longer than the buffer", "", false, {}},
    };
    // clang-format on
    // Lines that cross buffer refills, with a CR LF split across two refills.
    for (const std::size_t length : {100000u, 16383u, 16384u, 16385u, 1u, 40000u}) {
        const std::string line(length, static_cast<char>('a' + length % 26));
        cases.back().bytes += line + "\r\n";
        cases.back().steps.emplace_back(line, false);
    }
    cases.back().steps.emplace_back("", true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Write("lines.txt", c.bytes);
        // Both ways of reading a line, through a reader that opened the file as the tool does.
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

TEST_F(LineReaderTest, DirectoryDoesNotOpen) {
    LineReader reader;
    EXPECT_FALSE(reader.Open("."));
    EXPECT_FALSE(reader.Is_Open());
    EXPECT_EQ(Open_Text_For_Reading("."), nullptr);
}

TEST_F(LineReaderTest, ReadErrorIsReported) {
    // A stream opened for writing only cannot be read: the read fails with the error indicator.
    std::FILE* probe = std::fopen("write-only.txt", "w");
    ASSERT_NE(probe, nullptr);
    const bool runtime_reports_it = std::fgetc(probe) == EOF && std::ferror(probe) != 0;
    std::fclose(probe);
    if (!runtime_reports_it) {
        GTEST_SKIP() << "this C runtime (Wine's) sets no error indicator when a write-only "
                        "stream is read";
    }
    LineReader reader;
    reader.Adopt(std::fopen("write-only.txt", "w"));
    ASSERT_TRUE(reader.Is_Open());
    std::string line;
    EXPECT_FALSE(reader.Read_Line(line));
    EXPECT_TRUE(reader.Failed());
}

}  // namespace
