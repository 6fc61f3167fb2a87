// The Online users page through the real exports: the SWHO listing and its
// WHO fallback, row selection, the four per-user commands and the refetches.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;
using Lines = std::vector<std::string>;

constexpr int onlinePage = 7;

class OnlineUsersPage : public PluginTest {
protected:
    HWND showOnline(const std::string& swhoFixture = "site_swho.txt") {
        site.answer("SITE SWHO", fixtureReply(swhoFixture));
        return showPage(onlinePage);
    }

    int rowOf(HWND page, const std::string& name) {
        const Rows rows = listViewRows(page, IDC_ONLINE_LIST);
        for (std::size_t row = 0; row < rows.size(); ++row) {
            if (rows[row][0] == name) {
                return static_cast<int>(row);
            }
        }
        ADD_FAILURE() << "no row " << name;
        return -1;
    }

    void selectUser(HWND page, const std::string& name) {
        selectListViewRow(page, IDC_ONLINE_LIST, rowOf(page, name));
    }

    // What an LVN_ITEMCHANGED of the list view for `item` would carry.
    void notifyItemChanged(HWND page, int item, HWND from = nullptr) {
        NMLISTVIEW change{};
        change.hdr.hwndFrom = from != nullptr ? from : GetDlgItem(page, IDC_ONLINE_LIST);
        change.hdr.idFrom = IDC_ONLINE_LIST;
        change.hdr.code = LVN_ITEMCHANGED;
        change.iItem = item;
        change.uChanged = LVIF_STATE;
        change.uNewState = LVIS_SELECTED;
        EXPECT_EQ(SendMessageA(page, WM_NOTIFY, IDC_ONLINE_LIST, reinterpret_cast<LPARAM>(&change)),
                  FALSE);
    }

    bool userButtonsEnabled(HWND page) {
        return isEnabled(page, IDC_ONLINE_KICK) && isEnabled(page, IDC_ONLINE_SHOW_USER) &&
               isEnabled(page, IDC_ONLINE_USER_STATS);
    }

    bool userButtonsDisabled(HWND page) {
        return !isEnabled(page, IDC_ONLINE_KICK) && !isEnabled(page, IDC_ONLINE_SHOW_USER) &&
               !isEnabled(page, IDC_ONLINE_USER_STATS) && !isEnabled(page, IDC_ONLINE_KILL);
    }

    void clickAllUserButtons(HWND page) {
        for (int id : {IDC_ONLINE_KICK, IDC_ONLINE_KILL, IDC_ONLINE_SHOW_USER, IDC_ONLINE_USER_STATS}) {
            clickButton(page, id);
        }
    }
};

std::string columnTitle(HWND page, int column) {
    char title[64] = {};
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT;
    info.pszText = title;
    info.cchTextMax = sizeof title;
    SendDlgItemMessageA(page, IDC_ONLINE_LIST, LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                        reinterpret_cast<LPARAM>(&info));
    return title;
}

}  // namespace

TEST_F(OnlineUsersPage, ShowsTheSwhoRowsSortedByNameWithEveryUserButtonDisabled) {
    HWND page = showOnline();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(site.commands(), (Lines{"SITE SWHO"}));
    ASSERT_EQ(site.requests().size(), 2u);
    EXPECT_EQ(site.requests()[0].param, 1);
    EXPECT_EQ(site.requests()[1].action, ACTION_RELEASE_REPLY);
    EXPECT_EQ(listViewRows(page, IDC_ONLINE_LIST), (Rows{{"alice", "4690"}, {"glftpd", "4711"}}));
    EXPECT_EQ(columnTitle(page, 0), "Name");
    EXPECT_EQ(columnTitle(page, 1), "PID");
    const LRESULT extended = SendDlgItemMessageA(page, IDC_ONLINE_LIST, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ(extended & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES), LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    EXPECT_TRUE(userButtonsDisabled(page));
    EXPECT_TRUE(isEnabled(page, IDC_ONLINE_UPDATE));
}

TEST_F(OnlineUsersPage, OnlyRowsAfterTheFirstRuleCountAlsoPastALaterRule) {
    HWND page = showOnline("site_swho_busy.txt");
    // Rows of one name come in whatever order the list view's sorting gives.
    Rows rows = listViewRows(page, IDC_ONLINE_LIST);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (Rows{{"alice", "4690"}, {"alice", "4702"}, {"bob", "-812"}, {"glftpd", "04711"}}));
}

