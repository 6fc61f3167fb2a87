// Accounts as the 2.x server administers them: the detailed SITE USERS
// listing, SITE CHANGE with its bulk forms, READD and PURGE of deleted
// accounts, RENUSER and GADDUSER, each with the server's own texts.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "host/simsite/account_colours.h"
#include "host/simsite/simulated_site.h"
#include "host/simsite/site_reply.h"
#include "host/simsite/site_text.h"

namespace simsite {

namespace {

const char* const usersHelp[] = {
    " ,--------------------------------------------------------.",
    "| USAGE: SITE USERS [<string>]                             |",
    "|                                                          |",
    "| <string> Optional param to get a list of users with a    |",
    "|          specific property, see below for options.       |",
    "|          Otherwise lists all users except those deleted. |",
    "|                                                          |",
    "| String can be any of these keywords:                     |",
    "|  siteop, gadmin, glock, exempt, deleted, useredit, kick, |",
    "|  kill, anonymous, nuke, unnuke, undupe, take, give,      |",
    "|  users, idler, leech                                     |",
    "|                                                          |",
    "| If string is one character, it is considered a flag and  |",
    "| only users with that flag will be listed.                |",
    "|                                                          |",
    "| If string starts with character '=', it is considered a  |",
    "| group and only users in that group will be listed.       |",
    "|                                                          |",
    "| If string ends in character '*', all usernames beginning |",
    "| with what precedes * will be listed.                     |",
    " `--------------------------------------------------------'",
};
const char* const purgeUsage[] = {
    " ,--------------------------------------------------------.",
    "| USAGE: SITE PURGE <username>                             |",
    "|                                                          |",
    "| <username> The username to purge. If this equals *, all  |",
    "|            deleted users will be purged.                 |",
    "|                                                          |",
    "| NOTE: A username can only be purged if it is deleted.    |",
    "| Once you purge a username, it is permanently removed.    |",
    "| This means there is no way to readd it at a later time.  |",
    " `--------------------------------------------------------'",
};
const char* const gaddUserUsage[] = {
    " ,--------------------------------------------------------.",
    "| USAGE: SITE GADDUSER <group> <username> <password>       |",
    "|                                               [<IP#1-5>] |",
    "|                                                          |",
    "| <group>    The group to put the user in.                 |",
    "| <username> The username to add.                          |",
    "| <password> The password to set for this user.            |",
    "| <IP#1-5>   Optional: Up to 5 IP's may be specified here. |",
    "|                                                          |",
    "| After you add a user, use \"SITE ADDIP\" to add (more)     |",
    "| IP's to the new account.                                 |",
    " `--------------------------------------------------------'",
};

const char* const readdUsage[] = {
    " ,--------------------------------------------------------.",
    "| USAGE: SITE READD <username>                             |",
    "|                                                          |",
    "| <username> The username to readd.                        |",
    "|                                                          |",
    "| NOTE: in order for a user to be readded, they must be    |",
    "| marked as deleted with userflag 6.                       |",
    "|                                                          |",
    "| The following users may be READDed:                      |",
    "+----------------------------------------------------------+",
};

struct AccountField {
    const char* name;
    const char* description;
};

const AccountField accountFields[] = {
    {"ratio", "[0-9] The user's ratio"},
    {"sratio", "[Str] [0-9] User's section ratio"},
    {"max_dlspeed", "[Str] User's max download speed in KiloBytes/sec"},
    {"max_ulspeed", "[Str] User's max upload speed in KiloBytes/sec"},
    {"max_sim_down", "[Num] User's max simultaneous downloads"},
    {"max_sim_up", "[Num] User's max simultaneous uploads"},
    {"wkly_allotment", "[Num,Num] Section,Weekly credit allotment"},
    {"idle_time", "[Str] The user's default idle time"},
    {"tagline", "[Str] The user's tagline"},
    {"comment", "[Str] The user's comment"},
    {"num_logins", "[Num] [Num] Max concurrent connections [ from same IP ] (0=unlimited)"},
    {"time_limit", "[Str] User's time limit"},
    {"timeframe", "[0-23 0-23] The hours between which the user can log in"},
    {"credits", "[Kb]  User's Credits (use SITE GIVE to ADD)"},
    {"flags", "[Str] User's Flags"},
    {"homedir", "[Str] User's Home Directory"},
    {"startup_dir", "[Str] User's Start-up Directory"},
    {"expires", "[Date] Date after which a user expires (yyyy-mm-dd}"},
};

constexpr std::int64_t largestKilobytes = 1LL << 40;
constexpr std::size_t longestName = 23;
constexpr std::size_t commentRoom = 49;  // the server asserts on anything longer
constexpr std::size_t taglineRoom = 63;

const char outOfRange[] = "The value specified is out of range.";

const AccountField* findAccountField(const std::string& name) {
    for (const AccountField& field : accountFields) {
        if (name == field.name) {
            return &field;
        }
    }
    return nullptr;
}

Reply accountFieldList(bool invalid) {
    ReplyBuilder reply;
    if (invalid) {
        reply.line("Invalid Field");
        reply.line(" ");
    }
    reply.line("Valid fields & descriptions:");
    reply.line(" ");
    for (const AccountField& field : accountFields) {
        reply.line(padRight(field.name, 18) + field.description);
    }
    return reply.end("Command Successful.");
}

// atoi as the server applies it where it checks nothing: the leading
// digits with their sign, 0 without any; clamped to an int.
int looseNumber(const std::string& text) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    std::int64_t value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
        value = std::min<std::int64_t>(value * 10 + (text[at] - '0'), std::int64_t(1) << 32);
    }
    value = negative ? -value : value;
    return static_cast<int>(std::max<std::int64_t>(INT_MIN, std::min<std::int64_t>(INT_MAX, value)));
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// "YYYY-M-D" as the stored "YYYY-MM-DD"; false for anything else.
bool readDate(const std::string& text, std::string& date) {
    const std::size_t first = text.find('-');
    const std::size_t second = first == std::string::npos ? first : text.find('-', first + 1);
    if (second == std::string::npos) {
        return false;
    }
    std::int64_t year = 0;
    std::int64_t month = 0;
    std::int64_t day = 0;
    if (!parseInteger(text.substr(0, first), 1970, 9999, year) ||
        !parseInteger(text.substr(first + 1, second - first - 1), 1, 12, month) ||
        !parseInteger(text.substr(second + 1), 1, 31, day) ||
        day > daysInMonth(static_cast<int>(year), static_cast<int>(month))) {
        return false;
    }
    date = format("%04d-%02d-%02d", static_cast<int>(year), static_cast<int>(month), static_cast<int>(day));
    return true;
}

// A speed in KB/s, with an optional k, m or g after the number.
bool readSpeed(const std::string& text, int& kilobytes) {
    std::string digits = text;
    std::int64_t scale = 1;
    const char unit =
        digits.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(digits.back())));
    if (unit == 'k' || unit == 'm' || unit == 'g') {
        scale = unit == 'k' ? 1 : unit == 'm' ? 1024 : 1024 * 1024;
        digits.pop_back();
    }
    std::int64_t value = 0;
    if (!parseInteger(digits, 0, INT_MAX / scale, value)) {
        return false;
    }
    kilobytes = static_cast<int>(value * scale);
    return true;
}

