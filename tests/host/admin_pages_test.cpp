// The host's administration pages against a site that answers as the real
// glftpd 2.13 did (its captured replies): what the tours cannot see, that a
// refused value, a question answered No or a server's refusal sends nothing
// more and shows no success, and what each action sends and reads back.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/admin/admin_pages_win32.h"
#include "host/resources/host_resources.h"
#include "host/window/layout_check_win32.h"

namespace {

session::Reply capture(const std::string& name) {
    std::ifstream file(std::string(QUORIN_FIXTURE_DIR) + "/glftpd213/" + name);
    session::Reply reply;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        reply.lines.push_back(line);
    }
    if (!reply.lines.empty()) {
        reply.code = std::atoi(reply.lines.back().substr(0, 3).c_str());
    }
    return reply;
}

session::Reply oneLine(const std::string& line) {
    session::Reply reply;
    reply.lines.push_back(line);
    reply.code = std::atoi(line.substr(0, 3).c_str());
    return reply;
}

// SITE GROUPS as glftpd writes it (the groups of the captured site).
session::Reply groupListing() {
    session::Reply reply;
    reply.lines = {"200- #users  Group Abbr.      Group Description",
                   "200- ----------------------------------------------------------------------",
                   "200- (   5)  iso              ISO release group",
                   "200- (   3)  mp3              MP3 group",
                   "200- (   0)  emptygrp         Never gets a member",
                   "200- ",
                   "200-  *STAFF           My Private Group",
                   "200 3 user groups, 1 privileged groups."};
    return reply;
}

