#include "host/admin/user_listing.h"

#include <string_view>

#include "host/admin/admin_reply.h"
#include "host/admin/admin_text.h"

namespace admin {

namespace {

// The size after a label up to the next blank: "UL:    0MiB" -> "0MiB".
std::string_view sizeAfter(std::string_view text, std::size_t labelEnd, std::size_t end) {
    std::size_t from = labelEnd;
    while (from < end && text[from] == ' ') ++from;
    std::size_t to = from;
    while (to < end && text[to] != ' ') ++to;
    return text.substr(from, to - from);
}

// "frank           friends    UL:    0MiB      DL:    0MiB      Credit:    15MiB".
// A 16-character name moves the rest right: the row is read from "UL:", not
// from columns. The name is the first word (names hold no blanks), the
// group what stands between it and "UL:" (blank when the account has none).
// The label after a blank, searched by its first letter: a row is mostly blanks.
std::size_t labelAt(std::string_view text, std::string_view label, std::size_t from) {
    for (std::size_t at = text.find(label, from); at != std::string_view::npos; at = text.find(label, at + 1))
        if (at > 0 && text[at - 1] == ' ') return at - 1;
    return std::string_view::npos;
}

bool readRow(std::string_view text, ListedUser& user) {
    const std::size_t up = labelAt(text, "UL:", 1);
    if (up == std::string_view::npos) return false;
    const std::size_t down = labelAt(text, "DL:", up + 4);
    if (down == std::string_view::npos) return false;
    const std::size_t credit = labelAt(text, "Credit:", down + 4);
    if (credit == std::string_view::npos) return false;
    const std::string_view head = text.substr(0, up);
    std::size_t nameEnd = 0;
    while (nameEnd < head.size() && head[nameEnd] != ' ') ++nameEnd;
    if (nameEnd == 0) return false;
    user.name.assign(head.data(), nameEnd);
    const std::string_view group = trimBlanks(head.substr(nameEnd));
    user.group.assign(group.data(), group.size());
    const std::string_view uploaded = sizeAfter(text, up + 4, down);
    const std::string_view downloaded = sizeAfter(text, down + 4, credit);
    const std::string_view credits = sizeAfter(text, credit + 8, text.size());
    user.uploaded.assign(uploaded.data(), uploaded.size());
    user.downloaded.assign(downloaded.data(), downloaded.size());
    user.credits.assign(credits.data(), credits.size());
    return true;
}

// "SITEOPS=2, GADMINS=1, LEECH=1, DELETED=1".
bool readCounters(std::string_view text, UserListing& out) {
    static const std::string_view labels[] = {"SITEOPS=", "GADMINS=", "LEECH=", "DELETED="};
    std::int64_t* const targets[] = {&out.siteops, &out.gadmins, &out.leech, &out.deleted};
    for (int i = 0; i < 4; ++i) {
        const std::size_t at = text.find(labels[i]);
        if (at == std::string_view::npos) return false;
        std::string_view value = text.substr(at + labels[i].size());
        value = value.substr(0, value.find(','));
        if (!readInteger(trimBlanks(value), *targets[i])) return false;
    }
    return true;
}

}  // namespace

bool readUserListing(const session::Reply& reply, UserListing& out, std::string& failure) {
    out = UserListing{};
    failure.clear();
    const std::size_t count = reply.lines.size();
    // Header, one row an account, "Uploaded: ...", the counters, "N Total members.".
    const bool header = count > 0 && trimTrailingBlanks(lineTextView(reply.lines[0])) == "Detailed User Listing...";
    if (header && count < 4) {
        failure = "The account listing ends early.";
        return false;
    }
    if (!header) {
        const Verdict verdict = judgeReply(reply);
        failure = verdict.done ? std::string("The reply is not an account listing.") : verdict.text;
        return false;
    }
    const std::size_t rows = count - 4;
    out.users.resize(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        if (!readRow(lineTextView(reply.lines[i + 1]), out.users[i])) {
            failure = "Line " + std::to_string(i + 2) + " of the account listing is not an account row.";
            out = UserListing{};
            return false;
        }
    }
    const std::string_view totals = lineTextView(reply.lines[count - 3]);
    const std::string_view counters = lineTextView(reply.lines[count - 2]);
    const std::string_view last = trimTrailingBlanks(lineTextView(reply.lines[count - 1]));
    const std::size_t blank = last.find(' ');
    bool complete = startsWith(totals, "Uploaded:") && readCounters(counters, out) &&
                    blank != std::string_view::npos && last.substr(blank) == " Total members." &&
                    readInteger(last.substr(0, blank), out.total);
    if (complete && out.total != static_cast<std::int64_t>(rows)) {
        failure = "The account listing says " + std::to_string(out.total) + " accounts but shows " +
                  std::to_string(rows) + ".";
        out = UserListing{};
        return false;
    }
    if (!complete) {
        failure = "The account listing ends early.";
        out = UserListing{};
        return false;
    }
    return true;
}

std::string usersCommand(const std::string& argument) {
    return argument.empty() ? std::string("SITE USERS") : "SITE USERS " + argument;
}

bool usersArgument(UserFilter filter, const std::string& value, std::string& argument,
                   std::string& refusal) {
    argument.clear();
    refusal.clear();
    const std::string_view typed = trimBlanks(value);
    switch (filter) {
    case UserFilter::Everyone: return true;
    case UserFilter::Deleted: argument = "deleted"; return true;
    case UserFilter::Group:
        if (typed.empty() || hasBlankOrControl(typed) || typed.find('*') != std::string_view::npos) {
            refusal = "Type one group name (no blanks).";
            return false;
        }
        argument = "=" + std::string(typed);
        return true;
    case UserFilter::NamePrefix: {
        std::string_view prefix = typed;
        if (endsWith(prefix, "*")) prefix.remove_suffix(1);
        if (prefix.empty() || hasBlankOrControl(prefix) || prefix.find('*') != std::string_view::npos ||
            startsWith(prefix, "=")) {
            refusal = "Type the beginning of the account names (no blanks, no '*' inside).";
            return false;
        }
        argument = std::string(prefix) + "*";
        return true;
    }
    case UserFilter::FlagWord: {
        // The keywords of SITE USERS help, or one flag character.
        static const std::string_view words[] = {
            "siteop", "gadmin", "glock", "exempt", "deleted", "useredit", "kick", "kill", "anonymous",
            "nuke", "unnuke", "undupe", "take", "give", "users", "idler", "leech"};
        for (std::string_view word : words) {
            if (equalsIgnoringCase(typed, word)) {
                argument = std::string(word);
                return true;
            }
        }
        if (typed.size() == 1 && ((typed[0] >= '1' && typed[0] <= '8') ||
                                  (typed[0] >= 'A' && typed[0] <= 'N'))) {
            argument = std::string(typed);
            return true;
        }
        refusal = "Type a flag (1-8, A-N) or one of: siteop, gadmin, glock, exempt, deleted, "
                  "useredit, kick, kill, anonymous, nuke, unnuke, undupe, take, give, users, "
                  "idler, leech.";
        return false;
    }
    }
    return false;
}

}  // namespace admin
