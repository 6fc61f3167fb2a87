// The Groups page: its list, the four group commands and how the shared group
// list follows what the server answered.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

typedef std::vector<std::vector<std::string>> Rows;

const int changeControls[] = {IDC_GROUPS_CHANGE_INFO, IDC_GROUPS_NEW_INFO, IDC_GROUPS_RENAME,
                              IDC_GROUPS_NEW_NAME, IDC_GROUPS_DELETE};

const Rows listedGroups = {
    {"friends", "Friends of the site"},
    {"glftpd", "glftpd"},
    {"NoGroup", "No Group"},
};

class GroupsPage : public PluginTest {
protected:
    HWND showGroups(const char* listing = "groups_listing.txt") {
        site.answer("SITE GROUPS", fixtureReply(listing));
        site.answer("SITE USER", fixtureReply("groups_user_listing.txt"));
        HWND shown = showPage(6);
        EXPECT_NE(shown, nullptr);
        return shown;
    }

    Rows rows(HWND page) { return listViewRows(page, IDC_GROUPS_LIST); }

    int rowOf(HWND page, const std::string& name) {
        const Rows shown = rows(page);
        for (std::size_t row = 0; row < shown.size(); ++row) {
            if (shown[row][0] == name) {
                return static_cast<int>(row);
            }
        }
        ADD_FAILURE() << "no row named " << name;
        return -1;
    }

    void selectGroup(HWND page, const std::string& name) {
        selectListViewRow(page, IDC_GROUPS_LIST, rowOf(page, name));
    }

    void addGroup(HWND page, const std::string& name, const std::string& info) {
        setText(page, IDC_GROUPS_ADD_NAME, name);
        setText(page, IDC_GROUPS_ADD_INFO, info);
        clickButton(page, IDC_GROUPS_ADD);
    }

    bool changeControlsEnabled(HWND page, bool expected) {
        bool all = true;
        for (int id : changeControls) {
            all = all && isEnabled(page, id) == expected;
        }
        return all;
    }

    // Names the site commands page offers: the shared group list as it is now.
    std::vector<std::string> groupsSeenElsewhere() {
        HWND other = showPage(5);
        return comboItems(other, IDC_SITECMD_MSG_GROUP);
    }

    void notifyItemChanged(HWND page, int item) {
        NMLISTVIEW change{};
        change.hdr.hwndFrom = GetDlgItem(page, IDC_GROUPS_LIST);
        change.hdr.idFrom = IDC_GROUPS_LIST;
        change.hdr.code = LVN_ITEMCHANGED;
        change.iItem = item;
        change.uChanged = LVIF_STATE;
        SendMessageA(page, WM_NOTIFY, IDC_GROUPS_LIST, reinterpret_cast<LPARAM>(&change));
    }

    // The send requests and releases after the last clearRecord, as text.
    std::vector<std::string> channel() {
        std::vector<std::string> seen;
        for (const RecordedRequest& request : site.requests()) {
            if (request.action == ACTION_SEND_COMMAND) {
                seen.push_back(request.command + (request.param == 1 ? " [kept]" : ""));
            } else if (request.action == ACTION_RELEASE_REPLY) {
                seen.push_back("release");
            }
        }
        return seen;
    }
};

ScriptedReply zeroResult() {
    ScriptedReply reply;
    reply.hostResult = 0;
    reply.lines.clear();
    return reply;
}

ScriptedReply replyWithoutLines() {
    ScriptedReply reply;
    reply.lines.clear();
    return reply;
}

}  // namespace

TEST_F(GroupsPage, ListsThePublicGroupsSortedWithTheChangeControlsOff) {
    HWND page = showGroups();
    EXPECT_EQ(site.commands(), (std::vector<std::string>{"SITE GROUPS", "SITE USER"}));
    EXPECT_EQ(rows(page), listedGroups);  // STAFF is private: not on this page
    EXPECT_TRUE(changeControlsEnabled(page, false));
    EXPECT_EQ(listViewSelection(page, IDC_GROUPS_LIST), -1);

    HWND list = GetDlgItem(page, IDC_GROUPS_LIST);
    const LRESULT styles = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ(styles & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES), LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 60);
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), 150);
    char title[16] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT;
    column.pszText = title;
    column.cchTextMax = sizeof title;
    SendMessageA(list, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
    EXPECT_STREQ(title, "Info");
}