bool hasIllegalPart(const std::string& name) {
    if (name.compare(0, 8, "default.") == 0) {
        return true;
    }
    if (name.size() >= 5 && name.compare(name.size() - 5, 5, ".lock") == 0) {
        return true;
    }
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos && dot + 1 < name.size() && name[dot + 1] != '0' &&
           name.find_first_not_of("0123456789", dot + 1) == std::string::npos;
}

std::string assertText(int line) {
    return format(
        "ASSERT: (srclen + 1 <= dest_size) in file remoteadmin.c line %d inside function "
        "gl_strcpy_internal",
        line);
}

// What one setting did to one account.
struct SettingOutcome {
    enum Kind { Done, Refused, Help, Unknown, Crash } kind = Done;
    std::string text;  // the refusal, the help line, the assertion
    std::string note;  // a line the server puts before "Command Successful."
};

SettingOutcome refused(const std::string& text) {
    SettingOutcome outcome;
    outcome.kind = SettingOutcome::Refused;
    outcome.text = text;
    return outcome;
}

// Refusals that come before any account is touched: an unknown setting, a
// missing value, a value so long that the server asserts.
bool screenSetting(const std::string& field, const CommandWords& words, std::size_t valueAt, SettingOutcome& outcome) {
    const AccountField* known = findAccountField(field);
    if (known == nullptr) {
        outcome.kind = SettingOutcome::Unknown;
        return false;
    }
    if (words.size() <= valueAt) {
        outcome.kind = SettingOutcome::Help;
        outcome.text = field + "  " + known->description;
        return false;
    }
    const std::size_t length = words.rest(valueAt).size();
    if ((field == "comment" && length > commentRoom) || (field == "tagline" && length > taglineRoom)) {
        outcome.kind = SettingOutcome::Crash;
        outcome.text = assertText(field == "comment" ? 1541 : 1537);
        return false;
    }
    return true;
}

