// The User commands page through the real exports: per-user and listing
// commands, credits, delete and re-add keeping the site's user names in step.
#include <windows.h>

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
    Lines commandsOf(HWND page, int buttonId) {
        site.clearRecord();
        clickButton(page, buttonId);
        return site.commands();
    }

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
    site.answer("SITE GROUPS", fixtureReply("usercmd_groups.txt"));
    site.answer("SITE USER", fixtureReply("usercmd_users.txt"));
    HWND page = showPage(userCommandsPage);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(site.commands(), (Lines{"SITE GROUPS", "SITE USER"}));
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
    EXPECT_TRUE(isChecked(page, IDC_USERCMD_BY_GROUP));
    EXPECT_FALSE(isChecked(page, IDC_USERCMD_BY_FLAG));
    EXPECT_TRUE(isEnabled(page, IDC_USERCMD_LIST_GROUP));
    EXPECT_FALSE(isEnabled(page, IDC_USERCMD_LIST_FLAG));
    EXPECT_EQ(getText(page, IDC_USERCMD_AMOUNT), "0.0");
    EXPECT_EQ(getText(page, IDC_USERCMD_MESSAGE), "");
    EXPECT_EQ(getText(page, IDC_USERCMD_READD_NAME), "");
}

TEST_F(UserCommandsPage, UserButtonsNameTheSelectedUserAndListingsGoBare) {
    HWND page = showUserCommands();
    pickUser(page, "carol");
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_SHOW_USER), (Lines{"SITE USER carol"}));
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_USER_STATS), (Lines{"SITE STATS carol"}));
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_SEEN_USER), (Lines{"SITE SEEN carol"}));
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_USERS), (Lines{"SITE USERS"}));
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_SHORT), (Lines{"SITE USER"}));
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_PURGE_USERS), (Lines{"SITE PURGE"}));
    for (const RecordedRequest& request : site.requests()) {
        EXPECT_EQ(request.param, 0);
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
    EXPECT_TRUE(isChecked(page, IDC_USERCMD_BY_FLAG));
    EXPECT_FALSE(isChecked(page, IDC_USERCMD_BY_GROUP));
    EXPECT_FALSE(isEnabled(page, IDC_USERCMD_LIST_GROUP));
    EXPECT_TRUE(isEnabled(page, IDC_USERCMD_LIST_FLAG));
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_SPECIAL), (Lines{"SITE USERS SITEOP"}));
    pickComboItem(page, IDC_USERCMD_LIST_FLAG, 16);
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_SPECIAL), (Lines{"SITE USERS LEECH"}));
    pickComboItem(page, IDC_USERCMD_LIST_FLAG, 1);
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_SPECIAL), (Lines{"SITE USERS GADMIN"}));

    // The mode and both picks survive a page switch.
    showPage(3);
    page = showPage(userCommandsPage);
    EXPECT_TRUE(isChecked(page, IDC_USERCMD_BY_FLAG));
    EXPECT_FALSE(isEnabled(page, IDC_USERCMD_LIST_GROUP));
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_LIST_SPECIAL), (Lines{"SITE USERS GADMIN"}));

    clickButton(page, IDC_USERCMD_BY_GROUP);
    EXPECT_TRUE(isChecked(page, IDC_USERCMD_BY_GROUP));
    EXPECT_TRUE(isEnabled(page, IDC_USERCMD_LIST_GROUP));
    EXPECT_FALSE(isEnabled(page, IDC_USERCMD_LIST_FLAG));
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

TEST_F(UserCommandsPage, ReaddingAddsTheNameToComboAndDirectoryEvenTwice) {
    HWND page = showUserCommands();
    site.answer("SITE READD zed", oneLineReply("200 User (zed) readded."));
    setText(page, IDC_USERCMD_READD_NAME, "zed");
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_READD_USER), (Lines{"SITE READD zed"}));
    ASSERT_EQ(site.requests().size(), 2u);
    EXPECT_EQ(site.requests()[0].param, 1);
    EXPECT_EQ(site.requests()[1].action, ACTION_RELEASE_REPLY);
    Lines expected = sortedUsers;
    expected.push_back("zed");
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), expected);
    EXPECT_EQ(comboItems(page, IDC_USERCMD_LIST_FLAG).size(), 17u);
    EXPECT_EQ(getText(page, IDC_USERCMD_READD_NAME), "zed");

    site.answer("SITE READD alice", oneLineReply("200 User alice has not been deleted."));
    setText(page, IDC_USERCMD_READD_NAME, "alice");
    clickButton(page, IDC_USERCMD_READD_USER);
    expected.insert(expected.begin(), "alice");
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), expected);
    EXPECT_EQ(usersAfterPageSwitch(), expected);
}

TEST_F(UserCommandsPage, AReaddThatCannotLoadTheAccountChangesNothingButIsReleased) {
    HWND page = showUserCommands();
    site.answer("SITE READD ghost", oneLineReply("200 Error: Unable to load user ghost."));
    setText(page, IDC_USERCMD_READD_NAME, "ghost");
    pickUser(page, "bob");
    // A changed combo shows whether the page was refreshed.
    SendDlgItemMessageA(page, IDC_USERCMD_USERNAME, CB_SETCURSEL, 5, 0);
    clickButton(page, IDC_USERCMD_READD_USER);
    EXPECT_EQ(site.commands().back(), "SITE READD ghost");
    EXPECT_EQ(site.requests().back().action, ACTION_RELEASE_REPLY);
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), sortedUsers);
    EXPECT_EQ(usersAfterPageSwitch(), sortedUsers);
}

TEST_F(UserCommandsPage, AReaddTheHostFailsIsNotReleasedAndChangesNothing) {
    HWND page = showUserCommands();
    setText(page, IDC_USERCMD_READD_NAME, "zed");
    site.failSendAt(2, 0, 0);
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_READD_USER), (Lines{"SITE READD zed"}));
    EXPECT_EQ(site.requests().size(), 1u);
    EXPECT_EQ(usersAfterPageSwitch(), sortedUsers);
}

TEST_F(UserCommandsPage, AReaddReplyWithoutLinesCountsAsDone) {
    HWND page = showUserCommands();
    ScriptedReply noLines;
    noLines.lines.clear();
    site.answer("SITE READD zed", noLines);
    setText(page, IDC_USERCMD_READD_NAME, "zed");
    clickButton(page, IDC_USERCMD_READD_USER);
    EXPECT_EQ(site.requests().back().action, ACTION_RELEASE_REPLY);
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME).back(), "zed");
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
