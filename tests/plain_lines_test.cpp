// Long inputs where most lines have nothing to analyse. Such lines are copied in runs straight
// from the read buffer, so these cases check that runs of every length and alignment, cut by
// every kind of line and by the ends of the read buffer, keep the bytes and the line numbers.

#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>

#include "test_tree.h"

namespace {

class PlainLinesTest : public TreeTest {};

// Builds an input line by line together with the output the tool must write for it.
class Script {
public:
    explicit Script(unsigned seed) : random_(seed) {}

    std::string input;
    std::string output;

    // A line with no byte that can start a directive, a comment or a literal.
    std::string Plain() {
        static const char kBytes[] = "abcxyz ;{}()=+-*<>!&|^~%?.,:[]0123456789\t\xC3\xA9";
        const std::size_t length = Pick(90);
        std::string line;
        for (std::size_t i = 0; i < length; ++i) line.push_back(kBytes[Pick(sizeof kBytes - 1)]);
        if (Pick(50) == 0) line.push_back('\0');
        return line;
    }

    // One line of input that is written as it is.
    void Same(const std::string& line) {
        input += line + "\n";
        output += line + "\n";
        ++number_;
    }

    void Add_Random_Line() {
        switch (Pick(40)) {
            case 0: {  // CR LF: read as a line feed
                const std::string line = Plain();
                input += line + "\r\n";
                output += line + "\n";
                ++number_;
                break;
            }
            case 1: Same(Plain() + "\rx" + Plain()); break;  // a lone carriage return is text
            case 2: Same(Plain() + " / " + Plain()); break;
            case 3: Same(Plain() + "\"q#/*\"" + Plain()); break;
            case 4: Same(Plain() + " '#'" + Plain()); break;
            case 9: Same(Plain() + " 'x'" + Plain()); break;
            case 5: Same(Plain() + "// #include \"missing.h\""); break;
            case 6: Same("#define D" + std::to_string(number_) + " 1"); break;
            case 7: {  // a block comment over plain-looking lines and a directive
                Same(Plain() + "/* " + Plain());
                for (std::size_t n = Pick(6); n > 0; --n) Same(Plain());
                Same("#include \"missing.h\" don't");
                Same(Plain() + "*/" + Plain());
                break;
            }
            case 8: {  // an include: replaced, then the includer resumes at the next line
                input += "#include \"inc.h\"\n";
                ++number_;
                output += "// #include {root}{/}inc.h\n#line 1 // \"inc.h\"\ni\n#line " +
                          std::to_string(number_ + 1) + " // \"main.cl\"\n";
                break;
            }
            default: Same(Plain()); break;
        }
    }

    /// Lines of the input so far.
    std::size_t Number() const { return number_; }

private:
    std::size_t Pick(std::size_t below) { return random_() % below; }

    std::mt19937 random_;
    std::size_t number_ = 0;
};

TEST_F(PlainLinesTest, BytesAndLineNumbersSurviveLongRuns) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        Script script(seed);
        // Several read buffers' worth, so that runs are cut at the buffer's end too.
        while (script.input.size() < 200 * 1024) script.Add_Random_Line();
        // The last line ends the file without a line feed.
        script.input += "last";
        script.output += "last\n";
        const TreeCase c = {"random lines", {{"main.cl", script.input}, {"inc.h", "i\n"}},
                            {"-i", "main.cl", "-o", "out.txt"}, script.output};
        SCOPED_TRACE(seed);
        Check(c);
    }
}

TEST_F(PlainLinesTest, RunsOfEveryLengthBeforeAnInclude) {
    // Runs of 0 to 40 equal lines of each length from 0 to 40 bytes, each run followed by an
    // include, so a line number that drifts anywhere shows in the next #line directive.
    std::string input;
    std::string output;
    std::size_t number = 0;
    for (std::size_t length = 0; length <= 40; ++length) {
        for (std::size_t count = 0; count <= 40; count += 7) {
            for (std::size_t i = 0; i < count; ++i) {
                const std::string line(length, static_cast<char>('a' + i % 26));
                input += line + "\n";
                output += line + "\n";
                ++number;
            }
            input += "#include \"inc.h\"\n";
            ++number;
            output += "// #include {root}{/}inc.h\n#line 1 // \"inc.h\"\ni\n#line " +
                      std::to_string(number + 1) + " // \"main.cl\"\n";
        }
    }
    Check({"runs of every length", {{"main.cl", input}, {"inc.h", "i\n"}},
           {"-i", "main.cl", "-o", "out.txt"}, output});
}

TEST_F(PlainLinesTest, ErrorAfterALongRunNamesTheRightLine) {
    std::string before;
    for (int i = 0; i < 5000; ++i) before += "int value" + std::to_string(i) + " = 0;\n";
    // Each opens a literal that the line does not close, with no other byte to give it away.
    for (const char* open : {"s = \"open;", "it's;", "c = 'x;"}) {
        SCOPED_TRACE(open);
        Check({"unterminated literal after 5000 plain lines",
               {{"main.cl", before + open + "\nint after;\n"}}, {"-i", "main.cl", "-o", "out.txt"},
               before, "error: 'main.cl' line 5001: failed to strip comments\n", -1});
    }
}

}  // namespace