// The site: each command's captured answer, what was sent, what was asked.
class CapturedSite {
public:
    CapturedSite() {
        answers["SITE GROUPS"] = groupListing();
        answers["SITE GRP iso"] = capture("site-grp-iso-after.txt");
        answers["SITE GINFO iso"] = capture("site-ginfo-iso.txt");
        answers["SITE USERS deleted"] = capture("site-users-deleted.txt");
        answers["SITE USERS"] = capture("site-users.txt");
        answers["SITE USERS =iso"] = capture("site-users-eq-iso.txt");
        answers["SITE USER delme"] = capture("site-user-delme-after-chgadmin.txt");
        answers["SITE USER isouser1"] = capture("site-user-isouser1-all-settings.txt");
        answers["SITE GRPCHANGE iso slots 25"] = oneLine("200 Command Successful.");
        answers["SITE PURGE delme"] = oneLine("200 User (delme) purged.");
        answers["SITE RENUSER isouser1 mp3one"] = oneLine("200 User mp3one already exists");
        answers["SITE CHANGE =iso ratio 2"] = capture("site-change-eq-iso-ratio-2.txt");
        answers["SITE REQUESTS"] = oneLine("200 No requests.");
        context.send = [this](const std::string& command, session::Reply& reply, std::string& failure) {
            sent.push_back(command);
            const auto found = answers.find(command);
            if (found == answers.end()) {
                failure = "the captured site has no answer to " + command;
                return false;
            }
            reply = found->second;
            return true;
        };
        context.ask = [this](HWND, const std::string& text, const std::string&, UINT type) {
            asked.push_back(text);
            types.push_back(type);
            return (type & MB_TYPEMASK) == MB_YESNO ? answer : IDOK;
        };
        context.reportReadBack = [this](const std::string& readBack) { reported.push_back(readBack); };
        context.loadOwnCommands = [this] { return kept; };
        context.saveOwnCommands = [this](const std::vector<std::string>& commands, std::string&) {
            kept = commands;
            return true;
        };
        INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&classes);
        WNDCLASSW frame{};
        frame.lpfnWndProc = DefWindowProcW;
        frame.hInstance = GetModuleHandleW(nullptr);
        frame.lpszClassName = L"AdminPagesTestFrame";
        RegisterClassW(&frame);  // once per process; later calls fail harmlessly
        parent = CreateWindowExW(WS_EX_CONTROLPARENT, L"AdminPagesTestFrame", L"", WS_POPUP, 0, 0, 800, 600, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~CapturedSite() { DestroyWindow(parent); }
    CapturedSite(const CapturedSite&) = delete;
    CapturedSite& operator=(const CapturedSite&) = delete;

    HWND open(AdminPage page) {
        HWND made = createAdminPage(page, parent, context);
        EXPECT_NE(made, nullptr) ;
        return made;
    }
    // What was sent since the last call.
    std::vector<std::string> takeSent() {
        std::vector<std::string> taken;
        taken.swap(sent);
        return taken;
    }

    std::map<std::string, session::Reply> answers;
    std::vector<std::string> sent;
    std::vector<std::string> asked;
    std::vector<UINT> types;
    int answer = IDNO;
    std::vector<std::string> kept;
    std::vector<std::string> reported;  // to the change record: "" as a change begins, then its verdict
    AdminContext context;
    HWND parent = nullptr;
};

void click(HWND page, int id) {
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

void type(HWND page, int id, const std::string& text) { SetDlgItemTextA(page, id, text.c_str()); }

std::string textOf(HWND page, int id) {
    char text[4096] = {};
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

void pickGroup(HWND page, const char* name) {
    HWND list = GetDlgItem(page, IDC_ADMIN_GROUP_LIST);
    const LRESULT index =
        SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    ASSERT_GE(index, 0) << name;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_ADMIN_GROUP_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// The row of `name` in a virtual list (found through the page), selected.
int selectRow(HWND page, int listId, const char* name) {
    HWND list = GetDlgItem(page, listId);
    LVFINDINFOA find{};
    find.flags = LVFI_STRING;
    find.psz = name;
    const int row =
        static_cast<int>(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    if (row >= 0) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    return row;
}

std::string cell(HWND page, int listId, int row, int column) {
    wchar_t text[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(GetDlgItem(page, listId), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    char narrow[256] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

int rowCount(HWND page, int listId) {
    return static_cast<int>(SendDlgItemMessageW(page, listId, LVM_GETITEMCOUNT, 0, 0));
}

using Commands = std::vector<std::string>;

TEST(AdminPages, EachPageSendsNothingUntilTheOperatorActs) {
    CapturedSite site;
    for (AdminPage page : {AdminPage::Groups, AdminPage::Accounts, AdminPage::BulkChange, AdminPage::OwnCommands}) {
        DestroyWindow(site.open(page));
    }
    EXPECT_EQ(site.takeSent(), Commands{});
    EXPECT_TRUE(site.asked.empty());
}

TEST(AdminPages, GroupsReadsSettingsAndMembersWithTheDeletedOneMarked) {
    CapturedSite site;
    HWND page = site.open(AdminPage::Groups);
    click(page, IDC_ADMIN_GROUP_LOAD);
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_ADMIN_GROUP_LIST, LB_GETCOUNT, 0, 0), 3);  // STAFF is private
    pickGroup(page, "iso");
    EXPECT_EQ(site.takeSent(), (Commands{"SITE GROUPS", "SITE GRP iso", "SITE GINFO iso", "SITE USERS deleted"}));
    EXPECT_EQ(textOf(page, IDC_ADMIN_GROUP_SLOTS), "20");
    EXPECT_EQ(textOf(page, IDC_ADMIN_GROUP_COMMENT), "ISO couriers: best of the best");
    ASSERT_EQ(rowCount(page, IDC_ADMIN_MEMBER_LIST), 5);
    const int delme = selectRow(page, IDC_ADMIN_MEMBER_LIST, "delme");
    ASSERT_GE(delme, 0);
    EXPECT_NE(cell(page, IDC_ADMIN_MEMBER_LIST, delme, 1).find("deleted"), std::string::npos);
    const int isoadm = selectRow(page, IDC_ADMIN_MEMBER_LIST, "isoadm");
    EXPECT_NE(cell(page, IDC_ADMIN_MEMBER_LIST, isoadm, 1).find("gadmin"), std::string::npos);
    DestroyWindow(page);
}

// A pick's changes are painted once: the page's drawing is held while they
// are made and given back after, to a shown page only.
TEST(AdminPages, GroupsPickLeavesThePageDrawnAsItWas) {
    CapturedSite site;
    for (const bool shown : {true, false}) {
        HWND page = site.open(AdminPage::Groups);
        ShowWindow(page, shown ? SW_SHOWNA : SW_HIDE);
        click(page, IDC_ADMIN_GROUP_LOAD);
        pickGroup(page, "iso");
        EXPECT_EQ((GetWindowLongW(page, GWL_STYLE) & WS_VISIBLE) != 0, shown);
        EXPECT_EQ(GetPropW(page, L"QuorinPageUpdate"), nullptr);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_ADMIN_GROUP_SLOTS)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_ADMIN_MEMBER_ADMIN)));
        EXPECT_EQ(textOf(page, IDC_ADMIN_RESULT), "Read iso (SITE GRP, SITE GINFO).");
        DestroyWindow(page);
    }
}

TEST(AdminPages, GroupsSendsOnlyTheChangeAndReadsItBack) {
    CapturedSite site;
    HWND page = site.open(AdminPage::Groups);
    click(page, IDC_ADMIN_GROUP_LOAD);
    pickGroup(page, "iso");
    site.takeSent();
    type(page, IDC_ADMIN_GROUP_SLOTS, "25");
    click(page, IDC_ADMIN_GROUP_WRITE);
    EXPECT_EQ(site.takeSent(),
              (Commands{"SITE GRPCHANGE iso slots 25", "SITE GRP iso", "SITE GINFO iso", "SITE USERS deleted"}));
    DestroyWindow(page);
}

// Group admin goes through the pages' write: sent, read back with SITE
// CHGADMIN <user>, said in words and kept in the change record; a refusal
// reads nothing back and says nothing changed.
TEST(AdminPages, GroupAdminIsReadBackAndRecorded) {
    CapturedSite site;
    site.answers["SITE CHGADMIN isoadm iso"] = capture("site-chgadmin-isoadm-iso-take.txt");
    site.answers["SITE CHGADMIN isoadm"].lines = {
        "200- isoadm is a member of the following groups:",
        "200- ----------------------------------------------------------------------", "200-  iso           ",
        "200-  ", "200- isoadm is a member of the following private groups:",
        "200- ----------------------------------------------------------------------", "200- ",
        "200 Use SITE CHGADMIN <username> <group> to toggle group admin for a group."};
    site.answers["SITE CHGADMIN delme iso"] = capture("site-chgadmin-mp3one-iso-notmember.txt");
    HWND page = site.open(AdminPage::Groups);
    click(page, IDC_ADMIN_GROUP_LOAD);
    pickGroup(page, "iso");
    ASSERT_GE(selectRow(page, IDC_ADMIN_MEMBER_LIST, "isoadm"), 0);
    site.takeSent();
    click(page, IDC_ADMIN_MEMBER_ADMIN);
    EXPECT_EQ(site.takeSent(), (Commands{"SITE CHGADMIN isoadm iso", "SITE CHGADMIN isoadm", "SITE GRP iso",
                                         "SITE GINFO iso", "SITE USERS deleted"}));
    const std::string said = "isoadm is no longer group admin of iso (read back with SITE CHGADMIN isoadm).";
    EXPECT_EQ(textOf(page, IDC_ADMIN_RESULT), said);
    EXPECT_EQ(site.reported, (Commands{"", said}));

    ASSERT_GE(selectRow(page, IDC_ADMIN_MEMBER_LIST, "delme"), 0);
    click(page, IDC_ADMIN_MEMBER_ADMIN);
    EXPECT_EQ(site.takeSent(),
              (Commands{"SITE CHGADMIN delme iso", "SITE GRP iso", "SITE GINFO iso", "SITE USERS deleted"}));
    const std::string refused = textOf(page, IDC_ADMIN_RESULT);
    EXPECT_EQ(refused.rfind("The server refused group admin of iso for delme: ", 0), 0u) << refused;
    EXPECT_NE(refused.find("Nothing changed."), std::string::npos) << refused;
    DestroyWindow(page);
}

TEST(AdminPages, GroupsRefusesWhatTheServerWouldWrapOrCutAndSendsNothing) {
    const struct {
        int field;
        std::string value;
    } refused[] = {
        {IDC_ADMIN_GROUP_SLOTS, "99999999"},
        {IDC_ADMIN_GROUP_SLOTS, "abc"},
        {IDC_ADMIN_GROUP_COMMENT, std::string(64, 'c')},
    };
    for (const auto& c : refused) {
        CapturedSite site;
        HWND page = site.open(AdminPage::Groups);
        click(page, IDC_ADMIN_GROUP_LOAD);
        pickGroup(page, "iso");
        site.takeSent();
        type(page, c.field, c.value);
        click(page, IDC_ADMIN_GROUP_WRITE);
        EXPECT_EQ(site.takeSent(), Commands{}) << c.value;
        ASSERT_EQ(site.types.size(), 1u) << c.value;
        EXPECT_EQ(site.types[0] & MB_TYPEMASK, static_cast<UINT>(MB_OK));
        EXPECT_EQ(textOf(page, c.field), c.value) << "the operator's value stays to be corrected";
        DestroyWindow(page);
    }
}

TEST(AdminPages, PurgeAskedNamingTheAccountSendsNothingOnNo) {
    CapturedSite site;
    HWND page = site.open(AdminPage::Accounts);
    SendDlgItemMessageW(page, IDC_ADMIN_ACCOUNT_FILTER, CB_SETCURSEL, 4, 0);  // the deleted ones
    click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
    ASSERT_GE(selectRow(page, IDC_ADMIN_ACCOUNT_LIST, "delme"), 0);
    EXPECT_EQ(site.takeSent(), (Commands{"SITE USERS deleted", "SITE USER delme"}));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_ADMIN_ACCOUNT_PURGE)));

    click(page, IDC_ADMIN_ACCOUNT_PURGE);
    EXPECT_EQ(site.takeSent(), Commands{});
    ASSERT_EQ(site.asked.size(), 1u);
    EXPECT_NE(site.asked[0].find("delme"), std::string::npos);
    EXPECT_EQ(site.types[0] & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON2));

    site.answer = IDYES;
    click(page, IDC_ADMIN_ACCOUNT_PURGE);
    const Commands sent = site.takeSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], "SITE PURGE delme");
    EXPECT_EQ(sent[1], "SITE USERS deleted") << "read back";
    DestroyWindow(page);
}

