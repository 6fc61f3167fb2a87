#include "common/text_utils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/heap.h"

namespace {

std::vector<std::string> namesOf(const NameList* list) {
    std::vector<std::string> names;
    for (; list != nullptr; list = list->next) {
        names.push_back(list->text);
    }
    return names;
}

std::string cut(std::string text, char delimiter, std::string* rest = nullptr) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    const char* field = cutField(buffer.data(), delimiter);
    if (rest != nullptr) {
        const std::size_t end = static_cast<std::size_t>(field - buffer.data()) + std::strlen(field);
        *rest = end + 1 < buffer.size() ? std::string(buffer.data() + end + 1) : std::string();
    }
    return field;
}

}  // namespace

TEST(DupText, CopiesAndNeverReturnsNull) {
    char* empty = dupText(nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    char* copy = dupText("alice");
    EXPECT_STREQ(copy, "alice");
    freeText(empty);
    freeText(copy);
}

TEST(NameLists, AppendInOrderFindAndRemoveByExactName) {
    const auto before = liveHeapBlocks();
    NameList* users = nullptr;
    appendName(users, "alice");
    appendName(users, "Bob");
    appendName(users, "bob");
    appendName(users, "alice");
    EXPECT_EQ(namesOf(users), (std::vector<std::string>{"alice", "Bob", "bob", "alice"}));

    EXPECT_TRUE(removeName(users, "bob"));      // case-sensitive: Bob stays
    EXPECT_TRUE(removeName(users, "alice"));    // only the first match goes
    EXPECT_FALSE(removeName(users, "carol"));
    EXPECT_EQ(namesOf(users), (std::vector<std::string>{"Bob", "alice"}));
    EXPECT_EQ(findName(users, "BOB"), nullptr);
    ASSERT_NE(findName(users, "Bob"), nullptr);

    freeNameList(users);
    EXPECT_EQ(liveHeapBlocks(), before);
}

TEST(NameLists, PairsKeepNameAndInfoAndAcceptNulls) {
    const auto before = liveHeapBlocks();
    NamePairList* groups = nullptr;
    appendPair(groups, "friends", "Friends of the site");
    appendPair(groups, "NoGroup", nullptr);
    ASSERT_NE(groups, nullptr);
    EXPECT_STREQ(groups->info, "Friends of the site");
    EXPECT_STREQ(groups->next->info, "");
    EXPECT_EQ(countPairs(groups), 2u);
    EXPECT_TRUE(removePair(groups, "friends"));
    EXPECT_STREQ(groups->name, "NoGroup");
    EXPECT_TRUE(removePair(groups, "NoGroup"));
    EXPECT_EQ(groups, nullptr);
    freeNamePairList(nullptr);
    EXPECT_EQ(liveHeapBlocks(), before);
}

TEST(NameLists, AppendAfterTailMatchesAppend) {
    NameList* walked = nullptr;
    NameList* tailed = nullptr;
    NameList* tail = nullptr;
    for (const char* name : {"a", "b", "c"}) {
        appendName(walked, name);
        tail = appendNameAfter(tailed, tail, name);
    }
    EXPECT_EQ(namesOf(walked), namesOf(tailed));
    freeNameList(walked);
    freeNameList(tailed);
}

TEST(CutField, TrimsBlanksAndLandsTheNulOnTheFirstBlankAfterTheField) {
    std::string rest;
    EXPECT_EQ(cut("  abc  |def", '|', &rest), "abc");
    EXPECT_EQ(rest, " |def");
}

TEST(CutField, EmptyFieldAtTheDelimiter) {
    std::string rest;
    EXPECT_EQ(cut("  |x", '|', &rest), "");
    EXPECT_EQ(rest, "x");
}

TEST(CutField, BlanksOnlyOrEmptyGiveTheEmptyStartOfTheBuffer) {
    char blanks[] = "   ";
    EXPECT_EQ(cutField(blanks, '|'), blanks);
    EXPECT_STREQ(blanks, "");
    char empty[] = "";
    EXPECT_EQ(cutField(empty, '|'), empty);
}

TEST(CutField, BlankAsDelimiter) {
    char single[] = "abc";
    EXPECT_STREQ(cutField(single, ' '), "abc");
    char pair[] = "ab cd";
    EXPECT_STREQ(cutField(pair, ' '), "ab");
    EXPECT_EQ(pair[2], '\0');
    EXPECT_STREQ(pair + 3, "cd");
}

TEST(CutField, TabsAreNotBlanks) {
    EXPECT_EQ(cut("\tab\t |", '|'), "\tab\t");
}
