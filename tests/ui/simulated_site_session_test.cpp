// The plug-in against the simulated glftpd site (the reference host's demo
// site) instead of scripted answers: what it sends changes the site, and
// what it shows comes from the site's replies.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "host/simsite/simulated_site.h"
#include "plugin/page_host.h"
#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

class SimulatedSession : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        demo = &site.useSimulatedSite();
    }

    // A command through the host callback, as the plug-in sends it, with
    // the reply kept; returns the reply lines and releases them.
    std::vector<std::string> ask(const std::string& command, std::int32_t* code = nullptr) {
        std::vector<char> text(command.begin(), command.end());
        text.push_back('\0');
        HostRequest request{ACTION_SEND_COMMAND, text.data(), 1, 0, nullptr};
        std::vector<std::string> lines;
        if (ScriptedSite::callback(&request) != 0) {
            for (ReplyLine* line = request.replyLines; line != nullptr; line = line->next) {
                lines.push_back(line->text);
            }
            if (code != nullptr) {
                *code = request.replyCode;
            }
            request.action = ACTION_RELEASE_REPLY;
            ScriptedSite::callback(&request);
        }
        return lines;
    }

    const simsite::Release* release(const std::string& name) const {
        for (const simsite::Release& entry : demo->releases()) {
            if (entry.name == name) {
                return &entry;
            }
        }
        return nullptr;
    }

    std::vector<std::string> sortedAccounts() const { return sortedAccountNames(*demo); }
    std::multiset<std::string> connectedUsers() const { return connectedUserNames(*demo); }

    static std::multiset<std::string> listedUsers(HWND page) {
        std::multiset<std::string> users;
        for (const std::vector<std::string>& row : listViewRows(page, IDC_ONLINE_LIST)) {
            users.insert(row[0]);
        }
        return users;
    }

    static int rowOf(HWND page, const std::string& name) {
        const std::vector<std::vector<std::string>> rows = listViewRows(page, IDC_ONLINE_LIST);
        for (std::size_t row = 0; row < rows.size(); ++row) {
            if (rows[row][0] == name) {
                return static_cast<int>(row);
            }
        }
        return -1;
    }

    simsite::SimulatedSite* demo = nullptr;
};


