// The Groups page: its list, the four group commands and how the shared group
// list follows what the server answered.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

typedef std::vector<std::string> Lines;
typedef std::vector<Lines> Rows;

const int changeControls[] = {IDC_GROUPS_CHANGE_INFO, IDC_GROUPS_NEW_INFO, IDC_GROUPS_RENAME,
                              IDC_GROUPS_NEW_NAME, IDC_GROUPS_DELETE};

const Rows listedGroups = {{"friends", "Friends of the site"}, {"glftpd", "glftpd"}, {"NoGroup", "No Group"}};
const Lines listedNames = {"friends", "glftpd", "NoGroup"};

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

    void selectGroup(HWND page, const std::string& name) {
        const Rows shown = rows(page);
        for (std::size_t row = 0; row < shown.size(); ++row) {
            if (shown[row][0] == name) {
                selectListViewRow(page, IDC_GROUPS_LIST, static_cast<int>(row));
                return;
            }
        }
        ADD_FAILURE() << "no row named " << name;
    }

    void addGroup(HWND page, const std::string& name, const std::string& info) {
        setText(page, IDC_GROUPS_ADD_NAME, name);
        setText(page, IDC_GROUPS_ADD_INFO, info);
        clickButton(page, IDC_GROUPS_ADD);
    }

    void changeGroup(HWND page, const std::string& name, int editId, const std::string& text, int buttonId) {
        selectGroup(page, name);
        setText(page, editId, text);
        clickButton(page, buttonId);
    }

    bool changeControlsAre(HWND page, bool enabled) {
        bool all = true;
        for (int id : changeControls) {
            all = all && isEnabled(page, id) == enabled;
        }
        return all;
    }

    // The shared group list as another page offers it; shows that page.
    Lines groupsSeenElsewhere() { return comboItems(showPage(5), IDC_SITECMD_MSG_GROUP); }

    // Sends and releases since the last clearRecord.
    Lines channel() {
        Lines seen;
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

}  // namespace

TEST_F(GroupsPage, ListsThePublicGroupsSortedAndSelectingARowFillsTheChangeControls) {
    HWND page = showGroups();
    EXPECT_EQ(site.commands(), (Lines{"SITE GROUPS", "SITE USER"}));
    EXPECT_EQ(rows(page), listedGroups);  // STAFF is private: not on this page
    EXPECT_TRUE(changeControlsAre(page, false));
    HWND list = GetDlgItem(page, IDC_GROUPS_LIST);
    const LRESULT styles = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ(styles & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES), LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 60);
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), 150);

    selectGroup(page, "friends");
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_NAME), "friends");
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_INFO), "Friends of the site");
    EXPECT_TRUE(changeControlsAre(page, true));
}

TEST_F(GroupsPage, AddGroupListsTheGroupInItsSortedPlaceUnlessItExists) {
    HWND page = showGroups();
    site.answer("SITE GRPADD admins Site administrators", oneLineReply("200 Group (admins) successfully added."));
    site.answerPrefix("SITE GRPADD friends", oneLineReply("200 Group (friends) already exists."));
    site.clearRecord();
    addGroup(page, "admins", "Site administrators");
    addGroup(page, "friends", "Friends again");
    addGroup(page, "Old_Farts", "Retired old couriers");  // the description keeps its blanks
    EXPECT_EQ(channel(), (Lines{"SITE GRPADD admins Site administrators [kept]", "release",
                                "SITE GRPADD friends Friends again [kept]", "release",
                                "SITE GRPADD Old_Farts Retired old couriers [kept]", "release"}));
    Rows expected = listedGroups;
    expected.insert(expected.begin(), {"admins", "Site administrators"});
    expected.push_back({"Old_Farts", "Retired old couriers"});
    EXPECT_EQ(rows(page), expected);
    EXPECT_TRUE(changeControlsAre(page, false));
    EXPECT_EQ(groupsSeenElsewhere(), (Lines{"admins", "friends", "glftpd", "NoGroup", "Old_Farts"}));
}

