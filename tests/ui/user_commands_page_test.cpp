// The User commands page through the real exports: per-user and listing
// commands, credits, delete and re-add keeping the site's user names in step.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

constexpr int userCommandsPage = 4;

// The site's users as the sorted combo shows them.
const Lines sortedUsers{"alice", "bob", "carol", "charlie_lon", "dave", "erin", "glftpd", "testu1"};
const Lines sortedGroups{"friends", "glftpd", "NoGroup"};

const char rangeMessage[] = "The amount must lie between -2097152 and 2097151.999 MB";

class UserCommandsPage : public PluginTest {
protected:
    HWND showUserCommands() {
        site.answer("SITE GROUPS", fixtureReply("usercmd_groups.txt"));
        site.answer("SITE USER", fixtureReply("usercmd_users.txt"));
        HWND page = showPage(userCommandsPage);
        site.clearRecord();
        return page;
    }

    // Sends what a click sends and returns the command lines it produced.
    std::string selectedUser(HWND page) {
        const int index = comboSelection(page, IDC_USERCMD_USERNAME);
        return index < 0 ? std::string() : comboItems(page, IDC_USERCMD_USERNAME)[index];
    }

    // A page switch refills the combo from the site directory alone.
    Lines usersAfterPageSwitch() {
        showPage(3);
        HWND page = showPage(userCommandsPage);
        return comboItems(page, IDC_USERCMD_USERNAME);
    }

    // The radio buttons and the combo they enable follow the list mode.
    void expectListMode(HWND page, bool byFlag) {
        EXPECT_EQ(isChecked(page, IDC_USERCMD_BY_FLAG), byFlag);
        EXPECT_EQ(isChecked(page, IDC_USERCMD_BY_GROUP), !byFlag);
        EXPECT_EQ(isEnabled(page, IDC_USERCMD_LIST_FLAG), byFlag);
        EXPECT_EQ(isEnabled(page, IDC_USERCMD_LIST_GROUP), !byFlag);
    }

    void pickUser(HWND page, const std::string& name) {
        const Lines users = comboItems(page, IDC_USERCMD_USERNAME);
        for (std::size_t index = 0; index < users.size(); ++index) {
            if (users[index] == name) {
                pickComboItem(page, IDC_USERCMD_USERNAME, static_cast<int>(index));
                return;
            }
        }
        ADD_FAILURE() << "no user " << name;
    }
};

Lines without(Lines names, const std::string& name) {
    for (auto it = names.begin(); it != names.end(); ++it) {
        if (*it == name) {
            names.erase(it);
            break;
        }
    }
    return names;
}

}  // namespace

TEST_F(UserCommandsPage, StartsWithTheFirstUserGroupAndFlagInGroupMode) {
    HWND page = showUserCommands();
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), sortedUsers);
    EXPECT_EQ(comboItems(page, IDC_USERCMD_LIST_GROUP), sortedGroups);
    const Lines flags = comboItems(page, IDC_USERCMD_LIST_FLAG);
    ASSERT_EQ(flags.size(), 17u);
    EXPECT_EQ(flags[0], "Siteop");
    EXPECT_EQ(flags[4], "Deleted");
    EXPECT_EQ(flags[16], "Leech");
    EXPECT_EQ(comboSelection(page, IDC_USERCMD_USERNAME), 0);
    EXPECT_EQ(comboSelection(page, IDC_USERCMD_LIST_GROUP), 0);
    EXPECT_EQ(comboSelection(page, IDC_USERCMD_LIST_FLAG), 0);
    expectListMode(page, false);
    EXPECT_EQ(getText(page, IDC_USERCMD_AMOUNT), "0.0");
    EXPECT_EQ(getText(page, IDC_USERCMD_MESSAGE), "");
    EXPECT_EQ(getText(page, IDC_USERCMD_READD_NAME), "");
}