TEST_F(OnlineUsersPage, ARefusedSwhoFallsBackToWhoWithUnknownPids) {
    site.answer("SITE SWHO", fixtureReply("site_swho_refused.txt"));
    site.answer("SITE WHO", fixtureReply("site_who.txt"));
    HWND page = showPage(onlinePage);
    EXPECT_EQ(site.commands(), (Lines{"SITE SWHO", "SITE WHO"}));
    // The refusal is let go of before the same record asks again.
    std::vector<std::int32_t> actions;
    for (const RecordedRequest& request : site.requests()) {
        actions.push_back(request.action);
    }
    EXPECT_EQ(actions, (std::vector<std::int32_t>{ACTION_SEND_COMMAND, ACTION_RELEASE_REPLY,
                                                  ACTION_SEND_COMMAND, ACTION_RELEASE_REPLY}));
    // Rows outside the first table (totals, the count) are no users.
    EXPECT_EQ(listViewRows(page, IDC_ONLINE_LIST), (Rows{{"alice", "???"}, {"glftpd", "???"}}));

    selectUser(page, "glftpd");
    EXPECT_TRUE(userButtonsEnabled(page));
    EXPECT_FALSE(isEnabled(page, IDC_ONLINE_KILL));
    site.clearRecord();
    clickButton(page, IDC_ONLINE_KILL);
    EXPECT_TRUE(site.commands().empty());
    clickButton(page, IDC_ONLINE_SHOW_USER);
    EXPECT_EQ(site.commands(), (Lines{"SITE USER glftpd"}));
}

TEST_F(OnlineUsersPage, TheSelectedRowDrivesShowUserStatsAndKill) {
    HWND page = showOnline();
    selectUser(page, "alice");
    EXPECT_TRUE(userButtonsEnabled(page));
    EXPECT_TRUE(isEnabled(page, IDC_ONLINE_KILL));
    site.clearRecord();
    clickButton(page, IDC_ONLINE_SHOW_USER);
    clickButton(page, IDC_ONLINE_USER_STATS);
    EXPECT_EQ(site.commands(), (Lines{"SITE USER alice", "SITE STATS alice"}));
    for (const RecordedRequest& request : site.requests()) {
        EXPECT_EQ(request.param, 0);
    }
    // Neither refetches nor changes the page.
    EXPECT_EQ(listViewRows(page, IDC_ONLINE_LIST).size(), 2u);
    EXPECT_TRUE(isEnabled(page, IDC_ONLINE_KILL));

    selectUser(page, "glftpd");
    site.clearRecord();
    clickButton(page, IDC_ONLINE_USER_STATS);
    EXPECT_EQ(site.commands(), (Lines{"SITE STATS glftpd"}));
}

TEST_F(OnlineUsersPage, AKickOrKillTheHostSendsFetchesTheListAgainAtOnce) {
    HWND page = showOnline();
    site.answer("SITE SWHO", linesReply({"200- |-------+----", "200- |  4711 | glftpd    | *@127.0.0.1 |",
                                         "200 Command Successful."}));
    // Also when the server objects: only the host's result counts.
    site.answer("SITE KILL 4711", fixtureReply("site_kill_invalid.txt"));
    const struct {
        const char* user;
        int button;
        const char* line;
    } cases[] = {{"alice", IDC_ONLINE_KICK, "SITE KICK alice"}, {"glftpd", IDC_ONLINE_KILL, "SITE KILL 4711"}};
    for (const auto& c : cases) {
        selectUser(page, c.user);
        site.clearRecord();
        clickButton(page, c.button);
        EXPECT_EQ(site.commands(), (Lines{c.line, "SITE SWHO"}));
        EXPECT_EQ(site.requests()[0].param, 0);
        EXPECT_EQ(listViewRows(page, IDC_ONLINE_LIST), (Rows{{"glftpd", "4711"}}));
        EXPECT_TRUE(userButtonsDisabled(page));
        // The old selection went with the list.
        site.clearRecord();
        clickAllUserButtons(page);
        EXPECT_TRUE(site.commands().empty()) << c.line;
    }
}

