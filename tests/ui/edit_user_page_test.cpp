// The Edit user page through the real dialog: loading and showing an account,
// the user and group lists from the site directory, the combo box's close-up
// handling, group moves, the saved form across page switches, the hand-over
// from Add + Edit, and Change writing back what differs.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

using Texts = std::vector<std::string>;

const int flagIds[17] = {
    IDC_EDITUSER_FLAG_SITEOP,   IDC_EDITUSER_FLAG_GADMIN,   IDC_EDITUSER_FLAG_GLOCK,
    IDC_EDITUSER_FLAG_EXEMPT,   IDC_EDITUSER_FLAG_COLOR,    IDC_EDITUSER_FLAG_DELETED,
    IDC_EDITUSER_FLAG_USEREDIT, IDC_EDITUSER_FLAG_ANONYMOUS, IDC_EDITUSER_FLAG_NUKE,
    IDC_EDITUSER_FLAG_UNNUKE,   IDC_EDITUSER_FLAG_UNDUPE,   IDC_EDITUSER_FLAG_KICK,
    IDC_EDITUSER_FLAG_KILL,     IDC_EDITUSER_FLAG_TAKE,     IDC_EDITUSER_FLAG_GIVE,
    IDC_EDITUSER_FLAG_USERS,    IDC_EDITUSER_FLAG_IDLER,
};

const int ipIds[10] = {
    IDC_EDITUSER_IP0, IDC_EDITUSER_IP1, IDC_EDITUSER_IP2, IDC_EDITUSER_IP3, IDC_EDITUSER_IP4,
    IDC_EDITUSER_IP5, IDC_EDITUSER_IP6, IDC_EDITUSER_IP7, IDC_EDITUSER_IP8, IDC_EDITUSER_IP9,
};

const int detailIds[11] = {
    IDC_EDITUSER_PASSWORD,  IDC_EDITUSER_MAX_LOGINS, IDC_EDITUSER_GROUP_SLOTS,
    IDC_EDITUSER_LEECH_SLOTS, IDC_EDITUSER_TIME_LIMIT, IDC_EDITUSER_RATIO,
    IDC_EDITUSER_ALLOTMENT, IDC_EDITUSER_CREDITS,    IDC_EDITUSER_TAGLINE,
    IDC_EDITUSER_DL_SPEED,  IDC_EDITUSER_UL_SPEED,
};

const int groupControlIds[8] = {
    IDC_EDITUSER_AVAIL_GROUPS,         IDC_EDITUSER_MEMBER_GROUPS,
    IDC_EDITUSER_AVAIL_PRIVATE_GROUPS, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS,
    IDC_EDITUSER_ADD_GROUP,            IDC_EDITUSER_REMOVE_GROUP,
    IDC_EDITUSER_ADD_PRIVATE_GROUP,    IDC_EDITUSER_REMOVE_PRIVATE_GROUP,
};

// Sorted as the combo box shows the listing's names.
constexpr int aliceIndex = 0;
constexpr int bobIndex = 1;
constexpr int carolIndex = 2;

typedef void(HOST_CDECL* SetPendingFunction)(const char*);

