#include "host/admin/admin_reply.h"

#include <string_view>

#include "host/admin/admin_text.h"

namespace admin {

namespace {

// The refusals glftpd 2.13 sends as one "200 <text>" line, by a part of
// their text that no success line holds.
const std::string_view refusalStarts[] = {
    "You do not have access",       // every command, the access refusal
    "The value specified is out of range",
    "You are not GADMIN for",       // GINFO, a gadmin's other group
    "User is not a member of the group",
    "User is not in group",         // FLAGS, a gadmin on another's member
    "Illegal characters in username",
    "Illegal part in username",
    "New username not provided",
    "USAGE:",
    "Use SITE CHGADMIN",            // CHGADMIN without a group: a listing, nothing changed
    "Error loading userfile",
    "Failed purge:",
    "You can not modify deleted user",
    "The provided date should be in the format",
    "Error:",                       // ratio for a gadmin, homedir outside min_homedir
    "Ratio out of range",
    "Use 'site change user ratio'",
    "Invalid section name",
    "Invalid hour",
    "Invalid Access",
    "Invalid User",
    "Invalid Field",
    "You are not allowed to",
    "You forgot a password",
    "Sorry, no more open slots",
    "No flags were changed",
    "Valid fields & descriptions:",
    "ASSERT",
};

const std::string_view refusalEnds[] = {
    "does not exist.",              // "User 'x' does not exist."
    "doesn't exist.",
    "user not found.",              // CHGADMIN: "'x': user not found."
    "is not a valid group. SITE GROUPS for a list.",
    "already exists",               // GADDUSER, RENUSER
    "has not been deleted.",        // READD, PURGE
    "is already deleted.",          // DELUSER
};

bool isRefusalStart(std::string_view text) {
    for (std::string_view start : refusalStarts)
        if (startsWith(text, start)) return true;
    return false;
}

bool isRefusalEnd(std::string_view text) {
    for (std::string_view end : refusalEnds)
        if (endsWith(text, end)) return true;
    return false;
}

// A setting's help line, the answer to a setting without a value:
// "slots  [Num] Group's max slots", "sratio  [Str] [0-9] ...".
bool isHelpLine(std::string_view text) {
    std::size_t word = 0;
    while (word < text.size() && (text[word] == '_' || (text[word] >= 'a' && text[word] <= 'z')))
        ++word;
    if (word == 0 || word + 3 > text.size()) return false;
    std::size_t at = word;
    while (at < text.size() && text[at] == ' ') ++at;
    return at >= word + 2 && at < text.size() && text[at] == '[';
}

// A usage box line: " ,----...", "| USAGE: ...", or the GRPCHANGE box's
// "SITE GRPCHANGE <group> ..." lines.
bool isUsageLine(std::string_view text) {
    if (startsWith(text, ",---")) return true;
    if (text.find("USAGE:") != std::string_view::npos) return true;
    return startsWith(text, "SITE ") && text.find(" <") != std::string_view::npos;
}

// Leading digits read as a number, and the text after them.
bool leadingNumber(std::string_view text, std::int64_t& number, std::string_view& rest) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    rest = text.substr(digits);
    return digits > 0 && readInteger(text.substr(0, digits), number);
}

// The success lines glftpd 2.13 ends a change or a listing with.
bool isSuccessEnd(std::string_view text, Verdict& verdict) {
    // PURGE * ends "Command successful.  (1 Users Purged)".
    if (text == "Command Successful." || startsWith(text, "Command successful.")) return true;
    if (text == "Done") return true;
    std::int64_t number = 0;
    std::string_view rest;
    constexpr std::string_view applied = "Change command applied to ";
    if (startsWith(text, applied)) {
        if (!leadingNumber(text.substr(applied.size()), number, rest) ||
            (rest != " users." && rest != " groups."))
            return false;
        verdict.appliedCount = number;
        return true;
    }
    if (leadingNumber(text, number, rest) && rest == " Total members.") return true;  // SITE USERS
    // "User (x) successfully renamed.", "User (x) readded.", "User (x)
    // purged.", "User (x) deleted.", "User (x) successfully added to group g."
    if (startsWith(text, "User (") &&
        (endsWith(text, ") readded.") || endsWith(text, ") purged.") ||
         endsWith(text, ") deleted.") || text.find(") successfully ") != std::string_view::npos))
        return true;
    return text.find("'s homedir is set to ") != std::string_view::npos;
}

}  // namespace

