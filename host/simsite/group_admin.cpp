// The group administration of the 2.x server: SITE GRP, SITE GRPCHANGE,
// SITE GINFO and SITE CHGADMIN, with the texts and layouts the server sends.
#include <algorithm>
#include <cctype>
#include <cstdint>

#include "host/simsite/group_colours.h"
#include "host/simsite/simulated_site.h"
#include "host/simsite/site_reply.h"
#include "host/simsite/site_text.h"

namespace simsite {

namespace {

const char* const groupUsage[] = {
    " ,--------------------------------------------------------.",
    "| USAGE: SITE GRP <group>                                  |",
    "|                                                          |",
    "| <group> The group to show info for.                      |",
    " `--------------------------------------------------------'",
};
const char* const groupChangeUsage[] = {
    "-----------------------------------------------------------",
    "   SITE GRPCHANGE <group> <field> <value>                  ",
    "   SITE GRPCHANGE { <group1> <group2> } <field> <value>    ",
    "   SITE GRPCHANGE * <field> <value>                       ",
    "-----------------------------------------------------------",
    "                                                           ",
    "   Fields:  slots #                                        ",
    "            leech_slots #                                  ",
    "            allot_slots #                                  ",
    "            max_allot_size #                               ",
    "            max_logins #                                   ",
    "            comment <comments>                             ",
    "-----------------------------------------------------------",
};
const char* const groupInfoUsage[] = {
    " ,--------------------------------------------------------.",
    "| USAGE: SITE GINFO <group>                                |",
    "|                                                          |",
    "| <group> The group to get detailed info about.            |",
    " `--------------------------------------------------------'",
};
const char* const groupAdminUsage[] = {
    " ,--------------------------------------------------------.",
    "| USAGE: SITE CHGADMIN <username> <group>                  |",
    "|                                                          |",
    "| <username> The username to edit.                         |",
    "| <group>    The group to toggle for this user.            |",
    "|                                                          |",
    "| SITE CHGADMIN <username> by itself to list a user's      |",
    "| groups with a mark for gadmin groups.                    |",
    " `--------------------------------------------------------'",
};
const char* const groupInfoHead[] = {
    "                                            ________",
    "_____________.______________________________\\\\     _/___________",
    "\\\\      _     |     _      /    _       /     \\\\     \\\\      _    \\\\",
    " \\\\     \\\\     |     /_____/     \\\\      /      |\\\\     \\\\     \\\\    /XFER",
    "   \\\\______    |______|    \\\\___________/|______________\\\\    ____/ STATS",
    ".---- /______| ------------------------------------ |_____| ------------.",
    "|  Username |     Up |       MiB |     Dn |       MiB | Ratio |    Wkly |",
    "|-----------+--------+-----------+--------+-----------+-------+---------|",
};

struct GroupField {
    const char* name;
    const char* description;
};

const GroupField groupFields[] = {
    {"slots", "[Num] Group's max slots"},
    {"leech_slots", "[Num] Group's max leech slots"},
    {"allot_slots", "[Num] Group's max allotments"},
    {"max_allot_size", "[Kb]  Max size for the allotments given by gadmins to users from the group"},
    {"max_logins", "[Num] Group's max simultaneous logins"},
    {"comment", "[String] The groups comment"},
};

constexpr std::size_t groupCommentLength = 63;

const GroupField* findGroupField(const std::string& name) {
    for (const GroupField& field : groupFields) {
        if (name == field.name) {  // the server tells "SLOTS" from "slots"
            return &field;
        }
    }
    return nullptr;
}

Reply groupFieldList(bool invalid) {
    ReplyBuilder reply;
    if (invalid) {
        reply.line("Invalid Field");
        reply.line(" ");
    }
    reply.line("Valid fields & descriptions:");
    reply.line(" ");
    for (const GroupField& field : groupFields) {
        reply.line(padRight(field.name, 18) + field.description);
    }
    return reply.end("Command Successful.");
}

// The slot counts are kept in 16 bits: 99999999 reads back as -7937.
int asInt16(std::int64_t value) {
    const int low = static_cast<int>(static_cast<std::uint64_t>(value) & 0xffffu);
    return low >= 0x8000 ? low - 0x10000 : low;
}

// One setting of one group; "" when taken, else the server's refusal.
std::string applyGroupField(SiteGroup& entry, const GroupField& field, const CommandWords& words, std::size_t valueAt) {
    const std::string name = field.name;
    if (name == "comment") {
        entry.comment = words.rest(valueAt).substr(0, groupCommentLength);
        return std::string();
    }
    std::int64_t value = 0;
    if (!parseInteger(words[valueAt], INT64_MIN, INT64_MAX, value)) {
        return "The value specified is out of range.";
    }
    if (name == "slots") {
        entry.slots = asInt16(value);
    } else if (name == "leech_slots") {
        entry.leechSlots = asInt16(value);
    } else if (name == "allot_slots") {
        entry.allotSlots = asInt16(value);
    } else if (name == "max_allot_size") {
        entry.maxAllotSizeKb = value;
    } else {
        entry.maxLogins = asInt16(value);  // 70000 reads back as 4464
    }
    return std::string();
}

// glftpd 2.13 finds a group without regard to case (SITE GRP ISO shows iso):
// the first whose name matches; private ones only when asked for.
template <typename List>
auto groupWithoutCase(List& groups, const std::string& name, bool privateToo) -> decltype(&groups.front()) {
    for (auto& entry : groups) {
        if ((privateToo || !entry.isPrivate) && entry.name.size() == name.size() &&
            std::equal(name.begin(), name.end(), entry.name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            })) {
            return &entry;
        }
    }
    return nullptr;
}

std::string slotsText(int value, bool disabledAtMinusTwo) {
    if (value == -1) {
        return "Unlimited";
    }
    if (value == -2 && disabledAtMinusTwo) {
        return "Disabled";
    }
    return format("%d", value);
}

// "| label value", the hint from column 45 on, the frame's right edge at 72.
std::string settingLine(const std::string& label, const std::string& value, const std::string& hint) {
    std::string text = "| " + label + value;
    text = text.size() < 45 ? padRight(text, 45) : text + std::string(12, ' ');
    return text + padRight(hint, 27) + "|";
}

// Kilobytes shown as MiB with six decimals; the size is read unsigned.
std::string allotSizeText(std::int64_t kilobytes) {
    if (kilobytes == 0) {
        return "Unlimited";
    }
    return format("%f", static_cast<double>(static_cast<std::uint64_t>(kilobytes)) / 1024.0);
}

std::string megabytesText(std::int64_t kilobytes) {
    return format("%.0f", static_cast<double>(kilobytes) / 1024.0);
}

}  // namespace