void answerDialog(HWND dialog, const char* reason, const char* multiplier) {
    setText(dialog, IDC_RELEASE_REASON, reason);
    if (multiplier != nullptr) {
        setText(dialog, IDC_RELEASE_MULTIPLIER, multiplier);
    }
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace

TEST_F(SimulatedSession, CommandsNoRuleCoversReachTheSiteWhileRulesStillWin) {
    site.answer("SITE USER bob", oneLineReply("200 Scripted answer."));
    EXPECT_EQ(ask("SITE USER bob"), std::vector<std::string>{"200 Scripted answer."});

    const std::vector<std::string> screen = ask("SITE USER alice");
    ASSERT_GT(screen.size(), 20u);
    EXPECT_EQ(screen[1].compare(0, 22, "200- | Username: alice"), 0);
    EXPECT_EQ(screen.back(), "200 Command Successful.");

    std::int32_t code = 0;
    EXPECT_EQ(ask("SITE FROB", &code), std::vector<std::string>{"500 'SITE FROB': command not understood."});
    EXPECT_EQ(code, 500);

    // The site keeps what it is told.
    ask("SITE ADDUSER session pw");
    ASSERT_NE(demo->findUser("session"), nullptr);
    EXPECT_EQ(&site.useSimulatedSite(), demo);
}

TEST_F(SimulatedSession, ANukeFromTheDialogRenamesTheReleaseAndItsUnnukeRestoresIt) {
    char directory[1024] = "Some.Release-GRP";
    char reason[256] = {};
    const std::int32_t multiplier =
        runNuke(true, directory, reason, [](HWND dialog) { answerDialog(dialog, "bad.release", "2"); });
    ASSERT_EQ(multiplier, 2);
    ASSERT_STREQ(reason, "bad.release");

    // What a host builds from the dialog's answer.
    const std::vector<std::string> nuked =
        ask(std::string("SITE NUKE ") + directory + " " + std::to_string(multiplier) + " " + reason);
    EXPECT_EQ(nuked.back(), "200 NUKE of Some.Release-GRP successful.");
    ASSERT_NE(release("NUKED-Some.Release-GRP"), nullptr);
    EXPECT_TRUE(release("NUKED-Some.Release-GRP")->nuked);

    // The host's listing now shows the nuked name; the unnuke dialog strips
    // the nuke word from it, and the site knows the release by what is left.
    std::strcpy(directory, "NUKED-Some.Release-GRP");
    std::memset(reason, 0, sizeof reason);
    const std::int32_t unnuked =
        runNuke(false, directory, reason, [](HWND dialog) { answerDialog(dialog, "fixed with a proper", nullptr); });
    ASSERT_EQ(unnuked, 0);
    EXPECT_STREQ(directory, "Some.Release-GRP");
    EXPECT_EQ(ask(std::string("SITE UNNUKE ") + directory + " " + reason).back(),
              "200 UNNUKE of Some.Release-GRP successful.");
    ASSERT_NE(release("Some.Release-GRP"), nullptr);
    EXPECT_FALSE(release("Some.Release-GRP")->nuked);
    ASSERT_FALSE(demo->unnukes().empty());
    EXPECT_EQ(demo->unnukes().back().reason, "fixed with a proper");
}

TEST_F(SimulatedSession, OnlineUsersListsTheConnectionsAndKickAndKillEndThem) {
    HWND page = showPage(PAGE_ONLINE_USERS);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(listedUsers(page), connectedUsers());
    for (const std::vector<std::string>& row : listViewRows(page, IDC_ONLINE_LIST)) {
        bool known = false;
        for (const simsite::Connection& connection : demo->connections()) {
            known = known || (connection.user == row[0] && std::to_string(connection.pid) == row[1]);
        }
        EXPECT_TRUE(known) << row[0] << " " << row[1];
    }

    const int carol = rowOf(page, "carol");
    ASSERT_GE(carol, 0);
    selectListViewRow(page, IDC_ONLINE_LIST, carol);
    clickButton(page, IDC_ONLINE_KICK);
    EXPECT_EQ(connectedUsers().count("carol"), 0u);
    EXPECT_EQ(listedUsers(page), connectedUsers());

    const int judy = rowOf(page, "judy");
    ASSERT_GE(judy, 0);
    selectListViewRow(page, IDC_ONLINE_LIST, judy);
    clickButton(page, IDC_ONLINE_KILL);
    EXPECT_EQ(connectedUsers().count("judy"), 0u);
    EXPECT_EQ(listedUsers(page), connectedUsers());
}

TEST_F(SimulatedSession, OnlineUsersFallsBackToWhoWhenTheSiteRefusesSwho) {
    demo->setSwhoAllowed(false);
    HWND page = showPage(PAGE_ONLINE_USERS);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(listedUsers(page), connectedUsers());
    const int alice = rowOf(page, "alice");
    ASSERT_GE(alice, 0);
    EXPECT_EQ(listViewRows(page, IDC_ONLINE_LIST)[static_cast<std::size_t>(alice)][1], "???");
    selectListViewRow(page, IDC_ONLINE_LIST, alice);
    EXPECT_FALSE(isEnabled(page, IDC_ONLINE_KILL));
    EXPECT_TRUE(isEnabled(page, IDC_ONLINE_KICK));
}

TEST_F(SimulatedSession, UserCommandsDeleteReaddAndGiveCreditsOnTheSite) {
    HWND page = showPage(PAGE_USER_COMMANDS);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), sortedAccounts());

    const std::vector<std::string> names = comboItems(page, IDC_USERCMD_USERNAME);
    const int bob = static_cast<int>(std::find(names.begin(), names.end(), "bob") - names.begin());
    pickComboItem(page, IDC_USERCMD_USERNAME, bob);
    const std::int64_t credits = demo->findUser("bob")->creditsKb;
    setText(page, IDC_USERCMD_AMOUNT, "1.5");
    clickButton(page, IDC_USERCMD_GIVE_CREDITS);
    EXPECT_EQ(demo->findUser("bob")->creditsKb, credits + 1536);

    clickButton(page, IDC_USERCMD_DELETE_USER);
    EXPECT_TRUE(demo->findUser("bob")->deleted());
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), sortedAccounts());

    setText(page, IDC_USERCMD_READD_NAME, "bob");
    clickButton(page, IDC_USERCMD_READD_USER);
    EXPECT_FALSE(demo->findUser("bob")->deleted());
    const std::vector<std::string> after = comboItems(page, IDC_USERCMD_USERNAME);
    EXPECT_EQ(std::count(after.begin(), after.end(), "bob"), 1);

    // An account the site cannot load is not added to the list.
    setText(page, IDC_USERCMD_READD_NAME, "nobody");
    clickButton(page, IDC_USERCMD_READD_USER);
    const std::vector<std::string> last = comboItems(page, IDC_USERCMD_USERNAME);
    EXPECT_EQ(std::count(last.begin(), last.end(), "nobody"), 0);
}