TEST_F(UserCommandsPage, UserButtonsNameTheSelectedUserAndListingsGoBare) {
    HWND page = showUserCommands();
    pickUser(page, "carol");
    const std::pair<int, const char*> buttons[] = {
        {IDC_USERCMD_SHOW_USER, "SITE USER carol"}, {IDC_USERCMD_USER_STATS, "SITE STATS carol"},
        {IDC_USERCMD_SEEN_USER, "SITE SEEN carol"}, {IDC_USERCMD_LIST_USERS, "SITE USERS"},
        {IDC_USERCMD_LIST_SHORT, "SITE USER"},      {IDC_USERCMD_PURGE_USERS, "SITE PURGE"}};
    for (const auto& button : buttons) {
        EXPECT_EQ(commandsOf(page, button.first), (Lines{button.second}));
        ASSERT_EQ(site.requests().size(), 1u);  // sent without keeping the reply
        EXPECT_EQ(site.requests()[0].param, 0) << button.second;
    }
    EXPECT_TRUE(messageBoxes.empty());
}

TEST_F(UserCommandsPage, ClosingTheUserDropDownShowsThePickedUserOnceThePostArrives) {
    HWND page = showUserCommands();
    pickUser(page, "dave");
    sendComboNotification(page, IDC_USERCMD_USERNAME, CBN_CLOSEUP);
    EXPECT_TRUE(site.commands().empty());
    pumpMessages();
    EXPECT_EQ(site.commands(), (Lines{"SITE USER dave"}));
    // Other notifications and other combos post nothing.
    site.clearRecord();
    sendComboNotification(page, IDC_USERCMD_USERNAME, CBN_SELCHANGE);
    sendComboNotification(page, IDC_USERCMD_LIST_GROUP, CBN_CLOSEUP);
    pumpMessages();
    EXPECT_TRUE(site.commands().empty());
}

TEST_F(UserCommandsPage, CreditsGoOutInKilobytesWithAndWithoutAMessage) {
    HWND page = showUserCommands();
    pickUser(page, "bob");
    setText(page, IDC_USERCMD_AMOUNT, "1.5");
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_GIVE_CREDITS), (Lines{"SITE GIVE bob 1536"}));
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_TAKE_CREDITS), (Lines{"SITE TAKE bob 1536"}));
    setText(page, IDC_USERCMD_MESSAGE, "for the fill");
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_GIVE_CREDITS), (Lines{"SITE GIVE bob 1536 for the fill"}));
    setText(page, IDC_USERCMD_MESSAGE, "   ");
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_TAKE_CREDITS), (Lines{"SITE TAKE bob 1536    "}));
    setText(page, IDC_USERCMD_MESSAGE, "");

    const std::pair<const char*, const char*> amounts[] = {
        {"0.0001", "SITE GIVE bob 0"}, {"-2", "SITE GIVE bob -2048"}, {"lots", "SITE GIVE bob 0"},
        {" 2MB", "SITE GIVE bob 2048"}, {"-2097152", "SITE GIVE bob -2147483648"},
        {"2097151.999", "SITE GIVE bob 2147483646"}};
    for (const auto& amount : amounts) {
        setText(page, IDC_USERCMD_AMOUNT, amount.first);
        EXPECT_EQ(commandsOf(page, IDC_USERCMD_GIVE_CREDITS), (Lines{amount.second})) << amount.first;
    }
    EXPECT_TRUE(messageBoxes.empty());
}

TEST_F(UserCommandsPage, AnAmountBeyondThe32BitKilobyteRangeIsRefused) {
    HWND page = showUserCommands();
    for (const char* amount : {"2097152", "-2097152.5", "1e300", "1e999"}) {
        setText(page, IDC_USERCMD_AMOUNT, amount);
        EXPECT_TRUE(commandsOf(page, IDC_USERCMD_GIVE_CREDITS).empty()) << amount;
        EXPECT_TRUE(commandsOf(page, IDC_USERCMD_TAKE_CREDITS).empty()) << amount;
    }
    ASSERT_EQ(messageBoxes.size(), 8u);
    for (const CaughtMessageBox& box : messageBoxes) {
        EXPECT_EQ(box.title, "Parameter error");
        EXPECT_EQ(box.text, rangeMessage);
    }
}

