#include "host/admin/group_identity.h"

#include <algorithm>

#include "host/admin/admin_reply.h"
#include "host/admin/admin_text.h"

namespace admin {

namespace {

// A name as the operator reads it in a message: a tab shown as <tab>, other
// control bytes by their code.
std::string visible(std::string_view name) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            text += "<tab>";
        } else if (byte < 0x20 || byte == 0x7f) {
            text += "<0x";
            text += digits[byte >> 4];
            text += digits[byte & 15];
            text += '>';
        } else {
            text += c;
        }
    }
    return text;
}

bool hasOtherControl(std::string_view name) {
    return std::any_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t') || byte == 0x7f;
    });
}

std::string joinedNames(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i != 0) text += i + 1 == names.size() ? " or " : ", ";
        text += visible(names[i]);
    }
    return text;
}

}  // namespace

std::string groupNameProblem(std::string_view group, GroupCommand command) {
    if (group.empty()) return "Pick a group first.";
    const std::string name = visible(group);
    if (group.find(' ') != std::string_view::npos || hasOtherControl(group))
        return "The group name " + name + " holds a blank or a control character: no command line carries it as one name.";
    const bool tab = group.find('\t') != std::string_view::npos;
    if (tab && command == GroupCommand::Members)
        return "SITE GINFO cannot reach the group " + name +
               ": glftpd reads the tab in its name as a blank, so its members cannot be read.";
    if (tab && command == GroupCommand::GroupAdmin)
        return "SITE CHGADMIN cannot reach the group " + name +
               ": glftpd reads the tab in its name as a break between words.";
    if (group == "*" || group == "{")
        return "A group named " + name + " cannot be changed from here: SITE GRPCHANGE reads " + name +
               (group == "*" ? " as every group." : " as the start of a list of groups.");
    return {};
}

std::string memberNameProblem(std::string_view user) {
    if (user.empty()) return "Pick a member first.";
    const std::string name = visible(user);
    if (user.find('\t') != std::string_view::npos) {
        const std::string_view first = user.substr(0, user.find('\t'));
        return "SITE CHGADMIN cannot reach the account " + name +
               ": glftpd reads the tab in its name as a break between words and would look for the account " +
               visible(first) + ".";
    }
    if (user.find(' ') != std::string_view::npos || hasOtherControl(user))
        return "The account name " + name + " holds a blank or a control character: no command line carries it as one name.";
    return {};
}

std::string screenNameProblem(std::string_view picked, std::string_view shown) {
    if (shown == picked) return {};
    const std::string command = "SITE GRP " + visible(picked);
    if (shown.empty()) return command + " shows no group name: it is not taken as the screen of " + visible(picked) + ".";
    if (hasOtherControl(shown))
        return command + " shows the group name " + visible(shown) +
               ", which holds bytes the host cannot read as the picked name.";
    if (equalsIgnoringCase(shown, picked))
        return command + " shows the group " + visible(shown) +
               ": glftpd finds group names without regard to case, so a command for " + visible(picked) +
               " would change " + visible(shown) + ".";
    if (shown.size() < picked.size() && picked.compare(0, shown.size(), shown) == 0)
        return command + " shows the name cut short, as " + visible(shown) +
               ": it is not taken as the screen of " + visible(picked) + ".";
    return command + " shows another group, " + visible(shown) + ".";
}

void MemberNames::add(std::string_view name, bool deleted) { names_.emplace(std::string(name), deleted); }

MemberMatch MemberNames::match(std::string_view shown) const {
    MemberMatch match;
    if (!mayBeCut(shown)) {
        match.name = std::string(shown);
        return match;
    }
    const std::pair<const std::string, bool>* found = nullptr;
    // Names are told apart with case: Bob and bob are two accounts.
    for (auto known = names_.lower_bound(shown);
         known != names_.end() && known->first.compare(0, shown.size(), shown) == 0; ++known) {
        match.candidates.push_back(known->first);
        found = &*known;
    }
    if (match.candidates.size() == 1) {
        match.kind = MemberMatch::Kind::Unique;
        match.name = found->first;
        match.deleted = found->second;
        match.candidates.clear();
    } else {
        match.kind = match.candidates.empty() ? MemberMatch::Kind::Unknown : MemberMatch::Kind::Ambiguous;
    }
    return match;
}

std::string matchProblem(const MemberMatch& match, std::string_view shown, std::string_view group) {
    switch (match.kind) {
    case MemberMatch::Kind::Whole:
    case MemberMatch::Kind::Unique: return {};
    case MemberMatch::Kind::Ambiguous:
        return "SITE GINFO cuts account names to 9 characters: " + visible(shown) + " may be " +
               joinedNames(match.candidates) + ", and which one this row is cannot be told.";
    case MemberMatch::Kind::Unknown: break;
    }
    return "SITE GINFO cuts account names to 9 characters, and no account of " + visible(group) +
           " that SITE USERS lists starts with " + visible(shown) + ": the whole name is not known.";
}

bool readAdminGroups(const session::Reply& coloured, std::string& user, std::vector<AdminGroup>& groups,
                     std::string& failure) {
    user.clear();
    groups.clear();
    failure.clear();
    session::Reply reply = coloured;
    removeColour(reply.lines);
    // "<user> is a member of the following groups:", a rule, the groups in
    // rows of blank-separated names ('@' before a group admin's group), a
    // blank line, then the private groups; the last line sends the operator
    // to SITE CHGADMIN <username> <group>.
    std::size_t at = 0;
    while (at < reply.lines.size() &&
           !endsWith(trimTrailingBlanks(lineTextView(reply.lines[at])), "is a member of the following groups:"))
        ++at;
    const bool ends = !reply.lines.empty() && startsWith(lineTextView(reply.lines.back()), "Use SITE CHGADMIN <username>");
    if (at + 1 >= reply.lines.size() || !ends || !startsWith(lineTextView(reply.lines[at + 1]), "-----")) {
        const Verdict verdict = judgeReply(reply);
        failure = !verdict.text.empty() && !ends ? verdict.text
                                                 : std::string("The reply is not the list of a user's groups.");
        return false;
    }
    const std::string_view heading = trimTrailingBlanks(lineTextView(reply.lines[at]));
    user = std::string(heading.substr(0, heading.size() - std::string_view(" is a member of the following groups:").size()));
    for (at += 2; at + 1 < reply.lines.size(); ++at) {
        std::string_view row = trimBlanks(lineTextView(reply.lines[at]));
        if (row.empty()) break;
        while (!row.empty()) {
            const std::size_t end = row.find(' ');
            std::string_view word = row.substr(0, end);
            AdminGroup group;
            if (word.front() == '@') {
                group.groupAdmin = true;
                word.remove_prefix(1);
            }
            group.name = std::string(word);
            if (!group.name.empty()) groups.push_back(std::move(group));
            row = end == std::string_view::npos ? std::string_view() : trimBlanks(row.substr(end));
        }
    }
    return true;
}

int toggleDirection(const session::Reply& coloured) {
    session::Reply reply = coloured;
    removeColour(reply.lines);
    for (const std::string& line : reply.lines) {
        const std::string_view text = lineTextView(line);
        if (text.find("has been successfully added as gadmin for") != std::string_view::npos) return 1;
        if (text.find("has been successfully removed as gadmin for") != std::string_view::npos) return -1;
    }
    return 0;
}

}  // namespace admin
