// The Groups page: the public groups (SITE GROUPS), the selected group's
// settings (SITE GRP, written with SITE GRPCHANGE), its members (SITE GINFO,
// deleted ones from SITE USERS deleted, names GINFO cuts made whole from
// SITE USERS =group) and the group-admin toggle (SITE CHGADMIN). A command
// goes to the whole name the operator picked, and only after the server's
// screen showed that name; every write is read back and compared with what
// was written. Coloured replies (flag 5) are read without their colours.
#include "host/admin/admin_page_procedures_win32.h"

#include <commctrl.h>

#include <string_view>
#include <unordered_map>
#include <utility>

#include "host/admin/admin_page_kit_win32.h"
#include "host/admin/admin_plans.h"
#include "host/admin/admin_text.h"
#include "host/admin/group_identity.h"
#include "host/admin/group_members.h"
#include "host/admin/group_names.h"
#include "host/admin/group_settings.h"
#include "host/admin/user_listing.h"
#include "host/resources/host_resources.h"
#include "host/sites/wide_text_win32.h"

namespace {

using namespace admin_page;

struct GroupsPage {
    void init(HWND page);
    void command(HWND page, int id, int code);
    bool notify(HWND page, NMHDR& header);

    AdminContext* context = nullptr;
    std::vector<std::string> groups;  // as SITE GROUPS names them, in the list's order
    std::string group;                // the one shown, empty: none
    std::string groupProblem;         // why nothing is changed for it; empty: nothing against it
    bool haveSettings = false;
    bool haveMembers = false;
    admin::GroupSettings settings;
    admin::GroupInfoIndex info;  // the reply's lines, a row read when shown
    // The rows whose name GINFO may have cut, with the whole name found.
    std::unordered_map<std::size_t, admin::MemberMatch> cutRows;
    std::string cutNames;  // the text of the cut row the list asked for last (its name and "...")
};

const int settingFields[] = {IDC_ADMIN_GROUP_SLOTS,      IDC_ADMIN_GROUP_LEECH_SLOTS, IDC_ADMIN_GROUP_ALLOT_SLOTS,
                             IDC_ADMIN_GROUP_MAX_ALLOT,  IDC_ADMIN_GROUP_MAX_LOGINS,  IDC_ADMIN_GROUP_COMMENT,
                             IDC_ADMIN_GROUP_WRITE};

const FormBox<admin::GroupForm> groupBoxes[] = {
    {IDC_ADMIN_GROUP_SLOTS, &admin::GroupForm::slots},
    {IDC_ADMIN_GROUP_LEECH_SLOTS, &admin::GroupForm::leechSlots},
    {IDC_ADMIN_GROUP_ALLOT_SLOTS, &admin::GroupForm::allotSlots},
    {IDC_ADMIN_GROUP_MAX_ALLOT, &admin::GroupForm::maxAllotSizeKb},
    {IDC_ADMIN_GROUP_MAX_LOGINS, &admin::GroupForm::maxLogins},
    {IDC_ADMIN_GROUP_COMMENT, &admin::GroupForm::comment},
};

const Column memberColumns[] = {
    {L"Member", 62, false}, {L"Marks", 58, false},  {L"Files up", 34, true}, {L"MiB up", 38, true},
    {L"Files dn", 34, true}, {L"MiB dn", 38, true}, {L"Ratio", 30, false},  {L"Weekly", 36, true},
};
constexpr int memberColumnCount = sizeof memberColumns / sizeof memberColumns[0];

// The Marks cell: siteop, gadmin, deleted, as many as apply.
std::string_view marksOf(const admin::GroupMemberCells& cells, bool deleted) {
    static const std::string_view texts[8] = {
        "", "siteop", "gadmin", "siteop, gadmin", "deleted", "siteop, deleted", "gadmin, deleted",
        "siteop, gadmin, deleted"};
    return texts[(cells.siteop ? 1 : 0) | (cells.groupAdmin ? 2 : 0) | (deleted ? 4 : 0)];
}

const admin::MemberMatch* cutRow(const GroupsPage& state, std::size_t row) {
    const auto found = state.cutRows.find(row);
    return found == state.cutRows.end() ? nullptr : &found->second;
}

bool rowDeleted(const GroupsPage& state, std::size_t row) {
    const admin::MemberMatch* match = cutRow(state, row);
    if (match != nullptr && match->kind == admin::MemberMatch::Kind::Unique) return match->deleted;
    if (match != nullptr && match->kind == admin::MemberMatch::Kind::Ambiguous) return false;  // which one is not known
    return state.info.rowDeleted(row);
}

// A member's name as the list shows it: the whole name where GINFO cut it
// and it is known, the cut one followed by "..." where it is not.
std::string_view memberName(const GroupsPage& state, std::size_t row, std::string& buffer) {
    const std::string_view shown = state.info.rowName(row);
    const admin::MemberMatch* match = cutRow(state, row);
    if (match == nullptr || match->kind == admin::MemberMatch::Kind::Whole) return shown;
    if (match->kind == admin::MemberMatch::Kind::Unique) return match->name;
    buffer.assign(shown.data(), shown.size());
    buffer += "...";
    return buffer;
}

std::string_view memberCell(const GroupsPage& state, std::size_t row, int column, std::string& buffer) {
    const admin::GroupMemberCells cells = state.info.rowCells(row);
    switch (column) {
    case 0: return memberName(state, row, buffer);
    case 1: return marksOf(cells, rowDeleted(state, row));
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
// painted once. `selectRow`: the member row to select again, -1 none.
void showGroup(HWND page, GroupsPage& state, const std::string& result, long selectRow = -1) {
    PageUpdate update(page);
    const admin::GroupForm form = state.haveSettings ? admin::groupFormOf(state.settings) : admin::GroupForm{};
    showForm(update, form, groupBoxes);
    for (int id : settingFields) {
        update.enable(id, state.haveSettings);
    }

    update.setRowCount(IDC_ADMIN_MEMBER_LIST, state.info.size());
    if (selectRow >= 0 && static_cast<std::size_t>(selectRow) < state.info.size()) {
        // The member's row again, with its mark as GINFO shows it now.
        selectListRow(page, IDC_ADMIN_MEMBER_LIST, static_cast<std::size_t>(selectRow), false);
        update.changed(IDC_ADMIN_MEMBER_LIST);
    }
    std::string summary;
    if (state.haveMembers) {
        summary = std::to_string(state.info.usersInGroup) + " member(s), " + std::to_string(state.info.withLeech) +
                  " of them leech; free slots: " + slotsText(state.info.freeSlots) + ", free leech slots: " +
                  slotsText(state.info.freeLeechSlots);
    }
    update.setText(IDC_ADMIN_MEMBER_SUMMARY, summary);
    update.enable(IDC_ADMIN_MEMBER_ADMIN, state.info.size() != 0);
    update.showResult(result);
}

// The whole names of the rows GINFO may have cut, from SITE USERS =group
// and the deleted listing. Returns what went wrong, empty when all was read.
std::string matchCutRows(GroupsPage& state, const admin::UserListingIndex* deleted) {
    bool anyCut = false;
    for (std::size_t i = 0; i < state.info.size() && !anyCut; ++i) anyCut = admin::mayBeCut(state.info.rowName(i));
    if (!anyCut) return {};
    admin::MemberNames names;
    if (deleted != nullptr) {
        for (std::size_t i = 0; i < deleted->size(); ++i) names.add(deleted->rowName(i), true);
    }
    std::string problem, failure;
    Exchange listed = sendForReader(*state.context, "SITE USERS =" + state.group);
    admin::UserListingIndex listing;
    if (listed.answered && listing.read(std::move(listed.reply), failure)) {
        for (std::size_t i = 0; i < listing.size(); ++i) names.add(listing.rowName(i), false);
    } else {
        problem = "The whole names of the members SITE GINFO cut are not known: SITE USERS =" + state.group + ": " +
                  (listed.answered ? whyUnread(listed, failure) : listed.verdict.text);
    }
    for (std::size_t i = 0; i < state.info.size(); ++i) {
        const std::string_view shown = state.info.rowName(i);
        if (admin::mayBeCut(shown)) state.cutRows[i] = names.match(shown);
    }
    return problem;
}

// SITE GRP and SITE GINFO of the group, the deleted members marked and the
// cut names made whole; shown by showGroup. Nothing is read past a screen
// that is not the group's. Returns what went wrong, empty when all was read.
std::string readGroup(GroupsPage& state, const std::string& group) {
    state.group = group;
    state.groupProblem.clear();
    state.haveSettings = false;
    state.haveMembers = false;
    state.info.clear();
    state.cutRows.clear();
    std::string problem = admin::groupNameProblem(group, admin::GroupCommand::Settings);
    if (!problem.empty()) {
        state.groupProblem = problem;
        return problem + "\nNothing was sent.";
    }
    Exchange grp = sendForReader(*state.context, "SITE GRP " + group);
    std::string failure;
    if (!grp.answered) {
        return grp.verdict.text;
    }
    if (!admin::readGroupSettings(grp.reply, state.settings, failure)) {
        return "SITE GRP " + group + ": " + whyUnread(grp, failure);
    }
    problem = admin::screenNameProblem(group, state.settings.name);
    if (!problem.empty()) {
        state.groupProblem = problem;
        return problem + "\nNothing is changed for " + group + " from this page: nothing more was sent.";
    }
    state.haveSettings = true;
    problem = admin::groupNameProblem(group, admin::GroupCommand::Members);
    if (!problem.empty()) {
        return problem;
    }
    Exchange ginfo = sendForReader(*state.context, "SITE GINFO " + group);
    if (!ginfo.answered) {
        return ginfo.verdict.text;
    }
    if (!state.info.read(std::move(ginfo.reply), failure)) {
        // An unread reply is left as it was, for the judge.
        return "SITE GINFO " + group + ": " + whyUnread(ginfo, failure);
    }
    state.haveMembers = true;
    // GINFO shows a deleted member like any other.
    Exchange deleted = sendForReader(*state.context, "SITE USERS deleted");
    admin::UserListingIndex listing;
    if (deleted.answered && listing.read(std::move(deleted.reply), failure)) {
        state.info.markDeleted(listing);
        return matchCutRows(state, &listing);
    }
    problem = "Deleted members are not marked: SITE USERS deleted: " +
              (deleted.answered ? whyUnread(deleted, failure) : deleted.verdict.text);
    const std::string more = matchCutRows(state, nullptr);
    return more.empty() ? problem : problem + "\n" + more;
}

void loadGroups(HWND page, GroupsPage& state) {
    Exchange sent = sendForReader(*state.context, "SITE GROUPS");
    std::string failure;
    HWND list = GetDlgItem(page, IDC_ADMIN_GROUP_LIST);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    state.groups.clear();
    if (!sent.answered) {
        showResult(page, "SITE GROUPS failed: " + sent.verdict.text);
        return;
    }
    if (!admin::readPublicGroupNames(sent.reply, state.groups, failure)) {
        showResult(page, "SITE GROUPS failed: " + whyUnread(sent, failure));
        return;
    }
    for (const std::string& name : state.groups) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide_text::toWide(admin::displayText(name)).c_str()));
    }
    showResult(page, std::to_string(state.groups.size()) + " public group(s). Pick one to read its settings and members.");
}