TEST_F(GroupsPage, ChangeInfoRenameAndDeleteKeepTheSharedListInStep) {
    HWND page = showGroups();
    site.answer("SITE GRPDEL glftpd", oneLineReply("200 Group (glftpd) successfully deleted."));
    site.clearRecord();
    changeGroup(page, "friends", IDC_GROUPS_NEW_INFO, "Best friends", IDC_GROUPS_CHANGE_INFO);
    EXPECT_TRUE(changeControlsAre(page, false));
    changeGroup(page, "NoGroup", IDC_GROUPS_NEW_NAME, "Leechers", IDC_GROUPS_RENAME);
    EXPECT_TRUE(changeControlsAre(page, false));
    selectGroup(page, "glftpd");
    clickButton(page, IDC_GROUPS_DELETE);
    EXPECT_TRUE(changeControlsAre(page, false));
    EXPECT_EQ(channel(), (Lines{"SITE GRPNFO friends Best friends", "SITE GRPREN NoGroup Leechers",
                                "SITE GRPDEL glftpd [kept]", "release"}));
    EXPECT_EQ(rows(page), (Rows{{"friends", "Best friends"}, {"Leechers", "No Group"}}));
    EXPECT_EQ(groupsSeenElsewhere(), (Lines{"friends", "Leechers"}));
}

TEST_F(GroupsPage, RefusedOrFailedDeletesAndAddsChangeNothingButAreReleased) {
    site.allowReleaseAfterZeroResult = true;
    HWND page = showGroups();
    ScriptedReply zero;
    zero.hostResult = 0;
    ScriptedReply noLines;
    noLines.lines.clear();
    site.answer("SITE GRPDEL friends", oneLineReply("200 Group delete failed. (friends) linked to one or more users."));
    site.answer("SITE GRPDEL NoGroup", oneLineReply("200 Group (NoGroup) does not exist."));
    site.answer("SITE GRPDEL glftpd", zero);
    site.answer("SITE GRPADD ghost Never added", zero);
    site.answer("SITE GRPADD blank Nothing read", noLines);
    site.clearRecord();
    const char* const groups[] = {"friends", "NoGroup", "glftpd"};
    for (const char* group : groups) {
        selectGroup(page, group);
        clickButton(page, IDC_GROUPS_DELETE);
    }
    site.answer("SITE GRPDEL glftpd", noLines);
    selectGroup(page, "glftpd");
    clickButton(page, IDC_GROUPS_DELETE);
    addGroup(page, "ghost", "Never added");
    addGroup(page, "blank", "Nothing read");
    EXPECT_EQ(channel(), (Lines{"SITE GRPDEL friends [kept]", "release", "SITE GRPDEL NoGroup [kept]", "release",
                                "SITE GRPDEL glftpd [kept]", "release", "SITE GRPDEL glftpd [kept]", "release",
                                "SITE GRPADD ghost Never added [kept]", "release",
                                "SITE GRPADD blank Nothing read [kept]", "release"}));
    EXPECT_EQ(rows(page), listedGroups);
    EXPECT_EQ(groupsSeenElsewhere(), listedNames);
}

TEST_F(GroupsPage, EmptyFieldsAndMissingSelectionsSendNothing) {
    HWND page = showGroups();
    site.clearRecord();
    clickButton(page, IDC_GROUPS_DELETE);  // no row selected yet: silently nothing
    clickButton(page, IDC_GROUPS_ADD);     // both empty: only the name is asked for
    setText(page, IDC_GROUPS_ADD_NAME, "admins");
    clickButton(page, IDC_GROUPS_ADD);
    changeGroup(page, "glftpd", IDC_GROUPS_NEW_INFO, "", IDC_GROUPS_CHANGE_INFO);
    changeGroup(page, "glftpd", IDC_GROUPS_NEW_NAME, "", IDC_GROUPS_RENAME);
    const Lines expected = {"You need to specify a group name", "You need to specify a group info",
                            "You need to specify a group info", "You need to specify a group name"};
    ASSERT_EQ(messageBoxes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(messageBoxes[i].title, "Parameter error");
        EXPECT_EQ(messageBoxes[i].text, expected[i]);
    }
    EXPECT_TRUE(site.commands().empty());
    EXPECT_EQ(rows(page), listedGroups);
    EXPECT_TRUE(changeControlsAre(page, true));  // the selection stands
}