TEST_F(GroupsPage, SelectingARowFillsTheChangeEditsAndEnablesThem) {
    HWND page = showGroups();
    selectGroup(page, "friends");
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_NAME), "friends");
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_INFO), "Friends of the site");
    EXPECT_TRUE(changeControlsEnabled(page, true));
    selectGroup(page, "NoGroup");
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_NAME), "NoGroup");
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_INFO), "No Group");
}

TEST_F(GroupsPage, AddGroupKeepsTheReplyAndListsTheGroupInItsSortedPlace) {
    HWND page = showGroups();
    site.clearRecord();
    site.answer("SITE GRPADD admins Site administrators",
                oneLineReply("200 Group (admins) successfully added."));
    addGroup(page, "admins", "Site administrators");
    EXPECT_EQ(channel(),
              (std::vector<std::string>{"SITE GRPADD admins Site administrators [kept]", "release"}));
    Rows expected = listedGroups;
    expected.insert(expected.begin(), {"admins", "Site administrators"});
    EXPECT_EQ(rows(page), expected);
    EXPECT_TRUE(changeControlsEnabled(page, false));

    // Names of several words go out as typed, unquoted.
    site.clearRecord();
    addGroup(page, "Old Farts", "Retired couriers");
    EXPECT_EQ(site.commands(), (std::vector<std::string>{"SITE GRPADD Old Farts Retired couriers"}));

    EXPECT_EQ(groupsSeenElsewhere(),
              (std::vector<std::string>{"admins", "friends", "glftpd", "NoGroup", "Old Farts"}));
}

TEST_F(GroupsPage, AGroupTheServerSaysExistsIsNotAddedTwice) {
    HWND page = showGroups();
    site.clearRecord();
    site.answerPrefix("SITE GRPADD friends", oneLineReply("200 Group (friends) already exists."));
    addGroup(page, "friends", "Friends of the site");
    EXPECT_EQ(channel(),
              (std::vector<std::string>{"SITE GRPADD friends Friends of the site [kept]", "release"}));
    EXPECT_EQ(rows(page), listedGroups);
    EXPECT_EQ(groupsSeenElsewhere(), (std::vector<std::string>{"friends", "glftpd", "NoGroup"}));
}

TEST_F(GroupsPage, ChangeInfoRenameAndDeleteKeepTheSharedListInStep) {
    HWND page = showGroups();
    site.clearRecord();

    selectGroup(page, "friends");
    setText(page, IDC_GROUPS_NEW_INFO, "Best friends of the site");
    clickButton(page, IDC_GROUPS_CHANGE_INFO);
    EXPECT_EQ(channel(), (std::vector<std::string>{"SITE GRPNFO friends Best friends of the site"}));
    EXPECT_EQ(rows(page), (Rows{{"friends", "Best friends of the site"}, {"glftpd", "glftpd"},
                                {"NoGroup", "No Group"}}));
    EXPECT_TRUE(changeControlsEnabled(page, false));

    site.clearRecord();
    selectGroup(page, "NoGroup");
    setText(page, IDC_GROUPS_NEW_NAME, "Leechers");
    clickButton(page, IDC_GROUPS_RENAME);
    EXPECT_EQ(channel(), (std::vector<std::string>{"SITE GRPREN NoGroup Leechers"}));
    EXPECT_EQ(rows(page), (Rows{{"friends", "Best friends of the site"}, {"glftpd", "glftpd"},
                                {"Leechers", "No Group"}}));
    EXPECT_TRUE(changeControlsEnabled(page, false));

    site.clearRecord();
    site.answer("SITE GRPDEL glftpd", oneLineReply("200 Group (glftpd) successfully deleted."));
    selectGroup(page, "glftpd");
    clickButton(page, IDC_GROUPS_DELETE);
    EXPECT_EQ(channel(), (std::vector<std::string>{"SITE GRPDEL glftpd [kept]", "release"}));
    EXPECT_EQ(rows(page), (Rows{{"friends", "Best friends of the site"}, {"Leechers", "No Group"}}));
    EXPECT_TRUE(changeControlsEnabled(page, false));

    EXPECT_EQ(groupsSeenElsewhere(), (std::vector<std::string>{"friends", "Leechers"}));
}

