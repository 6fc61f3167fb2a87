// No command line leaves the plug-in with a CR or LF inside it: a typed text
// or a name from a server listing holding one makes the channel refuse that
// request, which the page then treats as a failed one.
#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

const char* const lineBreaks[] = {"\r", "\n", "\r\n"};

class InjectedLineBreaks : public PluginTest {
protected:
    // A user listing whose names carry a line break with a command after it.
    HWND showUserCommandsWithListedBreaks() {
        site.answer("SITE GROUPS", linesReply({"200- #users  Group", "200- -----",
                                               "200- (   1)  ops\rSITE GRPDEL x  Operators",
                                               "200 1 user groups."}));
        site.answer("SITE USER", linesReply({"200- User Listing", "200- ",
                                             "200- bob\rSITE DELUSER x  carol\nSITE KICK y  dave ",
                                             "200- ", "200 3 total users on site."}));
        HWND page = showPage(4);
        site.clearRecord();
        return page;
    }

    int userIndexOf(HWND page, const std::string& name) {
        const Lines users = comboItems(page, IDC_USERCMD_USERNAME);
        for (std::size_t index = 0; index < users.size(); ++index) {
            if (users[index] == name) {
                return static_cast<int>(index);
            }
        }
        ADD_FAILURE() << "no user " << name;
        return -1;
    }

};

}  // namespace

TEST_F(InjectedLineBreaks, ATypedCreditMessageWithABreakSendsNothing) {
    site.answer("SITE GROUPS", fixtureReply("usercmd_groups.txt"));
    site.answer("SITE USER", fixtureReply("usercmd_users.txt"));
    HWND page = showPage(4);
    setText(page, IDC_USERCMD_AMOUNT, "1");
    for (const char* lineBreak : lineBreaks) {
        const std::string message = std::string("thanks") + lineBreak + "SITE DELUSER alice";
        setText(page, IDC_USERCMD_MESSAGE, message);
        ASSERT_EQ(getText(page, IDC_USERCMD_MESSAGE), message) << "the edit keeps what it is given";
        EXPECT_TRUE(commandsOf(page, IDC_USERCMD_GIVE_CREDITS).empty());
        EXPECT_TRUE(commandsOf(page, IDC_USERCMD_TAKE_CREDITS).empty());
    }
    setText(page, IDC_USERCMD_MESSAGE, "thanks");
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_GIVE_CREDITS), (Lines{"SITE GIVE alice 1024 thanks"}));
}

TEST_F(InjectedLineBreaks, ATypedReaddNameWithABreakIsAFailedReadd) {
    site.answer("SITE GROUPS", fixtureReply("usercmd_groups.txt"));
    site.answer("SITE USER", fixtureReply("usercmd_users.txt"));
    HWND page = showPage(4);
    const Lines users = comboItems(page, IDC_USERCMD_USERNAME);
    setText(page, IDC_USERCMD_READD_NAME, "zed\r\nQUIT");
    site.clearRecord();
    clickButton(page, IDC_USERCMD_READD_USER);
    // Refused like a send the host failed: nothing sent, nothing to release,
    // the name does not join the directory.
    EXPECT_TRUE(site.requests().empty());
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), users);
    EXPECT_TRUE(messageBoxes.empty());
}

TEST_F(InjectedLineBreaks, AListedUserNameWithABreakIsNeverSent) {
    HWND page = showUserCommandsWithListedBreaks();
    const Lines users = comboItems(page, IDC_USERCMD_USERNAME);
    ASSERT_EQ(users.size(), 7u);
    setText(page, IDC_USERCMD_AMOUNT, "1");
    for (const char* name : {"bob\rSITE", "carol\nSITE"}) {
        pickComboItem(page, IDC_USERCMD_USERNAME, userIndexOf(page, name));
        for (int id : {IDC_USERCMD_SHOW_USER, IDC_USERCMD_USER_STATS, IDC_USERCMD_SEEN_USER,
                       IDC_USERCMD_GIVE_CREDITS, IDC_USERCMD_TAKE_CREDITS}) {
            EXPECT_TRUE(commandsOf(page, id).empty()) << name << " " << id;
        }
        // A refused delete is a failed one: the name stays in combo and directory.
        EXPECT_TRUE(commandsOf(page, IDC_USERCMD_DELETE_USER).empty()) << name;
        EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), users);
        sendComboNotification(page, IDC_USERCMD_USERNAME, CBN_CLOSEUP);
        site.clearRecord();
        pumpMessages();
        EXPECT_TRUE(site.commands().empty());
    }
    showPage(3);
    page = showPage(4);
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), users);
    // A clean name from the same listing still goes out.
    pickComboItem(page, IDC_USERCMD_USERNAME, userIndexOf(page, "dave"));
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_DELETE_USER), (Lines{"SITE DELUSER dave"}));
}

