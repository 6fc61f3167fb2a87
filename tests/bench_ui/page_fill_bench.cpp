// How long a page takes from InitDialog until it is filled, on big sites,
// beside the bare cost of putting the same strings into the same kind of
// control with the same styles in a plain window. Every page run is a fresh
// load of the plug-in, so the site directory's load counts too.
//
//   page_fill_bench.exe [--reps N] [--dll name] [--smoke]
//
// Prints one line a measurement, tab-separated:
//   fill <page> <size> <page microseconds> <bare microseconds>
// (the minimum over the repetitions); size 0 is the page on an empty site. --smoke runs every page once at a tiny
// size and only checks that each page comes up filled; the exit code says
// whether every page did.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/served/plugin_library_win32.h"
#include "plugin/host_channel.h"
#include "plugin/page_host.h"
#include "resources/resource_ids.h"
#include "tests/bench/restorable_reply.h"

namespace {


// The templates' styles (resources/plugin.rc), as the page's controls have them.
constexpr DWORD sortedComboStyle =
    WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD sortedListStyle = WS_CHILD | WS_VISIBLE | LBS_SORT | LBS_NOTIFY |
                                  LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD listViewStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL |
                                LVS_SHOWSELALWAYS | LVS_SORTASCENDING | LVS_NOSORTHEADER |
                                WS_BORDER | WS_TABSTOP;

// ---------------------------------------------------------------------------
// Synthetic site content: names as operators pick them (letters, digits, an
// underscore now and then, a capital sometimes), listed in no order.

std::uint32_t nextRandom(std::uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

std::vector<std::string> makeNames(int count, std::uint32_t seed, const char* prefix) {
    static const char* const syllables[] = {"ka", "ro", "mi", "zen", "tor", "ax", "li", "qu",
                                            "be", "dra", "no", "vex", "sil", "um", "pa", "he"};
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(count));
    std::uint32_t state = seed;
    for (int i = 0; i < count; ++i) {
        // Letters, then the number: the split is unambiguous, so names are unique.
        std::string suffix = nextRandom(state) % 5 == 0 ? "_" : "";
        suffix += std::to_string(i);
        std::string name = prefix;
        const int parts = 1 + static_cast<int>(nextRandom(state) % 2);
        for (int part = 0; part < parts; ++part) {
            name += syllables[nextRandom(state) % 16];
        }
        if (nextRandom(state) % 7 == 0) {
            name[0] = static_cast<char>(name[0] - 'a' + 'A');
        }
        name.resize(std::min(name.size(), 11 - suffix.size()));
        names.push_back(name + suffix);
    }
    // Unique and shuffled: the server lists accounts in directory order.
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (std::size_t i = names.size(); i > 1; --i) {
        std::swap(names[i - 1], names[nextRandom(state) % i]);
    }
    return names;
}

struct Site {
    std::vector<std::string> users;
    std::vector<std::string> publicGroups;
    std::vector<std::string> privateGroups;
    std::vector<std::string> onlineUsers;  // one a connection
};

std::vector<std::string> userListingLines(const std::vector<std::string>& users) {
    std::vector<std::string> lines = {
        "200-                          -=[ MSN User Listing ]=-                       ",
        "200-                                                                          "};
    std::string line = "200- ";
    for (std::size_t i = 0; i < users.size(); ++i) {
        line += users[i];
        line.append(12 - users[i].size(), ' ');
        if (i % 6 == 5 || i + 1 == users.size()) {
            line.resize(77, ' ');
            lines.push_back(line);
            line = "200- ";
        }
    }
    lines.push_back("200-                                                                          ");
    lines.push_back("200-       - Use SITE USER <username> for a more informative listing. -       ");
    lines.push_back("200- ");
    lines.push_back("200 " + std::to_string(users.size()) + " total users on site.");
    return lines;
}

std::string padded(const std::string& text, std::size_t width) {
    std::string out = text;
    if (out.size() < width) {
        out.append(width - out.size(), ' ');
    }
    return out;
}

std::vector<std::string> groupListingLines(const Site& site) {
    std::vector<std::string> lines = {
        "200- #users  Group Abbr.      Group Description",
        "200- ----------------------------------------------------------------------"};
    char count[16];
    for (std::size_t i = 0; i < site.publicGroups.size(); ++i) {
        std::snprintf(count, sizeof count, "(%4u)", static_cast<unsigned>(i % 40));
        lines.push_back(std::string("200- ") + count + "  " + padded(site.publicGroups[i], 16) +
                        " Release group " + std::to_string(i));
    }
    lines.push_back("200- ");
    for (std::size_t i = 0; i < site.privateGroups.size(); ++i) {
        lines.push_back("200-  *" + padded(site.privateGroups[i], 16) + " Private group " +
                        std::to_string(i));
    }
    lines.push_back("200-  ");
    lines.push_back("200- A '*' denotes a private group.  Type SITE CHGRP to add ");
    lines.push_back("200- or remove users from these groups.  ");
    lines.push_back("200-  ");
    lines.push_back("200 " + std::to_string(site.publicGroups.size()) + " user groups, " +
                    std::to_string(site.privateGroups.size()) + " privileged groups.");
    return lines;
}

std::string pidOf(std::size_t row) {
    return std::to_string(1000 + row * 7 % 98000);
}

std::vector<std::string> swhoLines(const Site& site) {
    std::vector<std::string> lines = {
        "200- .-------------------------------------------------------------------------.",
        "200- | PiD     User        Ident@Host            Online    Idle      Cryption  |",
        "200- |-------+-----------+---------------------+---------+---------+-----------|"};
    for (std::size_t i = 0; i < site.onlineUsers.size(); ++i) {
        std::string pid = pidOf(i);
        lines.push_back("200- | " + std::string(5 - std::min<std::size_t>(pid.size(), 5), ' ') + pid +
                        " | " + padded(site.onlineUsers[i], 9) +
                        " | *@198.51.100.17     | 12m 40s | 4m 10s  | ctrl      |");
    }
    lines.push_back("200- `-------+-----------+---------------------+---------+---------+-----------'");
    lines.push_back("200- ");
    lines.push_back("200 Command Successful.");
    return lines;
}

// ---------------------------------------------------------------------------
// The host side: replies prepared once, handed over as writable lines and
// restored before each hand-over (the plug-in cuts fields in place).

ReplyLine* handOver(RestorableReply& reply) {
    reply.restore();
    return reply.head();
}

std::map<std::string, RestorableReply> replies;
RestorableReply plainSuccess({"200 Command Successful."});
int channelFaults = 0;
int keptReplies = 0;

std::int32_t HOST_CDECL hostCallback(HostRequest* request) {
    if (request->action == ACTION_RELEASE_REPLY) {
        if (keptReplies-- <= 0) {
            ++channelFaults;
        }
        request->replyLines = nullptr;
        return 1;
    }
    if (request->action != ACTION_SEND_COMMAND) {
        return 1;
    }
    request->replyCode = 200;
    if (request->param == 1) {
        auto found = replies.find(request->command != nullptr ? request->command : "");
        request->replyLines = found != replies.end() ? handOver(found->second) : handOver(plainSuccess);
        ++keptReplies;
    }
    return 1;
}

void serve(const Site& site) {
    replies.clear();
    replies["SITE USER"] = RestorableReply(userListingLines(site.users));
    replies["SITE GROUPS"] = RestorableReply(groupListingLines(site));
    replies["SITE SWHO"] = RestorableReply(swhoLines(site));
}

// ---------------------------------------------------------------------------

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
    for (int i = 0; i < 10000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND hostWindow = nullptr;
HFONT dialogFont = nullptr;
std::string dllName;

// Paints whatever is waiting, the host window and every child.
void paintNow() {
    RedrawWindow(hostWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// What a page must show once filled: a control and its item count.
struct Expectation {
    int controlId;
    int items;
};

struct PageCase {
    const char* name;
    std::int32_t pageId;
    std::vector<Expectation> filled;
};

int itemCount(HWND control) {
    char className[32] = {};
    GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "ComboBox") == 0) {
        return static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0));
    }
    if (lstrcmpiA(className, "ListBox") == 0) {
        return static_cast<int>(SendMessageA(control, LB_GETCOUNT, 0, 0));
    }
    return static_cast<int>(SendMessageA(control, LVM_GETITEMCOUNT, 0, 0));
}