TEST(AdminPages, AccountsRefusesACommentThatWouldEndTheSession) {
    CapturedSite site;
    HWND page = site.open(AdminPage::Accounts);
    click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
    ASSERT_GE(selectRow(page, IDC_ADMIN_ACCOUNT_LIST, "isouser1"), 0) << "not in SITE USERS";
    site.takeSent();
    EXPECT_EQ(textOf(page, IDC_ADMIN_ACCOUNT_COMMENT), "Long-time courier, ask before moving");
    type(page, IDC_ADMIN_ACCOUNT_COMMENT, std::string(50, 'x'));
    click(page, IDC_ADMIN_ACCOUNT_WRITE);
    EXPECT_EQ(site.takeSent(), Commands{});
    EXPECT_EQ(site.asked.size(), 1u);
    DestroyWindow(page);
}

TEST(AdminPages, AServerRefusalIsShownAsAFailureNeverAsDone) {
    CapturedSite site;
    HWND page = site.open(AdminPage::Accounts);
    click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
    ASSERT_GE(selectRow(page, IDC_ADMIN_ACCOUNT_LIST, "isouser1"), 0);
    site.takeSent();
    type(page, IDC_ADMIN_ACCOUNT_NEW_NAME, "mp3one");
    click(page, IDC_ADMIN_ACCOUNT_RENAME);
    const Commands sent = site.takeSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], "SITE RENUSER isouser1 mp3one");
    const std::string result = textOf(page, IDC_ADMIN_RESULT);
    EXPECT_NE(result.find("already exists"), std::string::npos) << result;
    EXPECT_EQ(result.find("renamed"), std::string::npos) << result;
    DestroyWindow(page);
}

TEST(AdminPages, AServerWithoutTheCommandsIsNamedAsSuch) {
    CapturedSite site;
    site.answers["SITE GRP mp3"] = oneLine("500 'SITE GRP': command not understood.");
    HWND page = site.open(AdminPage::Groups);
    click(page, IDC_ADMIN_GROUP_LOAD);
    pickGroup(page, "mp3");
    EXPECT_EQ(site.takeSent(), (Commands{"SITE GROUPS", "SITE GRP mp3"})) << "nothing more after the refusal";
    const std::string result = textOf(page, IDC_ADMIN_RESULT);
    EXPECT_NE(result.find("need glftpd 2.x"), std::string::npos) << result;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_ADMIN_GROUP_WRITE)));
    DestroyWindow(page);
}

TEST(AdminPages, OneChangeForManyCountsAndAsksAndSendsNothingOnNo) {
    CapturedSite site;
    HWND page = site.open(AdminPage::BulkChange);
    type(page, IDC_ADMIN_BULK_GROUP, "iso");
    SendDlgItemMessageA(page, IDC_ADMIN_BULK_SETTING, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>("ratio"));
    type(page, IDC_ADMIN_BULK_VALUE, "2");
    click(page, IDC_ADMIN_BULK_APPLY);
    EXPECT_EQ(site.takeSent(), Commands{"SITE USERS =iso"}) << "only the count";
    ASSERT_EQ(site.asked.size(), 1u);
    EXPECT_EQ(site.types[0] & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON2));
    // The listing's four live members: the server changes no deleted one.
    EXPECT_NE(site.asked[0].find("4 account"), std::string::npos) << site.asked[0];

    site.answer = IDYES;
    click(page, IDC_ADMIN_BULK_APPLY);
    EXPECT_EQ(site.takeSent(), (Commands{"SITE USERS =iso", "SITE CHANGE =iso ratio 2"}));
    const std::string result = textOf(page, IDC_ADMIN_RESULT);
    EXPECT_NE(result.find("applied to 5"), std::string::npos) << result;  // the server's own count
    EXPECT_EQ(site.reported, (Commands{"", "applied to 5 account(s), but 4 were counted and confirmed"}));
    DestroyWindow(page);
}

TEST(AdminPages, AFormReadInAnyScriptSendsNothingWhenUnchanged) {
    // A comment outside the ANSI code page: shown as it is and read back from
    // the control unchanged, so that Write finds nothing to send.
    CapturedSite site;
    for (std::string& line : site.answers["SITE USER isouser1"].lines) {
        const std::size_t at = line.find("Long-time courier, ask before moving");
        if (at != std::string::npos) {
            line = line.substr(0, at) + "Kurier f\xc3\xbcr Zo\xc3\xab, \xd0\xba\xd1\x83\xd1\x80\xd1\x8c\xd0\xb5\xd1\x80";
        }
    }
    HWND page = site.open(AdminPage::Accounts);
    click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
    ASSERT_GE(selectRow(page, IDC_ADMIN_ACCOUNT_LIST, "isouser1"), 0);
    site.takeSent();
    wchar_t shown[64] = {};
    GetDlgItemTextW(page, IDC_ADMIN_ACCOUNT_COMMENT, shown, 64);
    EXPECT_STREQ(shown, L"Kurier f\u00fcr Zo\u00eb, \u043a\u0443\u0440\u044c\u0435\u0440");
    click(page, IDC_ADMIN_ACCOUNT_WRITE);
    EXPECT_EQ(site.takeSent(), Commands{});
    EXPECT_TRUE(site.asked.empty());
    DestroyWindow(page);
}

