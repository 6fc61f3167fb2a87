#include "host/admin/admin_plans.h"

#include <string_view>
#include <unordered_set>

#include "host/admin/admin_identity.h"
#include "host/admin/admin_input.h"
#include "host/admin/admin_reply.h"
#include "host/admin/admin_text.h"
#include "host/admin/group_identity.h"

namespace admin {

namespace {

Plan refused(std::string message) {
    Plan plan;
    plan.refusal = std::move(message);
    return plan;
}

Plan single(std::string command) {
    Plan plan;
    plan.commands.push_back(std::move(command));
    return plan;
}

// An account or group named in a command: one word that selects nothing
// more than itself ('*', '=', braces would select many).
std::string targetProblem(std::string_view name, const char* what) {
    if (name.empty()) return std::string("Choose ") + what + " first.";
    if (hasBlankOrControl(name) || name.find_first_of("*={}") != std::string_view::npos)
        return std::string("The name of ") + what + " cannot hold blanks, '*', '=', '{' or '}'.";
    return {};
}

// A number typed into a form, or one of the words the server shows for a
// special value ("Unlimited", "Disabled"). False with `problem` set when it is
// neither.
struct NumberRule {
    const char* what;
    std::int64_t low, high;
    const char* word1;  // nullptr: none
    std::int64_t value1;
    const char* word2;
    std::int64_t value2;
};

bool formNumber(const std::string& text, const NumberRule& rule, std::int64_t& value,
                std::string& problem) {
    const std::string_view typed = trimBlanks(text);
    if (rule.word1 != nullptr && equalsIgnoringCase(typed, rule.word1)) {
        value = rule.value1;
        return true;
    }
    if (rule.word2 != nullptr && equalsIgnoringCase(typed, rule.word2)) {
        value = rule.value2;
        return true;
    }
    bool clamped = false;
    if (readInteger(typed, value, &clamped) && !clamped) return true;
    problem = numberProblem(text, rule.low, rule.high, rule.what);
    return false;
}

// "Unlimited" and friends as the account screen shows them, as numbers;
// false for a text that is neither.
bool shownNumber(const std::string& shown, const NumberRule& rule, std::int64_t& value) {
    std::string ignored;
    return formNumber(shown, rule, value, ignored);
}

const NumberRule simRule{"Transfers at once", -1, 30000, "Unlimited", -1, nullptr, 0};
const NumberRule idleRule{"The idle time", -1, 30000, "Disabled", -1, nullptr, 0};
const NumberRule loginsRule{"Logins", 0, 30000, "Unlimited", 0, nullptr, 0};

// "2027-6-3" and "2027-06-03" are one date; "Never" and "never" one too.
std::string normalDate(std::string_view text) {
    text = trimBlanks(text);
    if (equalsIgnoringCase(text, "never")) return "never";
    const std::size_t first = text.find('-');
    const std::size_t second = first == std::string_view::npos ? first : text.find('-', first + 1);
    if (second == std::string_view::npos) return std::string(text);
    std::string month(text.substr(first + 1, second - first - 1));
    std::string day(text.substr(second + 1));
    if (month.size() == 1) month.insert(0, "0");
    if (day.size() == 1) day.insert(0, "0");
    return std::string(text.substr(0, first)) + "-" + month + "-" + day;
}

std::string words(std::string_view text) { return std::string(trimBlanks(text)); }

// What a command changed, for the operator: the setting and value of a
// CHANGE or GRPCHANGE, else the command without "SITE ".
std::string describe(const std::string& command) {
    std::string_view text(command);
    if (startsWith(text, "SITE ")) text.remove_prefix(5);
    for (std::string_view verb : {std::string_view("CHANGE "), std::string_view("GRPCHANGE ")}) {
        if (!startsWith(text, verb)) continue;
        std::string_view rest = text.substr(verb.size());
        const std::size_t end = startsWith(rest, "{ ") ? rest.find("} ") : rest.find(' ');
        if (end == std::string_view::npos) break;
        rest = rest.substr(end + (startsWith(rest, "{ ") ? 2 : 1));
        return std::string(rest);
    }
    return std::string(text);
}

// The setting a plan's command writes in the operator's words where the
// plan has them ("Idle time 30"), else as describe() says it.
std::string describeWritten(const Plan& plan, std::size_t i) {
    if (plan.written.size() != plan.commands.size()) return describe(plan.commands[i]);
    const Written& written = plan.written[i];
    return written.setting + " " + (written.setting == "Comment" ? "\"" + written.value + "\"" : written.value);
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        if (!text.empty()) text += ", ";
        text += name;
    }
    return text;
}

bool isFlag(char c) { return (c >= '1' && c <= '8') || (c >= 'A' && c <= 'N'); }

std::string speedProblem(std::string_view value) {
    // KiB/s, or with k/m as the server reads "2m" (2048 KiB/s); kept in
    // bytes/s in 32 bits.
    std::int64_t factor = 1;
    if (!value.empty() && (value.back() == 'k' || value.back() == 'K')) value.remove_suffix(1);
    else if (!value.empty() && (value.back() == 'm' || value.back() == 'M')) {
        value.remove_suffix(1);
        factor = 1024;
    }
    std::int64_t number = 0;
    bool clamped = false;
    if (value.empty() || value.front() == '-' || !readInteger(value, number, &clamped) || clamped ||
        number > 2097151 / factor)
        return "A speed is a whole number of KiB/s from 0 to 2097151 (or megabytes with m, "
               "for example 2m).";
    return {};
}

}  // namespace