// The name of the group picked in the list, whole, as SITE GROUPS wrote it
// (the list holds the groups in that order).
std::string pickedGroup(HWND page, const GroupsPage& state) {
    const LRESULT index = SendDlgItemMessageW(page, IDC_ADMIN_GROUP_LIST, LB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<std::size_t>(index) >= state.groups.size()) {
        return "";
    }
    return state.groups[static_cast<std::size_t>(index)];
}

// The group read again after a write: SITE GRP gives the settings read
// back; what else went wrong reading it (its members) goes below the verdict.
std::string readAgain(GroupsPage& state, std::string& more) {
    const std::string group = state.group;
    const std::string problem = readGroup(state, group);
    if (!state.haveSettings) {
        return problem.empty() ? "SITE GRP " + group + " was not read." : problem;
    }
    more = problem;
    return "";
}

void writeSettings(HWND page, GroupsPage& state) {
    WriteAction action;
    action.title = "Group settings";
    if (state.haveSettings) {
        action.plan = admin::groupChangePlan(state.settings, formFrom(page, groupBoxes));
    } else {
        action.plan.refusal = state.groupProblem.empty() ? std::string("Pick a group first.") : state.groupProblem;
    }
    std::string more;
    action.readBack = [&](const WriteSent&, std::vector<admin::Written>& values) {
        const std::string problem = readAgain(state, more);
        if (problem.empty()) {
            values = admin::groupReadBack(state.settings);
        }
        return problem;
    };
    action.show = [&](const std::string& verdict) {
        showGroup(page, state, verdict + (more.empty() ? "" : "\n" + more));
    };
    runWrite(page, *state.context, action);
}

