#include "pages/site/online_listing.h"

#include <cstring>

#include "common/command_text.h"

const char unknownOnlinePid[] = "???";

namespace {

const char rulePrefix[] = "200- |-";
const char rowPrefix[] = "200- | ";
constexpr std::size_t prefixLength = 7;

// strncmp stops at the line's own NUL, so a short line is never read past.
bool startsWith(const char* line, const char* prefix) {
    return std::strncmp(line, prefix, prefixLength) == 0;
}

// Cuts the first blank-delimited word out of `text` and returns it; `rest`
// is set to the text after the word, or to null when the word ended the line
// (then there is nothing after it to read).
char* cutWord(char* text, char*& rest) {
    char* const end = text + std::strlen(text);
    char* word = cutField(text, ' ');
    char* const wordEnd = word + std::strlen(word);
    rest = wordEnd < end ? wordEnd + 1 : nullptr;
    return word;
}

NamePairList* lastPair(NamePairList* head) {
    while (head != nullptr && head->next != nullptr) {
        head = head->next;
    }
    return head;
}

}  // namespace

bool isOnlineListingRefused(const ReplyLine* lines) {
    return lines != nullptr && lines->text != nullptr &&
           std::strstr(lines->text, "do not have access") != nullptr;
}

void parseSwhoListing(ReplyLine* lines, NamePairList*& online) {
    NamePairList* tail = lastPair(online);
    bool pastRule = false;
    for (ReplyLine* line = lines; line != nullptr; line = line->next) {
        char* text = line->text;
        if (text == nullptr) {
            continue;
        }
        cutLineEnd(text);
        if (!pastRule) {
            pastRule = startsWith(text, rulePrefix);
            continue;
        }
        if (!startsWith(text, rowPrefix)) {
            continue;
        }
        char* rest = nullptr;
        const char* pid = cutWord(text + prefixLength, rest);
        const char* user = unknownOnlinePid;
        char* bar = rest != nullptr ? std::strchr(rest, '|') : nullptr;
        if (bar != nullptr) {
            char* ignored = nullptr;
            user = cutWord(bar + 1, ignored);
        }
        tail = appendPairAfter(online, tail, user, pid);
    }
}

void parseWhoListing(ReplyLine* lines, NamePairList*& online) {
    NamePairList* tail = lastPair(online);
    int rules = 0;
    for (ReplyLine* line = lines; line != nullptr; line = line->next) {
        char* text = line->text;
        if (text == nullptr) {
            continue;
        }
        cutLineEnd(text);
        if (startsWith(text, rulePrefix)) {
            // Only the first table holds users; nothing after it counts.
            if (++rules > 1) {
                break;
            }
            continue;
        }
        if (rules == 1 && startsWith(text, rowPrefix)) {
            char* ignored = nullptr;
            const char* user = cutWord(text + prefixLength, ignored);
            tail = appendPairAfter(online, tail, user, unknownOnlinePid);
        }
    }
}

void fetchOnlineListing(NamePairList*& online) {
    HostRequest request{};
    CommandText command("SITE SWHO");
    if (sendCommand(request, command, true) == 0) {
        return;
    }
    if (!isOnlineListingRefused(request.replyLines)) {
        parseSwhoListing(request.replyLines, online);
        releaseReply(request);
        return;
    }
    // One kept reply per record: let go of the refusal before asking again.
    releaseReply(request);
    command.assign("SITE WHO");
    if (sendCommand(request, command, true) == 0) {
        return;
    }
    parseWhoListing(request.replyLines, online);
    releaseReply(request);
}
