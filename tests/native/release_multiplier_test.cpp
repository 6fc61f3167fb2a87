#include "dialogs/release_multiplier.h"

#include <gtest/gtest.h>

TEST(SteppedMultiplier, UpAddsOneAndDownTakesOneButNeverBelowZero) {
    EXPECT_EQ(steppedMultiplier("1", -1), 2);  // the up arrow proposes a negative change
    EXPECT_EQ(steppedMultiplier("1", 1), 0);
    EXPECT_EQ(steppedMultiplier("0", 1), 0);
    EXPECT_EQ(steppedMultiplier("0", 0), 0);  // a zero change counts as down
    EXPECT_EQ(steppedMultiplier("007", -5), 8);
    EXPECT_EQ(steppedMultiplier("", -1), 1);
    EXPECT_EQ(steppedMultiplier("abc", 1), 0);
    EXPECT_EQ(steppedMultiplier("-9", -1), 0);
}

TEST(SteppedMultiplier, StaysInsideThe32BitRange) {
    EXPECT_EQ(steppedMultiplier("2147483647", -1), 2147483647);
    EXPECT_EQ(steppedMultiplier("99999999999", -1), 2147483647);
    EXPECT_EQ(steppedMultiplier("99999999999", 1), 2147483646);
    EXPECT_EQ(steppedMultiplier("-99999999999", -1), 0);
}