TEST(AdminPages, FiftyThousandAccountsAreAllInTheVirtualList) {
    CapturedSite site;
    session::Reply& listing = site.answers["SITE USERS"];
    listing.lines = {"200- Detailed User Listing..."};
    char row[128];
    for (int i = 0; i < 50000; ++i) {
        std::snprintf(row, sizeof row, "200- user%05d       iso        UL:    0MiB      DL:    0MiB      Credit:    15MiB", i);
        listing.lines.push_back(row);
    }
    listing.lines.push_back("200- Uploaded:     0.0MiB Downloaded:     0.0MiB Files Up:     0 Files Down:     0");
    listing.lines.push_back("200- SITEOPS=0, GADMINS=0, LEECH=0, DELETED=0");
    listing.lines.push_back("200 50000 Total members.");
    HWND page = site.open(AdminPage::Accounts);
    click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
    ASSERT_EQ(rowCount(page, IDC_ADMIN_ACCOUNT_LIST), 50000);
    EXPECT_EQ(cell(page, IDC_ADMIN_ACCOUNT_LIST, 49999, 0), "user49999");
    EXPECT_EQ(cell(page, IDC_ADMIN_ACCOUNT_LIST, 49999, 4), "15");  // MiB, as the summary says
    // Typing a name finds its row.
    site.answers["SITE USER user31337"] = site.answers["SITE USER isouser1"];
    EXPECT_EQ(selectRow(page, IDC_ADMIN_ACCOUNT_LIST, "user31337"), 31337);
    EXPECT_EQ(site.takeSent(), (Commands{"SITE USERS", "SITE USER user31337"}));
    DestroyWindow(page);
}

TEST(AdminPages, ACellLongerThanTheListsRoomIsCutAtACharacter) {
    CapturedSite site;
    std::string name;
    for (int i = 0; i < 400; ++i) {
        name += "\xc3\xbc";  // two bytes, one character
    }
    site.answers["SITE USERS"].lines = {"200- Detailed User Listing...",
                                        "200- " + name + " iso        UL:    0MiB      DL:    0MiB      Credit:    15MiB",
                                        "200- Uploaded:     0.0MiB Downloaded:     0.0MiB Files Up:     0 Files Down:     0",
                                        "200- SITEOPS=0, GADMINS=0, LEECH=0, DELETED=0", "200 1 Total members."};
    HWND page = site.open(AdminPage::Accounts);
    click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
    ASSERT_EQ(rowCount(page, IDC_ADMIN_ACCOUNT_LIST), 1);
    wchar_t text[300];
    std::fill(std::begin(text), std::end(text), L'#');
    LVITEMW item{};
    item.pszText = text;
    item.cchTextMax = 100;
    SendMessageW(GetDlgItem(page, IDC_ADMIN_ACCOUNT_LIST), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(text), std::wstring(99, L'\u00fc'));
    EXPECT_EQ(text[100], L'#') << "written past the room";
    DestroyWindow(page);
}

TEST(AdminPages, OwnCommandsAreKeptWithoutSendingAndSentOnlyOnSend) {
    CapturedSite site;
    HWND page = site.open(AdminPage::OwnCommands);
    type(page, IDC_ADMIN_OWN_NEW, "DELE /site/file");
    click(page, IDC_ADMIN_OWN_ADD);
    EXPECT_TRUE(site.kept.empty()) << "only SITE commands";
    type(page, IDC_ADMIN_OWN_NEW, "SITE REQUESTS");
    click(page, IDC_ADMIN_OWN_ADD);
    EXPECT_EQ(site.kept, Commands{"SITE REQUESTS"});
    EXPECT_EQ(site.takeSent(), Commands{});
    click(page, IDC_ADMIN_OWN_SEND);
    EXPECT_EQ(site.takeSent(), Commands{"SITE REQUESTS"});
    EXPECT_NE(textOf(page, IDC_ADMIN_RESULT).find("No requests."), std::string::npos);
    DestroyWindow(page);
}

// A listing row as glftpd 2.13 prints it, a SITE USER screen for `name`.
std::string usersRow(const std::string& name) {
    return "200- " + name + std::string(name.size() < 16 ? 16 - name.size() : 1, ' ') +
           "iso        UL: 1227MiB      DL:    0MiB      Credit:    15MiB";
}
session::Reply screenOf(const std::string& captureName, const std::string& name, const std::string& comment) {
    session::Reply reply = capture(captureName);
    for (std::string& line : reply.lines) {
        const std::size_t at = line.find("| Username: ");
        if (at != std::string::npos) {
            line = "200- | Username: " + name + std::string(name.size() < 25 ? 25 - name.size() : 1, ' ') +
                   "Created: 12-07-26                  |";
        }
        if (!comment.empty() && line.rfind("200- User Comment: ", 0) == 0) {
            line = "200- User Comment: " + comment;
        }
    }
    return reply;
}

// The site of the odd names glftpd 2.13 takes: alice and alice|x, Alice
// beside alice, a 17-character name, a tab.
void addOddNames(CapturedSite& site) {
    site.answers["SITE USERS"].lines = {"200- Detailed User Listing...",
                                        usersRow("Alice"),
                                        usersRow("alice"),
                                        usersRow("alice|x"),
                                        usersRow("tab\tname"),
                                        usersRow("verylongname12345"),
                                        "200- Uploaded:  1227.0MiB Downloaded:     0.0MiB Files Up:     0 Files Down:     0",
                                        "200- SITEOPS=0, GADMINS=0, LEECH=0, DELETED=0",
                                        "200 5 Total members."};
    for (const char* name : {"Alice", "alice", "alice|x", "tab\tname", "verylongname12345"}) {
        site.answers[std::string("SITE USER ") + name] = screenOf("site-user-isouser1-all-settings.txt", name, "");
        site.answers[std::string("SITE CHANGE ") + name + " comment Moved"] = oneLine("200 Command Successful.");
    }
}