TEST_F(UserCommandsPage, TheAmountComesBackWithOneDecimalAfterAPageSwitch) {
    HWND page = showUserCommands();
    setText(page, IDC_USERCMD_AMOUNT, "3");
    setText(page, IDC_USERCMD_MESSAGE, "thanks");
    setText(page, IDC_USERCMD_READD_NAME, "zed");
    pickUser(page, "erin");
    showPage(3);
    page = showPage(userCommandsPage);
    EXPECT_EQ(getText(page, IDC_USERCMD_AMOUNT), "3.0");
    EXPECT_EQ(getText(page, IDC_USERCMD_MESSAGE), "thanks");
    EXPECT_EQ(getText(page, IDC_USERCMD_READD_NAME), "zed");
    EXPECT_EQ(selectedUser(page), "erin");
    // A huge amount survives the round trip as a number, never as "inf".
    setText(page, IDC_USERCMD_AMOUNT, "1e999");
    showPage(3);
    page = showPage(userCommandsPage);
    EXPECT_EQ(getText(page, IDC_USERCMD_AMOUNT).size(), 311u);
    EXPECT_TRUE(commandsOf(page, IDC_USERCMD_GIVE_CREDITS).empty());
    EXPECT_EQ(messageBoxes.size(), 1u);
}

TEST_F(UserCommandsPage, ListSpecialSendsTheGroupOrTheFlagKeywordOfTheActiveMode) {
    HWND page = showUserCommands();
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_SPECIAL), (Lines{"SITE USERS friends"}));
    pickComboItem(page, IDC_USERCMD_LIST_GROUP, 2);
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_SPECIAL), (Lines{"SITE USERS NoGroup"}));

    clickButton(page, IDC_USERCMD_BY_FLAG);
    expectListMode(page, true);
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_SPECIAL), (Lines{"SITE USERS SITEOP"}));
    pickComboItem(page, IDC_USERCMD_LIST_FLAG, 16);
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_SPECIAL), (Lines{"SITE USERS LEECH"}));
    pickComboItem(page, IDC_USERCMD_LIST_FLAG, 1);
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_SPECIAL), (Lines{"SITE USERS GADMIN"}));

    // The mode and both picks survive a page switch.
    showPage(3);
    page = showPage(userCommandsPage);
    expectListMode(page, true);
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_SPECIAL), (Lines{"SITE USERS GADMIN"}));

    clickButton(page, IDC_USERCMD_BY_GROUP);
    expectListMode(page, false);
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_SPECIAL), (Lines{"SITE USERS NoGroup"}));
}

TEST_F(UserCommandsPage, ListSpecialWithNothingSelectedInTheActiveComboSendsNothing) {
    HWND page = showUserCommands();
    SendDlgItemMessageA(page, IDC_USERCMD_LIST_GROUP, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_TRUE(commandsOf(page, IDC_USERCMD_LIST_SPECIAL).empty());
    clickButton(page, IDC_USERCMD_BY_FLAG);
    SendDlgItemMessageA(page, IDC_USERCMD_LIST_FLAG, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_TRUE(commandsOf(page, IDC_USERCMD_LIST_SPECIAL).empty());
}

TEST_F(UserCommandsPage, DeletingAUserTakesItOutOfComboAndDirectory) {
    HWND page = showUserCommands();
    setText(page, IDC_USERCMD_AMOUNT, "7");
    pickUser(page, "carol");
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_DELETE_USER), (Lines{"SITE DELUSER carol"}));
    EXPECT_EQ(site.requests().size(), 1u);  // nothing fetched again
    const Lines left = without(sortedUsers, "carol");
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), left);
    EXPECT_EQ(selectedUser(page), "charlie_lon");  // the name that followed
    EXPECT_EQ(comboItems(page, IDC_USERCMD_LIST_FLAG).size(), 17u);
    EXPECT_EQ(getText(page, IDC_USERCMD_AMOUNT), "7.0");
    EXPECT_EQ(usersAfterPageSwitch(), left);
}

TEST_F(UserCommandsPage, DeletingTheLastUserInTheComboLeavesNoSelection) {
    HWND page = showUserCommands();
    pickUser(page, "testu1");
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_DELETE_USER), (Lines{"SITE DELUSER testu1"}));
    EXPECT_EQ(comboSelection(page, IDC_USERCMD_USERNAME), -1);
    EXPECT_TRUE(commandsOf(page, IDC_USERCMD_SHOW_USER).empty());
    EXPECT_TRUE(commandsOf(page, IDC_USERCMD_DELETE_USER).empty());
}