class EditUserPage : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        site.answerUnscriptedWithSuccess();
    }

    void answerDirectory() {
        site.answer("SITE GROUPS", fixtureReply("edit_user_groups.txt"));
        site.answer("SITE USER", fixtureReply("edit_user_listing.txt"));
        site.answer("SITE USER bob", fixtureReply("edit_user_bob.txt"));
        site.answer("SITE USER carol", fixtureReply("edit_user_carol.txt"));
    }

    HWND open() {
        answerDirectory();
        HWND shown = showPage(2);
        EXPECT_NE(shown, nullptr);
        return shown;
    }

    // Picks a user from the opened list: the close-up, the selection change
    // around it, then the posted Get info.
    void pickUser(HWND page, int index) {
        sendComboNotification(page, IDC_EDITUSER_USERNAME, CBN_CLOSEUP);
        pickComboItem(page, IDC_EDITUSER_USERNAME, index);
        pumpMessages();
    }

    HWND openBob() {
        HWND page = open();
        pickUser(page, bobIndex);
        return page;
    }

    // Commands sent since `from` (an earlier size of site.commands()).
    Texts sentSince(std::size_t from) const {
        const Texts all = site.commands();
        return from <= all.size() ? Texts(all.begin() + static_cast<long>(from), all.end()) : Texts{};
    }

    // Presses Change; returns what it sent, without the reload it posted.
    Texts change(HWND page) {
        const std::size_t before = site.commands().size();
        clickButton(page, IDC_EDITUSER_CHANGE);
        return sentSince(before);
    }

    // Runs what Change posted; true when that was exactly a reload of the user.
    bool reloaded(const std::string& user) {
        const std::size_t before = site.commands().size();
        pumpMessages();
        return sentSince(before) == Texts{"SITE USER " + user};
    }

    void setPending(const char* name) {
        auto set = reinterpret_cast<SetPendingFunction>(
            reinterpret_cast<void*>(GetProcAddress(library, "ProbeSetPendingEditUser")));
        ASSERT_NE(set, nullptr);
        set(name);
    }

    static void selectText(HWND page, int listId, const char* text) {
        const LRESULT index = SendDlgItemMessageA(page, listId, LB_FINDSTRINGEXACT,
                                                  static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
        ASSERT_NE(index, LB_ERR) << text;
        selectListBoxItem(page, listId, static_cast<int>(index));
    }

    static std::vector<int> checkedSlots(HWND page) {
        std::vector<int> slots;
        for (int slot = 0; slot < 17; ++slot) {
            if (isChecked(page, flagIds[slot])) {
                slots.push_back(slot);
            }
        }
        return slots;
    }

    static Texts details(HWND page) {
        Texts texts;
        for (int id : detailIds) {
            texts.push_back(getText(page, id));
        }
        return texts;
    }

    static Texts masks(HWND page) {
        Texts texts;
        for (int id : ipIds) {
            texts.push_back(getText(page, id));
        }
        return texts;
    }

    // Each editing control's state; Change is checked on its own.
    static void expectEditing(HWND page, bool enabled) {
        for (int id : detailIds) {
            EXPECT_EQ(isEnabled(page, id), enabled) << "edit " << id;
        }
        for (int id : flagIds) {
            EXPECT_EQ(isEnabled(page, id), enabled) << "flag " << id;
        }
        for (int id : ipIds) {
            EXPECT_EQ(isEnabled(page, id), enabled) << "ip " << id;
        }
        for (int id : groupControlIds) {
            EXPECT_EQ(isEnabled(page, id), enabled) << "group control " << id;
        }
        EXPECT_TRUE(isEnabled(page, IDC_EDITUSER_USERNAME));
        EXPECT_TRUE(isEnabled(page, IDC_EDITUSER_GET_INFO));
    }
};

// password, logins, group slots, leech slots, time, ratio, allotment, credits,
// tagline, DL speed, UL speed: bob as the fixture's reply gives him.
const Texts bobDetails{"?",      "2",      "unlim",        "4",     "unlim", "3",
                       "1024.0", "2868.8", "Bob was here", "250.0", "0.0"};
const Texts bobMasks{"*@127.0.0.1", "bob@198.51.100.17", "*@192.0.2.*", "", "", "", "", "", "", ""};
const std::vector<int> bobFlags{1, 8, 9, 10, 15};  // 2ABCH

}  // namespace

TEST_F(EditUserPage, FirstShowingSelectsTheFirstUserAndOffersEveryGroupWithEditingOff) {
    HWND page = open();
    EXPECT_EQ(site.commands(), (Texts{"SITE GROUPS", "SITE USER"}));
    EXPECT_EQ(comboItems(page, IDC_EDITUSER_USERNAME),
              (Texts{"alice", "bob", "carol", "dave", "glftpd"}));
    EXPECT_EQ(comboSelection(page, IDC_EDITUSER_USERNAME), aliceIndex);
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_GROUPS),
              (Texts{"beta", "friends", "glftpd", "NoGroup", "testers"}));
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS), (Texts{"STAFF", "VIP"}));
    EXPECT_TRUE(listBoxItems(page, IDC_EDITUSER_MEMBER_GROUPS).empty());
    EXPECT_TRUE(listBoxItems(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS).empty());
    EXPECT_EQ(details(page), Texts(11, ""));
    EXPECT_EQ(masks(page), Texts(10, ""));
    EXPECT_TRUE(checkedSlots(page).empty());
    expectEditing(page, false);
    EXPECT_FALSE(isEnabled(page, IDC_EDITUSER_CHANGE));
    EXPECT_EQ(change(page), Texts{});  // even a forced press does nothing
}

