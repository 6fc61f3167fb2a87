// The tour: both release dialogs, then each page with something real done
// on it against the simulated site, a picture of each and the transcript.
// Against a live site the tour only reads: the dialogs are cancelled, and the
// host refuses to send any command that could change the site.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "host/glance/glance_pages_win32.h"
#include "host/window/console_output_win32.h"
#include "host/window/host_admin_win32.h"
#include "host/window/host_app.h"
#include "host/resources/host_resources.h"
#include "host/window/layout_check_win32.h"
#include "host/session/read_only_commands.h"
#include "host/sites/wide_text_win32.h"
#include "host/window/transcript_pane_win32.h"
#include "host/window/waiting_mode_win32.h"
#include "resources/resource_ids.h"

namespace {

std::string outDirectory;
std::vector<std::string> problems;
// Each fault of the layout once, however many pictures show it.
std::set<std::string> layoutFaults;
// The simulated site's texts are known and must fit; a live site's (its
// address, user and fingerprint) can be longer than the panel has room for:
// told, without failing the tour.
bool layoutFaultsFail = true;

// What an operator's click does: the page's dialog procedure gets BN_CLICKED.
void click(HWND page, int id) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    pumpMessages();
}

void type(HWND page, int id, const char* text) { SetDlgItemTextA(page, id, text); }

// Picks an entry as the operator would from the open list: the selection,
// its change notification and the close-up. Null text: the first entry.
void pickCombo(HWND page, int id, const char* text) {
    HWND combo = GetDlgItem(page, id);
    const LRESULT index =
        text == nullptr ? (SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0 ? 0 : -1)
                        : SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text));
    if (index < 0) {
        problems.push_back(std::string("no entry ") + (text != nullptr ? text : "at all") + " in combo box " +
                           std::to_string(id));
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

// Picks a row of a list box as the operator would: the selection and its
// notification.
void pickListBox(HWND page, int id, const char* text) {
    HWND list = GetDlgItem(page, id);
    const LRESULT index = text == nullptr ? (SendMessageA(list, LB_GETCOUNT, 0, 0) > 0 ? 0 : -1)
                                          : SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                         reinterpret_cast<LPARAM>(text));
    if (index < 0) {
        problems.push_back(std::string("no row ") + (text != nullptr ? text : "at all") + " in list box " +
                           std::to_string(id));
        return;
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    pumpMessages();
}

// What a host page's result box says now.
std::string resultOf(HWND page) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(GetDlgItem(page, IDC_ADMIN_RESULT))) + 1, '\0');
    GetDlgItemTextA(page, IDC_ADMIN_RESULT, &text[0], static_cast<int>(text.size()));
    text.resize(text.size() - 1);
    return text;
}

// The step's action came to what it should: the page's result box holds
// `words`, else the tour names what it holds.
void expectResult(HWND page, const char* step, const char* words) {
    const std::string result = resultOf(page);
    if (result.find(words) == std::string::npos) {
        problems.push_back(std::string(step) + ": the page says \"" + result + "\", not \"" + words + "\"");
    }
}

// The main window's notes say what the step did.
void expectNote(const char* step, const char* words) {
    std::string note;
    wide_text::windowText(app.noteText, note);
    if (note.find(words) == std::string::npos) {
        problems.push_back(std::string(step) + ": the notes say \"" + note + "\", not \"" + words + "\"");
    }
}

// The questions the host pages ask, answered Yes as the operator would on
// the tour; a No must be the default. Any other message box is a refusal
// the tour did not mean to meet.
std::vector<std::string> questionsAsked;
int answerQuestion(const std::string& text, const std::string& title, UINT type) {
    if ((type & MB_TYPEMASK) == MB_YESNO) {
        if ((type & MB_DEFMASK) != MB_DEFBUTTON2) {
            problems.push_back("the question \"" + title + "\" does not default to No");
        }
        questionsAsked.push_back(title);
        return IDYES;
    }
    problems.push_back("message \"" + title + "\": " + text);
    return IDOK;
}

constexpr std::int32_t hostPageId(AdminPage page) { return 100 + static_cast<std::int32_t>(page); }

