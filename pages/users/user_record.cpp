#include "pages/users/user_record.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "common/command_text.h"
#include "common/number_text.h"

UserRecord userRecord = {};
std::int32_t editUserIndex = -1;

char userFlagCharacter(int slot) {
    return static_cast<char>(slot < 8 ? '1' + slot : 'A' + (slot - 8));
}

namespace {

const char unlimitedText[] = "unlim";
const char unknownText[] = "?";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char* skipBlanks(char* text) {
    while (*text == ' ') {
        ++text;
    }
    return text;
}

// The text right after the first occurrence of key, or null.
char* valueAfter(char* line, const char* key) {
    char* found = std::strstr(line, key);
    return found == nullptr ? nullptr : found + std::strlen(key);
}

// The first `count` characters of text equal word's, ignoring letter case. A
// shorter text fails at its NUL, so nothing past the line is read.
bool startsWithIgnoringCase(const char* text, const char* word, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (text[i] == '\0' || upperAscii(text[i]) != upperAscii(word[i])) {
            return false;
        }
    }
    return true;
}

// The leading decimal number of a text, clamped to the 32-bit range.
double leadingReal(const char* text) {
    const double value = decimalToDouble(text);
    if (value > 2147483647.0) {
        return 2147483647.0;
    }
    if (value < -2147483648.0) {
        return -2147483648.0;
    }
    return value;
}

void storeInteger(char*& slot, std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    replaceText(slot, text);
}

// Within the 32-bit range "%0.1f" needs at most 13 characters.
void storeReal(char*& slot, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%0.1f", value);
    replaceText(slot, text);
}

void storeIntegerOrUnlimited(char*& slot, std::int32_t value, std::int32_t unlimitedValue) {
    if (value == unlimitedValue) {
        replaceText(slot, unlimitedText);
    } else {
        storeInteger(slot, value);
    }
}

void recogniseTagline(char* line) {
    if (char* value = valueAfter(line, "Tagline: ")) {
        replaceText(userRecord.tagline, cutField(value, '|'));
    }
}

void recogniseFlags(char* line) {
    if (char* value = valueAfter(line, "Flags: ")) {
        parseUserFlags(cutField(value, ' '));
    }
}

// The last node of each group list while one reply is read, so that a reply
// with many group lines is still read in linear time.
NameList* groupTails[2] = {nullptr, nullptr};

NameList* lastNameOf(NameList* head) {
    while (head != nullptr && head->next != nullptr) {
        head = head->next;
    }
    return head;
}

// Every single blank separates two names, so two blanks give an empty one.
NameList* appendGroupNamesAfter(const char* text, NameList*& head, NameList* tail) {
    if (text == nullptr || *text == '\0') {
        return tail;
    }
    while (true) {
        const char* blank = std::strchr(text, ' ');
        const std::size_t length = blank == nullptr ? std::strlen(text)
                                                    : static_cast<std::size_t>(blank - text);
        char* name = dupTextPrefix(text, length);
        tail = appendNameAfter(head, tail, name);
        freeText(name);
        if (blank == nullptr) {
            return tail;
        }
        text = blank + 1;
    }
}

void recogniseGroups(char* line) {
    // " Groups: " is also the tail of "Priv Groups: ".
    if (std::strstr(line, "Priv Groups: ") != nullptr) {
        return;
    }
    if (char* value = valueAfter(line, " Groups: ")) {
        groupTails[0] = appendGroupNamesAfter(cutField(value, '|'), userRecord.groups, groupTails[0]);
    }
}

void recognisePrivateGroups(char* line) {
    if (char* value = valueAfter(line, "Priv Groups: ")) {
        groupTails[1] =
            appendGroupNamesAfter(cutField(value, '|'), userRecord.privateGroups, groupTails[1]);
    }
}

void recogniseRatio(char* line) {
    char* value = valueAfter(line, "Ratio: ");
    if (value == nullptr) {
        return;
    }
    // "1:3" is the credit ratio; only the number after its colon is kept.
    const char* colon = std::strchr(value, ':');
    if (colon == nullptr || std::strstr(line, "Leech") != nullptr ||
        std::strstr(line, "Unlimited") != nullptr) {
        replaceText(userRecord.ratio, unlimitedText);
    } else {
        storeInteger(userRecord.ratio, decimalToInt32(colon + 1));
    }
}

void recogniseCredits(char* line) {
    if (char* value = valueAfter(line, "Credits: ")) {
        storeReal(userRecord.credits, leadingReal(value));
    }
}

void recogniseAllotment(char* line) {
    if (char* value = valueAfter(line, "lotment: ")) {
        storeReal(userRecord.weeklyAllotment, leadingReal(value));
    }
}

void recogniseMaxLogins(char* line) {
    char* value = valueAfter(line, "Max Logins: ");
    if (value == nullptr) {
        return;
    }
    value = skipBlanks(value);
    if (startsWithIgnoringCase(value, "Unlimited", 9)) {
        replaceText(userRecord.maxLogins, unlimitedText);
    } else {
        storeInteger(userRecord.maxLogins, decimalToInt32(value));
    }
}

void recogniseTimeLimit(char* line) {
    if (char* value = valueAfter(line, "Time Limit: ")) {
        storeIntegerOrUnlimited(userRecord.timeLimit, decimalToInt32(value), 0);
    }
}

