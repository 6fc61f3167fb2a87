// Long runs through every page and both dialogs: what the plug-in holds must
// not grow with the number of switches, and nothing is left after the unload.
#include <windows.h>

#include <string>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

class LeakSoak : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        site.answer("SITE GROUPS", ScriptedReply{1, 200, {
            "200- #users  Group Abbr.      Group Description",
            "200- ----------------------------------------------------------------------",
            "200- (   1)  glftpd           glftpd",
            "200- (   3)  friends          Friends of the site",
            "200- ",
            "200-  *STAFF           My Private Group",
            "200-  ",
            "200 3 user groups, 1 privileged groups."}});
        site.answer("SITE USER", ScriptedReply{1, 200, {
            "200-                          -=[ MSN User Listing ]=-",
            "200-                                                                          ",
            "200- glftpd      bob         carol       alice       charlie_lon testu1      ",
            "200-                                                                          ",
            "200 6 total users on site."}});
        site.answer("SITE SWHO", ScriptedReply{1, 200, {
            "200- .-------------------------------------------------------------------------.",
            "200- | PiD     User        Ident@Host            Online    Idle      Cryption  |",
            "200- |-------+-----------+---------------------+---------+---------+-----------|",
            "200- |  4711 | glftpd    | *@127.0.0.1         | 0m 28s  | 0m 13s  | none      |",
            "200- `-------+-----------+---------------------+---------+---------+-----------'",
            "200 Command Successful."}});
    }

    // Types something into the page's edits so that its capture has texts to keep.
    void typeState(HWND page, int round) {
        const std::string value = "value" + std::to_string(round);
        for (int id : {IDC_ADDUSER_USERNAME, IDC_ADDUSER_PASSWORD, IDC_ADDUSER_IP0, IDC_ADDUSER_IP_LIST,
                       IDC_ADDUSER_FULL_ADD, IDC_USERCMD_AMOUNT, IDC_USERCMD_MESSAGE, IDC_USERCMD_READD_NAME,
                       IDC_GROUPS_NEW_INFO, IDC_GROUPS_NEW_NAME, IDC_GROUPS_ADD_NAME, IDC_GROUPS_ADD_INFO,
                       IDC_SITECMD_AMOUNT, IDC_SITECMD_RELEASE, IDC_SITECMD_MESSAGE, IDC_STATS_ENTRIES,
                       IDC_EDITUSER_TAGLINE, IDC_EDITUSER_IP0, IDC_EDITUSER_RATIO}) {
            HWND control = GetDlgItem(page, id);
            char className[16] = {};
            if (control != nullptr && GetClassNameA(control, className, sizeof className) > 0 &&
                lstrcmpiA(className, "Edit") == 0) {
                SetWindowTextA(control, value.c_str());
            }
        }
    }
};

}  // namespace

TEST_F(LeakSoak, AThousandPageSwitchesHoldNoMoreThanTheFirstRound) {
    std::int32_t afterFirstRounds = -1;
    for (int round = 0; round < 1000; ++round) {
        const int pageId = round % 7 + 1;
        HWND page = showPage(pageId);
        ASSERT_NE(page, nullptr);
        typeState(page, round % 3);
        pumpMessages();
        if (round == 2 * 7 - 1) {
            afterFirstRounds = liveBlocks();
        }
    }
    showPage(1);  // the last page captures its state too
    showPage(0);
    EXPECT_LE(liveBlocks(), afterFirstRounds + 2) << "blocks grow with the number of switches";
    EXPECT_TRUE(messageBoxes.empty());
    EXPECT_EQ(unloadLibrary(), 0);
}

TEST_F(LeakSoak, AHundredDialogsOfEachKindLeaveNothingAfterTheUnload) {
    for (int round = 0; round < 100; ++round) {
        for (bool isNuke : {true, false}) {
            char directory[] = "/site/incoming/Some.Release-GRP";
            char reason[256] = {};
            const bool cancel = round % 5 == 0;
            runNuke(isNuke, directory, reason, [round, cancel](HWND dialog) {
                SetDlgItemTextA(dialog, IDC_RELEASE_REASON, ("reason " + std::to_string(round)).c_str());
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(cancel ? IDCANCEL : IDOK, BN_CLICKED), 0);
            });
        }
    }
    EXPECT_EQ(activatedDialogs.size(), 200u);
    EXPECT_EQ(unloadLibrary(), 0);
}
