#include "host/admin/user_listing.h"

#include <string_view>
#include <utility>

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

bool readRow(std::string_view text, ListedUserCells& cells) {
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
    cells.name = head.substr(0, nameEnd);
    cells.group = trimBlanks(head.substr(nameEnd));
    cells.uploaded = sizeAfter(text, up + 4, down);
    cells.downloaded = sizeAfter(text, down + 4, credit);
    cells.credits = sizeAfter(text, credit + 8, text.size());
    return true;
}

struct Counters {
    std::int64_t siteops = 0, gadmins = 0, leech = 0, deleted = 0, total = 0;
};

// "SITEOPS=2, GADMINS=1, LEECH=1, DELETED=1".
bool readCounters(std::string_view text, Counters& out) {
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

// Header, one row an account, "Uploaded: ...", the counters, "N Total
// members.": every row is handed to `onRow` (index from 0, its cells) as it
// is checked. False, with the operator's words, when the reply is no
// complete listing.
template <typename OnRow>
bool scanListing(const session::Reply& reply, Counters& counters, std::string& failure, OnRow&& onRow) {
    counters = Counters{};
    failure.clear();
    const std::size_t count = reply.lines.size();
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
    ListedUserCells cells;
    for (std::size_t i = 0; i < rows; ++i) {
        if (!readRow(lineTextView(reply.lines[i + 1]), cells)) {
            failure = "Line " + std::to_string(i + 2) + " of the account listing is not an account row.";
            return false;
        }
        onRow(i, cells);
    }
    const std::string_view totals = lineTextView(reply.lines[count - 3]);
    const std::string_view counterLine = lineTextView(reply.lines[count - 2]);
    const std::string_view last = trimTrailingBlanks(lineTextView(reply.lines[count - 1]));
    const std::size_t blank = last.find(' ');
    const bool complete = startsWith(totals, "Uploaded:") && readCounters(counterLine, counters) &&
                          blank != std::string_view::npos && last.substr(blank) == " Total members." &&
                          readInteger(last.substr(0, blank), counters.total);
    if (!complete) {
        failure = "The account listing ends early.";
        return false;
    }
    if (counters.total != static_cast<std::int64_t>(rows)) {
        failure = "The account listing says " + std::to_string(counters.total) + " accounts but shows " +
                  std::to_string(rows) + ".";
        return false;
    }
    return true;
}

}  // namespace

bool readUserListing(const session::Reply& coloured, UserListing& out, std::string& failure) {
    out = UserListing{};
    session::Reply storage;  // a coloured one is read as its plain twin
    const session::Reply& reply = plainTwin(coloured, storage);
    Counters counters;
    const bool read = scanListing(reply, counters, failure, [&](std::size_t i, const ListedUserCells& cells) {
        if (i == 0) out.users.resize(reply.lines.size() - 4);
        ListedUser& user = out.users[i];
        user.name.assign(cells.name.data(), cells.name.size());
        user.group.assign(cells.group.data(), cells.group.size());
        user.uploaded.assign(cells.uploaded.data(), cells.uploaded.size());
        user.downloaded.assign(cells.downloaded.data(), cells.downloaded.size());
        user.credits.assign(cells.credits.data(), cells.credits.size());
    });
    if (!read) {
        out = UserListing{};
        return false;
    }
    out.siteops = counters.siteops;
    out.gadmins = counters.gadmins;
    out.leech = counters.leech;
    out.deleted = counters.deleted;
    out.total = counters.total;
    return true;
}

bool UserListingIndex::read(session::Reply&& reply, std::string& failure) {
    clear();
    // Kept as the plain twin: the rows shown carry no colour codes.
    removeColour(reply.lines);
    Counters counters;
    if (!scanListing(reply, counters, failure, [](std::size_t, const ListedUserCells&) {})) return false;
    lines_ = std::move(reply.lines);
    rows_ = lines_.size() - 4;
    siteops = counters.siteops;
    gadmins = counters.gadmins;
    leech = counters.leech;
    deleted = counters.deleted;
    total = counters.total;
    return true;
}

void UserListingIndex::clear() {
    lines_.clear();
    rows_ = 0;
    siteops = gadmins = leech = deleted = total = 0;
}

ListedUserCells UserListingIndex::rowCells(std::size_t row) const {
    ListedUserCells cells;
    if (row >= rows_ || !readRow(lineTextView(lines_[row + 1]), cells)) return ListedUserCells{};
    return cells;
}

std::string_view UserListingIndex::rowName(std::size_t row) const {
    if (row >= rows_) return {};
    // The first word: the row was checked, so it ends before "UL:".
    const std::string_view text = lineTextView(lines_[row + 1]);
    return text.substr(0, text.find(' '));
}

std::string_view mibCell(std::string_view shown, char (&buffer)[32]) {
    if (!endsWith(shown, "MiB")) return shown;
    const std::string_view digits = shown.substr(0, shown.size() - 3);
    if (digits.empty() || digits.size() > 20) return shown;
    for (char c : digits)
        if (c < '0' || c > '9') return shown;
    std::size_t length = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) buffer[length++] = ',';
        buffer[length++] = digits[i];
    }
    return std::string_view(buffer, length);
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