namespace {

// A group's number: the command's setting, the operator's words, the words
// the page takes for special values, and the range the server keeps as
// typed. glftpd keeps slots, leech and allotment slots and the login limit
// in 16 bits (slots 32768 reads back as -32768, max_logins 70000 as 4464)
// and the largest allotment in 32 (KiB).
struct GroupNumber {
    const char* setting;
    const char* words;
    std::int64_t GroupSettings::*field;
    std::string GroupForm::*typed;
    std::int64_t low, high;
    int bits;
    const char* word1;  // nullptr: none
    std::int64_t value1;
    const char* word2;
    std::int64_t value2;
    const char* range;  // in the operator's words
};

// In the order the page writes them.
const GroupNumber groupNumbers[] = {
    {"slots", "Slots", &GroupSettings::slots, &GroupForm::slots, -1, 32767, 16, "unlimited", -1, nullptr, 0,
     "-1 (unlimited) or 0 to 32767"},
    {"leech_slots", "Leech slots", &GroupSettings::leechSlots, &GroupForm::leechSlots, -2, 32767, 16, "unlimited", -1,
     "disabled", -2, "-1 (unlimited), -2 (disabled) or 0 to 32767"},
    {"allot_slots", "Allotment slots", &GroupSettings::allotSlots, &GroupForm::allotSlots, -2, 32767, 16, "unlimited",
     -1, "disabled", -2, "-1 (unlimited), -2 (disabled) or 0 to 32767"},
    {"max_allot_size", "Largest allotment", &GroupSettings::maxAllotSizeKb, &GroupForm::maxAllotSizeKb, 0, 2147483647,
     32, "unlimited", 0, nullptr, 0, "0 (unlimited) to 2147483647 KiB"},
    {"max_logins", "Logins at once", &GroupSettings::maxLogins, &GroupForm::maxLogins, 0, 32767, 16, "unlimited", 0,
     nullptr, 0, "0 (unlimited) to 32767"},
};

// A group's number in the operator's words: "unlimited", "disabled", "4096 KiB", "7".
std::string groupValueWords(const GroupNumber& number, std::int64_t value) {
    if (number.word1 != nullptr && value == number.value1) return number.word1;
    if (number.word2 != nullptr && value == number.value2) return number.word2;
    return std::to_string(value) + (number.bits == 32 ? " KiB" : "");
}

// The words of a text with one blank between them (the server keeps a
// group comment so).
std::string singleBlanks(std::string_view text) {
    std::string result;
    bool blank = false;
    for (const char c : trimBlanks(text)) {
        if (c == ' ' || c == '\t') {
            blank = true;
            continue;
        }
        if (blank) result += ' ';
        blank = false;
        result += c;
    }
    return result;
}

}  // namespace

