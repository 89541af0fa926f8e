// Tests built against a test framework compiled from its one joined source.
#include <gtest/gtest.h>

TEST(Joined, Adds) {
    EXPECT_EQ(2 + 2, 4);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