TEST_F(UserCommandsPage, ADeleteTheHostFailsChangesNothing) {
    HWND page = showUserCommands();
    pickUser(page, "bob");
    site.failSendAt(2, 0, 0);  // after the two listings
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_DELETE_USER), (Lines{"SITE DELUSER bob"}));
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), sortedUsers);
    EXPECT_EQ(usersAfterPageSwitch(), sortedUsers);
}

TEST_F(UserCommandsPage, AReaddAddsTheNameUnlessTheHostFailsOrTheAccountCannotBeLoaded) {
    HWND page = showUserCommands();
    ScriptedReply noLines;
    noLines.lines.clear();
    site.failSendAt(2, 0, 0);  // the first re-add, after the two listings
    site.answer("SITE READD ghost", oneLineReply("200 Error: Unable to load user ghost."));
    site.answer("SITE READD zed", noLines);
    site.answer("SITE READD alice", oneLineReply("200 User alice has not been deleted."));
    const struct {
        const char* name;
        bool released;  // a failed send keeps nothing to release
        bool added;
    } cases[] = {{"zed", false, false},  {"ghost", true, false},
                 {"zed", true, true},    // a reply without lines counts as done
                 {"alice", true, true}}; // a name already listed is added again
    Lines users = sortedUsers;
    for (const auto& c : cases) {
        setText(page, IDC_USERCMD_READD_NAME, c.name);
        // A refresh shows the amount with one decimal again.
        setText(page, IDC_USERCMD_AMOUNT, "3");
        EXPECT_EQ(commandsOf(page, IDC_USERCMD_READD_USER), (Lines{std::string("SITE READD ") + c.name}));
        ASSERT_EQ(site.requests().size(), c.released ? 2u : 1u) << c.name;
        EXPECT_EQ(site.requests()[0].param, 1);
        EXPECT_EQ(site.requests().back().action, c.released ? ACTION_RELEASE_REPLY : ACTION_SEND_COMMAND);
        if (c.added) {
            users.push_back(c.name);
            std::sort(users.begin(), users.end());
        }
        EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), users) << c.name;
        EXPECT_EQ(getText(page, IDC_USERCMD_AMOUNT), c.added ? "3.0" : "3") << c.name;
        EXPECT_EQ(getText(page, IDC_USERCMD_READD_NAME), c.name);
        EXPECT_EQ(comboItems(page, IDC_USERCMD_LIST_FLAG).size(), 17u);
    }
    EXPECT_EQ(usersAfterPageSwitch(), users);
}

TEST_F(UserCommandsPage, AnEmptyReaddNameIsAParameterError) {
    HWND page = showUserCommands();
    EXPECT_TRUE(commandsOf(page, IDC_USERCMD_READD_USER).empty());
    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].title, "Parameter error");
    EXPECT_EQ(messageBoxes[0].text, "You need to specify an username");
}

TEST_F(UserCommandsPage, WithNoUserSelectedTheUserButtonsSendNothing) {
    site.answer("SITE GROUPS", fixtureReply("usercmd_groups.txt"));
    site.answer("SITE USER", oneLineReply("200 You do not have access to this command.", 200));
    HWND page = showPage(userCommandsPage);
    EXPECT_TRUE(comboItems(page, IDC_USERCMD_USERNAME).empty());
    setText(page, IDC_USERCMD_AMOUNT, "1");
    for (int id : {IDC_USERCMD_SHOW_USER, IDC_USERCMD_USER_STATS, IDC_USERCMD_SEEN_USER,
                   IDC_USERCMD_DELETE_USER, IDC_USERCMD_GIVE_CREDITS, IDC_USERCMD_TAKE_CREDITS}) {
        EXPECT_TRUE(commandsOf(page, id).empty()) << id;
    }
    sendComboNotification(page, IDC_USERCMD_USERNAME, CBN_CLOSEUP);
    pumpMessages();
    EXPECT_TRUE(site.commands().empty());
    EXPECT_TRUE(messageBoxes.empty());
    // Bare listings still go out.
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_USERS), (Lines{"SITE USERS"}));
}