TEST_F(SimulatedSession, GroupsAreListedAddedRenamedAndDeletedOnTheSite) {
    HWND page = showPage(PAGE_GROUPS);
    ASSERT_NE(page, nullptr);
    auto listed = [&]() {
        std::set<std::string> rows;
        for (const std::vector<std::string>& row : listViewRows(page, IDC_GROUPS_LIST)) {
            rows.insert(row[0] + "=" + row[1]);
        }
        return rows;
    };
    auto onSite = [&]() {
        std::set<std::string> groups;
        for (const simsite::SiteGroup& group : demo->groups()) {
            if (!group.isPrivate) {
                groups.insert(group.name + "=" + group.description);
            }
        }
        return groups;
    };
    auto select = [&](const std::string& name) {
        const std::vector<std::vector<std::string>> rows = listViewRows(page, IDC_GROUPS_LIST);
        for (std::size_t row = 0; row < rows.size(); ++row) {
            if (rows[row][0] == name) {
                selectListViewRow(page, IDC_GROUPS_LIST, static_cast<int>(row));
                return true;
            }
        }
        return false;
    };
    EXPECT_EQ(listed(), onSite());

    setText(page, IDC_GROUPS_ADD_NAME, "movies");
    setText(page, IDC_GROUPS_ADD_INFO, "Movie couriers");
    clickButton(page, IDC_GROUPS_ADD);
    ASSERT_NE(demo->findGroup("movies"), nullptr);
    // The same name again: the site refuses and the list stays as it is.
    clickButton(page, IDC_GROUPS_ADD);
    EXPECT_EQ(listed(), onSite());

    ASSERT_TRUE(select("friends"));
    setText(page, IDC_GROUPS_NEW_NAME, "pals");
    clickButton(page, IDC_GROUPS_RENAME);
    EXPECT_EQ(demo->findUser("alice")->groups.front(), "pals");
    EXPECT_EQ(listed(), onSite());

    // A group with members cannot go; an empty one can.
    ASSERT_TRUE(select("pals"));
    clickButton(page, IDC_GROUPS_DELETE);
    EXPECT_NE(demo->findGroup("pals"), nullptr);
    ASSERT_TRUE(select("movies"));
    clickButton(page, IDC_GROUPS_DELETE);
    EXPECT_EQ(demo->findGroup("movies"), nullptr);
    EXPECT_EQ(listed(), onSite());
}

