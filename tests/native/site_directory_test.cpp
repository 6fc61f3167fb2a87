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

TEST(GroupListing, ReadsPublicThenPrivateRowsAndSkipsWhatDoesNotFit) {
    const struct {
        const char* name;
        std::vector<std::string> lines;
        Pairs groups;
        Pairs privateGroups;
    } cases[] = {
        {"sections",
         {"200- Group list", "200- ----------", "200- (  5) siteops     Site operators",
          "200- Private groups", "200- *  staff     Staff only", "200 Command Successful."},
         {{"siteops", "Site operators"}},
         {{"staff", "Staff only"}}},
        // The explanation after the private rows mentions '*' but is not a group.
        {"server listing", fixtureLines("site_groups.txt"),
         {{"glftpd", "glftpd"}, {"friends", "Friends of the site"}, {"testers", "Beta testers"},
          {"NoGroup", "No Group"}},
         {{"STAFF", "My Private Group"}, {"Council", "Site council"}}},
        {"no private groups", fixtureLines("site_groups_public_only.txt"),
         {{"glftpd", "glftpd"}, {"friends", "Friends of the site"}, {"NoGroup", "No Group"}},
         {}},
        {"rows that do not fit",
         {"200- #users  Group Abbr.      Group Description", "200- ------",
          "200- (   1) siteops",  // no blank after the name
          "200- (   2)    ",      // nothing after the marker
          "200- (   3) empty ",   // empty description
          "200- (   4) padded   Row with blanks   ", "200 done"},
         {{"empty", ""}, {"padded", "Row with blanks   "}},
         {}},
        {"no lines", {}, {}, {}},
        {"two lines", {"200- (   1)  glftpd  glftpd", "200- (   1)  other  x"}, {}, {}},
    };
    for (const auto& c : cases) {
        const ParsedGroups parsed = parseGroups(c.lines);
        EXPECT_EQ(parsed.groups, c.groups) << c.name;
        EXPECT_EQ(parsed.privateGroups, c.privateGroups) << c.name;
    }
}

TEST(UserListing, TakesEveryNameFollowedByABlankUpToALineWithoutNames) {
    const struct {
        std::vector<std::string> lines;
        Names names;
    } cases[] = {
        {{"200- title", "200- ", "200- alice bob ", "200- ", "200- carol dave "}, {"alice", "bob"}},
        // A last token without a blank after it is not taken.
        {{"200- title", "200- ", "200- alice bob", "200- carol ", "200- "}, {"alice", "carol"}},
        // A line without any blank is skipped; a line whose only token has no
        // blank after it neither yields a name nor ends the listing.
        {{"200- a", "200- b", "200-", "200- lonely", "200- erin ", "200- ", "200- x "}, {"erin"}},
        {fixtureLines("site_user_listing.txt"),
         {"glftpd", "bob", "carol", "alice", "charlie_lon", "testu1", "dave", "erin", "frank",
          "grace", "heidi", "ivan", "judy", "mallory", "leech", "oscar"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseUsers(c.lines), c.names) << c.lines[2];
    }
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

TEST_F(SiteDirectoryLoad, EachHalfStandsAloneAndOnlyAKeptReplyIsReleased) {
    const FakeReply groups{1, 200, fixtureLines("site_groups.txt")};
    const FakeReply users{1, 200, fixtureLines("site_user_listing.txt")};
    const FakeReply noAccess{1, 200, {"200 You do not have access to this command."}};
    const FakeReply failed{0, 200, {}};
    using Requests = std::vector<std::string>;
    const Requests both = {"send SITE GROUPS 1", "release", "send SITE USER 1", "release"};
    const struct {
        const char* name;
        FakeReply groups;
        FakeReply users;
        Requests requests;
        bool loaded;
        std::size_t groupCount, privateCount, userCount;
    } cases[] = {
        {"both listings", groups, users, both, true, 4, 2, 16},
        // A nonzero result is released whatever the code said.
        {"groups refused", {1, 500, {"500 Internal error."}}, users, both, true, 0, 0, 16},
        {"users not sent", groups, failed,
         {"send SITE GROUPS 1", "release", "send SITE USER 1"}, true, 4, 2, 0},
        {"both failing", failed, {1, 530, {"530 Not logged in."}},
         {"send SITE GROUPS 1", "send SITE USER 1", "release"}, false, 0, 0, 0},
        // One line: nothing from the third line on, but still released.
        {"one-line replies", noAccess, noAccess, both, true, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        releaseSiteDirectory();
        host.seen.clear();
        host.replies["SITE GROUPS"] = c.groups;
        host.replies["SITE USER"] = c.users;
        ensureSiteDirectory();
        EXPECT_EQ(requests(), c.requests);
        for (const SeenRequest& request : host.seen) {
            EXPECT_EQ(request.record, host.seen.front().record);
        }
        EXPECT_EQ(siteDirectory.loaded, c.loaded);
        EXPECT_EQ(countPairs(siteDirectory.groupList), c.groupCount);
        EXPECT_EQ(countPairs(siteDirectory.privateGroupList), c.privateCount);
        EXPECT_EQ(countNames(siteDirectory.userNames), c.userCount);

        // Loaded after one success: a failed listing stays empty. Both failed:
        // the next fill tries both again.
        host.seen.clear();
        ensureSiteDirectory();
        EXPECT_EQ(requests(), c.loaded ? Requests{} : c.requests);
    }
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