TEST_F(GroupsPage, ANotificationThatNamesNoRowSelectsNothing) {
    HWND page = showGroups();
    auto notify = [page](int item) {
        NMLISTVIEW change{};
        change.hdr.hwndFrom = GetDlgItem(page, IDC_GROUPS_LIST);
        change.hdr.idFrom = IDC_GROUPS_LIST;
        change.hdr.code = LVN_ITEMCHANGED;
        change.iItem = item;
        change.uChanged = LVIF_STATE;
        SendMessageA(page, WM_NOTIFY, IDC_GROUPS_LIST, reinterpret_cast<LPARAM>(&change));
    };
    notify(-1);
    notify(3);  // one past the last row
    EXPECT_TRUE(changeControlsAre(page, false));
    selectGroup(page, "glftpd");
    notify(-1);  // keeps the selection it finds
    site.clearRecord();
    clickButton(page, IDC_GROUPS_DELETE);
    EXPECT_EQ(site.commands(), (Lines{"SITE GRPDEL glftpd"}));
}

TEST_F(GroupsPage, ReadBackHoldsTheLongestTextEverListed) {
    HWND page = showGroups("groups_listing_public.txt");
    const std::string courierInfo =
        "Independent couriers, affiliated with several sites and racing 0day and mp3 sections";
    selectGroup(page, "iND");
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_INFO), courierInfo);
    const std::string longer = courierInfo + ", " + std::string(200, 'x');
    changeGroup(page, "iND", IDC_GROUPS_NEW_INFO, longer, IDC_GROUPS_CHANGE_INFO);
    selectGroup(page, "iND");
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_INFO), longer);
}

TEST_F(GroupsPage, OnlyTheNewGroupTextsSurviveAPageSwitch) {
    HWND page = showGroups();
    setText(page, IDC_GROUPS_ADD_NAME, "couriers");
    setText(page, IDC_GROUPS_ADD_INFO, "Racing couriers");
    selectGroup(page, "friends");
    showPage(3);
    page = showPage(6);
    EXPECT_EQ(getText(page, IDC_GROUPS_ADD_NAME), "couriers");
    EXPECT_EQ(getText(page, IDC_GROUPS_ADD_INFO), "Racing couriers");
    EXPECT_EQ(getText(page, IDC_GROUPS_NEW_NAME), "");
    EXPECT_TRUE(changeControlsAre(page, false));
    EXPECT_EQ(rows(page), listedGroups);
    site.clearRecord();
    clickButton(page, IDC_GROUPS_DELETE);  // the selection left with the page
    EXPECT_TRUE(site.commands().empty());

    // After a command the edits show what was saved at the leave, not what was typed.
    addGroup(page, "admins", "Site administrators");
    EXPECT_EQ(site.commands(), (Lines{"SITE GRPADD admins Site administrators"}));
    EXPECT_EQ(getText(page, IDC_GROUPS_ADD_NAME), "couriers");
    EXPECT_EQ(getText(page, IDC_GROUPS_ADD_INFO), "Racing couriers");
}

TEST_F(GroupsPage, ALineBreakInAFieldNeverReachesTheServerOrTheList) {
    HWND page = showGroups();
    site.clearRecord();
    addGroup(page, "evil\r\nQUIT", "x");
    changeGroup(page, "glftpd", IDC_GROUPS_NEW_NAME, "gl\r\nQUIT", IDC_GROUPS_RENAME);
    // The edits keep the line breaks; the page sends nothing and the list stays.
    EXPECT_TRUE(site.commands().empty());
    EXPECT_TRUE(messageBoxes.empty());
    EXPECT_EQ(rows(page), listedGroups);
}
