// Every typed account name, password and group name that glftpd reads as one
// word of a SITE command: a blank or a tab in it is an operator error on the
// page, and nothing is sent.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

struct BlankCase {
    const char* name;
    int pageId;
    std::vector<std::pair<int, std::string>> typed;  // valid apart from `field`
    int field;                                       // the edit holding the blank
    int button;
    const char* message;
};

const char userMessage[] = "The username cannot contain a blank or a tab";
const char passwordMessage[] = "The password cannot contain a blank or a tab";

const BlankCase blankCases[] = {
    {"AddUserName", 1, {{IDC_ADDUSER_USERNAME, "zed two"}, {IDC_ADDUSER_PASSWORD, "pw"}, {IDC_ADDUSER_IP0, "10.1"}},
     IDC_ADDUSER_USERNAME, IDC_ADDUSER_ADD, userMessage},
    {"AddUserNameWithATabThenEdit", 1, {{IDC_ADDUSER_USERNAME, "new\tbie"}, {IDC_ADDUSER_PASSWORD, "pw"}},
     IDC_ADDUSER_USERNAME, IDC_ADDUSER_ADD_EDIT, userMessage},
    {"AddUserPassword", 1, {{IDC_ADDUSER_USERNAME, "carol"}, {IDC_ADDUSER_PASSWORD, "x *@*"}},
     IDC_ADDUSER_PASSWORD, IDC_ADDUSER_ADD, passwordMessage},
    {"EditUserPassword", 2, {{IDC_EDITUSER_RATIO, "5"}, {IDC_EDITUSER_PASSWORD, "new secret"}},
     IDC_EDITUSER_PASSWORD, IDC_EDITUSER_CHANGE, passwordMessage},
    {"ReaddName", 4, {{IDC_USERCMD_READD_NAME, "zed two"}}, IDC_USERCMD_READD_NAME, IDC_USERCMD_READD_USER,
     userMessage},
    // The name is refused before the missing description is asked for.
    {"GroupName", 6, {{IDC_GROUPS_ADD_NAME, "two words"}}, IDC_GROUPS_ADD_NAME, IDC_GROUPS_ADD,
     "The group name cannot contain a blank or a tab"},
    {"GroupRename", 6, {{IDC_GROUPS_NEW_NAME, "grp1 grp2"}}, IDC_GROUPS_NEW_NAME, IDC_GROUPS_RENAME,
     "The new group name cannot contain a blank or a tab"},
};

class BlankInAWord : public PluginTest, public testing::WithParamInterface<BlankCase> {};

std::string caseName(const testing::TestParamInfo<BlankCase>& info) {
    return info.param.name;
}

}  // namespace

TEST_P(BlankInAWord, IsAParameterErrorOnTheFieldAndSendsNothing) {
    const BlankCase& c = GetParam();
    HWND page = c.pageId == 2 ? openEditUserAccount("bob") : showPage(c.pageId);
    ASSERT_NE(page, nullptr);
    if (c.pageId == 6) {
        selectListViewRow(page, IDC_GROUPS_LIST, 0);  // the group Rename acts on
    }
    for (const auto& typed : c.typed) {
        setText(page, typed.first, typed.second);
    }
    SetFocus(hostWindow());
    site.clearRecord();

    clickButton(page, c.button);
    pumpMessages();  // a reload the page might have posted

    ASSERT_EQ(messageBoxes.size(), 1u);
    EXPECT_EQ(messageBoxes[0].title, "Parameter error");
    EXPECT_EQ(messageBoxes[0].text, c.message);
    EXPECT_EQ(messageBoxes[0].icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(messageBoxes[0].owner, GetAncestor(page, GA_ROOT));
    EXPECT_EQ(focusedControl(), GetDlgItem(page, c.field));
    EXPECT_TRUE(site.requests().empty());
}

INSTANTIATE_TEST_SUITE_P(EveryTypedWord, BlankInAWord, testing::ValuesIn(blankCases), caseName);