TEST_F(OnlineUsersPage, AKickOrKillTheHostFailsLeavesListAndSelection) {
    HWND page = showOnline();
    selectUser(page, "alice");
    site.failSendAt(1, 0, 0);
    site.failSendAt(2, 0, 0);
    clickButton(page, IDC_ONLINE_KICK);
    clickButton(page, IDC_ONLINE_KILL);
    EXPECT_EQ(site.commands(), (Lines{"SITE SWHO", "SITE KICK alice", "SITE KILL 4690"}));
    EXPECT_EQ(listViewRows(page, IDC_ONLINE_LIST).size(), 2u);
    EXPECT_TRUE(userButtonsEnabled(page));
    EXPECT_TRUE(isEnabled(page, IDC_ONLINE_KILL));
}

TEST_F(OnlineUsersPage, KillSendsThePidAsAPlainClampedNumber) {
    HWND page = showOnline("site_swho_busy.txt");
    // PID texts 04711 and -812.
    for (const auto& kill : {std::make_pair("glftpd", "SITE KILL 4711"), std::make_pair("bob", "SITE KILL -812")}) {
        selectUser(page, kill.first);
        site.clearRecord();
        clickButton(page, IDC_ONLINE_KILL);
        EXPECT_EQ(site.commands().front(), kill.second);
    }

    site.answer("SITE SWHO", fixtureReply("site_swho_odd.txt"));
    clickButton(page, IDC_ONLINE_UPDATE);
    selectUser(page, "carol");  // 40 digits
    EXPECT_TRUE(isEnabled(page, IDC_ONLINE_KILL));
    site.clearRecord();
    clickButton(page, IDC_ONLINE_KILL);
    EXPECT_EQ(site.commands().front(), "SITE KILL 2147483647");
}

TEST_F(OnlineUsersPage, APidThatIsNoNumberDisablesOnlyKill) {
    HWND page = showOnline("site_swho_odd.txt");
    EXPECT_EQ(listViewRows(page, IDC_ONLINE_LIST),
              (Rows{{"???", "5150"}, {"carol", "1234567890123456789012345678901234567890"},
                    {"dave", "ghost"}}));
    selectUser(page, "dave");
    EXPECT_TRUE(userButtonsEnabled(page));
    EXPECT_FALSE(isEnabled(page, IDC_ONLINE_KILL));
    // The longest text ever shown is read back whole.
    selectUser(page, "carol");
    site.clearRecord();
    clickButton(page, IDC_ONLINE_SHOW_USER);
    EXPECT_EQ(site.commands(), (Lines{"SITE USER carol"}));
}

TEST_F(OnlineUsersPage, AnEmptyUserNameSendsNothing) {
    HWND page = showOnline();
    site.answer("SITE SWHO", linesReply({"200- |-", "200- | 77 |   ", "200 Command Successful."}));
    clickButton(page, IDC_ONLINE_UPDATE);
    ASSERT_EQ(listViewRows(page, IDC_ONLINE_LIST), (Rows{{"", "77"}}));
    selectListViewRow(page, IDC_ONLINE_LIST, 0);
    site.clearRecord();
    clickButton(page, IDC_ONLINE_KICK);
    clickButton(page, IDC_ONLINE_SHOW_USER);
    clickButton(page, IDC_ONLINE_USER_STATS);
    EXPECT_TRUE(site.commands().empty());
    clickButton(page, IDC_ONLINE_KILL);
    EXPECT_EQ(site.commands().front(), "SITE KILL 77");
}

TEST_F(OnlineUsersPage, UpdateListClearsTheSelectionAndFetchesAgain) {
    HWND page = showOnline();
    selectUser(page, "alice");
    site.clearRecord();
    clickButton(page, IDC_ONLINE_UPDATE);
    EXPECT_EQ(site.commands(), (Lines{"SITE SWHO"}));
    EXPECT_EQ(listViewRows(page, IDC_ONLINE_LIST).size(), 2u);
    EXPECT_TRUE(userButtonsDisabled(page));
    site.clearRecord();
    clickAllUserButtons(page);
    EXPECT_TRUE(site.commands().empty());
}