GroupForm groupFormOf(const GroupSettings& loaded) {
    GroupForm form;
    for (const GroupNumber& number : groupNumbers) form.*number.typed = std::to_string(loaded.*number.field);
    form.comment = displayText(loaded.comment);
    return form;
}

Plan groupChangePlan(const GroupSettings& loaded, const GroupForm& form) {
    std::string problem = groupNameProblem(loaded.name, GroupCommand::Settings);
    if (!problem.empty()) return refused(problem);
    Plan plan;
    const std::string prefix = "SITE GRPCHANGE " + loaded.name + " ";
    for (const GroupNumber& number : groupNumbers) {
        const std::string& text = form.*number.typed;
        const std::string_view typed = trimBlanks(text);
        std::int64_t value = 0;
        bool clamped = false;
        if (number.word1 != nullptr && equalsIgnoringCase(typed, number.word1)) {
            value = number.value1;
        } else if (number.word2 != nullptr && equalsIgnoringCase(typed, number.word2)) {
            value = number.value2;
        } else if (!readInteger(typed, value, &clamped) || clamped) {
            return refused(std::string(number.words) + " takes " + number.range + ", not \"" + text + "\".");
        }
        const std::int64_t loadedValue = loaded.*number.field;
        if (value == loadedValue) continue;  // unchanged: left as the server keeps it, whatever it is
        if (value < number.low || value > number.high) {
            // What the server would keep: the number's low bits, signed.
            const auto low = static_cast<std::uint64_t>(value) & ((std::uint64_t{1} << number.bits) - 1);
            const std::int64_t kept = low >= (std::uint64_t{1} << (number.bits - 1))
                                          ? static_cast<std::int64_t>(low) - (std::int64_t{1} << number.bits)
                                          : static_cast<std::int64_t>(low);
            return refused(std::string(number.words) + " takes " + number.range + ", not " + std::to_string(value) +
                           (kept != value ? " (the server would keep it as " + std::to_string(kept) + ")." : "."));
        }
        plan.commands.push_back(prefix + number.setting + " " + std::to_string(value));
        plan.written.push_back({number.words, groupValueWords(number, value)});
    }
    // Compared with what the page showed, so that a comment in Latin-1 is
    // not rewritten unasked.
    const std::string comment = singleBlanks(form.comment);
    if (comment != singleBlanks(displayText(loaded.comment))) {
        if (comment.empty()) return refused("A group comment cannot be empty.");
        problem = groupCommentProblem(comment);
        if (!problem.empty()) return refused(problem);
        plan.commands.push_back(prefix + "comment " + comment);
        plan.written.push_back({"Comment", comment});
    }
    return plan;
}

std::vector<Written> groupReadBack(const GroupSettings& group) {
    std::vector<Written> values;
    for (const GroupNumber& number : groupNumbers)
        values.push_back({number.words, groupValueWords(number, group.*number.field)});
    values.push_back({"Comment", group.comment});
    return values;
}

AccountForm accountFormOf(const AccountSettings& loaded) {
    AccountForm form;
    form.expires = normalDate(loaded.expires);
    form.timeframeFrom = std::to_string(loaded.timeframeFrom);
    form.timeframeTo = std::to_string(loaded.timeframeTo);
    // The box holds numbers; "-1 = disabled" is said beside it.
    form.idleTime = equalsIgnoringCase(loaded.idleTime, "Disabled") ? "-1" : loaded.idleTime;
    form.comment = displayText(loaded.comment);
    form.maxSimUploads = loaded.maxSimUploads;
    form.maxSimDownloads = loaded.maxSimDownloads;
    form.sameIpLogins = loaded.sameIpLogins;
    return form;
}

