#include "common/ip_mask.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/heap.h"
#include "common/text_utils.h"

namespace {

std::string normalised(const std::string& entry) {
    char* mask = normaliseIpMask(entry.c_str());
    std::string result = mask;
    freeText(mask);
    return result;
}

struct Example {
    const char* entry;
    const char* mask;
};

const Example examples[] = {
    {"10.0.0.1", "*@10.0.0.1"},
    {"1", "*@1.*.*.*"},
    {"10.0", "*@10.0.*.*"},
    {"10.", "*@10.*.*.*"},
    {"192.168.1", "*@192.168.1.*"},
    {"192.168.1.", "*@192.168.1.*"},
    {".1.2.3", "*@*.1.2.3"},
    {"1..3", "*@1.*.3.*"},
    {"...", "*@*.*.*.*"},
    {"1.2.3.4.5", "*@1.2.3.4.5"},
    {"", "*@*.*.*.*"},
    {"ident@10.0", "ident@10.0.*.*"},
    {"@10.0", "*@10.0.*.*"},
    {"ident@", "ident@*.*.*.*"},
    {"@", "*@*.*.*.*"},
    {"*@10.0.0.1", "*@10.0.0.1"},
    {"ident@gateway", "ident@gateway"},
    {"192.168.*", "*@192.168.*"},
    {"gateway", "*@gateway"},
    {"a@b@1.2", "a@b@1.2"},
};

}  // namespace

TEST(NormaliseIpMask, WorkedExamples) {
    for (const Example& example : examples) {
        EXPECT_EQ(normalised(example.entry), example.mask) << "entry: " << example.entry;
    }
}

TEST(NormaliseIpMask, MoreFieldShapes) {
    EXPECT_EQ(normalised("."), "*@*.*.*.*");
    EXPECT_EQ(normalised(".."), "*@*.*.*.*");
    EXPECT_EQ(normalised("1.2.."), "*@1.2.*.*");
    EXPECT_EQ(normalised("1.2.3.."), "*@1.2.3..");   // after the third dot the rest stays
    EXPECT_EQ(normalised("...."), "*@*.*.*..");
    EXPECT_EQ(normalised("@@1"), "*@@1");
    EXPECT_EQ(normalised("10.0.0.1 "), "*@10.0.0.1 ");  // a blank is not a digit
}

TEST(NormaliseIpMask, ResultsAreStable) {
    const char* const more[] = {".", "....", "1.2.3..", "@@1", "@.", "x@@", "\xff.1"};
    for (const Example& example : examples) {
        const std::string once = normalised(example.entry);
        EXPECT_EQ(normalised(once), once) << "entry: " << example.entry;
    }
    for (const char* entry : more) {
        const std::string once = normalised(entry);
        EXPECT_EQ(normalised(once), once) << "entry: " << entry;
    }
}

TEST(NormaliseIpMask, OneBlockNeverLongerThanTheEntryPlusNine) {
    const std::int32_t before = liveHeapBlocks();
    const std::string entries[] = {"", "@", "...", std::string(5000, '1'), std::string(5000, '.'),
                                   std::string(300, 'x') + "@" + std::string(300, '.')};
    for (const std::string& entry : entries) {
        char* mask = normaliseIpMask(entry.c_str());
        EXPECT_EQ(liveHeapBlocks(), before + 1);
        EXPECT_LE(std::strlen(mask), entry.size() + 9);
        freeText(mask);
    }
    EXPECT_EQ(liveHeapBlocks(), before);
}

TEST(NormaliseIpMask, LeavesTheEntryUnchanged) {
    char entry[] = "10.0";
    char* mask = normaliseIpMask(entry);
    EXPECT_STREQ(entry, "10.0");
    freeText(mask);
}