SettingOutcome applySetting(SiteUser& account, const std::string& field, const CommandWords& words,
                            std::size_t valueAt) {
    SettingOutcome outcome;
    const std::string& value = words[valueAt];
    std::int64_t number = 0;
    if (field == "ratio") {
        if (!parseInteger(value, 0, 9, number)) {
            return refused("Ratio out of range (range is 0 to 9)");
        }
        account.ratio = static_cast<int>(number);
    } else if (field == "sratio") {
        return refused(upperCase(value) == "DEFAULT" ? "Use 'site change user ratio' to change the default ratio"
                                                     : "Invalid section name");
    } else if (field == "max_dlspeed" || field == "max_ulspeed") {
        const bool down = field == "max_dlspeed";
        int speed = 0;
        if (!readSpeed(value, speed)) {
            return refused(outOfRange);
        }
        (down ? account.maxDownloadSpeed : account.maxUploadSpeed) = speed;
        outcome.note =
            format("Changed max %s speed for %s to %d KB/s", down ? "download" : "upload", account.name.c_str(), speed);
    } else if (field == "max_sim_down" || field == "max_sim_up") {
        const bool down = field == "max_sim_down";
        if (!parseInteger(value, -1, 30000, number)) {
            return refused(outOfRange);
        }
        (down ? account.maxSimDownloads : account.maxSimUploads) = static_cast<int>(number);
        outcome.note = format("Changed max simultaneous %s for %s to %d.", down ? "downloads" : "uploads",
                              account.name.c_str(), static_cast<int>(number));
    } else if (field == "wkly_allotment") {
        const std::size_t comma = value.find(',');
        const std::string kilobytes = comma == std::string::npos ? value : value.substr(comma + 1);
        if (!parseInteger(kilobytes, 0, largestKilobytes, number)) {
            return refused(outOfRange);
        }
        account.weeklyAllotmentKb = number;
    } else if (field == "idle_time") {
        account.idleTime = looseNumber(value);
    } else if (field == "tagline") {
        account.tagline = words.rest(valueAt);
    } else if (field == "comment") {
        account.comment = words.rest(valueAt);
    } else if (field == "num_logins") {
        // The second number (logins from one address) is taken as it comes.
        const int sameIp = words.size() > valueAt + 1 ? looseNumber(words[valueAt + 1]) : account.maxLoginsSameIp;
        if (!parseInteger(value, 0, 30000, number) || sameIp < 0 || sameIp > 30000) {
            return refused(outOfRange);
        }
        account.maxLogins = static_cast<int>(number);
        account.maxLoginsSameIp = sameIp;
    } else if (field == "time_limit") {
        account.timeLimitMinutes = looseNumber(value);
    } else if (field == "timeframe") {
        const int from = looseNumber(value);
        const int to = words.size() > valueAt + 1 ? looseNumber(words[valueAt + 1]) : account.timeframeTo;
        if (from < 0 || from > 23 || to < 0 || to > 23) {
            return refused("Invalid hour");
        }
        account.timeframeFrom = from;
        account.timeframeTo = to;
    } else if (field == "credits") {
        if (!parseInteger(value, -largestKilobytes, largestKilobytes, number)) {
            return refused(outOfRange);
        }
        account.creditsKb = number;
    } else if (field == "flags") {
        const std::string flags = applyFlagChange(account.flags, value);
        if (flags == account.flags) {
            outcome.note = "No flags were changed.";
        }
        account.flags = flags;
    } else if (field == "homedir") {
        if (value.compare(0, 5, "/site") != 0 || (value.size() > 5 && value[5] != '/')) {
            return refused("Error: homedir outside of min_homedir, aborting");
        }
        account.homeDir = value;
        outcome.note = "Homedir for " + account.name + " changed to " + value;
    } else if (field == "startup_dir") {
        account.startupDir = value;
    } else {  // expires
        std::string date;
        if (equalsIgnoreCase(value, "never") || value == "0") {
            account.expires.clear();
        } else if (readDate(value, date)) {
            account.expires = date;
        } else {
            return refused("The provided date should be in the format YYYY-M-D");
        }
    }
    return outcome;
}

// The listing's figures: whole MiB, rounded as printf's "%.0f" rounds (a
// half to the even neighbour), without printf: a listing has 50,000 rows.
std::int64_t wholeMegabytes(std::int64_t kilobytes) {
    const std::uint64_t magnitude =
        kilobytes < 0 ? 0 - static_cast<std::uint64_t>(kilobytes) : static_cast<std::uint64_t>(kilobytes);
    std::uint64_t whole = magnitude / 1024;
    const std::uint64_t rest = magnitude % 1024;
    whole += rest > 512 || (rest == 512 && whole % 2 == 1) ? 1 : 0;
    return kilobytes < 0 ? -static_cast<std::int64_t>(whole) : static_cast<std::int64_t>(whole);
}