void recogniseUploadSpeed(char* line) {
    if (char* value = valueAfter(line, "Max Upload Speed: ")) {
        storeReal(userRecord.maxUploadSpeed, leadingReal(value));
    }
}

void recogniseDownloadSpeed(char* line) {
    if (char* value = valueAfter(line, "Max Download Speed: ")) {
        storeReal(userRecord.maxDownloadSpeed, leadingReal(value));
    }
}

void recogniseSlots(char* line) {
    static const char key[] = "Gadmin/Leech Slots: ";
    char* found = std::strstr(line, key);
    if (found == nullptr) {
        return;
    }
    storeIntegerOrUnlimited(userRecord.gadminSlots, decimalToInt32(found + sizeof key - 1), -1);
    // The second number follows the first run of digits (of "-1" the '1').
    const char* cursor = found;
    while (*cursor != '\0' && !isDigit(*cursor)) {
        ++cursor;
    }
    while (isDigit(*cursor)) {
        ++cursor;
    }
    if (*cursor != '\0') {
        storeIntegerOrUnlimited(userRecord.leechSlots, decimalToInt32(cursor), -1);
    }
}

void recogniseIpMasks(char* line) {
    static const char* const evenKeys[5] = {"IP0: ", "IP2: ", "IP4: ", "IP6: ", "IP8: "};
    static const char* const oddKeys[5] = {"IP1: ", "IP3: ", "IP5: ", "IP7: ", "IP9: "};
    for (int pair = 0; pair < 5; ++pair) {
        char* even = valueAfter(line, evenKeys[pair]);
        if (even == nullptr) {
            continue;
        }
        // Found before the even mask is cut: that cut ends at or before the
        // odd key's 'I', so the text after the odd key stays intact.
        char* odd = valueAfter(even, oddKeys[pair]);
        replaceText(userRecord.ipMasks[2 * pair], cutField(even, 'I'));
        if (odd != nullptr) {
            replaceText(userRecord.ipMasks[2 * pair + 1], cutField(odd, '|'));
        }
        return;
    }
}

typedef void (*Recogniser)(char* line);

// Run in this order on every line: a cut made by one hides the rest of the
// line from those after it.
const Recogniser recognisers[] = {
    recogniseTagline,     recogniseFlags,       recogniseGroups,        recognisePrivateGroups,
    recogniseRatio,       recogniseCredits,     recogniseAllotment,     recogniseMaxLogins,
    recogniseTimeLimit,   recogniseUploadSpeed, recogniseDownloadSpeed, recogniseSlots,
    recogniseIpMasks,
};

}  // namespace

bool loadUserRecord(const char* userName) {
    CommandText command("SITE USER ");
    command.append(userName);
    HostRequest request{};
    if (sendCommand(request, command, true) == 0) {
        return false;
    }
    const char* first = firstReplyText(request);
    if (!isReplyOk(request.replyCode) ||
        (first != nullptr && std::strstr(first, "Unable to load") != nullptr)) {
        releaseReply(request);
        return false;
    }
    readUserRecordLines(request.replyLines);
    releaseReply(request);
    return true;
}

void readUserRecordLines(ReplyLine* lines) {
    // The reply carries no password, and these five may be missing from it.
    replaceText(userRecord.weeklyAllotment, unknownText);
    replaceText(userRecord.gadminSlots, unknownText);
    replaceText(userRecord.leechSlots, unknownText);
    replaceText(userRecord.password, unknownText);
    replaceText(userRecord.maxDownloadSpeed, unknownText);
    replaceText(userRecord.maxUploadSpeed, unknownText);
    groupTails[0] = lastNameOf(userRecord.groups);
    groupTails[1] = lastNameOf(userRecord.privateGroups);
    for (ReplyLine* line = lines; line != nullptr; line = line->next) {
        if (line->text == nullptr) {
            continue;
        }
        cutLineEnd(line->text);
        for (Recogniser recognise : recognisers) {
            recognise(line->text);
        }
    }
}

void clearUserRecord() {
    char** texts[] = {&userRecord.password,         &userRecord.maxLogins,
                      &userRecord.gadminSlots,      &userRecord.leechSlots,
                      &userRecord.timeLimit,        &userRecord.ratio,
                      &userRecord.weeklyAllotment,  &userRecord.credits,
                      &userRecord.tagline,          &userRecord.maxDownloadSpeed,
                      &userRecord.maxUploadSpeed};
    for (char** text : texts) {
        clearText(*text);
    }
    for (bool& flag : userRecord.flags) {
        flag = false;
    }
    for (char*& mask : userRecord.ipMasks) {
        clearText(mask);
    }
    freeNameList(userRecord.groups);
    userRecord.groups = nullptr;
    freeNameList(userRecord.privateGroups);
    userRecord.privateGroups = nullptr;
    editUserIndex = -1;
}

void parseUserFlags(const char* text) {
    if (text == nullptr) {
        return;
    }
    for (; *text != '\0'; ++text) {
        const char flag = upperAscii(*text);
        if (flag >= '1' && flag <= '8') {
            userRecord.flags[flag - '1'] = true;
        } else if (flag >= 'A' && flag <= 'I') {
            userRecord.flags[8 + (flag - 'A')] = true;
        }
    }
}

void appendGroupNames(const char* text, bool isPrivate) {
    NameList*& head = isPrivate ? userRecord.privateGroups : userRecord.groups;
    appendGroupNamesAfter(text, head, lastNameOf(head));
}