// What a step changed, as the simulated site holds it now.
const simsite::SimulatedSite& simulatedSite() { return *app.served->simulation(); }
void expectOnSite(bool holds, const char* step, const char* what) {
    if (!holds) {
        problems.push_back(std::string(step) + ": the simulated site does not hold it: " + what);
    }
}
bool isGroupAdmin(const char* user, const char* group) {
    const simsite::SiteUser* account = simulatedSite().findUser(user);
    if (account == nullptr) {
        return false;
    }
    for (const std::string& name : account->adminGroups) {
        if (name == group) {
            return true;
        }
    }
    return false;
}

void screenshot(HWND window, const std::string& name) {
    transcript_pane::scrollToEnd();
    const std::string path = outDirectory + "/" + name;
    std::string error;
    if (!saveWindowPicture(window, path, error)) {
        problems.push_back("cannot write " + path + ": " + error);
    } else {
        console_output::say(path);
    }
}

// The Top lists page's chart as the page saves it, beside the pictures.
void saveTopListsChart(HWND page, const std::string& path) {
    std::string error;
    if (!::saveTopListsChart(page, path, error)) {
        problems.push_back("cannot save the chart as " + path + ": " + error);
    } else {
        console_output::say(path);
    }
}

void checkLayout(HWND window, const std::string& where) {
    for (const std::string& fault : layout_check::problemsOf(window)) {
        if (!layoutFaults.insert(fault).second) {
            continue;
        }
        if (layoutFaultsFail) {
            problems.push_back("layout of " + where + ": " + fault);
        } else {
            console_output::say("layout note, " + where + ": " + fault);
        }
    }
}

INT_PTR CALLBACK idleDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The Connect dialog as its template lays it out at this DPI, not shown.
// Its faults are the template's, at every DPI alike (it scales by itself).
void checkConnectDialog() {
    HWND dialog = CreateDialogParamA(app.instance, MAKEINTRESOURCEA(IDD_CONNECT), app.main, idleDialogProc, 0);
    if (dialog == nullptr) {
        problems.push_back("the Connect dialog cannot be made");
        return;
    }
    for (const std::string& fault : layout_check::problemsOf(dialog)) {
        problems.push_back("layout of the Connect dialog: " + fault);
    }
    DestroyWindow(dialog);
}

