// Every operation that makes more than one request, run once for each request
// failing by the host (result 0) and once for each refused with 550: it must
// stop where its rules say, release what it kept, and the page must still work.
#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

enum FailureKind { HostFails, Refused550 };

const char release[] = "release";

class SiteTest : public PluginTest {
protected:
    // Every send (its command line) and every release, in order.
    Lines trace() const {
        Lines seen;
        for (const RecordedRequest& request : site.requests()) {
            if (request.action == ACTION_SEND_COMMAND) {
                seen.push_back(request.command);
            } else if (request.action == ACTION_RELEASE_REPLY) {
                seen.push_back(release);
            } else {
                seen.push_back("action " + std::to_string(request.action) + " " +
                               std::to_string(request.param));
            }
        }
        return seen;
    }

    int sendsSoFar() const { return static_cast<int>(site.commands().size()); }

    void answerDirectory() {
        site.answer("SITE GROUPS", fixtureReply("usercmd_groups.txt"));
        site.answer("SITE USER", fixtureReply("usercmd_users.txt"));
    }

    // Runs one click and returns what it sent and released.
    Lines traceOf(HWND page, int buttonId) {
        site.clearRecord();
        clickButton(page, buttonId);
        return trace();
    }
};

class Sweep : public SiteTest, public testing::WithParamInterface<std::tuple<int, FailureKind>> {
protected:
    int failingIndex() const { return std::get<0>(GetParam()); }
    bool hostFails() const { return std::get<1>(GetParam()) == HostFails; }
    bool refused() const { return !hostFails(); }

    // Makes request `failingIndex()` of the operation about to run fail;
    // `sentBefore` is the number of sends the site saw before it.
    void failRequest(int sentBefore) {
        site.failSendAt(sentBefore + failingIndex(), hostFails() ? 0 : 1, hostFails() ? 0 : 550);
    }
};

std::string caseName(const testing::TestParamInfo<std::tuple<int, FailureKind>>& info) {
    return std::string(std::get<1>(info.param) == HostFails ? "HostFails" : "Refused550") + "Request" +
           std::to_string(std::get<0>(info.param));
}

#define SWEEP(suite, requests)                                                                    \
    INSTANTIATE_TEST_SUITE_P(EveryRequest, suite,                                                 \
                             testing::Combine(testing::Range(0, requests),                        \
                                              testing::Values(HostFails, Refused550)),            \
                             caseName)

const Lines usersSorted{"alice", "bob", "carol", "charlie_lon", "dave", "erin", "glftpd", "testu1"};
const Lines groupsSorted{"friends", "glftpd", "NoGroup"};

// --- Site directory load (User commands page fills both combos) -------------

class DirectoryLoadSweep : public Sweep {};

TEST_P(DirectoryLoadSweep, TheOtherHalfStillLoadsAndNothingIsFetchedAgain) {
    answerDirectory();
    failRequest(0);
    HWND page = showPage(4);
    ASSERT_NE(page, nullptr);
    // The halves are independent: a failure of one never stops the other, and
    // only a reply the host kept is released.
    Lines expected{"SITE GROUPS"};
    if (failingIndex() != 0 || refused()) {
        expected.push_back(release);
    }
    expected.push_back("SITE USER");
    if (failingIndex() != 1 || refused()) {
        expected.push_back(release);
    }
    EXPECT_EQ(trace(), expected);
    const bool groupsFailed = failingIndex() == 0;
    EXPECT_EQ(comboItems(page, IDC_USERCMD_LIST_GROUP), groupsFailed ? Lines{} : groupsSorted);
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), groupsFailed ? usersSorted : Lines{});

    // One listing made it: the directory counts as loaded and is not asked again.
    showPage(3);
    site.clearRecord();
    page = showPage(4);
    EXPECT_TRUE(site.commands().empty());
    EXPECT_EQ(traceOf(page, IDC_USERCMD_LIST_USERS), (Lines{"SITE USERS"}));
    if (groupsFailed) {
        EXPECT_EQ(traceOf(page, IDC_USERCMD_SHOW_USER), (Lines{"SITE USER alice"}));
    } else {
        EXPECT_EQ(traceOf(page, IDC_USERCMD_LIST_SPECIAL), (Lines{"SITE USERS friends"}));
    }
}
SWEEP(DirectoryLoadSweep, 2);

class DirectoryLoadBothFail : public SiteTest {};