// Appends `text` and blanks up to `width` (never cut).
void appendPadded(std::string& line, const std::string& text, std::size_t width) {
    line += text;
    if (text.size() < width) {
        line.append(width - text.size(), ' ');
    }
}

// Appends the number right-aligned in `width`.
void appendNumber(std::string& line, std::int64_t value, std::size_t width) {
    const std::string digits = std::to_string(value);
    if (digits.size() < width) {
        line.append(width - digits.size(), ' ');
    }
    line += digits;
}

struct UserSelection {
    enum Kind { Everyone, Group, Prefix, Flag, Leech, Nobody } kind = Everyone;
    std::string text;
    char flag = '\0';

    bool matches(const SiteUser& account) const {
        switch (kind) {
        case Everyone:
            return true;
        case Group:  // private groups are not groups to the 2.x server's listing
            return std::find(account.groups.begin(), account.groups.end(), text) != account.groups.end();
        case Prefix:
            return account.name.compare(0, text.size(), text) == 0;
        case Flag:
            return account.hasFlag(flag);
        case Leech:
            return account.ratio == 0;
        case Nobody:
            break;
        }
        return false;
    }
};

}  // namespace

Reply SimulatedSite::detailedUserListing(const CommandWords& words) {
    static const struct {
        const char* keyword;
        char flag;
    } flagWords[] = {
        {"siteop", '1'},    {"gadmin", '2'}, {"glock", '3'},  {"exempt", '4'}, {"deleted", '6'}, {"useredit", '7'},
        {"anonymous", '8'}, {"nuke", 'A'},   {"unnuke", 'B'}, {"undupe", 'C'}, {"kick", 'D'},    {"kill", 'E'},
        {"take", 'F'},      {"give", 'G'},   {"users", 'H'},  {"idler", 'I'},
    };
    const std::string argument = words[2];
    UserSelection selection;
    if (equalsIgnoreCase(argument, "help")) {
        return textBox(usersHelp);
    }
    if (argument.empty() || equalsIgnoreCase(argument, "all") || argument == "*") {
        selection.kind = UserSelection::Everyone;
    } else if (argument[0] == '=') {
        selection.kind = UserSelection::Group;
        selection.text = argument.substr(1);
        // Matched without regard to case here (=ISO lists iso), unlike SITE CHANGE =group.
        const SiteGroup* listed = nullptr;
        for (const SiteGroup& entry : groupList) {
            if (!entry.isPrivate && equalsIgnoreCase(entry.name, selection.text)) {
                listed = &entry;
            }
        }
        if (listed == nullptr) {
            return oneLine("Group (" + selection.text + ") does not exist.");
        }
        selection.text = listed->name;
    } else if (argument.back() == '*') {
        selection.kind = UserSelection::Prefix;
        selection.text = argument.substr(0, argument.size() - 1);
    } else if (equalsIgnoreCase(argument, "leech")) {
        selection.kind = UserSelection::Leech;
    } else if (argument.size() == 1) {
        selection.kind = UserSelection::Flag;
        selection.flag = static_cast<char>(std::toupper(static_cast<unsigned char>(argument[0])));
    } else {
        selection.kind = UserSelection::Nobody;
        for (const auto& entry : flagWords) {
            if (equalsIgnoreCase(argument, entry.keyword)) {
                selection.kind = UserSelection::Flag;
                selection.flag = entry.flag;
            }
        }
    }
    // Deleted accounts are counted in the selection but listed only when
    // they are what was asked for.
    const bool listDeleted = selection.kind == UserSelection::Flag && selection.flag == '6';
    std::vector<const SiteUser*> rows;
    int siteops = 0;
    int gadmins = 0;
    int leeches = 0;
    int deleted = 0;
    for (const SiteUser& account : userList) {
        if (!selection.matches(account)) {
            continue;
        }
        siteops += account.hasFlag('1') ? 1 : 0;
        gadmins += account.hasFlag('2') ? 1 : 0;
        leeches += account.ratio == 0 ? 1 : 0;
        deleted += account.deleted() ? 1 : 0;
        if (account.deleted() == listDeleted) {
            rows.push_back(&account);
        }
    }
    std::sort(rows.begin(), rows.end(), [](const SiteUser* a, const SiteUser* b) { return a->name < b->name; });
    ReplyBuilder reply;
    reply.line("Detailed User Listing...");
    std::int64_t uploadKb = 0;
    std::int64_t downloadKb = 0;
    std::int64_t filesUp = 0;
    std::int64_t filesDown = 0;
    for (const SiteUser* account : rows) {
        const Transfer& total = account->allTime;
        std::string line;
        line.reserve(80);
        appendPadded(line, account->name, 15);
        line += ' ';
        appendPadded(line, account->groups.empty() ? std::string() : account->groups.front(), 10);
        line += " UL:";
        appendNumber(line, wholeMegabytes(total.uploadKb), 5);
        line += "MiB      DL:";
        appendNumber(line, wholeMegabytes(total.downloadKb), 5);
        line += "MiB      Credit:";
        appendNumber(line, wholeMegabytes(account->creditsKb), 6);
        line += "MiB";
        reply.line(line);
        uploadKb += total.uploadKb;
        downloadKb += total.downloadKb;
        filesUp += total.uploadFiles;
        filesDown += total.downloadFiles;
    }
    reply.line(format("Uploaded:%8.1fMiB Downloaded:%8.1fMiB Files Up:%6lld Files Down:%6lld",
                      static_cast<double>(uploadKb) / 1024.0, static_cast<double>(downloadKb) / 1024.0,
                      static_cast<long long>(filesUp), static_cast<long long>(filesDown)));
    reply.line(format("SITEOPS=%d, GADMINS=%d, LEECH=%d, DELETED=%d", siteops, gadmins, leeches, deleted));
    return reply.end(format("%zu Total members.", rows.size()));
}