Reply SimulatedSite::groupSettings(const CommandWords& words) {
    Reply plain = [&]() -> Reply {
        if (!newer()) {
            return notUnderstood();
        }
        if (words.size() < 3) {
            return textBox(groupUsage);
        }
        const SiteGroup* entry = groupWithoutCase(groupList, words[2], false);
        if (entry == nullptr) {
            return oneLine("Group (" + words[2] + ") does not exist.");
        }
        ReplyBuilder reply;
        reply.line("Group Comment: " + entry->comment);
        reply.line("+" + std::string(71, '=') + "+");
        reply.line("| " + padRight("Groupname: " + entry->name, 70) + "|");
        reply.line("| Groupcomment: " + padRight(entry->comment, 50) + std::string(6, ' ') + "|");
        reply.line(settingLine("Number of slots left: ", slotsText(entry->slots, false), "(-1 = Unlimited)"));
        reply.line(settingLine("Number of leech slots left: ", slotsText(entry->leechSlots, true), "(-1 = Disabled)"));
        reply.line(settingLine("Number of allotment slots left: ", slotsText(entry->allotSlots, true),
                               "(-2 = Disabled, -1 = Unlim)"));
        reply.line(settingLine("Max. allotment size: ", allotSizeText(entry->maxAllotSizeKb), "(0 = Unlimited)"));
        reply.line(settingLine(
            "Max simultaneous logins: ", entry->maxLogins == 0 ? std::string("Unlimited") : format("%d", entry->maxLogins),
            "(0 = Unlimited)"));
        reply.line("+" + std::string(71, '-') + "+");
        return reply.end("Command Successful.");
    }();
    return operatorUser().hasFlag('5') ? paintGroupReply(GroupReply::Settings, std::move(plain)) : plain;
}