// One fresh load of the plug-in, one page shown; the time from the call to
// InitDialog until the page is filled and painted. Negative on a failure.
double timePage(const PageCase& page) {
    PluginLibrary plugin;
    std::string error;
    if (!plugin.load(dllName, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return -1;
    }
    double elapsed = -1;
    {
        const double start = nowMicroseconds();
        HWND shown = plugin.initDialog(page.pageId, hostWindow, hostCallback);
        if (shown != nullptr) {
            paintNow();
            elapsed = nowMicroseconds() - start;
            for (const Expectation& expected : page.filled) {
                const int items = itemCount(GetDlgItem(shown, expected.controlId));
                if (items != expected.items) {
                    std::fprintf(stderr, "%s: control %d holds %d items, not %d\n", page.name,
                                 expected.controlId, items, expected.items);
                    elapsed = -1;
                }
            }
        }
    }
    plugin.unload();
    pumpMessages();
    if (keptReplies != 0 || channelFaults != 0) {
        std::fprintf(stderr, "%s: replies not released as kept\n", page.name);
        keptReplies = 0;
        channelFaults = 0;
        elapsed = -1;
    }
    return elapsed;
}

// The bare cost: a plain window, the same kind of controls with the same
// styles and font, the same strings added in the listing's order.
struct BareControl {
    enum Kind { COMBO, LIST_BOX, LIST_VIEW } kind;
    const std::vector<std::string>* texts;
    const std::vector<std::string>* seconds;  // list views: the second column
    int extra;                                 // combos: entries the page adds
};

HWND createControl(HWND parent, const BareControl& control, int index) {
    const int x = 10 + 250 * (index % 3);
    const int y = 10 + 200 * (index / 3);
    HWND window = nullptr;
    if (control.kind == BareControl::COMBO) {
        window = CreateWindowExA(0, "COMBOBOX", "", sortedComboStyle, x, y, 123, 275, parent,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    } else if (control.kind == BareControl::LIST_BOX) {
        window = CreateWindowExA(WS_EX_NOPARENTNOTIFY, "LISTBOX", "", sortedListStyle, x, y, 110,
                                 55, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    } else {
        window = CreateWindowExA(0, WC_LISTVIEWA, "", listViewStyle, x, y, 236, 140, parent,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
    return window;
}

void fillBare(HWND window, const BareControl& control) {
    if (control.kind == BareControl::COMBO || control.kind == BareControl::LIST_BOX) {
        const UINT add = control.kind == BareControl::COMBO ? CB_ADDSTRING : LB_ADDSTRING;
        for (const std::string& text : *control.texts) {
            SendMessageA(window, add, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        for (int i = 0; i < control.extra; ++i) {
            SendMessageA(window, add, 0, reinterpret_cast<LPARAM>("(gl default)"));
        }
        return;
    }
    const char* titles[2] = {"Name", "Info"};
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNA header{};
        header.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        header.cx = 100;
        header.pszText = const_cast<char*>(titles[column]);
        header.iSubItem = column;
        SendMessageA(window, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&header));
    }
    SendMessageA(window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageA(window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
    for (std::size_t i = 0; i < control.texts->size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.pszText = const_cast<char*>((*control.texts)[i].c_str());
        const LRESULT row = SendMessageA(window, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        LVITEMA cell{};
        cell.iSubItem = 1;
        cell.pszText = const_cast<char*>((*control.seconds)[i].c_str());
        SendMessageA(window, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    }
}

double timeBare(const std::vector<BareControl>& controls) {
    // Like a dialog during WM_INITDIALOG: created hidden, shown once filled.
    HWND plain = CreateWindowExA(0, "QuorinBenchPlain", "", WS_CHILD, 0, 0, 800, 500, hostWindow,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    paintNow();
    // Creating the controls counts: the page creates its own too.
    const double start = nowMicroseconds();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        fillBare(createControl(plain, controls[i], static_cast<int>(i)), controls[i]);
    }
    ShowWindow(plain, SW_SHOW);
    paintNow();
    const double elapsed = nowMicroseconds() - start;
    DestroyWindow(plain);
    pumpMessages();
    return elapsed;
}

struct Measurement {
    double page;
    double bare;
};

Measurement measure(const PageCase& page, const std::vector<BareControl>& bare, int repetitions) {
    Measurement best{-1, -1};
    for (int rep = 0; rep < repetitions; ++rep) {
        const double pageTime = timePage(page);
        if (pageTime < 0) {
            return {-1, -1};
        }
        const double bareTime = timeBare(bare);
        if (best.page < 0 || pageTime < best.page) {
            best.page = pageTime;
        }
        if (best.bare < 0 || bareTime < best.bare) {
            best.bare = bareTime;
        }
    }
    return best;
}

int count(const std::vector<std::string>& texts) {
    return static_cast<int>(texts.size());
}

bool report(const char* page, int size, const Measurement& measured) {
    if (measured.page < 0) {
        std::printf("fail\t%s\t%d\n", page, size);
        return false;
    }
    std::printf("fill\t%s\t%d\t%.0f\t%.0f\n", page, size, measured.page, measured.bare);
    std::fflush(stdout);
    return true;
}

// The four pages that offer user and group names, on a site of `users`
// accounts and `groups` groups (a tenth of them private).
bool runUserPages(int users, int groups, int repetitions) {
    Site site;
    site.users = makeNames(users, 7u + static_cast<std::uint32_t>(users), "");
    site.publicGroups = makeNames(groups - groups / 10, 11u, "g");
    site.privateGroups = makeNames(groups / 10, 13u, "p");
    serve(site);
    const int userCount = count(site.users);
    const int publicCount = count(site.publicGroups);
    const int privateCount = count(site.privateGroups);
    const BareControl userCombo{BareControl::COMBO, &site.users, nullptr, 0};
    const BareControl groupCombo{BareControl::COMBO, &site.publicGroups, nullptr, 0};
    bool ok = true;

    PageCase editUser{"Edit user", PAGE_EDIT_USER,
                      {{IDC_EDITUSER_USERNAME, userCount},
                       {IDC_EDITUSER_AVAIL_GROUPS, publicCount},
                       {IDC_EDITUSER_AVAIL_PRIVATE_GROUPS, privateCount}}};
    ok &= report(editUser.name, users,
                 measure(editUser,
                         {userCombo,
                          {BareControl::LIST_BOX, &site.publicGroups, nullptr, 0},
                          {BareControl::LIST_BOX, &site.privateGroups, nullptr, 0}},
                         repetitions));

    PageCase userCommands{"User commands", PAGE_USER_COMMANDS,
                          {{IDC_USERCMD_USERNAME, userCount}, {IDC_USERCMD_LIST_GROUP, publicCount}}};
    ok &= report(userCommands.name, users, measure(userCommands, {userCombo, groupCombo}, repetitions));

    PageCase siteCommands{"Site commands", PAGE_SITE_COMMANDS,
                          {{IDC_SITECMD_MSG_USER, userCount}, {IDC_SITECMD_MSG_GROUP, publicCount}}};
    ok &= report(siteCommands.name, users, measure(siteCommands, {userCombo, groupCombo}, repetitions));

    PageCase addUser{"Add user", PAGE_ADD_USER,
                     {{IDC_ADDUSER_GROUP, publicCount + 1}, {IDC_ADDUSER_PRIVATE_GROUP, privateCount + 1}}};
    ok &= report(addUser.name, users,
                 measure(addUser,
                         {{BareControl::COMBO, &site.publicGroups, nullptr, 1},
                          {BareControl::COMBO, &site.privateGroups, nullptr, 1}},
                         repetitions));
    return ok;
}

// The two list-view pages with `rows` rows.
bool runListPages(int rows, int repetitions) {
    Site site;
    site.users = makeNames(1000, 5u, "");
    site.publicGroups = makeNames(rows, 17u + static_cast<std::uint32_t>(rows), "g");
    site.privateGroups = makeNames(10, 19u, "p");
    // Busy sites have accounts logged in more than once.
    std::vector<std::string> accounts = makeNames(rows - rows / 10, 23u, "");
    site.onlineUsers = accounts;
    for (int i = 0; static_cast<int>(site.onlineUsers.size()) < rows; ++i) {
        site.onlineUsers.push_back(accounts[static_cast<std::size_t>(i * 3) % accounts.size()]);
    }
    // The SWHO user column is 9 characters wide.
    for (std::string& name : site.onlineUsers) {
        name = name.substr(0, 9);
    }
    serve(site);
    std::vector<std::string> infos;
    std::vector<std::string> pids;
    for (std::size_t i = 0; i < site.publicGroups.size(); ++i) {
        infos.push_back("Release group " + std::to_string(i));
    }
    for (std::size_t i = 0; i < site.onlineUsers.size(); ++i) {
        pids.push_back(pidOf(i));
    }
    bool ok = true;
    PageCase groups{"Groups", PAGE_GROUPS, {{IDC_GROUPS_LIST, count(site.publicGroups)}}};
    ok &= report(groups.name, rows,
                 measure(groups, {{BareControl::LIST_VIEW, &site.publicGroups, &infos, 0}}, repetitions));
    PageCase online{"Online users", PAGE_ONLINE_USERS, {{IDC_ONLINE_LIST, count(site.onlineUsers)}}};
    ok &= report(online.name, rows,
                 measure(online, {{BareControl::LIST_VIEW, &site.onlineUsers, &pids, 0}}, repetitions));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    int repetitions = 5;
    bool smoke = false;
    const char* dll = "quorin_glftpd_1_24.dll";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0) {
            smoke = true;
        } else if (std::strcmp(argv[i], "--reps") == 0 && i + 1 < argc) {
            repetitions = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--dll") == 0 && i + 1 < argc) {
            dll = argv[++i];
        }
    }
    dllName = dll;

    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuorinBenchHost";
    RegisterClassA(&windowClass);
    windowClass.lpszClassName = "QuorinBenchPlain";
    RegisterClassA(&windowClass);
    hostWindow = CreateWindowExA(0, "QuorinBenchHost", "Bench host",
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 900, 700, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(hostWindow, SW_SHOW);
    // The font the page templates name.
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    dialogFont = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                             0, 0, "MS Sans Serif");

    bool ok = true;
    if (smoke) {
        ok &= runUserPages(40, 12, 1);
        ok &= runListPages(30, 1);
    } else {
        // Size 0: the page on an empty site, what it costs before any fill.
        ok &= runUserPages(0, 0, repetitions);
        for (int users : {1000, 10000, 50000}) {
            ok &= runUserPages(users, 1000, repetitions);
        }
        ok &= runListPages(0, repetitions);
        for (int rows : {1000, 10000}) {
            ok &= runListPages(rows, repetitions);
        }
    }
    DestroyWindow(hostWindow);
    DeleteObject(dialogFont);
    return ok ? 0 : 1;
}
