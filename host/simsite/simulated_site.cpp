#include "host/simsite/simulated_site.h"
#include "host/simsite/account_colours.h"
#include "host/simsite/group_colours.h"
#include "host/simsite/site_reply.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "host/simsite/site_text.h"

namespace simsite {

namespace {

constexpr std::int64_t maxKilobytes = 1LL << 40;  // a petabyte: far beyond any real account

// A size as the 2.x server prints it: one decimal and the largest unit that
// keeps the number at or above 1 ("14.6MiB", "1.0GiB", "0.0KiB").
std::string sizeWithUnit(std::int64_t kilobytes) {
    static const char* const units[] = {"KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(kilobytes);
    int unit = 0;
    while (unit < 3 && (value >= 1024.0 || value <= -1024.0)) {
        value /= 1024.0;
        ++unit;
    }
    return format("%.1f%s", value, units[unit]);
}

bool validName(const std::string& text, std::size_t longest) {
    if (text.empty() || text.size() > longest) {
        return false;
    }
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '_' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

std::string megabytes(std::int64_t kilobytes) {
    return format("%.1f", static_cast<double>(kilobytes) / 1024.0);
}

void removeName(std::vector<std::string>& names, const std::string& name) {
    names.erase(std::remove(names.begin(), names.end(), name), names.end());
}

}  // namespace

bool SiteUser::inGroup(const std::string& group) const {
    return std::find(groups.begin(), groups.end(), group) != groups.end() ||
           std::find(privateGroups.begin(), privateGroups.end(), group) != privateGroups.end();
}

const SimulatedSite::Command SimulatedSite::commandTable[] = {
    {"GROUPS", &SimulatedSite::groupsListing},
    {"USER", &SimulatedSite::userCommand},
    {"ADDUSER", &SimulatedSite::addUser},
    {"ADDIP", &SimulatedSite::addIp},
    {"DELIP", &SimulatedSite::delIp},
    {"CHANGE", &SimulatedSite::change},
    {"CHPASS", &SimulatedSite::chpass},
    {"CHGRP", &SimulatedSite::chgrp},
    {"DELUSER", &SimulatedSite::delUser},
    {"READD", &SimulatedSite::readd},
    {"GIVE", &SimulatedSite::give},
    {"TAKE", &SimulatedSite::take},
    {"PURGE", &SimulatedSite::purge},
    {"SEEN", &SimulatedSite::seen},
    {"USERS", &SimulatedSite::usersListing},
    {"STATS", &SimulatedSite::userStats},
    {"GRPADD", &SimulatedSite::grpAdd},
    {"GRPNFO", &SimulatedSite::grpNfo},
    {"GRPREN", &SimulatedSite::grpRen},
    {"GRPDEL", &SimulatedSite::grpDel},
    {"GRP", &SimulatedSite::groupSettings},
    {"GRPCHANGE", &SimulatedSite::changeGroups},
    {"GINFO", &SimulatedSite::groupInfo},
    {"CHGADMIN", &SimulatedSite::changeGroupAdmin},
    {"RENUSER", &SimulatedSite::renameUser},
    {"GADDUSER", &SimulatedSite::groupAddUser},
    {"SWHO", &SimulatedSite::swho},
    {"WHO", &SimulatedSite::who},
    {"KICK", &SimulatedSite::kick},
    {"KILL", &SimulatedSite::kill},
    {"WKUP", &SimulatedSite::statistics},
    {"WKDN", &SimulatedSite::statistics},
    {"DAYUP", &SimulatedSite::statistics},
    {"DAYDN", &SimulatedSite::statistics},
    {"MONTHUP", &SimulatedSite::statistics},
    {"MONTHDN", &SimulatedSite::statistics},
    {"ALUP", &SimulatedSite::statistics},
    {"ALDN", &SimulatedSite::statistics},
    {"GPWK", &SimulatedSite::statistics},
    {"GPWD", &SimulatedSite::statistics},
    {"GPAL", &SimulatedSite::statistics},
    {"GPAD", &SimulatedSite::statistics},
    {"GPWKUP", &SimulatedSite::statistics},
    {"GPWKDN", &SimulatedSite::statistics},
    {"GPALUP", &SimulatedSite::statistics},
    {"GPALDN", &SimulatedSite::statistics},
    {"GPMONTHUP", &SimulatedSite::statistics},
    {"GPMONTHDN", &SimulatedSite::statistics},
    {"GPDAYUP", &SimulatedSite::statistics},
    {"GPDAYDN", &SimulatedSite::statistics},
    {"LOGINS", &SimulatedSite::logins},
    {"UCHANGES", &SimulatedSite::userChanges},
    {"SYSLOG", &SimulatedSite::userChanges},
    {"LASTON", &SimulatedSite::lastOn},
    {"WELCOME", &SimulatedSite::welcome},
    {"RULES", &SimulatedSite::rules},
    {"VERS", &SimulatedSite::version},
    {"VERSION", &SimulatedSite::version},
    {"TIME", &SimulatedSite::time},
    {"REQUEST", &SimulatedSite::requests},
    {"REQUESTS", &SimulatedSite::requests},
    {"NEW", &SimulatedSite::newDirs},
    {"NUKES", &SimulatedSite::nukesListing},
    {"UNNUKES", &SimulatedSite::unnukesListing},
    {"SEARCH", &SimulatedSite::search},
    {"DUPE", &SimulatedSite::dupe},
    {"UNDUPE", &SimulatedSite::undupe},
    {"NUKE", &SimulatedSite::nuke},
    {"UNNUKE", &SimulatedSite::unnuke},
    {"MSG", &SimulatedSite::msg},
};

SimulatedSite::SimulatedSite(Contents contents) {
    addGroup("glftpd", "glftpd", false);
    SiteUser& op = addAccount(operatorAccount, "glftpd");
    op.flags = "1";
    op.ratio = 0;
    op.maxLogins = 0;
    op.groups.push_back("glftpd");
    op.tagline = "Glftpd default user";
    if (contents == Contents::Demo) {
        loadDemo();
    }
}

void SimulatedSite::setCommandAllowed(const std::string& keyword, bool allowed) {
    if (allowed) {
        deniedCommands.erase(upperCase(keyword));
    } else {
        deniedCommands.insert(upperCase(keyword));
    }
}

const SiteUser* SimulatedSite::findUser(const std::string& userName) const {
    for (const SiteUser& account : userList) {
        if (account.name == userName) {
            return &account;
        }
    }
    return nullptr;
}

const SiteGroup* SimulatedSite::findGroup(const std::string& groupName) const {
    for (const SiteGroup& entry : groupList) {
        if (entry.name == groupName) {
            return &entry;
        }
    }
    return nullptr;
}

SiteUser* SimulatedSite::user(const std::string& userName) {
    return const_cast<SiteUser*>(findUser(userName));
}

SiteGroup* SimulatedSite::group(const std::string& groupName) {
    return const_cast<SiteGroup*>(findGroup(groupName));
}

SiteUser& SimulatedSite::operatorUser() {
    return *user(operatorAccount);
}

SiteUser& SimulatedSite::addAccount(const std::string& userName, const std::string& password) {
    SiteUser account;
    account.name = userName;
    account.password = password;
    account.addedBy = operatorAccount;
    account.comment = "Added by " + operatorAccount;
    userList.push_back(account);
    return userList.back();
}

void SimulatedSite::addGroup(const std::string& groupName, const std::string& description,
                             bool isPrivate) {
    SiteGroup entry;
    entry.name = groupName;
    entry.description = description;
    entry.isPrivate = isPrivate;
    entry.comment = "Added by " + operatorAccount;
    groupList.push_back(entry);
}

void SimulatedSite::addConnection(const Connection& connection) {
    connectionList.push_back(connection);
}

void SimulatedSite::addRelease(const Release& release) {
    releaseList.push_back(release);
    dupeLog.push_back(release.name);
}

std::string SimulatedSite::stamp(const char* pattern) const {
    const std::time_t seconds = std::time(nullptr);
    const std::tm* local = std::localtime(&seconds);
    char text[64] = {};
    if (local == nullptr || std::strftime(text, sizeof text, pattern, local) == 0) {
        return "?";
    }
    return text;
}

std::string SimulatedSite::now() const {
    return stamp("%a %b %d %H:%M:%S %Y");
}

void SimulatedSite::logChange(const std::string& text) {
    changeLog.push_back(now() + " " + operatorAccount + ": " + text);
}

void SimulatedSite::setOperatorColours(bool on) {
    SiteUser& op = operatorUser();
    op.flags = applyFlagChange(op.flags, on ? "+5" : "-5");
}

Reply SimulatedSite::handle(const std::string& commandLine) {
    Reply reply = answer(commandLine);
    if (operatorUser().hasFlag('5') && newer()) {
        // The 2.x account commands as glftpd 2.13 colours them.
        const CommandWords words(commandLine);
        if (upperCase(words[0]) == "SITE" && words.size() >= 2 &&
            colourAccountReply(upperCase(words[1]), userList, reply)) {
            return reply;
        }
    }
    if (operatorUser().hasFlag('5')) {
        // The code stays in front; the server colours the text after it.
        for (std::string& line : reply.lines) {
            if (line.find('\x1b') != std::string::npos) {
                continue;  // in the colours its command's reply has (group_colours.h)
            }
            const std::size_t textStart = std::min<std::size_t>(line.size(), 4);
            line = line.substr(0, textStart) + "\x1b[1;37m" + line.substr(textStart) + "\x1b[0m\x1b[0;37m";
        }
    }
    return reply;
}

Reply SimulatedSite::notUnderstood() const {
    return oneLine("'" + currentLine + "': command not understood.", 500);
}

SiteGroup* SimulatedSite::publicGroup(const std::string& groupName) {
    SiteGroup* entry = group(groupName);
    return entry != nullptr && !entry->isPrivate ? entry : nullptr;
}

Reply SimulatedSite::answer(const std::string& commandLine) {
    const CommandWords words(commandLine);
    currentLine = commandLine;
    if (upperCase(words[0]) == "NOOP") {
        return oneLine("NOOP command successful.");
    }
    if (upperCase(words[0]) != "SITE" || words.size() < 2) {
        return oneLine("'" + commandLine + "': command not understood.", 500);
    }
    currentKeyword = upperCase(words[1]);
    for (const Command& command : commandTable) {
        if (currentKeyword == command.keyword) {
            if (deniedCommands.count(currentKeyword) != 0) {
                return oneLine("You do not have access to this command.");
            }
            return (this->*command.handler)(words);
        }
    }
    return oneLine("'" + commandLine + "': command not understood.", 500);
}

// ---------------------------------------------------------------------------
// Accounts

Reply SimulatedSite::groupsListing(const CommandWords&) {
    ReplyBuilder reply;
    reply.line("#users  Group Abbr.      Group Description");
    reply.line("----------------------------------------------------------------------");
    int publicCount = 0;
    int privateCount = 0;
    for (const SiteGroup& entry : groupList) {
        if (entry.isPrivate) {
            continue;
        }
        const long members = std::count_if(userList.begin(), userList.end(),
                                           [&](const SiteUser& u) { return u.inGroup(entry.name); });
        reply.line(format("(%4ld)  ", members) + padRight(entry.name, 16) + " " + entry.description);
        ++publicCount;
    }
    reply.line("");
    for (const SiteGroup& entry : groupList) {
        if (entry.isPrivate) {
            reply.line(" *" + padRight(entry.name, 15) + " " + entry.description);
            ++privateCount;
        }
    }
    reply.line(" ");
    reply.line("A '*' denotes a private group.  Type SITE CHGRP to add ");
    reply.line("or remove users from these groups.  ");
    reply.line(" ");
    Reply listing = reply.end(format("%d user groups, %d privileged groups.", publicCount, privateCount));
    // glftpd 2.13's own colours; 1.x lines keep the plain wrap.
    return newer() && operatorUser().hasFlag('5') ? paintGroupReply(GroupReply::Groups, std::move(listing)) : listing;
}

Reply SimulatedSite::userCommand(const CommandWords& words) {
    if (words.size() < 3) {
        return userListing();
    }
    // The 2.x server reads at most 23 characters of a name.
    const SiteUser* account = findUser(newer() ? words[2].substr(0, 23) : words[2]);
    if (account == nullptr) {
        return serverGeneration == Generation::Glftpd2
                   ? oneLine("User '" + words[2] + "' does not exist.")
                   : oneLine("Error: Unable to load user " + words[2] + ".");
    }
    return accountScreen(*account);
}

Reply SimulatedSite::unreadableAccount(const std::string& userName) const {
    return serverGeneration == Generation::Glftpd2 ? oneLine("Error loading userfile for " + userName)
                                                   : oneLine("Error: Unable to load user " + userName + ".");
}

Reply SimulatedSite::userListing() {
    ReplyBuilder reply;
    reply.line(padRight(padLeft("-=[ " + name + " User Listing ]=-", 49), 72));
    reply.line(std::string(73, ' '));
    std::string row;
    int inRow = 0;
    int listed = 0;
    for (const SiteUser& account : userList) {
        if (account.deleted()) {
            continue;
        }
        row += padRight(account.name, 11, true) + " ";
        ++listed;
        if (++inRow == 6) {
            reply.line(row);
            row.clear();
            inRow = 0;
        }
    }
    if (inRow != 0) {
        reply.line(padRight(row, 72));
    }
    reply.line(std::string(73, ' '));
    reply.line("      - Use SITE USER <username> for a more informative listing. -       ");
    reply.line("");
    return reply.end(format("%d total users on site.", listed));
}

// The account screen. The 2.x server shows ratios per stat section, credits
// on a line of their own, sizes with the unit it picked, no per-user slots,
// a timeframe, and '*' before the groups the user is group admin of.
Reply SimulatedSite::accountScreen(const SiteUser& account) {
    const bool newer = serverGeneration == Generation::Glftpd2;
    // Two columns of 35; a left text longer than its column takes the row.
    auto row = [](const std::string& left, const std::string& right) {
        return "| " + padRight(padRight(left, 35) + right, 70) + "|";
    };
    auto join = [](const std::vector<std::string>& names, const std::vector<std::string>& marked) {
        std::string text;
        for (const std::string& n : names) {
            const bool admin = std::find(marked.begin(), marked.end(), n) != marked.end();
            text += (text.empty() ? "" : " ") + std::string(admin ? "*" : "") + n;
        }
        return text;
    };
    const long currentLogins = std::count_if(connectionList.begin(), connectionList.end(),
                                             [&](const Connection& c) { return c.user == account.name; });
    const std::string allotment =
        newer ? sizeWithUnit(account.weeklyAllotmentKb)
        : account.weeklyAllotmentKb % 1024 == 0
            ? format("%5lld MB", static_cast<long long>(account.weeklyAllotmentKb / 1024))
            : format("%7.1f MB", static_cast<double>(account.weeklyAllotmentKb) / 1024.0);
    const std::string ratio = account.ratio == 0 ? "Unlimited" : format("1:%d", account.ratio);
    const char* speedPattern = newer ? "%.1fKiB/s" : "%7.1f K/s";

    ReplyBuilder reply;
    if (newer) {
        reply.line("User Comment: " + account.comment);
    }
    reply.line("+" + std::string(71, '=') + "+");
    reply.line(row("Username: " + account.name, "Created: " + account.created));
    if (newer) {
        reply.line(row("Added by: " + account.addedBy,
                       "Expires: " + (account.expires.empty() ? std::string("Never") : account.expires)));
    }
    reply.line(row("Time On Today: 0m", "Last seen: " + account.lastSeen));
    reply.line(row("Flags: " + account.flags,
                   !newer ? std::string("Idle time: Default")
                   : account.idleTime == -1 ? std::string("Idle time: Disabled")
                                            : format("Idle time: %d", account.idleTime)));
    if (newer) {
        reply.line(row("Ratios: " + ratio + " -", ""));
        reply.line(row("Credits: " + sizeWithUnit(account.creditsKb), ""));
    } else {
        reply.line(row("Ratio: " + ratio,
                       format("Credits: %9.1f MB", static_cast<double>(account.creditsKb) / 1024.0)));
    }
    reply.line(row(format("Total Logins: %d", account.totalLogins),
                   format("Current Logins: %ld", currentLogins)));
    reply.line(row(account.maxLogins == 0 ? "Max Logins: Unlimited"
                                          : format("Max Logins: %d", account.maxLogins),
                   account.maxLoginsSameIp == 0 ? "From same IP: Unlimited"
                                                : format("From same IP: %d", account.maxLoginsSameIp)));
    if (newer) {
        auto limit = [](int value) { return value == -1 ? std::string("Unlimited") : format("%d", value); };
        reply.line(row("Max Sim Uploads: " + limit(account.maxSimUploads),
                       "Max Sim Downloads: " + limit(account.maxSimDownloads)));
    }
    reply.line(row("Max Upload Speed: " + format(speedPattern, static_cast<double>(account.maxUploadSpeed)),
                   "Max Download Speed: " + format(speedPattern, static_cast<double>(account.maxDownloadSpeed))));
    reply.line(row(format("Times Nuked: %d", account.timesNuked),
                   newer ? "Bytes Nuked: " + sizeWithUnit(account.bytesNukedMb * 1024)
                         : format("Bytes Nuked: %6lld MB", static_cast<long long>(account.bytesNukedMb))));
    reply.line(row("Weekly Allotment: " + allotment,
                   newer ? format("Messages Waiting: %d", static_cast<int>(account.messages.size()))
                         : std::string("Messages Waiting: ") + (account.messages.empty() ? "N" : "Y")));
    reply.line(row(format(newer ? "Time Limit: %d minutes." : "Time Limit: %4d minutes.", account.timeLimitMinutes),
                   "(0 = Unlimited)"));
    if (newer) {
        reply.line(row(format("Timeframe: %02d:00-%02d:00", account.timeframeFrom, account.timeframeTo),
                       "(24 hour format)"));
    } else {
        reply.line(row(format("Gadmin/Leech Slots: %d %d", account.gadminSlots, account.leechSlots),
                       "(-1 = Unlimited, None)"));
    }
    reply.line(row("Tagline: " + account.tagline, ""));
    reply.line(row("Groups: " + join(account.groups, newer ? account.adminGroups : std::vector<std::string>()), ""));
    reply.line(row("Priv Groups: " + join(account.privateGroups, {}), ""));
    reply.line("+" + std::string(71, '-') + "+");
    for (int slot = 0; slot < 10; slot += 2) {
        auto mask = [&](int index) {
            return static_cast<std::size_t>(index) < account.ipMasks.size()
                       ? account.ipMasks[static_cast<std::size_t>(index)]
                       : std::string();
        };
        reply.line(row(format("IP%d: ", slot) + mask(slot), format("IP%d: ", slot + 1) + mask(slot + 1)));
    }
    reply.line("+" + std::string(71, '=') + "+");
    return reply.end("Command Successful.");
}

Reply SimulatedSite::addUser(const CommandWords& words) {
    if (words.size() < 4) {
        return syntax("SITE ADDUSER <user> <password> [<ident@ip> ...]");
    }
    const std::string& userName = words[2];
    if (!validName(userName, 24)) {
        return oneLine("Illegal characters in username");
    }
    if (findUser(userName) != nullptr) {
        return oneLine("User " + userName + " already exists");
    }
    if (userList.size() >= maxAccounts) {
        return oneLine("Sorry, no more open slots available.");
    }
    SiteUser& account = addAccount(userName, words[3]);
    account.created = stamp("%m-%d-%y");
    if (newer()) {
        account.creditsKb = newAccountCreditsKb;
    }
    logChange("added user " + userName);
    if (words.size() == 4) {
        return oneLine("User (" + userName + ") successfully added.");
    }
    ReplyBuilder reply;
    reply.line("User (" + userName + ") successfully added.");
    for (std::size_t at = 4; at < words.size(); ++at) {
        SiteUser& added = *user(userName);
        if (words[at].find('@') != std::string::npos && added.ipMasks.size() < 10) {
            added.ipMasks.push_back(words[at]);
            reply.line("IP '" + words[at] + "' successfully added to " + userName + ".");
        } else {
            reply.line("IP '" + words[at] + "' not added.");
        }
    }
    return reply.end("Command Successful.");
}

Reply SimulatedSite::addIp(const CommandWords& words) {
    if (words.size() < 4) {
        return syntax("SITE ADDIP <user> <ident@ip> [<ident@ip> ...]");
    }
    SiteUser* account = user(words[2]);
    if (account == nullptr) {
        return oneLine("User " + words[2] + " does not exist.");
    }
    std::vector<std::string> results;
    for (std::size_t at = 3; at < words.size(); ++at) {
        const std::string& mask = words[at];
        if (mask.find('@') == std::string::npos) {
            results.push_back("IP '" + mask + "' not added: use the form ident@ip.");
            continue;
        }
        const bool covered = std::any_of(account->ipMasks.begin(), account->ipMasks.end(),
                                         [&](const std::string& old) { return wildcardMatch(old, mask); });
        if (covered) {
            results.push_back("IP '" + mask + "' not added: an equal or broader mask already exists.");
        } else if (account->ipMasks.size() >= 10) {
            results.push_back("IP '" + mask + "' not added: all ten IP slots are in use.");
        } else {
            account->ipMasks.push_back(mask);
            logChange("added IP " + mask + " to " + account->name);
            results.push_back("IP '" + mask + "' successfully added to " + account->name + ".");
        }
    }
    return resultLines(results);
}

Reply SimulatedSite::delIp(const CommandWords& words) {
    if (words.size() < 4) {
        return syntax("SITE DELIP <user> <number|ident@ip> [...]");
    }
    SiteUser* account = user(words[2]);
    if (account == nullptr) {
        return oneLine("User " + words[2] + " does not exist.");
    }
    std::vector<std::string> results;
    for (std::size_t at = 3; at < words.size(); ++at) {
        std::int64_t index = -1;
        if (!parseInteger(words[at], 0, 9, index)) {
            const auto found = std::find(account->ipMasks.begin(), account->ipMasks.end(), words[at]);
            index = found == account->ipMasks.end() ? -1 : found - account->ipMasks.begin();
        }
        if (index < 0 || static_cast<std::size_t>(index) >= account->ipMasks.size()) {
            results.push_back("IP " + words[at] + " not found.");
            continue;
        }
        // The masks after it move up one place, as the server renumbers them.
        const std::string removed = account->ipMasks[static_cast<std::size_t>(index)];
        account->ipMasks.erase(account->ipMasks.begin() + index);
        logChange("removed IP " + removed + " from " + account->name);
        results.push_back("IP (" + removed + ") removed from " + account->name + ".");
    }
    return resultLines(results);
}

Reply SimulatedSite::change(const CommandWords& words) {
    if (newer()) {
        return changeAccounts(words);
    }
    if (words.size() < 5) {
        return syntax("SITE CHANGE <user> <field> <value>");
    }
    SiteUser* account = user(words[2]);
    if (account == nullptr) {
        return oneLine("User " + words[2] + " does not exist.");
    }
    const std::string field = words[3];
    const std::string key = upperCase(field);
    const std::string& value = words[4];
    std::int64_t number = 0;
    std::string shown = value;
    auto invalid = [&]() { return oneLine("Invalid value '" + value + "' for " + field + "."); };

    if (key == "RATIO") {
        if (!parseInteger(value, 0, 100, number)) {
            return invalid();
        }
        account->ratio = static_cast<int>(number);
        shown = number == 0 ? "Unlimited" : format("1:%lld", static_cast<long long>(number));
    } else if (key == "NUM_LOGINS" || key == "MAX_LOGINS") {
        std::int64_t sameIp = account->maxLoginsSameIp;
        if (!parseInteger(value, 0, 1000, number) ||
            (words.size() > 5 && !parseInteger(words[5], 0, 1000, sameIp))) {
            return invalid();
        }
        account->maxLogins = static_cast<int>(number);
        account->maxLoginsSameIp = static_cast<int>(sameIp);
    } else if (key == "WKLY_ALLOTMENT") {
        if (!parseInteger(value, 0, maxKilobytes, number)) {
            return invalid();
        }
        account->weeklyAllotmentKb = number;
        shown = value + "K";
    } else if (key == "CREDITS") {
        if (!parseInteger(value, -maxKilobytes, maxKilobytes, number)) {
            return invalid();
        }
        account->creditsKb = number;
        shown = value + "K";
    } else if (key == "TIME_LIMIT") {
        if (!parseInteger(value, 0, 100000, number)) {
            return invalid();
        }
        account->timeLimitMinutes = static_cast<int>(number);
    } else if (key == "MAX_ULSPEED" || key == "MAX_DLSPEED") {
        if (!parseInteger(value, 0, 10000000, number)) {
            return invalid();
        }
        (key == "MAX_ULSPEED" ? account->maxUploadSpeed : account->maxDownloadSpeed) = static_cast<int>(number);
    } else if (key == "GROUP_SLOTS") {
        if (serverGeneration == Generation::Glftpd2) {
            // Slots belong to groups there (SITE GRPCHANGE), not to users.
            return oneLine("Invalid Field");
        }
        std::int64_t leech = account->leechSlots;
        if (!parseInteger(value, -1, 1000, number) ||
            (words.size() > 5 && !parseInteger(words[5], -1, 1000, leech))) {
            return invalid();
        }
        account->gadminSlots = static_cast<int>(number);
        account->leechSlots = static_cast<int>(leech);
        shown = format("%lld %lld", static_cast<long long>(number), static_cast<long long>(leech));
    } else if (key == "TAGLINE") {
        account->tagline = words.rest(4);
        shown = account->tagline;
    } else if (key == "FLAGS") {
        account->flags = applyFlagChange(account->flags, value);
        shown = account->flags;
    } else {
        return oneLine("Unknown setting '" + field +
                       "'. Use ratio, flags, credits, wkly_allotment, num_logins, time_limit, "
                       "tagline, group_slots, max_ulspeed or max_dlspeed.");
    }
    logChange("changed " + field + " of " + account->name + " to " + shown);
    return oneLine("Changed " + field + " for " + account->name + " to " + shown + ".");
}

Reply SimulatedSite::chpass(const CommandWords& words) {
    if (words.size() < 4) {
        return syntax("SITE CHPASS <user> <password>");
    }
    SiteUser* account = user(words[2]);
    if (account == nullptr) {
        return oneLine("User " + words[2] + " does not exist.");
    }
    account->password = words[3];
    logChange("changed the password of " + account->name);
    return oneLine("Password Changed...");
}

Reply SimulatedSite::chgrp(const CommandWords& words) {
    if (words.size() < 4) {
        return syntax("SITE CHGRP <user> <group> [<group> ...]");
    }
    SiteUser* account = user(words[2]);
    if (account == nullptr) {
        return oneLine("User '" + words[2] + "' does not exist.");
    }
    std::vector<std::string> results;
    for (std::size_t at = 3; at < words.size(); ++at) {
        const SiteGroup* entry = findGroup(words[at]);
        if (entry == nullptr) {
            results.push_back("Group (" + words[at] + ") does not exist.");
            continue;
        }
        std::vector<std::string>& list = entry->isPrivate ? account->privateGroups : account->groups;
        if (std::find(list.begin(), list.end(), entry->name) != list.end()) {
            removeName(list, entry->name);
            removeName(account->adminGroups, entry->name);
            logChange("removed " + account->name + " from " + entry->name);
            results.push_back("'" + account->name + "' has been successfully removed from '" + entry->name + "'");
        } else {
            list.push_back(entry->name);
            logChange("added " + account->name + " to " + entry->name);
            results.push_back("'" + account->name + "' has been successfully added to '" + entry->name + "'");
        }
    }
    return resultLines(results);
}

Reply SimulatedSite::delUser(const CommandWords& words) {
    if (words.size() < 3) {
        if (newer()) {
            static const char* const usage[] = {
                " ,--------------------------------------------------------.",
                "| USAGE: SITE DELUSER <username>                           |",
                "|                                                          |",
                "| <username> The username to remove.                       |",
                "|                                                          |",
                "| After you delete a user, you may later reinstate their   |",
                "| account by using \"SITE READD\".                           |",
                " `--------------------------------------------------------'",
            };
            return textBox(usage);
        }
        return syntax("SITE DELUSER <user>");
    }
    SiteUser* account = user(words[2]);
    if (account == nullptr) {
        return oneLine("User '" + words[2] + "' does not exist.");
    }
    if (account->name == operatorAccount) {
        return oneLine("You cannot delete yourself.");
    }
    if (account->deleted()) {
        return newer() ? oneLine("User " + account->name + " is already deleted.")
                       : oneLine("User '" + words[2] + "' is already deleted.");
    }
    account->flags = applyFlagChange(account->flags, "+6");
    logChange("deleted user " + account->name);
    return oneLine("User (" + account->name + ") deleted.");
}

Reply SimulatedSite::readd(const CommandWords& words) {
    if (newer()) {
        return readdAccount(words);
    }
    if (words.size() < 3) {
        return syntax("SITE READD <user>");
    }
    SiteUser* account = user(words[2]);
    if (account == nullptr) {
        return unreadableAccount(words[2]);
    }
    if (!account->deleted()) {
        return oneLine("User " + account->name + " has not been deleted.");
    }
    account->flags = applyFlagChange(account->flags, "-6");
    logChange("readded user " + account->name);
    return oneLine("User (" + account->name + ") readded.");
}

Reply SimulatedSite::give(const CommandWords& words) {
    if (words.size() < 4) {
        return syntax("SITE GIVE <user> <kilobytes> [<message>]");
    }
    SiteUser* account = user(words[2]);
    if (account == nullptr) {
        return oneLine("User " + words[2] + " does not exist.");
    }
    std::int64_t kilobytes = 0;
    if (!parseInteger(words[3], 0, maxKilobytes, kilobytes)) {
        return oneLine("Invalid amount '" + words[3] + "': give a positive number of kilobytes.");
    }
    if (account->creditsKb > maxKilobytes - kilobytes) {
        return oneLine(account->name + " cannot hold that many credits.");
    }
    account->creditsKb += kilobytes;
    if (words.size() > 4) {
        account->messages.push_back({operatorAccount, now(),
                                     "You were given " + words[3] + "K of credits: " + words.rest(4)});
    }
    logChange("gave " + words[3] + "K to " + account->name);
    return oneLine("Successfully transferred " + words[3] + "K to " + account->name + ".");
}

Reply SimulatedSite::take(const CommandWords& words) {
    if (words.size() < 4) {
        return syntax("SITE TAKE <user> <kilobytes> [<message>]");
    }
    SiteUser* account = user(words[2]);
    if (account == nullptr) {
        return oneLine("User " + words[2] + " does not exist.");
    }
    std::int64_t kilobytes = 0;
    if (!parseInteger(words[3], 0, maxKilobytes, kilobytes)) {
        return oneLine("Invalid amount '" + words[3] + "': give a positive number of kilobytes.");
    }
    if (account->creditsKb < kilobytes) {
        return oneLine(account->name + " has only " + megabytes(account->creditsKb) + " MB of credits.");
    }
    account->creditsKb -= kilobytes;
    if (words.size() > 4) {
        account->messages.push_back({operatorAccount, now(),
                                     words[3] + "K of credits were taken from you: " + words.rest(4)});
    }
    logChange("took " + words[3] + "K from " + account->name);
    return oneLine("Successfully took " + words[3] + "K from " + account->name + ".");
}

Reply SimulatedSite::purge(const CommandWords& words) {
    if (newer()) {
        return purgeAccounts(words);
    }
    const std::string only = words[2];
    std::size_t before = userList.size();
    userList.erase(std::remove_if(userList.begin(), userList.end(),
                                  [&](const SiteUser& u) {
                                      return u.deleted() && (only.empty() || u.name == only);
                                  }),
                   userList.end());
    const std::size_t purged = before - userList.size();
    if (purged != 0) {
        logChange(format("purged %zu deleted user(s)", purged));
    }
    return oneLine(format("Purged %zu user(s).", purged));
}

Reply SimulatedSite::seen(const CommandWords& words) {
    if (words.size() < 3) {
        return syntax("SITE SEEN <user>");
    }
    const SiteUser* account = findUser(words[2]);
    if (account == nullptr) {
        return oneLine("User " + words[2] + " does not exist.");
    }
    return oneLine(account->name + " was last seen on " + account->lastSeen + ".");
}

Reply SimulatedSite::usersListing(const CommandWords& words) {
    if (newer()) {
        return detailedUserListing(words);
    }
    static const struct {
        const char* keyword;
        char flag;
    } flagKeywords[] = {
        {"SITEOP", '1'}, {"GADMIN", '2'},   {"GLOCK", '3'},  {"EXEMPT", '4'}, {"COLOR", '5'},
        {"DELETED", '6'}, {"USEREDIT", '7'}, {"ANONYMOUS", '8'}, {"NUKE", 'A'}, {"UNNUKE", 'B'},
        {"UNDUPE", 'C'},  {"KICK", 'D'},     {"KILL", 'E'},   {"TAKE", 'F'},   {"GIVE", 'G'},
        {"USERS", 'H'},   {"IDLER", 'I'},
    };
    const std::string filter = words[2];
    const SiteGroup* byGroup = filter.empty() ? nullptr : findGroup(filter);
    char byFlag = '\0';
    const bool leech = upperCase(filter) == "LEECH";
    for (const auto& entry : flagKeywords) {
        if (upperCase(filter) == entry.keyword) {
            byFlag = entry.flag;
        }
    }
    if (!filter.empty() && byGroup == nullptr && byFlag == '\0' && !leech) {
        return oneLine("No such group or flag: " + filter + ".");
    }
    ReplyBuilder reply;
    reply.line("Username     Group        Flags          Ratio   Credits(MB)  Tagline");
    reply.line("------------ ------------ -------------- ------ ------------  ----------------------");
    int listed = 0;
    for (const SiteUser& account : userList) {
        const bool wanted = filter.empty() || (byGroup != nullptr && account.inGroup(byGroup->name)) ||
                            (byFlag != '\0' && account.hasFlag(byFlag)) || (leech && account.ratio == 0);
        if (!wanted) {
            continue;
        }
        reply.line(padRight(account.name, 12) + " " +
                   padRight(account.groups.empty() ? "NoGroup" : account.groups.front(), 12) + " " +
                   padRight(account.flags, 14) + " " +
                   padRight(account.ratio == 0 ? "Leech" : format("1:%d", account.ratio), 6) + " " +
                   padLeft(megabytes(account.creditsKb), 12) + "  " + account.tagline);
        ++listed;
    }
    reply.line("");
    return reply.end(format("%d user(s) listed.", listed));
}

Reply SimulatedSite::userStats(const CommandWords& words) {
    if (words.size() < 3) {
        return syntax("SITE STATS <user>");
    }
    const SiteUser* account = findUser(words[2]);
    if (account == nullptr) {
        return oneLine("User " + words[2] + " does not exist.");
    }
    auto line = [](const char* period, const Transfer& t) {
        return format("| %-9s | %5d files %9.1f MB | %5d files %9.1f MB |", period, t.uploadFiles,
                      static_cast<double>(t.uploadKb) / 1024.0, t.downloadFiles,
                      static_cast<double>(t.downloadKb) / 1024.0);
    };
    ReplyBuilder reply;
    reply.line("." + std::string(65, '-') + ".");
    reply.line(format("| %-63s |", ("Transfer statistics of " + account->name).c_str()));
    reply.line("|-----------+--------------------------+--------------------------|");
    reply.line("| Period    | Uploaded                 | Downloaded               |");
    reply.line("|-----------+--------------------------+--------------------------|");
    reply.line(line("Today", account->today));
    reply.line(line("Week", account->week));
    reply.line(line("Month", account->month));
    reply.line(line("All time", account->allTime));
    reply.line("`-----------+--------------------------+--------------------------'");
    return reply.end("Command Successful.");
}

// ---------------------------------------------------------------------------
// Groups

Reply SimulatedSite::grpAdd(const CommandWords& words) {
    if (words.size() < 3) {
        return syntax("SITE GRPADD <group> [<description>]");
    }
    const std::string& groupName = words[2];
    if (!validName(groupName, 24)) {
        return oneLine("Illegal characters in group name.");
    }
    if (findGroup(groupName) != nullptr) {
        return oneLine("Group (" + groupName + ") already exists.");
    }
    const std::string description = words.size() > 3 ? words.rest(3) : groupName;
    addGroup(groupName, description, false);
    logChange("added group " + groupName);
    return oneLine("Group (" + groupName + ") successfully added.");
}

Reply SimulatedSite::grpNfo(const CommandWords& words) {
    if (words.size() < 4) {
        return syntax("SITE GRPNFO <group> <description>");
    }
    SiteGroup* entry = group(words[2]);
    if (entry == nullptr) {
        return oneLine("Group (" + words[2] + ") does not exist.");
    }
    entry->description = words.rest(3);
    logChange("changed the description of group " + entry->name);
    return oneLine("Description of group (" + entry->name + ") changed to: " + entry->description);
}

Reply SimulatedSite::grpRen(const CommandWords& words) {
    if (words.size() < 4) {
        return syntax("SITE GRPREN <group> <new name>");
    }
    SiteGroup* entry = group(words[2]);
    if (entry == nullptr) {
        return oneLine("Group (" + words[2] + ") does not exist.");
    }
    const std::string newName = words[3];
    if (!validName(newName, 24)) {
        return oneLine("Illegal characters in group name.");
    }
    if (findGroup(newName) != nullptr) {
        return oneLine("Group (" + newName + ") already exists.");
    }
    const std::string oldName = entry->name;
    entry->name = newName;
    for (SiteUser& account : userList) {
        std::replace(account.groups.begin(), account.groups.end(), oldName, newName);
        std::replace(account.privateGroups.begin(), account.privateGroups.end(), oldName, newName);
    }
    logChange("renamed group " + oldName + " to " + newName);
    return oneLine("Group (" + oldName + ") successfully renamed to (" + newName + ").");
}

Reply SimulatedSite::grpDel(const CommandWords& words) {
    if (words.size() < 3) {
        return syntax("SITE GRPDEL <group>");
    }
    const std::string& groupName = words[2];
    const SiteGroup* entry = findGroup(groupName);
    if (entry == nullptr) {
        return oneLine("Group (" + groupName + ") does not exist.");
    }
    const bool linked = std::any_of(userList.begin(), userList.end(),
                                    [&](const SiteUser& u) { return u.inGroup(groupName); });
    if (linked) {
        return oneLine("Group delete failed. (" + groupName + ") linked to one or more users.");
    }
    groupList.erase(groupList.begin() + (entry - groupList.data()));
    logChange("deleted group " + groupName);
    return oneLine("Group (" + groupName + ") successfully deleted.");
}

// ---------------------------------------------------------------------------
// Who is online

Reply SimulatedSite::swho(const CommandWords&) {
    ReplyBuilder reply;
    reply.line(".-------------------------------------------------------------------------.");
    reply.line("| PiD     User        Ident@Host            Online    Idle      Cryption  |");
    reply.line("|-------+-----------+---------------------+---------+---------+-----------|");
    for (const Connection& c : connectionList) {
        reply.line(format("| %5d | ", c.pid) + padRight(c.user, 9) + " | " + padRight(c.identHost, 19) +
                   " | " + padRight(c.online, 7) + " | " + padRight(c.idle, 7) + " | " +
                   padRight(c.cryption, 9) + " |");
    }
    reply.line("`-------+-----------+---------------------+---------+---------+-----------'");
    reply.line("");
    return reply.end("Command Successful.");
}

namespace {

// "12m 40s", "1h 2m" as seconds (0 for anything else).
long durationSeconds(const std::string& text) {
    long total = 0, number = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            number = number * 10 + (c - '0');
        } else if (c == 'h' || c == 'm' || c == 's') {
            total += number * (c == 'h' ? 3600 : c == 'm' ? 60 : 1);
            number = 0;
        }
    }
    return total;
}

// Seconds as glftpd writes a session's time: "0m 5s", "12m 40s", "1h 2m".
std::string durationText(long seconds) {
    if (seconds >= 3600) {
        return format("%ldh %ldm", seconds / 3600, seconds % 3600 / 60);
    }
    return format("%ldm %lds", seconds / 60, seconds % 60);
}

}  // namespace

// What WHO shows for a session: a transfer as 2.x writes it ("UL: name at
// 98.0KiB/s", the name cut to 12 characters), else its action.
std::string SimulatedSite::whoAction(const Connection& c) const {
    const auto found = transfers.find(c.pid);
    if (found == transfers.end()) {
        return c.action;
    }
    const SessionTransfer& t = found->second;
    return std::string(t.direction == 'U' ? "UL: " : "DL: ") + padRight(t.file, 12, true) + " at " +
           format("%.1fKiB/s", t.speedKiBs);
}

Reply SimulatedSite::who(const CommandWords&) {
    ReplyBuilder reply;
    reply.line(padRight(" Users Logged Onto " + name, 74));
    reply.line(".-------------------------------------------------------------------------.");
    reply.line("| User        Group      Unfo               Action                        |");
    reply.line("|-----------+----------+------------------+-------------------------------|");
    double upload = 0, download = 0;
    for (const Connection& c : connectionList) {
        const SiteUser* account = findUser(c.user);
        const std::string groupName = account != nullptr && !account->groups.empty() ? account->groups.front()
                                                                                     : "NoGroup";
        const std::string tagline = account != nullptr ? account->tagline : "";
        reply.line("| " + padRight(c.user, 9, true) + " | " + padRight(groupName, 8, true) + " | " +
                   padRight(tagline, 16, true) + " | " + padRight(whoAction(c), 29, true) + " |");
        const auto transfer = transfers.find(c.pid);
        if (transfer != transfers.end()) {
            (transfer->second.direction == 'U' ? upload : download) += transfer->second.speedKiBs;
        }
    }
    reply.line("|-----------+----------+------------+-----+-------------------------------|");
    reply.line(format("| Total upload speed:%14s | Total download speed:%14s |", format("%.1fKiB/s", upload).c_str(),
                      format("%.1fKiB/s", download).c_str()));
    reply.line("|-----------------------------------+-------------------------------------|");
    const std::size_t maximum = std::max<std::size_t>(20, connectionList.size());
    reply.line("| " + padRight(format(" %zu of %zu User(s) Currently Online", connectionList.size(), maximum), 71) +
               " |");
    reply.line("`-------------------------------------------------------------------------'");
    Reply answered = reply.end("Command Successful.");
    if (sessionsAlive) {
        liveOneStep();
    }
    return answered;
}

void SimulatedSite::setSessionsAlive(bool alive) {
    sessionsAlive = alive;
    if (alive && lifeStep == 0) {
        liveOneStep();  // the demo's transfers under way from the start
    }
}

void SimulatedSite::liveOneStep() {
    ++lifeStep;
    const int step = lifeStep;
    for (Connection& c : connectionList) {
        c.online = durationText(durationSeconds(c.online) + 5);
        // A command in a demo session's action is a transfer from now on.
        if (transfers.count(c.pid) == 0 && (c.action.rfind("STOR ", 0) == 0 || c.action.rfind("RETR ", 0) == 0)) {
            transfers[c.pid] = SessionTransfer{c.action[0] == 'S' ? 'U' : 'D', c.action.substr(5), 0};
        }
        const auto transfer = transfers.find(c.pid);
        if (transfer != transfers.end()) {
            // Speeds that change with every step, each session its own way.
            const int wave = (c.pid * 7 + step * 131) % 1200;
            transfer->second.speedKiBs =
                (transfer->second.direction == 'U' ? 150.0 : 600.0) + wave + (step % 2 == 0 ? 0.5 : 0.0);
            c.idle = "0m 0s";
        } else {
            c.idle = durationText(durationSeconds(c.idle) + 5);
            if (c.action.rfind("IDLE for ", 0) == 0) {
                c.action = "IDLE for " + c.idle;
            }
        }
    }
    // A visitor: logs in on one step, lists a directory, uploads, and leaves.
    const int visitorPid = 5000 + (step / 4) % 1000;
    const auto visitor = std::find_if(connectionList.begin(), connectionList.end(),
                                      [](const Connection& c) { return c.identHost == "visitor@203.0.113.50"; });
    const SiteUser* visitorAccount = findUser("dave") != nullptr ? findUser("dave") : findUser(operatorAccount);
    switch (step % 4) {
    case 1:
        if (visitor == connectionList.end() && visitorAccount != nullptr) {
            Connection c{visitorPid, visitorAccount->name, "visitor@203.0.113.50", "0m 3s", "0m 1s", "ctrl&data",
                         "LIST -al"};
            connectionList.push_back(c);
        }
        break;
    case 2:
        if (visitor != connectionList.end()) {
            transfers[visitor->pid] = SessionTransfer{'U', format("Visitor.Upload-%02d.rar", step % 100), 80.0 + step % 40};
        }
        break;
    case 3:
        if (visitor != connectionList.end()) {
            transfers.erase(visitor->pid);
            connectionList.erase(visitor);
        }
        break;
    default:
        break;
    }
}

void SimulatedSite::addBusySessions(int count) {
    std::vector<const SiteUser*> accounts;
    for (const SiteUser& account : userList) {
        if (!account.deleted()) {
            accounts.push_back(&account);
        }
    }
    if (accounts.empty()) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        const SiteUser& account = *accounts[static_cast<std::size_t>(i) % accounts.size()];
        Connection c{20000 + i, account.name, account.name + format("@10.%d.%d.%d", i / 65536 % 256, i / 256 % 256, i % 256),
                     durationText(60 + i * 7 % 5000), durationText(i * 3 % 900), i % 3 == 0 ? "none" : "ctrl&data",
                     durationText(i * 3 % 900)};
        c.action = "IDLE for " + c.idle;
        if (i % 5 == 1) {
            transfers[c.pid] = SessionTransfer{'U', format("Busy.Release.%04d-GRP.r%02d", i, i % 100), 100.0 + i % 900};
        } else if (i % 7 == 2) {
            transfers[c.pid] = SessionTransfer{'D', format("Archive.%04d.rar", i), 300.0 + i % 1700};
        } else if (i % 4 == 3) {
            c.action = "LIST -al";
        }
        connectionList.push_back(c);
    }
}