TEST_F(EditUserPage, GetInfoShowsEveryFieldFlagMaskAndGroupOfTheAccount) {
    HWND page = open();
    SendDlgItemMessageA(page, IDC_EDITUSER_USERNAME, CB_SETCURSEL, bobIndex, 0);
    clickButton(page, IDC_EDITUSER_GET_INFO);
    EXPECT_EQ(site.commands().back(), "SITE USER bob");
    EXPECT_EQ(details(page), bobDetails);
    EXPECT_EQ(masks(page), bobMasks);
    EXPECT_EQ(checkedSlots(page), bobFlags);
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_MEMBER_GROUPS), (Texts{"friends", "testers"}));
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS), Texts{"STAFF"});
    // Available: the directory's groups without the member names.
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_GROUPS), (Texts{"beta", "glftpd", "NoGroup"}));
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS), Texts{"VIP"});
    expectEditing(page, true);
    EXPECT_TRUE(isEnabled(page, IDC_EDITUSER_CHANGE));
    // The directory was fetched once, at the first fill.
    EXPECT_EQ(site.commands(), (Texts{"SITE GROUPS", "SITE USER", "SITE USER bob"}));
}

TEST_F(EditUserPage, AFullAccountFillsAllTenMasksAndBothMemberLists) {
    HWND page = open();
    site.answer("SITE USER alice", fixtureReply("site_user_alice.txt"));
    pickUser(page, aliceIndex);
    EXPECT_EQ(masks(page), (Texts{"*@127.0.0.1", "alice@198.51.100.17", "*@192.0.2.*",
                                  "alice@203.0.113.*", "*@10.1.2.3", "*@*.dsl.example.net",
                                  "*@198.18.0.*", "ident@192.0.2.44", "*@100.64.*.*",
                                  "*@198.51.100.*"}));
    EXPECT_EQ(details(page), (Texts{"?", "3", "2", "5", "90", "3", "1024.0", "2868.8",
                                    "Upload or die trying", "250.0", "120.5"}));
    EXPECT_EQ(checkedSlots(page), (std::vector<int>{2, 8, 9, 10, 11, 12, 15}));  // 3ABCDEH
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS), (Texts{"STAFF", "Council"}));
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS), Texts{"VIP"});
}

TEST_F(EditUserPage, ASecondAccountReplacesTheFirstEvenWhereItsReplyIsSilent) {
    HWND page = openBob();
    pickUser(page, carolIndex);
    EXPECT_EQ(site.commands().back(), "SITE USER carol");
    // carol's reply has no "Tagline: ": bob's tagline is not shown as hers.
    EXPECT_EQ(details(page), (Texts{"?", "unlim", "2", "unlim", "45", "unlim", "0.0", "0.0", "",
                                    "0.0", "50.0"}));
    EXPECT_EQ(masks(page), (Texts{"carol@203.0.113.*", "", "", "", "", "", "", "", "", ""}));
    EXPECT_EQ(checkedSlots(page), std::vector<int>{2});
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_MEMBER_GROUPS), Texts{"NoGroup"});
    EXPECT_TRUE(listBoxItems(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS).empty());
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_GROUPS),
              (Texts{"beta", "friends", "glftpd", "testers"}));
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS), (Texts{"STAFF", "VIP"}));

    // Change then writes only what was typed, never bob's leftovers.
    setText(page, IDC_EDITUSER_RATIO, "2");
    EXPECT_EQ(change(page), Texts{"SITE CHANGE carol ratio 2"});
    EXPECT_TRUE(reloaded("carol"));
    setText(page, IDC_EDITUSER_TAGLINE, "Carol's own");
    EXPECT_EQ(change(page), Texts{"SITE CHANGE carol tagline Carol's own"});
}

