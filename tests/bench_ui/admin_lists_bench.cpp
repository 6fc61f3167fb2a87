// How long the host's own pages take to read a big listing and show it:
// SITE USERS of many accounts on the Accounts page and SITE GINFO of a big
// group on the Groups page, from the operator's click until the list is
// painted, beside the bare cost of the same rows in the same control (a
// virtual list view of the page's style and columns, in a plain window,
// given the same strings and painted). And a long reply to one of the
// operator's own commands, from Send until the page is painted, beside the
// whole reply given to an edit of the page's result box's style (what
// showing it all costs).
//
//   admin_lists_bench.exe [--reps N] [--smoke] [--own-reply-lines N [--no-bare]]
//
// --own-reply-lines N measures only the own command's reply of N lines
// (with --no-bare, without the whole reply in an edit beside it).
//
// Prints one line a measurement, tab-separated, as page_fill_bench does:
//   fill <page> <size> <page microseconds> <bare microseconds>
// The History page: a site's change record of many lines picked until its
// first screen is painted, beside the same rows in the same control.
// (the minimum over the repetitions); size 0 is an empty listing. Also
// Online now (SITE SWHO and SITE WHO of many sessions, the click on Refresh
// until painted) and Top lists (a top list of up to 100, the click on Show
// until its chart and table are painted, beside the bare table). --smoke
// runs each once at a tiny size and only checks that the lists come up
// filled.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/admin/admin_pages_win32.h"
#include "host/history/change_record.h"
#include "host/history/record_files_win32.h"
#include "host/resources/host_resources.h"
#include "host/sites/wide_text_win32.h"

