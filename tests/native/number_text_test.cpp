#include "common/number_text.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(DecimalToInt32, ReadsLikeAtoiWithinRange) {
    EXPECT_EQ(decimalToInt32("42"), 42);
    EXPECT_EQ(decimalToInt32("  -7xyz"), -7);
    EXPECT_EQ(decimalToInt32("+007"), 7);
    EXPECT_EQ(decimalToInt32("12abc"), 12);
    EXPECT_EQ(decimalToInt32("abc"), 0);
    EXPECT_EQ(decimalToInt32(""), 0);
    EXPECT_EQ(decimalToInt32(nullptr), 0);
}

TEST(DecimalToInt32, ClampsBeyondThe32BitRange) {
    EXPECT_EQ(decimalToInt32("2147483647"), 2147483647);
    EXPECT_EQ(decimalToInt32("2147483648"), 2147483647);
    EXPECT_EQ(decimalToInt32("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(decimalToInt32("-2147483649"), -2147483647 - 1);
    EXPECT_EQ(decimalToInt32("99999999999"), 2147483647);
    EXPECT_EQ(decimalToInt32("123456789012345678901234567890123456789"), 2147483647);
}

TEST(ClampToInt32, ClampsAndTruncates) {
    EXPECT_EQ(clampToInt32(1536.9), 1536);
    EXPECT_EQ(clampToInt32(-1.5), -1);
    EXPECT_EQ(clampToInt32(1e300), 2147483647);
    EXPECT_EQ(clampToInt32(-1e300), -2147483647 - 1);
    EXPECT_EQ(clampToInt32(std::nan("")), 0);
}
