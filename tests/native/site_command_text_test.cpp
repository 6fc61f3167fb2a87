#include "pages/site/site_command_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/heap.h"

namespace {

std::vector<std::string> groupsOf(const NamePairList* list) {
    std::vector<std::string> texts;
    for (; list != nullptr; list = list->next) {
        texts.push_back(std::string(list->name) + "|" + list->info);
    }
    return texts;
}

}  // namespace

TEST(GroupReplies, OnlyAFirstLineWithoutARefusalConfirmsTheChange) {
    EXPECT_TRUE(groupAddAccepted("200 Group (friends) successfully added."));
    EXPECT_FALSE(groupAddAccepted("200 Group (friends) already exists."));
    EXPECT_TRUE(groupAddAccepted("200 Group (friends) already exists"));  // the test is "exists."
    EXPECT_TRUE(groupAddAccepted("200 Group (friends) ALREADY EXISTS."));  // case-sensitive
    EXPECT_FALSE(groupAddAccepted(nullptr));

    EXPECT_TRUE(groupDeleteAccepted("200 Group (friends) successfully deleted."));
    EXPECT_FALSE(groupDeleteAccepted("200 Group delete failed. (friends) linked to one or more users."));
    EXPECT_FALSE(groupDeleteAccepted("200 Group (friends) does not exist."));
    EXPECT_FALSE(groupDeleteAccepted(nullptr));
}

TEST(GroupList, ChangesTouchOnlyTheFirstEntryOfThatExactName) {
    const auto before = liveHeapBlocks();
    NamePairList* groups = nullptr;
    appendPair(groups, "friends", "Friends of the site");
    appendPair(groups, "Friends", "Other case");
    appendPair(groups, "friends", "Duplicate");

    EXPECT_TRUE(setGroupInfo(groups, "friends", "Best friends"));
    EXPECT_TRUE(renameGroup(groups, "Friends", "pals"));
    EXPECT_FALSE(renameGroup(groups, "nobody", "x"));
    EXPECT_FALSE(setGroupInfo(groups, nullptr, "x"));
    EXPECT_EQ(groupsOf(groups),
              (std::vector<std::string>{"friends|Best friends", "pals|Other case", "friends|Duplicate"}));

    EXPECT_TRUE(removePair(groups, "friends"));
    EXPECT_EQ(groupsOf(groups), (std::vector<std::string>{"pals|Other case", "friends|Duplicate"}));
    freeNamePairList(groups);
    EXPECT_EQ(liveHeapBlocks(), before);
}

TEST(GroupList, TheLongestTextOnlyGrows) {
    NamePairList* groups = nullptr;
    EXPECT_EQ(longestGroupTextOf(0, groups), 0);
    appendPair(groups, "glftpd", "glftpd");
    appendPair(groups, "a_very_long_group_name", "");
    EXPECT_EQ(longestGroupTextOf(0, groups), 22);
    appendPair(groups, "x", std::string(300, 'd').c_str());
    EXPECT_EQ(longestGroupTextOf(0, groups), 300);
    EXPECT_EQ(longestGroupTextOf(500, groups), 500);
    freeNamePairList(groups);
}
