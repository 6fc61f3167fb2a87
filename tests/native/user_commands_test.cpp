#include "pages/users/user_commands.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "common/command_text.h"

TEST(SpecialListFlags, RowsMatchTheFlagCombo) {
    EXPECT_STREQ(specialListFlags[0].displayText, "Siteop");
    EXPECT_STREQ(specialListFlags[0].keyword, "SITEOP");
    EXPECT_STREQ(specialListFlags[1].keyword, "GADMIN");
    EXPECT_STREQ(specialListFlags[4].displayText, "Deleted");
    EXPECT_STREQ(specialListFlags[16].displayText, "Leech");
    EXPECT_STREQ(specialListFlags[16].keyword, "LEECH");
}

TEST(ReadAmountMb, ReadsTheLeadingDecimalNumber) {
    EXPECT_EQ(readAmountMb("1.5"), 1.5);
    EXPECT_EQ(readAmountMb("  \t-2"), -2.0);
    EXPECT_EQ(readAmountMb("+.5e1MB"), 5.0);
    EXPECT_EQ(readAmountMb("3."), 3.0);
    EXPECT_EQ(readAmountMb("0.0001"), 0.0001);
    EXPECT_EQ(readAmountMb("0.1"), 0.1);
    EXPECT_EQ(readAmountMb("2097151.999"), 2097151.999);
    EXPECT_EQ(readAmountMb("12e"), 12.0);    // an exponent needs digits
    EXPECT_EQ(readAmountMb("12e+x"), 12.0);
    EXPECT_EQ(readAmountMb("1.5e-3"), 0.0015);
    EXPECT_EQ(readAmountMb("000000000000000000000000042"), 42.0);
    EXPECT_DOUBLE_EQ(readAmountMb("123456789012345678901234567890"), 1.2345678901234568e29);
}

TEST(ReadAmountMb, TextsThatAreNoDecimalNumberGiveZero) {
    for (const char* text : {"", "abc", ".", "-", "+.", "e5", "inf", "nan", "infinity", " x1"}) {
        EXPECT_EQ(readAmountMb(text), 0.0) << text;
    }
    EXPECT_EQ(readAmountMb(nullptr), 0.0);
    EXPECT_EQ(readAmountMb("0x10"), 0.0);  // the 0 is read, the x ends the number
}

TEST(ReadAmountMb, StaysFiniteBeyondTheDoubleRange) {
    EXPECT_EQ(readAmountMb("1e999"), DBL_MAX);
    EXPECT_EQ(readAmountMb("-9e99999999999999999999"), -DBL_MAX);
    EXPECT_EQ(readAmountMb("1e-999"), 0.0);
    EXPECT_EQ(readAmountMb(std::string(400, '9').c_str()), DBL_MAX);
}

TEST(FormatAmountMb, OneDecimalAndNoOverrunForAnyFiniteAmount) {
    char text[amountTextSize];
    formatAmountMb(0.0, text, sizeof text);
    EXPECT_STREQ(text, "0.0");
    formatAmountMb(3.0, text, sizeof text);
    EXPECT_STREQ(text, "3.0");
    formatAmountMb(-DBL_MAX, text, sizeof text);
    EXPECT_EQ(std::strlen(text), 312u);
    // The edit shows it and reading it back gives the same amount again.
    EXPECT_EQ(readAmountMb(text), -DBL_MAX);
}

TEST(CreditKilobytes, TruncatesTowardZeroWithinThe32BitRange) {
    std::int32_t kilobytes = 7;
    ASSERT_TRUE(creditKilobytes(1.5, kilobytes));
    EXPECT_EQ(kilobytes, 1536);
    ASSERT_TRUE(creditKilobytes(0.0001, kilobytes));
    EXPECT_EQ(kilobytes, 0);
    ASSERT_TRUE(creditKilobytes(-2.0, kilobytes));
    EXPECT_EQ(kilobytes, -2048);
    ASSERT_TRUE(creditKilobytes(-0.9 / 1024.0, kilobytes));
    EXPECT_EQ(kilobytes, 0);
    ASSERT_TRUE(creditKilobytes(2097151.999, kilobytes));
    EXPECT_EQ(kilobytes, 2147483646);
    ASSERT_TRUE(creditKilobytes(2097151.9999999, kilobytes));
    EXPECT_EQ(kilobytes, 2147483647);
    ASSERT_TRUE(creditKilobytes(-2097152.0, kilobytes));
    EXPECT_EQ(kilobytes, -2147483647 - 1);
}

TEST(CreditKilobytes, RefusesCountsOutsideThe32BitRange) {
    std::int32_t kilobytes = 7;
    EXPECT_FALSE(creditKilobytes(2097152.0, kilobytes));
    EXPECT_FALSE(creditKilobytes(-2097152.001, kilobytes));
    EXPECT_FALSE(creditKilobytes(DBL_MAX, kilobytes));
    EXPECT_FALSE(creditKilobytes(-DBL_MAX, kilobytes));
    EXPECT_FALSE(creditKilobytes(std::nan(""), kilobytes));
    EXPECT_EQ(kilobytes, 7);
}

TEST(BuildCreditCommand, JoinsUserKilobytesAndAMessageThatIsThere) {
    CommandText command;
    ASSERT_TRUE(buildCreditCommand(command, "GIVE", "alice", 1.5, nullptr));
    EXPECT_STREQ(command.text(), "SITE GIVE alice 1536");
    ASSERT_TRUE(buildCreditCommand(command, "TAKE", "bob", 1.5, ""));
    EXPECT_STREQ(command.text(), "SITE TAKE bob 1536");
    ASSERT_TRUE(buildCreditCommand(command, "GIVE", "alice", -2, "for the fill"));
    EXPECT_STREQ(command.text(), "SITE GIVE alice -2048 for the fill");
    ASSERT_TRUE(buildCreditCommand(command, "GIVE", "alice", 1, "  "));
    EXPECT_STREQ(command.text(), "SITE GIVE alice 1024   ");
}

TEST(BuildCreditCommand, AnAmountOutOfRangeBuildsNothing) {
    CommandText command("untouched");
    EXPECT_FALSE(buildCreditCommand(command, "GIVE", "alice", 2097152.0, "x"));
    EXPECT_STREQ(command.text(), "untouched");
}
