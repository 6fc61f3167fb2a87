// The Groups page: the public groups (SITE GROUPS), the selected group's
// settings (SITE GRP, written with SITE GRPCHANGE), its members (SITE GINFO,
// deleted ones from SITE USERS deleted) and the group-admin toggle (SITE
// CHGADMIN). Every write is read back.
#include "host/admin/admin_page_procedures_win32.h"

#include <commctrl.h>

#include <string_view>
#include <utility>

#include "host/admin/admin_page_kit_win32.h"
#include "host/admin/group_members.h"
#include "host/admin/group_names.h"
#include "host/admin/group_settings.h"
#include "host/admin/user_listing.h"
#include "host/resources/host_resources.h"
#include "host/sites/wide_text_win32.h"

namespace {

using namespace admin_page;

struct GroupsPage {
    AdminContext* context = nullptr;
    std::vector<std::string> groups;
    std::string group;  // the one shown, empty: none
    bool haveSettings = false;
    bool haveMembers = false;
    admin::GroupSettings settings;
    admin::GroupInfoIndex info;  // the reply's lines, a row read when shown
};

const int settingFields[] = {IDC_ADMIN_GROUP_SLOTS,      IDC_ADMIN_GROUP_LEECH_SLOTS, IDC_ADMIN_GROUP_ALLOT_SLOTS,
                             IDC_ADMIN_GROUP_MAX_ALLOT,  IDC_ADMIN_GROUP_MAX_LOGINS,  IDC_ADMIN_GROUP_COMMENT,
                             IDC_ADMIN_GROUP_WRITE};

const Column memberColumns[] = {
    {L"Member", 62, false}, {L"Marks", 58, false},  {L"Files up", 34, true}, {L"MiB up", 38, true},
    {L"Files dn", 34, true}, {L"MiB dn", 38, true}, {L"Ratio", 30, false},  {L"Weekly", 36, true},
};

// The Marks cell: siteop, gadmin, deleted, as many as apply.
std::string_view marksOf(const admin::GroupMemberCells& cells, bool deleted) {
    static const std::string_view texts[8] = {
        "", "siteop", "gadmin", "siteop, gadmin", "deleted", "siteop, deleted", "gadmin, deleted",
        "siteop, gadmin, deleted"};
    return texts[(cells.siteop ? 1 : 0) | (cells.groupAdmin ? 2 : 0) | (deleted ? 4 : 0)];
}

std::string_view memberCell(const admin::GroupInfoIndex& info, std::size_t row, int column) {
    const admin::GroupMemberCells cells = info.rowCells(row);
    switch (column) {
    case 0: return cells.name;
    case 1: return marksOf(cells, info.rowDeleted(row));
    case 2: return cells.filesUp;
    case 3: return cells.mibUp;
    case 4: return cells.filesDown;
    case 5: return cells.mibDown;
    case 6: return cells.ratio;
    default: return cells.weekly;
    }
}

std::string slotsText(std::int64_t free) { return free == -1 ? "unlimited" : std::to_string(free); }

// The group read last (its settings, members and summary) and `result`,
// painted once.
void showGroup(HWND page, const GroupsPage& state, const std::string& result, const std::string& selectMember = "") {
    PageUpdate update(page);
    const admin::GroupForm form = state.haveSettings ? admin::groupFormOf(state.settings) : admin::GroupForm{};
    update.setText(IDC_ADMIN_GROUP_SLOTS, form.slots);
    update.setText(IDC_ADMIN_GROUP_LEECH_SLOTS, form.leechSlots);
    update.setText(IDC_ADMIN_GROUP_ALLOT_SLOTS, form.allotSlots);
    update.setText(IDC_ADMIN_GROUP_MAX_ALLOT, form.maxAllotSizeKb);
    update.setText(IDC_ADMIN_GROUP_MAX_LOGINS, form.maxLogins);
    update.setText(IDC_ADMIN_GROUP_COMMENT, form.comment);
    for (int id : settingFields) {
        update.enable(id, state.haveSettings);
    }

    update.setRowCount(IDC_ADMIN_MEMBER_LIST, state.info.size());
    if (!selectMember.empty()) {
        // The member's row again, with its mark as GINFO shows it now.
        for (std::size_t i = 0; i < state.info.size(); ++i) {
            if (state.info.rowName(i) == selectMember) {
                HWND list = GetDlgItem(page, IDC_ADMIN_MEMBER_LIST);
                LVITEMW item{};
                item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
                item.state = LVIS_SELECTED | LVIS_FOCUSED;
                SendMessageW(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
                SendMessageW(list, LVM_ENSUREVISIBLE, i, FALSE);
                update.changed(IDC_ADMIN_MEMBER_LIST);
                break;
            }
        }
    }
    std::string summary;
    if (state.haveMembers) {
        summary = std::to_string(state.info.usersInGroup) + " member(s), " + std::to_string(state.info.withLeech) +
                  " with leech; free slots " + slotsText(state.info.freeSlots) + ", free leech slots " +
                  slotsText(state.info.freeLeechSlots);
    }
    update.setText(IDC_ADMIN_MEMBER_SUMMARY, summary);
    update.enable(IDC_ADMIN_MEMBER_ADMIN, state.info.size() != 0);
    update.showResult(result);
}

// SITE GRP and SITE GINFO of the group, the deleted members marked; shown
// by showGroup. Returns what went wrong, empty when all was read.
std::string readGroup(GroupsPage& state, const std::string& group) {
    state.group = group;
    state.haveSettings = false;
    state.haveMembers = false;
    state.info.clear();
    std::string problem;
    Exchange grp = send(*state.context, "SITE GRP " + group);
    std::string failure;
    if (!grp.answered) {
        problem = grp.verdict.text;
    } else if (!admin::readGroupSettings(grp.reply, state.settings, failure)) {
        problem = "SITE GRP " + group + ": " + whyUnread(grp, failure);
    } else {
        state.haveSettings = true;
    }
    if (problem.empty()) {
        Exchange ginfo = sendForReader(*state.context, "SITE GINFO " + group);
        if (!ginfo.answered) {
            problem = ginfo.verdict.text;
        } else if (!state.info.read(std::move(ginfo.reply), failure)) {
            // An unread reply is left as it was, for the judge.
            problem = "SITE GINFO " + group + ": " + whyUnread(ginfo, failure);
        } else {
            state.haveMembers = true;
        }
    }
    if (problem.empty()) {
        // GINFO shows a deleted member like any other.
        Exchange deleted = sendForReader(*state.context, "SITE USERS deleted");
        admin::UserListingIndex listing;
        if (deleted.answered && listing.read(std::move(deleted.reply), failure)) {
            state.info.markDeleted(listing);
        } else {
            problem = "Deleted members are not marked: SITE USERS deleted: " +
                      (deleted.answered ? whyUnread(deleted, failure) : deleted.verdict.text);
        }
    }
    return problem;
}

void loadGroups(HWND page, GroupsPage& state) {
    Exchange exchange = send(*state.context, "SITE GROUPS");
    std::string failure;
    HWND list = GetDlgItem(page, IDC_ADMIN_GROUP_LIST);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    state.groups.clear();
    if (!exchange.answered) {
        showResult(page, "SITE GROUPS failed: " + exchange.verdict.text);
        return;
    }
    if (!admin::readPublicGroupNames(exchange.reply, state.groups, failure)) {
        showResult(page, "SITE GROUPS failed: " + whyUnread(exchange, failure));
        return;
    }
    for (const std::string& name : state.groups) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide_text::toWide(name).c_str()));
    }
    showResult(page, std::to_string(state.groups.size()) + " public group(s). Pick one to read its settings and members.");
}