Reply SimulatedSite::changeAccounts(const CommandWords& words) {
    if (words.size() < 3) {
        return accountFieldList(false);
    }
    // The targets: one account, "{ a b }", "=group" or "*".
    const std::string& target = words[2];
    std::vector<std::string> listed;
    std::size_t fieldAt = 3;
    if (target == "{") {
        while (fieldAt < words.size() && words[fieldAt] != "}") {
            listed.push_back(words[fieldAt++]);
        }
        ++fieldAt;
    } else if (target != "*" && target[0] != '=') {
        SiteUser* account = user(target);
        if (account == nullptr) {
            return oneLine("User '" + target + "' does not exist.");
        }
        if (words.size() < 4) {
            return accountFieldList(false);
        }
        if (account->deleted()) {
            return oneLine("You can not modify deleted user '" + account->name + "'.");
        }
        return changeOneAccount(*account, words[3], words, 4);
    }
    const std::string field = words[fieldAt];
    const std::size_t valueAt = fieldAt + 1;
    SettingOutcome screened;
    if (fieldAt >= words.size()) {
        return accountFieldList(false);
    }
    if (!screenSetting(field, words, valueAt, screened)) {
        return screened.kind == SettingOutcome::Unknown ? accountFieldList(true)
               : screened.kind == SettingOutcome::Crash ? oneLine(screened.text, 550)
                                                        : oneLine(screened.text);
    }
    if (target == "{") {
        // The server works through the list from its end.
        ReplyBuilder reply;
        for (auto name = listed.rbegin(); name != listed.rend(); ++name) {
            SiteUser* account = user(*name);
            const bool done = account != nullptr && !account->deleted() &&
                              applySetting(*account, field, words, valueAt).kind == SettingOutcome::Done;
            reply.line((done ? "Successfully modified " : "Error modifying ") + *name);
        }
        logChange("changed " + field + " of a list of users");
        return reply.end("Done");
    }
    const bool everyone = target == "*";
    const std::string groupName = everyone ? std::string() : target.substr(1);
    int applied = 0;
    for (SiteUser& account : userList) {
        if (account.deleted() ||
            (!everyone && std::find(account.groups.begin(), account.groups.end(), groupName) == account.groups.end())) {
            continue;
        }
        applied += applySetting(account, field, words, valueAt).kind == SettingOutcome::Done ? 1 : 0;
    }
    logChange("changed " + field + " of " + (everyone ? std::string("every user") : "group " + groupName));
    return oneLine(format("Change command applied to %d users.", applied));
}

Reply SimulatedSite::changeOneAccount(SiteUser& account, const std::string& field, const CommandWords& words,
                                      std::size_t valueAt) {
    SettingOutcome outcome;
    if (field == "homedir" && words.size() <= valueAt) {
        return oneLine(account.name + "'s homedir is set to " + account.homeDir);
    }
    if (screenSetting(field, words, valueAt, outcome)) {
        outcome = applySetting(account, field, words, valueAt);
    }
    switch (outcome.kind) {
    case SettingOutcome::Unknown:
        return accountFieldList(true);
    case SettingOutcome::Crash:
        return oneLine(outcome.text, 550);
    case SettingOutcome::Refused:
    case SettingOutcome::Help:
        return oneLine(outcome.text);
    case SettingOutcome::Done:
        break;
    }
    logChange("changed " + field + " of " + account.name);
    if (outcome.note.empty()) {
        return oneLine("Command Successful.");
    }
    ReplyBuilder reply;
    reply.line(outcome.note);
    return reply.end("Command Successful.");
}