TEST_F(SimulatedSession, SiteCommandsAndStatisticsSendOnlyWhatTheSiteUnderstands) {
    HWND page = showPage(PAGE_SITE_COMMANDS);
    ASSERT_NE(page, nullptr);
    setText(page, IDC_SITECMD_RELEASE, "Linux.Distro.ISO-*");
    setText(page, IDC_SITECMD_MESSAGE, "meeting tonight");
    for (int id : {IDC_SITECMD_LOGIN_LOG, IDC_SITECMD_SYSLOG, IDC_SITECMD_LAST_USERS, IDC_SITECMD_WELCOME,
                   IDC_SITECMD_RULES, IDC_SITECMD_VERSION, IDC_SITECMD_SITE_TIME, IDC_SITECMD_VIEW_REQS,
                   IDC_SITECMD_NEW_DIRS, IDC_SITECMD_LIST_NUKES, IDC_SITECMD_LIST_UNNUKES,
                   IDC_SITECMD_SEARCH_DIR, IDC_SITECMD_DUPECHECK, IDC_SITECMD_UNDUPE, IDC_SITECMD_VIEW_MSGS}) {
        clickButton(page, id);
    }
    EXPECT_EQ(std::count(demo->dupes().begin(), demo->dupes().end(), "Linux.Distro.ISO-GRP"), 0);

    // A message to the members of a group reaches each of them.
    clickButton(page, IDC_SITECMD_TO_GROUP);
    const std::vector<std::string> groups = comboItems(page, IDC_SITECMD_MSG_GROUP);
    const auto couriers = std::find(groups.begin(), groups.end(), "couriers");
    ASSERT_NE(couriers, groups.end());
    pickComboItem(page, IDC_SITECMD_MSG_GROUP, static_cast<int>(couriers - groups.begin()));
    clickButton(page, IDC_SITECMD_SEND_MESSAGE);
    for (const simsite::SiteUser& user : demo->users()) {
        const bool member = std::find(user.groups.begin(), user.groups.end(), "couriers") != user.groups.end();
        const bool told = !user.messages.empty() && user.messages.back().text == "meeting tonight";
        EXPECT_EQ(told, member) << user.name;
    }

    page = showPage(PAGE_STATISTICS);
    ASSERT_NE(page, nullptr);
    for (int id = IDC_STATS_WEEK_UL; id <= IDC_STATS_MONTH_DL; ++id) {
        clickButton(page, id);
    }
    const std::vector<std::string> sent = site.commands();
    EXPECT_GE(sent.size(), 28u);
    simsite::SimulatedSite fresh;
    for (const std::string& command : sent) {
        EXPECT_EQ(fresh.handle(command).code, 200) << command;
    }
}

TEST_F(SimulatedSession, EditUserLoadsAnAccountAndWritesBackWhatWasChanged) {
    HWND page = showPage(PAGE_EDIT_USER);
    ASSERT_NE(page, nullptr);
    const std::vector<std::string> names = comboItems(page, IDC_EDITUSER_USERNAME);
    EXPECT_EQ(names, sortedAccounts());
    const auto alice = std::find(names.begin(), names.end(), "alice");
    ASSERT_NE(alice, names.end());
    // A pick from the open list: the selection, then the close-up.
    pickComboItem(page, IDC_EDITUSER_USERNAME, static_cast<int>(alice - names.begin()));
    sendComboNotification(page, IDC_EDITUSER_USERNAME, CBN_CLOSEUP);
    pumpMessages();
    EXPECT_EQ(getText(page, IDC_EDITUSER_RATIO), "3");
    EXPECT_EQ(getText(page, IDC_EDITUSER_CREDITS), "2869.6");
    EXPECT_EQ(getText(page, IDC_EDITUSER_IP1), "alice@198.51.100.17");
    EXPECT_TRUE(isChecked(page, IDC_EDITUSER_FLAG_NUKE));
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_MEMBER_GROUPS), (std::vector<std::string>{"friends", "testers"}));
    ASSERT_TRUE(isEnabled(page, IDC_EDITUSER_CHANGE));

    setText(page, IDC_EDITUSER_RATIO, "unlim");
    setText(page, IDC_EDITUSER_GROUP_SLOTS, "4");
    setText(page, IDC_EDITUSER_TAGLINE, "edited on the simulated site");
    setText(page, IDC_EDITUSER_IP0, "");
    setText(page, IDC_EDITUSER_IP3, "10.9.9.9");
    setChecked(page, IDC_EDITUSER_FLAG_SITEOP, true);
    setChecked(page, IDC_EDITUSER_FLAG_NUKE, false);
    selectListBoxItem(page, IDC_EDITUSER_MEMBER_GROUPS, 1);  // testers out
    clickButton(page, IDC_EDITUSER_REMOVE_GROUP);
    const std::vector<std::string> available = listBoxItems(page, IDC_EDITUSER_AVAIL_GROUPS);
    const auto couriers = std::find(available.begin(), available.end(), "couriers");
    ASSERT_NE(couriers, available.end());
    selectListBoxItem(page, IDC_EDITUSER_AVAIL_GROUPS, static_cast<int>(couriers - available.begin()));
    clickButton(page, IDC_EDITUSER_ADD_GROUP);
    clickButton(page, IDC_EDITUSER_CHANGE);
    pumpMessages();

    const simsite::SiteUser& account = *demo->findUser("alice");
    EXPECT_EQ(account.ratio, 0);
    EXPECT_EQ(account.gadminSlots, 4);
    EXPECT_EQ(account.leechSlots, 5);
    EXPECT_EQ(account.tagline, "edited on the simulated site");
    EXPECT_EQ(account.flags, "13BC");
    EXPECT_EQ(account.ipMasks, (std::vector<std::string>{"alice@198.51.100.17", "*@192.0.2.*", "*@10.9.9.9"}));
    EXPECT_EQ(account.groups, (std::vector<std::string>{"friends", "couriers"}));
    EXPECT_EQ(account.privateGroups, std::vector<std::string>{"STAFF"});
    EXPECT_EQ(account.password, "alice-pass");

    // The page reloaded what the site now holds.
    EXPECT_EQ(getText(page, IDC_EDITUSER_RATIO), "unlim");
    EXPECT_EQ(getText(page, IDC_EDITUSER_IP0), "alice@198.51.100.17");
    EXPECT_EQ(getText(page, IDC_EDITUSER_IP2), "*@10.9.9.9");
}

