// The Accounts page: SITE USERS with a filter; the picked account's settings
// the Edit user page has no place for (SITE USER, written with SITE CHANGE);
// rename (SITE RENUSER); re-add and purge of a deleted account. Every
// command names the whole account picked in the listing, and only once the
// server's SITE USER screen named that same account; every write is read
// back and compared with what was written.
#include <windows.h>

#include <commctrl.h>

#include <string_view>
#include <utility>

#include "host/admin/account_settings.h"
#include "host/admin/admin_identity.h"
#include "host/admin/admin_page_kit_win32.h"
#include "host/admin/admin_page_procedures_win32.h"
#include "host/admin/admin_text.h"
#include "host/admin/user_listing.h"
#include "host/resources/host_resources.h"
#include "host/sites/wide_text_win32.h"

namespace {

using namespace admin_page;

struct AccountsPage {
    void init(HWND page);
    void command(HWND page, int id, int code);
    bool notify(HWND page, NMHDR& header);

    AdminContext* context = nullptr;
    std::string argument;  // of the SITE USERS shown
    admin::UserListingIndex listing;  // the reply's lines, a row read when shown
    bool haveAccount = false;
    // The account as the server's screen showed it; its name is the picked one.
    admin::AccountSettings account;
};

struct FilterChoice {
    const wchar_t* label;
    const wchar_t* valueLabel;  // beside the value box
    admin::UserFilter filter;
    bool takesValue;
};
const FilterChoice filters[] = {
    {L"Everyone", L"&Value", admin::UserFilter::Everyone, false},
    {L"Group", L"&Group", admin::UserFilter::Group, true},
    {L"Name prefix", L"Pr&efix", admin::UserFilter::NamePrefix, true},
    {L"Flag word", L"Fla&g", admin::UserFilter::FlagWord, true},
    {L"Deleted", L"&Value", admin::UserFilter::Deleted, false},
};
constexpr int everyoneFilter = 0;

// The sizes in MiB, grouped ("1,227" fits where "1227MiB" was cut); the
// summary below the list names the unit.
const Column accountColumns[] = {
    {L"Account", 50, false}, {L"Group", 33, false}, {L"Up", 30, true}, {L"Down", 30, true}, {L"Credits", 32, true},
};
constexpr int accountColumnCount = sizeof accountColumns / sizeof accountColumns[0];

const int accountFields[] = {IDC_ADMIN_ACCOUNT_EXPIRES, IDC_ADMIN_ACCOUNT_TF_FROM,  IDC_ADMIN_ACCOUNT_TF_TO,
                             IDC_ADMIN_ACCOUNT_IDLE,    IDC_ADMIN_ACCOUNT_COMMENT,  IDC_ADMIN_ACCOUNT_SIM_UP,
                             IDC_ADMIN_ACCOUNT_SIM_DOWN, IDC_ADMIN_ACCOUNT_SAME_IP, IDC_ADMIN_ACCOUNT_WRITE,
                             IDC_ADMIN_ACCOUNT_NEW_NAME, IDC_ADMIN_ACCOUNT_RENAME};

const FormBox<admin::AccountForm> accountBoxes[] = {
    {IDC_ADMIN_ACCOUNT_EXPIRES, &admin::AccountForm::expires},
    {IDC_ADMIN_ACCOUNT_TF_FROM, &admin::AccountForm::timeframeFrom},
    {IDC_ADMIN_ACCOUNT_TF_TO, &admin::AccountForm::timeframeTo},
    {IDC_ADMIN_ACCOUNT_IDLE, &admin::AccountForm::idleTime},
    {IDC_ADMIN_ACCOUNT_COMMENT, &admin::AccountForm::comment},
    {IDC_ADMIN_ACCOUNT_SIM_UP, &admin::AccountForm::maxSimUploads},
    {IDC_ADMIN_ACCOUNT_SIM_DOWN, &admin::AccountForm::maxSimDownloads},
    {IDC_ADMIN_ACCOUNT_SAME_IP, &admin::AccountForm::sameIpLogins},
};

std::string_view accountCell(const admin::ListedUserCells& cells, int column, char (&buffer)[32]) {
    switch (column) {
    case 0: return cells.name;
    case 1: return cells.group;
    case 2: return admin::mibCell(cells.uploaded, buffer);
    case 3: return admin::mibCell(cells.downloaded, buffer);
    default: return admin::mibCell(cells.credits, buffer);
    }
}

int chosenFilterIndex(HWND page) {
    const LRESULT index = SendDlgItemMessageW(page, IDC_ADMIN_ACCOUNT_FILTER, CB_GETCURSEL, 0, 0);
    const std::size_t count = sizeof filters / sizeof filters[0];
    return index >= 0 && static_cast<std::size_t>(index) < count ? static_cast<int>(index) : 0;
}

void showFilter(HWND page, int index) {
    SendDlgItemMessageW(page, IDC_ADMIN_ACCOUNT_FILTER, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SetDlgItemTextW(page, IDC_ADMIN_ACCOUNT_FILTER_LABEL, filters[index].valueLabel);
    EnableWindow(GetDlgItem(page, IDC_ADMIN_ACCOUNT_FILTER_VALUE), filters[index].takesValue);
}

// A name as the page says it: a tab shown as "\t".
std::string shownName(const std::string& name) {
    std::string text;
    for (char c : name) {
        text += c == '\t' ? std::string("\\t") : std::string(1, c);
    }
    return text;
}

void showAccount(HWND page, AccountsPage& state) {
    const admin::AccountForm form = state.haveAccount ? admin::accountFormOf(state.account) : admin::AccountForm{};
    showForm(page, form, accountBoxes);
    for (int id : accountFields) {
        EnableWindow(GetDlgItem(page, id), state.haveAccount);
    }
    const bool deleted = state.haveAccount && state.account.deleted;
    EnableWindow(GetDlgItem(page, IDC_ADMIN_ACCOUNT_READD), deleted);
    EnableWindow(GetDlgItem(page, IDC_ADMIN_ACCOUNT_PURGE), deleted);
    setControlText(page, IDC_ADMIN_ACCOUNT_SELECTED,
                   !state.haveAccount ? "No account read yet."
                                      : shownName(state.account.name) + (deleted ? " (deleted)" : "") +
                                            (state.account.groups.empty() ? "" : ", " + state.account.groups[0]));
}

// `read`: the server's listing was read; otherwise no counts are the server's.
void showListing(HWND page, AccountsPage& state, bool read) {
    setRowCount(page, IDC_ADMIN_ACCOUNT_LIST, state.listing.size());
    const admin::UserListingIndex& listing = state.listing;
    if (!read) {
        setControlText(page, IDC_ADMIN_ACCOUNT_SUMMARY, "No listing read.");
        return;
    }
    setControlText(page, IDC_ADMIN_ACCOUNT_SUMMARY,
                   std::to_string(listing.size()) + " account(s) shown, sizes in MiB. Counted by the server: siteops " +
                       std::to_string(listing.siteops) + ", gadmins " + std::to_string(listing.gadmins) +
                       ", leech " + std::to_string(listing.leech) + ", deleted " + std::to_string(listing.deleted) +
                       ".");
}

// SITE USER of the picked account into the form, once the screen names
// exactly it. Empty when read, else why not (nothing is then sent for it).
std::string readAccount(HWND page, AccountsPage& state, const std::string& picked) {
    state.haveAccount = false;
    std::string problem = admin::accountNameProblem2x(picked);
    if (!problem.empty()) {
        showAccount(page, state);
        return problem + " Nothing was sent.";
    }
    Exchange exchange = send(*state.context, "SITE USER " + picked);
    if (!exchange.answered) {
        problem = exchange.verdict.text;
    } else if (!admin::readAccountSettings(exchange.reply, state.account, problem)) {
        problem = "SITE USER " + shownName(picked) + ": " + whyUnread(exchange, problem);
    } else {
        problem = admin::accountScreenProblem(picked, state.account.name);
        state.haveAccount = problem.empty();
    }
    showAccount(page, state);
    return problem;
}

// SITE USERS with `argument`. Empty when listed, else why not.
std::string list(HWND page, AccountsPage& state, const std::string& argument) {
    state.listing.clear();
    state.argument = argument;
    Exchange exchange = sendForReader(*state.context, admin::usersCommand(argument));
    std::string problem;
    if (!exchange.answered) {
        problem = exchange.verdict.text;
    } else if (!state.listing.read(std::move(exchange.reply), problem)) {
        // An unread reply is left as it was, for the judge.
        problem = "SITE USERS: " + whyUnread(exchange, problem);
    }
    showListing(page, state, problem.empty());
    return problem;
}

// Whether the listing shows the account (the whole name, byte for byte).
bool listed(const AccountsPage& state, const std::string& name) {
    for (std::size_t i = 0; i < state.listing.size(); ++i) {
        if (state.listing.rowName(i) == name) {
            return true;
        }
    }
    return false;
}

// Selects the account's row (which reads it) or, not listed, reads it.
std::string selectAccount(HWND page, AccountsPage& state, const std::string& name) {
    for (std::size_t i = 0; i < state.listing.size(); ++i) {
        if (state.listing.rowName(i) == name) {
            selectListRow(page, IDC_ADMIN_ACCOUNT_LIST, i, true);
            if (state.haveAccount && state.account.name == name) {
                return "";
            }
        }
    }
    return readAccount(page, state, name);
}

void listChosen(HWND page, AccountsPage& state) {
    const FilterChoice& choice = filters[chosenFilterIndex(page)];
    std::string argument;
    std::string refusal;
    if (!admin::usersArgument(choice.filter, controlText(page, IDC_ADMIN_ACCOUNT_FILTER_VALUE), argument, refusal)) {
        refuse(page, *state.context, "Accounts", refusal);
        return;
    }
    state.haveAccount = false;
    showAccount(page, state);
    const std::string problem = list(page, state, argument);
    showResult(page, problem.empty() ? "Listed. Pick an account to read its settings." : problem);
}

// The listing again, and the account `name` selected and read; "" when
// both were read. A listing that no longer shows the account (a re-added one
// under "Deleted") is listed for everyone, so that the list shows the
// account the right side shows.
std::string relist(HWND page, AccountsPage& state, const std::string& name, bool listFirst = true) {
    std::string problem = listFirst ? list(page, state, state.argument) : std::string();
    if (problem.empty() && !name.empty() && !listed(state, name) && !state.argument.empty()) {
        showFilter(page, everyoneFilter);
        problem = list(page, state, "");
    }
    const std::string accountProblem = name.empty() ? "" : selectAccount(page, state, name);
    if (!accountProblem.empty()) {
        problem += (problem.empty() ? "" : "\n") + accountProblem;
    }
    return problem;
}

void writeSettings(HWND page, AccountsPage& state) {
    const std::string name = state.account.name;
    WriteAction action;
    action.title = "Account settings";
    action.plan = admin::accountChangePlan(state.account, formFrom(page, accountBoxes));
    action.readBack = [&](const WriteSent&, std::vector<admin::Written>& values) {
        const std::string problem = readAccount(page, state, name);
        if (problem.empty()) {
            values = admin::accountReadBack(state.account);
        }
        return problem;
    };
    runWrite(page, *state.context, action);
}

void rename(HWND page, AccountsPage& state) {
    const std::string oldName = state.account.name;
    const std::string newName(admin::trimBlanks(controlText(page, IDC_ADMIN_ACCOUNT_NEW_NAME)));
    WriteAction action;
    action.title = "Rename";
    action.plan = admin::renamePlan(oldName, newName);
    if (action.plan.refusal.empty()) {
        action.plan.written.push_back({"Name", newName});
    }
    action.readBack = [&](const WriteSent&, std::vector<admin::Written>& values) {
        // Renamed: the new name's screen; refused: the old one's, unchanged.
        std::string problem = list(page, state, state.argument);
        if (problem.empty()) {
            problem = relist(page, state, listed(state, newName) ? newName : oldName, false);
        }
        if (problem.empty()) {
            values.push_back({"Name", state.account.name});
            if (state.account.name == newName) {
                setControlText(page, IDC_ADMIN_ACCOUNT_NEW_NAME, "");
            }
        }
        return problem;
    };
    runWrite(page, *state.context, action);
}

void readdOrPurge(HWND page, AccountsPage& state, bool purge) {
    const std::string name = state.account.name;
    WriteAction action;
    action.title = purge ? "Purge" : "Re-add";
    action.plan = purge ? admin::purgePlan(name) : admin::readdPlan(name);
    if (purge) {
        action.question = "Purge the deleted account \"" + shownName(name) +
                          "\"?\n\nIts user file goes for good: this cannot be undone.";
        action.notConfirmed = "Purge of \"" + shownName(name) + "\" not confirmed: nothing was sent.";
    }
    if (action.plan.refusal.empty()) {
        action.plan.written.push_back({"Account " + shownName(name), purge ? "purged" : "re-added"});
    }
    action.readBack = [&](const WriteSent&, std::vector<admin::Written>& values) {
        state.haveAccount = false;
        showAccount(page, state);
        if (purge) {
            // Purged: gone from the deleted accounts' listing.
            std::string problem = list(page, state, state.argument);
            if (problem.empty()) {
                values.push_back({"Account " + shownName(name), listed(state, name) ? "still listed" : "purged"});
            }
            return problem;
        }
        const std::string problem = relist(page, state, name);
        if (problem.empty()) {
            values.push_back({"Account " + shownName(name), state.account.deleted ? "still deleted" : "re-added"});
        }
        return problem;
    };
    runWrite(page, *state.context, action);
}

const Button<AccountsPage> accountButtons[] = {
    {IDC_ADMIN_ACCOUNT_LIST_BUTTON, listChosen},
    {IDC_ADMIN_ACCOUNT_WRITE,
     [](HWND page, AccountsPage& state) {
         if (state.haveAccount) writeSettings(page, state);
     }},
    {IDC_ADMIN_ACCOUNT_RENAME,
     [](HWND page, AccountsPage& state) {
         if (state.haveAccount) rename(page, state);
     }},
    {IDC_ADMIN_ACCOUNT_READD,
     [](HWND page, AccountsPage& state) {
         if (state.haveAccount && state.account.deleted) readdOrPurge(page, state, false);
     }},
    {IDC_ADMIN_ACCOUNT_PURGE,
     [](HWND page, AccountsPage& state) {
         if (state.haveAccount && state.account.deleted) readdOrPurge(page, state, true);
     }},
};

// True when the notification's result is set (DWLP_MSGRESULT).
bool onNotify(HWND page, AccountsPage& state, NMHDR& header) {
    if (header.idFrom != IDC_ADMIN_ACCOUNT_LIST) {
        return false;
    }
    const admin::UserListingIndex& listing = state.listing;
    if (answerFind(page, header, listing.size(), [&](std::size_t i) { return listing.rowName(i); })) {
        return true;
    }
    char buffer[32];
    if (giveCell(header, listing.size(), accountColumnCount,
                 [&](std::size_t row, int column) { return accountCell(listing.rowCells(row), column, buffer); })) {
        return false;
    }
    if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<NMLISTVIEW&>(header);
        const auto row = static_cast<std::size_t>(change.iItem);
        if (change.iItem >= 0 && row < listing.size() && (change.uChanged & LVIF_STATE) != 0 &&
            (change.uNewState & LVIS_SELECTED) != 0 && (change.uOldState & LVIS_SELECTED) == 0) {
            const std::string name(listing.rowName(row));
            const std::string problem = readAccount(page, state, name);
            showResult(page, problem.empty() ? "Read " + shownName(name) + " (SITE USER)." : problem);
        }
    }
    return false;
}

void AccountsPage::init(HWND page) {
    addColumns(page, IDC_ADMIN_ACCOUNT_LIST, accountColumns, accountColumnCount);
    for (const FilterChoice& choice : filters) {
        SendDlgItemMessageW(page, IDC_ADMIN_ACCOUNT_FILTER, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.label));
    }
    showFilter(page, everyoneFilter);
    showAccount(page, *this);
    showResult(page, "Nothing is read until you press List.");
}

void AccountsPage::command(HWND page, int id, int code) {
    if (id == IDC_ADMIN_ACCOUNT_FILTER && code == CBN_SELCHANGE) {
        showFilter(page, chosenFilterIndex(page));
        return;
    }
    clickButton(page, *this, id, code, accountButtons);
}

bool AccountsPage::notify(HWND page, NMHDR& header) { return onNotify(page, *this, header); }

}  // namespace

DLGPROC accountsAdminPageProcedure() { return pageProcedure<AccountsPage>; }
