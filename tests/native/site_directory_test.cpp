#include "common/site_directory.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/heap.h"
#include "tests/native/fake_host.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;
using Names = std::vector<std::string>;

Pairs pairsOf(const NamePairList* list) {
    Pairs pairs;
    for (; list != nullptr; list = list->next) {
        pairs.emplace_back(list->name, list->info);
    }
    return pairs;
}

Names namesOf(const NameList* list) {
    Names names;
    for (; list != nullptr; list = list->next) {
        names.push_back(list->text);
    }
    return names;
}

struct ParsedGroups {
    Pairs groups;
    Pairs privateGroups;
};

ParsedGroups parseGroups(const std::vector<std::string>& lines) {
    OwnedReply reply(lines);
    NamePairList* groups = nullptr;
    NamePairList* privateGroups = nullptr;
    parseGroupListing(reply.head(), groups, privateGroups);
    ParsedGroups parsed{pairsOf(groups), pairsOf(privateGroups)};
    freeNamePairList(groups);
    freeNamePairList(privateGroups);
    return parsed;
}

Names parseUsers(const std::vector<std::string>& lines) {
    OwnedReply reply(lines);
    NameList* names = nullptr;
    parseUserListing(reply.head(), names);
    Names parsed = namesOf(names);
    freeNameList(names);
    return parsed;
}

}  // namespace

TEST(GroupListing, ReadsPublicThenPrivateSections) {
    const ParsedGroups parsed = parseGroups({
        "200- Group list",
        "200- ----------",
        "200- (  5) siteops     Site operators",
        "200- Private groups",
        "200- *  staff     Staff only",
        "200 Command Successful.",
    });
    EXPECT_EQ(parsed.groups, (Pairs{{"siteops", "Site operators"}}));
    EXPECT_EQ(parsed.privateGroups, (Pairs{{"staff", "Staff only"}}));
}

TEST(GroupListing, ReadsTheSiteopsListing) {
    const ParsedGroups parsed = parseGroups(fixtureLines("site_groups.txt"));
    EXPECT_EQ(parsed.groups, (Pairs{{"glftpd", "glftpd"},
                                    {"friends", "Friends of the site"},
                                    {"testers", "Beta testers"},
                                    {"NoGroup", "No Group"}}));
    // The explanation after the private rows mentions '*' but is not a group.
    EXPECT_EQ(parsed.privateGroups,
              (Pairs{{"STAFF", "My Private Group"}, {"Council", "Site council"}}));
}

TEST(GroupListing, ReadsAListingWithoutPrivateGroups) {
    const ParsedGroups parsed = parseGroups(fixtureLines("site_groups_public_only.txt"));
    EXPECT_EQ(parsed.groups,
              (Pairs{{"glftpd", "glftpd"}, {"friends", "Friends of the site"}, {"NoGroup", "No Group"}}));
    EXPECT_TRUE(parsed.privateGroups.empty());
}

TEST(GroupListing, SkipsRowsThatDoNotFit) {
    const ParsedGroups parsed = parseGroups({
        "200- #users  Group Abbr.      Group Description",
        "200- ------",
        "200- (   1) siteops",  // no blank after the name
        "200- (   2)    ",      // nothing after the marker
        "200- (   3) empty ",   // empty description
        "200- (   4) padded   Row with blanks   ",
        "200 done",
    });
    EXPECT_EQ(parsed.groups, (Pairs{{"empty", ""}, {"padded", "Row with blanks   "}}));
    EXPECT_TRUE(parsed.privateGroups.empty());
}

TEST(GroupListing, ReadsNothingFromShortReplies) {
    EXPECT_TRUE(parseGroups({}).groups.empty());
    EXPECT_TRUE(parseGroups({"200- (   1)  glftpd  glftpd", "200- (   1)  other  x"}).groups.empty());
}

TEST(UserListing, TakesEveryNameFollowedByABlank) {
    EXPECT_EQ(parseUsers({"200- title", "200- ", "200- alice bob ", "200- ", "200- carol dave "}),
              (Names{"alice", "bob"}));
    // A last token without a blank after it is not taken.
    EXPECT_EQ(parseUsers({"200- title", "200- ", "200- alice bob", "200- carol ", "200- "}),
              (Names{"alice", "carol"}));
}

TEST(UserListing, ReadsTheServerListingUpToItsBlankLine) {
    EXPECT_EQ(parseUsers(fixtureLines("site_user_listing.txt")),
              (Names{"glftpd", "bob", "carol", "alice", "charlie_lon", "testu1", "dave", "erin",
                     "frank", "grace", "heidi", "ivan", "judy", "mallory", "leech", "oscar"}));
}

TEST(UserListing, LinesWithoutNamesDoNotAlwaysEndTheListing) {
    // A line without any blank is skipped; a line whose only token has no
    // blank after it neither yields a name nor ends the listing.
    EXPECT_EQ(parseUsers({"200- a", "200- b", "200-", "200- lonely", "200- erin ", "200- ", "200- x "}),
              (Names{"erin"}));
}

TEST(UserListing, AppendsAfterExistingNames) {
    OwnedReply reply({"200- t", "200- ", "200- carol dave ", "200- "});
    NameList* names = nullptr;
    appendName(names, "alice");
    appendName(names, "bob");
    parseUserListing(reply.head(), names);
    EXPECT_EQ(namesOf(names), (Names{"alice", "bob", "carol", "dave"}));
    freeNameList(names);
}

