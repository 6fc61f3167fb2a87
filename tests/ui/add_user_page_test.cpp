// The Add user page through the real exports: the form's state across page
// switches, the two parse lines, the add chain with every place it can stop,
// and the hand-over to the Edit user page.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

const int ipEdits[10] = {
    IDC_ADDUSER_IP0, IDC_ADDUSER_IP1, IDC_ADDUSER_IP2, IDC_ADDUSER_IP3, IDC_ADDUSER_IP4,
    IDC_ADDUSER_IP5, IDC_ADDUSER_IP6, IDC_ADDUSER_IP7, IDC_ADDUSER_IP8, IDC_ADDUSER_IP9,
};

// Every request from `from` on, one line each, so a whole exchange compares at once.
std::vector<std::string> exchange(const ScriptedSite& site, std::size_t from = 0) {
    std::vector<std::string> lines;
    const std::vector<RecordedRequest>& all = site.requests();
    for (std::size_t i = from; i < all.size(); ++i) {
        const RecordedRequest& request = all[i];
        switch (request.action) {
        case ACTION_SEND_COMMAND:
            lines.push_back(request.command + (request.param == 1 ? " [kept]" : ""));
            break;
        case ACTION_RELEASE_REPLY:
            lines.push_back("release");
            break;
        case ACTION_SHOW_PAGE:
            lines.push_back("show page " + std::to_string(request.param));
            break;
        case ACTION_USER_ADDED:
            lines.push_back("user added");
            break;
        default:
            lines.push_back("action " + std::to_string(request.action));
            break;
        }
    }
    return lines;
}

std::vector<std::string> ipTexts(HWND page) {
    std::vector<std::string> texts;
    for (int id : ipEdits) {
        texts.push_back(getText(page, id));
    }
    return texts;
}

std::vector<std::string> padded(std::vector<std::string> texts) {
    texts.resize(10);
    return texts;
}

int indexOf(const std::vector<std::string>& items, const std::string& item) {
    const auto found = std::find(items.begin(), items.end(), item);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

class AddUserPage : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        site.answer("SITE GROUPS", fixtureReply("add_user_site_groups.txt"));
        site.answer("SITE USER", fixtureReply("add_user_site_users.txt"));
        site.answerPrefix("SITE ADDUSER ", fixtureReply("add_user_added.txt"));
        site.answerPrefix("SITE ADDIP ", fixtureReply("add_user_addip.txt"));
        site.answerPrefix("SITE CHGRP ", fixtureReply("add_user_chgrp.txt"));
        site.answer("SITE USER newbie", fixtureReply("add_user_newbie_account.txt"));
    }

    HWND showAddUser() {
        HWND page = showPage(1);
        EXPECT_NE(page, nullptr);
        return page;
    }

    static void fillAccount(HWND page) {
        setText(page, IDC_ADDUSER_USERNAME, "newbie");
        setText(page, IDC_ADDUSER_PASSWORD, "secret");
    }
};

const std::vector<std::string> defaultOnly = {"(gl default)"};

}  // namespace

TEST_F(AddUserPage, TheGroupCombosComeFromTheSiteGroupsListingWithTheDefaultFirst) {
    HWND page = showAddUser();
    EXPECT_EQ(exchange(site), (std::vector<std::string>{"SITE GROUPS [kept]", "release",
                                                        "SITE USER [kept]", "release"}));
    EXPECT_EQ(comboItems(page, IDC_ADDUSER_GROUP),
              (std::vector<std::string>{"(gl default)", "friends", "glftpd", "NoGroup"}));
    EXPECT_EQ(comboItems(page, IDC_ADDUSER_PRIVATE_GROUP),
              (std::vector<std::string>{"(gl default)", "STAFF"}));
    EXPECT_EQ(comboSelection(page, IDC_ADDUSER_GROUP), 0);
    EXPECT_EQ(comboSelection(page, IDC_ADDUSER_PRIVATE_GROUP), 0);

    // The directory is fetched once; showing the page again only refills.
    showPage(3);
    page = showAddUser();
    EXPECT_EQ(site.commands().size(), 2u);
    EXPECT_EQ(comboItems(page, IDC_ADDUSER_GROUP).size(), 4u);
}