// Whether SITE CHGADMIN <user> (the user's groups, nothing changed) lists
// the user as group admin of the group, in words.
std::string adminReadBack(GroupsPage& state, const std::string& user, int direction) {
    const std::string command = "SITE CHGADMIN " + user;
    Exchange sent = sendForReader(*state.context, command);
    std::vector<admin::AdminGroup> groups;
    std::string failure, listed;
    if (!sent.answered) {
        return "Not read back: " + sent.verdict.text;
    }
    if (!admin::readAdminGroups(sent.reply, listed, groups, failure)) {
        return "Not read back: " + command + ": " + failure;
    }
    if (listed != user) {
        return "Not read back: " + command + " lists the groups of " + listed + ", not of " + user + ".";
    }
    for (const admin::AdminGroup& group : groups) {
        if (group.name != state.group) {
            continue;
        }
        if (group.groupAdmin && direction >= 0) {
            return user + " is now group admin of " + state.group + " (read back with " + command + ").";
        }
        if (!group.groupAdmin && direction <= 0) {
            return user + " is no longer group admin of " + state.group + " (read back with " + command + ").";
        }
        return "The server answered that " + user + (direction > 0 ? " was made" : " is no longer") +
               " group admin of " + state.group + ", but " + command + " lists " + user +
               (group.groupAdmin ? " as group admin of it." : " as a member of it without group admin.");
    }
    return "Not read back: " + command + " does not list " + state.group + " among " + user + "'s groups.";
}

