// The tour: both release dialogs, then each page with something real done
// on it against the simulated site, a screenshot of each and the transcript.
// Against a live site the tour only reads: the dialogs are cancelled, and the
// host refuses to send any command that could change the site.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/host_app.h"
#include "host/session/read_only_commands.h"
#include "resources/resource_ids.h"

namespace {

std::string outDirectory;
std::vector<std::string> problems;

// What an operator's click does: the page's dialog procedure gets BN_CLICKED.
void click(HWND page, int id) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    pumpMessages();
}

void type(HWND page, int id, const char* text) {
    SetDlgItemTextA(page, id, text);
}

// Picks the named entry as the operator would from the open list: the
// selection, its change notification and the close-up.
void pickCombo(HWND page, int id, const char* text) {
    HWND combo = GetDlgItem(page, id);
    const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    if (index < 0) {
        problems.push_back(std::string("no entry ") + text + " in combo box " + std::to_string(id));
        return;
    }
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_CLOSEUP), reinterpret_cast<LPARAM>(combo));
    pumpMessages();
}

void selectListRow(HWND page, int id, const char* text) {
    HWND list = GetDlgItem(page, id);
    LVFINDINFOA find{};
    find.flags = LVFI_STRING;
    find.psz = text;
    const LRESULT row = SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
    if (row < 0) {
        problems.push_back(std::string("no row ") + text + " in list view " + std::to_string(id));
        return;
    }
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    pumpMessages();
}

void scrollTranscriptToEnd() {
    const int end = GetWindowTextLengthA(app.transcript);
    SendMessageA(app.transcript, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
    SendMessageA(app.transcript, EM_SCROLLCARET, 0, 0);
}

void screenshot(HWND window, const std::string& name) {
    scrollTranscriptToEnd();
    const std::string path = outDirectory + "/" + name;
    std::string error;
    if (!saveWindowPicture(window, path, error)) {
        problems.push_back("cannot save " + path + ": " + error);
    } else {
        std::printf("%s\n", path.c_str());
    }
}

HWND openPage(std::int32_t pageId) {
    showPage(pageId);
    pumpMessages();
    if (app.currentPage == nullptr) {
        problems.push_back("InitDialog returned no window for page " + std::to_string(pageId));
    }
    return app.currentPage;
}

void releaseDialog(bool isNuke, const char* multiplier, const char* reason, const std::string& picture,
                   int closeWith = IDOK) {
    bool ran = false;
    app.modalScript = [&](HWND dialog) {
        ran = true;
        if (multiplier != nullptr) {
            SetDlgItemTextA(dialog, IDC_RELEASE_MULTIPLIER, multiplier);
        }
        SetDlgItemTextA(dialog, IDC_RELEASE_REASON, reason);
        SetFocus(GetDlgItem(dialog, IDC_RELEASE_REASON));
        screenshot(dialog, picture);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(closeWith, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, closeWith)));
    };
    runReleaseDialog(isNuke);
    app.modalScript = nullptr;
    if (!ran) {
        problems.push_back(std::string("the ") + (isNuke ? "nuke" : "unnuke") + " dialog did not open");
    }
    pumpMessages();
}

void addUserPage() {
    HWND page = openPage(1);
    if (page == nullptr) {
        return;
    }
    type(page, IDC_ADDUSER_FULL_ADD, "newbie02 s3cret 10.1.2.3 192.168.7.*");
    click(page, IDC_ADDUSER_PARSE_FULL_ADD);
    pickCombo(page, IDC_ADDUSER_GROUP, "friends");
    click(page, IDC_ADDUSER_ADD);
    screenshot(app.main, "01-add-user.png");
}

void editUserPage() {
    HWND page = openPage(2);
    if (page == nullptr) {
        return;
    }
    pickCombo(page, IDC_EDITUSER_USERNAME, "alice");
    click(page, IDC_EDITUSER_GET_INFO);
    page = app.currentPage;
    type(page, IDC_EDITUSER_RATIO, "5");
    type(page, IDC_EDITUSER_TAGLINE, "changed from the reference host");
    click(page, IDC_EDITUSER_CHANGE);
    screenshot(app.main, "02-edit-user.png");
}

void statisticsPage() {
    HWND page = openPage(3);
    if (page == nullptr) {
        return;
    }
    type(page, IDC_STATS_ENTRIES, "5");
    click(page, IDC_STATS_WEEK_GROUP_UL);
    click(page, IDC_STATS_WEEK_UL);
    screenshot(app.main, "03-statistics.png");
}

void userCommandsPage() {
    HWND page = openPage(4);
    if (page == nullptr) {
        return;
    }
    pickCombo(page, IDC_USERCMD_USERNAME, "bob");
    type(page, IDC_USERCMD_AMOUNT, "100");
    type(page, IDC_USERCMD_MESSAGE, "thanks for the uploads");
    click(page, IDC_USERCMD_GIVE_CREDITS);
    click(page, IDC_USERCMD_USER_STATS);
    screenshot(app.main, "04-user-commands.png");
}

void siteCommandsPage() {
    HWND page = openPage(5);
    if (page == nullptr) {
        return;
    }
    click(page, IDC_SITECMD_VIEW_MSGS);
    type(page, IDC_SITECMD_RELEASE, "*Distro*");
    click(page, IDC_SITECMD_SEARCH_DIR);
    type(page, IDC_SITECMD_MESSAGE, "the site is back up");
    click(page, IDC_SITECMD_SEND_MESSAGE);
    screenshot(app.main, "05-site-commands.png");
}

