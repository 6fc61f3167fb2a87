#include "pages/users/user_commands.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "common/command_text.h"

TEST(ReadAmountMb, ReadsOnlyTheLeadingDecimalNumber) {
    const std::string nines(400, '9');
    const struct {
        const char* text;
        double amount;
    } cases[] = {
        {"1.5", 1.5},          {"  \t-2", -2.0},     {"+.5e1MB", 5.0},
        {"3.", 3.0},           {"0.0001", 0.0001},   {"0.1", 0.1},
        {"2097151.999", 2097151.999},
        {"12e", 12.0},         {"12e+x", 12.0},  // an exponent needs digits
        {"1.5e-3", 0.0015},    {"000000000000000000000000042", 42.0},
        // No decimal number: 0.
        {"", 0.0}, {"abc", 0.0}, {".", 0.0}, {"-", 0.0}, {"+.", 0.0}, {"e5", 0.0},
        {"inf", 0.0}, {"nan", 0.0}, {"infinity", 0.0}, {" x1", 0.0}, {nullptr, 0.0},
        {"0x10", 0.0},  // the 0 is read, the x ends the number
        // Always finite, whatever the exponent.
        {"1e999", DBL_MAX}, {"-9e99999999999999999999", -DBL_MAX}, {"1e-999", 0.0},
        {nines.c_str(), DBL_MAX},
    };
    for (const auto& c : cases) {
        // Stored as the page stores it: on x87 the returned value may carry
        // more precision than a double until it is.
        const volatile double amount = readAmountMb(c.text);
        EXPECT_EQ(amount, c.amount) << (c.text != nullptr ? c.text : "(null)");
    }
    EXPECT_DOUBLE_EQ(readAmountMb("123456789012345678901234567890"), 1.2345678901234568e29);
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

TEST(CreditKilobytes, TruncatesTowardZeroAndRefusesCountsOutsideThe32BitRange) {
    const struct {
        double amountMb;
        bool inRange;
        std::int32_t kilobytes;
    } cases[] = {
        {1.5, true, 1536},
        {0.0001, true, 0},
        {-2.0, true, -2048},
        {-0.9 / 1024.0, true, 0},
        {2097151.999, true, 2147483646},
        {2097151.9999999, true, 2147483647},
        {-2097152.0, true, -2147483647 - 1},
        {2097152.0, false, 0},
        {-2097152.001, false, 0},
        {DBL_MAX, false, 0},
        {-DBL_MAX, false, 0},
        {std::nan(""), false, 0},
    };
    for (const auto& c : cases) {
        std::int32_t kilobytes = 7;
        ASSERT_EQ(creditKilobytes(c.amountMb, kilobytes), c.inRange) << c.amountMb;
        // A refused amount leaves the count untouched.
        EXPECT_EQ(kilobytes, c.inRange ? c.kilobytes : 7) << c.amountMb;
    }
}

TEST(BuildCreditCommand, JoinsUserKilobytesAndAMessageThatIsThere) {
    const struct {
        const char* keyword;
        double amountMb;
        const char* message;
        const char* line;
    } cases[] = {
        {"GIVE", 1.5, nullptr, "SITE GIVE alice 1536"},
        {"TAKE", 1.5, "", "SITE TAKE alice 1536"},
        {"GIVE", -2, "for the fill", "SITE GIVE alice -2048 for the fill"},
        {"GIVE", 1, "  ", "SITE GIVE alice 1024   "},
        {"GIVE", 2097152.0, "x", "untouched"},  // out of range: nothing built
    };
    for (const auto& c : cases) {
        CommandText command("untouched");
        EXPECT_EQ(buildCreditCommand(command, c.keyword, "alice", c.amountMb, c.message),
                  std::strcmp(c.line, "untouched") != 0);
        EXPECT_STREQ(command.text(), c.line);
    }
}
