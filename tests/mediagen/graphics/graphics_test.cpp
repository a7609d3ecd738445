#include <gtest/gtest.h>
TEST(MediaGraphics, Placeholder) {
    EXPECT_TRUE(true);
}