std::string lineText(const std::string& line) { return std::string(lineTextView(line)); }

namespace {

Verdict judgePlainReply(const session::Reply& reply) {
    Verdict verdict;
    if (reply.lines.empty()) {
        verdict.text = "The server sent no reply.";
        return verdict;
    }
    const std::string_view last = trimBlanks(lineTextView(reply.lines.back()));
    if (reply.code >= 400 || startsWith(last, "ASSERT")) {
        verdict.text = last.empty() ? "The server refused with code " + std::to_string(reply.code) + "."
                                    : std::string(last);
        verdict.sessionEnded = startsWith(last, "ASSERT");
        return verdict;
    }
    // Earlier lines decide first: a usage box, "Invalid Field" and "No flags
    // were changed." all end "200 Command Successful.".
    std::string_view refusal, usage;
    bool usageBox = false;
    for (std::size_t i = 0; i + 1 < reply.lines.size(); ++i) {
        const std::string_view text = trimBlanks(lineTextView(reply.lines[i]));
        constexpr std::string_view modified = "Successfully modified ";
        constexpr std::string_view notModified = "Error modifying ";
        if (startsWith(text, modified)) {
            verdict.modified.emplace_back(trimBlanks(text.substr(modified.size())));
        } else if (startsWith(text, notModified)) {
            verdict.notModified.emplace_back(trimBlanks(text.substr(notModified.size())));
            if (refusal.empty()) refusal = text;
        } else if (isUsageLine(text)) {
            usageBox = true;
            // The box's own words without its frame; its "USAGE:" line if it has one.
            std::string_view words = text;
            if (startsWith(words, "|")) words = trimBlanks(words.substr(1));
            if (endsWith(words, "|")) words = trimBlanks(words.substr(0, words.size() - 1));
            if (!startsWith(words, ",---") && !startsWith(usage, "USAGE:") &&
                (usage.empty() || startsWith(words, "USAGE:")))
                usage = words;
        } else if (refusal.empty() && isRefusalStart(text)) {
            refusal = text;
        }
    }
    if (!refusal.empty() || usageBox) {
        verdict.text = !refusal.empty() ? std::string(refusal)
                       : !usage.empty() ? std::string(usage)
                                        : std::string("The server answered with its usage text.");
        return verdict;
    }
    verdict.text = last.empty() ? std::string("The server's reply ends with an empty line.") : std::string(last);
    if (isRefusalStart(last) || isRefusalEnd(last) || isUsageLine(last) ||
        (reply.lines.size() == 1 && isHelpLine(last)))
        return verdict;
    verdict.done = isSuccessEnd(last, verdict);
    // "200 Command Successful." after lines of the server's own saying what
    // it did ("'x' has been successfully added as gadmin for 'g'", "Changed
    // max simultaneous uploads ..."): those words tell the operator more.
    if (verdict.done && last == "Command Successful.") {
        for (std::size_t i = 0; i + 1 < reply.lines.size(); ++i) {
            const std::string_view text = trimBlanks(lineTextView(reply.lines[i]));
            if (!text.empty()) {
                verdict.text = std::string(text);
                break;
            }
        }
    }
    return verdict;
}

}  // namespace

const session::Reply& plainTwin(const session::Reply& reply, session::Reply& storage) {
    for (const std::string& line : reply.lines) {
        if (line.find('\x1b') == std::string::npos || !hasColour(line)) continue;
        storage = reply;
        removeColour(storage.lines);
        return storage;
    }
    return reply;
}

Verdict judgeReply(const session::Reply& reply) {
    // A coloured reply is judged as its plain twin.
    session::Reply storage;
    return judgePlainReply(plainTwin(reply, storage));
}

}  // namespace admin
