// Every page that reads a reply, against the simulated site answering as a
// glftpd 1.x and as a 2.x server, each with the operator's colours off and
// on: the pages show the same accounts, groups and connections, and send
// the same commands.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "host/simsite/simulated_site.h"
#include "plugin/page_host.h"
#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

using Generation = simsite::SimulatedSite::Generation;

struct ServerKind {
    Generation generation;
    bool colours;
};

void PrintTo(const ServerKind& kind, std::ostream* out) {
    *out << (kind.generation == Generation::Glftpd2 ? "glftpd 2.x" : "glftpd 1.x")
         << (kind.colours ? " in colour" : "");
}

std::string kindName(const testing::TestParamInfo<ServerKind>& info) {
    return std::string(info.param.generation == Generation::Glftpd2 ? "Glftpd2" : "Glftpd1") +
           (info.param.colours ? "InColour" : "Plain");
}


class ServerGenerations : public PluginTest, public testing::WithParamInterface<ServerKind> {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        demo = &site.useSimulatedSite();
        demo->setGeneration(GetParam().generation);
        demo->setOperatorColours(GetParam().colours);
    }

    bool newer() const { return GetParam().generation == Generation::Glftpd2; }

    std::vector<std::string> sortedAccounts() const { return sortedAccountNames(*demo); }
    std::set<std::string> siteGroups(bool wantPrivate) const { return siteGroupNames(*demo, wantPrivate); }

    int actionCount(std::int32_t action) const {
        const std::vector<RecordedRequest>& requests = site.requests();
        return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                              [&](const RecordedRequest& r) { return r.action == action; }));
    }

    simsite::SimulatedSite* demo = nullptr;
};

std::set<std::string> asSet(const std::vector<std::string>& names) {
    return std::set<std::string>(names.begin(), names.end());
}

// The account's size as the edit shows it, within the one decimal of the
// unit the newer server prints.
void expectMegabytes(const std::string& shown, std::int64_t kilobytes, bool newer) {
    const double megabytes = static_cast<double>(kilobytes) / 1024.0;
    EXPECT_NEAR(std::strtod(shown.c_str(), nullptr), megabytes, newer && megabytes >= 1024.0 ? 52.0 : 0.06)
        << shown;
}

}  // namespace

// judy is group admin of friends: the newer server marks the group with '*'.
TEST_P(ServerGenerations, EditUserShowsTheAccountAndChangesOnlyWhatWasChanged) {
    HWND page = showPage(PAGE_EDIT_USER);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(comboItems(page, IDC_EDITUSER_USERNAME), sortedAccounts());
    ASSERT_TRUE(pickComboItemByText(page, IDC_EDITUSER_USERNAME, "judy"));
    const simsite::SiteUser& judy = *demo->findUser("judy");
    ASSERT_EQ(judy.adminGroups, std::vector<std::string>{"friends"});

    EXPECT_EQ(getText(page, IDC_EDITUSER_RATIO), "3");
    EXPECT_EQ(getText(page, IDC_EDITUSER_MAX_LOGINS), "5");
    expectMegabytes(getText(page, IDC_EDITUSER_CREDITS), judy.creditsKb, newer());
    expectMegabytes(getText(page, IDC_EDITUSER_ALLOTMENT), judy.weeklyAllotmentKb, newer());
    EXPECT_EQ(getText(page, IDC_EDITUSER_GROUP_SLOTS), newer() ? "?" : "5");
    EXPECT_EQ(getText(page, IDC_EDITUSER_TAGLINE), "gadmin of friends");
    EXPECT_EQ(getText(page, IDC_EDITUSER_IP0), "judy@198.51.100.5");
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_MEMBER_GROUPS), std::vector<std::string>{"friends"});
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS), std::vector<std::string>{"STAFF"});
    const std::set<std::string> available = asSet(listBoxItems(page, IDC_EDITUSER_AVAIL_GROUPS));
    std::set<std::string> others = siteGroups(false);
    others.erase("friends");
    EXPECT_EQ(available, others);
    ASSERT_TRUE(isEnabled(page, IDC_EDITUSER_CHANGE));

    // Nothing touched: nothing sent, whatever rounding the screen did.
    EXPECT_TRUE(commandsOf(page, IDC_EDITUSER_CHANGE).empty());

    // Leaving friends: the group by its name, never with the admin mark.
    selectListBoxItem(page, IDC_EDITUSER_MEMBER_GROUPS, 0);
    clickButton(page, IDC_EDITUSER_REMOVE_GROUP);
    setText(page, IDC_EDITUSER_RATIO, "2");
    EXPECT_EQ(commandsOf(page, IDC_EDITUSER_CHANGE),
              (std::vector<std::string>{"SITE CHANGE judy ratio 2", "SITE CHGRP judy friends"}));
    pumpMessages();
    EXPECT_TRUE(demo->findUser("judy")->groups.empty());
    EXPECT_TRUE(demo->findUser("judy")->adminGroups.empty());
    EXPECT_TRUE(listBoxItems(page, IDC_EDITUSER_MEMBER_GROUPS).empty());
    EXPECT_EQ(getText(page, IDC_EDITUSER_RATIO), "2");
}