TEST_F(OnlineUsersPage, TheListIsCachedAcrossPageSwitchesWithTheButtonsDisabledAgain) {
    HWND page = showOnline();
    selectUser(page, "alice");
    showPage(3);
    page = showPage(onlinePage);
    EXPECT_EQ(site.commands(), (Lines{"SITE SWHO"}));
    EXPECT_EQ(listViewRows(page, IDC_ONLINE_LIST), (Rows{{"alice", "4690"}, {"glftpd", "4711"}}));
    EXPECT_TRUE(userButtonsDisabled(page));
}

TEST_F(OnlineUsersPage, WhileNobodyIsOnlineEveryFillAsksAgain) {
    HWND page = showOnline("site_swho_empty.txt");
    EXPECT_TRUE(listViewRows(page, IDC_ONLINE_LIST).empty());
    clickButton(page, IDC_ONLINE_UPDATE);
    showPage(3);
    showPage(onlinePage);
    EXPECT_EQ(site.commands(), (Lines{"SITE SWHO", "SITE SWHO", "SITE SWHO"}));
}

TEST_F(OnlineUsersPage, AListingTheHostFailsIsNotReleasedAndAskedForAgain) {
    site.failSendAt(0, 0, 0);
    HWND page = showOnline();
    EXPECT_EQ(site.requests().size(), 1u);
    EXPECT_TRUE(listViewRows(page, IDC_ONLINE_LIST).empty());

    // The WHO fallback failing the same way.
    site.answer("SITE SWHO", fixtureReply("site_swho_refused.txt"));
    site.failSendAt(2, 0, 0);
    clickButton(page, IDC_ONLINE_UPDATE);
    EXPECT_EQ(site.commands(), (Lines{"SITE SWHO", "SITE SWHO", "SITE WHO"}));
    EXPECT_EQ(site.requests().back().action, ACTION_SEND_COMMAND);
    EXPECT_TRUE(listViewRows(page, IDC_ONLINE_LIST).empty());
}

TEST_F(OnlineUsersPage, AKeptReplyWithoutLinesIsAnEmptyListing) {
    ScriptedReply noLines;
    noLines.lines.clear();
    site.answer("SITE SWHO", noLines);
    HWND page = showPage(onlinePage);
    EXPECT_EQ(site.commands(), (Lines{"SITE SWHO"}));
    EXPECT_EQ(site.requests().back().action, ACTION_RELEASE_REPLY);
    EXPECT_TRUE(listViewRows(page, IDC_ONLINE_LIST).empty());

    site.answer("SITE SWHO", fixtureReply("site_swho_refused.txt"));
    site.answer("SITE WHO", noLines);
    clickButton(page, IDC_ONLINE_UPDATE);
    EXPECT_EQ(site.commands(), (Lines{"SITE SWHO", "SITE SWHO", "SITE WHO"}));
    EXPECT_EQ(site.requests().back().action, ACTION_RELEASE_REPLY);
}

TEST_F(OnlineUsersPage, OnlyListViewNotificationsNamingARowSelect) {
    HWND page = showOnline();
    notifyItemChanged(page, -1);
    notifyItemChanged(page, 2);
    notifyItemChanged(page, 0, GetDlgItem(page, IDC_ONLINE_UPDATE));
    EXPECT_TRUE(userButtonsDisabled(page));
    clickAllUserButtons(page);
    EXPECT_EQ(site.commands(), (Lines{"SITE SWHO"}));

    notifyItemChanged(page, 1);  // glftpd
    notifyItemChanged(page, -1);
    notifyItemChanged(page, 99);
    EXPECT_TRUE(userButtonsEnabled(page));
    site.clearRecord();
    clickButton(page, IDC_ONLINE_SHOW_USER);
    EXPECT_EQ(site.commands(), (Lines{"SITE USER glftpd"}));
}

TEST_F(OnlineUsersPage, ButtonNotificationsOtherThanClicksDoNothing) {
    HWND page = showOnline();
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_ONLINE_UPDATE, BN_SETFOCUS),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_ONLINE_UPDATE)));
    EXPECT_EQ(site.commands(), (Lines{"SITE SWHO"}));
}