namespace {

using Lines = std::vector<std::string>;

std::uint32_t nextRandom(std::uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// Unique account names as operators pick them, sorted as SITE USERS lists them.
Lines makeNames(int count, std::uint32_t seed) {
    static const char* const syllables[] = {"ka", "ro", "mi", "zen", "tor", "ax", "li", "qu",
                                            "be", "dra", "no", "vex", "sil", "um", "pa", "he"};
    Lines names;
    std::uint32_t state = seed;
    for (int i = 0; i < count; ++i) {
        std::string name;
        for (int part = 1 + static_cast<int>(nextRandom(state) % 2); part > 0; --part) {
            name += syllables[nextRandom(state) % 16];
        }
        names.push_back(name + std::to_string(i));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string column(const std::string& text, std::size_t width, bool right) {
    if (text.size() >= width) {
        return text;
    }
    const std::string pad(width - text.size(), ' ');
    return right ? pad + text : text + pad;
}

struct Listing {
    Lines reply;                 // as glftpd 2.13 sends it
    std::vector<Lines> cells;    // what each row shows, in the page's columns
};

// SITE USERS: name, group, uploaded, downloaded, credits.
Listing usersListing(int count) {
    Listing listing;
    listing.reply.push_back("200- Detailed User Listing...");
    std::uint32_t state = 31;
    for (const std::string& name : makeNames(count, 7u)) {
        const std::string group = "grp" + std::to_string(nextRandom(state) % 300);
        const std::string up = std::to_string(nextRandom(state) % 90000);
        const std::string down = std::to_string(nextRandom(state) % 90000);
        const std::string credit = std::to_string(nextRandom(state) % 9000);
        listing.reply.push_back("200- " + column(name, 15, false) + " " + column(group, 10, false) + " UL:" +
                                column(up, 5, true) + "MiB      DL:" + column(down, 5, true) + "MiB      Credit:" +
                                column(credit, 6, true) + "MiB");
        listing.cells.push_back({name, group, up + "MiB", down + "MiB", credit + "MiB"});
    }
    listing.reply.push_back("200- Uploaded:     0.0MiB Downloaded:     0.0MiB Files Up:     0 Files Down:     0");
    listing.reply.push_back("200- SITEOPS=0, GADMINS=0, LEECH=0, DELETED=0");
    listing.reply.push_back("200 " + std::to_string(count) + " Total members.");
    return listing;
}

const Lines ginfoFrame = {
    "200-                                             ________",
    "200- _____________.______________________________\\\\     _/___________",
    "200- \\\\      _     |     _      /    _       /     \\\\     \\\\      _    \\\\",
    "200-  \\\\     \\\\     |     /_____/     \\\\      /      |\\\\     \\\\     \\\\    /XFER",
    "200-    \\\\______    |______|    \\\\___________/|______________\\\\    ____/ STATS",
    "200- .---- /______| ------------------------------------ |_____| ------------.",
    "200- |  Username |     Up |       MiB |     Dn |       MiB | Ratio |    Wkly |",
    "200- |-----------+--------+-----------+--------+-----------+-------+---------|",
};

// SITE GINFO: the member rows as the stock template writes them.
Listing ginfoListing(int count) {
    Listing listing;
    listing.reply = ginfoFrame;
    std::uint32_t state = 43;
    for (const std::string& name : makeNames(count, 11u)) {
        const char mark = nextRandom(state) % 50 == 0 ? '+' : ' ';
        const std::string filesUp = std::to_string(nextRandom(state) % 9000);
        const std::string mibUp = std::to_string(nextRandom(state) % 900000);
        const std::string filesDown = std::to_string(nextRandom(state) % 9000);
        const std::string mibDown = std::to_string(nextRandom(state) % 900000);
        const std::string ratio = nextRandom(state) % 20 == 0 ? "leech" : " 1:3 ";
        listing.reply.push_back("200- |" + std::string(1, mark) + column(name.substr(0, 10), 10, false) + "|" +
                                column(filesUp, 7, true) + " |" + column(mibUp, 10, true) + " |" +
                                column(filesDown, 7, true) + " |" + column(mibDown, 10, true) + " | " + ratio +
                                " |       0 |");
        listing.cells.push_back({name.substr(0, 10), filesUp, mibUp, filesDown, mibDown, ratio, "0"});
    }
    const std::string rule = "200- |----------+------+--------+------+--------+-------+--------------------|";
    listing.reply.push_back(rule);
    listing.reply.push_back("200- |   * denotes a siteop (flag 1)     + denotes a group admin (flag 2)    |");
    listing.reply.push_back(rule);
    listing.reply.push_back(column("200- |   Tot MiB Up:        0.0   Tot Files Up:      0   Users in group: " +
                                       std::to_string(count), 77, false) + "|");
    listing.reply.push_back("200- |   Tot MiB Dn:        0.0   Tot Files Dn:      0       With leech: 0   |");
    listing.reply.push_back("200- |   Total Free Slots: Unlimited   Free Leech Slots: 0                   |");
    listing.reply.push_back("200- `-----------------------------------------------------------------------'");
    listing.reply.push_back("200 Command Successful.");
    return listing;
}

Lines grpScreen(const std::string& group) {
    auto boxed = [](const std::string& text) { return "200- |" + column(text, 71, false) + "|"; };
    return {"200- Group Comment: Added by glftpd",
            "200- +=======================================================================+",
            boxed(" Groupname: " + group),
            boxed(" Groupcomment: Added by glftpd"),
            "200- | Number of slots left: Unlimited            (-1 = Unlimited)           |",
            "200- | Number of leech slots left: 0              (-1 = Disabled)            |",
            "200- | Number of allotment slots left: 0          (-2 = Disabled, -1 = Unlim)|",
            "200- | Max. allotment size: Unlimited             (0 = Unlimited)            |",
            "200- | Max simultaneous logins: Unlimited         (0 = Unlimited)            |",
            "200- +-----------------------------------------------------------------------+",
            "200 Command Successful."};
}

const Lines noDeleted = {"200- Detailed User Listing...",
                         "200- Uploaded:     0.0MiB Downloaded:     0.0MiB Files Up:     0 Files Down:     0",
                         "200- SITEOPS=0, GADMINS=0, LEECH=0, DELETED=0", "200 0 Total members."};

// ---------------------------------------------------------------------------
// The site behind the page: every reply prepared before the clock starts
// and handed over by a swap, so the page's time is its own reading and
// showing; the replies are put back afterwards.

std::map<std::string, Lines> replies;

bool answer(const std::string& command, session::Reply& reply, std::string& failure) {
    auto found = replies.find(command);
    if (found == replies.end()) {
        reply.lines = {"200 Command Successful."};
        return true;
    }
    reply.code = 200;
    reply.lines.swap(found->second);  // put back by restoreReplies()
    failure.clear();
    return true;
}

void restoreReplies(const std::map<std::string, Lines>& prepared) {
    replies = prepared;
}

double nowMicroseconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

void pumpMessages() {
    MSG message;
    for (int i = 0; i < 10000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

HWND hostWindow = nullptr;

void paintNow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void click(HWND page, int id) {
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

int itemCount(HWND page, int id) {
    return static_cast<int>(SendDlgItemMessageW(page, id, LVM_GETITEMCOUNT, 0, 0));
}

// ---------------------------------------------------------------------------
// The bare cost: a virtual list view with the page's list's styles and
// columns in a plain window, its rows' strings copied in as a page keeps
// them, the count set, shown and painted.

std::vector<Lines>* bareRows = nullptr;

LRESULT CALLBACK plainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && bareRows != nullptr) {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
        if (info->hdr.code == LVN_GETDISPINFOW && (info->item.mask & LVIF_TEXT) != 0) {
            const Lines& row = (*bareRows)[static_cast<std::size_t>(info->item.iItem)];
            const std::size_t cell = static_cast<std::size_t>(info->item.iSubItem);
            const std::string& text = cell < row.size() ? row[cell] : row[0];
            const int room = info->item.cchTextMax;
            const int written = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                                    info->item.pszText, room > 0 ? room - 1 : 0);
            if (room > 0) {
                info->item.pszText[written] = L'\0';
            }
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

double timeBare(HWND pageList, const std::vector<Lines>& cells) {
    RECT box{};
    GetClientRect(GetParent(pageList), &box);
    HWND plain = CreateWindowExW(0, L"QuorinAdminBenchPlain", L"", WS_CHILD, 0, 0, box.right, box.bottom,
                                 hostWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
    RECT place{};
    GetWindowRect(pageList, &place);
    MapWindowPoints(nullptr, GetParent(pageList), reinterpret_cast<POINT*>(&place), 2);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(pageList, GWL_STYLE)) | LVS_OWNERDATA;
    HWND list = CreateWindowExW(static_cast<DWORD>(GetWindowLongW(pageList, GWL_EXSTYLE)), WC_LISTVIEWW, L"",
                                style, place.left, place.top, place.right - place.left, place.bottom - place.top,
                                plain, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(list, WM_SETFONT, SendMessageW(pageList, WM_GETFONT, 0, 0), FALSE);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, SendMessageW(pageList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    HWND header = reinterpret_cast<HWND>(SendMessageW(pageList, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < columns; ++index) {
        wchar_t title[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.pszText = title;
        column.cchTextMax = 64;
        SendMessageW(pageList, LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    }
    paintNow(hostWindow);

    const double start = nowMicroseconds();
    std::vector<Lines> kept(cells);
    bareRows = &kept;
    SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(kept.size()), 0);
    ShowWindow(plain, SW_SHOW);
    paintNow(plain);
    const double elapsed = nowMicroseconds() - start;
    DestroyWindow(plain);
    bareRows = nullptr;
    pumpMessages();
    return elapsed;
}

// ---------------------------------------------------------------------------

struct Measurement {
    double page = -1;
    double bare = -1;
};

void keepBest(Measurement& best, double page, double bare) {
    if (best.page < 0 || page < best.page) {
        best.page = page;
    }
    if (best.bare < 0 || bare < best.bare) {
        best.bare = bare;
    }
}

bool report(const char* name, int size, const Measurement& measured) {
    if (measured.page < 0) {
        std::printf("fail\t%s\t%d\n", name, size);
        std::fflush(stdout);
        return false;
    }
    std::printf("fill\t%s\t%d\t%.0f\t%.0f\n", name, size, measured.page, measured.bare);
    std::fflush(stdout);
    return true;
}

AdminContext benchContext() {
    AdminContext context;
    context.send = answer;
    context.ask = [](HWND, const std::string&, const std::string&, UINT) { return IDYES; };
    context.loadOwnCommands = [] { return Lines(); };
    context.saveOwnCommands = [](const Lines&, std::string&) { return true; };
    return context;
}

// The Accounts page listing everyone: the click on List until painted.
bool benchAccounts(int accounts, int repetitions) {
    const Listing listing = usersListing(accounts);
    const std::map<std::string, Lines> prepared = {{"SITE USERS", listing.reply}};
    Measurement best;
    for (int rep = 0; rep < repetitions; ++rep) {
        restoreReplies(prepared);
        AdminContext context = benchContext();
        HWND page = createAdminPage(AdminPage::Accounts, hostWindow, context);
        if (page == nullptr) {
            return report("Host accounts", accounts, Measurement());
        }
        paintNow(hostWindow);
        const double start = nowMicroseconds();
        click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
        paintNow(page);
        const double elapsed = nowMicroseconds() - start;
        const int shown = itemCount(page, IDC_ADMIN_ACCOUNT_LIST);
        const double bare = timeBare(GetDlgItem(page, IDC_ADMIN_ACCOUNT_LIST), listing.cells);
        DestroyWindow(page);
        pumpMessages();
        if (shown != accounts) {
            std::fprintf(stderr, "Accounts: %d rows shown, not %d\n", shown, accounts);
            return report("Host accounts", accounts, Measurement());
        }
        keepBest(best, elapsed, bare);
    }
    return report("Host accounts", accounts, best);
}

// SITE USERS =group: the whole names of the members GINFO cuts.
Lines groupUsers(int count) {
    Lines reply = {"200- Detailed User Listing..."};
    for (const std::string& name : makeNames(count, 11u)) {
        reply.push_back("200- " + column(name, 15, false) + " bigcrew    UL:    0MiB      DL:    0MiB      Credit:    15MiB");
    }
    reply.push_back("200- Uploaded:     0.0MiB Downloaded:     0.0MiB Files Up:     0 Files Down:     0");
    reply.push_back("200- SITEOPS=0, GADMINS=0, LEECH=0, DELETED=0");
    reply.push_back("200 " + std::to_string(count) + " Total members.");
    return reply;
}

// The Groups page showing one group: the pick of the group until its
// settings and members are read (SITE GRP, SITE GINFO, SITE USERS deleted,
// SITE USERS =group for the names GINFO cuts) and painted.
bool benchGroupMembers(int members, int repetitions) {
    const std::string group = "bigcrew";
    const Listing listing = ginfoListing(members);
    const Lines groups = {"200- #users  Group Abbr.      Group Description",
                          "200- ----------------------------------------------------------------------",
                          "200- (" + column(std::to_string(members), 4, true) + ")  bigcrew          Big crew",
                          "200- ",
                          "200 1 user groups, 0 privileged groups."};
    const std::map<std::string, Lines> prepared = {{"SITE GROUPS", groups},
                                                   {"SITE GRP " + group, grpScreen(group)},
                                                   {"SITE GINFO " + group, listing.reply},
                                                   {"SITE USERS deleted", noDeleted},
                                                   {"SITE USERS =" + group, groupUsers(members)}};
    Measurement best;
    for (int rep = 0; rep < repetitions; ++rep) {
        restoreReplies(prepared);
        AdminContext context = benchContext();
        HWND page = createAdminPage(AdminPage::Groups, hostWindow, context);
        if (page == nullptr) {
            return report("Host group members", members, Measurement());
        }
        click(page, IDC_ADMIN_GROUP_LOAD);
        paintNow(hostWindow);
        const double start = nowMicroseconds();
        const LRESULT index = SendDlgItemMessageA(page, IDC_ADMIN_GROUP_LIST, LB_SELECTSTRING,
                                                  static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(group.c_str()));
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_ADMIN_GROUP_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_ADMIN_GROUP_LIST)));
        const bool picked = index != LB_ERR;
        pumpMessages();
        paintNow(page);
        const double elapsed = nowMicroseconds() - start;
        const int shown = itemCount(page, IDC_ADMIN_MEMBER_LIST);
        const double bare = timeBare(GetDlgItem(page, IDC_ADMIN_MEMBER_LIST), listing.cells);
        DestroyWindow(page);
        pumpMessages();
        if (!picked || shown != members) {
            std::fprintf(stderr, "Groups: %d members shown, not %d\n", shown, members);
            return report("Host group members", members, Measurement());
        }
        keepBest(best, elapsed, bare);
    }
    return report("Host group members", members, best);
}

// A site script's long answer (a SITE command listing releases), as glftpd
// passes it on.
Lines scriptReply(int lines) {
    Lines reply;
    reply.reserve(static_cast<std::size_t>(lines) + 1);
    char row[160];
    for (int i = 0; i < lines; ++i) {
        std::snprintf(row, sizeof row, "200- | %05d | Some.Release.Name.%06d-GRP | 2026-12-08 04:%02d | %6d MiB |",
                      i % 100000, i, i % 60, (i * 37) % 900000);
        reply.push_back(row);
    }
    reply.push_back("200 Command Successful.");
    return reply;
}

// The whole reply in an edit of the result box's style, font and size, in a
// plain window: its lines without their codes, one text, shown and painted.
double timeWholeReply(HWND resultBox, const Lines& reply) {
    RECT place{};
    GetWindowRect(resultBox, &place);
    HWND plain = CreateWindowExW(0, L"QuorinAdminBenchPlain", L"", WS_CHILD, 0, 0, 1000, 750, hostWindow, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    HWND edit = CreateWindowExW(static_cast<DWORD>(GetWindowLongW(resultBox, GWL_EXSTYLE)), L"EDIT", L"",
                                static_cast<DWORD>(GetWindowLongW(resultBox, GWL_STYLE)) | WS_VISIBLE, 10, 10,
                                place.right - place.left, place.bottom - place.top, plain, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(edit, WM_SETFONT, SendMessageW(resultBox, WM_GETFONT, 0, 0), FALSE);
    paintNow(hostWindow);

    const double start = nowMicroseconds();
    std::string text = "> SITE RELEASES\r\n";
    for (const std::string& line : reply) {
        text += line.substr(line.size() > 4 && line[3] == '-' ? 5 : 4) + "\r\n";
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &wide[0], length);
    SetWindowTextW(edit, wide.c_str());
    ShowWindow(plain, SW_SHOW);
    paintNow(plain);
    const double elapsed = nowMicroseconds() - start;
    DestroyWindow(plain);
    pumpMessages();
    return elapsed;
}

// The Own commands page: Send on a command whose reply has `lines` lines,
// until the page is painted.
bool benchOwnCommandReply(int lines, int repetitions, bool withBare) {
    const std::map<std::string, Lines> prepared = {{"SITE RELEASES", scriptReply(lines)}};
    Measurement best;
    for (int rep = 0; rep < repetitions; ++rep) {
        restoreReplies(prepared);
        AdminContext context = benchContext();
        context.loadOwnCommands = [] { return Lines{"SITE RELEASES"}; };
        HWND page = createAdminPage(AdminPage::OwnCommands, hostWindow, context);
        if (page == nullptr) {
            return report("Host own command reply", lines, Measurement());
        }
        SendDlgItemMessageW(page, IDC_ADMIN_OWN_LIST, LB_SETCURSEL, 0, 0);
        paintNow(hostWindow);
        const double start = nowMicroseconds();
        click(page, IDC_ADMIN_OWN_SEND);
        paintNow(page);
        const double elapsed = nowMicroseconds() - start;
        const int shown = GetWindowTextLengthW(GetDlgItem(page, IDC_ADMIN_RESULT));
        restoreReplies(prepared);
        const bool bareNow = withBare && (rep == 0 || lines < 100000);
        const double bare =
            bareNow ? timeWholeReply(GetDlgItem(page, IDC_ADMIN_RESULT), replies["SITE RELEASES"]) : best.bare;
        DestroyWindow(page);
        pumpMessages();
        if (shown < 30) {
            std::fprintf(stderr, "Own commands: the reply was not shown\n");
            return report("Host own command reply", lines, Measurement());
        }
        keepBest(best, elapsed, bare);
    }
    return report("Host own command reply", lines, best);
}

// A change record of `lines` changes as the host writes it, and the cells
// the History page shows of each, newest first.
Listing changeRecord(int lines) {
    static const char* const pages[] = {"Groups", "Accounts", "Edit user", "Add user", "Nuke dialog"};
    static const char* const outcomes[] = {"took", "took", "took", "refused", "unknown"};
    Listing listing;
    std::string text = history::recordHeading("Bench");
    std::uint32_t state = 57;
    const Lines names = makeNames(lines, 13u);
    for (int i = 0; i < lines; ++i) {
        history::Change change;
        char time[40];
        std::snprintf(time, sizeof time, "2026-%02d-%02dT%02d:%02d:%02d+01:00", 1 + i / 100000 % 12, 1 + i / 3600 % 28,
                      i / 60 % 24, i % 60, (i * 7) % 60);
        change.time = time;
        change.account = "siteop";
        change.page = pages[nextRandom(state) % 5];
        change.command = "SITE CHANGE " + names[static_cast<std::size_t>(i)] + " comment Courier since " +
                         std::to_string(2000 + nextRandom(state) % 26);
        const std::uint32_t kind = nextRandom(state) % 5;
        change.server = kind == 3 ? "200 User '" + names[static_cast<std::size_t>(i)] + "' does not exist."
                                  : "200 Command Successful.";
        change.readBack = kind == 4 ? "no read-back reported" : "written and read back";
        history::outcomeOfWord(outcomes[kind], change.outcome);
        text += history::recordLine(change);
        listing.cells.push_back({change.time, outcomes[kind], change.page, change.command, change.server,
                                 change.readBack, change.account});
    }
    std::reverse(listing.cells.begin(), listing.cells.end());
    listing.reply = {text};
    return listing;
}

// The History page: picking a site whose record holds `lines` changes
// until its first screen is painted (the record read from its file).
bool benchHistory(int lines, int repetitions) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "quorin-history-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const Listing listing = changeRecord(lines);
    history::RecordFiles files(folder);
    const history::RecordKey key{true, "Bench"};
    const std::string path = files.pathOf(key);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, listing.reply[0].data(), static_cast<DWORD>(listing.reply[0].size()), &written, nullptr);
    CloseHandle(file);
    history::FilesShelf shelf(files);
    shelf.savedNames = [] { return Lines{"Bench", "Other"}; };
    shelf.served = [] { return std::string("site:Other"); };
    Measurement best;
    bool ok = written == listing.reply[0].size();
    for (int rep = 0; rep < repetitions && ok; ++rep) {
        AdminContext context = benchContext();
        context.changeRecords = &shelf;
        HWND page = createAdminPage(AdminPage::History, hostWindow, context);
        if (page == nullptr) {
            ok = false;
            break;
        }
        pumpMessages();
        paintNow(hostWindow);
        const double start = nowMicroseconds();
        SendDlgItemMessageW(page, IDC_HISTORY_SITE, CB_SETCURSEL, 0, 0);  // "Bench"
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_SITE, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_HISTORY_SITE)));
        paintNow(page);
        const double elapsed = nowMicroseconds() - start;
        const int shown = itemCount(page, IDC_HISTORY_LIST);
        const double bare = timeBare(GetDlgItem(page, IDC_HISTORY_LIST), listing.cells);
        DestroyWindow(page);
        pumpMessages();
        if (shown != lines) {
            std::fprintf(stderr, "History: %d changes shown, not %d\n", shown, lines);
            ok = false;
            break;
        }
        keepBest(best, elapsed, bare);
    }
    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
    return report("Host history", lines, ok ? best : Measurement());
}

// ---------------------------------------------------------------------------
// Online now and Top lists (host/glance).

// SITE SWHO and SITE WHO of `count` sessions as glftpd 2.13 writes them, and
// the cells the page shows for each (PID, user, group, ident@host, online,
// idle, TLS, doing, speed).
struct Sessions {
    Lines swho, who;
    std::vector<Lines> cells;
};

Sessions sessionsOf(int count) {
    Sessions sessions;
    sessions.swho = {"200- .-------------------------------------------------------------------------.",
                     "200- | PiD     User        Ident@Host            Online    Idle      Cryption  |",
                     "200- |-------+-----------+---------------------+---------+---------+-----------|"};
    sessions.who = {"200-  Users Logged Onto MSN",
                    "200- .-------------------------------------------------------------------------.",
                    "200- | User        Group      Unfo               Action                        |",
                    "200- |-----------+----------+------------------+-------------------------------|"};
    std::uint32_t state = 57;
    const Lines names = makeNames(count, 13u);
    double up = 0, down = 0;
    for (int i = 0; i < count; ++i) {
        const std::string pid = std::to_string(20000 + i);
        const std::string user = names[static_cast<std::size_t>(i)].substr(0, 9);
        const std::string group = "grp" + std::to_string(nextRandom(state) % 30);
        const std::string host = user + "@10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256);
        const std::string online = std::to_string(nextRandom(state) % 60) + "m " + std::to_string(i % 60) + "s";
        const std::string idle = "0m " + std::to_string(nextRandom(state) % 60) + "s";
        const std::string tls = i % 3 == 0 ? "none" : "ctrl&data";
        std::string action = "IDLE for " + idle, doing = "idle", speed;
        if (i % 4 == 1) {
            const double kib = 100.0 + nextRandom(state) % 900;
            char text[32];
            std::snprintf(text, sizeof text, "%.1fKiB/s", kib);
            action = "UL: release-" + std::to_string(i).substr(0, 4) + ".r at " + text;
            doing = "UL: release-" + std::to_string(i).substr(0, 4) + ".r";
            std::snprintf(text, sizeof text, "%.1f KiB/s", kib);
            speed = text;
            up += kib;
        }
        sessions.swho.push_back("200- | " + column(pid, 5, true) + " | " + column(user, 9, false) + " | " +
                                column(host, 19, false) + " | " + column(online, 7, false) + " | " +
                                column(idle, 7, false) + " | " + column(tls, 9, false) + " |");
        sessions.who.push_back("200- | " + column(user, 9, false) + " | " + column(group, 8, false) +
                               " | No Tagline Set   | " + column(action, 29, false) + " |");
        sessions.cells.push_back({pid, user, group, host, online, idle, tls, doing, speed});
    }
    sessions.swho.push_back("200- `-------+-----------+---------------------+---------+---------+-----------'");
    sessions.swho.push_back("200- ");
    sessions.swho.push_back("200 Command Successful.");
    char totals[160];
    std::snprintf(totals, sizeof totals, "200- | Total upload speed:%14s | Total download speed:%14s |",
                  (std::to_string(static_cast<int>(up)) + ".0KiB/s").c_str(),
                  (std::to_string(static_cast<int>(down)) + ".0KiB/s").c_str());
    sessions.who.push_back("200- |-----------+----------+------------+-----+-------------------------------|");
    sessions.who.push_back(totals);
    sessions.who.push_back("200- |-----------------------------------+-------------------------------------|");
    sessions.who.push_back("200- | " + column(" " + std::to_string(count) + " of " + std::to_string(count + 20) +
                                               " User(s) Currently Online", 71, false) + " |");
    sessions.who.push_back("200- `-------------------------------------------------------------------------'");
    sessions.who.push_back("200 Command Successful.");
    return sessions;
}

// Online now: the click on Refresh until the sessions are painted (what
// every automatic refresh costs the window).
bool benchOnlineNow(int count, int repetitions) {
    const Sessions sessions = sessionsOf(count);
    const std::map<std::string, Lines> prepared = {{"SITE SWHO", sessions.swho}, {"SITE WHO", sessions.who}};
    Measurement best;
    for (int rep = 0; rep < repetitions; ++rep) {
        restoreReplies(prepared);
        AdminContext context = benchContext();
        HWND page = createAdminPage(AdminPage::OnlineNow, hostWindow, context);
        if (page == nullptr) {
            return report("Host online now", count, Measurement());
        }
        paintNow(hostWindow);
        const double start = nowMicroseconds();
        click(page, IDC_GLANCE_REFRESH);
        paintNow(page);
        const double elapsed = nowMicroseconds() - start;
        const int shown = itemCount(page, IDC_GLANCE_SESSIONS);
        const double bare = timeBare(GetDlgItem(page, IDC_GLANCE_SESSIONS), sessions.cells);
        DestroyWindow(page);
        pumpMessages();
        if (shown != count) {
            std::fprintf(stderr, "Online now: %d sessions shown, not %d\n", shown, count);
            return report("Host online now", count, Measurement());
        }
        keepBest(best, elapsed, bare);
    }
    return report("Host online now", count, best);
}

// A top list of `count` users as glftpd 2.13 writes it, and its table's cells.
Listing topListOf(int count) {
    Listing listing;
    listing.reply = {"200-                        TOP UPLOADERS FOR THIS WEEK",
                     "200- .-=-------------------------------------------------------------------=-.",
                     "200- | ## User         Location/Tagline         Files     Size    Avg speed  |",
                     "200- |-=-------------------------------------------------------------------=-|"};
    const Lines names = makeNames(count, 17u);
    for (int i = 0; i < count; ++i) {
        char line[160];
        const int mib = 90000 - i * 800;
        const std::string name = names[static_cast<std::size_t>(i)].substr(0, 12);
        std::snprintf(line, sizeof line, "200- [%02d] %-12s %-22s %7d %11s %11s", i + 1, name.c_str(),
                      "No Tagline Set", 100 + i, (std::to_string(mib) + "MiB").c_str(),
                      (std::to_string(1000 + i) + "KiB/s").c_str());
        listing.reply.push_back(line);
        char amount[32];
        std::snprintf(amount, sizeof amount, "%.2f GiB", mib / 1024.0);
        listing.cells.push_back({std::to_string(i + 1), name, amount, std::to_string(100 + i),
                                 std::to_string(1000 + i) + ".0 KiB/s"});
    }
    listing.reply.push_back("200- `-=-------------------------------------------------------------------=-'");
    listing.reply.push_back("200 Command Successful.");
    return listing;
}

// The same rows drawn bare where the page's chart is: in a plain window of
// its size and font, the rows that fit, each a bar and its name and amount
// drawn straight on the window (no layout, no drawing off the screen).
double timeBareChart(HWND pageChart, const std::vector<Lines>& cells) {
    RECT place{};
    GetWindowRect(pageChart, &place);
    MapWindowPoints(nullptr, GetParent(pageChart), reinterpret_cast<POINT*>(&place), 2);
    HWND plain = CreateWindowExW(0, L"QuorinAdminBenchPlain", L"", WS_CHILD, place.left, place.top,
                                 place.right - place.left, place.bottom - place.top, hostWindow, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(GetParent(pageChart), WM_GETFONT, 0, 0));
    paintNow(hostWindow);

    const double start = nowMicroseconds();
    ShowWindow(plain, SW_SHOW);
    HDC dc = GetDC(plain);
    HGDIOBJ oldFont = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT client{};
    GetClientRect(plain, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HBRUSH bar = CreateSolidBrush(RGB(70, 130, 200));
    SetBkMode(dc, TRANSPARENT);
    const int line = metrics.tmHeight + 4;
    for (std::size_t row = 0; row < cells.size() && static_cast<int>(row) * line < client.bottom; ++row) {
        const int top = static_cast<int>(row) * line;
        const int width = (client.right - 200) * static_cast<int>(cells.size() - row) / static_cast<int>(cells.size());
        RECT barBox{80, top + 2, 80 + width, top + line - 2};
        FillRect(dc, &barBox, bar);
        const std::wstring name = wide_text::toWide(cells[row][1]);
        RECT nameBox{0, top, 76, top + line};
        DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &nameBox, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
        const std::wstring amount = wide_text::toWide(cells[row][2] + " " + cells[row][3] + " files " + cells[row][4]);
        RECT amountBox{84 + width, top, client.right, top + line};
        DrawTextW(dc, amount.c_str(), static_cast<int>(amount.size()), &amountBox, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    }
    DeleteObject(bar);
    SelectObject(dc, oldFont);
    ReleaseDC(plain, dc);
    paintNow(plain);
    const double elapsed = nowMicroseconds() - start;
    DestroyWindow(plain);
    pumpMessages();
    return elapsed;
}

// Top lists: the click on Show until the chart and the table are painted.
bool benchTopList(int count, int repetitions) {
    const Listing listing = topListOf(count);
    const std::map<std::string, Lines> prepared = {{"SITE WKUP 100", listing.reply}};
    Measurement best;
    for (int rep = 0; rep < repetitions; ++rep) {
        restoreReplies(prepared);
        AdminContext context = benchContext();
        HWND page = createAdminPage(AdminPage::TopLists, hostWindow, context);
        if (page == nullptr) {
            return report("Host top list", count, Measurement());
        }
        SetDlgItemTextW(page, IDC_GLANCE_COUNT, L"100");
        paintNow(hostWindow);
        const double start = nowMicroseconds();
        click(page, IDC_GLANCE_SHOW);
        paintNow(page);
        const double elapsed = nowMicroseconds() - start;
        const int shown = itemCount(page, IDC_GLANCE_TABLE);
        // The page shows the rows twice, as a table and as a chart: its bare
        // cost is both, each drawn bare.
        const double bare = timeBare(GetDlgItem(page, IDC_GLANCE_TABLE), listing.cells) +
                            timeBareChart(GetDlgItem(page, IDC_GLANCE_CHART), listing.cells);
        DestroyWindow(page);
        pumpMessages();
        if (shown != count) {
            std::fprintf(stderr, "Top lists: %d entries shown, not %d\n", shown, count);
            return report("Host top list", count, Measurement());
        }
        keepBest(best, elapsed, bare);
    }
    return report("Host top list", count, best);
}

}  // namespace

int main(int argc, char** argv) {
    int repetitions = 5;
    bool smoke = false;
    int ownReplyLines = -1;
    bool withBare = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            smoke = true;
        } else if (std::strcmp(argv[i], "--own-reply-lines") == 0 && i + 1 < argc) {
            ownReplyLines = std::max(0, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--no-bare") == 0) {
            withBare = false;
        } else if (std::strcmp(argv[i], "--reps") == 0 && i + 1 < argc) {
            repetitions = std::max(1, std::atoi(argv[++i]));
        }
    }
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuorinAdminBenchHost";
    RegisterClassW(&windowClass);
    windowClass.lpfnWndProc = plainProc;
    windowClass.lpszClassName = L"QuorinAdminBenchPlain";
    RegisterClassW(&windowClass);
    hostWindow = CreateWindowExW(0, L"QuorinAdminBenchHost", L"Bench host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                 0, 0, 1000, 750, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(hostWindow, SW_SHOW);

    bool ok = true;
    if (ownReplyLines >= 0) {
        ok &= benchOwnCommandReply(ownReplyLines, repetitions, withBare);
    } else if (smoke) {
        ok &= benchAccounts(40, 1);
        ok &= benchGroupMembers(30, 1);
        ok &= benchOwnCommandReply(40, 1, true);
        ok &= benchHistory(50, 1);
        ok &= benchOnlineNow(12, 1);
        ok &= benchTopList(10, 1);
    } else {
        // Size 0: an empty listing, what the page costs before any row.
        for (int accounts : {0, 1000, 10000, 50000}) {
            ok &= benchAccounts(accounts, repetitions);
        }
        for (int members : {0, 100, 1000}) {
            ok &= benchGroupMembers(members, repetitions);
        }
        // The whole reply in an edit takes half a minute at 100,000 lines
        // (measured once there); 700,000: --own-reply-lines 700000.
        for (int lines : {0, 1000, 10000, 100000}) {
            ok &= benchOwnCommandReply(lines, repetitions, true);
        }
        for (int lines : {0, 1000, 100000}) {
            ok &= benchHistory(lines, repetitions);
        }
        for (int sessions : {0, 50, 500}) {
            ok &= benchOnlineNow(sessions, repetitions);
        }
        for (int entries : {0, 10, 100}) {
            ok &= benchTopList(entries, repetitions);
        }
    }
    DestroyWindow(hostWindow);
    return ok ? 0 : 1;
}