TEST_F(InjectedLineBreaks, AListedGroupNameWithABreakIsNeverSent) {
    HWND page = showUserCommandsWithListedBreaks();
    ASSERT_EQ(comboItems(page, IDC_USERCMD_LIST_GROUP), (Lines{"ops\rSITE"}));
    EXPECT_TRUE(commandsOf(page, IDC_USERCMD_LIST_SPECIAL).empty());
    clickButton(page, IDC_USERCMD_BY_FLAG);
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_SPECIAL), (Lines{"SITE USERS SITEOP"}));
}

TEST_F(InjectedLineBreaks, AnOnlineNameWithABreakIsNeverKickedAndNothingIsRefetched) {
    site.answer("SITE SWHO", linesReply({"200- | PiD | User |", "200- |-----+------|",
                                         "200- |  77 | eve\rSITE KILL 1 |", "200 Command Successful."}));
    HWND page = showPage(7);
    ASSERT_EQ(listViewRows(page, IDC_ONLINE_LIST).size(), 1u);
    selectListViewRow(page, IDC_ONLINE_LIST, 0);
    for (int id : {IDC_ONLINE_KICK, IDC_ONLINE_SHOW_USER, IDC_ONLINE_USER_STATS}) {
        // A refused kick is a failed one: no refetch follows.
        EXPECT_TRUE(commandsOf(page, id).empty()) << id;
    }
    EXPECT_EQ(commandsOf(page, IDC_ONLINE_KILL), (Lines{"SITE KILL 77", "SITE SWHO"}));
}

TEST_F(InjectedLineBreaks, TypedSiteCommandTextsWithABreakSendNothing) {
    site.answer("SITE GROUPS", fixtureReply("usercmd_groups.txt"));
    site.answer("SITE USER", fixtureReply("usercmd_users.txt"));
    HWND page = showPage(5);
    for (const char* lineBreak : lineBreaks) {
        setText(page, IDC_SITECMD_MESSAGE, std::string("hello") + lineBreak + "SITE DELUSER alice");
        for (int target : {IDC_SITECMD_TO_USER, IDC_SITECMD_TO_GROUP, IDC_SITECMD_TO_ALL}) {
            clickButton(page, target);
            EXPECT_TRUE(commandsOf(page, IDC_SITECMD_SEND_MESSAGE).empty()) << target;
        }
        setText(page, IDC_SITECMD_RELEASE, std::string("Some.Release") + lineBreak + "SITE NUKE x");
        for (int id : {IDC_SITECMD_SEARCH_DIR, IDC_SITECMD_DUPECHECK, IDC_SITECMD_UNDUPE}) {
            EXPECT_TRUE(commandsOf(page, id).empty()) << id;
        }
    }
    EXPECT_TRUE(messageBoxes.empty());
    setText(page, IDC_SITECMD_MESSAGE, "hello");
    EXPECT_EQ(commandsOf(page, IDC_SITECMD_SEND_MESSAGE), (Lines{"SITE MSG *  hello"}));
}

