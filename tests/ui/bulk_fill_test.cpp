// Long lists in the pages' controls: what the pages show after filling them
// in bulk must be what the control shows when given the same names one by one
// in the listing's order (names the control counts as equal may trade places).
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/harness/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;

constexpr int editUserPage = 2;
constexpr int userCommandsPage = 4;
constexpr int siteCommandsPage = 5;
constexpr int groupsPage = 6;
constexpr int onlineUsersPage = 7;

// Names a site may hold, in no order: case variants, digits, signs, names
// that differ in case only, a name of eleven characters.
Lines siteNames(int count, const char* prefix) {
    static const char* const stems[] = {"alice", "Bob", "bob", "carol_", "Dave", "e-rin",
                                        "frank", "x9", "X10", "_ops", "zed", "ZED"};
    Lines names;
    unsigned state = 12345;
    for (int i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        std::string name = std::string(prefix) + stems[(state >> 8) % 12];
        if (i >= 12) {
            name += std::to_string(i);
        }
        names.push_back(name.substr(0, 11));
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (std::size_t i = names.size(); i > 1; --i) {
        state = state * 1103515245u + 12345u;
        std::swap(names[i - 1], names[(state >> 8) % i]);
    }
    return names;
}

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(text.size() < width ? width - text.size() : 0, ' ');
}

ScriptedReply userListing(const Lines& users) {
    Lines lines{"200-                          -=[ MSN User Listing ]=-                       ",
                "200-                                                                          "};
    std::string line = "200- ";
    for (std::size_t i = 0; i < users.size(); ++i) {
        line += padded(users[i], 11) + " ";
        if (i % 6 == 5 || i + 1 == users.size()) {
            lines.push_back(padded(line, 77));
            line = "200- ";
        }
    }
    lines.push_back("200-                                                                          ");
    lines.push_back("200- ");
    lines.push_back("200 " + std::to_string(users.size()) + " total users on site.");
    return linesReply(lines);
}

std::string infoOf(std::size_t index) {
    return "Group number " + std::to_string(index);
}

ScriptedReply groupListing(const Lines& groups, const Lines& privateGroups) {
    Lines lines{"200- #users  Group Abbr.      Group Description",
                "200- ----------------------------------------------------------------------"};
    for (std::size_t i = 0; i < groups.size(); ++i) {
        lines.push_back("200- (   1)  " + padded(groups[i], 16) + " " + infoOf(i));
    }
    lines.push_back("200- ");
    for (const std::string& group : privateGroups) {
        lines.push_back("200-  *" + padded(group, 16) + " Private");
    }
    lines.push_back("200-  ");
    lines.push_back("200 groups listed.");
    return linesReply(lines);
}

