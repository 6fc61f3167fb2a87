#include "common/fill_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/heap.h"
#include "common/text_utils.h"

namespace {

// Names that differ in case only, by a sign, a digit, a prefix, a byte past
// ASCII: where an inconsistent order would show.
const std::vector<std::string> trickyNames = {
    "",      "a",      "A",     "ab",    "aB",    "Ab",    "AB",     "a_b",  "a-b",
    "a b",   "a1",     "a10",   "a9",    "_a",    "1a",    "bob",    "Bob",  "bobby",
    "BOBBY", "b\xe9", "b\xc9", "z",     "Z",     "~",     "zz_top", "!",    "0"};

int sign(int value) {
    return (value > 0) - (value < 0);
}

}  // namespace

// std::sort over a comparison that is not a strict order may run past the
// array, so the order must be total and consistent for any texts.
TEST(FillOrder, IsATotalOrderOverAnyTexts) {
    for (const std::string& a : trickyNames) {
        EXPECT_EQ(compareForFill(a.c_str(), a.c_str()), 0) << a;
        for (const std::string& b : trickyNames) {
            const int ab = sign(compareForFill(a.c_str(), b.c_str()));
            EXPECT_EQ(ab, -sign(compareForFill(b.c_str(), a.c_str()))) << a << " / " << b;
            EXPECT_EQ(ab == 0, a == b) << a << " / " << b;
            for (const std::string& c : trickyNames) {
                if (ab < 0 && compareForFill(b.c_str(), c.c_str()) < 0) {
                    EXPECT_LT(compareForFill(a.c_str(), c.c_str()), 0) << a << " < " << b << " < " << c;
                }
            }
        }
    }
    EXPECT_EQ(compareForFill(nullptr, ""), 0);
    EXPECT_LT(compareForFill(nullptr, "a"), 0);
}

// Close to how the sorting controls order names, so that a fill in this
// order appends at one end: case does not separate names, signs come first.
TEST(FillOrder, FollowsTheSortingControlsForOrdinaryNames) {
    const std::vector<std::pair<std::string, std::string>> ascending = {
        {"alice", "Bob"}, {"bob", "Bob"},    {"Bob", "bobby"}, {"a_b", "a1"},
        {"a1", "ab"},     {"a10", "a9"},     {"!x", "0"},      {"9", "a"},
        {"z", "\xe9t\xe9"}, {"grp", "grp0"},
    };
    for (const auto& pair : ascending) {
        EXPECT_LT(compareForFill(pair.first.c_str(), pair.second.c_str()), 0)
            << pair.first << " before " << pair.second;
    }
}

TEST(FillOrder, HandsOverEveryNodeOnceInEitherDirection) {
    const auto before = liveHeapBlocks();
    NamePairList* rows = nullptr;
    for (const char* name : {"carol", "alice", "Bob", "alice", "dave"}) {
        appendPair(rows, name, "info");
    }
    auto nameOf = [](const NamePairList* row) { return row->name; };
    for (bool descending : {false, true}) {
        const NamePairList** order = nodesInFillOrder(rows, 5, nameOf, descending);
        std::vector<std::string> names;
        std::vector<const NamePairList*> nodes;
        for (int i = 0; i < 5; ++i) {
            names.push_back(order[i]->name);
            nodes.push_back(order[i]);
        }
        std::vector<std::string> expected = {"alice", "alice", "Bob", "carol", "dave"};
        if (descending) {
            std::reverse(expected.begin(), expected.end());
        }
        EXPECT_EQ(names, expected);
        std::sort(nodes.begin(), nodes.end());
        EXPECT_EQ(std::unique(nodes.begin(), nodes.end()), nodes.end()) << "a node twice";
        heapFree(order);
    }
    EXPECT_EQ(nodesInFillOrder(rows, 0, nameOf, false), nullptr);
    EXPECT_EQ(nodesInFillOrder(static_cast<NamePairList*>(nullptr), 0, nameOf, false), nullptr);
    freeNamePairList(rows);
    EXPECT_EQ(liveHeapBlocks(), before);
}