TEST_F(EditUserPage, ACloseUpKeepsEditingOnThroughTheSelectionChangeAndReloadsOnce) {
    HWND page = openBob();
    const std::size_t before = site.commands().size();
    sendComboNotification(page, IDC_EDITUSER_USERNAME, CBN_CLOSEUP);
    pickComboItem(page, IDC_EDITUSER_USERNAME, carolIndex);
    // The reload is posted, not run inside the notification.
    EXPECT_EQ(sentSince(before), Texts{});
    expectEditing(page, true);
    pumpMessages();
    EXPECT_EQ(sentSince(before), Texts{"SITE USER carol"});
    expectEditing(page, true);
    EXPECT_TRUE(isEnabled(page, IDC_EDITUSER_CHANGE));
}

TEST_F(EditUserPage, ASelectionChangeAloneTurnsEditingOffUntilTheNextGetInfo) {
    HWND page = openBob();
    const std::size_t before = site.commands().size();
    pickComboItem(page, IDC_EDITUSER_USERNAME, carolIndex);
    pumpMessages();
    expectEditing(page, false);
    EXPECT_FALSE(isEnabled(page, IDC_EDITUSER_CHANGE));
    EXPECT_EQ(details(page), bobDetails);  // the form stays, it just is not carol's
    // Back on bob by arrow keys: still bob's form, but Change waits for a load.
    pickComboItem(page, IDC_EDITUSER_USERNAME, bobIndex);
    setText(page, IDC_EDITUSER_RATIO, "9");
    EXPECT_EQ(change(page), Texts{});
    EXPECT_EQ(sentSince(before), Texts{});
    clickButton(page, IDC_EDITUSER_GET_INFO);
    expectEditing(page, true);
    EXPECT_TRUE(isEnabled(page, IDC_EDITUSER_CHANGE));
}

TEST_F(EditUserPage, AClosedListAfterAnUnpickedCloseUpStillTurnsEditingOff) {
    HWND page = openBob();
    // Opened and closed again without a pick: no selection change comes.
    sendComboNotification(page, IDC_EDITUSER_USERNAME, CBN_CLOSEUP);
    EXPECT_TRUE(reloaded("bob"));
    expectEditing(page, true);
    // Then an arrow key on the closed list.
    pickComboItem(page, IDC_EDITUSER_USERNAME, carolIndex);
    expectEditing(page, false);
    EXPECT_FALSE(isEnabled(page, IDC_EDITUSER_CHANGE));
}

TEST_F(EditUserPage, GetInfoWithoutASelectionEmptiesFlagsAndMembersButKeepsTheTexts) {
    HWND page = openBob();
    setText(page, IDC_EDITUSER_IP4, "typed@10.0.0.*");
    const std::size_t before = site.commands().size();
    SendDlgItemMessageA(page, IDC_EDITUSER_USERNAME, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    clickButton(page, IDC_EDITUSER_GET_INFO);
    EXPECT_EQ(sentSince(before), Texts{});
    EXPECT_TRUE(checkedSlots(page).empty());
    EXPECT_TRUE(listBoxItems(page, IDC_EDITUSER_MEMBER_GROUPS).empty());
    EXPECT_TRUE(listBoxItems(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS).empty());
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_GROUPS),
              (Texts{"beta", "friends", "glftpd", "NoGroup", "testers"}));
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS), (Texts{"STAFF", "VIP"}));
    EXPECT_EQ(details(page), bobDetails);
    EXPECT_EQ(getText(page, IDC_EDITUSER_IP4), "typed@10.0.0.*");
    expectEditing(page, false);
    EXPECT_FALSE(isEnabled(page, IDC_EDITUSER_CHANGE));
}

TEST_F(EditUserPage, AFailedLoadKeepsTheFormButChangeHasNothingToCompareWith) {
    HWND page = openBob();
    site.answer("SITE USER carol", fixtureReply("site_user_unable.txt"));
    pickUser(page, carolIndex);
    EXPECT_EQ(site.commands().back(), "SITE USER carol");
    EXPECT_EQ(details(page), bobDetails);
    EXPECT_EQ(checkedSlots(page), bobFlags);
    expectEditing(page, true);
    EXPECT_FALSE(isEnabled(page, IDC_EDITUSER_CHANGE));
    setText(page, IDC_EDITUSER_RATIO, "9");
    EXPECT_EQ(change(page), Texts{});

    // The host failing the load altogether has the same end.
    site.answer("SITE USER carol", fixtureReply("edit_user_carol.txt"));
    clickButton(page, IDC_EDITUSER_GET_INFO);
    EXPECT_TRUE(isEnabled(page, IDC_EDITUSER_CHANGE));
    site.failSendAt(static_cast<int>(site.commands().size()), 0, 0);
    clickButton(page, IDC_EDITUSER_GET_INFO);
    EXPECT_FALSE(isEnabled(page, IDC_EDITUSER_CHANGE));
    EXPECT_EQ(change(page), Texts{});
}