Plan accountChangePlan(const AccountSettings& loaded, const AccountForm& form) {
    std::string problem = accountNameProblem2x(loaded.name);
    if (!problem.empty()) return refused(problem);
    const std::string prefix = "SITE CHANGE " + loaded.name + " ";
    const AccountForm shown = accountFormOf(loaded);
    const auto changed = [](const std::string& typed, const std::string& was) { return words(typed) != words(was); };
    Plan plan;
    const auto add = [&plan](std::string command, const char* setting, std::string value) {
        plan.commands.push_back(std::move(command));
        plan.written.push_back({setting, std::move(value)});
    };

    const std::string expires = normalDate(form.expires);
    if (changed(form.expires, shown.expires) && expires != normalDate(loaded.expires)) {
        problem = dateProblem(expires);
        if (!problem.empty()) return refused(problem);
        add(prefix + "expires " + expires, "Expires", expires);
    }

    if (changed(form.timeframeFrom, shown.timeframeFrom) || changed(form.timeframeTo, shown.timeframeTo)) {
        // Both hours empty: no timeframe, which the server keeps as 0 0.
        std::string from = words(form.timeframeFrom), to = words(form.timeframeTo);
        if (from.empty() && to.empty()) from = to = "0";
        problem = hourProblem(from);
        if (problem.empty()) problem = hourProblem(to);
        if (!problem.empty()) return refused("Timeframe: " + problem);
        std::int64_t fromHour = 0, toHour = 0;
        readInteger(from, fromHour);
        readInteger(to, toHour);
        if (fromHour != loaded.timeframeFrom || toHour != loaded.timeframeTo) {
            const std::string hours = std::to_string(fromHour) + " " + std::to_string(toHour);
            add(prefix + "timeframe " + hours, "Timeframe", hours);
        }
    }

    struct Number {
        const char* setting;
        const char* words;
        const std::string& text;
        const std::string& shownText;
        const std::string& loadedText;
        const NumberRule& rule;
    };
    const Number numbers[] = {
        {"idle_time", "Idle time", form.idleTime, shown.idleTime, loaded.idleTime, idleRule},
        {"max_sim_up", "Uploads at once", form.maxSimUploads, shown.maxSimUploads, loaded.maxSimUploads, simRule},
        {"max_sim_down", "Downloads at once", form.maxSimDownloads, shown.maxSimDownloads, loaded.maxSimDownloads,
         simRule},
    };
    for (const Number& number : numbers) {
        if (!changed(number.text, number.shownText)) continue;
        std::int64_t was = 0;
        const bool known = shownNumber(number.loadedText, number.rule, was);
        std::int64_t value = 0;
        if (!formNumber(number.text, number.rule, value, problem)) return refused(problem);
        if (known && value == was) continue;
        if (value < number.rule.low || value > number.rule.high)
            return refused(numberProblem(std::to_string(value), number.rule.low, number.rule.high,
                                         number.rule.what));
        add(prefix + number.setting + " " + std::to_string(value), number.words, std::to_string(value));
    }

    // The comment is sent only when retyped: one the operator left keeps the
    // server's bytes, UTF-8 or not.
    if (changed(form.comment, shown.comment)) {
        const std::string comment = words(form.comment);
        if (comment.empty()) return refused("A comment cannot be empty.");
        problem = commentProblem(comment);
        if (!problem.empty()) return refused(problem);
        if (comment != loaded.comment) add(prefix + "comment " + comment, "Comment", comment);
    }

    // num_logins sets both numbers: the account's own maximum goes along unchanged.
    if (changed(form.sameIpLogins, shown.sameIpLogins)) {
        std::int64_t was = 0, value = 0, logins = 0;
        const bool known = shownNumber(loaded.sameIpLogins, loginsRule, was);
        if (!formNumber(form.sameIpLogins, loginsRule, value, problem)) return refused(problem);
        if (!known || value != was) {
            if (value < loginsRule.low || value > loginsRule.high)
                return refused(numberProblem(std::to_string(value), loginsRule.low, loginsRule.high,
                                             loginsRule.what));
            if (!shownNumber(loaded.maxLogins, loginsRule, logins) || logins < 0 || logins > 30000)
                return refused("The account's maximum logins could not be read; read the account again.");
            add(prefix + "num_logins " + std::to_string(logins) + " " + std::to_string(value), "Logins from one IP",
                std::to_string(value));
        }
    }

    if (!plan.commands.empty() && loaded.deleted)
        return refused("The server changes no deleted account: re-add " + loaded.name + " first.");
    return plan;
}

