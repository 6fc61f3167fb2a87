#include "common/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

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

TEST(DecimalToDouble, ReadsOnlyThePlainDecimalForm) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"1.5", 1.5},   {"  -2MB", -2.0}, {"+.5e1x", 5.0}, {"3.", 3.0},  {"1e3", 1000.0},
        {"2e", 2.0},    {"0x10", 0.0},    {"inf", 0.0},    {"nan", 0.0}, {".", 0.0},
        {"", 0.0},      {nullptr, 0.0},
    };
    for (const Case& c : cases) {
        const double value = decimalToDouble(c.text);
        EXPECT_EQ(value, c.expected) << (c.text != nullptr ? c.text : "(null)");
    }
}

TEST(DecimalToDouble, StaysFiniteBeyondTheDoubleRange) {
    EXPECT_EQ(decimalToDouble("1e999"), std::numeric_limits<double>::max());
    EXPECT_EQ(decimalToDouble("-1e999"), -std::numeric_limits<double>::max());
    EXPECT_EQ(decimalToDouble("1e-999"), 0.0);
}

TEST(DecimalToDouble, ReadsTheSameInACommaLocale) {
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE", "fr_FR.UTF-8", "German_Germany.1252"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    const double value = decimalToDouble("1.5");
    std::setlocale(LC_NUMERIC, "C");
    if (chosen == nullptr) {
        GTEST_SKIP() << "no comma locale on this machine";
    }
    EXPECT_EQ(value, 1.5) << chosen;
}
