#include "expand/line_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "expand/text_file.h"

namespace {

struct Step {
    std::string line;
    bool at_end;
};

// Reads `bytes` to the end through a LineReader, one result per call, including the call that
// finds the end.
std::vector<Step> Read_All(const std::string& bytes, bool* had_mark = nullptr) {
    FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    LineReader reader;
    reader.Adopt(file);
    const bool mark = reader.Skip_Byte_Order_Mark();
    if (had_mark != nullptr) *had_mark = mark;
    std::vector<Step> steps;
    std::string line;
    while (!reader.At_End()) {
        EXPECT_TRUE(reader.Read_Line(line));
        steps.push_back({line, reader.At_End()});
    }
    return steps;
}

TEST(LineReaderTest, LinesAndEndOfFile) {
    const struct {
        const char* name;
        std::string bytes;
        std::vector<Step> steps;
    } cases[] = {
        {"empty file", "", {{"", true}}},
        {"final line without feed", "x\ny", {{"x", false}, {"y", true}}},
        {"only a line feed", "\n", {{"", false}, {"", true}}},
        {"two feeds at the end", "a\n\n", {{"a", false}, {"", false}, {"", true}}},
        {"CR LF folded", "a\r\nb\r\n", {{"a", false}, {"b", false}, {"", true}}},
        {"lone CR kept", "a\rb\r\r\n\r", {{"a\rb\r", false}, {"\r", true}}},
        {"NUL bytes kept", std::string("a\0b\n", 4), {{std::string("a\0b", 3), false}, {"", true}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Step> steps = Read_All(c.bytes);
        ASSERT_EQ(steps.size(), c.steps.size());
        for (std::size_t i = 0; i < steps.size(); ++i) {
            EXPECT_EQ(steps[i].line, c.steps[i].line) << "call " << i;
            EXPECT_EQ(steps[i].at_end, c.steps[i].at_end) << "call " << i;
        }
    }
}

TEST(LineReaderTest, ByteOrderMarkOnlyAtTheStart) {
    bool mark = false;
    std::vector<Step> steps = Read_All("\xEF\xBB\xBF#x\n\xEF\xBB\xBF\n", &mark);
    EXPECT_TRUE(mark);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].line, "#x");
    EXPECT_EQ(steps[1].line, "\xEF\xBB\xBF");

    steps = Read_All("\xEF\xBB", &mark);
    EXPECT_FALSE(mark);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].line, "\xEF\xBB");
}

TEST(LineReaderTest, LinesLongerThanTheBuffer) {
    // Lines that cross buffer refills, with a CR LF split across two refills.
    std::string bytes;
    std::vector<std::string> expected;
    for (std::size_t length : {100000u, 16383u, 16384u, 16385u, 1u, 40000u}) {
        expected.push_back(std::string(length, static_cast<char>('a' + length % 26)));
        bytes += expected.back() + "\r\n";
    }
    const std::vector<Step> steps = Read_All(bytes);
    ASSERT_EQ(steps.size(), expected.size() + 1);
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(steps[i].line, expected[i]);
}

TEST(LineReaderTest, DirectoryDoesNotOpen) {
    LineReader reader;
    EXPECT_FALSE(reader.Open("."));
    EXPECT_FALSE(reader.Is_Open());
    EXPECT_EQ(Open_Text_For_Reading("."), nullptr);
}

TEST(LineReaderTest, ReadErrorIsReported) {
    // A stream opened for writing only cannot be read: the read fails with the error indicator.
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::FILE* write_only = std::fopen("/dev/null", "w");
    std::fclose(file);
    if (write_only == nullptr) GTEST_SKIP() << "no /dev/null";
    LineReader reader;
    reader.Adopt(write_only);
    std::string line;
    EXPECT_FALSE(reader.Read_Line(line));
    EXPECT_TRUE(reader.Failed());
}

}  // namespace