std::vector<Written> accountReadBack(const AccountSettings& account) {
    const auto number = [](const std::string& shown, const NumberRule& rule) {
        std::int64_t value = 0;
        return shownNumber(shown, rule, value) ? std::to_string(value) : shown;
    };
    return {
        {"Expires", normalDate(account.expires)},
        {"Timeframe", std::to_string(account.timeframeFrom) + " " + std::to_string(account.timeframeTo)},
        {"Idle time", number(account.idleTime, idleRule)},
        {"Uploads at once", number(account.maxSimUploads, simRule)},
        {"Downloads at once", number(account.maxSimDownloads, simRule)},
        {"Comment", account.comment},
        {"Logins from one IP", number(account.sameIpLogins, loginsRule)},
    };
}

std::string readBackDifferences(const Plan& plan, std::size_t applied, const std::vector<Written>& readBack) {
    std::string differences;
    const std::size_t count = applied < plan.written.size() ? applied : plan.written.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Written& written = plan.written[i];
        const Written* held = nullptr;
        for (const Written& candidate : readBack)
            if (candidate.setting == written.setting) held = &candidate;
        if (held == nullptr) {
            differences += (differences.empty() ? "" : "\n") + written.setting + ": written " +
                           displayText(written.value) + ", not shown by the server's read-back.";
        } else if (words(held->value) != words(written.value)) {
            differences += (differences.empty() ? "" : "\n") + written.setting + ": written " +
                           displayText(written.value) + ", the server holds " +
                           (held->value.empty() ? std::string("nothing") : displayText(held->value)) + ".";
        }
    }
    return differences;
}

Plan renamePlan(const std::string& oldName, const std::string& newName) {
    std::string problem = accountNameProblem2x(oldName);
    if (!problem.empty()) return refused(problem);
    const std::string name = words(newName);
    problem = accountNameProblem(name);
    if (!problem.empty()) return refused(problem);
    if (name == oldName) return refused("The new name is the account's name already.");
    return single("SITE RENUSER " + oldName + " " + name);
}

Plan groupAdminTogglePlan(const std::string& user, const std::string& group) {
    std::string problem = accountNameProblem2x(user);
    if (problem.empty()) problem = targetProblem(group, "a group");
    if (!problem.empty()) return refused(problem);
    return single("SITE CHGADMIN " + user + " " + group);
}

Plan readdPlan(const std::string& user) {
    const std::string problem = accountNameProblem2x(user);
    return problem.empty() ? single("SITE READD " + user) : refused(problem);
}

Plan purgePlan(const std::string& user) {
    // "SITE PURGE *" purges every deleted account: one name only.
    const std::string problem = accountNameProblem2x(user);
    return problem.empty() ? single("SITE PURGE " + user) : refused(problem);
}