class BulkFill : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        users = siteNames(700, "");
        groups = siteNames(300, "g");
        privateGroups = siteNames(40, "p");
        site.answer("SITE USER", userListing(users));
        site.answer("SITE GROUPS", groupListing(groups, privateGroups));
    }

    // A control like the page's, in a window of its own, given the names one
    // by one in the order the server listed them.
    HWND referenceControl(const char* className, DWORD style) {
        HWND control = CreateWindowExA(0, className, "", WS_CHILD | style, 0, 0, 200, 200,
                                       hostWindow(), nullptr, GetModuleHandleA(nullptr), nullptr);
        references.push_back(control);
        return control;
    }

    Lines referenceItems(const Lines& names, bool asCombo, DWORD style) {
        HWND control = referenceControl(asCombo ? "COMBOBOX" : "LISTBOX", style);
        for (const std::string& name : names) {
            SendMessageA(control, asCombo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(name.c_str()));
        }
        Lines items;
        const LRESULT count = SendMessageA(control, asCombo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[64] = {};
            SendMessageA(control, asCombo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }

    Rows referenceRows(const Rows& listed) {
        HWND list = referenceControl(WC_LISTVIEWA, LVS_REPORT | LVS_SINGLESEL | LVS_SORTASCENDING);
        for (int column = 0; column < 2; ++column) {
            LVCOLUMNA header{};
            header.mask = LVCF_WIDTH | LVCF_SUBITEM;
            header.cx = 80;
            header.iSubItem = column;
            SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&header));
        }
        for (const auto& row : listed) {
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.pszText = const_cast<char*>(row[0].c_str());
            const LRESULT at = SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
            LVITEMA cell{};
            cell.iSubItem = 1;
            cell.pszText = const_cast<char*>(row[1].c_str());
            SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&cell));
        }
        Rows rows;
        const LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::vector<std::string> row;
            for (int column = 0; column < 2; ++column) {
                char text[64] = {};
                LVITEMA cell{};
                cell.iSubItem = column;
                cell.pszText = text;
                cell.cchTextMax = sizeof text;
                SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&cell));
                row.push_back(text);
            }
            rows.push_back(row);
        }
        return rows;
    }

    void TearDown() override {
        for (HWND control : references) {
            DestroyWindow(control);
        }
        PluginTest::TearDown();
    }

    Lines users;
    Lines groups;
    Lines privateGroups;
    std::vector<HWND> references;
};

// Same entries, and at every index either the same text or one the control
// counts as equal to it (flags: how the control compares).
void expectSameOrder(const Lines& shown, const Lines& reference, DWORD flags) {
    ASSERT_EQ(shown.size(), reference.size());
    Lines sortedShown = shown;
    Lines sortedReference = reference;
    std::sort(sortedShown.begin(), sortedShown.end());
    std::sort(sortedReference.begin(), sortedReference.end());
    EXPECT_EQ(sortedShown, sortedReference);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, flags, shown[i].c_str(), -1,
                                 reference[i].c_str(), -1),
                  CSTR_EQUAL)
            << "at " << i << ": " << shown[i] << " where the control puts " << reference[i];
    }
}

Lines firstColumn(const Rows& rows) {
    Lines names;
    for (const auto& row : rows) {
        names.push_back(row[0]);
    }
    return names;
}

constexpr DWORD sortedCombo = CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL;
constexpr DWORD sortedList = LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;

}  // namespace

TEST_F(BulkFill, NameCombosAndListsShowWhatTheControlsSortedThemselves) {
    HWND commands = showPage(userCommandsPage);
    expectSameOrder(comboItems(commands, IDC_USERCMD_USERNAME), referenceItems(users, true, sortedCombo),
                    NORM_IGNORECASE);
    expectSameOrder(comboItems(commands, IDC_USERCMD_LIST_GROUP),
                    referenceItems(groups, true, sortedCombo), NORM_IGNORECASE);
    // The filled combo keeps its list closed and shows the first name.
    EXPECT_EQ(SendDlgItemMessageA(commands, IDC_USERCMD_USERNAME, CB_GETDROPPEDSTATE, 0, 0), FALSE);
    EXPECT_EQ(comboSelection(commands, IDC_USERCMD_USERNAME), 0);

    HWND siteCommands = showPage(siteCommandsPage);
    expectSameOrder(comboItems(siteCommands, IDC_SITECMD_MSG_USER),
                    referenceItems(users, true, sortedCombo), NORM_IGNORECASE);

    HWND edit = showPage(editUserPage);
    expectSameOrder(listBoxItems(edit, IDC_EDITUSER_AVAIL_GROUPS), referenceItems(groups, false, sortedList),
                    NORM_IGNORECASE);
    expectSameOrder(listBoxItems(edit, IDC_EDITUSER_AVAIL_PRIVATE_GROUPS),
                    referenceItems(privateGroups, false, sortedList), NORM_IGNORECASE);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(edit, IDC_EDITUSER_AVAIL_GROUPS)));
}

