#include "host/admin/group_members.h"

#include <string_view>
#include <unordered_set>

#include "host/admin/admin_reply.h"
#include "host/admin/admin_text.h"
#include "host/admin/user_listing.h"

namespace admin {

namespace {

// "| isoleech  |      0 |         0 |      0 |         0 | leech |       0 |":
// the six columns are cut from the right, so a name longer than its column
// (or holding a '|') moves nothing. False when the row has fewer columns.
bool readMemberRow(std::string_view text, GroupMember& member) {
    text = trimTrailingBlanks(text);
    if (text.size() < 2 || text.front() != '|' || text.back() != '|') return false;
    text.remove_suffix(1);
    std::string_view columns[6];
    for (int column = 5; column >= 0; --column) {
        const std::size_t bar = text.rfind('|');
        if (bar == std::string_view::npos || bar == 0) return false;
        columns[column] = trimBlanks(text.substr(bar + 1));
        text = text.substr(0, bar);
    }
    text.remove_prefix(1);  // the opening '|'
    if (text.empty()) return false;
    const char mark = text.front();
    member.siteop = mark == '*';
    member.groupAdmin = mark == '+';
    const std::string_view name = trimBlanks(text.substr(1));
    if (name.empty() || (mark != ' ' && mark != '*' && mark != '+')) return false;
    member.name.assign(name.data(), name.size());
    std::string* const fields[6] = {&member.filesUp, &member.mibUp,  &member.filesDown,
                                    &member.mibDown, &member.ratio, &member.weekly};
    for (int column = 0; column < 6; ++column) fields[column]->assign(columns[column].data(), columns[column].size());
    return true;
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

}  // namespace

bool readGroupInfo(const session::Reply& reply, GroupInfo& out, std::string& failure) {
    out = GroupInfo{};
    failure.clear();
    const std::size_t count = reply.lines.size();
    // The heading row, then the rule of 11 dashes; rows end at the first
    // rule that starts "|-" (10 dashes in the stock template).
    std::size_t at = 0;
    while (at < count && lineTextView(reply.lines[at]).find("|  Username |") == std::string_view::npos)
        ++at;
    if (at + 1 < count && startsWith(lineTextView(reply.lines[at + 1]), "|-")) {
        at += 2;
        out.members.reserve(count - at);
        bool rowsEnded = false;
        for (; at < count; ++at) {
            const std::string_view text = lineTextView(reply.lines[at]);
            if (startsWith(text, "|-")) {
                rowsEnded = true;
                break;
            }
            if (!readMemberRow(text, out.members.emplace_back())) {
                failure = "Line " + std::to_string(at + 1) + " of the group's member list is not a member row.";
                out = GroupInfo{};
                return false;
            }
        }
        bool users = false, leech = false, slots = false, leechSlots = false;
        for (; rowsEnded && at < count; ++at) {
            const std::string_view text = lineTextView(reply.lines[at]);
            readFooterNumber(text, "Users in group: ", out.usersInGroup, users);
            readFooterNumber(text, "With leech: ", out.withLeech, leech);
            readFooterNumber(text, "Total Free Slots: ", out.freeSlots, slots);
            readFooterNumber(text, "Free Leech Slots: ", out.freeLeechSlots, leechSlots);
        }
        if (rowsEnded && users && leech && slots && leechSlots) return true;
        failure = "The group's member list ends early.";
        out = GroupInfo{};
        return false;
    }
    const Verdict verdict = judgeReply(reply);
    failure = verdict.done ? std::string("The reply is not a group's member list.") : verdict.text;
    return false;
}

void markDeleted(GroupInfo& info, const UserListing& deleted) {
    std::unordered_set<std::string_view> names;
    names.reserve(deleted.users.size());
    for (const ListedUser& user : deleted.users) names.insert(user.name);
    for (GroupMember& member : info.members) member.deleted = names.count(member.name) != 0;
}

}  // namespace admin
