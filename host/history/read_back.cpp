#include "host/history/read_back.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "host/admin/account_settings.h"
#include "host/admin/group_settings.h"

namespace history {

const char* const writtenAndReadBack = "written and read back";

namespace {

std::string upper(std::string word) {
    for (char& c : word) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return word;
}

std::string lower(std::string word) {
    for (char& c : word) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return word;
}

// "SITE <KEYWORD> <target> <setting> <value...>": the value is the rest of
// the line after the setting, as the server takes it.
struct Words {
    std::string keyword, target, setting, value;
};

bool splitWords(const std::string& line, std::size_t wanted, Words& out) {
    std::istringstream in(line);
    std::string site;
    in >> site;
    if (upper(site) != "SITE" || !(in >> out.keyword)) {
        return false;
    }
    out.keyword = upper(out.keyword);
    if (wanted >= 1 && !(in >> out.target)) {
        return false;
    }
    if (wanted >= 2 && !(in >> out.setting)) {
        return false;
    }
    out.setting = lower(out.setting);
    std::string rest;
    std::getline(in, rest);
    const std::size_t start = rest.find_first_not_of(' ');
    out.value = start == std::string::npos ? std::string() : rest.substr(start);
    return true;
}

bool asNumber(const std::string& text, std::int64_t& number) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    number = std::strtoll(text.c_str(), &end, 10);
    return end != nullptr && *end == '\0';
}

std::string compared(const std::string& setting, const std::string& written, const std::string& held) {
    if (written == held) {
        return writtenAndReadBack;
    }
    std::int64_t wantedNumber = 0, heldNumber = 0;
    const bool wantedIsNumber = asNumber(written, wantedNumber);
    if (wantedIsNumber && asNumber(held, heldNumber) && wantedNumber == heldNumber) {
        return writtenAndReadBack;
    }
    // The screen's words for the negative values: "Unlimited", "Disabled".
    if (wantedIsNumber && wantedNumber < 0 && !held.empty() && held[0] >= 'A' && held[0] <= 'Z') {
        return writtenAndReadBack;
    }
    return "the server holds " + setting + " " + (held.empty() ? std::string("(empty)") : held) + " instead";
}

std::string groupReadBack(const Words& change, const session::Reply& reply) {
    admin::GroupSettings held;
    std::string failure;
    if (!admin::readGroupSettings(reply, held, failure)) {
        return "";
    }
    const std::string& setting = change.setting;
    std::int64_t number = 0;
    if (setting == "comment") {
        return compared(setting, change.value, held.comment);
    }
    if (setting == "slots") {
        number = held.slots;
    } else if (setting == "leech_slots") {
        number = held.leechSlots;
    } else if (setting == "allot_slots") {
        number = held.allotSlots;
    } else if (setting == "max_allot_size") {
        number = held.maxAllotSizeKb;
    } else if (setting == "max_logins") {
        number = held.maxLogins;
    } else {
        return "";
    }
    return compared(setting, change.value, std::to_string(number));
}

std::string accountReadBack(const Words& change, const session::Reply& reply) {
    admin::AccountSettings held;
    std::string failure;
    if (!admin::readAccountSettings(reply, held, failure)) {
        return "";
    }
    const std::string& setting = change.setting;
    if (setting == "comment") {
        return compared(setting, change.value, held.comment);
    }
    if (setting == "expires") {
        return compared(setting, change.value, held.expires);
    }
    if (setting == "idle_time") {
        return compared(setting, change.value, held.idleTime);
    }
    if (setting == "max_sim_up") {
        return compared(setting, change.value, held.maxSimUploads);
    }
    if (setting == "max_sim_down") {
        return compared(setting, change.value, held.maxSimDownloads);
    }
    if (setting == "timeframe") {
        return compared(setting, change.value,
                        std::to_string(held.timeframeFrom) + " " + std::to_string(held.timeframeTo));
    }
    return "";
}

}  // namespace

std::string readBackOf(const std::string& change, const std::string& readCommand, const session::Reply& reply) {
    Words changed, read;
    if (!splitWords(change, 2, changed) || !splitWords(readCommand, 1, read) || !read.value.empty()) {
        return "";
    }
    if (changed.keyword == "GRPCHANGE" && read.keyword == "GRP" && read.target == changed.target) {
        return groupReadBack(changed, reply);
    }
    if (changed.keyword == "CHANGE" && read.keyword == "USER" && read.target == changed.target &&
        changed.target.find_first_of("={*") == std::string::npos) {
        return accountReadBack(changed, reply);
    }
    return "";
}

}  // namespace history