TEST_F(GroupsPage, ARefusedDeleteKeepsTheGroup) {
    HWND page = showGroups();
    site.answer("SITE GRPDEL friends",
                oneLineReply("200 Group delete failed. (friends) linked to one or more users."));
    site.answer("SITE GRPDEL NoGroup", oneLineReply("200 Group (NoGroup) does not exist."));
    site.clearRecord();
    selectGroup(page, "friends");
    clickButton(page, IDC_GROUPS_DELETE);
    selectGroup(page, "NoGroup");
    clickButton(page, IDC_GROUPS_DELETE);
    EXPECT_EQ(channel(), (std::vector<std::string>{"SITE GRPDEL friends [kept]", "release",
                                                   "SITE GRPDEL NoGroup [kept]", "release"}));
    EXPECT_EQ(rows(page), listedGroups);
    EXPECT_TRUE(changeControlsEnabled(page, false));
    EXPECT_EQ(groupsSeenElsewhere(), (std::vector<std::string>{"friends", "glftpd", "NoGroup"}));
}

TEST_F(GroupsPage, AZeroResultOrAReplyWithoutLinesChangesNothingButIsStillReleased) {
    site.allowReleaseAfterZeroResult = true;
    HWND page = showGroups();
    site.answer("SITE GRPADD ghost Never added", zeroResult());
    site.answer("SITE GRPADD blank Nothing read", replyWithoutLines());
    site.answer("SITE GRPDEL friends", zeroResult());
    site.answer("SITE GRPDEL glftpd", replyWithoutLines());
    site.clearRecord();

    addGroup(page, "ghost", "Never added");
    addGroup(page, "blank", "Nothing read");
    selectGroup(page, "friends");
    clickButton(page, IDC_GROUPS_DELETE);
    selectGroup(page, "glftpd");
    clickButton(page, IDC_GROUPS_DELETE);

    EXPECT_EQ(channel(), (std::vector<std::string>{
                             "SITE GRPADD ghost Never added [kept]", "release",
                             "SITE GRPADD blank Nothing read [kept]", "release",
                             "SITE GRPDEL friends [kept]", "release",
                             "SITE GRPDEL glftpd [kept]", "release"}));
    EXPECT_EQ(rows(page), listedGroups);
    EXPECT_EQ(groupsSeenElsewhere(), (std::vector<std::string>{"friends", "glftpd", "NoGroup"}));
}

TEST_F(GroupsPage, EmptyFieldsShowTheParameterErrorAndSendNothing) {
    HWND page = showGroups();
    site.clearRecord();

    clickButton(page, IDC_GROUPS_ADD);  // both empty: only the name is asked for
    setText(page, IDC_GROUPS_ADD_NAME, "admins");
    clickButton(page, IDC_GROUPS_ADD);

    selectGroup(page, "glftpd");
    setText(page, IDC_GROUPS_NEW_INFO, "");
    clickButton(page, IDC_GROUPS_CHANGE_INFO);
    setText(page, IDC_GROUPS_NEW_NAME, "");
    clickButton(page, IDC_GROUPS_RENAME);

    ASSERT_EQ(messageBoxes.size(), 4u);
    const char* expected[] = {"You need to specify a group name", "You need to specify a group info",
                              "You need to specify a group info", "You need to specify a group name"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(messageBoxes[i].title, "Parameter error");
        EXPECT_EQ(messageBoxes[i].text, expected[i]);
    }
    EXPECT_TRUE(site.commands().empty());
    EXPECT_EQ(rows(page), listedGroups);
    EXPECT_TRUE(changeControlsEnabled(page, true));  // nothing changed, the selection stands
}

TEST_F(GroupsPage, ChangeButtonsWithoutASelectionDoNothing) {
    HWND page = showGroups();
    site.clearRecord();
    setText(page, IDC_GROUPS_NEW_INFO, "Best friends");
    setText(page, IDC_GROUPS_NEW_NAME, "pals");
    clickButton(page, IDC_GROUPS_CHANGE_INFO);
    clickButton(page, IDC_GROUPS_RENAME);
    clickButton(page, IDC_GROUPS_DELETE);
    EXPECT_TRUE(site.commands().empty());
    EXPECT_TRUE(messageBoxes.empty());
    EXPECT_EQ(rows(page), listedGroups);
}