// The target is the whole name picked in the listing: each odd name is
// read and changed as itself; a screen that names another account (cut at
// '|', cut to 9 as GINFO shows members, another case) refuses any change
// and sends nothing.
TEST(AdminPages, AccountsActsOnTheWholePickedNameOrOnNothing) {
    for (const char* name : {"alice|x", "tab\tname", "verylongname12345", "Alice"}) {
        CapturedSite site;
        addOddNames(site);
        HWND page = site.open(AdminPage::Accounts);
        click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
        ASSERT_GE(selectRow(page, IDC_ADMIN_ACCOUNT_LIST, name), 0) << name;
        EXPECT_EQ(site.takeSent(), (Commands{"SITE USERS", std::string("SITE USER ") + name}));
        type(page, IDC_ADMIN_ACCOUNT_COMMENT, "Moved");
        click(page, IDC_ADMIN_ACCOUNT_WRITE);
        const Commands sent = site.takeSent();
        ASSERT_FALSE(sent.empty()) << name;
        EXPECT_EQ(sent[0], std::string("SITE CHANGE ") + name + " comment Moved");
        DestroyWindow(page);
    }
    const struct {
        const char* picked;
        const char* shown;
        const char* why;
    } others[] = {
        {"alice|x", "alice", "cut short"},
        {"verylongname12345", "verylongn", "cut short"},
        {"Alice", "alice", "differ in case"},
    };
    for (const auto& other : others) {
        CapturedSite site;
        addOddNames(site);
        site.answers[std::string("SITE USER ") + other.picked] =
            screenOf("site-user-isouser1-all-settings.txt", other.shown, "");
        HWND page = site.open(AdminPage::Accounts);
        click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
        ASSERT_GE(selectRow(page, IDC_ADMIN_ACCOUNT_LIST, other.picked), 0) << other.picked;
        site.takeSent();
        const std::string result = textOf(page, IDC_ADMIN_RESULT);
        EXPECT_NE(result.find(other.why), std::string::npos) << result;
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_ADMIN_ACCOUNT_WRITE))) << other.picked;
        click(page, IDC_ADMIN_ACCOUNT_WRITE);
        click(page, IDC_ADMIN_ACCOUNT_RENAME);
        EXPECT_EQ(site.takeSent(), Commands{}) << other.picked;
        DestroyWindow(page);
    }
}

TEST(AdminPages, PurgeAsksNamingTheWholeAccountAndPurgesExactlyIt) {
    CapturedSite site;
    site.answers["SITE USERS deleted"].lines = {"200- Detailed User Listing...", usersRow("alice|x"),
                                                "200- Uploaded:     0.0MiB Downloaded:     0.0MiB Files Up:     0 Files Down:     0",
                                                "200- SITEOPS=0, GADMINS=0, LEECH=0, DELETED=1", "200 1 Total members."};
    site.answers["SITE USER alice|x"] = screenOf("site-user-delme-after-chgadmin.txt", "alice|x", "");
    site.answers["SITE PURGE alice|x"] = oneLine("200 User (alice|x) purged.");
    HWND page = site.open(AdminPage::Accounts);
    SendDlgItemMessageW(page, IDC_ADMIN_ACCOUNT_FILTER, CB_SETCURSEL, 4, 0);  // the deleted ones
    click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
    ASSERT_GE(selectRow(page, IDC_ADMIN_ACCOUNT_LIST, "alice|x"), 0);
    site.takeSent();
    site.answer = IDYES;
    click(page, IDC_ADMIN_ACCOUNT_PURGE);
    ASSERT_EQ(site.asked.size(), 1u);
    EXPECT_NE(site.asked[0].find("\"alice|x\""), std::string::npos) << site.asked[0];
    const Commands sent = site.takeSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], "SITE PURGE alice|x");
    DestroyWindow(page);
}

// An operator with glftpd's colour flag: the listing, the screen and the
// server's answers reach the page without a colour code, and the page reads
// them as their plain twins.
TEST(AdminPages, ColouredRepliesReachNoControlAndReadAsPlain) {
    CapturedSite site;
    site.answers["SITE USERS"] = capture("colour/account-site-users-colour.txt");
    site.answers["SITE USER isouser1"] = capture("colour/account-site-user-isouser1-colour.txt");
    site.answers["SITE CHANGE isouser1 comment Courier"] = capture("colour/account-site-change-isouser1-comment-colour.txt");
    HWND page = site.open(AdminPage::Accounts);
    click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
    ASSERT_EQ(rowCount(page, IDC_ADMIN_ACCOUNT_LIST), 7);
    const int row = selectRow(page, IDC_ADMIN_ACCOUNT_LIST, "isouser1");
    ASSERT_GE(row, 0);
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(cell(page, IDC_ADMIN_ACCOUNT_LIST, row, column).find('\x1b'), std::string::npos) << column;
    }
    EXPECT_EQ(cell(page, IDC_ADMIN_ACCOUNT_LIST, row, 1), "iso");
    EXPECT_EQ(textOf(page, IDC_ADMIN_ACCOUNT_COMMENT), "Added by glftpd");
    EXPECT_EQ(textOf(page, IDC_ADMIN_ACCOUNT_IDLE), "-1") << "a number in the box; -1 is said beside it";
    type(page, IDC_ADMIN_ACCOUNT_COMMENT, "Courier");
    site.answers["SITE USER isouser1"] = capture("colour/account-site-user-isouser1-after-colour.txt");
    click(page, IDC_ADMIN_ACCOUNT_WRITE);
    EXPECT_EQ(site.takeSent(), (Commands{"SITE USERS", "SITE USER isouser1", "SITE CHANGE isouser1 comment Courier",
                                         "SITE USER isouser1"}));
    const std::string result = textOf(page, IDC_ADMIN_RESULT);
    EXPECT_EQ(result, "Written and read back: Comment \"Courier\".");
    for (int id : {IDC_ADMIN_ACCOUNT_SUMMARY, IDC_ADMIN_ACCOUNT_SELECTED, IDC_ADMIN_ACCOUNT_COMMENT}) {
        EXPECT_EQ(textOf(page, id).find('\x1b'), std::string::npos) << id;
    }
    DestroyWindow(page);
}

