#include "pages/site/online_listing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "common/heap.h"

namespace {

std::vector<std::string> fixtureLines(const std::string& name) {
    std::ifstream in(std::string(QUORIN_FIXTURE_DIR) + "/" + name, std::ios::binary);
    if (!in) {
        in.open(std::string("Z:") + QUORIN_FIXTURE_DIR + "/" + name, std::ios::binary);
    }
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
            line.pop_back();
        }
        lines.push_back(line);
    }
    EXPECT_FALSE(lines.empty()) << "fixture " << name;
    return lines;
}

// A reply as a host keeps it: each line writable, in a block of its own
// exactly as long as the line.
class Reply {
public:
    explicit Reply(const std::vector<std::string>& lines) {
        ReplyLine** link = &first;
        for (const std::string& line : lines) {
            ReplyLine* node = static_cast<ReplyLine*>(std::malloc(sizeof(ReplyLine)));
            node->text = static_cast<char*>(std::malloc(line.size() + 1));
            std::memcpy(node->text, line.c_str(), line.size() + 1);
            node->next = nullptr;
            *link = node;
            link = &node->next;
        }
    }
    ~Reply() {
        while (first != nullptr) {
            ReplyLine* next = first->next;
            std::free(first->text);
            std::free(first);
            first = next;
        }
    }
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;
    ReplyLine* lines() { return first; }

private:
    ReplyLine* first = nullptr;
};

using Rows = std::vector<std::pair<std::string, std::string>>;

Rows rowsOf(const NamePairList* list) {
    Rows rows;
    for (; list != nullptr; list = list->next) {
        rows.emplace_back(list->name, list->info);
    }
    return rows;
}

Rows parseSwho(const std::vector<std::string>& lines) {
    Reply reply(lines);
    NamePairList* online = nullptr;
    parseSwhoListing(reply.lines(), online);
    Rows rows = rowsOf(online);
    freeNamePairList(online);
    return rows;
}

Rows parseWho(const std::vector<std::string>& lines) {
    Reply reply(lines);
    NamePairList* online = nullptr;
    parseWhoListing(reply.lines(), online);
    Rows rows = rowsOf(online);
    freeNamePairList(online);
    return rows;
}

}  // namespace

TEST(SwhoListing, ReadsPidAndUserOfEachRowAfterTheRule) {
    EXPECT_EQ(parseSwho(fixtureLines("site_swho.txt")),
              (Rows{{"glftpd", "4711"}, {"alice", "4690"}}));
}

TEST(SwhoListing, RowsBeforeTheFirstRuleAreHeadingsAndLaterRulesDoNotEndTheTable) {
    // The heading line starts like a row; the rule in the middle is no row
    // and the rows after it still count.
    EXPECT_EQ(parseSwho(fixtureLines("site_swho_busy.txt")),
              (Rows{{"glftpd", "04711"}, {"alice", "4690"}, {"bob", "-812"}, {"alice", "4702"}}));
}

TEST(SwhoListing, AFirstWordWithoutAFollowingBarGivesAnUnknownUser) {
    EXPECT_EQ(parseSwho(fixtureLines("site_swho_odd.txt")),
              (Rows{{"???", "5150"},
                    {"carol", "1234567890123456789012345678901234567890"},
                    {"dave", "ghost"}}));
}

TEST(SwhoListing, LinesThatEndRightAfterTheirPrefixOrWordAreReadNoFurther) {
    // Each ends exactly where the parser stops; a read past the NUL would
    // show under the address sanitizer (every line has a block of its own).
    EXPECT_EQ(parseSwho({"200- |-", "200- | ", "200- | 7", "200- | 7 ", "200- | 7 |", "200- | 7 | x"}),
              (Rows{{"???", ""}, {"???", "7"}, {"???", "7"}, {"", "7"}, {"x", "7"}}));
    EXPECT_EQ(parseSwho({"200- |", "200-", "", "200- | 1 | a"}), Rows{});
}

TEST(SwhoListing, AppendsAfterWhatTheListAlreadyHolds) {
    Reply reply(fixtureLines("site_swho.txt"));
    NamePairList* online = nullptr;
    appendPair(online, "earlier", "1");
    parseSwhoListing(reply.lines(), online);
    EXPECT_EQ(rowsOf(online), (Rows{{"earlier", "1"}, {"glftpd", "4711"}, {"alice", "4690"}}));
    freeNamePairList(online);
}

TEST(WhoListing, OnlyRowsBetweenTheFirstTwoRulesAreUsers) {
    EXPECT_EQ(parseWho(fixtureLines("site_who.txt")), (Rows{{"glftpd", "???"}, {"alice", "???"}}));
}

TEST(WhoListing, RowsBeforeTheFirstRuleAndAfterTheSecondAreIgnored) {
    EXPECT_EQ(parseWho({"200- | before", "200- |---", "200- | inside  | x", "200- |---",
                        "200- | after", "200- |---", "200- | late"}),
              (Rows{{"inside", "???"}}));
    EXPECT_EQ(parseWho({"200- | before", "200 Command Successful."}), Rows{});
}

TEST(WhoListing, ShortLinesAreSafe) {
    EXPECT_EQ(parseWho({"200- |-", "200- | ", "200- | a", "200- |", "", "200- |-"}),
              (Rows{{"", "???"}, {"a", "???"}}));
}

