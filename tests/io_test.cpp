// The line reader's and the output buffer's edges, which end-to-end cases reach only by chance,
// a run under a low open-file limit, and the program itself stopped by a signal.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/line_reader.h"
#include "io/output_stream.h"
#include "test_tree.h"

#if !defined(_WIN32)
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#endif

namespace {

class IoTest : public TreeTest {};

TEST_F(IoTest, LinesAcrossBufferRefills) {
    // Each line ends in LF, CR LF or a CR alone, as compilers read them; lines around the
    // buffer's sizes put a CR last in a buffer, before an LF or not. A mark only at the start.
    using Lines = std::vector<std::pair<std::string, char>>;  // each line and how it ended
    const Lines expected = {{std::string(16380, 'a'), '\n'},  {std::string(99997, 'b'), '\r'},
                            {"", '\r'},                       {"\xEF\xBB\xBF", '\n'},
                            {std::string(162213, 'c'), '\r'}, {"d", '\n'},
                            {std::string(40000, 'e'), '\n'}, {"f", '\n'}};
    std::string bytes = "\xEF\xBB\xBF";
    for (const auto& line : expected) bytes += line.first + (line.second == '\r' ? "\r" : "\r\n");
    bytes.resize(bytes.size() - 2);  // the last line ends with the file
    Write("lines.txt", bytes);
    for (const bool view : {false, true}) {
        LineReader reader;
        ASSERT_TRUE(reader.Open("lines.txt"));
        EXPECT_TRUE(reader.Skip_Byte_Order_Mark());
        Lines lines;
        std::string line, storage;
        std::string_view text;
        while (!reader.At_End() && lines.size() <= expected.size()) {
            EXPECT_TRUE(view ? reader.Read_Line(text, storage) : reader.Read_Line(line));
            lines.emplace_back(view ? std::string(text) : line, reader.Line_End());
        }
        EXPECT_TRUE(lines == expected) << (view ? "as views" : "as strings");
    }
    // A stream open for writing only fails to read, where the C runtime says so.
    std::FILE* probe = std::fopen("lines.txt", "a");
    ASSERT_NE(probe, nullptr);
    const bool reported = std::fgetc(probe) == EOF && std::ferror(probe) != 0;
    std::fclose(probe);
    LineReader reader;
    reader.Adopt(std::fopen("lines.txt", "a"));
    std::string line;
    EXPECT_EQ(reader.Read_Line(line), !reported);
    EXPECT_EQ(reader.Failed(), reported);
}

TEST_F(IoTest, FormattedTextPastTheBufferEnd) {
    const std::string whole(3 * 64 * 1024, 'y'), before(64 * 1024 - 10, 'x'), name(40, 'n');
    FILE* file = std::fopen("out.txt", "wb");
    ASSERT_NE(file, nullptr);
    OutputStream out(file);
    out.Write("ab");
    out.Write(whole);  // longer than the buffer: handed on directly after what is buffered
    // Runs written from where they are come out in their place among buffered bytes, more of
    // them than are kept at once.
    const std::string run(1500, 'r');
    std::string runs;
    for (int i = 0; i < 70; ++i, runs += run + "\n") {
        out.Write_Held(run.data(), run.size());
        out.Put('\n');
    }
    EXPECT_EQ(out.Position(), 2 + whole.size() + runs.size());  // some runs still held
    out.Write(before);
    out.Print("#line %u \"%s\"", 123456u, name.c_str());
    out.Print("%s", "end");
    const std::string expected = "ab" + whole + runs + before + "#line 123456 \"" + name + "\"end";
    EXPECT_EQ(out.Position(), expected.size());
    ASSERT_TRUE(out.Close());
    EXPECT_TRUE(Read("out.txt") == expected);
}

TEST_F(IoTest, ClosedFilesWrittenFromTheirBuffersTogether) {
    // Closed files go out from their buffers later, more than are kept at once: none freed early.
    std::vector<std::string> args = {"-nfln", "-o", "out.txt"};
    const std::string eol = kWindows ? "\r\n" : "\n";  // the output is a text file
    std::string joined;
    for (int i = 0; i < 90; ++i) {
        std::string text, line(40, char('a' + i % 26));
        for (int l = 0; l < 300; ++l) text += line + "\n", joined += line + eol;
        args.insert(args.end(), {"-i", "f" + std::to_string(i) + ".c"});
        Write(args.back(), text);
    }
    EXPECT_EQ(Run_Tool(args).err, "");
    EXPECT_TRUE(Read("out.txt") == joined);
}

TEST_F(IoTest, OpenFilesUnderALowLimit) {
#if defined(_WIN32)
    GTEST_SKIP() << "the open-file limit is lowered through POSIX setrlimit";
#else
    // A header included 1100 times, one after the other, needs one file open at a time.
    std::string many, joined;
    for (int i = 0; i < 1100; ++i)
        many += "#include \"a.h\"\n", joined += "// #include " + root_ + "/a.h\na\n";
    Write("many.cl", many);
    Write("a.h", "a\n");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit lowered = saved;
    if (lowered.rlim_cur == RLIM_INFINITY || lowered.rlim_cur > 256) lowered.rlim_cur = 256;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    const RunResult r = Run_Tool({"-nfln", "-i", "many.cl", "-o", "out.txt"});
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(Read("out.txt") == joined);
#endif
}

TEST_F(IoTest, AStoppedRunLeavesTheOutputAsItWas) {
#if defined(_WIN32)
    GTEST_SKIP() << "FIFOs and SIGTERM are POSIX ones";
#else
    Write("a.cl", "a\n#include \"fifo\"\n");
    Write("out.txt", "old\n");
    ASSERT_EQ(mkfifo("fifo", 0600), 0);
    struct stat before {};
    ASSERT_EQ(stat("out.txt", &before), 0);
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGTERM, SIG_DFL);
        execl(QUILLFOLD_TOOL, QUILLFOLD_TOOL, "-i", "a.cl", "-o", "out.txt", nullptr);
        _exit(127);
    }
    const auto entries = [this] {
        const std::filesystem::directory_iterator listing(root_);
        return static_cast<std::size_t>(std::distance(begin(listing), end(listing)));
    };
    // Once the run has made its temporary it waits on the FIFO, which no one writes.
    for (int i = 0; i < 1000 && entries() < 4; ++i) usleep(10000);
    EXPECT_EQ(entries(), 4u);
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    struct stat after {};
    ASSERT_EQ(stat("out.txt", &after), 0);
    EXPECT_EQ(Read("out.txt"), "old\n");
    EXPECT_TRUE(after.st_mtim.tv_sec == before.st_mtim.tv_sec &&
                after.st_mtim.tv_nsec == before.st_mtim.tv_nsec);
    EXPECT_EQ(entries(), 3u);
#endif
}

}  // namespace