TEST_F(EditUserPage, GroupsMoveBothWaysIntoTheirPlaces) {
    HWND page = openBob();
    selectText(page, IDC_EDITUSER_AVAIL_GROUPS, "beta");
    clickButton(page, IDC_EDITUSER_ADD_GROUP);
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_MEMBER_GROUPS), (Texts{"friends", "testers", "beta"}));
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_GROUPS), (Texts{"glftpd", "NoGroup"}));
    selectText(page, IDC_EDITUSER_MEMBER_GROUPS, "beta");
    clickButton(page, IDC_EDITUSER_REMOVE_GROUP);
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_GROUPS), (Texts{"beta", "glftpd", "NoGroup"}));
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_MEMBER_GROUPS), (Texts{"friends", "testers"}));

    selectText(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS, "STAFF");
    clickButton(page, IDC_EDITUSER_REMOVE_PRIVATE_GROUP);
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS), (Texts{"STAFF", "VIP"}));
    selectText(page, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS, "VIP");
    clickButton(page, IDC_EDITUSER_ADD_PRIVATE_GROUP);
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS), Texts{"VIP"});
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS), Texts{"STAFF"});

    // Nothing selected in the source: nothing moves.
    selectListBoxItem(page, IDC_EDITUSER_AVAIL_GROUPS, -1);
    clickButton(page, IDC_EDITUSER_ADD_GROUP);
    selectListBoxItem(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS, -1);
    clickButton(page, IDC_EDITUSER_REMOVE_PRIVATE_GROUP);
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_MEMBER_GROUPS), (Texts{"friends", "testers"}));
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS), Texts{"VIP"});
}

TEST_F(EditUserPage, APageSwitchKeepsTheFormButEditingWaitsForAReload) {
    HWND page = openBob();
    setText(page, IDC_EDITUSER_RATIO, "7");
    setText(page, IDC_EDITUSER_TAGLINE, "");
    setText(page, IDC_EDITUSER_IP4, "1.2.3.4");
    setText(page, IDC_EDITUSER_IP0, "");
    setChecked(page, IDC_EDITUSER_FLAG_NUKE, false);
    setChecked(page, IDC_EDITUSER_FLAG_IDLER, true);
    selectText(page, IDC_EDITUSER_AVAIL_GROUPS, "beta");
    clickButton(page, IDC_EDITUSER_ADD_GROUP);
    selectText(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS, "STAFF");
    clickButton(page, IDC_EDITUSER_REMOVE_PRIVATE_GROUP);
    const Texts detailsBefore = details(page);
    const Texts masksBefore = masks(page);
    const std::vector<int> flagsBefore = checkedSlots(page);

    ASSERT_NE(showPage(3), nullptr);
    const std::size_t before = site.commands().size();
    page = showPage(2);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(sentSince(before), Texts{});  // neither directory nor account fetched
    EXPECT_EQ(details(page), detailsBefore);
    EXPECT_EQ(masks(page), masksBefore);
    EXPECT_EQ(checkedSlots(page), flagsBefore);
    EXPECT_EQ(comboSelection(page, IDC_EDITUSER_USERNAME), bobIndex);
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_MEMBER_GROUPS), (Texts{"friends", "testers", "beta"}));
    EXPECT_TRUE(listBoxItems(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS).empty());
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_GROUPS), (Texts{"glftpd", "NoGroup"}));
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS), (Texts{"STAFF", "VIP"}));
    expectEditing(page, false);
    EXPECT_FALSE(isEnabled(page, IDC_EDITUSER_CHANGE));
    EXPECT_EQ(change(page), Texts{});  // the captured form is no server state

    // A second switch captures the restored form again, unchanged.
    showPage(4);
    page = showPage(2);
    EXPECT_EQ(details(page), detailsBefore);
    EXPECT_EQ(masks(page), masksBefore);
}