// A release dialog, filled and pictured from inside its modal loop, then
// closed with OK or Cancel.
void releaseDialog(bool isNuke, const char* reason, const char* picture, int closeWith) {
    bool ran = false;
    app.modalScript = [&](HWND dialog) {
        ran = true;
        if (isNuke) {
            SetDlgItemTextA(dialog, IDC_RELEASE_MULTIPLIER, "3");
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

// One step: the page shown, what is done on it, and its picture (of the
// host window, or of the dialog the action opens).
struct TourStep {
    std::int32_t pageId;
    void (*action)(HWND page, const char* picture);
    const char* picture;
    bool pictureOfDialog;
};

const TourStep simulatedTour[] = {
    // The dialogs first, so that their outcome stands in the release panel
    // of every page picture.
    {1, [](HWND, const char* picture) { releaseDialog(true, "bad.release incomplete", picture, IDOK); },
     "08-nuke-dialog.png", true},
    {1, [](HWND, const char* picture) { releaseDialog(false, "fixed with a proper", picture, IDOK); },
     "09-unnuke-dialog.png", true},
    {1,
     [](HWND page, const char* picture) {
         type(page, IDC_ADDUSER_FULL_ADD, "newbie02 s3cret 10.1.2.3 192.168.7.*");
         click(page, IDC_ADDUSER_PARSE_FULL_ADD);
         pickCombo(page, IDC_ADDUSER_GROUP, "friends");
         click(page, IDC_ADDUSER_ADD);
         expectNote(picture, "added newbie02 at");
     },
     "01-add-user.png", false},
    {2,
     [](HWND page, const char*) {
         pickCombo(page, IDC_EDITUSER_USERNAME, "alice");
         click(page, IDC_EDITUSER_GET_INFO);
         type(app.currentPage, IDC_EDITUSER_RATIO, "5");
         type(app.currentPage, IDC_EDITUSER_TAGLINE, "changed from the reference host");
         click(app.currentPage, IDC_EDITUSER_CHANGE);
     },
     "02-edit-user.png", false},
    {3,
     [](HWND page, const char*) {
         type(page, IDC_STATS_ENTRIES, "5");
         click(page, IDC_STATS_WEEK_GROUP_UL);
         click(page, IDC_STATS_WEEK_UL);
     },
     "03-statistics.png", false},
    {4,
     [](HWND page, const char*) {
         pickCombo(page, IDC_USERCMD_USERNAME, "bob");
         type(page, IDC_USERCMD_AMOUNT, "100");
         type(page, IDC_USERCMD_MESSAGE, "thanks for the uploads");
         click(page, IDC_USERCMD_GIVE_CREDITS);
         click(page, IDC_USERCMD_USER_STATS);
     },
     "04-user-commands.png", false},
    {5,
     [](HWND page, const char*) {
         click(page, IDC_SITECMD_VIEW_MSGS);
         type(page, IDC_SITECMD_RELEASE, "*Distro*");
         click(page, IDC_SITECMD_SEARCH_DIR);
         type(page, IDC_SITECMD_MESSAGE, "the site is back up");
         click(page, IDC_SITECMD_SEND_MESSAGE);
     },
     "05-site-commands.png", false},
    {6,
     [](HWND page, const char*) {
         type(page, IDC_GROUPS_ADD_NAME, "movies");
         type(page, IDC_GROUPS_ADD_INFO, "Movie couriers");
         click(page, IDC_GROUPS_ADD);
         selectListRow(page, IDC_GROUPS_LIST, "movies");
     },
     "06-groups.png", false},
    {7,
     [](HWND page, const char*) {
         selectListRow(page, IDC_ONLINE_LIST, "zoe");
         click(page, IDC_ONLINE_KICK);
         selectListRow(page, IDC_ONLINE_LIST, "carol");
         click(page, IDC_ONLINE_USER_STATS);
     },
     "07-online-users.png", false},
};

// The host's own pages, after the plug-in's, on the simulated glftpd site.
const TourStep simulatedHostPages[] = {
    {hostPageId(AdminPage::Groups),
     [](HWND page, const char* picture) {
         click(page, IDC_ADMIN_GROUP_LOAD);
         pickListBox(page, IDC_ADMIN_GROUP_LIST, "friends");
         type(page, IDC_ADMIN_GROUP_SLOTS, "14");
         click(page, IDC_ADMIN_GROUP_WRITE);
         expectOnSite(simulatedSite().findGroup("friends")->slots == 14, picture, "friends has 14 slots");
         selectListRow(page, IDC_ADMIN_MEMBER_LIST, "bob");
         click(page, IDC_ADMIN_MEMBER_ADMIN);
         expectOnSite(isGroupAdmin("bob", "friends"), picture, "bob is group admin of friends");
         expectResult(page, picture, "bob is now group admin of friends");
     },
     "10-host-groups.png", false},
    {hostPageId(AdminPage::Accounts),
     [](HWND page, const char* picture) {
         click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
         selectListRow(page, IDC_ADMIN_ACCOUNT_LIST, "newbie01");
         type(page, IDC_ADMIN_ACCOUNT_NEW_NAME, "newbie1st");
         click(page, IDC_ADMIN_ACCOUNT_RENAME);
         expectOnSite(simulatedSite().findUser("newbie1st") != nullptr && simulatedSite().findUser("newbie01") == nullptr,
                      picture, "newbie01 is newbie1st");
         // The demo site has one deleted account, olduser, which is re-added;
         // the renamed one is deleted to be purged, as the plug-in's User
         // commands page deletes.
         session::Reply deleted;
         sendHostCommand("SITE DELUSER newbie1st", deleted);
         pickCombo(page, IDC_ADMIN_ACCOUNT_FILTER, "Deleted");
         click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON);
         selectListRow(page, IDC_ADMIN_ACCOUNT_LIST, "newbie1st");
         click(page, IDC_ADMIN_ACCOUNT_PURGE);
         expectOnSite(simulatedSite().findUser("newbie1st") == nullptr, picture, "newbie1st is purged");
         expectResult(page, picture, "Written and read back");
         selectListRow(page, IDC_ADMIN_ACCOUNT_LIST, "olduser");
         click(page, IDC_ADMIN_ACCOUNT_READD);
         expectOnSite(!simulatedSite().findUser("olduser")->deleted(), picture, "olduser is re-added");
         expectResult(page, picture, "Written and read back");
     },
     "11-host-accounts.png", false},
    {hostPageId(AdminPage::BulkChange),
     [](HWND page, const char* picture) {
         type(page, IDC_ADMIN_BULK_GROUP, "couriers");
         pickCombo(page, IDC_ADMIN_BULK_SETTING, "Uploads at once");
         type(page, IDC_ADMIN_BULK_VALUE, "3");
         click(page, IDC_ADMIN_BULK_APPLY);
         expectOnSite(simulatedSite().findUser("carol")->maxSimUploads == 3 &&
                          simulatedSite().findUser("zoe")->maxSimUploads == 3,
                      picture, "the couriers upload 3 at once");
         expectResult(page, picture, "applied to");
     },
     "12-host-one-change-for-many.png", false},
    {hostPageId(AdminPage::OwnCommands),
     [](HWND page, const char* picture) {
         type(page, IDC_ADMIN_OWN_NEW, "SITE RULES");
         click(page, IDC_ADMIN_OWN_ADD);
         click(page, IDC_ADMIN_OWN_SEND);
         expectResult(page, picture, "> SITE RULES");
         expectResult(page, picture, "Done: the server answered \"Command Successful.\"");
     },
     "13-host-own-commands.png", false},
    // Who is online, twice: the site moved on between the two pictures.
    {hostPageId(AdminPage::OnlineNow),
     [](HWND page, const char* picture) {
         click(page, IDC_GLANCE_REFRESH);
         expectResult(page, picture, "session(s)");
     },
     "14-online-now.png", false},
    {hostPageId(AdminPage::OnlineNow),
     [](HWND page, const char* picture) {
         click(page, IDC_GLANCE_REFRESH);
         expectResult(page, picture, "session(s)");
     },
     "15-online-now-refreshed.png", false},
    {hostPageId(AdminPage::TopLists),
     [](HWND page, const char* picture) {
         pickCombo(page, IDC_GLANCE_PERIOD, "All time");
         type(page, IDC_GLANCE_COUNT, "25");
         click(page, IDC_GLANCE_SHOW);
         expectResult(page, picture, "entries");
         saveTopListsChart(page, outDirectory + "/16-top-lists-chart.png");
     },
     "16-top-lists.png", false},
};

// What each page shows of a live site, with reading commands only.
const TourStep liveTour[] = {
    {1, [](HWND, const char* picture) { releaseDialog(true, "bad.release incomplete", picture, IDCANCEL); },
     "08-nuke-dialog.png", true},
    {1, [](HWND, const char* picture) { releaseDialog(false, "fixed with a proper", picture, IDCANCEL); },
     "09-unnuke-dialog.png", true},
    {1, nullptr, "01-add-user.png", false},
    {2,
     [](HWND page, const char*) {
         pickCombo(page, IDC_EDITUSER_USERNAME, nullptr);
         click(app.currentPage, IDC_EDITUSER_GET_INFO);
     },
     "02-edit-user.png", false},
    {3,
     [](HWND page, const char*) {
         type(page, IDC_STATS_ENTRIES, "5");
         click(page, IDC_STATS_WEEK_UL);
     },
     "03-statistics.png", false},
    {4, [](HWND page, const char*) { pickCombo(page, IDC_USERCMD_USERNAME, nullptr); }, "04-user-commands.png",
     false},
    {5, nullptr, "05-site-commands.png", false},
    {6, nullptr, "06-groups.png", false},
    {7, [](HWND page, const char*) { click(page, IDC_ONLINE_UPDATE); }, "07-online-users.png", false},
    // The host's Groups and Accounts pages, reading only: SITE GROUPS, GRP,
    // GINFO, USERS.
    {hostPageId(AdminPage::Groups),
     [](HWND page, const char*) {
         click(page, IDC_ADMIN_GROUP_LOAD);
         pickListBox(page, IDC_ADMIN_GROUP_LIST, nullptr);
     },
     "10-host-groups.png", false},
    {hostPageId(AdminPage::Accounts), [](HWND page, const char*) { click(page, IDC_ADMIN_ACCOUNT_LIST_BUTTON); },
     "11-host-accounts.png", false},
    // Who is online and this week's top uploaders: SITE SWHO, WHO, WKUP.
    {hostPageId(AdminPage::OnlineNow), [](HWND page, const char*) { click(page, IDC_GLANCE_REFRESH); },
     "14-online-now.png", false},
    {hostPageId(AdminPage::TopLists), [](HWND page, const char*) { click(page, IDC_GLANCE_SHOW); },
     "16-top-lists.png", false},
};

template <std::size_t count>
void walk(const TourStep (&steps)[count]) {
    for (const TourStep& step : steps) {
        if (!app.session->firstFailure().empty()) {
            // A command failed or the connection closed: what follows would
            // only show its consequences.
            return;
        }
        const bool hostPage = step.pageId > 100;
        if (hostPage) {
            host_admin::showPage(static_cast<AdminPage>(step.pageId - 100));
        } else {
            showPage(step.pageId);
        }
        pumpMessages();
        HWND page = hostPage ? host_admin::shownPage() : app.currentPage;
        if (page == nullptr) {
            problems.push_back("no window for page " + std::to_string(step.pageId));
            continue;
        }
        if (step.action != nullptr) {
            step.action(page, step.picture);
        }
        if (!step.pictureOfDialog) {
            screenshot(app.main, step.picture);
            // What the picture shows: the host's own controls and the page
            // inside the page area; a host page's controls too (the
            // plug-in's are its own to check).
            checkLayout(app.main, step.picture);
            checkLayout(app.pageArea, step.picture);
            if (hostPage) {
                checkLayout(page, step.picture);
            }
        }
    }
}

bool writeTranscript() {
    const std::string path = outDirectory + "/transcript.txt";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    if (app.session->droppedLines() > 0) {
        std::fprintf(file, "(%llu earlier lines are not kept)\n",
                     static_cast<unsigned long long>(app.session->droppedLines()));
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
        console_output::say(path);
    }
    return closed;
}

// Closes the host, leaves the transcript and gives the tour's exit code:
// 1 no transcript, 2 problems on the way, 3 channel faults, 5 a command
// failed or the connection closed, else 0. The first failure comes first on
// stderr: the problems after it are mostly its consequences.
int finishTour() {
    console_output::say("layout checked at " + std::to_string(app.dpi) + " DPI: " +
                        std::to_string(layoutFaults.size()) + " fault(s)");
    closeHost();
    pumpMessages();
    const std::string& failure = app.session->firstFailure();
    if (!failure.empty()) {
        problems.insert(problems.begin(), "failed: " + failure);
    }
    const bool transcriptWritten = writeTranscript();
    for (const std::string& problem : problems) {
        console_output::tell("tour: " + problem, true);
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

}  // namespace

int runTour(const std::string& outDir, bool live) {
    outDirectory = outDir;
    // No operator to ask: a silent server fails the request at the time-out.
    waiting_mode::askOnSilence(false);
    CreateDirectoryA(outDirectory.c_str(), nullptr);
    SetForegroundWindow(app.main);
    pumpMessages();
    checkConnectDialog();
    host_admin::answerQuestionsWith(answerQuestion);
    if (!live) {
        // The tour starts on the site the command line asked for: 1.x, or
        // 2.x with --glftpd2.
        const bool started1x = app.simulatedSettings.generation == simsite::SimulatedSite::Generation::Glftpd1;
        const std::string startSite = started1x ? "the 1.x site" : "the 2.x site";
        walk(simulatedTour);
        // A host page on the simulated 1.x site says why it cannot work there,
        // in its own line, and on a 2.x site it does not (checked, not
        // pictured).
        host_admin::showPage(AdminPage::Groups);
        pumpMessages();
        if (HWND page = host_admin::shownPage()) {
            char note[256] = {};
            GetDlgItemTextA(page, IDC_ADMIN_NOTE, note, sizeof note);
            if ((std::string(note).find("--glftpd2") != std::string::npos) != started1x) {
                problems.push_back("the Groups page on " + startSite + " says: " + note);
            }
            checkLayout(page, "the Groups page on " + startSite);
        }
        // The host's pages are for glftpd 2.x: the simulated site answers as
        // 2.x from here on (the plug-in's pages saw it as 1.x, as always).
        app.simulatedSettings.generation = simsite::SimulatedSite::Generation::Glftpd2;
        serveSite(makeSimulatedSite(app.simulatedSettings), "");
        pumpMessages();
        walk(simulatedHostPages);
        // The purge and the one change for many asked first.
        if (questionsAsked.size() != 2) {
            problems.push_back("the host pages asked " + std::to_string(questionsAsked.size()) +
                               " question(s), not 2 (the purge, the one change for many)");
        }
        return finishTour();
    }
    // Nothing that could change the site leaves the host, and the dialogs
    // are cancelled.
    layoutFaultsFail = false;
    app.session->allowCommand = session::changesNothing;
    std::string failure;
    if (!connectLive(false, failure)) {
        finishTour();
        return 4;
    }
    walk(liveTour);
    return finishTour();
}
