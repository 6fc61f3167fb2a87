#include "common/command_text.h"

#include <gtest/gtest.h>

#include <string>

#include "common/heap.h"

TEST(CommandText, StartsEmptyWithRoomFor256) {
    CommandText command;
    EXPECT_STREQ(command.text(), "");
    EXPECT_EQ(command.length(), 0u);
    EXPECT_EQ(command.capacity(), 256u);
}

TEST(CommandText, ConstructionCapacityAtTheBoundary) {
    const std::string exact(256, 'a');
    const std::string over(257, 'a');
    CommandText fits(exact.c_str());
    CommandText grows(over.c_str());
    EXPECT_EQ(fits.capacity(), 256u);
    EXPECT_EQ(grows.capacity(), 385u);
    EXPECT_EQ(grows.text(), over);
    CommandText fromNull(nullptr);
    EXPECT_STREQ(fromNull.text(), "");
    EXPECT_EQ(fromNull.capacity(), 256u);
}

TEST(CommandText, AppendsUpTo256WithoutGrowingThenGrowsBy128) {
    CommandText command;
    command.assign("SITE ");
    command.append(std::string(251, 'x').c_str());
    EXPECT_EQ(command.length(), 256u);
    EXPECT_EQ(command.capacity(), 256u);
    command.append("y");
    EXPECT_EQ(command.length(), 257u);
    EXPECT_EQ(command.capacity(), 257u + 128u);
    EXPECT_EQ(std::string(command.text()), "SITE " + std::string(251, 'x') + "y");
}

TEST(CommandText, AssignGrowsOnlyWhenNeededAndNullEmpties) {
    CommandText command;
    command.assign(std::string(300, 'b').c_str());
    EXPECT_EQ(command.capacity(), 428u);
    command.assign(nullptr);
    EXPECT_STREQ(command.text(), "");
    EXPECT_EQ(command.length(), 0u);
    EXPECT_EQ(command.capacity(), 428u);
    command.assign("SITE USER");
    EXPECT_EQ(command.capacity(), 428u);
    command.append(static_cast<const char*>(nullptr));
    EXPECT_STREQ(command.text(), "SITE USER");
}

TEST(CommandText, AppendsNumbersAsDecimalText) {
    CommandText command("SITE WKUP ");
    command.appendNumber(-5);
    command.append(" ");
    command.appendNumber(2147483647);
    EXPECT_STREQ(command.text(), "SITE WKUP -5 2147483647");
}

TEST(CommandText, FreesEverythingItAllocated) {
    const auto before = liveHeapBlocks();
    {
        CommandText command("SITE ");
        for (int i = 0; i < 100; ++i) {
            command.append("0123456789");
        }
        EXPECT_EQ(command.length(), 1005u);
    }
    EXPECT_EQ(liveHeapBlocks(), before);
}
