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
    void SetUp() override {
        PluginTest::SetUp();
        site.answerUnscriptedWithSuccess();
    }

    // Every send (its command line) and every release, in order.
    Lines trace() const {
        Lines seen;
        for (const RecordedRequest& request : site.requests()) {
            if (request.action == ACTION_SEND_COMMAND) {
                seen.push_back(request.command);
            } else if (request.action == ACTION_RELEASE_REPLY) {
                seen.push_back(release);
            } else if (request.action == ACTION_USER_ADDED) {
                seen.push_back("user added");  // its param is left over, meaningless
            } else {
                seen.push_back("show page " + std::to_string(request.param));
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

// --- Groups page: GRPADD and GRPDEL, each one kept request -----------------

class GroupsSweep : public Sweep {
protected:
    HWND showGroups() {
        site.allowReleaseAfterZeroResult = true;
        answerDirectory();
        return showPage(6);
    }

    Lines groupNames(HWND page) {
        Lines names;
        for (const auto& row : listViewRows(page, IDC_GROUPS_LIST)) {
            names.push_back(row.at(0));
        }
        return names;
    }

    void selectGroup(HWND page, const std::string& name) {
        const Lines names = groupNames(page);
        for (std::size_t row = 0; row < names.size(); ++row) {
            if (names[row] == name) {
                selectListViewRow(page, IDC_GROUPS_LIST, static_cast<int>(row));
                return;
            }
        }
        ADD_FAILURE() << "no group " << name;
    }

    static bool holds(const Lines& names, const std::string& name) {
        for (const std::string& entry : names) {
            if (entry == name) {
                return true;
            }
        }
        return false;
    }
};

class GroupAddSweep : public GroupsSweep {};

TEST_P(GroupAddSweep, TheReplyIsReleasedAlwaysAndOnlyAFailedSendKeepsTheGroupOut) {
    HWND page = showGroups();
    ASSERT_EQ(groupNames(page).size(), 3u);
    setText(page, IDC_GROUPS_ADD_NAME, "newbies");
    setText(page, IDC_GROUPS_ADD_INFO, "New people");
    failRequest(sendsSoFar());
    EXPECT_EQ(traceOf(page, IDC_GROUPS_ADD), (Lines{"SITE GRPADD newbies New people", release}));
    // Only "exists." in the first line refuses a group; a failed send has no
    // line to read.
    EXPECT_EQ(holds(groupNames(page), "newbies"), refused());
    setText(page, IDC_GROUPS_ADD_NAME, "seniors");
    setText(page, IDC_GROUPS_ADD_INFO, "Old hands");
    EXPECT_EQ(traceOf(page, IDC_GROUPS_ADD), (Lines{"SITE GRPADD seniors Old hands", release}));
    EXPECT_TRUE(holds(groupNames(page), "seniors"));
}
SWEEP(GroupAddSweep, 1);

class GroupDeleteSweep : public GroupsSweep {};

TEST_P(GroupDeleteSweep, TheReplyIsReleasedAlwaysAndOnlyAFailedSendKeepsTheGroup) {
    HWND page = showGroups();
    selectGroup(page, "friends");
    failRequest(sendsSoFar());
    EXPECT_EQ(traceOf(page, IDC_GROUPS_DELETE), (Lines{"SITE GRPDEL friends", release}));
    EXPECT_EQ(holds(groupNames(page), "friends"), hostFails());
    EXPECT_FALSE(isEnabled(page, IDC_GROUPS_DELETE));
    selectGroup(page, "glftpd");
    EXPECT_EQ(traceOf(page, IDC_GROUPS_DELETE), (Lines{"SITE GRPDEL glftpd", release}));
    EXPECT_FALSE(holds(groupNames(page), "glftpd"));
}
SWEEP(GroupDeleteSweep, 1);

// --- Add user: ADDUSER, ADDIP per mask, CHGRP per group --------------------

const Lines addChain{"SITE ADDUSER zed secret", "SITE ADDIP zed *@10.0.0.1", "SITE ADDIP zed *@10.0.0.2",
                     "SITE CHGRP zed friends", "SITE CHGRP zed STAFF"};

class AddChainSweep : public Sweep {
protected:
    HWND showAddUser() {
        answerDirectory();
        site.answerPrefix("SITE USER ", fixtureReply("site_user_alice.txt"));
        return showPage(1);
    }

    void fillForm(HWND page, const std::string& name) {
        setText(page, IDC_ADDUSER_USERNAME, name);
        setText(page, IDC_ADDUSER_PASSWORD, "secret");
        setText(page, IDC_ADDUSER_IP0, "10.0.0.1");
        setText(page, IDC_ADDUSER_IP3, "10.0.0.2");
        pickComboItem(page, IDC_ADDUSER_GROUP, 1);          // friends, after "(gl default)"
        pickComboItem(page, IDC_ADDUSER_PRIVATE_GROUP, 1);  // STAFF
    }

    // The chain up to the failing request: the ADDUSER reply is released
    // whenever the host kept one; nothing follows the failure.
    Lines expectedStop() const {
        Lines expected{addChain[0]};
        if (failingIndex() != 0 || refused()) {
            expected.push_back(release);
        }
        for (int step = 1; step <= failingIndex(); ++step) {
            expected.push_back(addChain[static_cast<std::size_t>(step)]);
        }
        return expected;
    }

    void runSweep(int button) {
        HWND page = showAddUser();
        fillForm(page, "zed");
        failRequest(sendsSoFar());
        EXPECT_EQ(traceOf(page, button), expectedStop());
        EXPECT_EQ(currentPage(), page);  // no switch after a failed add
        EXPECT_TRUE(messageBoxes.empty());
        // A failed add leaves the name out of the site's user names.
        HWND other = showPage(4);
        for (const std::string& user : comboItems(other, IDC_USERCMD_USERNAME)) {
            EXPECT_NE(user, "zed");
        }
        page = showPage(1);

        // The same form for another name goes through to the end.
        fillForm(page, "zoe");
        const Lines seen = traceOf(page, button);
        Lines expected;
        for (std::string command : addChain) {
            expected.push_back(command.replace(command.find("zed"), 3, "zoe"));
            if (expected.size() == 1) {
                expected.push_back(release);
            }
        }
        expected.push_back("user added");
        if (button == IDC_ADDUSER_ADD_EDIT) {
            expected.push_back("show page 2");
            expected.push_back("SITE USER zoe");
            expected.push_back(release);
        }
        EXPECT_EQ(seen, expected);
    }
};

TEST_P(AddChainSweep, AddUserStopsAtTheFailedRequest) {
    runSweep(IDC_ADDUSER_ADD);
}

TEST_P(AddChainSweep, AddAndEditStopsAtTheFailedRequestWithoutSwitching) {
    runSweep(IDC_ADDUSER_ADD_EDIT);
}
SWEEP(AddChainSweep, 5);

// --- Edit user Change: one command per difference ---------------------------

// One command of every verb the writer sends, in its order.
const Lines changeChain{"SITE DELIP bob 1",
                        "SITE ADDIP bob *@10.9.9.9",
                        "SITE CHANGE bob flags +1",
                        "SITE CHPASS bob newpw",
                        "SITE CHANGE bob tagline new tag",
                        "SITE CHANGE bob ratio 5",
                        "SITE CHANGE bob credits 1024",
                        "SITE CHGRP bob beta"};

class ChangeWriterSweep : public Sweep {
protected:
    HWND openBob() {
        HWND page = openEditUserAccount("bob");
        EXPECT_EQ(getText(page, IDC_EDITUSER_RATIO), "3");
        return page;
    }
};

TEST_P(ChangeWriterSweep, StopsAtTheFailedCommandAndReloadsTheUser) {
    HWND page = openBob();
    setText(page, IDC_EDITUSER_IP1, "10.9.9.9");
    setChecked(page, IDC_EDITUSER_FLAG_SITEOP, true);
    setText(page, IDC_EDITUSER_PASSWORD, "newpw");
    setText(page, IDC_EDITUSER_TAGLINE, "new tag");
    setText(page, IDC_EDITUSER_RATIO, "5");
    setText(page, IDC_EDITUSER_CREDITS, "1");
    const LRESULT beta = SendDlgItemMessageA(page, IDC_EDITUSER_AVAIL_GROUPS, LB_FINDSTRINGEXACT,
                                             static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("beta"));
    ASSERT_NE(beta, LB_ERR);
    selectListBoxItem(page, IDC_EDITUSER_AVAIL_GROUPS, static_cast<int>(beta));
    clickButton(page, IDC_EDITUSER_ADD_GROUP);
    failRequest(sendsSoFar());
    const Lines expected(changeChain.begin(), changeChain.begin() + failingIndex() + 1);
    EXPECT_EQ(traceOf(page, IDC_EDITUSER_CHANGE), expected);
    // The reload is posted, and comes whatever failed.
    site.clearRecord();
    pumpMessages();
    EXPECT_EQ(trace(), (Lines{"SITE USER bob", release}));
    EXPECT_EQ(getText(page, IDC_EDITUSER_RATIO), "3");
    EXPECT_EQ(getText(page, IDC_EDITUSER_TAGLINE), "Bob was here");

    setText(page, IDC_EDITUSER_RATIO, "7");
    EXPECT_EQ(traceOf(page, IDC_EDITUSER_CHANGE), (Lines{"SITE CHANGE bob ratio 7"}));
    site.clearRecord();
    pumpMessages();
    EXPECT_EQ(trace(), (Lines{"SITE USER bob", release}));
}
SWEEP(ChangeWriterSweep, 8);

}  // namespace
