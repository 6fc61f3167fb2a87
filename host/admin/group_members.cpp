#include "host/admin/group_members.h"

#include <string_view>
#include <unordered_set>
#include <utility>

#include "host/admin/admin_reply.h"
#include "host/admin/admin_text.h"
#include "host/admin/user_listing.h"

namespace admin {

namespace {

// "| isoleech  |      0 |         0 |      0 |         0 | leech |       0 |":
// the six columns are cut from the right, so a name longer than its column
// (or holding a '|') moves nothing. False when the row has fewer columns.
bool readMemberRow(std::string_view text, GroupMemberCells& cells) {
    text = trimTrailingBlanks(text);
    if (text.size() < 2 || text.front() != '|' || text.back() != '|') return false;
    text.remove_suffix(1);
    std::string_view* const columns[6] = {&cells.filesUp,   &cells.mibUp, &cells.filesDown,
                                          &cells.mibDown, &cells.ratio, &cells.weekly};
    for (int column = 5; column >= 0; --column) {
        const std::size_t bar = text.rfind('|');
        if (bar == std::string_view::npos || bar == 0) return false;
        *columns[column] = trimBlanks(text.substr(bar + 1));
        text = text.substr(0, bar);
    }
    text.remove_prefix(1);  // the opening '|'
    if (text.empty()) return false;
    const char mark = text.front();
    cells.siteop = mark == '*';
    cells.groupAdmin = mark == '+';
    cells.name = trimBlanks(text.substr(1));
    return !cells.name.empty() && (mark == ' ' || mark == '*' || mark == '+');
}

// "Users in group: 5" anywhere in a footer line; "Unlimited" free slots are -1.
void readFooterNumber(std::string_view text, std::string_view label, std::int64_t& out,
                      bool& seen) {
    std::string_view value;
    if (!valueAfter(text, label, value)) return;
    if (value == "Unlimited") {
        out = -1;
        seen = true;
    } else if (readInteger(value, out)) {
        seen = true;
    }
}

struct Footer {
    std::int64_t usersInGroup = 0, withLeech = 0, freeSlots = 0, freeLeechSlots = 0;
};

// The heading row, then the rule of 11 dashes; rows end at the first rule
// that starts "|-" (10 dashes in the stock template), the footer follows.
// Every row is handed to `onRow` (its cells) as it is checked; `firstRow`
// is the line of the first. False, with the operator's words, when the
// reply is no complete member list.
template <typename OnRow>
bool scanGroupInfo(const session::Reply& reply, std::size_t& firstRow, Footer& footer, std::string& failure,
                   OnRow&& onRow) {
    footer = Footer{};
    failure.clear();
    const std::size_t count = reply.lines.size();
    std::size_t at = 0;
    while (at < count && lineTextView(reply.lines[at]).find("|  Username |") == std::string_view::npos)
        ++at;
    if (at + 1 >= count || !startsWith(lineTextView(reply.lines[at + 1]), "|-")) {
        const Verdict verdict = judgeReply(reply);
        failure = verdict.done ? std::string("The reply is not a group's member list.") : verdict.text;
        return false;
    }
    at += 2;
    firstRow = at;
    bool rowsEnded = false;
    GroupMemberCells cells;
    for (; at < count; ++at) {
        const std::string_view text = lineTextView(reply.lines[at]);
        if (startsWith(text, "|-")) {
            rowsEnded = true;
            break;
        }
        if (!readMemberRow(text, cells)) {
            failure = "Line " + std::to_string(at + 1) + " of the group's member list is not a member row.";
            return false;
        }
        onRow(cells);
    }
    bool users = false, leech = false, slots = false, leechSlots = false;
    for (; rowsEnded && at < count; ++at) {
        const std::string_view text = lineTextView(reply.lines[at]);
        readFooterNumber(text, "Users in group: ", footer.usersInGroup, users);
        readFooterNumber(text, "With leech: ", footer.withLeech, leech);
        readFooterNumber(text, "Total Free Slots: ", footer.freeSlots, slots);
        readFooterNumber(text, "Free Leech Slots: ", footer.freeLeechSlots, leechSlots);
    }
    if (rowsEnded && users && leech && slots && leechSlots) return true;
    failure = "The group's member list ends early.";
    return false;
}

}  // namespace

bool readGroupInfo(const session::Reply& coloured, GroupInfo& out, std::string& failure) {
    out = GroupInfo{};
    session::Reply storage;
    const session::Reply& reply = plainTwin(coloured, storage);
    std::size_t firstRow = 0;
    Footer footer;
    const bool read = scanGroupInfo(reply, firstRow, footer, failure, [&](const GroupMemberCells& cells) {
        if (out.members.empty()) out.members.reserve(reply.lines.size() - firstRow);
        GroupMember& member = out.members.emplace_back();
        member.name.assign(cells.name.data(), cells.name.size());
        member.siteop = cells.siteop;
        member.groupAdmin = cells.groupAdmin;
        member.filesUp.assign(cells.filesUp.data(), cells.filesUp.size());
        member.mibUp.assign(cells.mibUp.data(), cells.mibUp.size());
        member.filesDown.assign(cells.filesDown.data(), cells.filesDown.size());
        member.mibDown.assign(cells.mibDown.data(), cells.mibDown.size());
        member.ratio.assign(cells.ratio.data(), cells.ratio.size());
        member.weekly.assign(cells.weekly.data(), cells.weekly.size());
    });
    if (!read) {
        out = GroupInfo{};
        return false;
    }
    out.usersInGroup = footer.usersInGroup;
    out.withLeech = footer.withLeech;
    out.freeSlots = footer.freeSlots;
    out.freeLeechSlots = footer.freeLeechSlots;
    return true;
}

void markDeleted(GroupInfo& info, const UserListing& deleted) {
    std::unordered_set<std::string_view> names;
    names.reserve(deleted.users.size());
    for (const ListedUser& user : deleted.users) names.insert(user.name);
    for (GroupMember& member : info.members) member.deleted = names.count(member.name) != 0;
}

bool GroupInfoIndex::read(session::Reply&& reply, std::string& failure) {
    clear();
    removeColour(reply.lines);
    std::size_t firstRow = 0, rows = 0;
    Footer footer;
    if (!scanGroupInfo(reply, firstRow, footer, failure, [&](const GroupMemberCells&) { ++rows; })) return false;
    lines_ = std::move(reply.lines);
    firstRow_ = firstRow;
    rows_ = rows;
    usersInGroup = footer.usersInGroup;
    withLeech = footer.withLeech;
    freeSlots = footer.freeSlots;
    freeLeechSlots = footer.freeLeechSlots;
    return true;
}

void GroupInfoIndex::clear() {
    lines_.clear();
    firstRow_ = rows_ = 0;
    deleted_.clear();
    usersInGroup = withLeech = freeSlots = freeLeechSlots = 0;
}

GroupMemberCells GroupInfoIndex::rowCells(std::size_t row) const {
    GroupMemberCells cells;
    if (row >= rows_ || !readMemberRow(lineTextView(lines_[firstRow_ + row]), cells)) return GroupMemberCells{};
    return cells;
}

std::string_view GroupInfoIndex::rowName(std::size_t row) const { return rowCells(row).name; }

void GroupInfoIndex::markDeleted(const UserListingIndex& deleted) {
    std::unordered_set<std::string_view> names;
    names.reserve(deleted.size());
    for (std::size_t i = 0; i < deleted.size(); ++i) names.insert(deleted.rowName(i));
    deleted_.assign(rows_, 0);
    for (std::size_t i = 0; i < rows_; ++i) deleted_[i] = names.count(rowName(i)) != 0 ? 1 : 0;
}

}  // namespace admin