// The name of the group picked in the list, as the server wrote it.
std::string pickedGroup(HWND page, const GroupsPage& state) {
    HWND list = GetDlgItem(page, IDC_ADMIN_GROUP_LIST);
    const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index < 0) {
        return "";
    }
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, index, 0)) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(text.size() - 1);
    std::string name;
    wide_text::toUtf8(text, name);
    for (const std::string& group : state.groups) {
        if (group == name) {
            return group;
        }
    }
    return "";
}

void writeSettings(HWND page, GroupsPage& state) {
    if (!state.haveSettings) {
        return;
    }
    admin::GroupForm form;
    form.slots = controlText(page, IDC_ADMIN_GROUP_SLOTS);
    form.leechSlots = controlText(page, IDC_ADMIN_GROUP_LEECH_SLOTS);
    form.allotSlots = controlText(page, IDC_ADMIN_GROUP_ALLOT_SLOTS);
    form.maxAllotSizeKb = controlText(page, IDC_ADMIN_GROUP_MAX_ALLOT);
    form.maxLogins = controlText(page, IDC_ADMIN_GROUP_MAX_LOGINS);
    form.comment = controlText(page, IDC_ADMIN_GROUP_COMMENT);
    const admin::Plan plan = admin::groupChangePlan(state.settings, form);
    if (!plan.refusal.empty()) {
        refuse(page, *state.context, "Group settings", plan.refusal);
        return;
    }
    if (plan.commands.empty()) {
        showResult(page, "Nothing changed: nothing was sent.");
        return;
    }
    const admin::PlanOutcome outcome = runPlan(*state.context, plan);
    const std::string group = state.group;
    const std::string problem = readGroup(state, group);
    showGroup(page, state,
              outcome.summary + (problem.empty() ? "\nRead back from SITE GRP." : "\nRead back: " + problem));
}