TEST_F(AddUserPage, WithNoGroupsEachComboHoldsOnlyTheDefaultAndAddSendsNoChgrp) {
    site.answer("SITE GROUPS", oneLineReply("200 You do not have access to this command."));
    HWND page = showAddUser();
    EXPECT_EQ(comboItems(page, IDC_ADDUSER_GROUP), defaultOnly);
    EXPECT_EQ(comboItems(page, IDC_ADDUSER_PRIVATE_GROUP), defaultOnly);
    EXPECT_EQ(comboSelection(page, IDC_ADDUSER_GROUP), 0);
    EXPECT_EQ(comboSelection(page, IDC_ADDUSER_PRIVATE_GROUP), 0);

    fillAccount(page);
    const std::size_t from = site.requests().size();
    clickButton(page, IDC_ADDUSER_ADD);
    EXPECT_EQ(exchange(site, from),
              (std::vector<std::string>{"SITE ADDUSER newbie secret [kept]", "release", "user added"}));
}

TEST_F(AddUserPage, AddUserSendsTheWholeChainInIpOrderAndKeepsTheForm) {
    HWND page = showAddUser();
    fillAccount(page);
    setText(page, IDC_ADDUSER_IP0, "10.0.0.1");
    setText(page, IDC_ADDUSER_IP1, "ident@gateway");
    setText(page, IDC_ADDUSER_IP2, "192.168.1");
    setText(page, IDC_ADDUSER_IP9, "10.0");
    pickComboItem(page, IDC_ADDUSER_GROUP, 1);          // friends
    pickComboItem(page, IDC_ADDUSER_PRIVATE_GROUP, 1);  // STAFF
    const std::size_t from = site.requests().size();

    clickButton(page, IDC_ADDUSER_ADD);

    EXPECT_EQ(exchange(site, from), (std::vector<std::string>{
                                        "SITE ADDUSER newbie secret [kept]",
                                        "release",
                                        "SITE ADDIP newbie *@10.0.0.1",
                                        "SITE ADDIP newbie ident@gateway",
                                        "SITE ADDIP newbie *@192.168.1.*",
                                        "SITE ADDIP newbie *@10.0.*.*",
                                        "SITE CHGRP newbie friends",
                                        "SITE CHGRP newbie STAFF",
                                        "user added",
                                    }));
    EXPECT_EQ(ipTexts(page), padded({"*@10.0.0.1", "ident@gateway", "*@192.168.1.*", "", "", "", "",
                                     "", "", "*@10.0.*.*"}));
    EXPECT_EQ(getText(page, IDC_ADDUSER_USERNAME), "newbie");
    EXPECT_EQ(getText(page, IDC_ADDUSER_PASSWORD), "secret");
    EXPECT_EQ(comboSelection(page, IDC_ADDUSER_GROUP), 1);
    EXPECT_TRUE(messageBoxes.empty());
    EXPECT_EQ(currentPage(), page);
}

TEST_F(AddUserPage, EachCommandOfTheChainEndsTheAddWhenTheHostOrTheServerFails) {
    HWND page = showAddUser();
    fillAccount(page);
    pickComboItem(page, IDC_ADDUSER_GROUP, 2);          // glftpd
    pickComboItem(page, IDC_ADDUSER_PRIVATE_GROUP, 1);  // STAFF
    const std::vector<std::string> raw = {"10.0.0.1", "ident@gateway", "192.168.1", "", "", "", "",
                                          "", "", "10.0"};
    const std::vector<std::string> masks = {"*@10.0.0.1", "ident@gateway", "*@192.168.1.*", "", "",
                                            "", "", "", "", "*@10.0.*.*"};
    const int ipSlotOfCommand[] = {-1, 0, 1, 2, 9, -1, -1};
    const std::vector<std::string> chain = {
        "SITE ADDUSER newbie secret [kept]", "SITE ADDIP newbie *@10.0.0.1",
        "SITE ADDIP newbie ident@gateway",   "SITE ADDIP newbie *@192.168.1.*",
        "SITE ADDIP newbie *@10.0.*.*",      "SITE CHGRP newbie glftpd",
        "SITE CHGRP newbie STAFF",
    };

    for (const bool hostFails : {true, false}) {
        for (int k = 0; k < static_cast<int>(chain.size()); ++k) {
            SCOPED_TRACE((hostFails ? "host result 0 at command " : "code 550 at command ") +
                         std::to_string(k));
            for (int slot = 0; slot < 10; ++slot) {
                setText(page, ipEdits[slot], raw[slot]);
            }
            site.failSendAt(static_cast<int>(site.commands().size()) + k, hostFails ? 0 : 1, 550);
            const std::size_t from = site.requests().size();

            clickButton(page, k % 2 == 0 ? IDC_ADDUSER_ADD_EDIT : IDC_ADDUSER_ADD);

            std::vector<std::string> expected;
            for (int sent = 0; sent <= k; ++sent) {
                expected.push_back(chain[sent]);
                // The kept reply is released unless the host failed the send.
                if (sent == 0 && !(hostFails && k == 0)) {
                    expected.push_back("release");
                }
            }
            EXPECT_EQ(exchange(site, from), expected);
            // Masks are written just before their ADDIP; later edits keep what was typed.
            const int lastShown = k >= 5 ? 9 : ipSlotOfCommand[k];
            for (int slot = 0; slot < 10; ++slot) {
                EXPECT_EQ(getText(page, ipEdits[slot]), slot <= lastShown ? masks[slot] : raw[slot])
                    << "IP " << slot;
            }
            EXPECT_EQ(currentPage(), page);
            EXPECT_TRUE(IsWindow(page));
        }
    }
    EXPECT_TRUE(messageBoxes.empty());

    // The page still works: an add that meets no failure goes through.
    const std::size_t from = site.requests().size();
    clickButton(page, IDC_ADDUSER_ADD);
    std::vector<std::string> expected = chain;
    expected.insert(expected.begin() + 1, "release");
    expected.push_back("user added");
    EXPECT_EQ(exchange(site, from), expected);
}