std::string changeValueProblem(const std::string& setting, const std::string& value) {
    const std::string_view text = trimBlanks(value);
    if (text.empty()) return "Type a value for " + setting + ".";
    if (hasControl(text)) return "A value cannot hold control characters or line breaks.";
    const std::string typed(text);
    const auto twoNumbers = [&](const NumberRule& rule, bool secondOptional) -> std::string {
        const std::size_t blank = typed.find(' ');
        if (blank == std::string::npos) {
            if (!secondOptional) return "Type two numbers for " + setting + ", for example 8 20.";
            return numberProblem(typed, rule.low, rule.high, rule.what);
        }
        std::string problem = numberProblem(typed.substr(0, blank), rule.low, rule.high, rule.what);
        if (problem.empty()) problem = numberProblem(typed.substr(blank + 1), rule.low, rule.high, rule.what);
        return problem;
    };
    if (setting == "ratio") return numberProblem(typed, 0, 9, "The ratio");
    if (setting == "sratio") {
        const std::size_t blank = typed.find(' ');
        if (blank == std::string::npos || blank == 0)
            return "Type the section's name and its ratio, for example GAMES 2.";
        return numberProblem(typed.substr(blank + 1), 0, 9, "The ratio");
    }
    if (setting == "max_dlspeed" || setting == "max_ulspeed") return speedProblem(text);
    if (setting == "max_sim_down" || setting == "max_sim_up")
        return numberProblem(typed, simRule.low, simRule.high, simRule.what);
    if (setting == "wkly_allotment") {
        const std::size_t comma = typed.find(',');
        if (comma == std::string::npos)
            return "Type the section's number and the allotment in KiB, for example 0,2048.";
        std::string problem = numberProblem(typed.substr(0, comma), 0, 9, "The section");
        if (problem.empty())
            problem = numberProblem(typed.substr(comma + 1), 0, 2147483647, "The weekly allotment (KiB)");
        return problem;
    }
    if (setting == "idle_time") return numberProblem(typed, idleRule.low, idleRule.high, idleRule.what);
    if (setting == "tagline") return taglineProblem(typed);
    if (setting == "comment") return commentProblem(typed);
    if (setting == "num_logins") return twoNumbers(loginsRule, true);
    if (setting == "time_limit") return numberProblem(typed, 0, 30000, "The time limit (minutes)");
    if (setting == "timeframe") {
        const std::size_t blank = typed.find(' ');
        if (blank == std::string::npos) return "Type two hours for the timeframe, for example 8 20.";
        std::string problem = hourProblem(typed.substr(0, blank));
        if (problem.empty()) problem = hourProblem(typed.substr(blank + 1));
        return problem;
    }
    if (setting == "credits") return numberProblem(typed, 0, 999999999999, "Credits (KiB)");
    if (setting == "flags") {
        bool valid = typed.size() >= 2 && (typed[0] == '+' || typed[0] == '-');
        for (std::size_t i = 1; valid && i < typed.size(); ++i) valid = isFlag(typed[i]);
        return valid ? std::string() : "Type + or - and flags (1-8, A-N), for example +I.";
    }
    if (setting == "homedir" || setting == "startup_dir") {
        if (hasBlankOrControl(text)) return "A directory cannot hold blanks here.";
        if (setting == "homedir" && text.front() != '/') return "A home directory starts with '/'.";
        return {};
    }
    if (setting == "expires") return dateProblem(typed);
    return "The server has no setting \"" + setting + "\" (settings are in lower case).";
}

Plan bulkChangePlan(const BulkForm& form) {
    const std::string setting = words(form.setting);
    std::string problem = changeValueProblem(setting, form.value);
    if (!problem.empty()) return refused(problem);
    std::string value = words(form.value);
    if (setting == "expires") value = normalDate(value);
    std::string target;
    switch (form.target) {
    case BulkTarget::Group:
        problem = targetProblem(words(form.group), "a group");
        target = "=" + words(form.group);
        break;
    case BulkTarget::Everyone: target = "*"; break;
    case BulkTarget::List: {
        if (form.accounts.empty()) return refused("Choose the accounts to change.");
        if (form.accounts.size() > maxBulkAccounts)
            return refused("A list holds at most " + std::to_string(maxBulkAccounts) + " accounts (this one has " +
                           std::to_string(form.accounts.size()) + ").");
        std::unordered_set<std::string> seen;
        target = "{";
        for (const std::string& account : form.accounts) {
            const std::string name = words(account);
            problem = accountNameProblem2x(name);
            // Inside "{ ... }" a brace or '=' would end or change the list.
            if (problem.empty()) problem = targetProblem(name, "an account");
            if (!problem.empty()) break;
            if (!seen.insert(name).second) {
                problem = name + " is in the list twice.";
                break;
            }
            target += " " + name;
        }
        target += " }";
        break;
    }
    }
    if (!problem.empty()) return refused(problem);
    Plan plan = single("SITE CHANGE " + target + " " + setting + " " + value);
    std::string settingWords = setting;
    for (std::size_t i = 0; i < bulkSettingCount; ++i)
        if (setting == bulkSettings[i].key) settingWords = bulkSettings[i].words;
    plan.written.push_back({settingWords, value + " for " + (form.target == BulkTarget::Everyone ? "every account" : target)});
    return plan;
}

std::string bulkCountCommand(const BulkForm& form) {
    return form.target == BulkTarget::Group ? "SITE USERS =" + words(form.group) : std::string("SITE USERS");
}

std::int64_t bulkCount(const BulkForm& form, const UserListing& listing) {
    if (form.target != BulkTarget::List) return static_cast<std::int64_t>(listing.users.size());
    std::unordered_set<std::string> wanted;
    for (const std::string& account : form.accounts) wanted.insert(words(account));
    std::int64_t count = 0;
    for (const ListedUser& user : listing.users) count += wanted.erase(user.name) != 0 ? 1 : 0;
    return count;
}