Reply SimulatedSite::readdAccount(const CommandWords& words) {
    if (words.size() < 3) {
        std::vector<std::string> names;
        for (const SiteUser& account : userList) {
            if (account.deleted()) {
                names.push_back(account.name);
            }
        }
        std::sort(names.begin(), names.end());
        ReplyBuilder reply;
        addLines(reply, readdUsage);
        std::string row = "| ";
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (i != 0 && i % 4 == 0) {
                reply.line(row);
                row = "| ";
            }
            row += padRight(names[i], 12);
        }
        reply.line(row);
        reply.line(" `--------------------------------------------------------'");
        return reply.end("Command Successful.");
    }
    SiteUser* account = user(words[2]);
    if (account == nullptr) {
        return oneLine("Error loading userfile for " + words[2]);
    }
    if (!account->deleted()) {
        return oneLine("User " + account->name + " has not been deleted.");
    }
    account->flags = applyFlagChange(account->flags, "-6");
    logChange("readded user " + account->name);
    return oneLine("User (" + account->name + ") readded.");
}

// Without a name only the usage; "*" purges every deleted account.
Reply SimulatedSite::purgeAccounts(const CommandWords& words) {
    if (words.size() < 3) {
        return textBox(purgeUsage);
    }
    const std::string& target = words[2];
    if (target == "*") {
        ReplyBuilder reply;
        std::size_t purged = 0;
        for (const SiteUser& account : userList) {
            if (account.deleted()) {
                reply.line("User (" + account.name + ") purged.");
                ++purged;
            }
        }
        userList.erase(std::remove_if(userList.begin(), userList.end(), [](const SiteUser& u) { return u.deleted(); }),
                       userList.end());
        logChange(format("purged %zu deleted user(s)", purged));
        reply.line(" ");
        return reply.end(format("Command successful.  (%zu Users Purged)", purged));
    }
    const SiteUser* account = findUser(target);
    if (account == nullptr) {
        return oneLine("Failed purge: user '" + target + "' doesn't exist.");
    }
    if (!account->deleted()) {
        return oneLine("Failed purge: " + account->name + " has not been deleted.");
    }
    userList.erase(userList.begin() + (account - userList.data()));
    logChange("purged user " + target);
    return oneLine("User (" + target + ") purged.");
}

// Names are cut to 23 characters before anything else, the old one too.
Reply SimulatedSite::renameUser(const CommandWords& words) {
    if (!newer()) {
        return notUnderstood();
    }
    if (words.size() < 3) {
        return oneLine("USAGE: SITE RENUSER <old_username> <new_username>");
    }
    if (words.size() < 4) {
        return oneLine("New username not provided");
    }
    const std::string oldName = words[2].substr(0, longestName);
    const std::string newName = words[3].substr(0, longestName);
    SiteUser* account = user(oldName);
    if (account == nullptr) {
        return oneLine("User '" + words[2] + "' does not exist.");
    }
    if (newName.find_first_of("/:!") != std::string::npos) {
        return oneLine("Illegal characters in username");
    }
    if (hasIllegalPart(newName)) {
        return oneLine("Illegal part in username");
    }
    if (findUser(newName) != nullptr) {
        return oneLine("User " + newName + " already exists");
    }
    account->name = newName;
    for (Connection& connection : connectionList) {
        if (connection.user == oldName) {
            connection.user = newName;
        }
    }
    logChange("renamed user " + oldName + " to " + newName);
    return oneLine("User (" + oldName + ") successfully renamed.");
}

