// The Online now page: one row per session from SITE SWHO and SITE WHO read
// together, the totals above, sorted by any column; refreshed on a click or
// every few seconds while the page is shown and the host is free; kick a
// user (SITE KICK) or kill a session (SITE KILL) after a question naming
// both, No the default.
#include "host/glance/glance_pages_win32.h"

#include <commctrl.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <utility>

#include "host/admin/admin_page_kit_win32.h"
#include "host/admin/admin_text.h"
#include "host/admin/user_listing.h"
#include "host/glance/glance_text.h"
#include "host/glance/online_sessions.h"
#include "host/resources/host_resources.h"

namespace {

using namespace admin_page;

constexpr UINT_PTR refreshTimer = 34;

struct OnlinePage {
    void init(HWND page);
    void command(HWND page, int id, int code);
    bool notify(HWND page, NMHDR& header);
    void timer(HWND page, UINT_PTR id);
    void shown(HWND page, bool shown, LPARAM why);

    AdminContext* context = nullptr;
    std::vector<glance::Session> sessions;
    std::vector<std::array<std::string, glance::sessionColumnCount>> cells;  // as shown, made once a refresh
    glance::WhoTotals totals;
    bool swhoRefused = false;  // this account may not use SITE SWHO: WHO alone
    glance::SessionColumn sortColumn = glance::SessionColumn::Pid;
    bool ascending = true;
    bool refreshing = false;
    int autoSeconds = 0;  // 0: no automatic refresh
};

const Column sessionColumns[] = {
    {L"PID", 24, true},    {L"User", 40, false}, {L"Group", 32, false}, {L"Ident@host", 54, false},
    {L"Online", 30, true}, {L"Idle", 28, true},  {L"TLS", 36, false},   {L"Doing", 62, false},
    {L"Speed", 44, true},
};

void makeCells(OnlinePage& state) {
    state.cells.resize(state.sessions.size());
    for (std::size_t i = 0; i < state.sessions.size(); ++i) {
        for (int c = 0; c < glance::sessionColumnCount; ++c) {
            state.cells[i][static_cast<std::size_t>(c)] =
                glance::sessionCell(state.sessions[i], static_cast<glance::SessionColumn>(c));
        }
    }
}

std::string totalsText(const OnlinePage& state) {
    std::string text;
    if (state.totals.speedsKnown) {
        text = "Upload " + glance::speedText(state.totals.uploadKiBs) + "   Download " +
               glance::speedText(state.totals.downloadKiBs);
    }
    if (state.totals.online >= 0) {
        text += (text.empty() ? "" : "   ") + std::to_string(state.totals.online) + " of " +
                std::to_string(state.totals.maximum) + " sessions online";
    }
    return text;
}

std::string clockNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

// The selected session, or null.
const glance::Session* selected(HWND page, const OnlinePage& state) {
    const int row = selectedRow(page, IDC_GLANCE_SESSIONS);
    return row >= 0 && static_cast<std::size_t>(row) < state.sessions.size()
               ? &state.sessions[static_cast<std::size_t>(row)]
               : nullptr;
}

void selectSession(HWND page, const OnlinePage& state, const std::string& pid, const std::string& user) {
    for (std::size_t i = 0; i < state.sessions.size(); ++i) {
        const glance::Session& session = state.sessions[i];
        if (!pid.empty() ? session.pid == pid : session.user == user) {
            selectListRow(page, IDC_GLANCE_SESSIONS, i, false);
            return;
        }
    }
}

void show(HWND page, OnlinePage& state, const std::string& result, const std::string& keepPid = "",
          const std::string& keepUser = "") {
    PageUpdate update(page);
    update.setText(IDC_GLANCE_TOTALS, totalsText(state));
    update.setRowCount(IDC_GLANCE_SESSIONS, state.sessions.size());
    if (!keepPid.empty() || !keepUser.empty()) {
        selectSession(page, state, keepPid, keepUser);
        update.changed(IDC_GLANCE_SESSIONS);
    }
    update.enable(IDC_GLANCE_KICK, !state.sessions.empty());
    update.enable(IDC_GLANCE_KILL, !state.sessions.empty() && !state.swhoRefused);
    update.showResult(result);
}

// SITE SWHO (unless this account may not use it) and SITE WHO, read
// together; `before` goes ahead of what the refresh came to.
void refresh(HWND page, OnlinePage& state, const std::string& before = "") {
    if (state.refreshing) {
        return;
    }
    state.refreshing = true;
    const glance::Session* chosen = selected(page, state);
    const std::string keepPid = chosen != nullptr ? chosen->pid : "";
    const std::string keepUser = chosen != nullptr ? chosen->user : "";
    std::vector<glance::SwhoRow> swho;
    std::vector<glance::WhoRow> who;
    std::string problem, failure;
    bool answered = true;
    if (!state.swhoRefused) {
        Exchange exchange = sendForReader(*state.context, "SITE SWHO");
        if (!exchange.answered) {
            problem = "SITE SWHO: " + exchange.verdict.text;
            answered = false;
        } else if (!glance::readSwho(exchange.reply, swho, failure)) {
            if (glance::isRefusal(exchange.reply)) {
                state.swhoRefused = true;  // WHO alone from now on
            } else {
                problem = failure;
            }
        }
    }
    glance::WhoTotals totals;
    if (answered) {
        Exchange exchange = sendForReader(*state.context, "SITE WHO");
        if (!exchange.answered) {
            problem += (problem.empty() ? "" : "\n") + ("SITE WHO: " + exchange.verdict.text);
            answered = false;
        } else if (!glance::readWho(exchange.reply, who, totals, failure)) {
            problem += (problem.empty() ? "" : "\n") + failure;
        }
    }
    if (answered) {
        state.sessions = glance::joinSessions(swho, who);
        glance::sortSessions(state.sessions, state.sortColumn, state.ascending);
        state.totals = totals;
        makeCells(state);
    }
    std::string result = before;
    if (!result.empty()) {
        result += "\n";
    }
    if (answered && problem.empty()) {
        result += "Read at " + clockNow() + ": " + std::to_string(state.sessions.size()) + " session(s)" +
                  (state.swhoRefused ? " (SITE WHO only: this account may not use SITE SWHO, so no PIDs)." : ".");
    } else {
        result += problem.empty() ? "Not read." : problem;
    }
    show(page, state, result, keepPid, keepUser);
    state.refreshing = false;
}

// The full name of a user the server's table may have cut, from SITE USERS;
// empty with the reason in `why` when it is not one account's.
std::string fullName(OnlinePage& state, const std::string& shown, std::string& why) {
    if (!glance::mayBeCut(shown)) {
        return shown;
    }
    Exchange exchange = sendForReader(*state.context, "SITE USERS " + shown + "*");
    admin::UserListing listing;
    std::string failure;
    if (!exchange.answered) {
        why = exchange.verdict.text;
        return "";
    }
    if (!admin::readUserListing(exchange.reply, listing, failure)) {
        why = "The server shows names cut to 9 characters and SITE USERS did not say whose \"" + shown +
              "\" is (" + whyUnread(exchange, failure) + "). Kill the session by its PID instead.";
        return "";
    }
    std::vector<std::string> names;
    for (const admin::ListedUser& user : listing.users) {
        if (user.name.compare(0, shown.size(), shown) == 0) {
            names.push_back(user.name);
        }
    }
    if (names.size() == 1) {
        return names.front();
    }
    why = names.empty() ? "No account starts with \"" + shown + "\"."
                        : std::to_string(names.size()) + " accounts start with \"" + shown +
                              "\" (the server cuts names to 9 characters): kill the session by its PID instead.";
    return "";
}

void kickOrKill(HWND page, OnlinePage& state, bool kill) {
    const glance::Session* chosen = selected(page, state);
    const char* title = kill ? "Kill session" : "Kick user";
    if (chosen == nullptr) {
        refuse(page, *state.context, title, "Pick a session first.");
        return;
    }
    const glance::Session session = *chosen;
    const std::string pidText = session.pid.empty() ? "PID not known" : "PID " + session.pid;
    std::string command, question;
    if (kill) {
        if (session.pid.empty()) {
            refuse(page, *state.context, title,
                   "This session's PID is not known (SITE SWHO is not open to this account): kick the user instead.");
            return;
        }
        command = "SITE KILL " + session.pid;
        question = "Kill the session of " + session.user + " (PID " + session.pid + ")?\n\n" + command +
                   " ends this session at once; a transfer in progress is cut off.";
    } else {
        std::string why;
        const std::string user = fullName(state, session.user, why);
        if (user.empty()) {
            refuse(page, *state.context, title, why);
            return;
        }
        command = "SITE KICK " + user;
        question = "Kick " + user + " (" + pidText + ")?\n\n" + command + " ends every session of " + user +
                   ", not only this one; transfers in progress are cut off.";
    }
    if (!confirm(page, *state.context, title, question)) {
        showResult(page, "Answered No: nothing was sent.");
        return;
    }
    Exchange exchange = sendForReader(*state.context, command);
    std::string outcome;
    if (!exchange.answered) {
        outcome = command + ": " + exchange.verdict.text;
    } else {
        std::string words;
        const bool ended = glance::sessionEnded(exchange.reply, words);
        outcome = session.user + " (" + pidText + "): " + (ended ? "" : "not ended: ") + command + " answered \"" +
                  words + "\".";
    }
    refresh(page, state, outcome);
}

void startOrStopTimer(HWND page, OnlinePage& state) {
    if (state.autoSeconds > 0 && IsWindowVisible(page)) {
        SetTimer(page, refreshTimer, static_cast<UINT>(state.autoSeconds) * 1000u, nullptr);
    } else {
        KillTimer(page, refreshTimer);
    }
}

void autoRefreshChanged(HWND page, OnlinePage& state) {
    const bool on = IsDlgButtonChecked(page, IDC_GLANCE_AUTO) == BST_CHECKED;
    if (!on) {
        state.autoSeconds = 0;
        startOrStopTimer(page, state);
        showResult(page, "Automatic refresh off.");
        return;
    }
    std::int64_t seconds = 0;
    if (!admin::readInteger(controlText(page, IDC_GLANCE_SECONDS), seconds) || seconds < 5 || seconds > 60) {
        CheckDlgButton(page, IDC_GLANCE_AUTO, BST_UNCHECKED);
        state.autoSeconds = 0;
        startOrStopTimer(page, state);
        refuse(page, *state.context, "Auto refresh", "Refresh every 5 to 60 seconds.");
        return;
    }
    state.autoSeconds = static_cast<int>(seconds);
    startOrStopTimer(page, state);
    refresh(page, state, "Automatic refresh every " + std::to_string(seconds) +
                             " s while this page is shown (never while the host waits or asks).");
}

void OnlinePage::init(HWND page) {
    addColumns(page, IDC_GLANCE_SESSIONS, sessionColumns, sizeof sessionColumns / sizeof sessionColumns[0]);
    setControlText(page, IDC_GLANCE_SECONDS, "10");
    show(page, *this, "Nothing is read until you press Refresh or turn the automatic refresh on.");
}

const Button<OnlinePage> onlineButtons[] = {
    {IDC_GLANCE_REFRESH,
     [](HWND page, OnlinePage& state) {
         state.swhoRefused = false;  // asked again on a click
         refresh(page, state);
     }},
    {IDC_GLANCE_AUTO, autoRefreshChanged},
    {IDC_GLANCE_KICK, [](HWND page, OnlinePage& state) { kickOrKill(page, state, false); }},
    {IDC_GLANCE_KILL, [](HWND page, OnlinePage& state) { kickOrKill(page, state, true); }},
};

void OnlinePage::command(HWND page, int id, int code) { clickButton(page, *this, id, code, onlineButtons); }

void OnlinePage::timer(HWND page, UINT_PTR id) {
    // Only while shown, and never in the middle of another command or
    // while the operator is asked something.
    const bool busy = context->busy && context->busy();
    if (id == refreshTimer && IsWindowVisible(page) && !busy && !refreshing) {
        refresh(page, *this);
    }
}

void OnlinePage::shown(HWND page, bool shown, LPARAM) {
    if (!shown) {
        KillTimer(page, refreshTimer);
    } else if (autoSeconds > 0) {
        SetTimer(page, refreshTimer, static_cast<UINT>(autoSeconds) * 1000u, nullptr);
    }
}

bool OnlinePage::notify(HWND page, NMHDR& header) {
    if (header.idFrom != IDC_GLANCE_SESSIONS) {
        return false;
    }
    if (giveCell(header, cells.size(), glance::sessionColumnCount,
                 [&](std::size_t row, int column) -> std::string_view {
                     return cells[row][static_cast<std::size_t>(column)];
                 })) {
        return false;
    }
    if (header.code == LVN_COLUMNCLICK) {
        const auto column = static_cast<glance::SessionColumn>(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
        ascending = column == sortColumn ? !ascending : true;
        sortColumn = column;
        const glance::Session* chosen = selected(page, *this);
        const std::string pid = chosen != nullptr ? chosen->pid : "";
        const std::string user = chosen != nullptr ? chosen->user : "";
        glance::sortSessions(sessions, column, ascending);
        makeCells(*this);
        PageUpdate update(page);
        update.setRowCount(IDC_GLANCE_SESSIONS, sessions.size());
        if (chosen != nullptr) selectSession(page, *this, pid, user);
        update.changed(IDC_GLANCE_SESSIONS);
        return false;
    }
    return answerFind(page, header, sessions.size(),
                      [&](std::size_t i) { return std::string_view(sessions[i].user); });
}

}  // namespace

DLGPROC onlineNowPageProcedure() { return pageProcedure<OnlinePage>; }