TEST_F(EditUserPage, AddAndEditLoadsTheHandedOverUserWhateverItsCase) {
    answerDirectory();
    site.answer("SITE USER BOB", fixtureReply("edit_user_bob.txt"));
    setPending("BOB");
    HWND page = showPage(2);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(site.commands(), (Texts{"SITE GROUPS", "SITE USER", "SITE USER BOB"}));
    EXPECT_EQ(comboSelection(page, IDC_EDITUSER_USERNAME), bobIndex);
    EXPECT_EQ(details(page), bobDetails);
    EXPECT_EQ(listBoxItems(page, IDC_EDITUSER_AVAIL_GROUPS), (Texts{"beta", "glftpd", "NoGroup"}));
    expectEditing(page, true);
    EXPECT_TRUE(isEnabled(page, IDC_EDITUSER_CHANGE));
    setText(page, IDC_EDITUSER_MAX_LOGINS, "4");
    EXPECT_EQ(change(page), Texts{"SITE CHANGE bob num_logins 4"});
    EXPECT_TRUE(reloaded("bob"));

    // The name was taken: a later showing is an ordinary one.
    showPage(1);
    page = showPage(2);
    EXPECT_EQ(comboSelection(page, IDC_EDITUSER_USERNAME), bobIndex);
    expectEditing(page, false);
}

TEST_F(EditUserPage, AFailedHandOverSelectsNobodyAndLeavesChangeOff) {
    answerDirectory();
    site.answer("SITE USER zed", fixtureReply("site_user_unable.txt"));
    setPending("zed");
    HWND page = showPage(2);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(site.commands().back(), "SITE USER zed");
    EXPECT_EQ(comboSelection(page, IDC_EDITUSER_USERNAME), -1);
    expectEditing(page, true);  // as created
    EXPECT_FALSE(isEnabled(page, IDC_EDITUSER_CHANGE));
    EXPECT_EQ(change(page), Texts{});
}

TEST_F(EditUserPage, AHandedOverNameThatNoPageTookIsFreedAtTheUnload) {
    setPending("bob");
    EXPECT_EQ(unloadLibrary(), 0);
}

// ---- Change ---------------------------------------------------------------

namespace {

struct ChangeCase {
    std::vector<std::pair<int, std::string>> texts;  // typed over bob's form
    std::vector<std::pair<int, bool>> boxes;
    Texts sent;  // nothing sent: no reload either
};

const ChangeCase changeCases[] = {
    // Case alone is no change where the comparison ignores it; the loaded
    // mask typed short normalises to itself.
    {{{IDC_EDITUSER_GROUP_SLOTS, "UNLIM"}, {IDC_EDITUSER_IP2, "192.0.2.*"}}, {}, {}},
    // Masks: the server renumbers behind a deleted one; new ones go in full.
    {{{IDC_EDITUSER_IP0, ""}, {IDC_EDITUSER_IP2, ""}}, {}, {"SITE DELIP bob 0", "SITE DELIP bob 1"}},
    {{{IDC_EDITUSER_IP1, "10.9.8"}, {IDC_EDITUSER_IP5, "ident@gateway"}}, {},
     {"SITE DELIP bob 1", "SITE ADDIP bob *@10.9.8.*", "SITE ADDIP bob ident@gateway"}},
    {{}, {{IDC_EDITUSER_FLAG_GLOCK, true}, {IDC_EDITUSER_FLAG_NUKE, false}}, {"SITE CHANGE bob flags +3-A"}},
    // An empty password differs from "?"; the tagline compares exactly.
    {{{IDC_EDITUSER_PASSWORD, ""}, {IDC_EDITUSER_TAGLINE, "Bob was HERE"}}, {},
     {"SITE CHPASS bob ", "SITE CHANGE bob tagline Bob was HERE"}},
    // unlim is 0; megabytes go as kilobytes; the loaded unlim in capitals is no change.
    {{{IDC_EDITUSER_TIME_LIMIT, "UnLim"}, {IDC_EDITUSER_RATIO, "UNLIM"}, {IDC_EDITUSER_ALLOTMENT, "1.5"},
      {IDC_EDITUSER_CREDITS, "-2"}, {IDC_EDITUSER_UL_SPEED, "unlim"}}, {},
     {"SITE CHANGE bob ratio 0", "SITE CHANGE bob wkly_allotment 1536", "SITE CHANGE bob credits -2048",
      "SITE CHANGE bob max_ulspeed 0"}},
    // Allotment has no unlim; numbers beyond 32 bits clamp.
    {{{IDC_EDITUSER_ALLOTMENT, "unlim"}, {IDC_EDITUSER_CREDITS, "99999999"},
      {IDC_EDITUSER_MAX_LOGINS, "4294967296"}, {IDC_EDITUSER_TIME_LIMIT, "60"}, {IDC_EDITUSER_DL_SPEED, "100"}}, {},
     {"SITE CHANGE bob num_logins 2147483647", "SITE CHANGE bob wkly_allotment 0", "SITE CHANGE bob time_limit 60",
      "SITE CHANGE bob credits 2147483647", "SITE CHANGE bob max_dlspeed 100"}},
    // Group slots always carry both numbers.
    {{{IDC_EDITUSER_LEECH_SLOTS, "5"}}, {}, {"SITE CHANGE bob group_slots -1 5"}},
    {{{IDC_EDITUSER_GROUP_SLOTS, "3"}, {IDC_EDITUSER_LEECH_SLOTS, "unlim"}}, {},
     {"SITE CHANGE bob group_slots 3", "SITE CHANGE bob group_slots 3 -1"}},
};

}  // namespace