// After a write the page compares the read-back with what it wrote: a
// setting the server holds otherwise is named with what it holds.
TEST(AdminPages, AWriteThatReadsBackOtherwiseIsNamedNeverDone) {
    CapturedSite site;
    site.answers["SITE CHANGE isouser1 idle_time 15"] = capture("site-change-idle_time-30.txt");
    HWND page = site.open(AdminPage::Accounts);
    click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
    ASSERT_GE(selectRow(page, IDC_ADMIN_ACCOUNT_LIST, "isouser1"), 0);
    site.takeSent();
    type(page, IDC_ADMIN_ACCOUNT_IDLE, "15");
    click(page, IDC_ADMIN_ACCOUNT_WRITE);
    EXPECT_EQ(site.takeSent(), (Commands{"SITE CHANGE isouser1 idle_time 15", "SITE USER isouser1"}));
    const std::string result = textOf(page, IDC_ADMIN_RESULT);
    EXPECT_EQ(result.find("Written and read back"), std::string::npos) << result;
    EXPECT_NE(result.find("Idle time: written 15, the server holds 30."), std::string::npos) << result;
    EXPECT_EQ(site.reported, (Commands{"", "Idle time: written 15, the server holds 30."}));
    DestroyWindow(page);
}

// A comment an older client wrote in Latin-1: changing only the idle time
// sends only the idle time; the comment keeps the server's bytes.
TEST(AdminPages, AnUnchangedCommentInLatin1IsNeverSent) {
    CapturedSite site;
    site.answers["SITE USER isouser1"] =
        screenOf("site-user-isouser1-all-settings.txt", "isouser1", "Gr\xfc\xdf" "e aus K\xf6ln");
    site.answers["SITE CHANGE isouser1 idle_time 15"] = capture("site-change-idle_time-30.txt");
    HWND page = site.open(AdminPage::Accounts);
    click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
    ASSERT_GE(selectRow(page, IDC_ADMIN_ACCOUNT_LIST, "isouser1"), 0);
    site.takeSent();
    wchar_t shown[64] = {};
    GetDlgItemTextW(page, IDC_ADMIN_ACCOUNT_COMMENT, shown, 64);
    EXPECT_STREQ(shown, L"Gr\u00fc\u00dfe aus K\u00f6ln");
    type(page, IDC_ADMIN_ACCOUNT_IDLE, "15");
    click(page, IDC_ADMIN_ACCOUNT_WRITE);
    EXPECT_EQ(site.takeSent(), (Commands{"SITE CHANGE isouser1 idle_time 15", "SITE USER isouser1"}));
    DestroyWindow(page);
}

// A re-added account leaves the deleted ones' listing: the list shows
// everyone and the account the right side shows.
TEST(AdminPages, AfterAReAddTheListShowsTheAccount) {
    CapturedSite site;
    HWND page = site.open(AdminPage::Accounts);
    SendDlgItemMessageW(page, IDC_ADMIN_ACCOUNT_FILTER, CB_SETCURSEL, 4, 0);
    click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
    ASSERT_GE(selectRow(page, IDC_ADMIN_ACCOUNT_LIST, "delme"), 0);
    site.takeSent();
    site.answers["SITE READD delme"] = oneLine("200 User (delme) readded.");
    site.answers["SITE USERS deleted"].lines = {"200- Detailed User Listing...",
                                                "200- Uploaded:     0.0MiB Downloaded:     0.0MiB Files Up:     0 Files Down:     0",
                                                "200- SITEOPS=0, GADMINS=0, LEECH=0, DELETED=0", "200 0 Total members."};
    site.answers["SITE USERS"].lines.insert(site.answers["SITE USERS"].lines.begin() + 1, usersRow("delme"));
    auto& total = site.answers["SITE USERS"].lines.back();
    total = "200 " + std::to_string(std::atoi(total.substr(4).c_str()) + 1) + " Total members.";
    site.answers["SITE USER delme"] = screenOf("site-user-isouser1-all-settings.txt", "delme", "");
    click(page, IDC_ADMIN_ACCOUNT_READD);
    EXPECT_EQ(site.takeSent(), (Commands{"SITE READD delme", "SITE USERS deleted", "SITE USERS", "SITE USER delme"}));
    const int row = static_cast<int>(SendDlgItemMessageW(page, IDC_ADMIN_ACCOUNT_LIST, LVM_GETNEXTITEM,
                                                         static_cast<WPARAM>(-1), LVNI_SELECTED));
    ASSERT_GE(row, 0);
    EXPECT_EQ(cell(page, IDC_ADMIN_ACCOUNT_LIST, row, 0), "delme");
    EXPECT_EQ(textOf(page, IDC_ADMIN_ACCOUNT_SELECTED).rfind("delme", 0), 0u);
    EXPECT_NE(textOf(page, IDC_ADMIN_RESULT).find("Written and read back"), std::string::npos)
        << textOf(page, IDC_ADMIN_RESULT);
    DestroyWindow(page);
}

// SITE USERS =ISO counts iso's members without regard to case; SITE CHANGE
// =ISO would change none: refused with the group's name, nothing sent.
TEST(AdminPages, OneChangeForManyRefusesAGroupInAnotherCase) {
    CapturedSite site;
    site.answers["SITE USERS =ISO"] = capture("colour/account-site-users-eq-ISO-colour.txt");
    HWND page = site.open(AdminPage::BulkChange);
    type(page, IDC_ADMIN_BULK_GROUP, "ISO");
    type(page, IDC_ADMIN_BULK_VALUE, "2");
    click(page, IDC_ADMIN_BULK_APPLY);
    EXPECT_EQ(site.takeSent(), Commands{"SITE USERS =ISO"}) << "only the count";
    ASSERT_EQ(site.asked.size(), 1u);
    EXPECT_EQ(site.types[0] & MB_TYPEMASK, static_cast<UINT>(MB_OK)) << "a refusal, not a question";
    EXPECT_NE(site.asked[0].find("The group is called iso"), std::string::npos) << site.asked[0];
    EXPECT_NE(site.asked[0].find("Nothing was changed: only the count was read"), std::string::npos) << site.asked[0];
    EXPECT_EQ(site.asked[0].find('\x1b'), std::string::npos);
    DestroyWindow(page);
}

}  // namespace