std::string bulkCountProblem(const BulkForm& form, const UserListing& listing) {
    if (form.target != BulkTarget::Group) return {};
    const std::string typed = words(form.group);
    const ListedUser* otherCase = nullptr;
    for (const ListedUser& user : listing.users) {
        if (user.group == typed) return {};
        if (otherCase == nullptr && equalsIgnoringCase(user.group, typed)) otherCase = &user;
    }
    if (otherCase == nullptr) return {};
    return "The group is called " + otherCase->group + ", not " + typed + ": SITE USERS =" + typed + " lists its " +
           std::to_string(listing.users.size()) + " account(s) without regard to case, but SITE CHANGE =" + typed +
           " matches the name with case and would change none. Type " + otherCase->group + ".";
}

// The settings as the operator knows them; the server's key in brackets
// would say nothing more.
const BulkSetting bulkSettings[] = {
    {"ratio", "Ratio", "0 to 9: 3 is 1:3, 0 is leech (no ratio)"},
    {"credits", "Credits (KiB)", "a whole number of KiB, for example 4096 (4 MiB)"},
    {"max_sim_up", "Uploads at once", "-1 unlimited, 0 to 30000"},
    {"max_sim_down", "Downloads at once", "-1 unlimited, 0 to 30000"},
    {"num_logins", "Logins (and from one IP)", "logins, then logins from one IP: 0 unlimited, for example 4 2"},
    {"idle_time", "Idle time (min.)", "minutes before an idle login is dropped; -1 disabled"},
    {"expires", "Expires", "YYYY-MM-DD (for example 2027-06-30) or never"},
    {"timeframe", "Timeframe (hours)", "two hours 0 to 23 when logins are allowed, for example 8 20; 0 0 any time"},
    {"time_limit", "Time limit (min.)", "minutes a login may last, 0 unlimited"},
    {"wkly_allotment", "Weekly allotment", "section,KiB, for example 0,2048"},
    {"max_dlspeed", "Max. download speed", "KiB/s, or m for MiB/s (2m); 0 unlimited"},
    {"max_ulspeed", "Max. upload speed", "KiB/s, or m for MiB/s (2m); 0 unlimited"},
    {"tagline", "Tagline", "at most 63 characters"},
    {"comment", "Comment", "at most 49 characters"},
    {"flags", "Flags", "+ or - and flags 1-8, A-N, for example +I"},
};
const std::size_t bulkSettingCount = sizeof bulkSettings / sizeof bulkSettings[0];

PlanOutcome planOutcome(const Plan& plan, const std::vector<session::Reply>& replies) {
    PlanOutcome outcome;
    if (plan.commands.empty()) {
        outcome.complete = true;
        outcome.summary = "Nothing to change.";
        return outcome;
    }
    std::vector<std::string> taken;
    std::string stop;
    const std::size_t answered = replies.size() < plan.commands.size() ? replies.size() : plan.commands.size();
    for (std::size_t i = 0; i < answered; ++i) {
        const Verdict verdict = judgeReply(replies[i]);
        const std::string what = describeWritten(plan, i);
        outcome.appliedCount = verdict.appliedCount;
        outcome.modified = verdict.modified;
        if (verdict.done) {
            ++outcome.applied;
            taken.push_back(verdict.appliedCount >= 0
                                ? what + " (applied to " + std::to_string(verdict.appliedCount) + ")"
                                : what);
            continue;
        }
        if (!verdict.notModified.empty()) {
            stop = what + ": modified " + (verdict.modified.empty() ? "none" : joined(verdict.modified)) +
                   "; not modified: " + joined(verdict.notModified) + ".";
        } else {
            stop = "The server refused " + what + ": " + verdict.text;
        }
        if (verdict.sessionEnded) stop += " The server ended the session.";
        break;
    }
    outcome.complete = outcome.applied == plan.commands.size();
    std::string summary;
    if (!taken.empty()) summary = "Done: " + joined(taken) + ".";
    if (!stop.empty()) summary += (summary.empty() ? "" : " ") + stop;
    const std::size_t unsent = plan.commands.size() - outcome.applied - (stop.empty() ? 0 : 1);
    if (unsent > 0) {
        std::vector<std::string> rest;
        for (std::size_t i = plan.commands.size() - unsent; i < plan.commands.size(); ++i)
            rest.push_back(describeWritten(plan, i));
        summary += (summary.empty() ? "" : " ") + std::string("Not sent: ") + joined(rest) + ".";
    }
    outcome.summary = summary;
    return outcome;
}