TEST_F(InjectedLineBreaks, TheAddChainStopsAtATypedMaskWithABreak) {
    site.answer("SITE GROUPS", fixtureReply("usercmd_groups.txt"));
    site.answer("SITE USER", fixtureReply("usercmd_users.txt"));
    HWND page = showPage(1);
    setText(page, IDC_ADDUSER_USERNAME, "zed");
    setText(page, IDC_ADDUSER_PASSWORD, "secret");
    setText(page, IDC_ADDUSER_IP0, "10.0.0.1");
    setText(page, IDC_ADDUSER_IP3, "10.0.0.2\r\nSITE DELUSER alice");
    setText(page, IDC_ADDUSER_IP5, "10.0.0.3");
    pickComboItem(page, IDC_ADDUSER_GROUP, 1);
    site.clearRecord();
    clickButton(page, IDC_ADDUSER_ADD_EDIT);
    // The refused ADDIP ends the add like a failed one: no later mask, no
    // group, no user added, no switch to the Edit user page.
    EXPECT_EQ(site.commands(), (Lines{"SITE ADDUSER zed secret", "SITE ADDIP zed *@10.0.0.1"}));
    for (const RecordedRequest& request : site.requests()) {
        EXPECT_NE(request.action, ACTION_USER_ADDED);
        EXPECT_NE(request.action, ACTION_SHOW_PAGE);
    }
    EXPECT_EQ(currentPage(), page);

    // A name holding a break never even reaches ADDUSER.
    setText(page, IDC_ADDUSER_IP3, "");
    setText(page, IDC_ADDUSER_USERNAME, "zed\rQUIT");
    EXPECT_TRUE(commandsOf(page, IDC_ADDUSER_ADD).empty());
    setText(page, IDC_ADDUSER_USERNAME, "zed");
    setText(page, IDC_ADDUSER_PASSWORD, "pw\nQUIT");
    EXPECT_TRUE(commandsOf(page, IDC_ADDUSER_ADD).empty());
    EXPECT_TRUE(messageBoxes.empty());
}

TEST_F(InjectedLineBreaks, TheChangeWriterStopsAtATaglineWithABreakAndReloads) {
    HWND page = openEditUserAccount("bob");
    ASSERT_EQ(getText(page, IDC_EDITUSER_RATIO), "3");
    setText(page, IDC_EDITUSER_IP1, "10.9.9.9");
    setText(page, IDC_EDITUSER_TAGLINE, "new tag\r\nSITE DELUSER bob");
    setText(page, IDC_EDITUSER_RATIO, "5");
    EXPECT_EQ(commandsOf(page, IDC_EDITUSER_CHANGE), (Lines{"SITE DELIP bob 1", "SITE ADDIP bob *@10.9.9.9"}));
    site.clearRecord();
    pumpMessages();
    EXPECT_EQ(site.commands(), (Lines{"SITE USER bob"}));
    EXPECT_EQ(getText(page, IDC_EDITUSER_TAGLINE), "Bob was here");
}

TEST_F(InjectedLineBreaks, AListedNameWithABreakLoadsNoAccountOnTheEditUserPage) {
    site.answer("SITE GROUPS", fixtureReply("edit_user_groups.txt"));
    site.answer("SITE USER", linesReply({"200- User Listing", "200- ", "200- eve\rSITE bob ", "200- ",
                                         "200 2 total users on site."}));
    site.answer("SITE USER bob", fixtureReply("edit_user_bob.txt"));
    HWND page = showPage(2);
    ASSERT_EQ(comboItems(page, IDC_EDITUSER_USERNAME), (Lines{"bob", "eve\rSITE"}));
    site.clearRecord();
    sendComboNotification(page, IDC_EDITUSER_USERNAME, CBN_CLOSEUP);
    pickComboItem(page, IDC_EDITUSER_USERNAME, 1);
    pumpMessages();
    // The load is refused like a failed one: nothing sent, nothing to edit.
    EXPECT_TRUE(site.requests().empty());
    EXPECT_FALSE(isEnabled(page, IDC_EDITUSER_CHANGE));
    EXPECT_TRUE(commandsOf(page, IDC_EDITUSER_CHANGE).empty());
    pumpMessages();
    EXPECT_TRUE(site.commands().empty());
    // The clean name next to it loads.
    sendComboNotification(page, IDC_EDITUSER_USERNAME, CBN_CLOSEUP);
    pickComboItem(page, IDC_EDITUSER_USERNAME, 0);
    pumpMessages();
    EXPECT_EQ(site.commands(), (Lines{"SITE USER bob"}));
    EXPECT_EQ(getText(page, IDC_EDITUSER_RATIO), "3");
}
