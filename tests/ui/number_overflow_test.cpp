// Every text-to-number path fed values beyond 32 bits: what goes out is the
// clamped value, or the page refuses with its message, never a wrapped one.
// Values are chosen so that a conversion that wraps (2^32 + 1 reads as 1)
// gives a visibly different result from one that clamps.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

const char thirtyDigits[] = "123456789012345678901234567890";

class NumberOverflow : public PluginTest {
protected:
    HWND showUserCommands() {
        site.answer("SITE GROUPS", fixtureReply("usercmd_groups.txt"));
        site.answer("SITE USER", fixtureReply("usercmd_users.txt"));
        return showPage(4);
    }
};

}  // namespace

TEST_F(NumberOverflow, CreditAmountsWhoseKilobytesWrapAt32BitsAreRefused) {
    HWND page = showUserCommands();
    // 4194304 MB is 2^32 KB (wraps to 0); 4194305 MB wraps to 1024.
    const char* const amounts[] = {"4194304", "4194305", "-4194304", "-4194305", "8796093022208",
                                   thirtyDigits, "-123456789012345678901234567890"};
    for (const char* amount : amounts) {
        setText(page, IDC_USERCMD_AMOUNT, amount);
        EXPECT_TRUE(commandsOf(page, IDC_USERCMD_GIVE_CREDITS).empty()) << amount;
    }
    ASSERT_EQ(messageBoxes.size(), sizeof amounts / sizeof amounts[0]);
    for (const CaughtMessageBox& box : messageBoxes) {
        EXPECT_EQ(box.title, "Parameter error");
        EXPECT_EQ(box.text, "The amount must lie between -2097152 and 2097151.999 MB");
    }
    setText(page, IDC_USERCMD_AMOUNT, "2");
    EXPECT_EQ(commandsOf(page, IDC_USERCMD_GIVE_CREDITS), (Lines{"SITE GIVE alice 2048"}));
}

TEST_F(NumberOverflow, ProcessIdsBeyond32BitsAreKilledClamped) {
    site.answer("SITE SWHO", linesReply({"200- |-------+------|", "200- |  4294967297 | amy |",
                                         "200- |  -4294967297 | ben |",
                                         std::string("200- |  ") + thirtyDigits + " | cat |",
                                         "200 Command Successful."}));
    HWND page = showPage(7);
    const std::pair<const char*, const char*> expected[] = {
        {"amy", "SITE KILL 2147483647"}, {"ben", "SITE KILL -2147483648"}, {"cat", "SITE KILL 2147483647"}};
    for (const auto& row : expected) {
        const auto rows = listViewRows(page, IDC_ONLINE_LIST);
        int index = -1;
        for (std::size_t at = 0; at < rows.size(); ++at) {
            if (rows[at][0] == row.first) {
                index = static_cast<int>(at);
            }
        }
        ASSERT_GE(index, 0) << row.first;
        selectListViewRow(page, IDC_ONLINE_LIST, index);
        ASSERT_TRUE(isEnabled(page, IDC_ONLINE_KILL)) << row.first;
        const Lines sent = commandsOf(page, IDC_ONLINE_KILL);
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.front(), row.second);
    }
}

TEST_F(NumberOverflow, NukeMultipliersBeyond32BitsAreHandedBackClamped) {
    for (const char* typed : {"4294967297", "4294967296", thirtyDigits}) {
        char directory[] = "Some.Release-GRP";
        char reasonOut[256] = {};
        const std::int32_t result = runNuke(true, directory, reasonOut, [&](HWND dialog) {
            setText(dialog, IDC_RELEASE_REASON, "dupe");
            setText(dialog, IDC_RELEASE_MULTIPLIER, typed);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        EXPECT_EQ(result, 2147483647) << typed;
        // The next dialog shows the kept, clamped multiplier.
        std::string shown;
        runNuke(true, directory, reasonOut, [&](HWND dialog) {
            shown = getText(dialog, IDC_RELEASE_MULTIPLIER);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        EXPECT_EQ(shown, "2147483647") << typed;
    }
}

TEST_F(NumberOverflow, EditUserSettingsBeyond32BitsGoOutClamped) {
    HWND page = openEditUserAccount("bob");
    ASSERT_EQ(getText(page, IDC_EDITUSER_RATIO), "3");
    const int numberIds[] = {IDC_EDITUSER_RATIO,       IDC_EDITUSER_MAX_LOGINS, IDC_EDITUSER_ALLOTMENT,
                             IDC_EDITUSER_GROUP_SLOTS, IDC_EDITUSER_LEECH_SLOTS, IDC_EDITUSER_TIME_LIMIT,
                             IDC_EDITUSER_CREDITS,     IDC_EDITUSER_UL_SPEED,   IDC_EDITUSER_DL_SPEED};
    const std::pair<const char*, const char*> typed[] = {
        {"4294967297", "2147483647"}, {"-4294967297", "-2147483648"}, {thirtyDigits, "2147483647"}};
    for (const auto& value : typed) {
        for (int id : numberIds) {
            setText(page, id, value.first);
        }
        const std::string n = value.second;
        EXPECT_EQ(commandsOf(page, IDC_EDITUSER_CHANGE),
                  (Lines{"SITE CHANGE bob ratio " + n, "SITE CHANGE bob num_logins " + n,
                         "SITE CHANGE bob wkly_allotment " + n, "SITE CHANGE bob group_slots " + n,
                         "SITE CHANGE bob group_slots " + n + " " + n, "SITE CHANGE bob time_limit " + n,
                         "SITE CHANGE bob credits " + n, "SITE CHANGE bob max_ulspeed " + n,
                         "SITE CHANGE bob max_dlspeed " + n}))
            << value.first;
        pumpMessages();  // the posted reload brings bob's values back
        ASSERT_EQ(getText(page, IDC_EDITUSER_RATIO), "3");
    }
    // Megabytes whose kilobytes pass 32 bits only after the multiplication.
    setText(page, IDC_EDITUSER_ALLOTMENT, "2097152");
    setText(page, IDC_EDITUSER_CREDITS, "-1e300");
    EXPECT_EQ(commandsOf(page, IDC_EDITUSER_CHANGE),
              (Lines{"SITE CHANGE bob wkly_allotment 2147483647", "SITE CHANGE bob credits -2147483648"}));
    pumpMessages();
}
