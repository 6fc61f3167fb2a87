// A host may hand reply lines over with their CR/LF still on them; every
// parser must read such a reply exactly as it reads the bare lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/site_directory.h"
#include "pages/site/online_listing.h"
#include "pages/users/user_record.h"
#include "tests/native/fake_host.h"

namespace {

using Lines = std::vector<std::string>;

Lines withEnds(const Lines& lines, const std::string& end) {
    Lines ended;
    for (const std::string& line : lines) {
        ended.push_back(line + end);
    }
    return ended;
}

Lines pairsOf(const NamePairList* list) {
    Lines seen;
    for (; list != nullptr; list = list->next) {
        seen.push_back(std::string(list->name) + "|" + list->info);
    }
    return seen;
}

Lines namesOf(const NameList* list) {
    Lines seen;
    for (; list != nullptr; list = list->next) {
        seen.push_back(list->text);
    }
    return seen;
}

Lines groupListing(Lines lines) {
    OwnedReply reply(lines);
    NamePairList* groups = nullptr;
    NamePairList* privateGroups = nullptr;
    parseGroupListing(reply.head(), groups, privateGroups);
    Lines seen = pairsOf(groups);
    seen.push_back("--");
    for (const std::string& pair : pairsOf(privateGroups)) {
        seen.push_back(pair);
    }
    freeNamePairList(groups);
    freeNamePairList(privateGroups);
    return seen;
}

Lines userListing(Lines lines) {
    OwnedReply reply(lines);
    NameList* names = nullptr;
    parseUserListing(reply.head(), names);
    Lines seen = namesOf(names);
    freeNameList(names);
    return seen;
}

Lines onlineListing(Lines lines, void (*parse)(ReplyLine*, NamePairList*&)) {
    OwnedReply reply(lines);
    NamePairList* online = nullptr;
    parse(reply.head(), online);
    Lines seen = pairsOf(online);
    freeNamePairList(online);
    return seen;
}

Lines accountScreen(Lines lines) {
    clearUserRecord();
    OwnedReply reply(lines);
    readUserRecordLines(reply.head());
    Lines seen;
    for (char* UserRecord::*field :
         {&UserRecord::password, &UserRecord::maxLogins, &UserRecord::gadminSlots, &UserRecord::leechSlots,
          &UserRecord::timeLimit, &UserRecord::ratio, &UserRecord::weeklyAllotment, &UserRecord::credits,
          &UserRecord::tagline, &UserRecord::maxDownloadSpeed, &UserRecord::maxUploadSpeed}) {
        const char* text = userRecord.*field;
        seen.push_back(text != nullptr ? text : "(absent)");
    }
    std::string flags;
    for (bool flag : userRecord.flags) {
        flags += flag ? '1' : '0';
    }
    seen.push_back(flags);
    for (const char* mask : userRecord.ipMasks) {
        seen.push_back(mask != nullptr ? mask : "(absent)");
    }
    for (const std::string& name : namesOf(userRecord.groups)) {
        seen.push_back("group " + name);
    }
    for (const std::string& name : namesOf(userRecord.privateGroups)) {
        seen.push_back("private " + name);
    }
    clearUserRecord();
    return seen;
}

}  // namespace

TEST(LineEnds, EveryParserReadsTerminatedLinesLikeBareOnes) {
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(end == "\r\n" ? "CRLF" : end == "\n" ? "LF" : "CR");
        const Lines groups = fixtureLines("site_groups.txt");
        EXPECT_EQ(groupListing(withEnds(groups, end)), groupListing(groups));
        const Lines users = fixtureLines("site_user_listing.txt");
        const Lines bareUsers = userListing(users);
        EXPECT_EQ(userListing(withEnds(users, end)), bareUsers);
        EXPECT_EQ(bareUsers.size(), 16u);
        for (const char* account : {"site_user_alice.txt", "site_user_leech.txt"}) {
            const Lines screen = fixtureLines(account);
            EXPECT_EQ(accountScreen(withEnds(screen, end)), accountScreen(screen)) << account;
        }
        const Lines swho = fixtureLines("site_swho.txt");
        EXPECT_EQ(onlineListing(withEnds(swho, end), parseSwhoListing), onlineListing(swho, parseSwhoListing));
        const Lines who = fixtureLines("site_who.txt");
        EXPECT_EQ(onlineListing(withEnds(who, end), parseWhoListing), onlineListing(who, parseWhoListing));
    }
}

TEST(LineEnds, OnlyTheTerminatorIsCut) {
    char ended[] = "200- bob\r\n";
    cutLineEnd(ended);
    EXPECT_STREQ(ended, "200- bob");
    char inside[] = "200- bob\rSITE DELUSER x ";
    cutLineEnd(inside);
    EXPECT_STREQ(inside, "200- bob\rSITE DELUSER x ");
    char only[] = "\r\n";
    cutLineEnd(only);
    EXPECT_STREQ(only, "");
    cutLineEnd(nullptr);
}