namespace {

// The Groups page for an operator with colours on a site whose groups and
// members carry the names glftpd 2.13 takes (its replies, captured): every
// command goes to the whole name picked, another group's screen or a cut
// name that stands for several accounts sends nothing, and what is read
// back is compared with what was written.
TEST(AdminPages, GroupsActOnTheWholePickedNameAndReadColouredReplies) {
    CapturedSite site;
    const auto coloured = [](const std::string& what) { return capture("colour/group-" + what + "-colour.txt"); };
    site.answers["SITE GROUPS"] = coloured("groups");
    site.answers["SITE GRP ISO"] = coloured("grp-case-twin");
    site.answers["SITE GRP iso|x"] = coloured("grp-isox");
    site.answers["SITE GINFO iso|x"] = coloured("ginfo-isox");
    site.answers["SITE USERS deleted"] = coloured("users-deleted");
    site.answers["SITE USERS =iso|x"] = coloured("users-eq-isox");
    site.answers["SITE GRPCHANGE iso|x slots 7"] = coloured("grpchange-isox-slots-7");
    HWND page = site.open(AdminPage::Groups);
    click(page, IDC_ADMIN_GROUP_LOAD);
    EXPECT_EQ(SendDlgItemMessageW(page, IDC_ADMIN_GROUP_LIST, LB_GETCOUNT, 0, 0), 10);

    // ISO (the last; a list box finds names without case): the server shows
    // iso, so nothing more is read or written.
    HWND groups = GetDlgItem(page, IDC_ADMIN_GROUP_LIST);
    SendMessageW(groups, LB_SETCURSEL, 9, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_ADMIN_GROUP_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(groups));
    EXPECT_EQ(site.takeSent(), (Commands{"SITE GROUPS", "SITE GRP ISO"}));
    EXPECT_NE(textOf(page, IDC_ADMIN_RESULT).find("without regard to case"), std::string::npos)
        << textOf(page, IDC_ADMIN_RESULT);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_ADMIN_GROUP_WRITE)));

    pickGroup(page, "iso|x");
    EXPECT_EQ(site.takeSent(),
              (Commands{"SITE GRP iso|x", "SITE GINFO iso|x", "SITE USERS deleted", "SITE USERS =iso|x"}));
    EXPECT_EQ(textOf(page, IDC_ADMIN_GROUP_SLOTS), "9");
    EXPECT_EQ(textOf(page, IDC_ADMIN_GROUP_COMMENT), "Pipe couriers");
    ASSERT_GE(selectRow(page, IDC_ADMIN_MEMBER_LIST, "alice|x"), 0);
    // Three accounts start with verylongn: which row is which is unknown.
    const int cut = selectRow(page, IDC_ADMIN_MEMBER_LIST, "verylongn...");
    ASSERT_GE(cut, 0);
    click(page, IDC_ADMIN_MEMBER_ADMIN);
    EXPECT_EQ(site.takeSent(), Commands{});
    ASSERT_EQ(site.asked.size(), 1u);
    EXPECT_NE(site.asked[0].find("verylongn, verylongname12345 or verylongname99"), std::string::npos)
        << site.asked[0];

    // The server took slots 7, but SITE GRP still shows 9: not "read back".
    type(page, IDC_ADMIN_GROUP_SLOTS, "7");
    click(page, IDC_ADMIN_GROUP_WRITE);
    EXPECT_EQ(site.takeSent().front(), "SITE GRPCHANGE iso|x slots 7");
    std::string result = textOf(page, IDC_ADMIN_RESULT);
    EXPECT_NE(result.find("Slots: written 7, the server holds 9."), std::string::npos) << result;
    EXPECT_EQ(result.find("Written and read back"), std::string::npos) << result;
    EXPECT_EQ(site.reported, (Commands{"", "Slots: written 7, the server holds 9."}));
    site.answers["SITE GRP iso|x"] = coloured("grp-isox-slots-7");
    type(page, IDC_ADMIN_GROUP_SLOTS, "7");
    click(page, IDC_ADMIN_GROUP_WRITE);
    result = textOf(page, IDC_ADMIN_RESULT);
    EXPECT_NE(result.find("Written and read back: Slots 7."), std::string::npos) << result;
    EXPECT_EQ(result.find('\x1b'), std::string::npos) << result;
    EXPECT_EQ(site.reported.back(), "written and read back");
    DestroyWindow(page);
}

// A group comment in Latin-1 (written by an older client) goes through the
// page's controls and back unchanged: changing another setting sends that
// setting only.
TEST(AdminPages, GroupsKeepALatin1CommentUnlessItIsRetyped) {
    CapturedSite site;
    site.answers["SITE GROUPS"] = capture("colour/group-groups.txt");
    site.answers["SITE GRP a|b|c"] = capture("colour/group-grp-latin1-comment.txt");
    site.answers["SITE GINFO a|b|c"] = capture("site-ginfo-emptygrp.txt");
    site.answers["SITE GRPCHANGE a|b|c slots 5"] = oneLine("200 Command Successful.");
    HWND page = site.open(AdminPage::Groups);
    click(page, IDC_ADMIN_GROUP_LOAD);
    pickGroup(page, "a|b|c");
    site.takeSent();
    wchar_t shown[64] = {};
    GetDlgItemTextW(page, IDC_ADMIN_GROUP_COMMENT, shown, 64);
    EXPECT_STREQ(shown, L"Gr\u00fc\u00dfe aus K\u00f6ln");
    type(page, IDC_ADMIN_GROUP_SLOTS, "5");
    click(page, IDC_ADMIN_GROUP_WRITE);
    const Commands sent = site.takeSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), "SITE GRPCHANGE a|b|c slots 5");
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                            [](const std::string& c) { return c.find("comment") != std::string::npos; }),
              0);
    DestroyWindow(page);
}

}  // namespace

namespace {

// The whole text of a control, UTF-8.
std::string fullTextOf(HWND page, int id) {
    HWND control = GetDlgItem(page, id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, &text[0], static_cast<int>(text.size()))));
    std::string narrow(text.size() * 3 + 1, '\0');
    narrow.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                                               &narrow[0], static_cast<int>(narrow.size()), nullptr,
                                                               nullptr)));
    return narrow;
}

// What the operator does in the password dialog, one step a tick of a
// timer that runs inside the dialog's own modal loop.
std::vector<std::string> passwordSteps;  // text to type and Send, or "" to Cancel
int passwordDialogsSeen = 0;
std::vector<std::string> passwordDialogAnswers;  // for each Send in the dialog: the problem it says, or "taken"
std::vector<std::string> passwordDialogLayout;