void toggleGroupAdmin(HWND page, GroupsPage& state) {
    const int row = selectedRow(page, IDC_ADMIN_MEMBER_LIST);
    WriteAction action;
    action.title = "Group admin";
    if (row < 0 || static_cast<std::size_t>(row) >= state.info.size()) {
        action.plan.refusal = "Pick a member first.";
        runWrite(page, *state.context, action);
        return;
    }
    const auto index = static_cast<std::size_t>(row);
    std::string problem = state.groupProblem;
    if (problem.empty()) {
        problem = admin::groupNameProblem(state.group, admin::GroupCommand::GroupAdmin);
    }
    std::string member(state.info.rowName(index));
    const admin::MemberMatch* match = cutRow(state, index);
    if (problem.empty() && match != nullptr) {
        problem = admin::matchProblem(*match, member, state.group);
        if (problem.empty()) {
            member = match->name;
        }
    }
    if (problem.empty()) {
        problem = admin::memberNameProblem(member);
    }
    const std::string group = state.group;
    action.plan = problem.empty() ? admin::Plan("", {"SITE CHGADMIN " + member + " " + group}) : admin::Plan(problem, {});
    // Read back with SITE CHGADMIN <member> once the server took it; the
    // group's members again whatever it answered.
    std::string adminWords, more;
    action.readBack = [&](const WriteSent& sent, std::vector<admin::Written>&) {
        if (sent.outcome.applied == 1) {
            adminWords = adminReadBack(state, member, admin::toggleDirection(sent.replies.front()));
        }
        more = readGroup(state, group);
        return std::string();
    };
    action.verdict = [&](const WriteSent& sent, const std::vector<admin::Written>*, const std::string&) {
        if (sent.outcome.applied == 1) {
            return adminWords;
        }
        if (sent.replies.empty()) {
            return sent.unanswered;
        }
        return "The server refused group admin of " + group + " for " + member + ": " +
               admin::judgeReply(sent.replies.front()).text + " Nothing changed.";
    };
    action.show = [&](const std::string& verdict) {
        showGroup(page, state, verdict + (more.empty() ? "" : "\n" + more),
                  index < state.info.size() ? static_cast<long>(index) : -1);
    };
    runWrite(page, *state.context, action);
}

const Button<GroupsPage> groupButtons[] = {
    {IDC_ADMIN_GROUP_LOAD, loadGroups},
    {IDC_ADMIN_GROUP_WRITE, writeSettings},
    {IDC_ADMIN_MEMBER_ADMIN, toggleGroupAdmin},
};

void onCommand(HWND page, GroupsPage& state, int id, int code) {
    if (id == IDC_ADMIN_GROUP_LIST && code == LBN_SELCHANGE) {
        const std::string group = pickedGroup(page, state);
        if (!group.empty()) {
            const std::string problem = readGroup(state, group);
            showGroup(page, state, problem.empty() ? "Read " + group + " (SITE GRP, SITE GINFO)." : problem);
        }
        return;
    }
    clickButton(page, state, id, code, groupButtons);
}

void GroupsPage::init(HWND page) {
    addColumns(page, IDC_ADMIN_MEMBER_LIST, memberColumns, sizeof memberColumns / sizeof memberColumns[0]);
    showGroup(page, *this, "Nothing is read until you press Load groups.");
}

void GroupsPage::command(HWND page, int id, int code) { onCommand(page, *this, id, code); }

bool GroupsPage::notify(HWND page, NMHDR& header) {
    if (header.idFrom != IDC_ADMIN_MEMBER_LIST) {
        return false;
    }
    giveCell(header, info.size(), memberColumnCount,
             [&](std::size_t row, int column) { return memberCell(*this, row, column, cutNames); });
    return answerFind(page, header, info.size(), [&](std::size_t i) { return memberName(*this, i, cutNames); });
}

}  // namespace

DLGPROC groupsAdminPageProcedure() { return pageProcedure<GroupsPage>; }
