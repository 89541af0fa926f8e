#include "digest/sha1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

// The digest of `message` fed in pieces of `size` bytes (0: whole). Once final, the digest
// refuses more bytes.
std::string Digest(const std::string& message, std::size_t size = 0) {
    Sha1Digest digest;
    digest.Init();
    for (std::size_t at = 0; at < message.size(); at += size) {
        if (size == 0) size = message.size();
        EXPECT_TRUE(digest.Update(message.data() + at, std::min(size, message.size() - at)));
    }
    EXPECT_TRUE(digest.Update("", 0));
    digest.Final();
    EXPECT_FALSE(digest.Update("x", 1));
    const std::uint32_t* w = digest.Words();
    char text[41];
    std::snprintf(text, sizeof text, "%08x%08x%08x%08x%08x", unsigned(w[0]), unsigned(w[1]),
                  unsigned(w[2]), unsigned(w[3]), unsigned(w[4]));
    return text;
}

TEST(Sha1Digest, StandardVectorsAndPaddingBoundaries) {
    std::string run;  // "abc...zabc..."
    while (run.size() < 65) run += char('a' + run.size() % 26);
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        // the run cut at the padding boundaries
        {run.substr(0, 55), "a617d006d1ca12671785098a19a87fe58443bde9"},
        {run.substr(0, 56), "4ad5bb7ae3c4024768d364b77c52128ea3cffebe"},
        {run.substr(0, 63), "fc8a5ab77259625085ead3ec96515b3b8d933fad"},
        {run.substr(0, 64), "93249d4c2f8903ebf41ac358473148ae6ddd7042"},
        {run, "cf2a63cc308225cf07b498d2309a01dd0df52f67"},
    };
    for (const auto& [message, expected] : cases) {
        SCOPED_TRACE("length " + std::to_string(message.size()));
        for (const std::size_t size : {0, 1, 7, 63, 64, 65}) {
            EXPECT_EQ(Digest(message, size), expected) << "in pieces of " << size;
        }
    }
}

}  // namespace
