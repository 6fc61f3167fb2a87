// One change for many: one SITE CHANGE setting and value for a group, a list
// of accounts or every account. The accounts it reaches are counted first
// (SITE USERS with the same selection) and the operator is asked, No being
// the default; then the server's report is shown.
#include <windows.h>

#include <commctrl.h>

#include <sstream>

#include "host/admin/admin_page_kit_win32.h"
#include "host/admin/admin_page_procedures_win32.h"
#include "host/admin/user_listing.h"
#include "host/resources/host_resources.h"
#include "host/sites/wide_text_win32.h"

namespace {

using namespace admin_page;

struct BulkChangePage {
    void init(HWND page);
    void command(HWND page, int id, int code);

    AdminContext* context = nullptr;
};

std::vector<std::string> words(const std::string& text) {
    std::string spaced = text;
    for (char& c : spaced) {
        if (c == ',' || c == ';' || c == '\t') {
            c = ' ';
        }
    }
    std::istringstream stream(spaced);
    std::vector<std::string> result;
    for (std::string word; stream >> word;) {
        result.push_back(word);
    }
    return result;
}

admin::BulkForm formOf(HWND page) {
    admin::BulkForm form;
    if (IsDlgButtonChecked(page, IDC_ADMIN_BULK_TO_LIST) == BST_CHECKED) {
        form.target = admin::BulkTarget::List;
    } else if (IsDlgButtonChecked(page, IDC_ADMIN_BULK_TO_ALL) == BST_CHECKED) {
        form.target = admin::BulkTarget::Everyone;
    } else {
        form.target = admin::BulkTarget::Group;
    }
    form.group = controlText(page, IDC_ADMIN_BULK_GROUP);
    form.accounts = words(controlText(page, IDC_ADMIN_BULK_ACCOUNTS));
    const LRESULT chosen = SendDlgItemMessageW(page, IDC_ADMIN_BULK_SETTING, CB_GETCURSEL, 0, 0);
    form.setting = chosen >= 0 && static_cast<std::size_t>(chosen) < admin::bulkSettingCount
                       ? admin::bulkSettings[chosen].key
                       : "";
    form.value = controlText(page, IDC_ADMIN_BULK_VALUE);
    return form;
}

void enableTargets(HWND page) {
    EnableWindow(GetDlgItem(page, IDC_ADMIN_BULK_GROUP), IsDlgButtonChecked(page, IDC_ADMIN_BULK_TO_GROUP) == BST_CHECKED);
    EnableWindow(GetDlgItem(page, IDC_ADMIN_BULK_ACCOUNTS),
                 IsDlgButtonChecked(page, IDC_ADMIN_BULK_TO_LIST) == BST_CHECKED);
}

void showSettingHint(HWND page) {
    const LRESULT chosen = SendDlgItemMessageW(page, IDC_ADMIN_BULK_SETTING, CB_GETCURSEL, 0, 0);
    setControlText(page, IDC_ADMIN_BULK_SETTING_HINT,
                   chosen >= 0 && static_cast<std::size_t>(chosen) < admin::bulkSettingCount
                       ? std::string("Value: ") + admin::bulkSettings[chosen].hint + "."
                       : std::string());
}

void apply(HWND page, BulkChangePage& state) {
    const admin::BulkForm form = formOf(page);
    WriteAction action;
    action.title = "One change for many";
    action.plan = admin::bulkChangePlan(form);
    action.nothingChanged = "Nothing to send.";
    if (action.plan.refusal.empty() && !action.plan.commands.empty()) {
        // How many the server will change, counted as it counts them.
        const std::string countCommand = admin::bulkCountCommand(form);
        Exchange counted = send(*state.context, countCommand);
        admin::UserListing listing;
        std::string failure;
        if (!counted.answered || !admin::readUserListing(counted.reply, listing, failure)) {
            showResult(page, "The accounts could not be counted (" + countCommand + ": " +
                                 (counted.answered ? whyUnread(counted, failure) : counted.verdict.text) +
                                 ").\nNothing was changed.");
            return;
        }
        action.plan.refusal = admin::bulkCountProblem(form, listing);
        action.refusedNote = "Nothing was changed: only the count was read (" + countCommand + ").";
        const std::int64_t count = admin::bulkCount(form, listing);
        const std::string& command = action.plan.commands.front();
        action.confirmedCount = count;
        action.question = command + "\n\nchanges " + std::to_string(count) + " account(s) at once. Send it?";
        action.notConfirmed = command + "\nwould change " + std::to_string(count) +
                              " account(s): not confirmed, nothing was sent.";
    }
    runWrite(page, *state.context, action);
}

void BulkChangePage::init(HWND page) {
    for (std::size_t i = 0; i < admin::bulkSettingCount; ++i) {
        const std::wstring words = wide_text::toWide(admin::bulkSettings[i].words);
        SendDlgItemMessageW(page, IDC_ADMIN_BULK_SETTING, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(words.c_str()));
    }
    SendDlgItemMessageW(page, IDC_ADMIN_BULK_SETTING, CB_SETCURSEL, 0, 0);
    showSettingHint(page);
    CheckRadioButton(page, IDC_ADMIN_BULK_TO_GROUP, IDC_ADMIN_BULK_TO_ALL, IDC_ADMIN_BULK_TO_GROUP);
    enableTargets(page);
    showResult(page, "Nothing is sent until you press Apply and answer Yes.");
}

const Button<BulkChangePage> bulkButtons[] = {
    {IDC_ADMIN_BULK_APPLY, apply},
    {IDC_ADMIN_BULK_TO_GROUP, [](HWND page, BulkChangePage&) { enableTargets(page); }},
    {IDC_ADMIN_BULK_TO_LIST, [](HWND page, BulkChangePage&) { enableTargets(page); }},
    {IDC_ADMIN_BULK_TO_ALL, [](HWND page, BulkChangePage&) { enableTargets(page); }},
};

void BulkChangePage::command(HWND page, int id, int code) {
    if (id == IDC_ADMIN_BULK_SETTING && code == CBN_SELCHANGE) {
        showSettingHint(page);
    } else {
        clickButton(page, *this, id, code, bulkButtons);
    }
}

}  // namespace

DLGPROC bulkChangeAdminPageProcedure() { return pageProcedure<BulkChangePage>; }
