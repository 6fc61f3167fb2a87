// Online now and Top lists against a site that answers with what the real
// glftpd 2.13 sent (tests/fixtures/glftpd213/glance): what they send and
// when, what they ask before a kick or a kill, what they refuse, and what
// they show of a server's refusal.
#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/admin/admin_pages_win32.h"
#include "host/resources/host_resources.h"

namespace {

using Lines = std::vector<std::string>;

session::Reply capture(const std::string& name) {
    std::ifstream file(std::string(QUORIN_FIXTURE_DIR) + "/glftpd213/glance/" + name);
    session::Reply reply;
    for (std::string line; std::getline(file, line);) {
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
    return reply;
}

constexpr UINT_PTR refreshTimer = 34;  // the page's automatic refresh

class GlanceSite {
public:
    GlanceSite() {
        answers["SITE SWHO"] = capture("site-swho-transfers-colour.txt");
        answers["SITE WHO"] = capture("site-who-transfers-colour.txt");
        answers["SITE KICK idler"] = capture("site-kick-mallory.txt");
        answers["SITE KICK downloader"] = capture("site-kick-mallory.txt");
        answers["SITE KILL 22383"] = oneLine("200 PID 22383 (uploader) killed.");
        answers["SITE GPWK 10"] = capture("site-gpwk-colour.txt");
        answers["SITE WKUP 25"] = capture("site-wkup.txt");
        answers["SITE ALUP 10"] = capture("site-swho-refused.txt");
        session::Reply users;
        users.lines = {"200- Detailed User Listing...",
                       "200- downloader      iso        UL:    0MiB      DL:   14MiB      Credit:    15MiB",
                       "200- Uploaded:     0.0MiB Downloaded:    14.0MiB Files Up:     0 Files Down:     3",
                       "200- SITEOPS=0, GADMINS=0, LEECH=1, DELETED=0", "200 1 Total members."};
        answers["SITE USERS downloade*"] = users;
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
        context.busy = [this] { return busy; };
        INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&classes);
        WNDCLASSW frame{};
        frame.lpfnWndProc = DefWindowProcW;
        frame.hInstance = GetModuleHandleW(nullptr);
        frame.lpszClassName = L"GlancePagesTestFrame";
        RegisterClassW(&frame);
        // Shown: the automatic refresh only runs for a page in sight.
        parent = CreateWindowExW(WS_EX_CONTROLPARENT, L"GlancePagesTestFrame", L"", WS_POPUP | WS_VISIBLE, 0, 0, 800,
                                 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~GlanceSite() { DestroyWindow(parent); }
    GlanceSite(const GlanceSite&) = delete;
    GlanceSite& operator=(const GlanceSite&) = delete;

    HWND open(AdminPage page) { return createAdminPage(page, parent, context); }
    Lines takeSent() {
        Lines taken;
        taken.swap(sent);
        return taken;
    }

    std::map<std::string, session::Reply> answers;
    Lines sent, asked;
    std::vector<UINT> types;
    int answer = IDNO;
    bool busy = false;
    AdminContext context;
    HWND parent = nullptr;
};

void click(HWND page, int id) {
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

std::string text(HWND page, int id) {
    char buffer[2048] = {};
    GetDlgItemTextA(page, id, buffer, sizeof buffer);
    return buffer;
}

std::vector<Lines> rows(HWND page, int id) {
    HWND list = GetDlgItem(page, id);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    std::vector<Lines> all;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        Lines cells;
        for (int column = 0; column < columns; ++column) {
            char cell[512] = {};
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = cell;
            item.cchTextMax = sizeof cell;
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
            cells.push_back(cell);
        }
        all.push_back(cells);
    }
    return all;
}

void selectUser(HWND page, const std::string& user) {
    const std::vector<Lines> shown = rows(page, IDC_GLANCE_SESSIONS);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i][1] == user) {
            LVITEMW item{};
            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendDlgItemMessageW(page, IDC_GLANCE_SESSIONS, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
            return;
        }
    }
    ADD_FAILURE() << user << " is not listed";
}

TEST(GlancePages, OnlineNowSendsNothingUntilAskedThenShowsEachSessionWithItsTransfer) {
    GlanceSite site;
    HWND page = site.open(AdminPage::OnlineNow);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(site.takeSent().empty());
    click(page, IDC_GLANCE_REFRESH);
    EXPECT_EQ(site.takeSent(), (Lines{"SITE SWHO", "SITE WHO"}));
    const std::vector<Lines> shown = rows(page, IDC_GLANCE_SESSIONS);
    ASSERT_EQ(shown.size(), 6u) << text(page, IDC_ADMIN_RESULT);
    // PID, user, group, ident@host, online, idle, TLS, doing, speed; colours gone.
    EXPECT_EQ(shown[3], (Lines{"22385", "downloade", "iso", "*@127.0.0.1", "0m 6s", "0m 6s", "ctrl&data",
                               "DL: uploader-rel", "652.0 KiB/s"}));
    EXPECT_EQ(shown[1][1], "plainuser");  // in the order of their PIDs until sorted otherwise
    EXPECT_EQ(shown[1][6], "none");
    EXPECT_EQ(text(page, IDC_GLANCE_TOTALS), "Upload 98.0 KiB/s   Download 652.0 KiB/s   6 of 20 sessions online");
    // Sorted by speed, fastest first, on two clicks of its heading.
    for (int clickOnHeading = 0; clickOnHeading < 2; ++clickOnHeading) {
        NMLISTVIEW header{};
        header.hdr.hwndFrom = GetDlgItem(page, IDC_GLANCE_SESSIONS);
        header.hdr.idFrom = IDC_GLANCE_SESSIONS;
        header.hdr.code = LVN_COLUMNCLICK;
        header.iSubItem = 8;
        SendMessageW(page, WM_NOTIFY, IDC_GLANCE_SESSIONS, reinterpret_cast<LPARAM>(&header));
    }
    EXPECT_EQ(rows(page, IDC_GLANCE_SESSIONS)[0][1], "downloade");
    EXPECT_TRUE(site.takeSent().empty());  // sorting sends nothing
    DestroyWindow(page);
}

TEST(GlancePages, WithoutSwhoTheListIsWhoAloneAndNoSessionIsKilled) {
    GlanceSite site;
    site.answers["SITE SWHO"] = capture("site-swho-refused.txt");
    HWND page = site.open(AdminPage::OnlineNow);
    click(page, IDC_GLANCE_REFRESH);
    EXPECT_EQ(site.takeSent(), (Lines{"SITE SWHO", "SITE WHO"}));
    const std::vector<Lines> shown = rows(page, IDC_GLANCE_SESSIONS);
    ASSERT_EQ(shown.size(), 6u);
    EXPECT_EQ(shown[0][0], "");
    EXPECT_EQ(shown[0][1], "glftpd");
    EXPECT_NE(text(page, IDC_ADMIN_RESULT).find("SITE WHO only"), std::string::npos) << text(page, IDC_ADMIN_RESULT);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_GLANCE_KILL)));
    // The automatic refresh does not ask for SWHO again; a click does.
    SetDlgItemTextA(page, IDC_GLANCE_SECONDS, "5");
    CheckDlgButton(page, IDC_GLANCE_AUTO, BST_CHECKED);
    click(page, IDC_GLANCE_AUTO);
    EXPECT_EQ(site.takeSent(), (Lines{"SITE WHO"}));
    SendMessageW(page, WM_TIMER, refreshTimer, 0);
    EXPECT_EQ(site.takeSent(), (Lines{"SITE WHO"}));
    click(page, IDC_GLANCE_REFRESH);
    EXPECT_EQ(site.takeSent(), (Lines{"SITE SWHO", "SITE WHO"}));
    DestroyWindow(page);
}