// The member lists are not sorted: they keep the order of the account's reply.
TEST_F(BulkFill, MemberListsKeepTheAccountsOrder) {
    site.answer("SITE USER " + users[0],
                linesReply({"200- | Username: " + users[0],
                            "200- | Groups: " + groups[5] + " " + groups[1] + " " + groups[9],
                            "200- | Priv Groups: " + privateGroups[3] + " " + privateGroups[0],
                            "200 Command Successful."}));
    HWND edit = showPage(editUserPage);
    ASSERT_TRUE(pickComboItemByText(edit, IDC_EDITUSER_USERNAME, users[0]));
    EXPECT_EQ(listBoxItems(edit, IDC_EDITUSER_MEMBER_GROUPS), (Lines{groups[5], groups[1], groups[9]}));
    EXPECT_EQ(listBoxItems(edit, IDC_EDITUSER_MEMBER_PRIVATE_GROUPS),
              (Lines{privateGroups[3], privateGroups[0]}));
    EXPECT_EQ(listBoxItems(edit, IDC_EDITUSER_AVAIL_GROUPS).size(), groups.size() - 3);
}

TEST_F(BulkFill, ListViewsShowWhatTheListViewSortedItselfAlsoAfterARefill) {
    Rows listed;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        listed.push_back({groups[i], infoOf(i)});
    }
    HWND page = showPage(groupsPage);
    const Rows reference = referenceRows(listed);
    expectSameOrder(firstColumn(listViewRows(page, IDC_GROUPS_LIST)), firstColumn(reference), 0);
    Rows shown = listViewRows(page, IDC_GROUPS_LIST);
    Rows expected = reference;
    std::sort(shown.begin(), shown.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(shown, expected) << "every name beside its own info";

    // A refill of the page shown: the same rows, the list still visible.
    site.answer("SITE GRPADD newgroup A new one", oneLineReply("200 Group (newgroup) successfully added."));
    setText(page, IDC_GROUPS_ADD_NAME, "newgroup");
    setText(page, IDC_GROUPS_ADD_INFO, "A new one");
    clickButton(page, IDC_GROUPS_ADD);
    listed.push_back({"newgroup", "A new one"});
    expectSameOrder(firstColumn(listViewRows(page, IDC_GROUPS_LIST)), firstColumn(referenceRows(listed)), 0);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_GROUPS_LIST)));
}

TEST_F(BulkFill, OnlineRowsOfOneUserStayBesideTheirOwnPids) {
    Lines swho{"200- .-------------------------------------------------------------------------.",
               "200- | PiD     User        Ident@Host            Online    Idle      Cryption  |",
               "200- |-------+-----------+---------------------+---------+---------+-----------|"};
    Rows listed;
    for (std::size_t i = 0; i < 400; ++i) {
        // Every third connection is an account logged in again.
        const std::string user = users[i % 3 == 2 ? i / 3 : i].substr(0, 9);
        const std::string pid = std::to_string(2000 + i);
        swho.push_back("200- | " + padded(pid, 5) + " | " + padded(user, 9) +
                       " | *@192.0.2.1         | 0m 28s  | 0m 13s  | none      |");
        listed.push_back({user, pid});
    }
    swho.push_back("200- `-------+-----------+---------------------+---------+---------+-----------'");
    swho.push_back("200 Command Successful.");
    site.answer("SITE SWHO", linesReply(swho));
    HWND page = showPage(onlineUsersPage);
    expectSameOrder(firstColumn(listViewRows(page, IDC_ONLINE_LIST)), firstColumn(referenceRows(listed)), 0);
    Rows shown = listViewRows(page, IDC_ONLINE_LIST);
    std::sort(shown.begin(), shown.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(shown, listed);

    // Update empties the list and fills it again from a new listing.
    clickButton(page, IDC_ONLINE_UPDATE);
    EXPECT_EQ(listViewRows(page, IDC_ONLINE_LIST).size(), listed.size());
}