// Adding into a group takes one of its slots, whoever adds.
Reply SimulatedSite::groupAddUser(const CommandWords& words) {
    if (!newer()) {
        return notUnderstood();
    }
    if (words.size() < 3) {
        return textBox(gaddUserUsage);
    }
    SiteGroup* entry = publicGroup(words[2]);
    if (entry == nullptr) {
        return oneLine("Group (" + words[2] + ") does not exist.");
    }
    if (words.size() < 5) {
        return oneLine("You forgot a password");
    }
    const std::string userName = words[3].substr(0, longestName);
    if (userName.find_first_of("/:!") != std::string::npos) {
        return oneLine("Illegal characters in username");
    }
    if (hasIllegalPart(userName)) {
        return oneLine("Illegal part in username");
    }
    if (findUser(userName) != nullptr) {
        return oneLine("User " + userName + " already exists");
    }
    if (entry->slots == 0 || entry->slots < -1 || userList.size() >= maxAccounts) {
        return oneLine("Sorry, no more open slots available.");
    }
    if (entry->slots > 0) {
        --entry->slots;
    }
    SiteUser& account = addAccount(userName, words[4]);
    account.created = stamp("%m-%d-%y");
    account.creditsKb = newAccountCreditsKb;
    account.groups.push_back(entry->name);
    logChange("added user " + userName + " to group " + entry->name);
    const std::string done = "User (" + userName + ") successfully added to group " + entry->name + ".";
    if (words.size() == 5) {
        return oneLine(done);
    }
    ReplyBuilder reply;
    reply.line("User created, now adding IPs...");
    for (std::size_t at = 5; at < words.size() && at < 10; ++at) {
        account.ipMasks.push_back(words[at]);
        reply.line("IP '" + words[at] + "' successfully added to " + userName + ".");
    }
    reply.line("");
    return reply.end(done);
}

}  // namespace simsite

namespace simsite {

namespace {

const std::string reset = "\x1b[0m";
const std::string lineEnd = "\x1b[0m\x1b[0m\x1b[0;37m";  // a "200-" line's end

bool startsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }
bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// "User (x) readded.": the name in white inside cyan.
std::string namedResult(const std::string& text, bool dotOutside) {
    const std::size_t close = text.find(") ");
    if (!startsWith(text, "User (") || close == std::string::npos) return "\x1b[1;36m" + text + reset;
    const std::string name = text.substr(6, close - 6);
    std::string rest = text.substr(close);
    if (dotOutside && endsWith(rest, ".")) {
        rest.pop_back();
        return "\x1b[1;36mUser (\x1b[1;37m" + name + "\x1b[1;36m" + rest + reset + ".";
    }
    return "\x1b[1;36mUser (\x1b[1;37m" + name + "\x1b[1;36m" + rest + reset;
}

// A one-line answer's text, as each command colours it.
std::string colouredLast(const std::string& keyword, const std::string& text) {
    if (text == "Command Successful.") return "\x1b[1;37m" + text + reset;
    if (startsWith(text, "Change command applied to ") || text == "Invalid hour") return text;
    if (text == "Done") return "\x1b[1;36m" + text + reset;
    if (startsWith(text, "Group (") && endsWith(text, ") does not exist.")) {
        const std::string name = text.substr(7, text.size() - 7 - 17);
        return "\x1b[1;37mGroup (\x1b[1;31m" + name + "\x1b[1;37m) does not exist." + reset;
    }
    if (startsWith(text, "You can not modify deleted user") ||
        (keyword == "READD" && endsWith(text, " has not been deleted.")))
        return "\x1b[1;31m" + text + reset;
    if (startsWith(text, "User (") && endsWith(text, " renamed.")) return namedResult(text, true);
    if (startsWith(text, "User (") && (endsWith(text, ") purged.") || endsWith(text, ") readded.")))
        return namedResult(text, false);
    return "\x1b[1;36m" + text + reset;
}

// "| Label: value    Label: value  |" with each label cyan and value green.
std::string colouredScreenRow(const std::string& text) {
    std::string inner = text.substr(2, text.size() - 3);
    std::string out = "\x1b[1;37m\x1b[34m| ";
    std::size_t at = 0;
    while (at < inner.size()) {
        const std::size_t colon = inner.find(':', at);
        const std::size_t gap = inner.find("  ", at);
        if (colon == std::string::npos || (gap != std::string::npos && gap < colon)) {
            // No label before the next gap: the rest as it is.
            out += inner.substr(at);
            break;
        }
        out += "\x1b[36m" + inner.substr(at, colon - at) + "\x1b[1;36m:";
        std::size_t value = colon + 1;
        if (value < inner.size() && inner[value] == ' ') {
            out += " \x1b[1;32m";
            ++value;
        } else {
            out += "\x1b[1;32m";
        }
        // The value runs to the next label: after two blanks, a word and ':'.
        std::size_t next = value;
        std::size_t cut = inner.size();
        while ((next = inner.find("  ", next)) != std::string::npos) {
            std::size_t word = next;
            while (word < inner.size() && inner[word] == ' ') ++word;
            const std::size_t nextColon = inner.find(':', word);
            const std::size_t nextGap = inner.find("  ", word);
            if (word < inner.size() && nextColon != std::string::npos &&
                (nextGap == std::string::npos || nextColon < nextGap) && inner[word] != '(') {
                cut = word;
                break;
            }
            next = word;
        }
        out += inner.substr(value, cut - value);
        at = cut;
    }
    return out + "\x1b[34m|" + lineEnd;
}

std::string colouredListingRow(const std::string& text, const std::vector<SiteUser>& users) {
    const std::size_t up = text.find(" UL:");
    if (up == std::string::npos || up < 16) return "\x1b[1;37m" + text + lineEnd;
    const std::string name = text.substr(0, text.find(' '));
    std::string colour = "\x1b[1;34m";
    for (const SiteUser& account : users) {
        if (account.name != name) continue;
        colour = account.deleted() ? "\x1b[1;30m" : account.hasFlag('1') ? "\x1b[1;37m"
                                                  : account.hasFlag('2') ? "\x1b[37m" : "\x1b[1;34m";
    }
    std::string rest = text.substr(up + 1);
    const auto label = [&rest](const std::string& word) {
        const std::size_t at = rest.find(word + ":");
        if (at != std::string::npos) rest.replace(at, word.size() + 1, "\x1b[36m" + word + "\x1b[1;36m:\x1b[36m");
    };
    label("UL");
    label("DL");
    label("Credit");
    return "\x1b[1;37m" + colour + text.substr(0, 16) + "\x1b[34m" + text.substr(16, up + 1 - 16) + rest + reset +
           "\x1b[0;37m";
}

}  // namespace

