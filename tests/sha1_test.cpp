#include "digest/sha1.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Hex(const Sha1Digest& digest) {
    const std::uint32_t* w = digest.Words();
    char text[41];
    std::snprintf(text, sizeof text, "%08x%08x%08x%08x%08x", unsigned(w[0]), unsigned(w[1]),
                  unsigned(w[2]), unsigned(w[3]), unsigned(w[4]));
    return text;
}

// Digest of `message` fed as consecutive pieces of the given sizes; the rest goes in last.
std::string Digest_In_Pieces(const std::string& message, const std::vector<std::size_t>& sizes) {
    Sha1Digest digest;
    digest.Init();
    std::size_t at = 0;
    for (std::size_t size : sizes) {
        EXPECT_TRUE(digest.Update(message.data() + at, size));
        at += size;
    }
    EXPECT_TRUE(digest.Update(message.data() + at, message.size() - at));
    digest.Final();
    return Hex(digest);
}

std::string Alphabet_Run(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += char('a' + i % 26);
    }
    return text;
}

}  // namespace

TEST(Sha1Digest, StandardVectors) {
    struct Case {
        std::string message;
        const char* expected;
    };
    const Case cases[] = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopq"
         "rlmnopqrsmnopqrstnopqrstu",
         "a49b2446a02c645bf419f995b67091253a04a259"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("length " + std::to_string(c.message.size()));
        EXPECT_EQ(Digest_In_Pieces(c.message, {}), c.expected);
    }
}

TEST(Sha1Digest, PaddingBoundariesWholeAndSplit) {
    // Messages are "abc...zabc..." cut to the length; digests taken with sha1sum.
    struct Case {
        std::size_t length;
        const char* expected;
    };
    const Case cases[] = {
        {55, "a617d006d1ca12671785098a19a87fe58443bde9"},
        {56, "4ad5bb7ae3c4024768d364b77c52128ea3cffebe"},
        {63, "fc8a5ab77259625085ead3ec96515b3b8d933fad"},
        {64, "93249d4c2f8903ebf41ac358473148ae6ddd7042"},
        {65, "cf2a63cc308225cf07b498d2309a01dd0df52f67"},
    };
    for (const Case& c : cases) {
        const std::string message = Alphabet_Run(c.length);
        SCOPED_TRACE("length " + std::to_string(c.length));
        EXPECT_EQ(Digest_In_Pieces(message, {}), c.expected);
        for (std::size_t split = 0; split <= c.length; ++split) {
            SCOPED_TRACE("split at " + std::to_string(split));
            EXPECT_EQ(Digest_In_Pieces(message, {split}), c.expected);
        }
        SCOPED_TRACE("one byte at a time");
        EXPECT_EQ(Digest_In_Pieces(message, std::vector<std::size_t>(c.length, 1)), c.expected);
    }
}

TEST(Sha1Digest, FinishedDigestStaysPut) {
    Sha1Digest digest;
    digest.Init();
    ASSERT_TRUE(digest.Update("abc", 3));
    digest.Final();
    const std::string result = Hex(digest);
    ASSERT_EQ(result, "a9993e364706816aba3e25717850c26c9cd0d89d");

    EXPECT_FALSE(digest.Update("def", 3));
    EXPECT_EQ(Hex(digest), result);
    digest.Final();
    EXPECT_EQ(Hex(digest), result);
    EXPECT_FALSE(digest.Update("", 0));
    EXPECT_EQ(Hex(digest), result);
}