TEST_F(AddUserPage, AlreadyExistsWithCode200EndsTheAddAfterTheRelease) {
    HWND page = showAddUser();
    fillAccount(page);
    setText(page, IDC_ADDUSER_IP0, "10.0.0.1");
    pickComboItem(page, IDC_ADDUSER_GROUP, 1);
    site.answerOnce("SITE ADDUSER newbie secret", fixtureReply("add_user_exists.txt", 200));
    const std::size_t from = site.requests().size();

    clickButton(page, IDC_ADDUSER_ADD_EDIT);

    EXPECT_EQ(exchange(site, from),
              (std::vector<std::string>{"SITE ADDUSER newbie secret [kept]", "release"}));
    EXPECT_EQ(getText(page, IDC_ADDUSER_IP0), "10.0.0.1");
    EXPECT_TRUE(messageBoxes.empty());
    EXPECT_EQ(currentPage(), page);
}

TEST_F(AddUserPage, AnAddUserReplyWithoutLinesIsNoRefusal) {
    HWND page = showAddUser();
    fillAccount(page);
    ScriptedReply noLines;
    noLines.lines.clear();
    site.answerOnce("SITE ADDUSER newbie secret", noLines);
    const std::size_t from = site.requests().size();
    clickButton(page, IDC_ADDUSER_ADD);
    EXPECT_EQ(exchange(site, from),
              (std::vector<std::string>{"SITE ADDUSER newbie secret [kept]", "release", "user added"}));
}

TEST_F(AddUserPage, AnEmptyUsernameOrPasswordIsAParameterErrorAndSendsNothing) {
    HWND page = showAddUser();
    const std::size_t from = site.requests().size();
    setText(page, IDC_ADDUSER_PASSWORD, "secret");
    SetFocus(hostWindow());
    clickButton(page, IDC_ADDUSER_ADD);
    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].title, "Parameter error");
    EXPECT_EQ(messageBoxes[0].text, "You need to specify an username");
    EXPECT_EQ(focusedControl(), GetDlgItem(page, IDC_ADDUSER_USERNAME));

    setText(page, IDC_ADDUSER_USERNAME, "newbie");
    setText(page, IDC_ADDUSER_PASSWORD, "");
    clickButton(page, IDC_ADDUSER_ADD_EDIT);
    ASSERT_EQ(messageBoxes.size(), 2u);
    EXPECT_EQ(messageBoxes[1].title, "Parameter error");
    EXPECT_EQ(messageBoxes[1].text, "You need to specify a users password");
    EXPECT_EQ(focusedControl(), GetDlgItem(page, IDC_ADDUSER_PASSWORD));
    EXPECT_TRUE(exchange(site, from).empty());

    // Blanks alone are no empty password but one holding a blank.
    setText(page, IDC_ADDUSER_PASSWORD, "  ");
    clickButton(page, IDC_ADDUSER_ADD);
    ASSERT_EQ(messageBoxes.size(), 3u);
    EXPECT_EQ(messageBoxes[2].text, "The password cannot contain a blank or a tab");
    EXPECT_TRUE(exchange(site, from).empty());
}