TEST(GlancePages, AutomaticRefreshOnlyWhileShownAndTheHostIsFree) {
    GlanceSite site;
    HWND page = site.open(AdminPage::OnlineNow);
    SetDlgItemTextA(page, IDC_GLANCE_SECONDS, "4");
    CheckDlgButton(page, IDC_GLANCE_AUTO, BST_CHECKED);
    click(page, IDC_GLANCE_AUTO);
    EXPECT_TRUE(site.takeSent().empty());
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_GLANCE_AUTO), static_cast<UINT>(BST_UNCHECKED));
    ASSERT_EQ(site.asked.size(), 1u);
    EXPECT_NE(site.asked[0].find("5 to 60"), std::string::npos);
    SetDlgItemTextA(page, IDC_GLANCE_SECONDS, "60");
    CheckDlgButton(page, IDC_GLANCE_AUTO, BST_CHECKED);
    click(page, IDC_GLANCE_AUTO);
    EXPECT_EQ(site.takeSent(), (Lines{"SITE SWHO", "SITE WHO"}));
    SendMessageW(page, WM_TIMER, refreshTimer, 0);
    EXPECT_EQ(site.takeSent(), (Lines{"SITE SWHO", "SITE WHO"}));
    site.busy = true;  // another command in flight, or a question open
    SendMessageW(page, WM_TIMER, refreshTimer, 0);
    EXPECT_TRUE(site.takeSent().empty());
    site.busy = false;
    ShowWindow(page, SW_HIDE);  // another page picked
    SendMessageW(page, WM_TIMER, refreshTimer, 0);
    EXPECT_TRUE(site.takeSent().empty());
    ShowWindow(page, SW_SHOW);
    SendMessageW(page, WM_TIMER, refreshTimer, 0);
    EXPECT_EQ(site.takeSent(), (Lines{"SITE SWHO", "SITE WHO"}));
    CheckDlgButton(page, IDC_GLANCE_AUTO, BST_UNCHECKED);
    click(page, IDC_GLANCE_AUTO);
    EXPECT_TRUE(site.takeSent().empty());
    DestroyWindow(page);
}