void CALLBACK answerPasswordDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowW(nullptr, L"Password for an own command");
    if (dialog == nullptr || !IsWindowVisible(dialog)) {
        return;
    }
    if (passwordSteps.empty()) {
        KillTimer(nullptr, timer);
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    ++passwordDialogsSeen;
    if (passwordDialogsSeen == 1) {
        SetDlgItemTextA(dialog, IDC_ADMIN_OWN_PASSWORD_PROBLEM, "Type the password, or Cancel to send nothing.");
        passwordDialogLayout = layout_check::problemsOf(dialog);
        SetDlgItemTextA(dialog, IDC_ADMIN_OWN_PASSWORD_PROBLEM, "");
    }
    const std::string step = passwordSteps.front();
    passwordSteps.erase(passwordSteps.begin());
    if (step.empty()) {
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    SetDlgItemTextA(dialog, IDC_ADMIN_OWN_PASSWORD_EDIT, step == "<empty>" ? "" : step.c_str());
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    char problem[256] = {};
    GetDlgItemTextA(dialog, IDC_ADMIN_OWN_PASSWORD_PROBLEM, problem, sizeof problem);
    passwordDialogAnswers.push_back(IsWindowVisible(dialog) ? problem : "taken");
}

// A command holding a password: kept and listed without it, asked for on
// each Send in the masked dialog, sent whole, shown masked; Cancel or an
// empty password sends nothing.
TEST(AdminPages, OwnCommandsKeepNoPasswordAndAskForItOnSend) {
    CapturedSite site;
    site.answers["SITE ADDUSER bob n3wPW *@10.0.0.*"] = oneLine("200 User (bob) successfully added.");
    HWND page = site.open(AdminPage::OwnCommands);
    type(page, IDC_ADMIN_OWN_NEW, "  SITE ADDUSER bob s3cretPW *@10.0.0.* ");
    click(page, IDC_ADMIN_OWN_ADD);
    EXPECT_EQ(site.kept, Commands{"SITE ADDUSER bob"});
    EXPECT_EQ(fullTextOf(page, IDC_ADMIN_RESULT).find("s3cretPW"), std::string::npos);
    EXPECT_EQ(textOf(page, IDC_ADMIN_OWN_NEW), "");
    // Without the account name the word after the command may be the password: not kept.
    type(page, IDC_ADMIN_OWN_NEW, "SITE CHPASS  s3cretPW");
    click(page, IDC_ADMIN_OWN_ADD);
    EXPECT_EQ(site.kept, Commands{"SITE ADDUSER bob"});
    ASSERT_EQ(site.asked.size(), 1u);
    EXPECT_EQ(site.asked[0].find("s3cretPW"), std::string::npos) << site.asked[0];
    EXPECT_EQ(site.takeSent(), Commands{});

    // Send: an empty password is refused in the dialog, then one is typed.
    passwordSteps = {"<empty>", "n3wPW *@10.0.0.*"};
    passwordDialogsSeen = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, answerPasswordDialog);
    click(page, IDC_ADMIN_OWN_SEND);
    EXPECT_EQ(passwordDialogsSeen, 2);
    EXPECT_EQ(passwordDialogAnswers, (Commands{"Type the password, or Cancel to send nothing.", "taken"}));
    EXPECT_EQ(passwordDialogLayout, Commands{}) << "the dialog's layout";
    EXPECT_EQ(site.takeSent(), Commands{"SITE ADDUSER bob n3wPW *@10.0.0.*"});
    std::string result = fullTextOf(page, IDC_ADMIN_RESULT);
    EXPECT_EQ(result.rfind("> SITE ADDUSER bob ****\r\n", 0), 0u) << result;
    EXPECT_NE(result.find("User (bob) successfully added."), std::string::npos) << result;
    EXPECT_EQ(result.find("n3wPW"), std::string::npos) << result;
    EXPECT_EQ(site.kept, Commands{"SITE ADDUSER bob"}) << "the password typed is kept nowhere";

    // Cancel sends nothing.
    passwordSteps = {""};
    SetTimer(nullptr, timer, 20, answerPasswordDialog);
    click(page, IDC_ADMIN_OWN_SEND);
    KillTimer(nullptr, timer);
    EXPECT_EQ(site.takeSent(), Commands{});
    EXPECT_EQ(textOf(page, IDC_ADMIN_RESULT), "Not sent: no password was typed for SITE ADDUSER bob.");
    DestroyWindow(page);
}

// With glftpd's colour flag every reply is coloured, and a script may
// answer with 700,000 lines: the page shows the server's plain words,
// bounded, and a verdict without an escape code.
TEST(AdminPages, OwnCommandsShowAColouredOrHugeReplyPlainAndBounded) {
    CapturedSite site;
    site.answers["SITE GRPCHANGE col comment x"] = oneLine("200 \x1b[1;37mCommand Successful.\x1b[0m");
    session::Reply& huge = site.answers["SITE HUGE"];
    huge.lines.reserve(700000);
    for (int i = 0; i < 699999; ++i) {
        huge.lines.push_back("200- \x1b[1;36mrelease " + std::to_string(i) + "\x1b[0m");
    }
    huge.lines.push_back("200 \x1b[1;37mCommand Successful.\x1b[0m");
    site.kept = {"SITE GRPCHANGE col comment x", "SITE HUGE"};
    HWND page = site.open(AdminPage::OwnCommands);
    ASSERT_EQ(SendDlgItemMessageW(page, IDC_ADMIN_OWN_LIST, LB_GETCOUNT, 0, 0), 2);

    click(page, IDC_ADMIN_OWN_SEND);
    std::string result = fullTextOf(page, IDC_ADMIN_RESULT);
    EXPECT_EQ(result, "> SITE GRPCHANGE col comment x\r\nCommand Successful.\r\n"
                      "Done: the server answered \"Command Successful.\"");

    SendDlgItemMessageW(page, IDC_ADMIN_OWN_LIST, LB_SETCURSEL, 1, 0);
    click(page, IDC_ADMIN_OWN_SEND);
    EXPECT_EQ(site.takeSent(), (Commands{"SITE GRPCHANGE col comment x", "SITE HUGE"}));
    result = fullTextOf(page, IDC_ADMIN_RESULT);
    EXPECT_EQ(result.find('\x1b'), std::string::npos);
    EXPECT_NE(result.find("\r\nrelease 0\r\n"), std::string::npos);
    EXPECT_NE(result.find("\r\n... 699,700 more lines here (700,000 in all): the whole reply is in the transcript "
                          "...\r\n"),
              std::string::npos);
    EXPECT_NE(result.find("\r\nrelease 699998\r\n"), std::string::npos);
    EXPECT_LT(result.size(), 20000u) << "bounded";
    EXPECT_EQ(result.substr(result.rfind('\n') + 1), "Done: the server answered \"Command Successful.\"");
    DestroyWindow(page);
}

}  // namespace