Reply SimulatedSite::changeGroups(const CommandWords& words) {
    Reply plain = [&]() -> Reply {
        if (!newer()) {
            return notUnderstood();
        }
        if (words.size() < 3) {
            return textBox(groupChangeUsage);
        }
        // The targets: one group, "{ a b }" or "*"; the setting and value follow.
        std::vector<std::string> listed;
        std::size_t fieldAt = 3;
        const bool list = words[2] == "{";
        if (list) {
            while (fieldAt < words.size() && words[fieldAt] != "}") {
                listed.push_back(words[fieldAt++]);
            }
            if (fieldAt >= words.size()) {
                return textBox(groupChangeUsage);
            }
            ++fieldAt;
        }
        const bool everyGroup = words[2] == "*";
        SiteGroup* single = nullptr;
        if (!list && !everyGroup) {
            single = groupWithoutCase(groupList, words[2], false);
            if (single == nullptr) {
                return oneLine("Group (" + words[2] + ") does not exist.");
            }
        }
        if (words.size() <= fieldAt) {
            return groupFieldList(false);
        }
        const GroupField* field = findGroupField(words[fieldAt]);
        if (field == nullptr) {
            return groupFieldList(true);
        }
        const std::size_t valueAt = fieldAt + 1;
        if (words.size() <= valueAt) {
            return oneLine(std::string(field->name) + "  " + field->description);
        }
        if (single != nullptr) {
            const std::string refusal = applyGroupField(*single, *field, words, valueAt);
            if (!refusal.empty()) {
                return oneLine(refusal);
            }
            logChange("changed " + std::string(field->name) + " of group " + single->name);
            return oneLine("Command Successful.");
        }
        if (everyGroup) {
            int applied = 0;
            for (SiteGroup& entry : groupList) {
                if (!entry.isPrivate && applyGroupField(entry, *field, words, valueAt).empty()) {
                    ++applied;
                }
            }
            logChange("changed " + std::string(field->name) + " of every group");
            return oneLine(format("Change command applied to %d groups.", applied));
        }
        // The server works through the list from its end.
        ReplyBuilder reply;
        for (auto name = listed.rbegin(); name != listed.rend(); ++name) {
            SiteGroup* entry = groupWithoutCase(groupList, *name, false);
            if (entry != nullptr && applyGroupField(*entry, *field, words, valueAt).empty()) {
                logChange("changed " + std::string(field->name) + " of group " + entry->name);
                reply.line("Successfully modified " + *name);
            } else {
                reply.line("Error modifying " + *name);
            }
        }
        return reply.end("Done");
    }();
    return operatorUser().hasFlag('5') ? paintGroupReply(GroupReply::Change, std::move(plain)) : plain;
}