TEST(GlancePages, KickAndKillOnlyAfterYesToAQuestionNamingUserAndPid) {
    GlanceSite site;
    HWND page = site.open(AdminPage::OnlineNow);
    click(page, IDC_GLANCE_KICK);  // nothing read, nothing picked
    EXPECT_TRUE(site.takeSent().empty());
    click(page, IDC_GLANCE_REFRESH);
    site.takeSent();
    selectUser(page, "idler");
    site.asked.clear();
    site.types.clear();
    click(page, IDC_GLANCE_KICK);
    ASSERT_EQ(site.asked.size(), 1u);
    EXPECT_NE(site.asked[0].find("Kick idler (PID 22379)?"), std::string::npos) << site.asked[0];
    EXPECT_EQ(site.types[0] & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON2));
    EXPECT_TRUE(site.takeSent().empty());
    EXPECT_NE(text(page, IDC_ADMIN_RESULT).find("nothing was sent"), std::string::npos);

    site.answer = IDYES;
    click(page, IDC_GLANCE_KICK);
    EXPECT_EQ(site.takeSent(), (Lines{"SITE KICK idler", "SITE SWHO", "SITE WHO"}));
    EXPECT_NE(text(page, IDC_ADMIN_RESULT).find("idler (PID 22379): SITE KICK idler answered \"Killed 1 connection.\""),
              std::string::npos)
        << text(page, IDC_ADMIN_RESULT);

    // A name the table cut: whose it is comes from SITE USERS first.
    selectUser(page, "downloade");
    site.asked.clear();
    click(page, IDC_GLANCE_KICK);
    EXPECT_EQ(site.takeSent(), (Lines{"SITE USERS downloade*", "SITE KICK downloader", "SITE SWHO", "SITE WHO"}));
    ASSERT_EQ(site.asked.size(), 1u);
    EXPECT_NE(site.asked[0].find("Kick downloader (PID 22385)?"), std::string::npos) << site.asked[0];

    selectUser(page, "uploader");
    site.asked.clear();
    click(page, IDC_GLANCE_KILL);
    ASSERT_EQ(site.asked.size(), 1u);
    EXPECT_NE(site.asked[0].find("uploader (PID 22383)"), std::string::npos) << site.asked[0];
    EXPECT_EQ(site.takeSent(), (Lines{"SITE KILL 22383", "SITE SWHO", "SITE WHO"}));
    EXPECT_NE(text(page, IDC_ADMIN_RESULT).find("(uploader) killed."), std::string::npos);

    // A kill the server refuses shows as not done (the capture's words).
    site.answers["SITE KILL 22380"] = capture("site-kill-invalid.txt");
    selectUser(page, "plainuser");
    click(page, IDC_GLANCE_KILL);
    EXPECT_NE(text(page, IDC_ADMIN_RESULT).find("not ended: SITE KILL 22380 answered \"99999: Invalid PiD.\""),
              std::string::npos)
        << text(page, IDC_ADMIN_RESULT);
    DestroyWindow(page);
}