void groupsPage() {
    HWND page = openPage(6);
    if (page == nullptr) {
        return;
    }
    type(page, IDC_GROUPS_ADD_NAME, "movies");
    type(page, IDC_GROUPS_ADD_INFO, "Movie couriers");
    click(page, IDC_GROUPS_ADD);
    selectListRow(page, IDC_GROUPS_LIST, "movies");
    screenshot(app.main, "06-groups.png");
}

void onlineUsersPage() {
    HWND page = openPage(7);
    if (page == nullptr) {
        return;
    }
    selectListRow(page, IDC_ONLINE_LIST, "zoe");
    click(page, IDC_ONLINE_KICK);
    selectListRow(page, IDC_ONLINE_LIST, "carol");
    click(page, IDC_ONLINE_USER_STATS);
    screenshot(app.main, "07-online-users.png");
}

// The live tour's read-only steps: what each page shows of the site.
void pickFirstEntry(HWND page, int comboId) {
    HWND combo = GetDlgItem(page, comboId);
    if (SendMessageA(combo, CB_GETCOUNT, 0, 0) <= 0) {
        problems.push_back("the site lists no accounts in combo box " + std::to_string(comboId));
        return;
    }
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(comboId, CBN_CLOSEUP), reinterpret_cast<LPARAM>(combo));
    pumpMessages();
}

void liveTourPages() {
    if (openPage(1) != nullptr) {
        screenshot(app.main, "01-add-user.png");
    }
    HWND page = openPage(2);
    if (page != nullptr) {
        pickFirstEntry(page, IDC_EDITUSER_USERNAME);
        click(app.currentPage, IDC_EDITUSER_GET_INFO);
        screenshot(app.main, "02-edit-user.png");
    }
    page = openPage(3);
    if (page != nullptr) {
        type(page, IDC_STATS_ENTRIES, "5");
        click(page, IDC_STATS_WEEK_UL);
        screenshot(app.main, "03-statistics.png");
    }
    page = openPage(4);
    if (page != nullptr) {
        pickFirstEntry(page, IDC_USERCMD_USERNAME);
        screenshot(app.main, "04-user-commands.png");
    }
    if (openPage(5) != nullptr) {
        screenshot(app.main, "05-site-commands.png");
    }
    if (openPage(6) != nullptr) {
        screenshot(app.main, "06-groups.png");
    }
    page = openPage(7);
    if (page != nullptr) {
        click(page, IDC_ONLINE_UPDATE);
        screenshot(app.main, "07-online-users.png");
    }
}

bool writeTranscript() {
    const std::string path = outDirectory + "/transcript.txt";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    if (app.session->droppedLines() > 0) {
        std::fprintf(file, "(%zu earlier lines are not kept)\n", app.session->droppedLines());
    }
    for (const std::string& line : app.session->transcript()) {
        std::fprintf(file, "%s\n", line.c_str());
    }
    for (const std::string& fault : app.session->faults()) {
        std::fprintf(file, "!! channel fault: %s\n", fault.c_str());
    }
    for (const std::string& problem : problems) {
        std::fprintf(file, "!! tour: %s\n", problem.c_str());
    }
    const bool closed = std::fclose(file) == 0;
    if (closed) {
        std::printf("%s\n", path.c_str());
    }
    return closed;
}

}  // namespace

// Closes the host, leaves the transcript and gives the tour's exit code:
// 1 no transcript, 2 problems on the way, 3 channel faults, 5 a command
// failed or the connection closed, else 0. The first failure comes first on
// stderr: the problems after it are mostly its consequences.
int finishTour() {
    closeHost();
    pumpMessages();
    const std::string& failure = app.session->firstFailure();
    if (!failure.empty()) {
        problems.insert(problems.begin(), "failed: " + failure);
    }
    const bool transcriptWritten = writeTranscript();
    for (const std::string& problem : problems) {
        std::fprintf(stderr, "quorin_host: tour: %s\n", problem.c_str());
    }
    if (!transcriptWritten) {
        return 1;
    }
    if (!failure.empty()) {
        return 5;
    }
    if (!problems.empty()) {
        return 2;
    }
    return app.session->faults().empty() ? 0 : 3;
}

int runTour(const std::string& outDir) {
    outDirectory = outDir;
    CreateDirectoryA(outDirectory.c_str(), nullptr);
    SetForegroundWindow(app.main);
    pumpMessages();

    // The dialogs first, so that their outcome stands in the release panel
    // of every page picture.
    if (app.live) {
        // Nothing that could change the site leaves the host, and the
        // dialogs are cancelled.
        app.session->allowCommand = session::changesNothing;
        std::string failure;
        if (!connectLive(false, failure)) {
            finishTour();
            return 4;
        }
        openPage(1);
        releaseDialog(true, "3", "bad.release incomplete", "08-nuke-dialog.png", IDCANCEL);
        releaseDialog(false, nullptr, "fixed with a proper", "09-unnuke-dialog.png", IDCANCEL);
        liveTourPages();
        return finishTour();
    }
    openPage(1);
    releaseDialog(true, "3", "bad.release incomplete", "08-nuke-dialog.png");
    releaseDialog(false, nullptr, "fixed with a proper", "09-unnuke-dialog.png");

    addUserPage();
    editUserPage();
    statisticsPage();
    userCommandsPage();
    siteCommandsPage();
    groupsPage();
    onlineUsersPage();
    return finishTour();
}