TEST_F(AddUserPage, TheIpListFillsMasksFromIp0AndEmptiesItself) {
    HWND page = showAddUser();
    const std::size_t from = site.requests().size();
    setText(page, IDC_ADDUSER_IP3, "old");
    setText(page, IDC_ADDUSER_IP_LIST, "   10.0.0.1   192.168.1  ");
    clickButton(page, IDC_ADDUSER_PARSE_IP_LIST);
    EXPECT_EQ(ipTexts(page), padded({"*@10.0.0.1", "*@192.168.1.*"}));
    EXPECT_EQ(getText(page, IDC_ADDUSER_IP_LIST), "");

    std::string twelve;
    std::vector<std::string> firstTen;
    for (int i = 1; i <= 12; ++i) {
        twelve += std::to_string(i) + ".2.3.4 ";
        if (i <= 10) {
            firstTen.push_back("*@" + std::to_string(i) + ".2.3.4");
        }
    }
    setText(page, IDC_ADDUSER_IP_LIST, twelve);
    clickButton(page, IDC_ADDUSER_PARSE_IP_LIST);
    EXPECT_EQ(ipTexts(page), firstTen);
    EXPECT_EQ(getText(page, IDC_ADDUSER_IP_LIST), "");
    EXPECT_TRUE(exchange(site, from).empty());
}

TEST_F(AddUserPage, TheFullAddStringFillsLoginPasswordAndMasks) {
    HWND page = showAddUser();
    const std::size_t from = site.requests().size();
    fillAccount(page);
    setText(page, IDC_ADDUSER_IP5, "10.0.0.5");
    setText(page, IDC_ADDUSER_FULL_ADD, "  carol  ");
    clickButton(page, IDC_ADDUSER_PARSE_FULL_ADD);
    EXPECT_EQ(getText(page, IDC_ADDUSER_USERNAME), "carol");
    EXPECT_EQ(getText(page, IDC_ADDUSER_PASSWORD), "");
    EXPECT_EQ(ipTexts(page), padded({}));
    EXPECT_EQ(getText(page, IDC_ADDUSER_FULL_ADD), "");

    setText(page, IDC_ADDUSER_FULL_ADD, "newbie secret 10.0.0.1");
    clickButton(page, IDC_ADDUSER_PARSE_FULL_ADD);
    EXPECT_EQ(getText(page, IDC_ADDUSER_USERNAME), "newbie");
    EXPECT_EQ(getText(page, IDC_ADDUSER_PASSWORD), "secret");
    EXPECT_EQ(ipTexts(page), padded({"*@10.0.0.1"}));

    // A tab belongs to its token.
    setText(page, IDC_ADDUSER_FULL_ADD, "new\tbie pa\tss 10.0.0.1\t 10.0");
    clickButton(page, IDC_ADDUSER_PARSE_FULL_ADD);
    EXPECT_EQ(getText(page, IDC_ADDUSER_USERNAME), "new\tbie");
    EXPECT_EQ(getText(page, IDC_ADDUSER_PASSWORD), "pa\tss");
    EXPECT_EQ(ipTexts(page), padded({"*@10.0.0.1\t", "*@10.0.*.*"}));
    EXPECT_TRUE(exchange(site, from).empty());
}

// Only IP 3 filled and "(gl default)" chosen again in both combos: one
// ADDIP, no CHGRP, and the IP 3 edit shows the mask.
TEST_F(AddUserPage, OnlyIp3AndTheDefaultGroupsSendOneAddipAndNoChgrp) {
    HWND page = showAddUser();
    fillAccount(page);
    setText(page, IDC_ADDUSER_IP3, "10.0");
    pickComboItem(page, IDC_ADDUSER_GROUP, 1);
    pickComboItem(page, IDC_ADDUSER_GROUP, 0);
    pickComboItem(page, IDC_ADDUSER_PRIVATE_GROUP, 1);
    pickComboItem(page, IDC_ADDUSER_PRIVATE_GROUP, 0);
    const std::size_t from = site.requests().size();
    clickButton(page, IDC_ADDUSER_ADD);
    EXPECT_EQ(exchange(site, from),
              (std::vector<std::string>{"SITE ADDUSER newbie secret [kept]", "release",
                                        "SITE ADDIP newbie *@10.0.*.*", "user added"}));
    EXPECT_EQ(ipTexts(page), padded({"", "", "", "*@10.0.*.*"}));
}