TEST_F(DirectoryLoadBothFail, TheNextFillAsksForBothListingsAgain) {
    answerDirectory();
    site.failSendAt(0, 0, 0);
    site.failSendAt(1, 1, 550);
    HWND page = showPage(4);
    // The user combo's fill found nothing; the group combo's fill, right
    // after it, asked again and got both.
    EXPECT_EQ(trace(), (Lines{"SITE GROUPS", "SITE USER", release, "SITE GROUPS", release, "SITE USER",
                              release}));
    EXPECT_TRUE(comboItems(page, IDC_USERCMD_USERNAME).empty());
    EXPECT_EQ(comboItems(page, IDC_USERCMD_LIST_GROUP), groupsSorted);
    showPage(3);
    site.clearRecord();
    page = showPage(4);
    EXPECT_TRUE(site.commands().empty());
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), usersSorted);
}

// --- Online listing: SWHO refused, then WHO ---------------------------------

class OnlineFetchSweep : public Sweep {};

TEST_P(OnlineFetchSweep, StopsAtTheFailedListingAndUpdateListWorksAfterwards) {
    site.answer("SITE SWHO", fixtureReply("site_swho_refused.txt"));
    site.answer("SITE WHO", fixtureReply("site_who.txt"));
    failRequest(0);
    HWND page = showPage(7);
    ASSERT_NE(page, nullptr);
    Lines expected;
    if (failingIndex() == 0) {
        // A failed SWHO ends the fetch; a refused one (550, without the
        // "no access" text) is an SWHO listing without rows.
        expected = hostFails() ? Lines{"SITE SWHO"} : Lines{"SITE SWHO", release};
    } else {
        expected = {"SITE SWHO", release, "SITE WHO"};
        if (refused()) {
            expected.push_back(release);
        }
    }
    EXPECT_EQ(trace(), expected);
    EXPECT_TRUE(listViewRows(page, IDC_ONLINE_LIST).empty());

    EXPECT_EQ(traceOf(page, IDC_ONLINE_UPDATE), (Lines{"SITE SWHO", release, "SITE WHO", release}));
    EXPECT_EQ(listViewRows(page, IDC_ONLINE_LIST).size(), 2u);
}
SWEEP(OnlineFetchSweep, 2);

// --- Kick, then the refetch it triggers --------------------------------------

class KickRefetchSweep : public Sweep {};

TEST_P(KickRefetchSweep, OnlyAKickTheHostSentRefetches) {
    site.answer("SITE SWHO", fixtureReply("site_swho.txt"));
    HWND page = showPage(7);
    ASSERT_EQ(listViewRows(page, IDC_ONLINE_LIST).size(), 2u);
    selectListViewRow(page, IDC_ONLINE_LIST, 0);
    failRequest(sendsSoFar());
    const Lines seen = traceOf(page, IDC_ONLINE_KICK);
    const std::string kick = seen.empty() ? std::string() : seen.front();
    EXPECT_EQ(kick.compare(0, 10, "SITE KICK "), 0) << kick;
    Lines expected{kick};
    if (failingIndex() != 0 || refused()) {
        // The page looks at the host's result only: a 550 kick still refetches.
        expected.push_back("SITE SWHO");
        if (failingIndex() != 1 || refused()) {
            expected.push_back(release);
        }
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(traceOf(page, IDC_ONLINE_UPDATE), (Lines{"SITE SWHO", release}));
    EXPECT_EQ(listViewRows(page, IDC_ONLINE_LIST).size(), 2u);
}
SWEEP(KickRefetchSweep, 2);

// --- Re-add: one kept request, then the page refreshes from the directory ---

class ReaddSweep : public Sweep {};

TEST_P(ReaddSweep, AFailedReaddChangesNothingAndTheNextOneWorks) {
    answerDirectory();
    HWND page = showPage(4);
    site.answer("SITE READD zed", oneLineReply("200 User zed readded."));
    setText(page, IDC_USERCMD_READD_NAME, "zed");
    failRequest(sendsSoFar());
    const Lines seen = traceOf(page, IDC_USERCMD_READD_USER);
    Lines users = usersSorted;
    if (hostFails()) {
        EXPECT_EQ(seen, (Lines{"SITE READD zed"}));
    } else {
        // The code is not examined: only "Unable to load" in the first line
        // keeps the name out.
        EXPECT_EQ(seen, (Lines{"SITE READD zed", release}));
        users.push_back("zed");
    }
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), users);
    setText(page, IDC_USERCMD_READD_NAME, "zed");
    EXPECT_EQ(traceOf(page, IDC_USERCMD_READD_USER), (Lines{"SITE READD zed", release}));
    users.push_back("zed");
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), users);
}
SWEEP(ReaddSweep, 1);

}  // namespace