TEST_P(ServerGenerations, UserCommandsListAccountsAndReaddOnlyWhatTheSiteCouldRead) {
    HWND page = showPage(PAGE_USER_COMMANDS);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), sortedAccounts());

    ASSERT_TRUE(pickComboItemByText(page, IDC_USERCMD_USERNAME, "bob"));
    clickButton(page, IDC_USERCMD_DELETE_USER);
    EXPECT_TRUE(demo->findUser("bob")->deleted());
    setText(page, IDC_USERCMD_READD_NAME, "bob");
    clickButton(page, IDC_USERCMD_READD_USER);
    EXPECT_FALSE(demo->findUser("bob")->deleted());
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), sortedAccounts());

    // "Unable to load" from the older server, "Error loading userfile" from
    // the newer one: either way the name is not listed.
    setText(page, IDC_USERCMD_READD_NAME, "nobody");
    clickButton(page, IDC_USERCMD_READD_USER);
    EXPECT_EQ(comboItems(page, IDC_USERCMD_USERNAME), sortedAccounts());
}

TEST_P(ServerGenerations, AddUserOffersTheSitesGroupsAndSeesARefusedAdd) {
    HWND page = showPage(PAGE_ADD_USER);
    ASSERT_NE(page, nullptr);
    std::set<std::string> groups = asSet(comboItems(page, IDC_ADDUSER_GROUP));
    std::set<std::string> privateGroups = asSet(comboItems(page, IDC_ADDUSER_PRIVATE_GROUP));
    groups.erase("(gl default)");
    privateGroups.erase("(gl default)");
    EXPECT_EQ(groups, siteGroups(false));
    EXPECT_EQ(privateGroups, siteGroups(true));

    setText(page, IDC_ADDUSER_USERNAME, "bob");
    setText(page, IDC_ADDUSER_PASSWORD, "other");
    setText(page, IDC_ADDUSER_IP0, "10.1.1.1");
    EXPECT_EQ(commandsOf(page, IDC_ADDUSER_ADD), std::vector<std::string>{"SITE ADDUSER bob other"});
    EXPECT_EQ(actionCount(ACTION_USER_ADDED), 0);
    EXPECT_EQ(demo->findUser("bob")->password, "bob-pass");
}

TEST_P(ServerGenerations, GroupsListTheSitesGroupsAndSeeARefusedAdd) {
    HWND page = showPage(PAGE_GROUPS);
    ASSERT_NE(page, nullptr);
    std::set<std::string> listed;
    for (const std::vector<std::string>& row : listViewRows(page, IDC_GROUPS_LIST)) {
        listed.insert(row[0]);
        EXPECT_EQ(row[1], demo->findGroup(row[0])->description);
    }
    EXPECT_EQ(listed, siteGroups(false));

    const std::size_t rows = listed.size();
    setText(page, IDC_GROUPS_ADD_NAME, "friends");
    setText(page, IDC_GROUPS_ADD_INFO, "again");
    clickButton(page, IDC_GROUPS_ADD);
    EXPECT_EQ(listViewRows(page, IDC_GROUPS_LIST).size(), rows);
}

TEST_P(ServerGenerations, OnlineUsersListEveryConnectionWithOrWithoutSwho) {
    for (bool swho : {true, false}) {
        SCOPED_TRACE(swho ? "SWHO" : "WHO");
        demo->setSwhoAllowed(swho);
        HWND page = showPage(PAGE_ONLINE_USERS);
        ASSERT_NE(page, nullptr);
        clickButton(page, IDC_ONLINE_UPDATE);
        std::multiset<std::string> listed;
        for (const std::vector<std::string>& row : listViewRows(page, IDC_ONLINE_LIST)) {
            listed.insert(row[0]);
        }
        EXPECT_EQ(listed, connectedUserNames(*demo));
    }
}

TEST_P(ServerGenerations, SiteCommandsOfferTheSitesUsersAndGroups) {
    HWND page = showPage(PAGE_SITE_COMMANDS);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(comboItems(page, IDC_SITECMD_MSG_USER), sortedAccounts());
    EXPECT_EQ(asSet(comboItems(page, IDC_SITECMD_MSG_GROUP)), siteGroups(false));
}

INSTANTIATE_TEST_SUITE_P(AsEitherServer, ServerGenerations,
                         testing::Values(ServerKind{Generation::Glftpd1, false}, ServerKind{Generation::Glftpd1, true},
                                         ServerKind{Generation::Glftpd2, false}, ServerKind{Generation::Glftpd2, true}),
                         kindName);