Reply SimulatedSite::kick(const CommandWords& words) {
    if (words.size() < 3) {
        return syntax("SITE KICK <user>");
    }
    const std::string& userName = words[2];
    if (newer() && findUser(userName) == nullptr) {
        return oneLine("Error loading userfile for " + userName);
    }
    for (const Connection& c : connectionList) {
        if (c.user == userName && userName != operatorAccount) {
            transfers.erase(c.pid);
        }
    }
    const std::size_t before = connectionList.size();
    // The operator's own session is not kicked (glftpd says it is not found).
    connectionList.erase(std::remove_if(connectionList.begin(), connectionList.end(),
                                        [&](const Connection& c) {
                                            return c.user == userName && userName != operatorAccount;
                                        }),
                         connectionList.end());
    const std::size_t kicked = before - connectionList.size();
    if (kicked == 0) {
        return oneLine(newer() ? "User Not Found" : userName + " is not online.");
    }
    logChange("kicked " + userName);
    if (newer()) {
        return oneLine(format("Killed %zu connection%s.", kicked, kicked == 1 ? "" : "s"));
    }
    return oneLine(format("Kicked %zu connection(s) of ", kicked) + userName + ".");
}

Reply SimulatedSite::kill(const CommandWords& words) {
    if (words.size() < 3) {
        return syntax("SITE KILL <pid>");
    }
    std::int64_t pid = 0;
    const bool number = parseInteger(words[2], 1, 0x7fffffff, pid);
    const auto found = std::find_if(connectionList.begin(), connectionList.end(),
                                    [&](const Connection& c) { return number && c.pid == pid; });
    ReplyBuilder reply;
    if (found == connectionList.end()) {
        reply.line("");
        return reply.end(words[2] + ": Invalid PiD.");
    }
    logChange("killed process " + words[2] + " of " + found->user);
    const std::string user = found->user;
    transfers.erase(found->pid);
    connectionList.erase(found);
    if (newer()) {
        return oneLine("PID " + words[2] + " (" + user + ") killed.");
    }
    reply.line("");
    return reply.end(words[2] + ": Killed.");
}

}  // namespace simsite
