#include "host/window/host_admin_win32.h"

#include <map>
#include <vector>

#include "host/connect/site_manager_win32.h"
#include "host/history/history_window_win32.h"
#include "host/resources/host_resources.h"
#include "host/sites/wide_text_win32.h"
#include "host/window/host_app.h"
#include "host/window/waiting_mode_win32.h"

namespace host_admin {

namespace {

constexpr int pageCount = 7;
HWND pages[pageCount] = {};
int shown = 0;  // 1..pageCount, 0: the plug-in's page
std::function<int(const std::string&, const std::string&, UINT)> answerer;

// The operator's own commands: a saved site's are kept in the saved sites'
// file (command= lines of its section); any other site's for this run only.
std::map<std::string, std::vector<std::string>> ownCommandsThisRun;

bool servesSavedSite() {
    return app.served && app.served->simulation() == nullptr && !app.savedSite.name.empty();
}

std::string servedSiteKey() {
    if (app.served && app.served->simulation() != nullptr) {
        return "simulated";
    }
    return app.liveOptions.user + "@" + app.liveOptions.host + ":" + std::to_string(app.liveOptions.port);
}

std::vector<std::string> loadOwnCommands() {
    return servesSavedSite() ? site_manager::ownCommands(app.savedSite.name) : ownCommandsThisRun[servedSiteKey()];
}

bool saveOwnCommands(const std::vector<std::string>& commands, std::string& failure) {
    if (servesSavedSite()) {
        // Written only while the saved site is still this connection's.
        return site_manager::setOwnCommands(app.savedSite.name, app.liveOptions, commands, failure);
    }
    ownCommandsThisRun[servedSiteKey()] = commands;
    return true;
}

std::string ownCommandsKeptWhere() {
    if (servesSavedSite()) {
        return "with the saved site \"" + app.savedSite.name + "\" (sites.ini)";
    }
    if (app.served && app.served->simulation() != nullptr) {
        return "for this run only";
    }
    return "for this run only: save the site with Connect... to keep them";
}

bool send(const std::string& command, session::Reply& reply, std::string& failure) {
    if (!app.session) {
        failure = "No session.";
        return false;
    }
    // Why it fails, as the session sees it before sending.
    if (app.session->allowCommand && !app.session->allowCommand(command)) {
        failure = "Not sent: this run sends nothing that could change the site.";
    } else if (!app.session->connected || !app.served->isOpen()) {
        failure = "Not connected: nothing was sent.";
    } else {
        failure = "No complete reply (see the transcript): whether the server took it is not known.";
    }
    return sendHostCommand(command, reply);
}

// A command in flight, or a question or dialog open over the window.
bool busy() { return waiting_mode::active() || (app.main != nullptr && !IsWindowEnabled(app.main)); }

int ask(HWND owner, const std::string& text, const std::string& title, UINT type) {
    if (answerer) {
        return answerer(text, title, type);
    }
    return wide_text::messageBox(owner, text, title, type);
}

AdminContext& context() {
    static AdminContext shared = [] {
        AdminContext made;
        made.send = send;
        made.ask = ask;
        made.loadOwnCommands = loadOwnCommands;
        made.saveOwnCommands = saveOwnCommands;
        made.ownCommandsKeptWhere = ownCommandsKeptWhere;
        made.busy = busy;
        history_window::wire(made);
        return made;
    }();
    return shared;
}

}  // namespace

void showPage(AdminPage page) {
    const int number = static_cast<int>(page);
    if (number < 1 || number > pageCount) {
        return;
    }
    HWND& window = pages[number - 1];
    if (window == nullptr || !IsWindow(window)) {
        window = createAdminPage(page, app.pageArea, context());
        if (window == nullptr) {
            return;
        }
        // Said on the page itself: the simulated 1.x site answers none of
        // its commands (the operator's own commands go to any server).
        simsite::SimulatedSite* simulation = app.served ? app.served->simulation() : nullptr;
        if (page != AdminPage::OwnCommands && page != AdminPage::OnlineNow && simulation != nullptr &&
            simulation->generation() == simsite::SimulatedSite::Generation::Glftpd1) {
            wide_text::setWindowText(GetDlgItem(window, IDC_ADMIN_NOTE),
                                     "This simulated site is glftpd 1.x, without these commands: use --glftpd2.");
        }
    }
    if (app.currentPage != nullptr && IsWindow(app.currentPage)) {
        ShowWindow(app.currentPage, SW_HIDE);
    }
    for (HWND other : pages) {
        if (other != nullptr && other != window) {
            ShowWindow(other, SW_HIDE);
        }
    }
    ShowWindow(window, SW_SHOW);
    shown = number;
    const int listIndex = 7 + number;  // the plug-in's seven, the heading, then these
    if (SendMessageA(app.pageList, LB_GETCURSEL, 0, 0) != listIndex) {
        SendMessageA(app.pageList, LB_SETCURSEL, static_cast<WPARAM>(listIndex), 0);
    }
}

void hidePages() {
    for (HWND window : pages) {
        if (window != nullptr) {
            ShowWindow(window, SW_HIDE);
        }
    }
    shown = 0;
}

HWND shownPage() { return shown > 0 ? pages[shown - 1] : nullptr; }

int shownPageNumber() { return shown; }

void destroyPages() {
    for (HWND& window : pages) {
        if (window != nullptr && IsWindow(window)) {
            DestroyWindow(window);
        }
        window = nullptr;
    }
    shown = 0;
}

void answerQuestionsWith(std::function<int(const std::string&, const std::string&, UINT)> answer) {
    answerer = std::move(answer);
}

}  // namespace host_admin
