#include "digest/sha1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

TEST(Sha1Digest, VectorsInPieces) {
    // The second message leaves no room for the length in its last block; the third spans two.
    for (const auto& [message, expected] :
         {std::pair<std::string, std::string>{"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
          {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
           "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
          {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmno"
           "ijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
           "a49b2446a02c645bf419f995b67091253a04a259"}}) {
        for (const std::size_t size : {1, 7, 64}) {
            Sha1Digest digest;
            digest.Init();
            for (std::size_t at = 0; at < message.size(); at += size) {
                EXPECT_TRUE(digest.Update(&message[at], std::min(size, message.size() - at)));
            }
            digest.Final();
            EXPECT_FALSE(digest.Update("x", 1));
            const std::uint32_t* w = digest.Words();
            char text[41];
            std::snprintf(text, sizeof text, "%08x%08x%08x%08x%08x", unsigned(w[0]), unsigned(w[1]),
                          unsigned(w[2]), unsigned(w[3]), unsigned(w[4]));
            EXPECT_EQ(text, expected) << "in pieces of " << size;
        }
    }
    // Many whole blocks handed over in one piece: the alphabet over and over, 1000 letters.
    std::string alphabet;
    for (int i = 0; i < 1000; ++i) alphabet.push_back(static_cast<char>('a' + i % 26));
    EXPECT_EQ(Sha1_Hex(alphabet), "0C1E754AD8A0130E18BF2D3B0A57E29AD95E75CD");
}

}  // namespace
