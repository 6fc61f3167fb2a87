#include "host/admin/account_settings.h"

#include <string_view>

#include "host/admin/admin_reply.h"
#include "host/admin/admin_text.h"

namespace admin {

namespace {

// "08:00-20:00": the two hours; false for any other shape or an hour past 23.
bool readTimeframe(std::string_view value, int& from, int& to) {
    if (value.size() != 11 || value[2] != ':' || value[5] != '-' || value[8] != ':') return false;
    std::int64_t first = 0, second = 0;
    if (!readInteger(value.substr(0, 2), first) || !readInteger(value.substr(6, 2), second) ||
        first < 0 || first > 23 || second < 0 || second > 23)
        return false;
    from = static_cast<int>(first);
    to = static_cast<int>(second);
    return true;
}

// "| Groups: *iso mp3   |": the names, a leading '*' marking a group the
// account is group admin of.
void readGroups(std::string_view text, AccountSettings& out) {
    if (endsWith(text, "|")) text.remove_suffix(1);
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && text[at] == ' ') ++at;
        std::size_t end = at;
        while (end < text.size() && text[end] != ' ') ++end;
        std::string_view name = text.substr(at, end - at);
        at = end;
        if (name.empty()) continue;
        const bool admin = name.front() == '*';
        if (admin) name.remove_prefix(1);
        if (name.empty()) continue;
        out.groups.emplace_back(name);
        if (admin) out.adminGroups.emplace_back(name);
    }
}

}  // namespace

bool readAccountSettings(const session::Reply& coloured, AccountSettings& out, std::string& failure) {
    out = AccountSettings{};
    session::Reply storage;  // a coloured one is read as its plain twin
    const session::Reply& reply = plainTwin(coloured, storage);
    failure.clear();
    enum Field { Name, Expires, Flags, Idle, Logins, SameIp, SimUp, SimDown, Timeframe, Groups, FieldCount };
    static const std::string_view labels[FieldCount] = {
        "| Username: ",     " Expires: ",         "| Flags: ",           " Idle time: ",
        "| Max Logins: ",   " From same IP: ",    "| Max Sim Uploads: ", " Max Sim Downloads: ",
        "| Timeframe: ",    "| Groups: ",
    };
    bool seen[FieldCount] = {};
    bool valid = true;
    bool comment = false;
    for (const std::string& line : reply.lines) {
        const std::string_view text = lineTextView(line);
        // The comment stands alone above the box; it may hold anything.
        if (!comment && !seen[Name] && startsWith(text, "User Comment: ")) {
            comment = true;
            out.comment = std::string(trimBlanks(text.substr(14)));
            continue;
        }
        if (!startsWith(text, "| ")) continue;
        for (int field = 0; field < FieldCount; ++field) {
            std::string_view value;
            if (seen[field] || !valueAfter(text, labels[field], value)) continue;
            // Labels that open a line must open it: a tagline may hold " Expires: ".
            if (labels[field].front() == '|' && !startsWith(text, labels[field])) continue;
            seen[field] = true;
            switch (field) {
            case Name: {
                // The whole name: it may hold '|' and tabs, never a blank.
                const std::string_view rest = text.substr(labels[field].size());
                out.name = std::string(rest.substr(0, rest.find(' ')));
                break;
            }
            case Expires: out.expires = std::string(value); break;
            case Flags: out.flags = std::string(value); break;
            case Idle: out.idleTime = std::string(value); break;
            case Logins: out.maxLogins = std::string(value); break;
            case SameIp: out.sameIpLogins = std::string(value); break;
            case SimUp: out.maxSimUploads = std::string(value); break;
            case SimDown: out.maxSimDownloads = std::string(value); break;
            case Timeframe: valid &= readTimeframe(value, out.timeframeFrom, out.timeframeTo); break;
            case Groups: readGroups(text.substr(labels[field].size()), out); break;
            }
        }
    }
    out.deleted = out.flags.find('6') != std::string::npos;
    bool complete = true;
    for (bool field : seen) complete &= field;
    if (complete && valid && !out.name.empty()) return true;
    const Verdict verdict = judgeReply(reply);
    failure = !verdict.done ? verdict.text
              : !complete   ? std::string("The reply is not an account's screen.")
                            : std::string("The account's screen shows a timeframe that is not two hours.");
    out = AccountSettings{};
    return false;
}

}  // namespace admin
