#include "host/history/change_record.h"

#include <cstdio>

#include "host/admin/admin_reply.h"
#include "host/session/transcript_lines.h"

namespace history {

namespace {

const char* const outcomeWords[] = {"took", "refused", "unknown"};

// Refusals glftpd writes as a last line of code 200 that the judge of the
// host's pages reads as a line it does not know (it refuses those too, so
// it need not tell them apart): a missing account or group, a name taken.
const std::string_view refusalEnds[] = {
    "does not exist.", "doesn't exist.", "not found.", "already exists", "already exists.",
    "has not been deleted.", "is already deleted.", "Invalid PiD.", "an equal or broader mask already exists.",
};
const std::string_view refusalParts[] = {"Unable to load", "failed", "Failed", "not allowed", "Invalid "};

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

const char upperHex[] = "0123456789ABCDEF";

// FNV-1a: a short, stable name for a long one.
std::uint64_t hashOf(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string fileStem(const RecordKey& key) {
    std::string encoded;
    for (const char c : key.name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == '.' || byte == '-' ||
            byte == '_') {
            encoded += c;
        } else if (byte >= 'A' && byte <= 'Z') {
            encoded += static_cast<char>(byte - 'A' + 'a');
        } else {
            encoded += '%';
            encoded += upperHex[byte >> 4];
            encoded += upperHex[byte & 15];
        }
    }
    constexpr std::size_t longest = 80;
    if (encoded.size() > longest) {
        std::string lower;
        for (const char c : key.name) {
            lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        char hash[24];
        std::snprintf(hash, sizeof hash, "~%016llx", static_cast<unsigned long long>(hashOf(lower)));
        encoded = encoded.substr(0, longest) + hash;
        // A cut that splits a %XX leaves a stray '%': harmless in a file name.
    }
    return std::string(key.savedSite ? "changes-site-" : "changes-address-") + encoded;
}

}  // namespace

const char* outcomeWord(Outcome outcome) { return outcomeWords[static_cast<int>(outcome)]; }

bool outcomeOfWord(std::string_view word, Outcome& outcome) {
    for (int i = 0; i < 3; ++i) {
        if (word == outcomeWords[i]) {
            outcome = static_cast<Outcome>(i);
            return true;
        }
    }
    return false;
}

std::string recordField(std::string_view text) {
    std::string field;
    field.reserve(text.size() + 8);
    std::size_t begin = 0;
    const auto flush = [&](std::size_t end) {
        if (end > begin) {
            // No line feed in it: one transcript line.
            field += session::transcriptLines(std::string(text.substr(begin, end - begin))).front();
        }
    };
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\t' || c == '\n' || c == '\\') {
            flush(at);
            field += c == '\t' ? "\\t" : c == '\n' ? "\\n" : "\\\\";
            begin = at + 1;
        }
    }
    flush(text.size());
    return field;
}

std::string recordLine(const Change& change) {
    std::string line;
    for (const std::string* field :
         {&change.time, &change.account, &change.page, &change.command, &change.server, &change.readBack}) {
        line += recordField(*field);
        line += '\t';
    }
    line += outcomeWord(change.outcome);
    line += '\n';
    return line;
}

Outcome outcomeOfReply(const session::Reply& reply) {
    if (reply.lines.empty()) {
        return Outcome::Unknown;
    }
    if (reply.code >= 400) {
        return Outcome::Refused;
    }
    if (admin::judgeReply(reply).done) {
        return Outcome::Took;
    }
    // The judge of the host's pages refuses every last line it does not
    // know; a refusal it knows stands in some line before a success line.
    session::Reply closed = reply;
    closed.lines.push_back("200 Command Successful.");
    if (!admin::judgeReply(closed).done) {
        return Outcome::Refused;
    }
    const std::string last = admin::lineText(reply.lines.back());
    std::string_view text = last;
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    for (std::string_view end : refusalEnds) {
        if (endsWith(text, end)) {
            return Outcome::Refused;
        }
    }
    for (std::string_view part : refusalParts) {
        if (text.find(part) != std::string_view::npos) {
            return Outcome::Refused;
        }
    }
    return Outcome::Took;
}

std::string serverWords(const session::Reply& reply) {
    return reply.lines.empty() ? std::string("(no reply line)") : reply.lines.back();
}

std::string timeText(const LocalTime& time) {
    const int offset = time.offsetMinutes < 0 ? -time.offsetMinutes : time.offsetMinutes;
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second, time.offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

std::string recordHeading(const std::string& siteLabel) {
    return "# Changes the Quorin reference host sent to " + recordField(siteLabel) +
           ". Fields, tab-separated: time, account, page, command, server's last line, read back, outcome.\n";
}

std::string recordFileName(const RecordKey& key) { return fileStem(key) + ".txt"; }

std::string olderFileName(const RecordKey& key) { return fileStem(key) + ".older.txt"; }

}  // namespace history