// Members in the order the site keeps its accounts; a deleted member is
// listed like any other, as the server's stock template does.
Reply SimulatedSite::groupInfo(const CommandWords& words) {
    Reply plain = [&]() -> Reply {
        if (!newer()) {
            return notUnderstood();
        }
        if (words.size() < 3) {
            return textBox(groupInfoUsage);
        }
        const SiteGroup* entry = groupWithoutCase(groupList, words[2], true);
        if (entry == nullptr) {
            return oneLine("'" + words[2] + "' is not a valid group. SITE GROUPS for a list.");
        }
        ReplyBuilder reply;
        for (const char* line : groupInfoHead) {
            reply.line(line);
        }
        int members = 0;
        int leeches = 0;
        std::int64_t filesUp = 0;
        std::int64_t filesDown = 0;
        std::int64_t kilobytesUp = 0;
        std::int64_t kilobytesDown = 0;
        if (!entry->isPrivate) {  // private groups live in the userfiles only: the table stays empty
            for (const SiteUser& account : userList) {
                if (std::find(account.groups.begin(), account.groups.end(), entry->name) == account.groups.end()) {
                    continue;
                }
                const bool admin = std::find(account.adminGroups.begin(), account.adminGroups.end(), entry->name) !=
                                   account.adminGroups.end();
                const char mark = account.hasFlag('1') ? '*' : admin ? '+' : ' ';
                const Transfer& total = account.allTime;
                // The server cuts the name to its column: verylongname12345 shows as verylongn.
                reply.line("|" + std::string(1, mark) + padRight(account.name.substr(0, 9), 9) + " |" +
                           format(" %6d | %9s | %6d | %9s | ", total.uploadFiles, megabytesText(total.uploadKb).c_str(),
                                  total.downloadFiles, megabytesText(total.downloadKb).c_str()) +
                           (account.ratio == 0 ? std::string("leech") : format(" 1:%d ", account.ratio)) +
                           format(" | %7s |", megabytesText(account.weeklyAllotmentKb).c_str()));
                ++members;
                leeches += account.ratio == 0 ? 1 : 0;
                filesUp += total.uploadFiles;
                filesDown += total.downloadFiles;
                kilobytesUp += total.uploadKb;
                kilobytesDown += total.downloadKb;
            }
        }
        reply.line("|----------+------+--------+------+--------+-------+--------------------|");
        reply.line("|   * denotes a siteop (flag 1)     + denotes a group admin (flag 2)    |");
        reply.line("|----------+------+--------+------+--------+-------+--------------------|");
        reply.line(format("|   Tot MiB Up:%11.1f   Tot Files Up:%7lld   Users in group: %-4d|",
                          static_cast<double>(kilobytesUp) / 1024.0, static_cast<long long>(filesUp), members));
        reply.line(format("|   Tot MiB Dn:%11.1f   Tot Files Dn:%7lld       With leech: %-4d|",
                          static_cast<double>(kilobytesDown) / 1024.0, static_cast<long long>(filesDown), leeches));
        // Only "Unlimited" has a word here; any other value shows as its number.
        reply.line("|   Total Free Slots: " + padRight(slotsText(entry->slots, false), 12) +
                   "Free Leech Slots: " + padRight(slotsText(entry->leechSlots, false), 20) + "|");
        reply.line("`" + std::string(71, '-') + "'");
        return reply.end("Command Successful.");
    }();
    return operatorUser().hasFlag('5') ? paintGroupReply(GroupReply::Members, std::move(plain)) : plain;
}

