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
    for (int shift = 56; shift >= 0; shift -= 8) data.push_back(static_cast<unsigned char>(bits >> shift));
    auto rotl = [](std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); };
    std::uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    for (std::size_t block = 0; block < data.size(); block += 64) {
        std::uint32_t w[80];
        for (int i = 0; i < 16; ++i) {
            w[i] = std::uint32_t{data[block + 4 * i]} << 24 | std::uint32_t{data[block + 4 * i + 1]} << 16 |
                   std::uint32_t{data[block + 4 * i + 2]} << 8 | std::uint32_t{data[block + 4 * i + 3]};
        }
        for (int i = 16; i < 80; ++i) w[i] = rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int i = 0; i < 80; ++i) {
            std::uint32_t f, k;
            if (i < 20) {
                f = (b & c) | (~b & d), k = 0x5A827999;
            } else if (i < 40) {
                f = b ^ c ^ d, k = 0x6ED9EBA1;
            } else if (i < 60) {
                f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDC;
            } else {
                f = b ^ c ^ d, k = 0xCA62C1D6;
            }
            const std::uint32_t t = rotl(a, 5) + f + e + k + w[i];
            e = d, d = c, c = rotl(b, 30), b = a, a = t;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
    }
    char hex[41];
    std::snprintf(hex, sizeof hex, "%08X%08X%08X%08X%08X", static_cast<unsigned>(h[0]),
                  static_cast<unsigned>(h[1]), static_cast<unsigned>(h[2]),
                  static_cast<unsigned>(h[3]), static_cast<unsigned>(h[4]));
    return hex;
}

class IncludeOnceTest : public TreeTest {
protected:
    // The guard name of the file at `absolute`, as a user would work it out.
    static std::string Guard(const std::string& readable, const std::string& absolute) {
        return "__" + readable + "_" + Reference_Sha1_Hex(absolute);
    }
    static std::string Guard_Block(const std::string& guard, const std::string& display) {
        return "#ifndef " + guard + "\n#define " + guard + "\n#else // !" + guard +
               "\n#error \"include once error: file '" + display + "' is already included\"\n" +
               "#endif // !" + guard + "\n";
    }
    static std::string Check_Block(const std::string& guard, const std::string& display) {
        return "#ifndef " + guard + "\n#error \"include once error: file '" + display +
               "' is not included\"\n#endif // !" + guard + "\n";
    }
};

TEST(ReferenceSha1Test, KnownDigests) {
    EXPECT_EQ(Reference_Sha1_Hex(""), "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709");
    EXPECT_EQ(Reference_Sha1_Hex("abc"), "A9993E364706816ABA3E25717850C26C9CD0D89D");
}

TEST_F(IncludeOnceTest, HeaderIncludedTwice) {
    Write("main.cl", "#include \"a.h\"\n#include \"a.h\"\nend\n");
    Write("a.h", "a\n");
    const RunResult r = Run_Tool({"-io", "-i", "main.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string a = root_ + "/a.h";
    const std::string g = Guard("A_H", a);
    EXPECT_EQ(Read("out.txt"), "// #include " + a + "\n" + Guard_Block(g, "a.h") +
                                   "#line 1 // \"a.h\"\na\n#line 2 // \"main.cl\"\n"
                                   "// #include " + a + "\n" + Check_Block(g, "a.h") +
                                   "#line 3 // \"main.cl\"\nend\n");
}

TEST_F(IncludeOnceTest, SameFileThroughAnotherName) {
    Write("src/main.cl", "#include \"../inc/a.h\"\n#include <a.h>\n");
    Write("inc/a.h", "a\n");
    const RunResult r = Run_Tool({"-io", "-nfln", "-I", "inc", "-i", "src/main.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string a = root_ + "/inc/a.h";
    const std::string g = Guard("A_H", a);
    EXPECT_EQ(Read("out.txt"), "// #include " + a + "\n" + Guard_Block(g, "../inc/a.h") + "a\n" +
                                   "// #include " + a + "\n" + Check_Block(g, "a.h"));
}

TEST_F(IncludeOnceTest, FirstInputIncludedByItself) {
    // Being the first input does not enter the file: its first inclusion is expanded once more.
    Write("main.cl", "#include \"main.cl\"\nx\n");
    const RunResult r = Run_Tool({"-io", "-i", "main.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string m = root_ + "/main.cl";
    const std::string g = Guard("MAIN_CL", m);
    EXPECT_EQ(Read("out.txt"), "// #include " + m + "\n" + Guard_Block(g, "main.cl") +
                                   "#line 1 // \"main.cl\"\n// #include " + m + "\n" +
                                   Check_Block(g, "main.cl") + "#line 2 // \"main.cl\"\nx\n" +
                                   "#line 2 // \"main.cl\"\nx\n");
}

TEST_F(IncludeOnceTest, LaterInputs) {
    Write("a.cl", "#include \"b.h\"\n");
    Write("b.h", "b\n");
    const std::string b = root_ + "/b.h";
    const std::string g = Guard("B_H", b);

    // Already seen: only the check lines, under the name as typed.
    RunResult r = Run_Tool({"-io", "-nfln", "-i", "a.cl", "-i", b, "-o", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read("out.txt"), "// #include " + b + "\n" + Guard_Block(g, "b.h") + "b\n" +
                                   Check_Block(g, b));

    // A later input is guarded by the key of its name as typed, made absolute, not normalized.
    r = Run_Tool({"-io", "-nfln", "-i", "a.cl", "-i", "./b.h", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string g2 = Guard("B_H", root_ + "/./b.h");
    EXPECT_EQ(Read("out.txt"), "// #include " + b + "\n" + Guard_Block(g, "b.h") + "b\n" +
                                   Guard_Block(g2, "./b.h") + "b\n");

    // Without include-once nothing is guarded.
    r = Run_Tool({"-nfln", "-i", "a.cl", "-i", "./b.h", "-o", "out.txt"});
    EXPECT_EQ(Read("out.txt"), "// #include " + b + "\nb\nb\n");
}

TEST_F(IncludeOnceTest, ReadablePartAndVerbose) {
    Write("a.cl", "#include \"sub/fft2d-radix.cl\"\n");
    Write("sub/fft2d-radix.cl", "#include \"Tw\xC3\xA4.h\"\n#include \"Tw\xC3\xA4.h\"\n");
    Write("sub/Tw\xC3\xA4.h", "t\n");
    const RunResult r = Run_Tool({"-v", "-io", "-nfln", "-i", "a.cl", "-o", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string fft = root_ + "/sub/fft2d-radix.cl";
    const std::string tw = root_ + "/sub/Tw\xC3\xA4.h";
    const std::string g1 = Guard("FFT2D_RADIX_CL", fft);
    const std::string g2 = Guard("TW___H", tw);
    EXPECT_EQ(Read("out.txt"), "// #include " + fft + "\n" + Guard_Block(g1, "sub/fft2d-radix.cl") +
                                   "// #include " + tw + "\n" + Guard_Block(g2, "Tw\xC3\xA4.h") +
                                   "t\n// #include " + tw + "\n" + Check_Block(g2, "Tw\xC3\xA4.h"));
    const std::string banner = "Quillfold 1.01 (built " + std::string(__DATE__) + ")\n\n";
    EXPECT_EQ(r.out, banner + "loading 'a.cl' ...\n"
                              "    recursing to 'sub/fft2d-radix.cl' (resolved as '" + fft + "')\n"
                              "        recursing to 'Tw\xC3\xA4.h' (resolved as '" + tw + "')\n"
                              "        skipping 'Tw\xC3\xA4.h' (resolved as '" + tw + "')\n");
}

}  // namespace