void toggleGroupAdmin(HWND page, GroupsPage& state) {
    const int row = selectedRow(page, IDC_ADMIN_MEMBER_LIST);
    if (row < 0 || static_cast<std::size_t>(row) >= state.info.size()) {
        refuse(page, *state.context, "Group admin", "Pick a member first.");
        return;
    }
    const std::string member(state.info.rowName(static_cast<std::size_t>(row)));
    const admin::Plan plan = admin::groupAdminTogglePlan(member, state.group);
    if (!plan.refusal.empty()) {
        refuse(page, *state.context, "Group admin", plan.refusal);
        return;
    }
    const admin::PlanOutcome outcome = runPlan(*state.context, plan);
    const std::string group = state.group;
    const std::string problem = readGroup(state, group);
    showGroup(page, state,
              outcome.summary + (problem.empty() ? "\nRead back from SITE GINFO." : "\nRead back: " + problem),
              member);
}

void onCommand(HWND page, GroupsPage& state, int id, int code) {
    if (id == IDC_ADMIN_GROUP_LIST && code == LBN_SELCHANGE) {
        const std::string group = pickedGroup(page, state);
        if (!group.empty()) {
            const std::string problem = readGroup(state, group);
            showGroup(page, state, problem.empty() ? "Read " + group + " (SITE GRP, SITE GINFO)." : problem);
        }
        return;
    }
    if (code != BN_CLICKED) {
        return;
    }
    switch (id) {
    case IDC_ADMIN_GROUP_LOAD:
        loadGroups(page, state);
        break;
    case IDC_ADMIN_GROUP_WRITE:
        writeSettings(page, state);
        break;
    case IDC_ADMIN_MEMBER_ADMIN:
        toggleGroupAdmin(page, state);
        break;
    default:
        break;
    }
}

INT_PTR CALLBACK groupsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    GroupsPage* state = stateOf<GroupsPage>(page);
    switch (message) {
    case WM_INITDIALOG: {
        auto* created = new GroupsPage;
        created->context = reinterpret_cast<AdminContext*>(lParam);
        SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(created));
        addColumns(page, IDC_ADMIN_MEMBER_LIST, memberColumns, sizeof memberColumns / sizeof memberColumns[0]);
        showGroup(page, *created, "Nothing is read until you press Load groups.");
        return TRUE;
    }
    case WM_COMMAND:
        if (state != nullptr) {
            onCommand(page, *state, LOWORD(wParam), HIWORD(wParam));
        }
        return TRUE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (state == nullptr || header->idFrom != IDC_ADMIN_MEMBER_LIST) {
            return FALSE;
        }
        const admin::GroupInfoIndex& info = state->info;
        if (header->code == LVN_GETDISPINFOW) {
            auto* request = reinterpret_cast<NMLVDISPINFOW*>(lParam);
            const auto row = static_cast<std::size_t>(request->item.iItem);
            if (request->item.iItem >= 0 && row < info.size()) {
                giveCellText(*request, memberCell(info, row, request->item.iSubItem));
            }
        } else if (header->code == LVN_ODFINDITEMW) {
            const int row = findRow(*reinterpret_cast<NMLVFINDITEMW*>(lParam), info.size(),
                                    [&](std::size_t i) { return info.rowName(i); });
            SetWindowLongPtrW(page, DWLP_MSGRESULT, row);
            return TRUE;
        }
        return FALSE;
    }
    case WM_NCDESTROY:
        delete state;
        SetWindowLongPtrW(page, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

DLGPROC groupsAdminPageProcedure() { return groupsPageProc; }