// "!admins" and "#ops" sort ahead of "(gl default)"; the default entry is known
// by itself, not by being first, so such groups can be chosen.
TEST_F(AddUserPage, AGroupSortingAheadOfTheDefaultCanBeChosen) {
    site.answer("SITE GROUPS", fixtureReply("add_user_site_groups_sorting_first.txt"));
    HWND page = showAddUser();
    const std::vector<std::string> groups = comboItems(page, IDC_ADDUSER_GROUP);
    const std::vector<std::string> privateGroups = comboItems(page, IDC_ADDUSER_PRIVATE_GROUP);
    ASSERT_EQ(groups.size(), 3u);
    ASSERT_EQ(privateGroups.size(), 3u);
    EXPECT_EQ(groups[0], "!admins");
    EXPECT_EQ(privateGroups[0], "#ops");
    const int groupDefault = indexOf(groups, "(gl default)");
    const int privateDefault = indexOf(privateGroups, "(gl default)");
    EXPECT_GT(groupDefault, 0);
    EXPECT_GT(privateDefault, 0);
    // A fresh form shows the default, not the group that sorts first.
    EXPECT_EQ(comboSelection(page, IDC_ADDUSER_GROUP), groupDefault);
    EXPECT_EQ(comboSelection(page, IDC_ADDUSER_PRIVATE_GROUP), privateDefault);

    fillAccount(page);
    pickComboItem(page, IDC_ADDUSER_GROUP, indexOf(groups, "!admins"));
    pickComboItem(page, IDC_ADDUSER_PRIVATE_GROUP, indexOf(privateGroups, "#ops"));
    std::size_t from = site.requests().size();
    clickButton(page, IDC_ADDUSER_ADD);
    EXPECT_EQ(exchange(site, from),
              (std::vector<std::string>{"SITE ADDUSER newbie secret [kept]", "release",
                                        "SITE CHGRP newbie !admins", "SITE CHGRP newbie #ops",
                                        "user added"}));

    pickComboItem(page, IDC_ADDUSER_GROUP, groupDefault);
    pickComboItem(page, IDC_ADDUSER_PRIVATE_GROUP, privateDefault);
    from = site.requests().size();
    clickButton(page, IDC_ADDUSER_ADD);
    EXPECT_EQ(exchange(site, from),
              (std::vector<std::string>{"SITE ADDUSER newbie secret [kept]", "release",
                                        "user added"}));
}

TEST_F(AddUserPage, APageSwitchRestoresEveryTextAndBothSelections) {
    HWND page = showAddUser();
    std::vector<std::string> typed;
    fillAccount(page);
    setText(page, IDC_ADDUSER_IP_LIST, "10.0.0.1 10.0.0.2");
    setText(page, IDC_ADDUSER_FULL_ADD, "carol pw 10.0");
    for (int slot = 0; slot < 10; ++slot) {
        typed.push_back(slot % 3 == 0 ? "" : "10.0.0." + std::to_string(slot));
        setText(page, ipEdits[slot], typed.back());
    }
    pickComboItem(page, IDC_ADDUSER_GROUP, 3);
    pickComboItem(page, IDC_ADDUSER_PRIVATE_GROUP, 1);

    showPage(3);
    EXPECT_FALSE(IsWindow(page));
    page = showAddUser();

    EXPECT_EQ(getText(page, IDC_ADDUSER_USERNAME), "newbie");
    EXPECT_EQ(getText(page, IDC_ADDUSER_PASSWORD), "secret");
    EXPECT_EQ(getText(page, IDC_ADDUSER_IP_LIST), "10.0.0.1 10.0.0.2");
    EXPECT_EQ(getText(page, IDC_ADDUSER_FULL_ADD), "carol pw 10.0");
    EXPECT_EQ(ipTexts(page), typed);
    EXPECT_EQ(comboSelection(page, IDC_ADDUSER_GROUP), 3);
    EXPECT_EQ(comboSelection(page, IDC_ADDUSER_PRIVATE_GROUP), 1);
    EXPECT_EQ(site.commands().size(), 2u);
}