TEST(OnlineListing, RefusalIsReadFromTheFirstLineOnly) {
    Reply refused(fixtureLines("site_swho_refused.txt"));
    EXPECT_TRUE(isOnlineListingRefused(refused.lines()));
    Reply later({"200- fine", "200 You do not have access to this command."});
    EXPECT_FALSE(isOnlineListingRefused(later.lines()));
    Reply otherCase({"200 You DO NOT HAVE ACCESS to this command."});
    EXPECT_FALSE(isOnlineListingRefused(otherCase.lines()));
    EXPECT_FALSE(isOnlineListingRefused(nullptr));
}

TEST(OnlineListing, AnEmptyTableYieldsNothing) {
    EXPECT_EQ(parseSwho(fixtureLines("site_swho_empty.txt")), Rows{});
    EXPECT_EQ(parseWho(fixtureLines("site_swho_empty.txt")), Rows{});
    NamePairList* online = nullptr;
    parseSwhoListing(nullptr, online);
    parseWhoListing(nullptr, online);
    EXPECT_EQ(online, nullptr);
}

// fetchOnlineListing against a host that serves a script of replies.
namespace {

struct Step {
    std::int32_t result;
    std::vector<std::string> lines;
};

struct FakeHost {
    std::vector<Step> script;
    std::size_t next = 0;
    std::vector<std::string> log;  // "send <command> <param>" / "release"
    Reply* kept = nullptr;
    std::vector<std::string> faults;
};

FakeHost* fakeHost = nullptr;

std::int32_t HOST_CDECL fakeCallback(HostRequest* request) {
    FakeHost& host = *fakeHost;
    if (request->action == ACTION_RELEASE_REPLY) {
        host.log.push_back("release");
        if (host.kept == nullptr) {
            host.faults.push_back("release with nothing kept");
        }
        delete host.kept;
        host.kept = nullptr;
        request->replyLines = nullptr;
        return 1;
    }
    host.log.push_back(std::string("send ") + request->command + " " + std::to_string(request->param));
    if (host.kept != nullptr) {
        host.faults.push_back("second kept reply on one record");
    }
    if (host.next >= host.script.size()) {
        return 0;
    }
    const Step& step = host.script[host.next++];
    if (step.result == 0) {
        return 0;
    }
    request->replyCode = 200;
    if (request->param == 1) {
        host.kept = new Reply(step.lines);
        request->replyLines = host.kept->lines();
    }
    return step.result;
}

class OnlineFetch : public testing::Test {
protected:
    void SetUp() override {
        fakeHost = &host;
        storeHostCallback(fakeCallback);
        blocksBefore = liveHeapBlocks();
    }
    void TearDown() override {
        freeNamePairList(online);
        EXPECT_EQ(liveHeapBlocks(), blocksBefore);
        EXPECT_EQ(host.kept, nullptr) << "a kept reply was never released";
        EXPECT_TRUE(host.faults.empty()) << host.faults.front();
        delete host.kept;
        storeHostCallback(nullptr);
        fakeHost = nullptr;
    }
    FakeHost host;
    NamePairList* online = nullptr;
    std::int32_t blocksBefore = 0;
};

}  // namespace

TEST_F(OnlineFetch, SwhoIsParsedAndReleased) {
    host.script = {{1, fixtureLines("site_swho.txt")}};
    fetchOnlineListing(online);
    EXPECT_EQ(host.log, (std::vector<std::string>{"send SITE SWHO 1", "release"}));
    EXPECT_EQ(rowsOf(online), (Rows{{"glftpd", "4711"}, {"alice", "4690"}}));
}

TEST_F(OnlineFetch, ARefusalIsReleasedBeforeWhoIsAsked) {
    host.script = {{1, fixtureLines("site_swho_refused.txt")}, {1, fixtureLines("site_who.txt")}};
    fetchOnlineListing(online);
    EXPECT_EQ(host.log, (std::vector<std::string>{"send SITE SWHO 1", "release", "send SITE WHO 1",
                                                  "release"}));
    EXPECT_EQ(rowsOf(online), (Rows{{"glftpd", "???"}, {"alice", "???"}}));
}

TEST_F(OnlineFetch, AFailedSendEndsTheFetchWithoutARelease) {
    host.script = {{0, {}}};
    fetchOnlineListing(online);
    EXPECT_EQ(host.log, (std::vector<std::string>{"send SITE SWHO 1"}));

    host.log.clear();
    host.next = 0;
    host.script = {{1, fixtureLines("site_swho_refused.txt")}, {0, {}}};
    fetchOnlineListing(online);
    EXPECT_EQ(host.log, (std::vector<std::string>{"send SITE SWHO 1", "release", "send SITE WHO 1"}));
    EXPECT_EQ(online, nullptr);
}

TEST_F(OnlineFetch, AKeptReplyWithoutLinesIsAnEmptyListingAndStillReleased) {
    host.script = {{1, {}}};
    fetchOnlineListing(online);
    EXPECT_EQ(host.log, (std::vector<std::string>{"send SITE SWHO 1", "release"}));
    EXPECT_EQ(online, nullptr);

    host.log.clear();
    host.next = 0;
    host.script = {{1, fixtureLines("site_swho_refused.txt")}, {1, {}}};
    fetchOnlineListing(online);
    EXPECT_EQ(host.log, (std::vector<std::string>{"send SITE SWHO 1", "release", "send SITE WHO 1",
                                                  "release"}));
    EXPECT_EQ(online, nullptr);
}
