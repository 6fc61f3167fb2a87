#include "common/ip_mask.h"

#include <gtest/gtest.h>

#include <cstdio>
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
    // Further field shapes.
    {".", "*@*.*.*.*"},
    {"..", "*@*.*.*.*"},
    {"1.2..", "*@1.2.*.*"},
    {"1.2.3..", "*@1.2.3.."},  // after the third dot the rest stays
    {"....", "*@*.*.*.."},
    {"@@1", "*@@1"},
    {"@.", "*@*.*.*.*"},
    {"x@@", "x@@"},
    {"\xff.1", "*@\xff.1"},
    {"10.0.0.1 ", "*@10.0.0.1 "},  // a blank is not a digit
};

}  // namespace

// Each example's result, its stability, and an entry left as it was.
TEST(NormaliseIpMask, ExamplesAreStableAndLeaveTheEntryUnchanged) {
    for (const Example& example : examples) {
        char entry[64];
        std::snprintf(entry, sizeof entry, "%s", example.entry);
        char* mask = normaliseIpMask(entry);
        EXPECT_STREQ(mask, example.mask) << "entry: " << example.entry;
        EXPECT_STREQ(entry, example.entry);
        EXPECT_EQ(normalised(mask), mask) << "entry: " << example.entry;
        freeText(mask);
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