// A toggle: the first call makes the member group admin of the group, the
// next one takes it back; flag 2 goes with the last group given up.
Reply SimulatedSite::changeGroupAdmin(const CommandWords& words) {
    Reply plain = [&]() -> Reply {
        if (!newer()) {
            return notUnderstood();
        }
        if (words.size() < 3) {
            return textBox(groupAdminUsage);
        }
        SiteUser* account = user(words[2]);
        if (account == nullptr) {
            return oneLine("'" + words[2] + "': user not found.");
        }
        if (words.size() < 4) {
            ReplyBuilder reply;
            reply.line(account->name + " is a member of the following groups:");
            reply.line(std::string(70, '-'));
            std::string row;
            for (const std::string& name : account->groups) {
                const bool admin =
                    std::find(account->adminGroups.begin(), account->adminGroups.end(), name) != account->adminGroups.end();
                row += " " + padRight((admin ? "@" : " ") + name, 17);
            }
            reply.line(row);
            reply.line(" ");
            reply.line(account->name + " is a member of the following private groups:");
            reply.line(std::string(70, '-'));
            row.clear();
            for (const std::string& name : account->privateGroups) {
                row += "  " + padRight(name, 16);
            }
            reply.line(row);
            return reply.end("Use SITE CHGADMIN <username> <group> to toggle group admin for a group.");
        }
        const SiteGroup* entry = groupWithoutCase(groupList, words[3], false);
        if (entry == nullptr) {
            return oneLine("'" + words[3] + "' is not a valid group. SITE GROUPS for a list.");
        }
        if (std::find(account->groups.begin(), account->groups.end(), entry->name) == account->groups.end()) {
            return oneLine("User is not a member of the group.");
        }
        std::vector<std::string>& admin = account->adminGroups;
        const auto found = std::find(admin.begin(), admin.end(), entry->name);
        ReplyBuilder reply;
        if (found == admin.end()) {
            admin.push_back(entry->name);
            account->flags = applyFlagChange(account->flags, "+2");
            logChange("made " + account->name + " group admin of " + entry->name);
            reply.line("'" + account->name + "' has been successfully added as gadmin for '" + entry->name + "'");
        } else {
            admin.erase(found);
            if (admin.empty()) {
                account->flags = applyFlagChange(account->flags, "-2");
            }
            logChange("took group admin of " + entry->name + " from " + account->name);
            reply.line("'" + account->name + "' has been successfully removed as gadmin for '" + entry->name + "'");
        }
        return reply.end("Command Successful.");
    }();
    return operatorUser().hasFlag('5') ? paintGroupReply(GroupReply::Admin, std::move(plain)) : plain;
}

