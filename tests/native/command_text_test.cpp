#include "common/command_text.h"

#include <gtest/gtest.h>

#include <string>

#include "common/heap.h"

TEST(CommandText, ConstructionCapacityAtTheBoundary) {
    const std::string exact(256, 'a');
    const std::string over(257, 'a');
    const struct {
        const char* text;
        std::uint32_t capacity;
    } cases[] = {{nullptr, 256u}, {"", 256u}, {exact.c_str(), 256u}, {over.c_str(), 385u}};
    for (const auto& c : cases) {
        CommandText command(c.text);
        const std::string expected = c.text != nullptr ? c.text : "";
        EXPECT_EQ(command.text(), expected);
        EXPECT_EQ(command.length(), expected.size());
        EXPECT_EQ(command.capacity(), c.capacity) << expected.size();
    }
    EXPECT_EQ(CommandText().capacity(), 256u);
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