TEST(GlancePages, TopListsShowTheChosenListRefuseBadCountsAndShowRefusals) {
    GlanceSite site;
    HWND page = site.open(AdminPage::TopLists);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(site.takeSent().empty());
    SetDlgItemTextA(page, IDC_GLANCE_COUNT, "101");
    click(page, IDC_GLANCE_SHOW);
    EXPECT_TRUE(site.takeSent().empty());
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_GLANCE_COPY)));

    SetDlgItemTextA(page, IDC_GLANCE_COUNT, "10");
    SendDlgItemMessageW(page, IDC_GLANCE_WHO, CB_SETCURSEL, 1, 0);
    click(page, IDC_GLANCE_SHOW);
    EXPECT_EQ(site.takeSent(), (Lines{"SITE GPWK 10"}));
    std::vector<Lines> table = rows(page, IDC_GLANCE_TABLE);
    ASSERT_EQ(table.size(), 2u) << text(page, IDC_ADMIN_RESULT);
    EXPECT_EQ(table[0], (Lines{"1", "mp3", "12 MiB", "3", "4 members"}));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_GLANCE_COPY)));
    click(page, IDC_GLANCE_COPY);
    ASSERT_TRUE(OpenClipboard(page));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    std::wstring copied = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data != nullptr) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_NE(copied.find(L"1\tmp3\tMusic couriers\t3\t12 MiB\t4\r\n"), std::wstring::npos);

    SendDlgItemMessageW(page, IDC_GLANCE_WHO, CB_SETCURSEL, 0, 0);
    SetDlgItemTextA(page, IDC_GLANCE_COUNT, "25");
    click(page, IDC_GLANCE_SHOW);
    EXPECT_EQ(site.takeSent(), (Lines{"SITE WKUP 25"}));
    table = rows(page, IDC_GLANCE_TABLE);
    ASSERT_EQ(table.size(), 5u);
    EXPECT_EQ(table[2], (Lines{"3", "courier_with", "4 MiB", "1", "4.00 MiB/s"}));

    // A refusal: the server's words, and no list of another choice left in sight.
    SendDlgItemMessageW(page, IDC_GLANCE_PERIOD, CB_SETCURSEL, 3, 0);
    SetDlgItemTextA(page, IDC_GLANCE_COUNT, "10");
    click(page, IDC_GLANCE_SHOW);
    EXPECT_EQ(site.takeSent(), (Lines{"SITE ALUP 10"}));
    EXPECT_NE(text(page, IDC_ADMIN_RESULT).find("You do not have access to this command."), std::string::npos)
        << text(page, IDC_ADMIN_RESULT);
    EXPECT_TRUE(rows(page, IDC_GLANCE_TABLE).empty());
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_GLANCE_SAVE)));
    DestroyWindow(page);
}

}  // namespace
