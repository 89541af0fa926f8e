#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "test_tree.h"

namespace {

// SHA-1 written out plainly over the whole padded message, independent of the tool's own
// streaming digest, so that guard names are checked against a second opinion.
std::string Reference_Sha1_Hex(const std::string& message) {
    std::vector<unsigned char> data(message.begin(), message.end());
    const std::uint64_t bits = static_cast<std::uint64_t>(data.size()) * 8;
    data.push_back(0x80);
    while (data.size() % 64 != 56) data.push_back(0);
    for (int shift = 56; shift >= 0; shift -= 8) {
        data.push_back(static_cast<unsigned char>(bits >> shift));
    }
    auto rotl = [](std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); };
    const std::uint32_t k[4] = {0x5A827999, 0x6ED9EBA1, 0x8F1BBCDC, 0xCA62C1D6};
    std::uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    for (std::size_t block = 0; block < data.size(); block += 64) {
        std::uint32_t w[80];
        for (int i = 0; i < 16; ++i) {
            const unsigned char* p = &data[block + 4 * i];
            w[i] = std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 |
                   std::uint32_t{p[2]} << 8 | p[3];
        }
        for (int i = 16; i < 80; ++i) w[i] = rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int i = 0; i < 80; ++i) {
            std::uint32_t f = b ^ c ^ d;
            if (i < 20) f = (b & c) | (~b & d);
            if (i >= 40 && i < 60) f = (b & c) | (b & d) | (c & d);
            const std::uint32_t t = rotl(a, 5) + f + e + k[i / 20] + w[i];
            e = d, d = c, c = rotl(b, 30), b = a, a = t;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
    }
    char hex[41];
    std::snprintf(hex, sizeof hex, "%08X%08X%08X%08X%08X", unsigned{h[0]}, unsigned{h[1]},
                  unsigned{h[2]}, unsigned{h[3]}, unsigned{h[4]});
    return hex;
}

class IncludeOnceTest : public TreeTest {
protected:
    // The include comment of the file at `relative` ("{/}" separators) under the tree's root.
    std::string Include(const std::string& relative) const {
        return "// #include " + Expand("{root}{/}" + relative) + "\n";
    }
    // The five guard lines, or the three check lines, of the file at `relative`, which the
    // #error string shows as `shown` (each backslash doubled) and the guard's readable part
    // as `readable`.
    std::string Guard(bool first, const std::string& readable, const std::string& relative,
                      const std::string& shown) const {
        const std::string g = "__" + readable + "_" +
                              Reference_Sha1_Hex(Guard_Key(Expand("{root}{/}" + relative)));
        std::string literal;
        for (const char c : shown) literal += c == '\\' ? std::string("\\\\") : std::string(1, c);
        const std::string error = "#error \"include once error: file '" + literal + "' is ";
        return first ? "#ifndef " + g + "\n#define " + g + "\n#else // !" + g + "\n" + error +
                           "already included\"\n#endif // !" + g + "\n"
                     : "#ifndef " + g + "\n" + error + "not included\"\n#endif // !" + g + "\n";
    }
    RunResult Expect_Output(const std::vector<std::string>& args, const std::string& expected) {
        const RunResult r = Run_Tool(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Read("out.txt"), As_Written(expected));
        return r;
    }
};

TEST_F(IncludeOnceTest, HeaderIncludedTwice) {
    Write("main.cl", "#include \"a.h\"\n#include \"a.h\"\nend\n");
    Write("a.h", "a\n");
    Expect_Output({"-io", "-i", "main.cl", "-o", "out.txt"},
                  Include("a.h") + Guard(true, "A_H", "a.h", "a.h") +
                      "#line 1 // \"a.h\"\na\n#line 2 // \"main.cl\"\n" + Include("a.h") +
                      Guard(false, "A_H", "a.h", "a.h") + "#line 3 // \"main.cl\"\nend\n");
}

TEST_F(IncludeOnceTest, SameFileThroughAnotherName) {
    Write("src/main.cl", "#include \"../inc/a.h\"\n#include <a.h>\n");
    Write("inc/a.h", "a\n");
    Expect_Output({"-io", "-nfln", "-I", "inc", "-i", "src/main.cl", "-o", "out.txt"},
                  Include("inc{/}a.h") + Guard(true, "A_H", "inc{/}a.h", "../inc/a.h") + "a\n" +
                      Include("inc{/}a.h") + Guard(false, "A_H", "inc{/}a.h", "a.h"));
}

TEST_F(IncludeOnceTest, FirstInputIncludedByItself) {
    // Being the first input does not enter the file: its first inclusion is expanded once more.
    Write("main.cl", "#include \"main.cl\"\nx\n");
    Expect_Output({"-io", "-i", "main.cl", "-o", "out.txt"},
                  Include("main.cl") + Guard(true, "MAIN_CL", "main.cl", "main.cl") +
                      "#line 1 // \"main.cl\"\n" + Include("main.cl") +
                      Guard(false, "MAIN_CL", "main.cl", "main.cl") +
                      "#line 2 // \"main.cl\"\nx\n#line 2 // \"main.cl\"\nx\n");
}

TEST_F(IncludeOnceTest, LaterInputs) {
    Write("a.cl", "#include \"b.h\"\n");
    Write("b.h", "b\n");
    const std::string b = Expand("{root}{/}b.h");
    // Already seen: only the check lines, under the name as typed.
    Expect_Output({"-io", "-nfln", "-i", "a.cl", "-i", b, "-o", "out.txt"},
                  Include("b.h") + Guard(true, "B_H", "b.h", "b.h") + "b\n" +
                      Guard(false, "B_H", "b.h", b));
    // A later input is guarded by its name as typed made absolute, not normalized.
    Expect_Output({"-io", "-nfln", "-i", "a.cl", "-i", "./b.h", "-o", "out.txt"},
                  Include("b.h") + Guard(true, "B_H", "b.h", "b.h") + "b\n" +
                      Guard(true, "B_H", "./b.h", "./b.h") + "b\n");
}

TEST_F(IncludeOnceTest, ReadablePartAndVerbose) {
    const std::string tw = "Tw\xC3\xA4.h", fft = "sub{/}fft2d-radix.cl", t = "sub{/}" + tw;
    Write("a.cl", "#include \"sub/fft2d-radix.cl\"\n");
    Write("sub/fft2d-radix.cl", "#include \"" + tw + "\"\n#include \"" + tw + "\"\n");
    Write("sub/" + tw, "t\n");
    const RunResult r = Expect_Output(
        {"-v", "-io", "-nfln", "-i", "a.cl", "-o", "out.txt"},
        Include(fft) + Guard(true, "FFT2D_RADIX_CL", fft, "sub/fft2d-radix.cl") + Include(t) +
            Guard(true, "TW___H", t, tw) + "t\n" + Include(t) + Guard(false, "TW___H", t, tw));
    const std::string resolved = "' (resolved as '{root}{/}" + t + "')\n";
    const std::string banner = "Quillfold 1.01 (built " + std::string(__DATE__) + ")\n\n";
    EXPECT_EQ(r.out, banner + "loading 'a.cl' ...\n" +
                         Expand("    recursing to 'sub/fft2d-radix.cl' (resolved as '{root}{/}" +
                                fft + "')\n        recursing to '" + tw + resolved +
                                "        skipping '" + tw + resolved));
}

}  // namespace