namespace {

const char* const white = "\x1b[1;37m";
const char* const reset = "\x1b[0m";

// A continued line: its text in its own colours between bold white and two resets.
std::string continued(const std::string& own) { return "200- " + std::string(white) + own + reset + "\x1b[0;37m"; }

std::string textOf(const std::string& line) { return line.size() > 4 ? line.substr(line[3] == '-' ? 5 : 4) : ""; }

// "'x' ...": the name in yellow, the rest white.
std::string quotedYellow(const std::string& text) {
    const std::size_t close = text.find('\'', 1);
    if (text.empty() || text[0] != '\'' || close == std::string::npos) return white + text + reset;
    return std::string(white) + "'\x1b[1;33m" + text.substr(1, close - 1) + white + text.substr(close) + reset;
}

// The last line in its own colours.
std::string lastLine(const std::string& text) {
    const std::string open = "Group (", closing = ") does not exist.";
    if (text.compare(0, open.size(), open) == 0 && text.size() > open.size() + closing.size() &&
        text.compare(text.size() - closing.size(), closing.size(), closing) == 0) {
        return "200 " + std::string(white) + open + "\x1b[1;31m" +
               text.substr(open.size(), text.size() - open.size() - closing.size()) + white + closing + reset;
    }
    if (text == "The value specified is out of range.") return "200 \x1b[1;36m" + text + reset;
    if (text.find("': user not found.") != std::string::npos) return "200 " + quotedYellow(text);
    return "200 " + std::string(white) + text + reset;
}

// "| Label: value ... (hint)   |" of the settings box.
std::string settingLine(const std::string& text) {
    const std::size_t colon = text.find(": ");
    if (text.size() < 4 || text.compare(0, 2, "| ") != 0 || colon == std::string::npos || text.back() != '|')
        return continued("\x1b[34m" + text + reset);
    return continued("\x1b[34m| \x1b[36m" + text.substr(2, colon - 2) + "\x1b[1;36m: \x1b[1;32m" +
                     text.substr(colon + 2, text.size() - colon - 3) + "\x1b[34m|" + reset);
}

// "(   4)  iso              ISO couriers": the count green, the name magenta, the description yellow.
std::string groupRow(const std::string& text) {
    const std::size_t close = text.find(')');
    if (text.empty() || text[0] != '(' || close == std::string::npos || text.size() < close + 3 + 17)
        return continued(text);
    const std::size_t nameAt = close + 3;
    return continued("\x1b[1;36m(\x1b[1;32m" + text.substr(1, close - 1) + "\x1b[1;36m)  \x1b[1;35m" +
                     text.substr(nameAt, 17) + "\x1b[33m" + text.substr(nameAt + 17) + reset);
}

std::string groupsLine(const std::string& text) {
    if (text == "#users  Group Abbr.      Group Description")
        return continued("\x1b[1;32m#users  \x1b[1;35mGroup Abbr.      \x1b[33mGroup Description" + std::string(reset));
    if (!text.empty() && text[0] == '(') return groupRow(text);
    const std::string star = "A '*' denotes a private group.";
    if (text.compare(0, star.size(), star) == 0)
        return continued("\x1b[1;34mA '\x1b[36m*\x1b[1;34m" + text.substr(4) + reset);
    if (text.compare(0, 18, "or remove users fr") == 0) return continued("\x1b[1;34m" + text + reset);
    return continued(text);
}

// "11 user groups, 1 privileged groups."
std::string groupsLast(const std::string& text) {
    const std::size_t first = text.find(' '), comma = text.find(", ");
    if (first == std::string::npos || comma == std::string::npos) return lastLine(text);
    const std::size_t second = text.find(' ', comma + 2);
    if (second == std::string::npos) return lastLine(text);
    return "200 \x1b[1;36m" + text.substr(0, first + 1) + "\x1b[36m" + text.substr(first + 1, comma + 2 - first - 1) +
           "\x1b[1;36m" + text.substr(comma + 2, second - comma - 1) + "\x1b[36m" + text.substr(second + 1) + reset;
}

std::string adminLine(const std::string& text) {
    const std::string added = "' has been successfully ";
    if (!text.empty() && text[0] == '\'' && text.find(added) != std::string::npos) {
        // "'user' has been successfully added as gadmin for 'group'"
        const std::size_t userEnd = text.find(added);
        const std::size_t groupAt = text.rfind(" '");
        if (groupAt != std::string::npos && groupAt > userEnd && text.back() == '\'')
            return continued(std::string(white) + "'\x1b[1;33m" + text.substr(1, userEnd - 1) + white +
                             text.substr(userEnd, groupAt + 2 - userEnd) + "\x1b[1;33m" +
                             text.substr(groupAt + 2, text.size() - groupAt - 3) + white + "'" + reset);
    }
    for (const char* const ending : {" is a member of the following groups:",
                                     " is a member of the following private groups:"}) {
        const std::string tail = ending;
        if (text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0)
            return continued("\x1b[1;33m" + text.substr(0, text.size() - tail.size()) + " \x1b[36m" +
                             tail.substr(1, tail.size() - 2) + "\x1b[1;36m:" + reset);
    }
    return continued(text);
}

}  // namespace

Reply paintGroupReply(GroupReply kind, Reply reply) {
    if (reply.lines.empty() || reply.code >= 400) return reply;
    const std::size_t last = reply.lines.size() - 1;
    for (std::size_t i = 0; i < last; ++i) {
        const std::string text = textOf(reply.lines[i]);
        switch (kind) {
        case GroupReply::Groups: reply.lines[i] = groupsLine(text); break;
        case GroupReply::Settings:
            if (text.compare(0, 15, "Group Comment: ") == 0)
                reply.lines[i] = continued("\x1b[44mGroup Comment\x1b[1;36m: \x1b[1;33m" + text.substr(15) + reset);
            else if (!text.empty() && text[0] == '+')
                reply.lines[i] = continued("\x1b[34m" + text + reset);
            else if (text.compare(0, 2, "| ") == 0)
                reply.lines[i] = settingLine(text);
            else
                reply.lines[i] = continued(text);
            break;
        case GroupReply::Admin: reply.lines[i] = adminLine(text); break;
        case GroupReply::Change:
        case GroupReply::Members: reply.lines[i] = continued(text); break;
        }
    }
    const std::string text = textOf(reply.lines[last]);
    reply.lines[last] = kind == GroupReply::Groups ? groupsLast(text) : lastLine(text);
    return reply;
}

}  // namespace simsite
