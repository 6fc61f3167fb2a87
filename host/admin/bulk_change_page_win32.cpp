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

namespace {

using namespace admin_page;

struct BulkChangePage {
    AdminContext* context = nullptr;
};

// The SITE CHANGE settings an operator changes for many accounts at once.
const wchar_t* const settings[] = {
    L"ratio",       L"credits",       L"max_sim_up",  L"max_sim_down", L"num_logins",
    L"idle_time",   L"expires",       L"timeframe",   L"time_limit",   L"wkly_allotment",
    L"max_dlspeed", L"max_ulspeed",   L"tagline",     L"comment",      L"flags",
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
    form.setting = controlText(page, IDC_ADMIN_BULK_SETTING);
    form.value = controlText(page, IDC_ADMIN_BULK_VALUE);
    return form;
}

void enableTargets(HWND page) {
    EnableWindow(GetDlgItem(page, IDC_ADMIN_BULK_GROUP), IsDlgButtonChecked(page, IDC_ADMIN_BULK_TO_GROUP) == BST_CHECKED);
    EnableWindow(GetDlgItem(page, IDC_ADMIN_BULK_ACCOUNTS),
                 IsDlgButtonChecked(page, IDC_ADMIN_BULK_TO_LIST) == BST_CHECKED);
}

void apply(HWND page, BulkChangePage& state) {
    const admin::BulkForm form = formOf(page);
    const admin::Plan plan = admin::bulkChangePlan(form);
    if (!plan.refusal.empty()) {
        refuse(page, *state.context, "One change for many", plan.refusal);
        return;
    }
    if (plan.commands.empty()) {
        showResult(page, "Nothing to send.");
        return;
    }
    // How many the server will change, counted as it counts them.
    const std::string countCommand = admin::bulkCountCommand(form);
    Exchange counted = send(*state.context, countCommand);
    admin::UserListing listing;
    std::string failure;
    if (!counted.answered || !admin::readUserListing(counted.reply, listing, failure)) {
        showResult(page, "The accounts could not be counted (" + countCommand + ": " +
                             (counted.answered ? whyUnread(counted, failure) : counted.verdict.text) + ").\nNothing was changed.");
        return;
    }
    const std::int64_t count = admin::bulkCount(form, listing);
    const std::string& command = plan.commands.front();
    if (!confirm(page, *state.context, "One change for many",
                 command + "\n\nchanges " + std::to_string(count) + " account(s) at once. Send it?")) {
        showResult(page, command + "\nwould change " + std::to_string(count) +
                             " account(s): not confirmed, nothing was sent.");
        return;
    }
    const admin::PlanOutcome outcome = runPlan(*state.context, plan);
    showResult(page, command + " (counted before: " + std::to_string(count) + " account(s))\n" + outcome.summary);
}

INT_PTR CALLBACK bulkChangePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    BulkChangePage* state = stateOf<BulkChangePage>(page);
    switch (message) {
    case WM_INITDIALOG: {
        auto* created = new BulkChangePage;
        created->context = reinterpret_cast<AdminContext*>(lParam);
        SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(created));
        for (const wchar_t* setting : settings) {
            SendDlgItemMessageW(page, IDC_ADMIN_BULK_SETTING, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(setting));
        }
        SendDlgItemMessageW(page, IDC_ADMIN_BULK_SETTING, CB_SETCURSEL, 0, 0);
        CheckRadioButton(page, IDC_ADMIN_BULK_TO_GROUP, IDC_ADMIN_BULK_TO_ALL, IDC_ADMIN_BULK_TO_GROUP);
        enableTargets(page);
        showResult(page, "Nothing is sent until you press Apply and answer Yes.");
        return TRUE;
    }
    case WM_COMMAND:
        if (state == nullptr || HIWORD(wParam) != BN_CLICKED) {
            return TRUE;
        }
        switch (LOWORD(wParam)) {
        case IDC_ADMIN_BULK_TO_GROUP:
        case IDC_ADMIN_BULK_TO_LIST:
        case IDC_ADMIN_BULK_TO_ALL:
            enableTargets(page);
            break;
        case IDC_ADMIN_BULK_APPLY:
            apply(page, *state);
            break;
        default:
            break;
        }
        return TRUE;
    case WM_NCDESTROY:
        delete state;
        SetWindowLongPtrW(page, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

DLGPROC bulkChangeAdminPageProcedure() { return bulkChangePageProc; }