std::string writeVerdict(const Plan& plan, const PlanOutcome& outcome, std::int64_t confirmedCount,
                         const std::vector<Written>* readBack, const std::string& readBackProblem) {
    if (plan.commands.empty()) return outcome.summary;
    std::vector<std::string> taken;
    for (std::size_t i = 0; i < outcome.applied && i < plan.commands.size(); ++i) taken.push_back(describeWritten(plan, i));
    const std::string what = joined(taken);
    std::string numbers;
    if (confirmedCount >= 0 && outcome.applied > 0) {
        const bool listForm = outcome.appliedCount < 0;
        const std::int64_t reached =
            listForm ? static_cast<std::int64_t>(outcome.modified.size()) : outcome.appliedCount;
        if (reached != confirmedCount)
            numbers = "The server's numbers differ from the count: " +
                      (listForm ? "it modified " + std::to_string(reached) + " account(s)"
                                : "it says applied to " + std::to_string(reached) + " account(s)") +
                      ", but " + std::to_string(confirmedCount) + " were counted and confirmed. List the accounts (SITE USERS) to see which hold the change.";
    }
    std::string text;
    if (!outcome.complete) {
        text = outcome.summary;
    } else if (!numbers.empty()) {
        text = "Sent: " + what + ".\n" + numbers;
        numbers.clear();
    } else if (readBack == nullptr && readBackProblem.empty()) {
        std::string count;
        if (outcome.appliedCount >= 0) count = "applied to " + std::to_string(outcome.appliedCount);
        else if (!outcome.modified.empty()) count = "modified " + joined(outcome.modified);
        text = "Taken by the server: " + what + (count.empty() ? "" : " (" + count + ")") +
               (confirmedCount >= 0 ? ", as counted." : ".");
    }
    if (!numbers.empty()) text += "\n" + numbers;
    if (readBack == nullptr && readBackProblem.empty()) return text;
    if (!readBackProblem.empty()) {
        if (outcome.complete) text = "Sent and taken by the server: " + what + ".";
        return text + "\nNot read back: " + readBackProblem;
    }
    const std::string differences = readBackDifferences(plan, outcome.applied, *readBack);
    if (outcome.complete) {
        text = differences.empty() ? "Written and read back: " + what + "."
                                   : "Sent and taken by the server: " + what +
                                         ".\nRead back, the server holds something else:\n" + differences;
    } else if (outcome.applied > 0) {
        text += differences.empty() ? "\nWhat was written reads back as written."
                                    : "\nRead back, the server holds something else:\n" + differences;
    }
    return text;
}

std::string recordVerdict(const Plan& plan, const PlanOutcome& outcome, std::int64_t confirmedCount,
                          const std::vector<Written>* readBack, const std::string& readBackProblem) {
    const auto oneLine = [](std::string text) {
        for (char& c : text) c = c == '\n' || c == '\r' ? ' ' : c;
        return text;
    };
    if (outcome.applied == 0) return {};
    if (!readBackProblem.empty()) return oneLine("not read back: " + readBackProblem);
    if (readBack != nullptr) {
        const std::string differences = readBackDifferences(plan, outcome.applied, *readBack);
        return differences.empty() ? "written and read back" : oneLine(differences);
    }
    if (confirmedCount < 0) return {};
    const bool listForm = outcome.appliedCount < 0;
    const std::int64_t reached = listForm ? static_cast<std::int64_t>(outcome.modified.size()) : outcome.appliedCount;
    const std::string said = (listForm ? "modified " : "applied to ") + std::to_string(reached) + " account(s)";
    return reached == confirmedCount
               ? said + ", as counted"
               : said + ", but " + std::to_string(confirmedCount) + " were counted and confirmed";
}

}  // namespace admin