class SiteDirectoryLoad : public testing::Test {
protected:
    void SetUp() override {
        releaseSiteDirectory();
        blocksBefore = liveHeapBlocks();
        host.replies["SITE GROUPS"] = {1, 200, fixtureLines("site_groups.txt")};
        host.replies["SITE USER"] = {1, 200, fixtureLines("site_user_listing.txt")};
    }
    void TearDown() override {
        EXPECT_TRUE(host.faults.empty()) << host.faults.front();
        EXPECT_EQ(host.keptReplies(), 0u);
        releaseSiteDirectory();
        EXPECT_EQ(liveHeapBlocks(), blocksBefore);
    }

    // The actions and commands the host saw, as "send <command> <param>" and "release".
    std::vector<std::string> requests() const {
        std::vector<std::string> out;
        for (const SeenRequest& request : host.seen) {
            out.push_back(request.action == ACTION_SEND_COMMAND
                              ? "send " + request.command + " " + std::to_string(request.param)
                              : request.action == ACTION_RELEASE_REPLY ? "release" : "other");
        }
        return out;
    }

    FakeHost host;
    std::int32_t blocksBefore = 0;
};

TEST_F(SiteDirectoryLoad, SendsBothListingsThroughOneRecordAndReleasesEach) {
    loadSiteDirectory();
    EXPECT_EQ(requests(), (std::vector<std::string>{"send SITE GROUPS 1", "release",
                                                    "send SITE USER 1", "release"}));
    for (const SeenRequest& request : host.seen) {
        EXPECT_EQ(request.record, host.seen.front().record);
    }
    EXPECT_TRUE(siteDirectory.loaded);
    EXPECT_EQ(countPairs(siteDirectory.groupList), 4u);
    EXPECT_EQ(pairsOf(siteDirectory.privateGroupList).front().first, "STAFF");
    EXPECT_EQ(countNames(siteDirectory.userNames), 16u);
}

TEST_F(SiteDirectoryLoad, AFailedHalfDoesNotStopTheOther) {
    host.replies["SITE GROUPS"] = {1, 500, {"500 Internal error."}};
    loadSiteDirectory();
    // A nonzero result is released whatever the code said.
    EXPECT_EQ(requests(), (std::vector<std::string>{"send SITE GROUPS 1", "release",
                                                    "send SITE USER 1", "release"}));
    EXPECT_TRUE(siteDirectory.loaded);
    EXPECT_EQ(siteDirectory.groupList, nullptr);
    EXPECT_EQ(countNames(siteDirectory.userNames), 16u);

    // Loaded after one success: the empty group list is never fetched again.
    host.seen.clear();
    ensureSiteDirectory();
    EXPECT_TRUE(host.seen.empty());
}

TEST_F(SiteDirectoryLoad, AZeroResultIsNotReleased) {
    host.replies["SITE USER"] = {0, 200, {}};
    loadSiteDirectory();
    EXPECT_EQ(requests(),
              (std::vector<std::string>{"send SITE GROUPS 1", "release", "send SITE USER 1"}));
    EXPECT_TRUE(siteDirectory.loaded);
    EXPECT_EQ(siteDirectory.userNames, nullptr);
    EXPECT_EQ(countPairs(siteDirectory.groupList), 4u);
}

TEST_F(SiteDirectoryLoad, BothFailingLeavesItUnloadedAndTheNextFillTriesAgain) {
    host.replies["SITE GROUPS"] = {0, 200, {}};
    host.replies["SITE USER"] = {1, 530, {"530 Not logged in."}};
    ensureSiteDirectory();
    EXPECT_EQ(requests(), (std::vector<std::string>{"send SITE GROUPS 1", "send SITE USER 1", "release"}));
    EXPECT_FALSE(siteDirectory.loaded);

    host.seen.clear();
    host.replies["SITE GROUPS"] = {1, 200, fixtureLines("site_groups_public_only.txt")};
    ensureSiteDirectory();
    EXPECT_EQ(requests().size(), 4u);
    EXPECT_TRUE(siteDirectory.loaded);
    EXPECT_EQ(countPairs(siteDirectory.groupList), 3u);
    EXPECT_EQ(siteDirectory.userNames, nullptr);
}

TEST_F(SiteDirectoryLoad, AOneLineReplyIsReleasedAndYieldsNothing) {
    host.replies["SITE GROUPS"] = {1, 200, {"200 You do not have access to this command."}};
    host.replies["SITE USER"] = {1, 200, {"200 You do not have access to this command."}};
    loadSiteDirectory();
    EXPECT_EQ(requests().size(), 4u);
    EXPECT_TRUE(siteDirectory.loaded);
    EXPECT_EQ(siteDirectory.groupList, nullptr);
    EXPECT_EQ(siteDirectory.userNames, nullptr);
}

TEST_F(SiteDirectoryLoad, ASuccessfulListingReplacesWhatWasThere) {
    appendPair(siteDirectory.groupList, "stale", "gone");
    appendPair(siteDirectory.privateGroupList, "STALE", "gone");
    appendName(siteDirectory.userNames, "ghost");
    loadSiteDirectory();
    EXPECT_EQ(findPair(siteDirectory.groupList, "stale"), nullptr);
    EXPECT_EQ(findPair(siteDirectory.privateGroupList, "STALE"), nullptr);
    EXPECT_EQ(findName(siteDirectory.userNames, "ghost"), nullptr);
    EXPECT_EQ(pairsOf(siteDirectory.groupList).front().first, "glftpd");
}

TEST_F(SiteDirectoryLoad, NoHostMeansNothingSent) {
    storeHostCallback(nullptr);
    loadSiteDirectory();
    EXPECT_FALSE(siteDirectory.loaded);
    EXPECT_TRUE(host.seen.empty());
}
