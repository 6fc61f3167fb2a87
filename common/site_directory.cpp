#include "common/site_directory.h"

#include <cstring>

#include "common/command_text.h"

SiteDirectory siteDirectory = {nullptr, nullptr, nullptr, false};

namespace {

// Both listings open with a title and a rule line that hold no entries.
ReplyLine* afterHeading(ReplyLine* lines) {
    for (int skipped = 0; skipped < 2 && lines != nullptr; ++skipped) {
        lines = lines->next;
    }
    return lines;
}

char* skipBlanks(char* text) {
    while (*text == ' ') {
        ++text;
    }
    return text;
}

template <typename Node>
Node* lastNodeOf(Node* head) {
    if (head == nullptr) {
        return nullptr;
    }
    while (head->next != nullptr) {
        head = head->next;
    }
    return head;
}

}  // namespace

void loadSiteDirectory() {
    // One record for both commands: the first reply is released before the
    // second command goes out, so it never holds two kept replies.
    HostRequest request{};
    CommandText command("SITE GROUPS");
    if (sendCommand(request, command, true) != 0) {
        if (isReplyOk(request.replyCode)) {
            freeNamePairList(siteDirectory.groupList);
            freeNamePairList(siteDirectory.privateGroupList);
            siteDirectory.groupList = nullptr;
            siteDirectory.privateGroupList = nullptr;
            parseGroupListing(request.replyLines, siteDirectory.groupList,
                              siteDirectory.privateGroupList);
            siteDirectory.loaded = true;
        }
        releaseReply(request);
    }

    command.assign("SITE USER");
    if (sendCommand(request, command, true) != 0) {
        if (isReplyOk(request.replyCode)) {
            freeNameList(siteDirectory.userNames);
            siteDirectory.userNames = nullptr;
            parseUserListing(request.replyLines, siteDirectory.userNames);
            siteDirectory.loaded = true;
        }
        releaseReply(request);
    }
}

void ensureSiteDirectory() {
    if (!siteDirectory.loaded) {
        loadSiteDirectory();
    }
}

void parseGroupListing(ReplyLine* lines, NamePairList*& groups, NamePairList*& privateGroups) {
    // Public rows carry ")" after the member count, private rows "*" before
    // the name; the first line without the current marker closes that part.
    NamePairList* tails[2] = {lastNodeOf(groups), lastNodeOf(privateGroups)};
    NamePairList** heads[2] = {&groups, &privateGroups};
    const char markers[2] = {')', '*'};
    int mode = 0;
    for (ReplyLine* line = afterHeading(lines); line != nullptr && mode < 2; line = line->next) {
        cutLineEnd(line->text);
        // A line without text reads as an empty line: it holds no marker.
        char* marker = line->text == nullptr ? nullptr : std::strchr(line->text, markers[mode]);
        if (marker == nullptr) {
            ++mode;
            continue;
        }
        char* name = skipBlanks(marker + 1);
        if (*name == '\0') {
            continue;
        }
        char* blank = std::strchr(name, ' ');
        if (blank == nullptr) {
            continue;
        }
        *blank = '\0';
        const char* description = skipBlanks(blank + 1);
        tails[mode] = appendPairAfter(*heads[mode], tails[mode], name, description);
    }
}

void parseUserListing(ReplyLine* lines, NameList*& userNames) {
    // Names are padded columns, each followed by a blank; a line with nothing
    // after its code prefix ends the listing.
    NameList* tail = lastNodeOf(userNames);
    for (ReplyLine* line = afterHeading(lines); line != nullptr; line = line->next) {
        cutLineEnd(line->text);
        char* cursor = line->text == nullptr ? nullptr : std::strchr(line->text, ' ');
        if (cursor == nullptr) {
            continue;
        }
        bool tookName = false;
        bool finished = false;
        ++cursor;
        while (true) {
            cursor = skipBlanks(cursor);
            if (*cursor == '\0') {
                finished = !tookName;
                break;
            }
            char* blank = std::strchr(cursor, ' ');
            if (blank == nullptr) {
                // A last token without a blank after it is not a padded name.
                break;
            }
            *blank = '\0';
            tail = appendNameAfter(userNames, tail, cursor, static_cast<std::size_t>(blank - cursor));
            tookName = true;
            cursor = blank + 1;
        }
        if (finished) {
            break;
        }
    }
}

void releaseSiteDirectory() {
    freeNamePairList(siteDirectory.groupList);
    freeNamePairList(siteDirectory.privateGroupList);
    freeNameList(siteDirectory.userNames);
    siteDirectory = {nullptr, nullptr, nullptr, false};
}