bool colourAccountReply(const std::string& keyword, const std::vector<SiteUser>& users, Reply& reply) {
    static const char* const keywords[] = {"USERS", "USER", "CHANGE", "RENUSER", "READD", "PURGE"};
    if (std::find_if(std::begin(keywords), std::end(keywords), [&](const char* k) { return keyword == k; }) ==
        std::end(keywords))
        return false;
    for (std::size_t i = 0; i < reply.lines.size(); ++i) {
        std::string& line = reply.lines[i];
        if (line.size() < 4) continue;
        const bool last = i + 1 == reply.lines.size();
        const std::size_t textAt = line[3] == '-' && line.size() > 4 ? 5 : 4;
        const std::string head = line.substr(0, textAt);
        const std::string text = line.substr(textAt);
        if (last) {
            line = head + (keyword == "USERS" && endsWith(text, " Total members.") ? "\x1b[36m" + text + reset
                                                                                   : colouredLast(keyword, text));
        } else if (keyword == "USERS" && text == "Detailed User Listing...") {
            line = head + "\x1b[1;37m\x1b[1;36mD\x1b[36metailed \x1b[1;36mU\x1b[36mser \x1b[1;36mL\x1b[36misting..." +
                   lineEnd;
        } else if (keyword == "USERS" && startsWith(text, "Uploaded:")) {
            std::string coloured = text;
            for (const char* label : {"Files Down:", "Files Up:", "Downloaded:", "Uploaded:"}) {
                const std::size_t at = coloured.find(label);
                if (at != std::string::npos)
                    coloured.replace(at, std::string(label).size(), std::string("\x1b[36m") + label + "\x1b[1;36m");
            }
            line = head + "\x1b[1;37m" + coloured + lineEnd;
        } else if (keyword == "USERS" && startsWith(text, "SITEOPS=")) {
            std::string coloured = text;
            const std::size_t gadmins = coloured.find("GADMINS=");
            const std::size_t leech = coloured.find("LEECH=");
            const std::size_t deleted = coloured.find("DELETED=");
            if (gadmins != std::string::npos && leech != std::string::npos && deleted != std::string::npos)
                coloured = "\x1b[1;37m" + coloured.substr(0, gadmins) + "\x1b[37m" +
                           coloured.substr(gadmins, leech - gadmins) + "\x1b[1;36m" +
                           coloured.substr(leech, deleted - leech) + "\x1b[1;30m" + coloured.substr(deleted);
            line = head + "\x1b[1;37m" + coloured + lineEnd;
        } else if (keyword == "USERS") {
            line = head + colouredListingRow(text, users);
        } else if (keyword == "USER" && startsWith(text, "User Comment: ")) {
            line = head + "\x1b[1;37m\x1b[44mUser Comment\x1b[1;36m: \x1b[1;33m" + text.substr(14) + lineEnd;
        } else if (keyword == "USER" && startsWith(text, "| ") && endsWith(text, "|")) {
            line = head + colouredScreenRow(text);
        } else if (keyword == "USER" && startsWith(text, "+")) {
            line = head + "\x1b[1;37m\x1b[34m" + text + lineEnd;
        } else {
            line = head + "\x1b[1;37m" + text + reset + "\x1b[0;37m";
        }
    }
    return true;
}

}  // namespace simsite