TEST_F(GroupsPage, ANotificationThatNamesNoRowSelectsNothing) {
    HWND page = showGroups();
    notifyItemChanged(page, -1);
    notifyItemChanged(page, 3);  // one past the last row
    EXPECT_TRUE(changeControlsEnabled(page, false));
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_NAME), "");

    // After a real selection such a notification keeps it.
    selectGroup(page, "glftpd");
    notifyItemChanged(page, -1);
    EXPECT_TRUE(changeControlsEnabled(page, true));
    site.clearRecord();
    clickButton(page, IDC_GROUPS_DELETE);
    EXPECT_EQ(site.commands(), (std::vector<std::string>{"SITE GRPDEL glftpd"}));
}

TEST_F(GroupsPage, ReadBackHoldsTheLongestTextEverListed) {
    HWND page = showGroups("groups_listing_public.txt");
    const std::string courierInfo =
        "Independent couriers, affiliated with several sites and racing 0day and mp3 sections";
    selectGroup(page, "iND");
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_INFO), courierInfo);

    // A description longer than anything listed so far comes back whole after the refill.
    const std::string longer = courierInfo + ", " + std::string(200, 'x');
    setText(page, IDC_GROUPS_NEW_INFO, longer);
    clickButton(page, IDC_GROUPS_CHANGE_INFO);
    selectGroup(page, "iND");
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_INFO), longer);
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_NAME), "iND");
}

TEST_F(GroupsPage, ANewGroupCanBeChangedAtOnceWithoutAListing) {
    // A site that refuses the listing: the page starts empty and still works.
    site.answer("SITE GROUPS", oneLineReply("200 You do not have access to this command."));
    site.answer("SITE USER", oneLineReply("200 You do not have access to this command."));
    HWND page = showPage(6);
    EXPECT_TRUE(rows(page).empty());
    EXPECT_TRUE(changeControlsEnabled(page, false));

    addGroup(page, "zeta", "Last group");
    addGroup(page, "alpha", "First group");
    EXPECT_EQ(rows(page), (Rows{{"alpha", "First group"}, {"zeta", "Last group"}}));

    selectGroup(page, "zeta");
    setText(page, IDC_GROUPS_NEW_NAME, "omega");
    clickButton(page, IDC_GROUPS_RENAME);
    selectGroup(page, "alpha");
    site.clearRecord();
    clickButton(page, IDC_GROUPS_DELETE);
    EXPECT_EQ(site.commands(), (std::vector<std::string>{"SITE GRPDEL alpha"}));
    EXPECT_EQ(rows(page), (Rows{{"omega", "Last group"}}));
}

TEST_F(GroupsPage, TheNewGroupTextsAndNothingElseSurviveAPageSwitch) {
    HWND page = showGroups();
    setText(page, IDC_GROUPS_ADD_NAME, "couriers");
    setText(page, IDC_GROUPS_ADD_INFO, "Racing couriers");
    selectGroup(page, "friends");

    showPage(3);
    page = showPage(6);
    EXPECT_EQ(getText(page, IDC_GROUPS_ADD_NAME), "couriers");
    EXPECT_EQ(getText(page, IDC_GROUPS_ADD_INFO), "Racing couriers");
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_NAME), "");
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_INFO), "");
    EXPECT_TRUE(changeControlsEnabled(page, false));
    EXPECT_EQ(rows(page), listedGroups);

    // The selection was forgotten with the page: Del group has nothing to act on.
    site.clearRecord();
    clickButton(page, IDC_GROUPS_DELETE);
    EXPECT_TRUE(site.commands().empty());

    // After a command the edits show what was saved at the leave, not what was typed.
    addGroup(page, "admins", "Site administrators");
    EXPECT_EQ(site.commands(), (std::vector<std::string>{"SITE GRPADD admins Site administrators"}));
    EXPECT_EQ(getText(page, IDC_GROUPS_ADD_NAME), "couriers");
    EXPECT_EQ(getText(page, IDC_GROUPS_ADD_INFO), "Racing couriers");
}

TEST_F(GroupsPage, ALineBreakInAFieldNeverReachesTheServerOrTheList) {
    HWND page = showGroups();
    site.clearRecord();
    addGroup(page, "evil\r\nSITE DELUSER alice", "x");
    selectGroup(page, "glftpd");
    setText(page, IDC_GROUPS_NEW_NAME, "gl\r\nSITE GRPDEL friends");
    clickButton(page, IDC_GROUPS_RENAME);
    // The edit keeps the line break; the page sends nothing and the list stays.
    EXPECT_TRUE(site.commands().empty());
    EXPECT_EQ(rows(page), listedGroups);
}