TEST_F(EditUserPage, ChangeSendsWhatDiffersAndReloadsOnlyAfterSending) {
    HWND page = openBob();
    for (const ChangeCase& testCase : changeCases) {
        SCOPED_TRACE(testCase.sent.empty() ? "no change" : testCase.sent.front());
        clickButton(page, IDC_EDITUSER_GET_INFO);  // bob afresh
        for (const auto& text : testCase.texts) {
            setText(page, text.first, text.second);
        }
        for (const auto& box : testCase.boxes) {
            setChecked(page, box.first, box.second);
        }
        EXPECT_EQ(change(page), testCase.sent);
        if (testCase.sent.empty()) {
            const std::size_t before = site.commands().size();
            pumpMessages();
            EXPECT_EQ(sentSince(before), Texts{});
        } else {
            EXPECT_TRUE(reloaded("bob"));
            EXPECT_EQ(details(page), bobDetails);  // the server's values again, "?" for the password
            EXPECT_EQ(checkedSlots(page), bobFlags);
        }
    }
}

TEST_F(EditUserPage, ATaglineTooLongForTheServerIsAParameterErrorAndNothingIsSent) {
    HWND page = openBob();
    clickButton(page, IDC_EDITUSER_GET_INFO);
    const std::string tagline(64, 'x');  // glftpd 2.x would end the operator's session
    setText(page, IDC_EDITUSER_TAGLINE, tagline);
    setText(page, IDC_EDITUSER_RATIO, "5");
    EXPECT_EQ(change(page), Texts{});
    pumpMessages();
    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].title, "Parameter error");
    EXPECT_EQ(messageBoxes[0].text, "The tagline can be at most 63 characters long");
    EXPECT_EQ(getText(page, IDC_EDITUSER_TAGLINE), tagline);  // the form stays as typed
    EXPECT_EQ(getText(page, IDC_EDITUSER_RATIO), "5");
    setText(page, IDC_EDITUSER_TAGLINE, tagline.substr(1));
    EXPECT_EQ(change(page), (Texts{"SITE CHANGE bob tagline " + tagline.substr(1), "SITE CHANGE bob ratio 5"}));
}

