#include "pages/site/site_command_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "common/heap.h"
#include "resources/resource_ids.h"

namespace {

std::vector<std::string> groupsOf(const NamePairList* list) {
    std::vector<std::string> texts;
    for (; list != nullptr; list = list->next) {
        texts.push_back(std::string(list->name) + "|" + list->info);
    }
    return texts;
}

std::string siteCommand(int id, std::int32_t amount, const char* release,
                        CommandBuild expected = COMMAND_READY) {
    const SiteCommandButton* button = findSiteCommandButton(id);
    if (button == nullptr) {
        return "<no button>";
    }
    CommandText command;
    EXPECT_EQ(buildSiteCommand(command, *button, amount, release), expected) << id;
    return command.text();
}

std::string message(MessageTarget target, const char* recipient, const char* text,
                    CommandBuild expected = COMMAND_READY) {
    CommandText command;
    EXPECT_EQ(buildMessageCommand(command, target, recipient, text), expected);
    return expected == COMMAND_READY ? std::string(command.text()) : std::string();
}

std::string statistics(int id, std::int32_t entries) {
    CommandText command;
    buildStatisticsCommand(command, statisticsKeyword(id), entries);
    return command.text();
}

}  // namespace

TEST(GroupCommands, AreSentAsTypedWithoutQuoting) {
    CommandText command;
    buildGroupAddCommand(command, "Old Farts", "Friends of the site");
    EXPECT_STREQ(command.text(), "SITE GRPADD Old Farts Friends of the site");
    buildGroupChangeCommand(command, GROUP_CHANGE_INFO, "friends", "Best friends");
    EXPECT_STREQ(command.text(), "SITE GRPNFO friends Best friends");
    buildGroupChangeCommand(command, GROUP_RENAME, "friends", "pals");
    EXPECT_STREQ(command.text(), "SITE GRPREN friends pals");
    buildGroupChangeCommand(command, GROUP_DELETE, "friends", "ignored");
    EXPECT_STREQ(command.text(), "SITE GRPDEL friends");
}

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

TEST(SiteCommands, KeywordOnlyButtonsIgnoreEveryField) {
    const std::vector<std::pair<int, std::string>> expected = {
        {IDC_SITECMD_LOGIN_LOG, "SITE LOGINS"},  {IDC_SITECMD_SYSLOG, "SITE UCHANGES"},
        {IDC_SITECMD_LAST_USERS, "SITE LASTON"}, {IDC_SITECMD_WELCOME, "SITE WELCOME"},
        {IDC_SITECMD_RULES, "SITE RULES"},       {IDC_SITECMD_VERSION, "SITE VERS"},
        {IDC_SITECMD_SITE_TIME, "SITE TIME"},    {IDC_SITECMD_VIEW_REQS, "SITE REQUEST"},
        {IDC_SITECMD_VIEW_MSGS, "SITE MSG READ"},
    };
    for (const auto& button : expected) {
        EXPECT_EQ(siteCommand(button.first, 7, ""), button.second);
    }
    EXPECT_EQ(findSiteCommandButton(IDC_SITECMD_AMOUNT), nullptr);
    EXPECT_EQ(findSiteCommandButton(IDC_SITECMD_TO_USER), nullptr);
}

TEST(SiteCommands, AmountIsAlwaysSentAndReleaseMustNotBeEmpty) {
    EXPECT_EQ(siteCommand(IDC_SITECMD_NEW_DIRS, 10, nullptr), "SITE NEW 10");
    EXPECT_EQ(siteCommand(IDC_SITECMD_LIST_NUKES, 0, nullptr), "SITE NUKES 0");
    EXPECT_EQ(siteCommand(IDC_SITECMD_LIST_UNNUKES, INT_MAX, nullptr), "SITE UNNUKES 2147483647");
    EXPECT_EQ(siteCommand(IDC_SITECMD_SEARCH_DIR, 10, "Some.Release-GRP"),
              "SITE SEARCH Some.Release-GRP");
    EXPECT_EQ(siteCommand(IDC_SITECMD_DUPECHECK, 10, "*Release* 2004"), "SITE DUPE *Release* 2004");
    EXPECT_EQ(siteCommand(IDC_SITECMD_UNDUPE, 10, "file.rar"), "SITE UNDUPE file.rar");
    siteCommand(IDC_SITECMD_SEARCH_DIR, 10, "", COMMAND_NEEDS_RELEASE);
    siteCommand(IDC_SITECMD_UNDUPE, 10, nullptr, COMMAND_NEEDS_RELEASE);
}

TEST(SiteCommands, MessageFormsPerTarget) {
    EXPECT_EQ(message(MESSAGE_TO_USER, "alice", "hi there"), "SITE MSG alice hi there");
    EXPECT_EQ(message(MESSAGE_TO_GROUP, "friends", "hi"), "SITE MSG =friends hi");
    EXPECT_EQ(message(MESSAGE_TO_ALL, "ignored", "hi"), "SITE MSG *  hi");
    // No recipient wins over an empty message: the page stays quiet.
    message(MESSAGE_TO_USER, nullptr, "", COMMAND_NO_RECIPIENT);
    message(MESSAGE_TO_GROUP, nullptr, "hi", COMMAND_NO_RECIPIENT);
    message(MESSAGE_TO_ALL, nullptr, "", COMMAND_NEEDS_MESSAGE);
    message(MESSAGE_TO_USER, "alice", nullptr, COMMAND_NEEDS_MESSAGE);
}

TEST(Statistics, KeywordsByIdAndTheEntryCount) {
    const std::vector<std::string> keywords = {"WKUP", "WKDN", "GPWK", "GPWD", "DAYUP", "DAYDN",
                                               "ALUP", "ALDN", "GPAL", "GPAD", "MONTHUP", "MONTHDN"};
    for (int id = IDC_STATS_WEEK_UL; id <= IDC_STATS_MONTH_DL; ++id) {
        ASSERT_NE(statisticsKeyword(id), nullptr);
        EXPECT_EQ(statisticsKeyword(id), keywords[static_cast<std::size_t>(id - IDC_STATS_WEEK_UL)]);
    }
    EXPECT_EQ(statisticsKeyword(IDC_STATS_WEEK_UL - 1), nullptr);
    EXPECT_EQ(statisticsKeyword(IDC_STATS_MONTH_DL + 1), nullptr);

    EXPECT_EQ(statistics(IDC_STATS_WEEK_UL, 10), "SITE WKUP 10");
    EXPECT_EQ(statistics(IDC_STATS_MONTH_DL, 0), "SITE MONTHDN");
    EXPECT_EQ(statistics(IDC_STATS_ALLTIME_GROUP_UL, -5), "SITE GPAL -5");
    EXPECT_EQ(statistics(IDC_STATS_TODAY_DL, INT_MIN), "SITE DAYDN -2147483648");
}