TEST_F(AddUserPage, AddPlusEditTellsTheHostThenAsksForTheEditPageLast) {
    HWND page = showAddUser();
    fillAccount(page);
    setText(page, IDC_ADDUSER_IP0, "10.0.0.1");
    std::vector<std::string> seenAtShowPage;
    bool addPageAliveAtShowPage = false;
    site.onShowPage = [&](std::int32_t pageId) {
        seenAtShowPage = exchange(site);
        addPageAliveAtShowPage = IsWindow(page) != FALSE;
        showPage(pageId);
    };
    const std::size_t from = site.requests().size();

    clickButton(page, IDC_ADDUSER_ADD_EDIT);

    const std::vector<std::string> addExchange = {"SITE ADDUSER newbie secret [kept]", "release",
                                                  "SITE ADDIP newbie *@10.0.0.1", "user added",
                                                  "show page 2"};
    const std::vector<std::string> all = exchange(site, from);
    ASSERT_GE(all.size(), addExchange.size());
    EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + addExchange.size()), addExchange);
    // Whatever follows is the Edit user page's own doing, never an add command.
    for (std::size_t i = addExchange.size(); i < all.size(); ++i) {
        EXPECT_EQ(all[i].find("SITE ADD"), std::string::npos) << all[i];
        EXPECT_EQ(all[i].find("SITE CHGRP"), std::string::npos) << all[i];
        EXPECT_NE(all[i], "user added");
    }
    ASSERT_FALSE(seenAtShowPage.empty());
    EXPECT_EQ(seenAtShowPage.back(), "show page 2");
    EXPECT_TRUE(addPageAliveAtShowPage);
    EXPECT_FALSE(IsWindow(page));
    EXPECT_NE(currentPage(), page);

    // The form was captured as the add left it, the mask written back.
    page = showAddUser();
    EXPECT_EQ(getText(page, IDC_ADDUSER_USERNAME), "newbie");
    EXPECT_EQ(getText(page, IDC_ADDUSER_IP0), "*@10.0.0.1");
}

TEST_F(AddUserPage, AHostThatDoesNotSwitchLeavesTheHandOverToTheUnload) {
    HWND page = showAddUser();
    fillAccount(page);
    site.onShowPage = nullptr;
    clickButton(page, IDC_ADDUSER_ADD_EDIT);
    clickButton(page, IDC_ADDUSER_ADD_EDIT);
    EXPECT_EQ(currentPage(), page);
    EXPECT_EQ(unloadLibrary(), 0);
}

TEST_F(AddUserPage, NotificationsOtherThanAClickAreIgnored) {
    HWND page = showAddUser();
    fillAccount(page);
    setText(page, IDC_ADDUSER_IP_LIST, "10.0.0.1");
    const std::size_t from = site.requests().size();
    for (int id : {IDC_ADDUSER_ADD, IDC_ADDUSER_ADD_EDIT, IDC_ADDUSER_PARSE_IP_LIST}) {
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_DOUBLECLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    sendComboNotification(page, IDC_ADDUSER_GROUP, CBN_SELCHANGE);
    EXPECT_TRUE(exchange(site, from).empty());
    EXPECT_EQ(getText(page, IDC_ADDUSER_IP_LIST), "10.0.0.1");
}

// The two below need the Edit user page.
TEST_F(AddUserPage, AnAddedUserJoinsTheSiteDirectoryWithoutAFetch) {
    HWND page = showAddUser();
    fillAccount(page);
    clickButton(page, IDC_ADDUSER_ADD);
    HWND editPage = showPage(2);
    ASSERT_NE(editPage, nullptr);
    EXPECT_NE(indexOf(comboItems(editPage, IDC_EDITUSER_USERNAME), "newbie"), -1);
    const std::vector<std::string> sent = site.commands();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "SITE USER"), 1);
}

TEST_F(AddUserPage, AddPlusEditEndsWithTheNewUserLoadedOnTheEditUserPage) {
    HWND page = showAddUser();
    fillAccount(page);
    setText(page, IDC_ADDUSER_IP0, "10.0.0.1");
    setText(page, IDC_ADDUSER_IP1, "newbie@192.168.1");
    clickButton(page, IDC_ADDUSER_ADD_EDIT);
    pumpMessages();

    HWND editPage = currentPage();
    ASSERT_NE(editPage, page);
    ASSERT_NE(editPage, nullptr);
    const std::vector<std::string> sent = site.commands();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "SITE USER newbie"), sent.end());
    const std::vector<std::string> users = comboItems(editPage, IDC_EDITUSER_USERNAME);
    const int selected = comboSelection(editPage, IDC_EDITUSER_USERNAME);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(users[static_cast<std::size_t>(selected)], "newbie");
    EXPECT_EQ(getText(editPage, IDC_EDITUSER_IP0), "*@10.0.0.1");
    EXPECT_EQ(getText(editPage, IDC_EDITUSER_RATIO), "3");
}