TEST_F(EditUserPage, GroupMovesSendOneChgrpEachAndARoundTripNone) {
    HWND page = openBob();
    selectText(page, IDC_EDITUSER_MEMBER_GROUPS, "friends");
    clickButton(page, IDC_EDITUSER_REMOVE_GROUP);
    selectText(page, IDC_EDITUSER_AVAIL_GROUPS, "friends");
    clickButton(page, IDC_EDITUSER_ADD_GROUP);
    EXPECT_EQ(change(page), Texts{});

    selectText(page, IDC_EDITUSER_AVAIL_GROUPS, "beta");
    clickButton(page, IDC_EDITUSER_ADD_GROUP);
    selectText(page, IDC_EDITUSER_MEMBER_GROUPS, "testers");
    clickButton(page, IDC_EDITUSER_REMOVE_GROUP);
    selectText(page, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS, "VIP");
    clickButton(page, IDC_EDITUSER_ADD_PRIVATE_GROUP);
    EXPECT_EQ(change(page),
              (Texts{"SITE CHGRP bob testers", "SITE CHGRP bob beta", "SITE CHGRP bob VIP"}));
    EXPECT_TRUE(reloaded("bob"));
}

namespace {

// One change of every kind; Change turns it into these commands.
void changeEverything(HWND page) {
    setText(page, IDC_EDITUSER_IP0, "");
    setText(page, IDC_EDITUSER_IP1, "10.9.8.7");
    setChecked(page, IDC_EDITUSER_FLAG_GLOCK, true);
    setChecked(page, IDC_EDITUSER_FLAG_NUKE, false);
    setText(page, IDC_EDITUSER_PASSWORD, "n3w");
    setText(page, IDC_EDITUSER_TAGLINE, "new tagline");
    setText(page, IDC_EDITUSER_RATIO, "unlim");
    setText(page, IDC_EDITUSER_ALLOTMENT, "1.5");
    setText(page, IDC_EDITUSER_LEECH_SLOTS, "5");
    SendDlgItemMessageA(page, IDC_EDITUSER_AVAIL_GROUPS, LB_SETCURSEL, 0, 0);  // beta
    clickButton(page, IDC_EDITUSER_ADD_GROUP);
    SendDlgItemMessageA(page, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS, LB_SETCURSEL, 0, 0);  // STAFF
    clickButton(page, IDC_EDITUSER_REMOVE_PRIVATE_GROUP);
}

const Texts everyChange{
    "SITE DELIP bob 0",
    "SITE DELIP bob 0",
    "SITE ADDIP bob *@10.9.8.7",
    "SITE CHANGE bob flags +3-A",
    "SITE CHPASS bob n3w",
    "SITE CHANGE bob tagline new tagline",
    "SITE CHANGE bob ratio 0",
    "SITE CHANGE bob wkly_allotment 1536",
    "SITE CHANGE bob group_slots -1 5",
    "SITE CHGRP bob beta",
    "SITE CHGRP bob STAFF",
};

}  // namespace

TEST_F(EditUserPage, EveryKindOfChangeGoesInItsFixedOrder) {
    HWND page = openBob();
    changeEverything(page);
    EXPECT_EQ(change(page), everyChange);
    EXPECT_TRUE(reloaded("bob"));
    EXPECT_EQ(details(page), bobDetails);  // the server's values again
}

TEST_F(EditUserPage, AFailureAtAnyCommandStopsExactlyThereAndThePageGoesOn) {
    HWND page = openBob();
    struct Failure {
        std::int32_t hostResult;
        std::int32_t replyCode;
    };
    for (const Failure failure : {Failure{0, 0}, Failure{1, 550}}) {
        for (std::size_t k = 0; k < everyChange.size(); ++k) {
            SCOPED_TRACE("command " + std::to_string(k) + ", host result " +
                         std::to_string(failure.hostResult));
            clickButton(page, IDC_EDITUSER_GET_INFO);  // bob afresh
            changeEverything(page);
            site.failSendAt(static_cast<int>(site.commands().size() + k), failure.hostResult,
                            failure.replyCode);
            const Texts sent = change(page);
            EXPECT_EQ(sent, Texts(everyChange.begin(), everyChange.begin() + static_cast<long>(k) + 1));
            EXPECT_TRUE(reloaded("bob"));
            EXPECT_EQ(details(page), bobDetails);
            EXPECT_TRUE(isEnabled(page, IDC_EDITUSER_CHANGE));
        }
    }
    // Still a working page: a plain change goes through.
    setText(page, IDC_EDITUSER_MAX_LOGINS, "5");
    EXPECT_EQ(change(page), Texts{"SITE CHANGE bob num_logins 5"});
    EXPECT_TRUE(reloaded("bob"));
}