TEST_F(SimulatedSession, AddPlusEditCreatesTheAccountAndOpensItFromTheSite) {
    HWND page = showPage(PAGE_ADD_USER);
    ASSERT_NE(page, nullptr);
    setText(page, IDC_ADDUSER_FULL_ADD, "newbie02 s3cret 10.1.2.3 192.168.7.*");
    clickButton(page, IDC_ADDUSER_PARSE_FULL_ADD);
    const std::vector<std::string> groups = comboItems(page, IDC_ADDUSER_GROUP);
    const auto couriers = std::find(groups.begin(), groups.end(), "couriers");
    ASSERT_NE(couriers, groups.end());
    pickComboItem(page, IDC_ADDUSER_GROUP, static_cast<int>(couriers - groups.begin()));
    const std::vector<std::string> privateGroups = comboItems(page, IDC_ADDUSER_PRIVATE_GROUP);
    const auto vip = std::find(privateGroups.begin(), privateGroups.end(), "VIP");
    ASSERT_NE(vip, privateGroups.end());
    pickComboItem(page, IDC_ADDUSER_PRIVATE_GROUP, static_cast<int>(vip - privateGroups.begin()));
    clickButton(page, IDC_ADDUSER_ADD_EDIT);
    pumpMessages();

    const simsite::SiteUser* account = demo->findUser("newbie02");
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(account->password, "s3cret");
    EXPECT_EQ(account->ipMasks, (std::vector<std::string>{"*@10.1.2.3", "*@192.168.7.*"}));
    EXPECT_EQ(account->groups, std::vector<std::string>{"couriers"});
    EXPECT_EQ(account->privateGroups, std::vector<std::string>{"VIP"});

    // The host answered ACTION_SHOW_PAGE: the Edit user page shows the new
    // account as the site holds it.
    HWND edit = currentPage();
    ASSERT_NE(edit, page);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(getText(edit, IDC_EDITUSER_USERNAME), "newbie02");
    EXPECT_EQ(getText(edit, IDC_EDITUSER_IP0), "*@10.1.2.3");
    EXPECT_EQ(getText(edit, IDC_EDITUSER_IP1), "*@192.168.7.*");
    EXPECT_EQ(listBoxItems(edit, IDC_EDITUSER_MEMBER_GROUPS), std::vector<std::string>{"couriers"});
    EXPECT_EQ(listBoxItems(edit, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS), std::vector<std::string>{"VIP"});

    // Adding the same name again: the site refuses and nothing more is sent.
    page = showPage(PAGE_ADD_USER);
    site.clearRecord();
    clickButton(page, IDC_ADDUSER_ADD);
    EXPECT_EQ(site.commands(), std::vector<std::string>{"SITE ADDUSER newbie02 s3cret"});
}
