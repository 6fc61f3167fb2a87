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

struct CutCase {
    const char* text;
    char delimiter;
    const char* field;
    std::ptrdiff_t fieldOffset;  // where the field starts in the buffer
    const char* rest;            // the text after the NUL written, null: not checked
};

TEST(CutField, TrimsBlanksAndEndsTheFieldWithOneNul) {
    const CutCase cases[] = {
        {"  abc  |def", '|', "abc", 2, " |def"},  // the NUL lands on the first blank after abc
        {"  |x", '|', "", 2, "x"},                // an empty field at the delimiter
        {"   ", '|', "", 0, nullptr},             // blanks only: the empty start of the buffer
        {"", '|', "", 0, nullptr},
        {"abc", ' ', "abc", 0, nullptr},
        {"ab cd", ' ', "ab", 0, "cd"},
        {"\tab\t |", '|', "\tab\t", 0, "|"},   // tabs are not blanks
    };
    for (const CutCase& c : cases) {
        std::vector<char> buffer(c.text, c.text + std::strlen(c.text) + 1);
        const char* field = cutField(buffer.data(), c.delimiter);
        EXPECT_EQ(field - buffer.data(), c.fieldOffset) << c.text;
        EXPECT_STREQ(field, c.field) << c.text;
        if (c.rest != nullptr) {
            EXPECT_STREQ(field + std::strlen(field) + 1, c.rest) << c.text;
        }
    }
}

TEST(StripColourSequences, RemovesColourCodesAndNothingElse) {
    const struct {
        const char* text;
        const char* stripped;
    } cases[] = {
        {"200- \x1b[1;37m| Flags: 3A |\x1b[0m\x1b[0;37m", "200- | Flags: 3A |"},
        {"\x1b[m\x1b[0mtext\x1b[1;31;40m", "text"},
        {"no colour here", "no colour here"},
        {"", ""},
        // Not colour sequences: kept as they stand.
        {"\x1b[2Jclear", "\x1b[2Jclear"},
        {"half \x1b[1;37", "half \x1b[1;37"},
        {"lone \x1b", "lone \x1b"},
        {"\x1b\x1b[0mx", "\x1bx"},
        // Blanks and bars around the codes stay where they were.
        {" \x1b[1m \x1b[0m ", "   "},
    };
    for (const auto& c : cases) {
        std::vector<char> buffer(c.text, c.text + std::strlen(c.text) + 1);
        stripColourSequences(buffer.data());
        EXPECT_STREQ(buffer.data(), c.stripped) << c.stripped;
    }
    stripColourSequences(nullptr);
}
